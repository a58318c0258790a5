#include "tools/signtool/SignToolArgs.h"

#include "core/AnsiText.h"
#include "signing/SigningSettings.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <optional>
#include <string_view>

namespace {

enum TSwitch : std::size_t {
    swFileDigest,
    swCertificate,
    swPassword,
    swTimeStamp,
    swTimeDigest,
    swThumbprint
};

constexpr std::array<std::string_view, 6> SwitchNames = {"fd", "f", "p", "tr", "td", "sha1"};

// Tokens shaped like an option: "/" or "-" and then letters, digits or "?".
// A path such as "/home/x.exe" has a second "/" or a dot, so it stays a path.
bool IsSwitchLike(std::string_view Token) {
    if (Token.size() < 2 || (Token[0] != '/' && Token[0] != '-'))
        return false;
    return std::all_of(Token.begin() + 1, Token.end(), [](char C) {
        return std::isalnum(static_cast<unsigned char>(C)) != 0 || C == '?';
    });
}

std::optional<std::size_t> SwitchIndex(std::string_view Token) {
    if (!IsSwitchLike(Token))
        return std::nullopt;
    const std::string Name = LowerCaseAZ(Token.substr(1));
    for (std::size_t I = 0; I < SwitchNames.size(); ++I)
        if (Name == SwitchNames[I])
            return I;
    return std::nullopt;
}

bool IsHelpSwitch(std::string_view Token) {
    return IsSwitchLike(Token) && Token.substr(1) == "?";
}

bool IsKnownSwitch(std::string_view Token) {
    return SwitchIndex(Token).has_value() || IsHelpSwitch(Token);
}

constexpr std::array<std::string_view, 4> FileDigests = {"SHA256", "SHA1", "SHA384", "SHA512"};
constexpr std::array<std::string_view, 2> TimeStampDigests = {"SHA256", "SHA1"};

// The name as it is written in Allowed, when Value is one of them in any case.
template <std::size_t N>
std::optional<std::string> DigestName(std::string_view Value,
                                      const std::array<std::string_view, N>& Allowed) {
    for (std::string_view Name : Allowed)
        if (SameTextAZ(Value, Name))
            return std::string(Name);
    return std::nullopt;
}

TParseResult Fail(std::string Reason) {
    TParseResult Result;
    Result.Outcome = TParseOutcome::Error;
    Result.Error = std::move(Reason);
    return Result;
}

} // namespace

TParseResult ParseSignToolArgs(const std::vector<std::string>& Args) {
    TParseResult Result;
    if (Args.empty()) {
        Result.Outcome = TParseOutcome::MissingArgs;
        return Result;
    }
    if (IsHelpSwitch(Args[0])) {
        Result.Outcome = TParseOutcome::Usage;
        return Result;
    }
    if (!SameTextAZ(Args[0], "sign")) {
        for (std::string_view Other : {"verify", "timestamp", "catdb", "remove"})
            if (SameTextAZ(Args[0], Other))
                return Fail("The command " + Args[0] +
                            " is not available: this signtool only signs. Use osslsigncode for "
                            "the other commands.");
        return Fail("Invalid command: " + Args[0]);
    }

    TSignRequest& Request = Result.Request;
    std::array<bool, SwitchNames.size()> Seen{};
    const std::size_t Count = Args.size();
    std::size_t I = 1;
    for (; I < Count && IsSwitchLike(Args[I]); ++I) {
        const std::string& Token = Args[I];
        if (IsHelpSwitch(Token)) {
            Result.Outcome = TParseOutcome::Usage;
            return Result;
        }
        const std::optional<std::size_t> Index = SwitchIndex(Token);
        if (!Index)
            return Fail("Invalid option: " + Token);
        if (Seen[*Index])
            return Fail("The option " + Token + " was given more than once.");
        Seen[*Index] = true;

        // The last argument is always a file, so it never serves as a value.
        const bool HasValue = I + 2 < Count && !IsKnownSwitch(Args[I + 1]);
        if (!HasValue || Args[I + 1].empty()) {
            if (*Index == swPassword) {
                // "/p" and then nothing: Quorvel's empty password field.
                if (HasValue)
                    ++I;
                continue;
            }
            return Fail("Missing parameter for option: " + Token);
        }
        const std::string& Value = Args[++I];
        switch (*Index) {
        case swFileDigest:
            if (auto Name = DigestName(Value, FileDigests))
                Request.FileDigest = *Name;
            else
                return Fail("Invalid digest algorithm for /fd: " + Value +
                            ". Use SHA256, SHA1, SHA384 or SHA512.");
            break;
        case swCertificate:
            Request.Certificate = Value;
            break;
        case swPassword:
            Request.Password = Value;
            break;
        case swThumbprint:
            Request.Thumbprint = NormalizeThumbprint(Value);
            if (Request.Thumbprint.empty())
                return Fail("Invalid SHA-1 thumbprint for /sha1: " + Value +
                            ". Give the certificate's 40 hexadecimal digits.");
            break;
        case swTimeStamp:
            Request.TimeStamp = true;
            Request.TimeStampURL = Value;
            break;
        case swTimeDigest:
            if (auto Name = DigestName(Value, TimeStampDigests))
                Request.TimeStampDigest = *Name;
            else
                return Fail("Invalid digest algorithm for /td: " + Value + ". Use SHA256 or SHA1.");
            break;
        default:
            break;
        }
    }

    for (; I < Count; ++I) {
        if (IsKnownSwitch(Args[I]))
            return Fail("Options must come before the file names: " + Args[I]);
        if (Args[I].empty())
            return Fail("Missing filename.");
        Request.Files.push_back(Args[I]);
    }
    if (Request.Files.empty())
        return Fail("Missing filename.");
    if (!Request.TimeStampDigest.empty() && !Request.TimeStamp)
        return Fail("The /td option requires the /tr option.");
    if (!Request.Thumbprint.empty() && Seen[swCertificate])
        return Fail("The options /f and /sha1 cannot be used together: sign with a PFX file or "
                    "with a certificate on a token.");
    if (Request.Certificate.empty() && Request.Thumbprint.empty())
        return Fail("No certificate file given: this signtool signs with the PFX file named by "
                    "/f, or with the certificate on a PKCS#11 token that /sha1 names by its "
                    "thumbprint.");

    Result.Outcome = TParseOutcome::Sign;
    return Result;
}
