#include "settings/ProfileFile.h"

#include "core/QuorvelErrors.h"
#include "settings/ProfileText.h"

#include <windows.h>

std::vector<std::string> ProfileSectionNames(const std::string& Path, const std::string& Section) {
    std::string Buffer(ProfileNamesRoom, '\0');
    const DWORD Length = GetPrivateProfileStringA(Section.c_str(), nullptr, nullptr, Buffer.data(),
                                                  static_cast<DWORD>(Buffer.size()), Path.c_str());
    std::vector<std::string> Names;
    for (std::size_t Start = 0; Start < Length;) {
        const std::size_t End = Buffer.find('\0', Start);
        if (End == Start || End == std::string::npos)
            break;
        Names.push_back(Buffer.substr(Start, End - Start));
        Start = End + 1;
    }
    return Names;
}

std::string ProfileReadString(const std::string& Path, const std::string& Section,
                              const std::string& Name, const std::string& Default) {
    std::string Buffer(ProfileValueRoom, '\0');
    const DWORD Length =
        GetPrivateProfileStringA(Section.c_str(), Name.c_str(), Default.c_str(), Buffer.data(),
                                 static_cast<DWORD>(Buffer.size()), Path.c_str());
    Buffer.resize(Length);
    return Buffer;
}

void ProfileWriteString(const std::string& Path, const std::string& Section,
                        const std::string& Name, const std::string& Value) {
    if (!WritePrivateProfileStringA(Section.c_str(), Name.c_str(), Value.c_str(), Path.c_str())) {
        const DWORD Code = GetLastError();
        throw EOSError(Code, "Unable to write to " + Path);
    }
}
