// A window's user-interface texts, looked up by the wording they have in the
// window's design, so that the whole list of wordings can be replaced
// without touching code.
#pragma once

#include <string>
#include <vector>

class TTextStorage {
public:
    // Created in code: both lists empty, so every key comes back unchanged.
    TTextStorage() = default;
    // Created from a window's design: Items filled, then the after-loading step.
    explicit TTextStorage(std::vector<std::string> DesignItems);

    // The after-loading step: the design's texts become the lookup keys.
    void Loaded();

    // The current wording of Key: the entry of Items at the position of the
    // first entry of Defaults equal to Key (letter case aside); Key itself
    // when none matches or the wording is exactly "unused".
    std::string GetText(const std::string& Key) const;

    // The current texts; assigning replaces them and leaves Defaults alone.
    std::vector<std::string> Items;
    // Items as the design left them; the lookup keys.
    std::vector<std::string> Defaults;
};
