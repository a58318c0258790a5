#include "signing/SignStatus.h"
#include "signing/SigningSettings.h"

#include <gtest/gtest.h>

namespace {

struct TCompositionCase {
    const char* Name;
    TSigningSettings Settings;
    const char* Path;
    const char* Expected;
};

TSigningSettings AllOn() {
    TSigningSettings S;
    S.SignTool = "C:\\Kits\\signtool.exe";
    S.Certificate = "C:\\Certs\\my cert.pfx";
    S.Password = "pw";
    S.TimeStamping = true;
    S.TimeStampURL = "http://ts.example/rfc3161";
    S.CertDigest = 0;
    S.TimeStampDigest = 0;
    return S;
}

template <typename F> TSigningSettings With(F Change) {
    TSigningSettings S = AllOn();
    Change(S);
    return S;
}

const TCompositionCase CompositionCases[] = {
    {"EveryOptionOn", AllOn(), "C:\\Out\\app.exe",
     "C:\\Kits\\signtool.exe sign /fd SHA256 /f \"C:\\Certs\\my cert.pfx\" /p pw "
     "/tr http://ts.example/rfc3161 /td SHA256 \"C:\\Out\\app.exe\""},
    {"TimestampOffGivesTwoSpacesAfterPassword", With([](auto& S) { S.TimeStamping = false; }),
     "a.dll",
     "C:\\Kits\\signtool.exe sign /fd SHA256 /f \"C:\\Certs\\my cert.pfx\" /p pw  \"a.dll\""},
    {"Sha1FileDigestGivesTwoSpacesAfterSign", With([](auto& S) { S.CertDigest = 1; }), "a.dll",
     "C:\\Kits\\signtool.exe sign  /f \"C:\\Certs\\my cert.pfx\" /p pw "
     "/tr http://ts.example/rfc3161 /td SHA256 \"a.dll\""},
    {"OutOfListDigestCountsAsNotSha256", With([](auto& S) { S.CertDigest = 7; }), "a.dll",
     "C:\\Kits\\signtool.exe sign  /f \"C:\\Certs\\my cert.pfx\" /p pw "
     "/tr http://ts.example/rfc3161 /td SHA256 \"a.dll\""},
    {"Sha1TimestampDigestHasNoTd", With([](auto& S) { S.TimeStampDigest = 1; }), "a.dll",
     "C:\\Kits\\signtool.exe sign /fd SHA256 /f \"C:\\Certs\\my cert.pfx\" /p pw "
     "/tr http://ts.example/rfc3161 \"a.dll\""},
    {"EmptyAddressGivesTwoSpacesAfterTr", With([](auto& S) {
         S.TimeStampURL.clear();
         S.TimeStampDigest = 1;
     }),
     "a.dll",
     "C:\\Kits\\signtool.exe sign /fd SHA256 /f \"C:\\Certs\\my cert.pfx\" /p pw /tr  \"a.dll\""},
    {"EmptyPasswordGivesTwoSpacesAfterP", With([](auto& S) {
         S.Password.clear();
         S.TimeStamping = false;
     }),
     "a.dll",
     "C:\\Kits\\signtool.exe sign /fd SHA256 /f \"C:\\Certs\\my cert.pfx\" /p   \"a.dll\""},
    {"SpacesStayUnquotedInToolAndPassword", With([](auto& S) {
         S.SignTool = "C:\\Program Files\\Kits\\signtool.exe";
         S.Password = "two words";
         S.TimeStamping = false;
     }),
     "C:\\My Files\\a b.exe",
     "C:\\Program Files\\Kits\\signtool.exe sign /fd SHA256 /f \"C:\\Certs\\my cert.pfx\" "
     "/p two words  \"C:\\My Files\\a b.exe\""},
    {"NothingIsEscapedOrTrimmed", With([](auto& S) {
         S.Password = " p\"w ";
         S.TimeStampURL = " http://x ";
     }),
     " odd\\\"name ",
     "C:\\Kits\\signtool.exe sign /fd SHA256 /f \"C:\\Certs\\my cert.pfx\" /p  p\"w  "
     "/tr  http://x  /td SHA256 \" odd\\\"name \""},
    {"AllEmpty", TSigningSettings{"", "", "", false, "", 1, 1}, "", " sign  /f \"\" /p   \"\""},
};

class Composition : public testing::TestWithParam<TCompositionCase> {};

TEST_P(Composition, BuildsTheToolsCommandLine) {
    const TCompositionCase& Case = GetParam();
    EXPECT_EQ(BuildSignCommandLine(Case.Settings, Case.Path), Case.Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, Composition, testing::ValuesIn(CompositionCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST(TextContains, FoldsOnlyAToZAndNeedsBothTexts) {
    struct {
        const char* Needle;
        std::string Haystack;
        bool Expected;
    } const Cases[] = {
        {"success", "Successfully signed: a.exe", true},
        {"success", "SUCCESS", true},
        {"success", "The operation was unsuccessful", true},
        {"success", "succes s", false},
        {"warning", "SignTool Warning: no timestamp", true},
        {"success", "", false},
        {"", "success", false},
        {"\xC9t\xE9", "\xE9t\xE9", false}, // bytes outside A to Z keep their case
        {"ok", std::string("\0OK", 3), true},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(TextContains(Case.Needle, Case.Haystack), Case.Expected)
            << Case.Needle << " in " << Case.Haystack;
}

} // namespace
