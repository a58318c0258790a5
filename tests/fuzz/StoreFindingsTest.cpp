// Findings about the settings.ini reader that only show through the store,
// so the corpus cannot carry them: the profile rules hand on any name a line
// holds, a NUL or a line break included, and the hive refuses such names.
#include "settings/Registry.h"
#include "settings/U_OstrinUtils.h"
#include "settings/U_QuorvelFct.h"
#include "tests/settings/store/Sandbox.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace std::string_literals;

namespace {

TEST(StoreFindings, NamesTheStoreCannotHoldAreSkippedAndTheRestIsImported) {
    TStoreSandbox Sandbox;
    const std::string Ini = (Sandbox.Scratch / "settings.ini").string();
    std::ofstream(Ini, std::ios::binary)
        << "[Settings]\r\nSign\0Tool=lost\r\nOdd\r=lost\r\nCertificate=C:\\c.pfx\r\n"
           "[Settings_DWORD]\r\nBad\0Count=1\r\nCount=42\r\n"s;

    ASSERT_NO_THROW(ImportSettingsIni("Quorvel", Ini));
    EXPECT_EQ(ReadSetting("Certificate"), "C:\\c.pfx");
    TRegistry Reg(RegKeyRead);
    ASSERT_TRUE(Reg.OpenKey("SOFTWARE\\Tandrel\\Quorvel", false));
    EXPECT_EQ(Reg.ReadInteger("Count"), 42);
    EXPECT_FALSE(Reg.ValueExists("Sign"));
}

} // namespace
