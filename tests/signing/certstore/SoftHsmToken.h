// A SoftHSM2 token made for one test: its own token folder, found by
// SoftHSM2 (and so by p11-kit, which registers SoftHSM2's module) through
// SOFTHSM2_CONF, which this process and its children inherit for the
// token's lifetime.
#pragma once

#include <string>

class TSoftHsmToken {
public:
    // Makes the configuration and an empty token labelled Label with the
    // user PIN Pin below Folder, which must exist. Throws std::runtime_error
    // with the tool's output when a step fails.
    TSoftHsmToken(const std::string& Folder, std::string Label, std::string Pin);
    TSoftHsmToken(const TSoftHsmToken&) = delete;
    TSoftHsmToken& operator=(const TSoftHsmToken&) = delete;
    ~TSoftHsmToken(); // SOFTHSM2_CONF as it was

    // Puts the PEM key (PKCS #8 or traditional) and the PEM certificate on
    // the token under the object id IdHex (hex digits). An empty KeyPem
    // imports the certificate alone.
    void Import(const std::string& KeyPem, const std::string& CertPem, const std::string& IdHex);

    // Takes the token away, as pulling it out would: its folder is emptied.
    void Remove();

    // Why no token can be made here (a tool missing), or empty.
    static std::string MissingPrerequisite();

    const std::string Label, Pin;
    const std::string Folder, TokenFolder, Config;

private:
    std::string SavedConfig;
    bool HadConfig = false;
};

// The certificate's SHA-1 thumbprint as openssl prints it, colons dropped.
std::string OpenSslThumbprint(const std::string& CertPem);
