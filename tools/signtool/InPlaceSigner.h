// Signs one file in place through osslsigncode: the signed copy is written
// beside the file and then renamed over it, so the file is either the
// original, byte for byte, or completely signed.
#pragma once

#include "tools/signtool/SignToolArgs.h"
#include "tools/signtool/SignToolTexts.h"

#include <string>
#include <vector>

// osslsigncode's arguments for signing In into Out. The password never
// appears: osslsigncode reads a non-empty one from PasswordPath.
std::vector<std::string> OsslSignArguments(const TSignRequest& Request, const std::string& In,
                                           const std::string& Out, const std::string& PasswordPath);

// Where a certificate on a token is, for osslsigncode: its PKCS#11 module
// (p11-kit's proxy, which reaches every registered token) and the URIs of
// the certificate and its key.
struct TTokenKey {
    std::string Module, CertificateUri, KeyUri;
};

// The same for a request with /sha1: the key on the token, its PIN from
// PinPath.
std::vector<std::string> OsslTokenSignArguments(const TSignRequest& Request, const TTokenKey& Key,
                                                const std::string& In, const std::string& Out,
                                                const std::string& PinPath);

// p11-kit's proxy module: Preferred (where the build found it) when it
// exists, else the first of the usual places that exists; empty when none.
std::string FindP11KitProxy(const std::string& Preferred);

// OsslSignCode names the program (looked up on PATH without a "/"). A
// request with /sha1 looks the certificate up on the tokens at this moment,
// so one taken out since the last file fails this file.
TSignOutcome SignFileInPlace(const TSignRequest& Request, const std::string& Path,
                             const std::string& OsslSignCode);
