#include "CommandRunner.h"
#include "CommandRunnerOutput.h"

#include <algorithm>
#include <cstring>

void TCollectedOutput::DeliverTo(std::string& Output) const {
    if (!Text.empty())
        Output += NormalizeLineBreaks(Text);
}

std::string NormalizeLineBreaks(std::string_view Raw) {
    // Overwriting never grows the text; only each LF adds one CR.
    std::string Result;
    Result.reserve(Raw.size() + static_cast<std::size_t>(std::count(Raw.begin(), Raw.end(), '\n')));

    std::size_t Write = 0, LineStart = 0, LineEnd = 0;
    const char* const Begin = Raw.data();
    const char* const End = Begin + Raw.size();
    // The next CR and LF are looked up with memchr and kept until passed, so
    // ordinary text is copied in runs and the whole pass stays linear.
    auto Find = [End](const char* From, char C) {
        const void* Hit = std::memchr(From, C, static_cast<std::size_t>(End - From));
        return Hit ? static_cast<const char*>(Hit) : End;
    };
    const char* P = Begin;
    const char* NextCR = Find(P, '\r');
    const char* NextLF = Find(P, '\n');
    while (P < End) {
        if (NextCR < P)
            NextCR = Find(P, '\r');
        if (NextLF < P)
            NextLF = Find(P, '\n');
        const char* Stop = std::min(NextCR, NextLF);
        if (Stop > P) {
            // A run of ordinary characters: overwrite what lies at the write
            // position, append the remainder.
            const std::size_t Length = static_cast<std::size_t>(Stop - P);
            const std::size_t Overlap = std::min(Length, Result.size() - Write);
            Result.replace(Write, Overlap, P, Length);
            Write += Length;
            LineEnd = Write;
            P = Stop;
            continue;
        }
        if (*P == '\n') {
            Result.resize(LineEnd);
            Result += "\r\n";
            Write = LineStart = LineEnd = Result.size();
        } else {
            Write = LineStart;
        }
        ++P;
    }
    Result.resize(Write);
    return Result;
}
