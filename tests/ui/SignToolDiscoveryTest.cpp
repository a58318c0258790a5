// Finding the signing tool at start-up: through the window with a scripted
// SDK folder, and the platform listing and file test on a real folder.
#include "signing/SignToolDiscovery.h"
#include "tests/ui/MainDlgFixture.h"

#include <filesystem>
#include <fstream>
#include <random>

namespace {

class DiscoveryTest : public MainDlgTest {
protected:
    std::string Tool(const std::string& Entry) const {
        return Services.SdkFolder + Entry + SignToolBelowEntry();
    }
    int StoredWrites() const {
        int Count = 0;
        for (const auto& Call : Services.Calls)
            Count += Call.rfind("WriteSetting SignTool=", 0) == 0;
        return Count;
    }
};

TEST_F(DiscoveryTest, AnExistingStoredPathIsUsedWithoutSearch) {
    Services.Settings["SignTool"] = "C:\\mine\\signtool.exe";
    Services.SdkEntries = {"10.0"};
    Services.ExistingFiles = {"C:\\mine\\signtool.exe", Tool("10.0")};
    Start();

    EXPECT_EQ(View.FieldText(TMainField::signtool_txt), "C:\\mine\\signtool.exe");
    for (const auto& Call : Services.Calls)
        EXPECT_NE(Call.rfind("ListFolder", 0), 0u);
    EXPECT_EQ(StoredWrites(), 0);
    EXPECT_EQ(View.DownloadLinkVisible, std::optional<bool>(false));
}

TEST_F(DiscoveryTest, TheLastListedMatchWinsInFieldAndStore) {
    Services.Settings["SignTool"] = "C:\\gone\\signtool.exe";
    Services.SdkEntries = {".", "..", "v10", "empty", "readme.txt", "v8.1", "v7"};
    Services.ExistingFiles = {Tool("v10"), Tool("v8.1"), Services.SdkFolder + "readme.txt",
                              Tool(".")};
    Start();

    EXPECT_EQ(View.FieldText(TMainField::signtool_txt), Tool("v8.1"));
    EXPECT_EQ(Services.Settings["SignTool"], Tool("v8.1"));
    EXPECT_EQ(StoredWrites(), 2);
    EXPECT_EQ(View.DownloadLinkVisible, std::optional<bool>(false));
}

TEST_F(DiscoveryTest, NoMatchLeavesFieldEmptyStoreAsItWasAndShowsTheLink) {
    Services.Settings["SignTool"] = "C:\\gone\\signtool.exe";
    Services.SdkEntries = {"v10", "readme.txt"};
    Start();

    EXPECT_EQ(View.FieldText(TMainField::signtool_txt), "");
    EXPECT_EQ(Services.Settings["SignTool"], "C:\\gone\\signtool.exe");
    EXPECT_EQ(View.DownloadLinkVisible, std::optional<bool>(true));
}

class TempSdk {
public:
    TempSdk() {
        Root = std::filesystem::temp_directory_path() /
               ("quorvel-sdk-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(Root);
    }
    ~TempSdk() {
        std::error_code Ignored;
        std::filesystem::remove_all(Root, Ignored);
    }
    TempSdk(const TempSdk&) = delete;
    TempSdk& operator=(const TempSdk&) = delete;
    void File(const std::filesystem::path& Relative) {
        std::filesystem::create_directories((Root / Relative).parent_path());
        std::ofstream(Root / Relative) << "tool";
    }
    std::string Folder() const { return Root.string() + SignToolBelowEntry().substr(0, 1); }
    std::filesystem::path Root;
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
