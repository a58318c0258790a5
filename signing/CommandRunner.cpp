#include "CommandRunner.h"
#include "CommandRunnerOutput.h"

#include <algorithm>
#include <cstring>

void TCollectedOutput::DeliverTo(std::string& Output) const {
    if (!Text.empty())
        Output += NormalizeLineBreaks(Text);
}

std::string NormalizeLineBreaks(std::string_view Raw) {
    if (Raw.empty())
        return {};
    // Overwriting never grows the text and each LF adds one CR, so the result
    // fits in the raw size plus the number of LFs; it is cut to the final
    // write position at the end.
    std::string Result(
        Raw.size() + static_cast<std::size_t>(std::count(Raw.begin(), Raw.end(), '\n')), '\0');
    char* const Out = Result.data();
    std::size_t Write = 0, LineStart = 0, LineEnd = 0;

    // Ordinary characters are copied in runs between line breaks. The next CR
    // and the next LF are each looked up once and kept until passed, so the
    // pass stays linear.
    const char* P = Raw.data();
    const char* const End = P + Raw.size();
    auto Find = [End](const char* From, char C) {
        const void* Hit = std::memchr(From, C, static_cast<std::size_t>(End - From));
        return Hit ? static_cast<const char*>(Hit) : End;
    };
    const char* NextCR = Find(P, '\r');
    const char* NextLF = Find(P, '\n');
    while (P < End) {
        if (NextCR < P)
            NextCR = Find(P, '\r');
        if (NextLF < P)
            NextLF = Find(P, '\n');
        const char* const Stop = std::min(NextCR, NextLF);
        if (Stop > P) {
            const std::size_t Length = static_cast<std::size_t>(Stop - P);
            std::memcpy(Out + Write, P, Length);
            Write += Length;
            LineEnd = Write;
            P = Stop;
            if (P == End)
                break;
        }
        if (*P == '\n') {
            Out[LineEnd] = '\r';
            Out[LineEnd + 1] = '\n';
            Write = LineStart = LineEnd = LineEnd + 2;
        } else {
            Write = LineStart;
        }
        ++P;
    }
    Result.resize(Write);
    return Result;
}
