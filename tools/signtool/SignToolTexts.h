// What the signtool stand-in prints, in the words of the Windows SDK tool as
// far as Quorvel reads them: "Successfully signed" only for a signed file,
// "SignTool Warning" for a warning, and no "success" in any failure text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Why a file was not signed.
enum class TSignFailure {
    None,
    FileNotFound,   // Subject: the file or certificate that is missing
    BadPassword,    // the PFX password is not correct
    BadCertificate, // the certificate file is not a readable PFX file
    TimeStamp,      // the timestamp server could not be reached or answered badly
    NotPEImage,     // the file is not a Windows executable image
    ReadOnly,       // the file to sign is read-only
    CannotWrite,    // the signed copy could not be put in place; Details say why
    ToolMissing,    // osslsigncode could not be started; Details say why
    NoPin,          // /sha1 without a PIN in QUORVEL_TOKEN_PIN
    BadPin,         // the token refused the PIN
    PinLocked,      // the token is locked after too many wrong PINs
    TokenMissing,   // Subject: the thumbprint no token holds (with a key) now
    ProxyMissing,   // p11-kit's proxy module was not found
    TokenKey,       // the token's certificate or key could not be used
    Other,          // anything else; Details hold what osslsigncode said
    Unexpected,     // the system failed; Details hold its message
};

struct TSignOutcome {
    TSignFailure Failure = TSignFailure::None;
    std::string Subject;
    std::vector<std::string> Details;
};

inline constexpr std::string_view ErrorPrefix = "SignTool Error: ";
inline constexpr std::string_view DoneAddingStoreLine = "Done Adding Additional Store";
inline constexpr std::string_view SignedPrefix = "Successfully signed: ";

std::string UsageText();

// "Number of errors: N", the last line of a run with failures.
std::string ErrorCountLine(int Count);

// The warning printed once when no /fd was given and SHA1 is used.
std::string NoDigestWarning();

// The lines of a failed file, each beginning "SignTool Error: ".
std::vector<std::string> FailureLines(const TSignOutcome& Outcome, const std::string& Path);

// Text safe for a failure message: every "success" (letters A to Z in any
// case) gets its "u" replaced by "?", so a path such as "/srv/success/a.exe"
// shows as "/srv/s?ccess/a.exe" and cannot make Quorvel count a failure as
// signed. A "?" stands for one character in a file pattern, so the text still
// matches the file.
std::string MaskSuccessWord(std::string_view Text);

// Reads a failed osslsigncode run: its exit status and everything it wrote.
TSignOutcome ClassifyOsslFailure(int ExitStatus, std::string_view Captured);

// The same for a run that signed with a key on a PKCS#11 token: the token's
// own refusals first, then what any run can fail on.
TSignOutcome ClassifyOsslTokenFailure(int ExitStatus, std::string_view Captured);
