// The file-list file (and every text list read the same way): split against
// the rule written out plainly, and a saved list reads back as saved.
#include "log/TextLines.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

std::vector<std::string> Reference(std::string_view Text) {
    std::vector<std::string> Lines;
    std::string Line;
    bool Open = false; // a line has begun and not yet ended
    for (std::size_t I = 0; I < Text.size() && Text[I] != '\0'; ++I) {
        const char C = Text[I];
        if (C == '\r' || C == '\n') {
            Lines.push_back(Line);
            Line.clear();
            Open = false;
            if (C == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n')
                ++I;
        } else {
            Line += C;
            Open = true;
        }
    }
    if (Open)
        Lines.push_back(Line);
    return Lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string_view Text(reinterpret_cast<const char*>(Data), Size);
    const std::vector<std::string> Lines = SplitTextLines(Text);
    FUZZ_CHECK(Lines == Reference(Text));

    // Saved as SaveFileListFile writes it, each line ending in CR LF.
    std::string Saved;
    for (const std::string& Line : Lines)
        Saved += Line + "\r\n";
    FUZZ_CHECK(SplitTextLines(Saved) == Lines);
    return 0;
}
