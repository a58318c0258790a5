// A libcrypto planted in the current folder is never loaded: the loader
// searches only the program's folder and the system folders.
#include "update/OpenSslLoader.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

TEST(PlantedDll, TheCurrentFolderIsNotSearched) {
    const fs::path Folder = fs::temp_directory_path() / "quorvel-planted-dll";
    fs::create_directories(Folder);
    fs::copy_file(QUORVEL_PLANTED_DLL, Folder / "libcrypto-3.dll",
                  fs::copy_options::overwrite_existing);
    const fs::path Before = fs::current_path();
    fs::current_path(Folder);

    const TLibraryOpener Opener = PlatformLibraryOpener();
    void* ByName = Opener.Open("libcrypto-3.dll");
    void* ByPath = Opener.Open((Folder / "libcrypto-3.dll").string());
    EXPECT_EQ(ByName, nullptr);
    EXPECT_NE(ByPath, nullptr) << "the planted library itself loads";
    if (ByPath)
        Opener.Close(ByPath);
    if (ByName)
        Opener.Close(ByName);

    fs::current_path(Before);
    std::error_code Ignored;
    fs::remove_all(Folder, Ignored);
}
