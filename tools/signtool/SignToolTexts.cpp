#include "tools/signtool/SignToolTexts.h"

#include "core/AnsiText.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::size_t MaxDetailLines = 6;

std::string Error(std::string_view Text) {
    return std::string(ErrorPrefix) + MaskSuccessWord(Text);
}

// OpenSSL's error queue as osslsigncode dumps it: "40C0...:error:0680008E:..."
bool IsOpenSslQueueLine(std::string_view Line) {
    const std::size_t Colon = Line.find(":error:");
    return Colon != std::string_view::npos && Colon > 0 &&
           std::all_of(Line.begin(), Line.begin() + static_cast<std::ptrdiff_t>(Colon),
                       [](char C) { return std::isxdigit(static_cast<unsigned char>(C)) != 0; });
}

// osslsigncode's own sentences, without its verdict line, its progress notes
// and OpenSSL's error queue.
std::vector<std::string> MessageLines(std::string_view Captured) {
    std::vector<std::string> Lines;
    while (!Captured.empty()) {
        const std::size_t End = Captured.find('\n');
        std::string_view Line = Captured.substr(0, End);
        Captured.remove_prefix(End == std::string_view::npos ? Captured.size() : End + 1);
        while (!Line.empty() && (Line.back() == '\r' || Line.back() == ' ' || Line.back() == '\t'))
            Line.remove_suffix(1);
        if (Line.empty() || Line == "Failed" || Line == "Succeeded" ||
            StartsTextAZ("Connecting to ", Line) || IsOpenSslQueueLine(Line))
            continue;
        if (std::find(Lines.begin(), Lines.end(), Line) == Lines.end())
            Lines.emplace_back(Line);
    }
    return Lines;
}

} // namespace

std::string UsageText() {
    return "Usage: signtool sign [/fd ALG] /f PFXFILE [/p PASSWORD] [/tr URL [/td ALG]] FILE...\n"
           "       signtool sign [/fd ALG] /sha1 THUMBPRINT [/tr URL [/td ALG]] FILE...\n"
           "\n"
           "Signs Windows executable images (.exe, .dll, .ocx, .cpl, .scr, ...) in place with\n"
           "Authenticode, through osslsigncode.\n"
           "\n"
           "  /fd ALG       file digest: SHA256, SHA1, SHA384 or SHA512 (SHA1 when omitted,\n"
           "                with a warning)\n"
           "  /f PFXFILE    the certificate and its private key, as a PFX (PKCS #12) file\n"
           "  /p PASSWORD   the PFX file's password (empty when omitted)\n"
           "  /sha1 HASH    the certificate with this SHA-1 thumbprint on a PKCS#11 token\n"
           "                registered with p11-kit; the token's PIN is read from the\n"
           "                environment variable QUORVEL_TOKEN_PIN\n"
           "  /tr URL       the address of an RFC 3161 timestamp server\n"
           "  /td ALG       timestamp digest: SHA256 or SHA1 (only with /tr)\n"
           "  /?            this text\n";
}

std::string ErrorCountLine(int Count) {
    return "Number of errors: " + std::to_string(Count);
}

std::string NoDigestWarning() {
    return "SignTool Warning: No file digest algorithm specified. SHA1 is used; "
           "add /fd SHA256 for a digest that current Windows versions trust.";
}

std::string MaskSuccessWord(std::string_view Text) {
    static constexpr std::string_view Word = "success";
    std::string Result(Text);
    for (std::size_t At = 0; At + Word.size() <= Result.size(); ++At)
        if (SameTextAZ(std::string_view(Result).substr(At, Word.size()), Word))
            Result[At + 1] = '?';
    return Result;
}

