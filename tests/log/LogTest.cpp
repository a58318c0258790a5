#include "log/TextLines.h"
#include "log/U_Log.h"
#include "tests/fixtures/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {
struct FakeShell {
    std::vector<std::string> Opened;
    bool Opens = true; // whether the opener starts
};

TLogHooks FixedHooks(FakeShell* Shell = nullptr) {
    TLogHooks Hooks;
    Hooks.Now = [] { return TLogTime{2024, 3, 5, 14, 7, 9}; };
    Hooks.OpenInShell = [Shell](const std::string& Target) {
        if (Shell)
            Shell->Opened.push_back(Target);
        return !Shell || Shell->Opens;
    };
    Hooks.TimeSeparator = ':';
    return Hooks;
}
} // namespace

TEST(LogEntry, LevelsAndLayout) {
    struct Case {
        int Level;
        bool Debug;
        const char* Expected; // empty: nothing recorded
    };
    const Case Cases[] = {
        {LogVerbose, false, ""},
        {LogVerbose, true, "Verbose\t[24-03-05 14:07:09]\tmsg"},
        {LogInfo, false, "Info\t[24-03-05 14:07:09]\tmsg"},
        {LogError, false, "Error\t[24-03-05 14:07:09]\tmsg"},
        {7, false, "Error\t[24-03-05 14:07:09]\tmsg"},
        {-1, false, "Error\t[24-03-05 14:07:09]\tmsg"},
    };
    for (const auto& C : Cases) {
        TKLog Log("", C.Debug, 10000, false, FixedHooks());
        Log.Write("msg", C.Level);
        if (*C.Expected == 0) {
            EXPECT_TRUE(Log.Lines.empty()) << C.Level;
        } else {
            ASSERT_EQ(Log.Lines.size(), 1u) << C.Level;
            EXPECT_EQ(Log.Lines[0], C.Expected);
        }
    }
}

TEST(LogEntry, TimestampUsesTheLocaleSeparatorAndTwoDigitYear) {
    EXPECT_EQ(FormatLogTimestamp({2009, 12, 31, 0, 0, 5}, '.'), "[09-12-31 00.00.05]");
    EXPECT_EQ(FormatLogTimestamp({2100, 1, 2, 23, 59, 59}, ':'), "[00-01-02 23:59:59]");
}

TEST(LogEntry, NewestFirstAndCapDropsTheOldest) {
    TKLog Log("", false, 10000, false, FixedHooks());
    for (int I = 0; I < 10001; ++I)
        Log.Write(std::to_string(I), LogInfo);
    ASSERT_EQ(Log.Lines.size(), 10000u);
    EXPECT_TRUE(Log.Lines.front().ends_with("\t10000"));
    EXPECT_TRUE(Log.Lines.back().ends_with("\t1")); // entry 0 was pushed out
}

TEST(LogFile, FlushWritesEveryEntryWithCrLfAndMultiLineMessagesStayOneEntry) {
    TTempFolder Dir;
    const auto Path = Dir / "Quorvel.log";
    {
        TKLog Log(Path, false, 10000, false, FixedHooks());
        Log.Write("first", LogInfo);
        Log.Write("two\r\nlines", LogError);
        EXPECT_EQ(Log.Lines.size(), 2u);
        EXPECT_FALSE(fs::exists(Path)); // without debug only explicit saves write
    }                                   // the destructor saves
    EXPECT_EQ(ReadFileBytes(Path), "Error\t[24-03-05 14:07:09]\ttwo\r\nlines\r\n"
                                   "Info\t[24-03-05 14:07:09]\tfirst\r\n");
}

TEST(LogFile, DebugSavesAfterEveryEntryAndReplacesTheEarlierRun) {
    TTempFolder Dir;
    const auto Path = Dir / "Quorvel.log";
    {
        TKLog First(Path, true, 10000, false, FixedHooks());
        First.Write("run one", LogInfo);
    }
    TKLog Second(Path, true, 10000, false, FixedHooks());
    Second.Write("Starting", LogInfo);
    EXPECT_EQ(ReadFileBytes(Path), "Info\t[24-03-05 14:07:09]\tStarting\r\n");
}

TEST(LogFile, MissingFolderIsNeitherCreatedNorReported) {
    TTempFolder Dir;
    const auto Folder = fs::path(Dir.Path()) / "gone";
    const auto Path = (Folder / "Quorvel.log").string();
    TKLog Log(Path, true, 10000, false, FixedHooks());
    Log.Write("kept", LogInfo); // debug: saves at once, into nothing
    EXPECT_FALSE(fs::exists(Folder));
    ASSERT_EQ(Log.Lines.size(), 1u);
    fs::create_directory(Folder);
    Log.Flush();
    EXPECT_EQ(ReadFileBytes(Path), "Info\t[24-03-05 14:07:09]\tkept\r\n");
}

TEST(LogFile, UnwritableFileFailsSilentlyAndKeepsEntries) {
    TTempFolder Dir;
    const auto Path = Dir / "Quorvel.log";
    fs::create_directory(Path); // a folder where the file should be
    TKLog Log(Path, true, 10000, false, FixedHooks());
    Log.Write("still here", LogInfo);
    EXPECT_NO_THROW(Log.Flush());
    EXPECT_EQ(Log.Lines.size(), 1u);
}

TEST(LogFile, LoadExistingKeepsFileOrderAndALongerListKeepsItsLength) {
    TTempFolder Dir;
    const auto Path = Dir / "Quorvel.log";
    WriteFileBytes(Path, "a\r\nb\nc\r\n");
    TKLog Log(Path, false, 2, true, FixedHooks());
    EXPECT_EQ(Log.Lines, (std::deque<std::string>{"a", "b", "c"}));
    Log.Write("d", LogInfo);
    ASSERT_EQ(Log.Lines.size(), 3u);
    EXPECT_EQ(Log.Lines.back(), "b");
}

TEST(LogFile, OpenWithShellSavesFirstThenOpensTheFile) {
    TTempFolder Dir;
    const auto Path = Dir / "Quorvel.log";
    FakeShell Shell;
    TKLog Log(Path, false, 10000, false, FixedHooks(&Shell));
    Log.Write("x", LogInfo);
    EXPECT_TRUE(Log.OpenWithShell());
    EXPECT_TRUE(fs::exists(Path));
    EXPECT_EQ(Shell.Opened, std::vector<std::string>{Path});

    // An opener that cannot start is reported; the log is saved all the same.
    fs::remove(Path);
    Shell.Opens = false;
    EXPECT_FALSE(Log.OpenWithShell());
    EXPECT_TRUE(fs::exists(Path));
}

TEST(TextLines, SplitsAtEveryLineEndAndStopsAtNul) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitTextLines("a\r\nb\r\n"), (V{"a", "b"}));
    EXPECT_EQ(SplitTextLines("a\nb"), (V{"a", "b"}));
    EXPECT_EQ(SplitTextLines("a\rb\r"), (V{"a", "b"}));
    EXPECT_EQ(SplitTextLines("a\r\n\r\nb\r\n"), (V{"a", "", "b"}));
    EXPECT_EQ(SplitTextLines("\n\r"), (V{"", ""}));
    EXPECT_EQ(SplitTextLines(std::string("a\r\nb\0c\r\n", 9)), (V{"a", "b"}));
    EXPECT_EQ(SplitTextLines(""), V{});
}
