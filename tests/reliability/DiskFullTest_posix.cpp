// Saving onto a full disk: the save fails with an error that names the file,
// the previous file stays as it was, and the window's close stops at the
// step that failed, showing the message.
//
// The disk is a 64 KiB tmpfs mounted in a mount namespace of this test
// process's own, when the system lets it unshare and mount (as root, or
// with CAP_SYS_ADMIN); writes past its end fail with ENOSPC. Where it does
// not, the test falls back to the file-size limit (RLIMIT_FSIZE): writes past
// it fail with EFBIG, SIGXFSZ ignored. The test prints which one it used.
#include "core/QuorvelErrors.h"
#include "log/U_Log.h"
#include "settings/AtomicFile.h"
#include "settings/Registry.h"
#include "settings/U_OstrinUtils.h"
#include "settings/U_QuorvelFct.h"
#include "tests/reliability/RealListServices.h"
#include "tests/settings/store/Sandbox.h"
#include "tests/ui/MainDlgFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Contents(const fs::path& Path) {
    std::string Text;
    return ReadFileText(Path.string(), Text) ? Text : "<no file>";
}

void Put(const fs::path& Path, const std::string& Bytes) {
    std::ofstream(Path, std::ios::binary) << Bytes;
}

// One folder where saving can be made to fail for lack of room.
class TFullDisk {
public:
    TFullDisk() {
        std::random_device Random;
        Folder = fs::temp_directory_path() / ("quorvel-full-disk-" + std::to_string(Random()));
        fs::create_directories(Folder);
        std::signal(SIGXFSZ, SIG_IGN);
        Why = MountTmpfs();
        if (Why.empty())
            Kind = "a 64 KiB tmpfs (ENOSPC)";
        else
            Kind = "the file-size limit RLIMIT_FSIZE (EFBIG), because " + Why;
    }
    ~TFullDisk() {
        if (Mounted)
            ::umount2(Folder.c_str(), MNT_DETACH);
        std::error_code Ignored;
        fs::remove_all(Folder, Ignored);
    }
    TFullDisk(const TFullDisk&) = delete;
    TFullDisk& operator=(const TFullDisk&) = delete;

    // From now until the result is released, writes in Folder find no room.
    std::shared_ptr<void> Fill() {
        if (Mounted) {
            const fs::path Filler = Folder / "filler";
            const int Fd = ::open(Filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            const std::string Block(4096, 'f');
            while (::write(Fd, Block.data(), Block.size()) > 0) {
            }
            // The last partial block too, byte by byte.
            while (::write(Fd, "f", 1) > 0) {
            }
            ::close(Fd);
            return std::shared_ptr<void>(nullptr, [Filler](void*) { fs::remove(Filler); });
        }
        rlimit Old{};
        ::getrlimit(RLIMIT_FSIZE, &Old);
        rlimit Small = Old;
        Small.rlim_cur = 1024;
        ::setrlimit(RLIMIT_FSIZE, &Small);
        return std::shared_ptr<void>(nullptr, [Old](void*) { ::setrlimit(RLIMIT_FSIZE, &Old); });
    }

    // The entries of Folder other than the filler, sorted.
    std::vector<std::string> Entries(const fs::path& Sub = {}) const {
        std::vector<std::string> Names;
        for (const auto& Entry : fs::directory_iterator(Folder / Sub))
            if (Entry.path().filename() != "filler")
                Names.push_back(Entry.path().filename().string());
        std::sort(Names.begin(), Names.end());
        return Names;
    }

    fs::path Folder;
    std::string Kind;
    // The system's words for the failure, as the error message carries them.
    std::string Words() const { return SysErrorMessage(Mounted ? ENOSPC : EFBIG); }

private:
    std::string MountTmpfs() {
        if (::unshare(CLONE_NEWNS) != 0)
            return std::string("unshare(CLONE_NEWNS) failed: ") + std::strerror(errno);
        // Private, so that nothing mounted here shows outside this process.
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return std::string("making / private failed: ") + std::strerror(errno);
        if (::mount("tmpfs", Folder.c_str(), "tmpfs", 0, "size=64k,mode=0700") != 0)
            return std::string("mounting a tmpfs failed: ") + std::strerror(errno);
        Mounted = true;
        return {};
    }
    bool Mounted = false;
    std::string Why;
};

class DiskFull : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Disk = std::make_unique<TFullDisk>();
        std::printf("[          ] the full disk is %s\n", Disk->Kind.c_str());
    }
    static void TearDownTestSuite() { Disk.reset(); }
    static inline std::unique_ptr<TFullDisk> Disk;
    TStoreSandbox Sandbox;
};

TEST_F(DiskFull, FileListSaveFailsNamingTheFileAndKeepsTheOldList) {
    const fs::path List = Disk->Folder / "Quorvel.db";
    SaveFileListFile(List.string(), {"C:\\old.exe"});
    const std::vector<std::string> Lines(3000, "C:\\build\\a rather long path to a new file.exe");
    {
        auto Full = Disk->Fill();
        try {
            SaveFileListFile(List.string(), Lines);
            ADD_FAILURE() << "the save did not fail";
        } catch (const EOSError& Error) {
            const std::string Text = Error.what();
            EXPECT_NE(Text.find(List.string()), std::string::npos) << Text;
            EXPECT_NE(Text.find(Disk->Words()), std::string::npos) << Text;
        }
    }
    EXPECT_EQ(Contents(List), "C:\\old.exe\r\n");
    EXPECT_EQ(Disk->Entries(), std::vector<std::string>{"Quorvel.db"})
        << "a temporary file is left";
    std::error_code Ignored;
    fs::remove(List, Ignored);
}

