#include "tests/reliability/SaveLoops.h"

#include "settings/U_OstrinUtils.h"
#include "settings/U_QuorvelFct.h"

namespace {
std::string Filler(int Version, int Index, std::size_t Size) {
    std::string Text(Size, static_cast<char>(Version ? 'B' : 'A'));
    const std::string Tag = "v" + std::to_string(Version) + "-" + std::to_string(Index) + "-";
    Text.replace(0, Tag.size(), Tag);
    return Text;
}
} // namespace

std::vector<std::string> FileListVersion(int Version) {
    std::vector<std::string> Lines;
    // A different number of lines per version: a length alone tells them apart.
    const int Count = Version ? 3000 : 2500;
    for (int Index = 0; Index < Count; ++Index)
        Lines.push_back("C:\\build\\" + Filler(Version, Index, 120) + ".exe");
    return Lines;
}

std::string HiveValueVersion(int Version) {
    return Filler(Version, 0, 48 * 1024 - (Version ? 0 : 1000));
}

void WriteSettingsVersion(int Version) {
    for (int Index = 0; Index < 6; ++Index)
        WriteSetting("Value" + std::to_string(Index), Filler(Version, Index, 1500));
    WriteSetting("Password", Version ? "second password" : "first");
}

void ExportSettingsVersion(int Version, const std::string& Ini) {
    WriteSettingsVersion(Version);
    ExportSettingsIni("Quorvel", Ini);
}
