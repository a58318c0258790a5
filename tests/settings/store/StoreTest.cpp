// The settings store and the registry accessor, the same cases on both
// platforms: the real registry under Wine, the hive files on Linux.
#include "settings/Registry.h"
#include "settings/U_QuorvelFct.h"
#include "tests/settings/store/Sandbox.h"

#include "core/QuorvelErrors.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {
class Store : public ::testing::Test {
protected:
    TStoreSandbox Sandbox;
};

bool ProductKeyExists() {
    TRegistry Reg(RegKeyRead);
    return Reg.OpenKey(ProductKeyPath, false);
}
} // namespace

TEST_F(Store, FirstReadCreatesTheEmptyProductKey) {
    ASSERT_FALSE(ProductKeyExists());
    EXPECT_EQ(ReadSetting("DebugLog"), "");
    EXPECT_TRUE(ProductKeyExists());
    TRegistry Reg(RegKeyRead);
    ASSERT_TRUE(Reg.OpenKey(ProductKeyPath, false));
    EXPECT_TRUE(Reg.GetValueNames().empty());
}

TEST_F(Store, ValuesRoundTripAsText) {
    struct Case {
        const char* Name;
        std::string Value;
    };
    const Case Cases[] = {{"SignTool", "C:\\SDK\\bin\\signtool.exe"},
                          {"Password", "p\"a ss\\w=ord;[x]"},
                          {"TimeStampURL", "http://timestamp.example/?a=1&b=\"2\""},
                          {"Certificate", ""},
                          {"Latin", "caf\xe9 \xa9"}};
    for (const auto& C : Cases)
        EXPECT_TRUE(WriteSetting(C.Name, C.Value));
    for (const auto& C : Cases)
        EXPECT_EQ(ReadSetting(C.Name), C.Value) << C.Name;
    EXPECT_TRUE(WriteIntSetting("CertDigest", -1));
    EXPECT_EQ(ReadSetting("CertDigest"), "-1");
    EXPECT_TRUE(WriteIntSetting("TimeStampDigest", 2147483647));
    EXPECT_EQ(ReadSetting("timestampdigest"), "2147483647"); // names ignore case

    // An emptied value stays present, as REG_SZ.
    WriteSetting("Password", "");
    TRegistry Reg(RegKeyRead);
    ASSERT_TRUE(Reg.OpenKey(ProductKeyPath, false));
    std::uint32_t Type = 0;
    ASSERT_TRUE(Reg.GetDataType("Password", Type));
    EXPECT_EQ(Type, RegSz);
}

TEST_F(Store, OtherTypesAreReadAsTheRegistryLayerSays) {
    {
        TRegistry Reg(RegKeyAllAccess);
        ASSERT_TRUE(Reg.OpenKey(ProductKeyPath, true));
        Reg.WriteInteger("CertDigest", 1);
        Reg.WriteExpandString("SignTool", "%ProgramFiles%\\signtool.exe");
    }
    EXPECT_EQ(ReadSetting("SignTool"), "%ProgramFiles%\\signtool.exe"); // not expanded
    try {
        ReadSetting("CertDigest");
        FAIL() << "a REG_DWORD setting must not read as text";
    } catch (const ERegistryError& Error) {
        EXPECT_NE(std::string(Error.what()).find("'CertDigest'"), std::string::npos);
    }
    TRegistry Reg(RegKeyRead);
    ASSERT_TRUE(Reg.OpenKey(ProductKeyPath, false));
    EXPECT_EQ(Reg.ReadInteger("CertDigest"), 1);
    EXPECT_THROW(Reg.ReadInteger("SignTool"), ERegistryError);
    // A key opened for reading refuses writes with the registry's error.
    EXPECT_THROW(Reg.WriteString("x", "y"), ERegistryError);
}

TEST_F(Store, KeysValuesAndTheirOrder) {
    TRegistry Reg(RegKeyAllAccess);
    ASSERT_TRUE(Reg.OpenKey("SOFTWARE\\Tandrel\\Quorvel\\beta", true));
    ASSERT_TRUE(Reg.OpenKey("SOFTWARE\\Tandrel\\Quorvel\\Alpha\\Deep", true));
    ASSERT_TRUE(Reg.OpenKey("SOFTWARE\\TANDREL\\quorvel", false)); // names ignore case
    Reg.WriteString("Zulu", "1");
    Reg.WriteString("alpha", "2");
    Reg.WriteString("ALPHA", "3"); // the same value; the first spelling stays
    EXPECT_EQ(Reg.GetKeyNames(), (std::vector<std::string>{"Alpha", "beta"}));
    // Value order is the store's own (Windows: as written; Wine: by name).
    auto Values = Reg.GetValueNames();
    std::sort(Values.begin(), Values.end());
    EXPECT_EQ(Values, (std::vector<std::string>{"Zulu", "alpha"}));
    EXPECT_EQ(Reg.ReadString("Alpha"), "3");
    EXPECT_TRUE(Reg.HasSubKeys());
    EXPECT_TRUE(Reg.DeleteValue("zulu"));
    EXPECT_FALSE(Reg.DeleteValue("zulu"));

    EXPECT_TRUE(Reg.DeleteKey("SOFTWARE\\Tandrel\\Quorvel")); // depth first
    EXPECT_FALSE(Reg.OpenKey("SOFTWARE\\Tandrel\\Quorvel", false));
    EXPECT_TRUE(Reg.OpenKey("SOFTWARE\\Tandrel", false));
    EXPECT_FALSE(Reg.HasSubKeys());
}

TEST(Is64Bit, AnswersFromTheBuildAndTheSystem) {
    // A 64-bit build is never the 32-bit program on a 64-bit system.
    if (sizeof(void*) == 8)
        EXPECT_FALSE(Is64BitWindows());
    else
        EXPECT_NO_THROW(Is64BitWindows());
}
