#include "update/U_Version.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

struct ParseCase {
    const char* Text;
    const char* Expected;
};

class SetTextTest : public testing::TestWithParam<ParseCase> {};

TEST_P(SetTextTest, ParsesToTheFourParts) {
    const ParseCase& C = GetParam();
    EXPECT_EQ(TLortexVersion::CreateFromText(C.Text).ToText(), C.Expected) << '"' << C.Text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SetTextTest,
    testing::Values(ParseCase{"2.1.1.20", "2.1.1.20"}, ParseCase{"2.1", "2.1.0.0"},
                    ParseCase{"5", "5.0.0.0"}, ParseCase{"", "0.0.0.0"},
                    ParseCase{"abc", "0.0.0.0"}, ParseCase{"beta1.0", "0.0.0.0"},
                    ParseCase{"1.2.3.4.5", "1.2.3.0"}, ParseCase{"2.1.1.21\r\n", "2.1.1.0"},
                    ParseCase{" 2.1.1.21", "2.1.1.21"}, ParseCase{"2.1.1.21 ", "2.1.1.0"},
                    ParseCase{"70000.1.0.0", "0.1.0.0"}, ParseCase{"$A.0", "10.0.0.0"},
                    ParseCase{"-1.5", "-1.5.0.0"}, ParseCase{"+3.012", "3.12.0.0"},
                    ParseCase{"x1f.X1F.0x1f.0X1F", "31.31.31.31"},
                    ParseCase{"$ff.$FfFf.$10000.-$10", "255.65535.0.-16"},
                    ParseCase{"$.x.0x.-", "0.0.0.0"}, ParseCase{"0x1g.1a.   .7", "0.0.0.7"},
                    ParseCase{"...", "0.0.0.0"}, ParseCase{".5", "0.5.0.0"},
                    ParseCase{"65535.65536.-0.1", "65535.0.0.1"},
                    ParseCase{"2147483647.-2147483648", "0.-2147483648.0.0"},
                    ParseCase{"2147483648.-2147483649.99999999999999999999", "0.0.0.0"},
                    ParseCase{"0x80000000.-0x80000000.0xFFFFFFFF", "0.-2147483648.0.0"},
                    ParseCase{"1. 2.\t3.4", "1.2.0.4"}, ParseCase{"1.2.3.4 beta", "1.2.3.0"}));

TEST(VersionTest, PacksIntoWordsAndText) {
    const TLortexVersion V = TLortexVersion::CreateFromText("2.1.1.20");
    EXPECT_EQ(V.GetVH(), 131073u);
    EXPECT_EQ(V.GetVL(), 65556u);
    EXPECT_EQ(V.VHText(), "131073");
    EXPECT_EQ(V.VLText(), "65556");
    EXPECT_TRUE(V.IsValid());

    const TLortexVersion Max = TLortexVersion::CreateFromText("65535.65535.65535.65535");
    EXPECT_EQ(Max.VHText(), "4294967295");
    EXPECT_EQ(Max.VLText(), "4294967295");

    const TLortexVersion Words = TLortexVersion::CreateFromWords(131073, 65556);
    EXPECT_EQ(Words.ToText(), "2.1.1.20");
    EXPECT_EQ(TLortexVersion::CreateFromWords(0xFFFFFFFFu, 0).ToText(), "65535.65535.0.0");
}

TEST(VersionTest, NegativePartsWrapInTheWords) {
    const TLortexVersion V = TLortexVersion::CreateFromText("-1.5");
    EXPECT_TRUE(V.IsValid()); // sum 4
    EXPECT_EQ(V.ToText(), "-1.5.0.0");
    EXPECT_EQ(V.GetVH(), 4294901765u);
    const TLortexVersion Own = TLortexVersion::CreateFromText("2.1.1.20");
    EXPECT_TRUE(V.IsNewerThanWords(Own.GetVH(), Own.GetVL()));
    EXPECT_FALSE(V.IsNewerThan(Own));
}

TEST(VersionTest, ExtremeFieldsNeitherOverflowNorLoseTheirRules) {
    TLortexVersion V;
    constexpr std::int32_t Min = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t Max = std::numeric_limits<std::int32_t>::max();
    V.Major = Max;
    V.Minor = Max;
    V.Release = Max;
    V.Build = Max;
    EXPECT_FALSE(V.IsValid()); // 4 * (2^31 - 1) wraps to -4
    EXPECT_EQ(V.GetVH(), 0xFFFF0000u + 0x7FFFFFFFu);
    V.Major = Min;
    V.Minor = Min;
    V.Release = 0;
    V.Build = 1;
    EXPECT_TRUE(V.IsValid()); // -2^32 + 1 wraps to 1
    EXPECT_EQ(V.ToText(), "-2147483648.-2147483648.0.1");
    EXPECT_EQ(V.GetVH(), 0x80000000u);
}

TEST(VersionTest, ValidityNeedsAPositiveSum) {
    EXPECT_FALSE(TLortexVersion::CreateFromText("0.0.0.0").IsValid());
    EXPECT_FALSE(TLortexVersion::CreateFromText("").IsValid());
    EXPECT_FALSE(TLortexVersion::CreateFromText("-3.1.1.1").IsValid());
    EXPECT_TRUE(TLortexVersion::CreateFromText("0.0.0.1").IsValid());
}

struct CompareCase {
    const char* Newer;
    const char* Older;
};

class CompareTest : public testing::TestWithParam<CompareCase> {};

TEST_P(CompareTest, BothComparisonsAgreeOnOrdinaryVersions) {
    const TLortexVersion A = TLortexVersion::CreateFromText(GetParam().Newer);
    const TLortexVersion B = TLortexVersion::CreateFromText(GetParam().Older);
    EXPECT_TRUE(A.IsNewerThan(B));
    EXPECT_FALSE(B.IsNewerThan(A));
    EXPECT_TRUE(A.IsNewerThanWords(B.GetVH(), B.GetVL()));
    EXPECT_FALSE(B.IsNewerThanWords(A.GetVH(), A.GetVL()));
}

INSTANTIATE_TEST_SUITE_P(Pairs, CompareTest,
                         testing::Values(CompareCase{"2.1.1.21", "2.1.1.20"},
                                         CompareCase{"2.2.0.0", "2.1.9.9"},
                                         CompareCase{"10.0.0.0", "9.99.0.0"},
                                         CompareCase{"2.1.2.0", "2.1.1.65535"},
                                         CompareCase{"0.0.0.1", ""}));

TEST(VersionTest, EqualVersionsAreNotNewerEitherWay) {
    for (const char* Text : {"2.1.1.20", "0.0.0.0", "65535.65535.65535.65535", "-1.5"}) {
        const TLortexVersion A = TLortexVersion::CreateFromText(Text);
        const TLortexVersion B = TLortexVersion::CreateFromText(Text);
        EXPECT_FALSE(A.IsNewerThan(B)) << Text;
        EXPECT_FALSE(A.IsNewerThanWords(B.GetVH(), B.GetVL())) << Text;
    }
}

TEST(VersionTest, PartCountAndPadding) {
    EXPECT_EQ(CountVersionParts(""), 0);
    EXPECT_EQ(CountVersionParts("2"), 1);
    EXPECT_EQ(CountVersionParts("2.1.5"), 3);
    EXPECT_EQ(CountVersionParts("1.2.3.4.5"), 5);
    EXPECT_EQ(PadVersionText(""), ".0.0.0");
    EXPECT_EQ(PadVersionText("2.1.5"), "2.1.5.0");
    EXPECT_EQ(PadVersionText("1..."), "1...");
}

} // namespace
