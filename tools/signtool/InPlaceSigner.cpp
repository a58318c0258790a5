#include "tools/signtool/InPlaceSigner.h"

#include "core/AnsiText.h"

std::vector<std::string> OsslSignArguments(const TSignRequest& Request, const std::string& In,
                                           const std::string& Out,
                                           const std::string& PasswordPath) {
    // Without /fd signtool signs with SHA1; osslsigncode takes lower case.
    const std::string Digest =
        Request.FileDigest.empty() ? std::string("sha1") : LowerCaseAZ(Request.FileDigest);
    std::vector<std::string> Args = {"sign", "-pkcs12", Request.Certificate};
    if (!Request.Password.empty())
        Args.insert(Args.end(), {"-readpass", PasswordPath});
    Args.insert(Args.end(), {"-h", Digest});
    if (Request.TimeStamp)
        Args.insert(Args.end(), {"-ts", Request.TimeStampURL});
    Args.insert(Args.end(), {"-in", In, "-out", Out});
    return Args;
}

std::vector<std::string> OsslTokenSignArguments(const TSignRequest& Request, const TTokenKey& Key,
                                                const std::string& In, const std::string& Out,
                                                const std::string& PinPath) {
    const std::string Digest =
        Request.FileDigest.empty() ? std::string("sha1") : LowerCaseAZ(Request.FileDigest);
    // The PIN always comes from PinPath: without it the engine would ask on
    // the terminal.
    std::vector<std::string> Args = {
        "sign", "-pkcs11module", Key.Module,  "-pkcs11cert", Key.CertificateUri,
        "-key", Key.KeyUri,      "-readpass", PinPath,       "-h",
        Digest};
    if (Request.TimeStamp)
        Args.insert(Args.end(), {"-ts", Request.TimeStampURL});
    Args.insert(Args.end(), {"-in", In, "-out", Out});
    return Args;
}
