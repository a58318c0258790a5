#include "settings/ProfileText.h"

#include "core/AnsiText.h"

#include <optional>

namespace {
struct TLine {
    std::string_view Text;   // without its line end
    std::string_view Ending; // "\r\n", "\n" or "" for a last line without one
};

std::vector<TLine> SplitLines(std::string_view Text) {
    std::vector<TLine> Lines;
    std::size_t Start = 0;
    while (Start < Text.size()) {
        auto End = Text.find('\n', Start);
        const bool HasEnd = End != std::string_view::npos;
        if (!HasEnd)
            End = Text.size();
        std::size_t TextEnd = End;
        if (TextEnd > Start && Text[TextEnd - 1] == '\r')
            --TextEnd;
        Lines.push_back({Text.substr(Start, TextEnd - Start),
                         HasEnd ? Text.substr(TextEnd, End + 1 - TextEnd) : std::string_view()});
        Start = End + 1;
    }
    return Lines;
}

std::string_view Trim(std::string_view S) {
    while (!S.empty() && (S.front() == ' ' || S.front() == '\t'))
        S.remove_prefix(1);
    while (!S.empty() && (S.back() == ' ' || S.back() == '\t'))
        S.remove_suffix(1);
    return S;
}

// The section a header line opens, if it is one.
std::optional<std::string_view> SectionOf(std::string_view Line) {
    Line = Trim(Line);
    if (Line.empty() || Line.front() != '[')
        return std::nullopt;
    const auto Close = Line.find(']');
    if (Close == std::string_view::npos)
        return std::nullopt;
    return Trim(Line.substr(1, Close - 1));
}

struct TEntry {
    std::string_view Name, Value;
};

// A "name=value" line; comments and lines without "=" are not entries.
std::optional<TEntry> EntryOf(std::string_view Line) {
    Line = Trim(Line);
    if (Line.empty() || Line.front() == ';')
        return std::nullopt;
    const auto Equals = Line.find('=');
    if (Equals == std::string_view::npos)
        return std::nullopt;
    return TEntry{Trim(Line.substr(0, Equals)), Trim(Line.substr(Equals + 1))};
}

// [First, Last) lines of the section's body, or nothing when it is missing.
struct TSpan {
    std::size_t Header, First, Last;
};

std::optional<TSpan> FindSection(const std::vector<TLine>& Lines, std::string_view Section) {
    for (std::size_t I = 0; I < Lines.size(); ++I) {
        const auto Name = SectionOf(Lines[I].Text);
        if (!Name || !SameTextAZ(*Name, Section))
            continue;
        std::size_t End = I + 1;
        while (End < Lines.size() && !SectionOf(Lines[End].Text))
            ++End;
        return TSpan{I, I + 1, End};
    }
    return std::nullopt;
}
} // namespace

std::vector<std::string> ProfileTextSectionNames(std::string_view Text, std::string_view Section) {
    std::vector<std::string> Names;
    const auto Lines = SplitLines(Text);
    const auto Span = FindSection(Lines, Section);
    if (!Span)
        return Names;
    // The names arrive NUL-separated in a buffer with room for a final NUL.
    std::size_t Room = ProfileNamesRoom - 1;
    for (std::size_t I = Span->First; I < Span->Last && Room > 1; ++I) {
        const auto Entry = EntryOf(Lines[I].Text);
        if (!Entry || Entry->Name.empty())
            continue;
        const auto Name = Entry->Name.substr(0, Room - 1);
        Names.emplace_back(Name);
        Room -= Name.size() + 1;
    }
    return Names;
}

bool ProfileTextRead(std::string_view Text, std::string_view Section, std::string_view Name,
                     std::string& Value) {
    const auto Lines = SplitLines(Text);
    const auto Span = FindSection(Lines, Section);
    if (!Span)
        return false;
    for (std::size_t I = Span->First; I < Span->Last; ++I) {
        const auto Entry = EntryOf(Lines[I].Text);
        if (!Entry || !SameTextAZ(Entry->Name, Name))
            continue;
        std::string_view V = Entry->Value;
        if (V.size() >= 2 && (V.front() == '"' || V.front() == '\'') && V.back() == V.front())
            V = V.substr(1, V.size() - 2);
        Value = V.substr(0, ProfileValueRoom - 1);
        return true;
    }
    return false;
}

std::string ProfileTextWrite(std::string_view Text, std::string_view Section, std::string_view Name,
                             std::string_view Value) {
    const auto Lines = SplitLines(Text);
    std::string NewLine = std::string(Name) + "=" + std::string(Value);
    std::size_t Replace = Lines.size(), InsertAfter = Lines.size();
    bool AddSection = false;
    if (const auto Span = FindSection(Lines, Section)) {
        InsertAfter = Span->Header;
        for (std::size_t I = Span->First; I < Span->Last; ++I) {
            if (!Trim(Lines[I].Text).empty())
                InsertAfter = I;
            const auto Entry = EntryOf(Lines[I].Text);
            if (Entry && SameTextAZ(Entry->Name, Name)) {
                Replace = I;
                NewLine = std::string(Entry->Name) + "=" + std::string(Value); // its spelling stays
                break;
            }
        }
    } else {
        AddSection = true;
    }
    std::string Out;
    Out.reserve(Text.size() + NewLine.size() + Section.size() + 8);
    const auto Append = [&](std::string_view Line, std::string_view Ending) {
        Out += Line;
        Out += Ending;
    };
    for (std::size_t I = 0; I < Lines.size(); ++I) {
        // A last line without an end gets one when something follows it.
        const auto Ending = Lines[I].Ending.empty() ? std::string_view("\r\n") : Lines[I].Ending;
        if (I == Replace) {
            Append(NewLine, Ending);
            continue;
        }
        Append(Lines[I].Text, Ending);
        if (I == InsertAfter && Replace == Lines.size())
            Append(NewLine, "\r\n");
    }
    if (AddSection) {
        Append("[" + std::string(Section) + "]", "\r\n");
        Append(NewLine, "\r\n");
    }
    return Out;
}

std::int32_t ProfileIntegerOf(std::string_view Text, std::int32_t Default) {
    std::string_view S = Text;
    bool Negative = false;
    if (!S.empty() && (S.front() == '-' || S.front() == '+')) {
        Negative = S.front() == '-';
        S.remove_prefix(1);
    }
    int Base = 10;
    if (S.starts_with('$')) {
        Base = 16;
        S.remove_prefix(1);
    } else if (S.starts_with("0x") || S.starts_with("0X")) {
        Base = 16;
        S.remove_prefix(2);
    }
    if (S.empty())
        return Default;
    std::uint64_t Value = 0;
    for (const char C : S) {
        int Digit;
        if (C >= '0' && C <= '9')
            Digit = C - '0';
        else if (Base == 16 && C >= 'a' && C <= 'f')
            Digit = C - 'a' + 10;
        else if (Base == 16 && C >= 'A' && C <= 'F')
            Digit = C - 'A' + 10;
        else
            return Default;
        Value = Value * static_cast<std::uint64_t>(Base) + static_cast<std::uint64_t>(Digit);
        if (Value > 0xFFFFFFFFull)
            return Default;
    }
    if (Base == 10 && Value > (Negative ? 0x80000000ull : 0x7FFFFFFFull))
        return Default;
    // Hexadecimal spans all 32 bits: $FFFFFFFF is -1.
    const auto Bits = static_cast<std::uint32_t>(Value);
    const auto Signed = static_cast<std::int32_t>(Negative ? 0u - Bits : Bits);
    return Signed;
}
