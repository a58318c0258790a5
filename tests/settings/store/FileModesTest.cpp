// The permissions of the files the store makes on Linux: settings.ini may
// hold the certificate password and is its owner's alone, as the hive is;
// every other new file is made as the user's umask allows.
#include "settings/FileListFile.h"
#include "settings/U_OstrinUtils.h"
#include "settings/U_QuorvelFct.h"
#include "tests/settings/store/Sandbox.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {
// The umask belongs to the whole process: set for one case, then put back.
class TUmask {
public:
    explicit TUmask(mode_t Mask) : Old(umask(Mask)) {}
    ~TUmask() { umask(Old); }
    TUmask(const TUmask&) = delete;
    TUmask& operator=(const TUmask&) = delete;

private:
    mode_t Old;
};

unsigned ModeOf(const fs::path& Path) {
    struct stat Info {};
    return stat(Path.c_str(), &Info) == 0 ? Info.st_mode & 07777 : 01000;
}
} // namespace

TEST(FileModes, NewSettingsIniIsPrivateAndOtherNewFilesFollowTheUmask) {
    struct Case {
        mode_t Umask;
        unsigned List; // a new Quorvel.db
    };
    const Case Cases[] = {{022, 0644}, {002, 0664}, {027, 0640}, {077, 0600}};
    TStoreSandbox Sandbox;
    const fs::path List = Sandbox.Scratch / "Quorvel.db";
    const fs::path Ini = Sandbox.Scratch / "settings.ini";
    for (const auto& C : Cases) {
        SCOPED_TRACE("umask " + std::to_string(C.Umask));
        TUmask Mask(C.Umask);
        fs::remove(List);
        fs::remove(Ini);
        SaveFileListFile(List.string(), {"C:\\a.exe"});
        EXPECT_EQ(ModeOf(List), C.List);
        WriteSetting("Password", "secret");
        ASSERT_TRUE(ExportSettingsIni("Quorvel", Ini.string()));
        EXPECT_EQ(ModeOf(Ini), 0600u);
    }
}

// Whatever the user gave an existing file stays, private or not.
TEST(FileModes, AReplacedFileKeepsItsPermissions) {
    TStoreSandbox Sandbox;
    TUmask Mask(077);
    const fs::path List = Sandbox.Scratch / "Quorvel.db";
    const fs::path Ini = Sandbox.Scratch / "settings.ini";
    SaveFileListFile(List.string(), {"old"});
    WriteSetting("SignTool", "old");
    ASSERT_TRUE(ExportSettingsIni("Quorvel", Ini.string()));
    fs::permissions(List, static_cast<fs::perms>(0664));
    fs::permissions(Ini, static_cast<fs::perms>(0644));
    SaveFileListFile(List.string(), {"new"});
    WriteSetting("SignTool", "new");
    ASSERT_TRUE(ExportSettingsIni("Quorvel", Ini.string()));
    EXPECT_EQ(ModeOf(List), 0664u);
    EXPECT_EQ(ModeOf(Ini), 0644u);
}
