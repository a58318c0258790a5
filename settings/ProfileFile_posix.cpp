#include "settings/ProfileFile.h"

#include "core/QuorvelErrors.h"
#include "settings/AtomicFile.h"
#include "settings/ProfileText.h"

namespace {
// A file that cannot be read reads as empty, as with the profile calls.
std::string TextOf(const std::string& Path) {
    std::string Text;
    try {
        ReadFileText(Path, Text);
    } catch (const EOSError&) {
        Text.clear();
    }
    return Text;
}
} // namespace

std::vector<std::string> ProfileSectionNames(const std::string& Path, const std::string& Section) {
    return ProfileTextSectionNames(TextOf(Path), Section);
}

std::string ProfileReadString(const std::string& Path, const std::string& Section,
                              const std::string& Name, const std::string& Default) {
    std::string Value;
    return ProfileTextRead(TextOf(Path), Section, Name, Value) ? Value : Default;
}

void ProfileWriteString(const std::string& Path, const std::string& Section,
                        const std::string& Name, const std::string& Value) {
    std::string Text;
    ReadFileText(Path, Text); // a file that exists but cannot be read must not be replaced
    // settings.ini may hold the certificate password in plain text.
    ReplaceFileAtomically(Path, ProfileTextWrite(Text, Section, Name, Value), true);
}
