#include "log/TextLines.h"

std::vector<std::string> SplitTextLines(std::string_view Text) {
    if (const auto Nul = Text.find('\0'); Nul != std::string_view::npos)
        Text = Text.substr(0, Nul);
    std::vector<std::string> Lines;
    std::size_t Start = 0;
    while (Start < Text.size()) {
        std::size_t End = Start;
        while (End < Text.size() && Text[End] != '\r' && Text[End] != '\n')
            ++End;
        Lines.emplace_back(Text.substr(Start, End - Start));
        if (End < Text.size() && Text[End] == '\r' && End + 1 < Text.size() &&
            Text[End + 1] == '\n')
            ++End;
        Start = End + 1;
    }
    return Lines;
}
