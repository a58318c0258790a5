#include "ui/C_TextStorage.h"

#include "core/AnsiText.h"

TTextStorage::TTextStorage(std::vector<std::string> DesignItems) : Items(std::move(DesignItems)) {
    Loaded();
}

void TTextStorage::Loaded() {
    Defaults = Items;
}

std::string TTextStorage::GetText(const std::string& Key) const {
    for (std::size_t Index = 0; Index < Defaults.size(); ++Index) {
        if (!SameTextAZ(Defaults[Index], Key))
            continue;
        // Items may have been replaced by a shorter list.
        if (Index >= Items.size() || Items[Index] == "unused")
            return Key;
        return Items[Index];
    }
    return Key;
}
