#include "tools/signtool/SignTool.h"

#include <exception>
#include <optional>

namespace {

void Line(std::ostream& Stream, std::string_view Text) {
    Stream << Text << '\n' << std::flush;
}

TSignOutcome SignGuarded(const TFileSigner& Signer, const TSignRequest& Request,
                         const std::string& Path) {
    try {
        return Signer(Request, Path);
    } catch (const std::exception& Error) {
        return TSignOutcome{TSignFailure::Unexpected, {}, {Error.what()}};
    }
}

} // namespace

int RunSignTool(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err,
                const TFileSigner& Signer) {
    const TParseResult Parsed = ParseSignToolArgs(Args);
    switch (Parsed.Outcome) {
    case TParseOutcome::Usage:
        Out << UsageText() << std::flush;
        return 0;
    case TParseOutcome::MissingArgs:
        Line(Err, std::string(ErrorPrefix) + "A required parameter is missing.");
        Out << UsageText() << std::flush;
        return 1;
    case TParseOutcome::Error:
        Line(Err, std::string(ErrorPrefix) + MaskSuccessWord(Parsed.Error));
        return 1;
    case TParseOutcome::Sign:
        break;
    }

    const TSignRequest& Request = Parsed.Request;
    if (Request.FileDigest.empty())
        Line(Err, NoDigestWarning());
    bool StoreAnnounced = false;
    int Errors = 0;
    // A token counts every wrong PIN and locks itself after a few: once it
    // has refused the PIN, the other files are not tried with it again.
    std::optional<TSignOutcome> PinRefused;
    for (const std::string& Path : Request.Files) {
        const TSignOutcome Outcome = PinRefused ? *PinRefused : SignGuarded(Signer, Request, Path);
        if (Outcome.Failure == TSignFailure::BadPin || Outcome.Failure == TSignFailure::PinLocked)
            PinRefused = Outcome;
        if (Outcome.Failure == TSignFailure::None) {
            // Signtool says so once, when the PFX file's store is ready.
            if (!StoreAnnounced)
                Line(Out, DoneAddingStoreLine);
            StoreAnnounced = true;
            Line(Out, std::string(SignedPrefix) + Path);
        } else {
            ++Errors;
            for (const std::string& Text : FailureLines(Outcome, Path))
                Line(Err, Text);
        }
    }
    if (Errors == 0)
        return 0;
    Line(Err, ErrorCountLine(Errors));
    return 1;
}
