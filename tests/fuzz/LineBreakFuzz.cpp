// The tool's output as a terminal shows it, against the rule written out
// plainly: one buffer, a write position, the current line's start and end.
#include "signing/CommandRunner.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

std::string Reference(std::string_view Raw) {
    std::string Screen;
    std::size_t Write = 0, LineStart = 0, LineEnd = 0;
    const auto Put = [&Screen](std::size_t At, char C) {
        if (At < Screen.size())
            Screen[At] = C;
        else
            Screen.push_back(C);
    };
    for (const char C : Raw) {
        if (C == '\n') {
            Put(LineEnd, '\r');
            Put(LineEnd + 1, '\n');
            Write = LineStart = LineEnd = LineEnd + 2;
        } else if (C == '\r') {
            Write = LineStart;
        } else {
            Put(Write, C);
            LineEnd = ++Write;
        }
    }
    return Screen.substr(0, Write);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string_view Raw(reinterpret_cast<const char*>(Data), Size);
    const std::string Normal = NormalizeLineBreaks(Raw);
    FUZZ_CHECK(Normal == Reference(Raw));
    // Normalised text is left as it is.
    FUZZ_CHECK(NormalizeLineBreaks(Normal) == Normal);
    return 0;
}
