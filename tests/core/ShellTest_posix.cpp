// The desktop's opener as the program starts it: found on PATH or not.
#include "core/Shell.h"

#include "tests/fixtures/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {
class PathOnly {
public:
    explicit PathOnly(const std::string& Folder) {
        if (const char* Old = std::getenv("PATH"))
            Saved = Old;
        ::setenv("PATH", Folder.c_str(), 1);
    }
    ~PathOnly() {
        if (Saved)
            ::setenv("PATH", Saved->c_str(), 1);
        else
            ::unsetenv("PATH");
    }

private:
    std::optional<std::string> Saved;
};

TEST(ShellOpenEx, ReportsWhetherTheOpenerStarted) {
    const TTempFolder Temp;
    fs::create_directories(Temp / "empty");
    {
        const PathOnly Path(Temp / "empty");
        EXPECT_FALSE(ShellOpenEx(Temp / "Quorvel.log"));
    }

    // An opener that notes what it was asked to open.
    fs::create_directories(Temp / "bin");
    const std::string Opened = Temp / "opened";
    WriteFileBytes(Temp / "bin/xdg-open", "#!/bin/sh\nprintf %s \"$1\" > '" + Opened +
                                              ".tmp' && mv '" + Opened + ".tmp' '" + Opened +
                                              "'\n");
    fs::permissions(Temp / "bin/xdg-open", fs::perms::owner_all);
    {
        const PathOnly Path(Temp / "bin:/usr/bin:/bin");
        EXPECT_TRUE(ShellOpenEx(Temp / "Quorvel.log"));
    }
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(Opened) && std::chrono::steady_clock::now() < Deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(fs::exists(Opened));
    EXPECT_EQ(ReadFileBytes(Opened), Temp / "Quorvel.log");
}
} // namespace
