// The own-version rules on texts supplied directly.
#include "update/U_LortexFct.h"

#include <gtest/gtest.h>

namespace {

FileVersionInfoRec OwnStrings() {
    FileVersionInfoRec Rec;
    Rec.CompanyName = "Tandrel";
    Rec.FileVersion = "2.1.1.20";
    Rec.InternalName = "Quorvel";
    Rec.ProductName = "Quorvel";
    Rec.ProductVersion = "1.0.0.0";
    return Rec;
}

struct ResolveCase {
    const char* Fixed;
    const char* FV;
    const char* PV;
    const char* Expected;
};

class ResolveVersionTest : public testing::TestWithParam<ResolveCase> {};

TEST_P(ResolveVersionTest, FollowsTheSteps) {
    const ResolveCase& C = GetParam();
    FileVersionInfoRec Rec;
    Rec.FileVersion = C.FV;
    Rec.ProductVersion = C.PV;
    EXPECT_EQ(ResolveVersionTextOf(C.Fixed, Rec), C.Expected)
        << "fixed " << C.Fixed << ", FV " << C.FV << ", PV " << C.PV;
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ResolveVersionTest,
    testing::Values(
        // This program: nothing beats the fixed version.
        ResolveCase{"2.1.1.20", "2.1.1.20", "1.0.0.0", "2.1.1.20"},
        // Step 1: a missing file, whatever the letter case, counts as no version.
        ResolveCase{"File not found", "", "", ""}, ResolveCase{"FILE NOT FOUND", "", "", ""},
        ResolveCase{"", "", "", ""},
        // Step 2: a longer file-version string of the same VH wins; another VH does not.
        ResolveCase{"2.1.0.0", "2.1.5", "", "2.1.5.0"},
        ResolveCase{"2.1.1.20", "2.2", "", "2.1.1.20"},
        ResolveCase{"2.1.0.0", "2.1.5 beta", "", "2.1.0.0"},
        // Step 3: the product version's minor, unless it is minor and release run together.
        ResolveCase{"2.1.1.20", "2.1.1.20", "2.11", "2.1.1.20"},
        ResolveCase{"2.1.1.20", "2.1.1.20", "2.5", "2.5.0.0"},
        ResolveCase{"2.1.1.20", "", "3.5", "2.1.1.20"},
        ResolveCase{"0.0.0.0", "", "3.0", "3.0.0.0"}, ResolveCase{"0.0.0.0", "", "0.0", "0.0.0.0"},
        // Step 4: equal VH of the cleaned strings, the longer one taken.
        ResolveCase{"2.1.0.0", "2.1", "2.1.3.4 (release)", "2.1.3.4"},
        ResolveCase{"2.1.0.0", "2.1.3.4x", "2.1.0.1", "2.1.3.4"},
        ResolveCase{"2.1.0.0", "0.0", "0.0", "2.1.0.0"}, ResolveCase{"", "0.0", "0.0.0.1", ""},
        // Steps 5 and 6: placeholder fixed versions.
        ResolveCase{"1.0.0.0", "2.3", "", "2.3.0.0"},
        ResolveCase{"1.0.0.1", "", "4.2 build", "4.2.0.0"},
        ResolveCase{"1.0.0.0", "", "0.9", "1.0.0.0"},
        // Step 7: a fixed version that begins with 0.0.0.
        ResolveCase{"0.0.0.7", "", "1.2", "1.2.0.0"},
        // Step 8: an invalid text stays as it is.
        ResolveCase{"0.0.0.0", "", "", "0.0.0.0"}, ResolveCase{"2.1", "", "", "2.1.0.0"}));

TEST(LortexFctTest, OwnResourceResolves) {
    const TDisplayedFileInfo Info32 =
        DisplayedFileInfoOf(OwnStrings(), false, "C:\\P\\Quorvel.exe");
    EXPECT_EQ(Info32.Product, "Quorvel");
    EXPECT_EQ(Info32.Company, "Tandrel");
    EXPECT_EQ(DisplayedFileInfoOf(OwnStrings(), true, "C:\\P\\Quorvel.exe").Product,
              "Quorvel (64 bits)");
    EXPECT_EQ(ResolveVersionTextOf("2.1.1.20", OwnStrings()), "2.1.1.20");
}

struct ProductCase {
    const char* ProductName;
    bool Is64;
    const char* Expected;
};

class ProductNameTest : public testing::TestWithParam<ProductCase> {};

TEST_P(ProductNameTest, AppliesTheRules) {
    FileVersionInfoRec Rec;
    Rec.ProductName = GetParam().ProductName;
    EXPECT_EQ(ResolveProductName(Rec, GetParam().Is64, "/opt/tools/Signer.v2.exe"),
              GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ProductNameTest,
    testing::Values(ProductCase{"", false, "Signer.v2"}, ProductCase{"  Tool  ", false, "Tool"},
                    ProductCase{"Tool x64", true, "Tool (64 bits)"},
                    ProductCase{"Tool X64 (64 BITS)", true, "Tool X64 (64 bits)"},
                    ProductCase{"Tool (64 bits) x64", true, "Tool (64 bits)"},
                    ProductCase{"Tool x64", false, "Tool x64"}, ProductCase{"?", false, ""},
                    ProductCase{"A ?? B", false, ""}, ProductCase{"$Name", false, ""},
                    ProductCase{"?", true, "? (64 bits)"}));

struct CompanyCase {
    const char* CompanyName;
    const char* LegalCopyright;
    const char* Expected;
};

class CompanyNameTest : public testing::TestWithParam<CompanyCase> {};

TEST_P(CompanyNameTest, AppliesTheRules) {
    FileVersionInfoRec Rec;
    Rec.CompanyName = GetParam().CompanyName;
    Rec.LegalCopyright = GetParam().LegalCopyright;
    EXPECT_EQ(ResolveCompanyName(Rec), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Companies, CompanyNameTest,
                         testing::Values(CompanyCase{"Tandrel", "", "Tandrel"},
                                         CompanyCase{", LLC", "  Example Ltd  ", "Example Ltd"},
                                         CompanyCase{", llc", "", ""},
                                         CompanyCase{" Acme \r\nSecond line", "", "Acme"},
                                         CompanyCase{" - ", "(c) Someone", "(c) Someone"},
                                         CompanyCase{"", " Rights\rReserved", "Rights"},
                                         CompanyCase{"??", "Ignored", ""}, CompanyCase{"?", "", ""},
                                         CompanyCase{"", "", ""}));

TEST(LortexFctTest, ProductFallsBackToTheFileNameWhenACompanyIsKnown) {
    FileVersionInfoRec Rec;
    Rec.ProductName = "??";
    Rec.CompanyName = "Acme";
    EXPECT_EQ(DisplayedFileInfoOf(Rec, false, "C:\\Tools\\thing.dll").Product, "thing");
    Rec.CompanyName.clear();
    EXPECT_EQ(DisplayedFileInfoOf(Rec, false, "C:\\Tools\\thing.dll").Product, "");
}

TEST(LortexFctTest, TextHelpers) {
    EXPECT_EQ(CleanVersionText("1, 0, 0, 0"), "1.0.0.0");
    EXPECT_EQ(CleanVersionText("2.1 beta"), "2.1");
    EXPECT_EQ(CleanVersionText("v2.1"), "");
    EXPECT_EQ(CleanVersionText(""), "");
    EXPECT_TRUE(IsVersionDigits(""));
    EXPECT_TRUE(IsVersionDigits("2.1.1.20"));
    EXPECT_FALSE(IsVersionDigits("2, 1"));
    EXPECT_FALSE(IsValidVersionText(""));
    EXPECT_FALSE(IsValidVersionText("0.0.0.0"));
    EXPECT_TRUE(IsValidVersionText("0.0.0.1"));
    EXPECT_EQ(FileBaseName("C:\\Program Files\\Quorvel\\Quorvel.exe"), "Quorvel");
    EXPECT_EQ(FileBaseName("/usr/bin/archive.tar.gz"), "archive.tar");
    EXPECT_EQ(FileBaseName("noext"), "noext");
    EXPECT_EQ(FileBaseName("C:\\dir.d\\noext"), "noext");
}

TEST(LortexFctTest, SystemPathsGoThroughSysnativeOnlyFromAWow64Process) {
    const std::string System = "C:\\windows\\system32";
    const std::string Dll = "C:\\windows\\system32\\kernel32.dll";
    EXPECT_EQ(AdjustSystemPathFor(Dll, true, System), "C:\\windows\\sysnative\\kernel32.dll");
    EXPECT_EQ(AdjustSystemPathFor("C:\\windows\\SYSTEM32\\x.dll", true, "C:\\windows\\SYSTEM32"),
              "C:\\windows\\sysnative\\x.dll");
    EXPECT_EQ(AdjustSystemPathFor(Dll, false, System), Dll);
    // The folder must start the path, letter case included.
    EXPECT_EQ(AdjustSystemPathFor("C:\\WINDOWS\\system32\\k.dll", true, System),
              "C:\\WINDOWS\\system32\\k.dll");
    EXPECT_EQ(AdjustSystemPathFor("D:\\copy\\system32\\k.dll", true, System),
              "D:\\copy\\system32\\k.dll");
    EXPECT_EQ(AdjustSystemPathFor(Dll, true, ""), Dll);
    EXPECT_EQ(AdjustSystemPathFor(System, true, System), System); // no "\system32\" in it
}

} // namespace
