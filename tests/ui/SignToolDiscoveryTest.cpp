// Finding the signing tool at start-up, through the window with a scripted
// SDK folder.
#include "signing/SignToolDiscovery.h"
#include "tests/ui/MainDlgFixture.h"

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

} // namespace
