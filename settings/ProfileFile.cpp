#include "settings/ProfileFile.h"

#include "settings/ProfileText.h"

std::int32_t ProfileReadInteger(const std::string& Path, const std::string& Section,
                                const std::string& Name, std::int32_t Default) {
    const std::string Text = ProfileReadString(Path, Section, Name, "");
    return Text.empty() ? Default : ProfileIntegerOf(Text, Default);
}
