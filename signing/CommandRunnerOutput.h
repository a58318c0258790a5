// The platform-neutral half of a run: collecting the chunks the pipe delivers
// and handing them over once the run is complete.
#pragma once

#include <cstddef>
#include <string>

class TCollectedOutput {
public:
    // Every byte is kept, NUL bytes included: the tool's text is never cut
    // short at a stray 0 byte.
    void Take(const char* Data, std::size_t Size) { Text.append(Data, Size); }

    // Appends the normalised text to Output, or nothing when nothing came.
    void DeliverTo(std::string& Output) const;

private:
    std::string Text;
};
