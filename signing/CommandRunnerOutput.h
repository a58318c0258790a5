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

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

// The child's environment: the inherited "NAME=value" entries without those
// that Added replaces, then Added. Names compare letter case A to Z ignored
// when IgnoreCase (Windows). Nothing when a name of Added is empty or holds
// "=", or an entry holds a NUL: such a variable cannot be passed.
std::optional<std::vector<std::string>>
MergeEnvironment(const std::vector<std::string>& Inherited,
                 const std::vector<std::pair<std::string, std::string>>& Added, bool IgnoreCase);
