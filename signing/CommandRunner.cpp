#include "signing/CommandRunner.h"
#include "signing/CommandRunnerOutput.h"

#include "core/AnsiText.h"

#include <algorithm>
#include <cstring>

void TCollectedOutput::DeliverTo(std::string& Output) const {
    if (!Text.empty())
        Output += NormalizeLineBreaks(Text);
}

std::string NormalizeLineBreaks(std::string_view Raw) {
    if (Raw.empty())
        return {};
    // Overwriting never grows the text and each LF adds one CR, so one
    // reservation holds every step; the text is cut to the final write
    // position at the end.
    std::string Result;
    Result.reserve(Raw.size() + static_cast<std::size_t>(std::count(Raw.begin(), Raw.end(), '\n')));
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
            // Overwrite what lies at the write position, append the rest.
            const std::size_t Length = static_cast<std::size_t>(Stop - P);
            const std::size_t Overlap = std::min(Length, Result.size() - Write);
            std::memcpy(Result.data() + Write, P, Overlap);
            Result.append(P + Overlap, Length - Overlap);
            Write += Length;
            LineEnd = Write;
            P = Stop;
            if (P == End)
                break;
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

std::optional<std::vector<std::string>>
MergeEnvironment(const std::vector<std::string>& Inherited,
                 const std::vector<std::pair<std::string, std::string>>& Added, bool IgnoreCase) {
    for (const auto& [Name, Value] : Added)
        if (Name.empty() || Name.find_first_of(std::string_view("=\0", 2)) != std::string::npos ||
            Value.find('\0') != std::string::npos)
            return std::nullopt;
    auto Replaced = [&](std::string_view Entry) {
        // Windows keeps per-drive folders as "=C:=C:\..."; the name of such
        // an entry starts with its "=".
        const std::size_t Equals = Entry.find('=', 1);
        const std::string_view Name = Entry.substr(0, Equals);
        return std::any_of(Added.begin(), Added.end(), [&](const auto& Variable) {
            return IgnoreCase ? SameTextAZ(Name, Variable.first) : Name == Variable.first;
        });
    };
    std::vector<std::string> Result;
    Result.reserve(Inherited.size() + Added.size());
    for (const std::string& Entry : Inherited)
        if (!Replaced(Entry))
            Result.push_back(Entry);
    for (const auto& [Name, Value] : Added)
        Result.push_back(Name + "=" + Value);
    return Result;
}
