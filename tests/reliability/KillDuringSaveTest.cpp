// A process killed while it saves, many times, at moments drawn from a
// fixed-seed generator: each file it was saving is afterwards one of the
// whole contents it held, never a mix, a truncation or nothing.
#include "settings/AtomicFile.h"
#include "settings/FileListFile.h"
#include "settings/Registry.h"
#include "settings/U_QuorvelFct.h"
#include "tests/reliability/HelperProcess.h"
#include "tests/reliability/SaveLoops.h"
#include "tests/settings/store/Sandbox.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string Contents(const fs::path& Path) {
    std::string Text;
    if (!ReadFileText(Path.string(), Text))
        return "<no file>";
    return Text;
}

// A brief description for a failure message, not the whole file.
std::string Describe(const std::string& Text) {
    return std::to_string(Text.size()) + " bytes starting " + Text.substr(0, 40);
}

class KillDuringSave : public ::testing::Test {
protected:
    // Kills the helper started with Args once per round. Before each round
    // Reset puts version 0 in place; once the helper has saved version 1 it
    // creates Mark and is in its save loop, and the kill comes a random 0 to
    // MaxDelayMs later, a few of its saves long. The file is read only once
    // the helper is gone.
    void KillRepeatedly(const std::vector<std::string>& Args, const fs::path& File,
                        const std::function<void()>& Reset, const std::string (&Whole)[2],
                        int MaxDelayMs) {
        std::mt19937 Moments(20261210);
        std::uniform_int_distribution<int> Delay(0, MaxDelayMs * 1000);
        int Seen[2] = {0, 0};
        for (int Round = 0; Round < Rounds; ++Round) {
            Reset();
            ASSERT_EQ(Contents(File), Whole[0]);
            fs::remove(Mark);
            THelperProcess Helper(Args);
            const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
            while (!fs::exists(Mark)) {
                ASSERT_LT(std::chrono::steady_clock::now(), Deadline) << "the helper never saved";
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            std::this_thread::sleep_for(std::chrono::microseconds(Delay(Moments)));
            Helper.Kill();

            const std::string After = Contents(File);
            const int Version = After == Whole[0] ? 0 : After == Whole[1] ? 1 : -1;
            ASSERT_NE(Version, -1) << "round " << Round << ": " << Describe(After);
            ++Seen[Version];
        }
        // Both outcomes show that the kills landed on either side of a replace.
        std::printf("[          ] %d rounds ended on the old content, %d on the new\n", Seen[0],
                    Seen[1]);
    }

    static constexpr int Rounds = 60;
    TStoreSandbox Sandbox;
    const fs::path Mark = Sandbox.Scratch / "saved-once";
};

TEST_F(KillDuringSave, FileList) {
    const fs::path File = Sandbox.Scratch / "Quorvel.db";
    std::string Whole[2];
    for (int Version : {0, 1}) {
        SaveFileListFile(File.string(), FileListVersion(Version));
        Whole[Version] = Contents(File);
    }
    KillRepeatedly(
        {"savelist", File.string(), Mark.string()}, File,
        [&] { SaveFileListFile(File.string(), FileListVersion(0)); }, Whole, 15);
}

TEST_F(KillDuringSave, SettingsIniExport) {
    const fs::path Ini = Sandbox.Scratch / "settings.ini";
    std::string Whole[2];
    for (int Version : {0, 1}) {
        ExportSettingsVersion(Version, Ini.string());
        Whole[Version] = Contents(Ini);
    }
    ASSERT_NE(Whole[0], Whole[1]);
    KillRepeatedly(
        {"exportini", Ini.string(), Mark.string()}, Ini,
        [&] { ExportSettingsVersion(0, Ini.string()); }, Whole, 150);
}

#ifndef _WIN32
// The Linux hive file that stands for the registry.
TEST_F(KillDuringSave, HiveFile) {
    const fs::path Hive = fs::path(getenv("XDG_CONFIG_HOME")) / "quorvel" / "HKEY_CURRENT_USER.reg";
    std::string Whole[2];
    for (int Version : {0, 1}) {
        WriteSetting("Payload", HiveValueVersion(Version));
        Whole[Version] = Contents(Hive);
    }
    KillRepeatedly(
        {"savehive", Mark.string()}, Hive, [&] { WriteSetting("Payload", HiveValueVersion(0)); },
        Whole, 15);
    // No damaged copy was ever set aside.
    EXPECT_TRUE(TakeStoreNotices().empty());
}
#endif

} // namespace