TEST_F(DiskFull, HiveWriteFailsNamingTheFileAndKeepsTheOldSettings) {
    const fs::path Config = Disk->Folder / "config";
    setenv("XDG_CONFIG_HOME", Config.c_str(), 1); // the sandbox puts it back
    WriteSetting("SignTool", "C:\\old\\signtool.exe");
    const fs::path Hive = Config / "quorvel" / "HKEY_CURRENT_USER.reg";
    const std::string Before = Contents(Hive);
    {
        auto Full = Disk->Fill();
        try {
            WriteSetting("Certificate", std::string(20000, 'c'));
            ADD_FAILURE() << "the write did not fail";
        } catch (const ERegistryError& Error) {
            const std::string Text = Error.what();
            EXPECT_NE(Text.find(Hive.string()), std::string::npos) << Text;
            EXPECT_NE(Text.find(Disk->Words()), std::string::npos) << Text;
        }
    }
    EXPECT_EQ(Contents(Hive), Before);
    EXPECT_EQ(ReadSetting("SignTool"), "C:\\old\\signtool.exe");
    EXPECT_TRUE(TakeStoreNotices().empty()) << "the hive was taken for damaged";
    std::error_code Ignored;
    fs::remove_all(Config, Ignored);
}

// The portable export: false, so the close keeps the registry; settings.ini
// exactly as it was.
TEST_F(DiskFull, SettingsIniExportFailsAndKeepsTheOldFileAndTheRegistry) {
    const fs::path Ini = Disk->Folder / "settings.ini";
    Put(Ini, "[Settings]\r\nSignTool=C:\\old\\signtool.exe\r\n");
    WriteSetting("SignTool", "C:\\new\\signtool.exe");
    WriteSetting("Certificate", std::string(4000, 'c'));
    {
        auto Full = Disk->Fill();
        EXPECT_FALSE(ExportSettingsIni("Quorvel", Ini.string()));
    }
    EXPECT_EQ(Contents(Ini), "[Settings]\r\nSignTool=C:\\old\\signtool.exe\r\n");
    EXPECT_EQ(Disk->Entries(), std::vector<std::string>{"settings.ini"});
    EXPECT_EQ(ReadSetting("SignTool"), "C:\\new\\signtool.exe");
    fs::remove(Ini);
}

// The window's close: the file list cannot be saved, so the close stops
// there with the message in the error box, and the window stays open.
TEST_F(DiskFull, CloseStopsAtTheListWithTheMessageAndKeepsTheWindow) {
    const fs::path List = Disk->Folder / "Quorvel.db";
    SaveFileListFile(List.string(), {"C:\\old.exe"});
    TFakeMainView View;
    TRealListServices Services;
    Services.ListPath = List.string();
    Services.Installed = false;
    TMainDlg Dlg(View, Services);
    Dlg.FormCreate();
    Dlg.AppEvtActivate();
    for (int Index = 0; Index < 2000; ++Index)
        View.AddRow("C:\\build\\new file " + std::to_string(Index) + ".exe", ssPending);
    Services.Calls.clear();
    {
        auto Full = Disk->Fill();
        EXPECT_FALSE(Dlg.FormClose());
    }
    ASSERT_EQ(View.Boxes.size(), 1u);
    EXPECT_EQ(View.Boxes[0].Caption, "Quorvel");
    EXPECT_NE(View.Boxes[0].Text.find(List.string()), std::string::npos) << View.Boxes[0].Text;
    EXPECT_NE(View.Boxes[0].Text.find(Disk->Words()), std::string::npos) << View.Boxes[0].Text;
    EXPECT_EQ(Services.Calls, std::vector<std::string>{"SaveFileList"}) << "the close went on";
    EXPECT_EQ(Contents(List), "C:\\old.exe\r\n");
    EXPECT_EQ(View.CloseRequests, 0);

    // With room again, the same close goes through.
    EXPECT_TRUE(Dlg.FormClose());
    EXPECT_EQ(LoadFileListFile(List.string()).size(), 2001u);
    fs::remove(List);
}

// The log on a full disk is silent by rule; its entries wait for room.
TEST_F(DiskFull, LogSaveIsSilentAndKeepsItsEntries) {
    const fs::path Path = Disk->Folder / "Quorvel.log";
    TKLog Log(Path.string(), true, 10000, false);
    {
        auto Full = Disk->Fill();
        for (int Index = 0; Index < 100; ++Index)
            EXPECT_NO_THROW(Log.Write(std::string(100, 'e'), LogInfo));
    }
    EXPECT_EQ(Log.Lines.size(), 100u);
    Log.Flush();
    EXPECT_EQ(Contents(Path).size(), 100 * (Log.Lines.front().size() + 2));
    fs::remove(Path);
}

} // namespace
