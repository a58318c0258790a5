// Deleting a data folder never reaches through a symbolic link.
#include "settings/U_OstrinUtils.h"
#include "tests/settings/store/Sandbox.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

TEST(FolderLinks, DeleteAllRemovesLinksButNotWhatTheyPointTo) {
    TStoreSandbox Sandbox;
    const auto Outside = Sandbox.Scratch / "outside";
    const auto Data = Sandbox.Scratch / "data";
    fs::create_directories(Outside);
    fs::create_directories(Data);
    std::ofstream(Outside / "precious.db") << "x";
    fs::create_directory_symlink(Outside, Data / "linked");
    fs::create_symlink(Outside / "precious.db", Data / "file-link.db");
    std::ofstream(Data / "Quorvel.log") << "x";

    EXPECT_TRUE(DeleteFilesByExtension(Data.string(), "*"));
    EXPECT_FALSE(fs::exists(Data));
    EXPECT_TRUE(fs::exists(Outside / "precious.db"));
}
