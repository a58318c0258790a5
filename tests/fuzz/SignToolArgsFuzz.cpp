// The signtool stand-in's parsers: any argument list gives one outcome whose
// request is complete; the command line Quorvel composes for a file, split as
// Windows splits it, asks the stand-in for exactly those settings and that
// file; and whatever osslsigncode says when it fails, the stand-in's failure
// lines never hold the word that makes Quorvel count a file as signed.
#include "signing/CommandLineSplit.h"
#include "signing/SigningSettings.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tools/signtool/SignToolArgs.h"
#include "tools/signtool/SignToolTexts.h"

#include "core/AnsiText.h"

#include <algorithm>
#include <cctype>

namespace {

using TArgs = std::vector<std::string>;

void CheckAnyArgs(const TArgs& Args) {
    const TParseResult Result = ParseSignToolArgs(Args);
    if (Result.Outcome != TParseOutcome::Sign) {
        FUZZ_CHECK((Result.Outcome == TParseOutcome::Error) == !Result.Error.empty());
        return;
    }
    const TSignRequest& R = Result.Request;
    FUZZ_CHECK(!R.Files.empty() && !R.Certificate.empty());
    FUZZ_CHECK(std::none_of(R.Files.begin(), R.Files.end(),
                            [](const std::string& F) { return F.empty(); }));
    FUZZ_CHECK(R.FileDigest.empty() || R.FileDigest == "SHA256" || R.FileDigest == "SHA1" ||
               R.FileDigest == "SHA384" || R.FileDigest == "SHA512");
    FUZZ_CHECK(R.TimeStampDigest.empty() || R.TimeStampDigest == "SHA256" ||
               R.TimeStampDigest == "SHA1");
    FUZZ_CHECK(R.TimeStamp || (R.TimeStampDigest.empty() && R.TimeStampURL.empty()));
    FUZZ_CHECK(R.Files.back() == Args.back());
}

bool Has(const std::string& S, const char* Chars) {
    return S.find_first_of(Chars) != std::string::npos;
}

// "/x" or "-x" with letters, digits or "?": what the stand-in takes for a switch.
bool LooksLikeSwitch(const std::string& S) {
    return S.size() >= 2 && (S[0] == '/' || S[0] == '-') &&
           std::all_of(S.begin() + 1, S.end(), [](char C) {
               return std::isalnum(static_cast<unsigned char>(C)) != 0 || C == '?';
           });
}

// Values Quorvel inserts unquoted must be single words; quoted paths must not
// end in a backslash (it would escape the closing quote) or hold a quote.
bool Composable(const TSigningSettings& S, const std::string& File) {
    const auto Word = [](const std::string& V) { return !Has(V, " \t\"") && !LooksLikeSwitch(V); };
    const auto Quoted = [](const std::string& V) {
        return !V.empty() && !Has(V, "\"") && V.back() != '\\' && !LooksLikeSwitch(V);
    };
    return !S.SignTool.empty() && !Has(S.SignTool, " \t\"") && Word(S.Password) &&
           (!S.TimeStamping || (!S.TimeStampURL.empty() && Word(S.TimeStampURL))) &&
           Quoted(S.Certificate) && Quoted(File);
}

void CheckComposed(TFuzzInput& In) {
    TSigningSettings S;
    S.SignTool = In.Text();
    S.Certificate = In.Text();
    S.Password = In.Text();
    S.TimeStampURL = In.Text();
    const std::uint8_t Flags = In.Byte();
    S.TimeStamping = (Flags & 1) != 0;
    S.CertDigest = (Flags >> 1) & 3;
    S.TimeStampDigest = (Flags >> 3) & 3;
    const std::string File = In.Text();
    if (!Composable(S, File))
        return;

    TArgs Args = SplitCommandLine(BuildSignCommandLine(S, File));
    FUZZ_CHECK(Args.front() == S.SignTool);
    Args.erase(Args.begin());
    const TParseResult Result = ParseSignToolArgs(Args);
    FUZZ_CHECK(Result.Outcome == TParseOutcome::Sign);
    const TSignRequest& R = Result.Request;
    FUZZ_CHECK(R.Certificate == S.Certificate && R.Password == S.Password);
    FUZZ_CHECK(R.FileDigest == (S.CertDigest == 0 ? "SHA256" : ""));
    FUZZ_CHECK(R.TimeStamp == S.TimeStamping);
    if (S.TimeStamping) {
        FUZZ_CHECK(R.TimeStampURL == S.TimeStampURL);
        FUZZ_CHECK(R.TimeStampDigest == (S.TimeStampDigest == 0 ? "SHA256" : ""));
    }
    FUZZ_CHECK(R.Files == TArgs{File});
}

void CheckFailureText(TFuzzInput& In) {
    const int ExitStatus = static_cast<int>(In.Word());
    const std::string Path = In.Text();
    const std::string Captured(In.Rest());
    const TSignOutcome Outcome = ClassifyOsslFailure(ExitStatus, Captured);
    FUZZ_CHECK(Outcome.Failure != TSignFailure::None);
    for (const std::string& Line : FailureLines(Outcome, Path)) {
        FUZZ_CHECK(Line.starts_with(ErrorPrefix));
        FUZZ_CHECK(!ContainsTextAZ("success", Line));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    TFuzzInput In(Data, Size);
    const std::uint8_t Mode = In.Byte();
    if (Mode & 1) {
        CheckComposed(In);
        return 0;
    }
    if (Mode & 2) {
        CheckFailureText(In);
        return 0;
    }
    TArgs Args;
    while (!In.Empty())
        Args.push_back(In.Text());
    CheckAnyArgs(Args);
    return 0;
}
