// Finding the signing tool: the platform's listing and file test on a real
// folder, and the platform's fixed places.
#include "signing/SignToolDiscovery.h"
#include "tests/fixtures/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// A real SDK folder in a private temporary folder.
class TempSdk {
public:
    void File(const std::filesystem::path& Relative) {
        std::filesystem::create_directories((Root / Relative).parent_path());
        WriteFileBytes((Root / Relative).string(), "tool");
    }
    std::string Folder() const { return Root.string() + SignToolBelowEntry().substr(0, 1); }

    TTempFolder Temp;
    const std::filesystem::path Root{Temp.Path()};
};

TEST(SignToolSearch, RealFolderListingAndFileTest) {
    TempSdk Sdk;
    const std::string Name = SignToolFileName();
    Sdk.File(std::filesystem::path("10.0.1") / "bin" / Name);
    Sdk.File(std::filesystem::path("10.0.3") / "bin" / Name);
    std::filesystem::create_directories(Sdk.Root / "10.0.2" / "bin");
    std::filesystem::create_directories(Sdk.Root / "10.0.4" / "bin" / Name); // a folder
    Sdk.File("readme.txt");

    const auto Entries = ListFolderEntries(Sdk.Folder());
    std::vector<std::string> Matches;
    SearchSignTool(Sdk.Folder(), Entries, IsExistingFile,
                   [&](const std::string& Path) { Matches.push_back(Path); });

    EXPECT_EQ(Entries.size(), 7u); // ".", ".." and the five
    std::vector<std::string> Expected;
    for (const auto& Entry : Entries)
        if (Entry == "10.0.1" || Entry == "10.0.3")
            Expected.push_back(Sdk.Folder() + Entry + SignToolBelowEntry());
    EXPECT_EQ(Matches, Expected); // in listing order
    EXPECT_TRUE(
        ListFolderEntries(Sdk.Folder() + "missing" + SignToolBelowEntry().substr(0, 1)).empty());
}

TEST(SignToolSearch, FileTestRefusesFoldersMissingAndEmptyPaths) {
    TempSdk Sdk;
    Sdk.File("tool");
    EXPECT_TRUE(IsExistingFile((Sdk.Root / "tool").string()));
    EXPECT_FALSE(IsExistingFile(Sdk.Root.string()));
    EXPECT_FALSE(IsExistingFile((Sdk.Root / "none").string()));
    EXPECT_FALSE(IsExistingFile(""));
}

TEST(SignToolSearch, SdkFolderIsThePlatformsFixedPlace) {
    if (SignToolBelowEntry() == "\\bin\\signtool.exe") {
        EXPECT_EQ(SignToolSdkFolder("D:\\Programs\\Quorvel\\Quorvel.exe"),
                  "C:\\Program Files\\Microsoft SDKs\\Windows\\");
        EXPECT_EQ(SignToolFilter(), "SignTool|signtool.exe");
    } else {
        EXPECT_EQ(SignToolSdkFolder("/opt/quorvel/bin/quorvel"),
                  "/opt/quorvel/bin/../lib/quorvel/sdk/");
        EXPECT_EQ(SignToolBelowEntry(), "/bin/signtool");
        EXPECT_EQ(SignToolFilter(), "SignTool|signtool");
    }
}

} // namespace
