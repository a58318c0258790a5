// The certificates a user can sign with without a .pfx file: on Windows the
// current user's "MY" store, on Linux the PKCS#11 tokens registered with
// p11-kit (smart cards, USB tokens, HSM modules, SoftHSM2).
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

struct TStoreCertificate {
    std::string Subject;    // the subject's name, most specific part first ("CN=..., O=...")
    std::string Issuer;     // the issuer's name, as Subject
    std::string ValidUntil; // the last day of validity, UTC, "YYYY-MM-DD"
    std::string Thumbprint; // SHA-1 of the certificate, 40 upper-case hex digits
    bool Expired = false;
    bool NotYetValid = false;
    bool CodeSigning = false; // its usage allows code signing (or is not restricted)
    // Linux: PKCS#11 URIs of the certificate and its private key on their
    // token, for a signing tool. Empty on Windows, where the thumbprint is
    // all signtool needs.
    std::string CertificateUri, KeyUri;

    // Fit to sign code now: in its validity period and with the usage.
    bool Usable() const { return !Expired && !NotYetValid && CodeSigning; }
};

// Every certificate that has a private key, whether usable or not (the
// flags tell), in the store's order; a certificate held by two tokens shows
// once per token. Now decides Expired and NotYetValid. Stores or tokens
// that cannot be read are left out; never throws for them.
//
// "Has a private key": on Windows the certificate carries key provider
// information (CERT_KEY_PROV_INFO_PROP_ID). On a PKCS#11 token, where
// private keys stay hidden until the user logs in with the PIN, it is a
// private or public key object with the certificate's CKA_ID; a key pair
// imported onto a token leaves its public half readable, and a certificate
// with neither is one the token merely holds (a CA, a partner's).
std::vector<TStoreCertificate> ListStoreCertificates(std::time_t Now = std::time(nullptr));

// The certificate with this thumbprint (any spelling NormalizeThumbprint
// takes), with its private key, when it is still present; the first one
// when several tokens hold it. False when it is gone or Thumbprint is no
// thumbprint.
bool FindStoreCertificate(std::string_view Thumbprint, TStoreCertificate& Found,
                          std::time_t Now = std::time(nullptr));

// The check before a batch: the certificate is still there with its key.
bool IsStoreCertificatePresent(std::string_view Thumbprint);

// The last day of validity as ValidUntil shows it, from a time in UTC.
std::string ValidUntilText(std::time_t NotAfter);