std::vector<std::string> FailureLines(const TSignOutcome& Outcome, const std::string& Path) {
    std::vector<std::string> Lines;
    switch (Outcome.Failure) {
    case TSignFailure::None:
        break;
    case TSignFailure::FileNotFound:
        Lines.push_back(Error("File not found: " + Outcome.Subject));
        break;
    case TSignFailure::BadPassword:
        Lines.push_back(Error("The specified PFX password is not correct."));
        break;
    case TSignFailure::BadCertificate:
        Lines.push_back(Error("The certificate file could not be read as a PFX (PKCS #12) file "
                              "holding a certificate and its private key."));
        break;
    case TSignFailure::TimeStamp:
        Lines.push_back(Error("The specified timestamp server either could not be reached or "
                              "returned an invalid response."));
        break;
    case TSignFailure::NotPEImage:
        Lines.push_back(Error("This file format cannot be signed because it is not recognized."));
        Lines.push_back(Error("The file is not a Windows executable image (PE file such as .exe, "
                              ".dll, .ocx, .cpl or .scr)."));
        break;
    case TSignFailure::ReadOnly:
        Lines.push_back(Error("The file is read-only, so it cannot be signed in place. Make it "
                              "writable and sign it again."));
        break;
    case TSignFailure::CannotWrite:
        Lines.push_back(Error("The signed file could not be written in place of the original."));
        break;
    case TSignFailure::ToolMissing:
        Lines.push_back(Error("osslsigncode, which does the signing, could not be started. "
                              "Install it (Debian package osslsigncode)."));
        break;
    case TSignFailure::NoPin:
        Lines.push_back(Error("No PIN was given for the token: signing with /sha1 reads it from "
                              "the environment variable QUORVEL_TOKEN_PIN (Quorvel's password "
                              "field)."));
        break;
    case TSignFailure::BadPin:
        Lines.push_back(Error("The token's PIN is not correct."));
        break;
    case TSignFailure::PinLocked:
        Lines.push_back(Error("The token is locked after too many wrong PINs. Unlock it with "
                              "its own software."));
        break;
    case TSignFailure::TokenMissing:
        Lines.push_back(Error("No certificate with the SHA-1 thumbprint " + Outcome.Subject +
                              " and its private key was found on the PKCS#11 tokens. Is the "
                              "token plugged in?"));
        break;
    case TSignFailure::ProxyMissing:
        Lines.push_back(Error("p11-kit's proxy module (p11-kit-proxy.so), through which the "
                              "token is used, was not found. Install it (Debian package "
                              "p11-kit-modules)."));
        break;
    case TSignFailure::TokenKey:
        Lines.push_back(Error("The certificate or its private key could not be read from the "
                              "token. Is the token still plugged in?"));
        break;
    case TSignFailure::Unexpected:
        break;
    case TSignFailure::Other:
        Lines.push_back(
            Error("osslsigncode could not sign the file (exit status " + Outcome.Subject + ")."));
        break;
    }
    for (const std::string& Detail : Outcome.Details)
        Lines.push_back(Error(Detail));
    Lines.push_back(Error("An error occurred while attempting to sign: " + Path));
    return Lines;
}

TSignOutcome ClassifyOsslFailure(int ExitStatus, std::string_view Captured) {
    auto Has = [&](std::string_view Needle) { return ContainsTextAZ(Needle, Captured); };
    TSignOutcome Outcome;
    if (Has("Wrong password") || Has("mac verify failure"))
        Outcome.Failure = TSignFailure::BadPassword;
    else if (Has("PKCS#12") || Has("Failed to read key or certificates"))
        Outcome.Failure = TSignFailure::BadCertificate;
    else if (Has("timestamp") || Has("Time-Stamp") || Has("HTTP failure"))
        Outcome.Failure = TSignFailure::TimeStamp;
    else if (Has("unsupported input file type") || Has("Initialization error"))
        Outcome.Failure = TSignFailure::NotPEImage;
    else {
        Outcome.Failure = TSignFailure::Other;
        Outcome.Subject = std::to_string(ExitStatus);
        Outcome.Details = MessageLines(Captured);
        if (Outcome.Details.size() > MaxDetailLines)
            Outcome.Details.resize(MaxDetailLines);
        for (std::string& Line : Outcome.Details)
            Line.insert(0, "osslsigncode: ");
    }
    return Outcome;
}

TSignOutcome ClassifyOsslTokenFailure(int ExitStatus, std::string_view Captured) {
    auto Has = [&](std::string_view Needle) { return ContainsTextAZ(Needle, Captured); };
    // The PKCS#11 return values as libp11 names them in OpenSSL's error queue.
    if (Has("PIN locked"))
        return TSignOutcome{TSignFailure::PinLocked, {}, {}};
    if (Has("PIN incorrect") || Has("PIN invalid") || Has("PIN len range"))
        return TSignOutcome{TSignFailure::BadPin, {}, {}};
    if (Has("No matching initialized token") || Has("was not found at") ||
        Has("Failed to read key or certificates") || Has("token not present") ||
        Has("device removed") || Has("object not found"))
        return TSignOutcome{TSignFailure::TokenKey, {}, {}};
    return ClassifyOsslFailure(ExitStatus, Captured);
}
