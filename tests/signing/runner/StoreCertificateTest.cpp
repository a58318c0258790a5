// Signing with a certificate from the store or a token: the command line by
// thumbprint, the thumbprint's accepted spellings, the stored source and the
// PIN's way into the tool's environment.
#include "signing/SignOneFile.h"
#include "signing/SigningSettings.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* Thumb = "0123456789ABCDEF0123456789ABCDEF01234567";

TSigningSettings StoreChoice() {
    TSigningSettings S;
    S.SignTool = "C:\\Kits\\signtool.exe";
    S.Certificate = "C:\\Certs\\left over.pfx"; // kept from an earlier .pfx choice
    S.Password = "pin-9Q";
    S.TimeStampURL = "http://ts.example/rfc3161";
    S.CertSource = TCertSource::Store;
    S.CertThumbprint = Thumb;
    return S;
}

TEST(StoreCommandLine, NamesTheThumbprintAndNeitherFileNorPassword) {
    struct {
        int CertDigest, TimeStampDigest;
        bool TimeStamping;
        const char* Thumbprint;
        const char* Expected;
    } const Cases[] = {
        {0, 0, true, Thumb,
         "C:\\Kits\\signtool.exe sign /fd SHA256 /sha1 0123456789ABCDEF0123456789ABCDEF01234567 "
         "/tr http://ts.example/rfc3161 /td SHA256 \"C:\\Out\\app.exe\""},
        {1, 1, true, Thumb,
         "C:\\Kits\\signtool.exe sign  /sha1 0123456789ABCDEF0123456789ABCDEF01234567 "
         "/tr http://ts.example/rfc3161 \"C:\\Out\\app.exe\""},
        {0, 0, false, Thumb,
         "C:\\Kits\\signtool.exe sign /fd SHA256 /sha1 0123456789ABCDEF0123456789ABCDEF01234567  "
         "\"C:\\Out\\app.exe\""},
        // As the certificate dialog shows and copies it.
        {0, 0, false,
         "\xE2\x80\x8E"
         "01 23 45 67 89 ab cd ef 01 23 45 67 89 ab cd ef 01 23 45 67",
         "C:\\Kits\\signtool.exe sign /fd SHA256 /sha1 0123456789ABCDEF0123456789ABCDEF01234567  "
         "\"C:\\Out\\app.exe\""},
    };
    for (const auto& Case : Cases) {
        TSigningSettings S = StoreChoice();
        S.CertDigest = Case.CertDigest;
        S.TimeStampDigest = Case.TimeStampDigest;
        S.TimeStamping = Case.TimeStamping;
        S.CertThumbprint = Case.Thumbprint;
        const std::string Line = BuildSignCommandLine(S, "C:\\Out\\app.exe");
        EXPECT_EQ(Line, Case.Expected);
        EXPECT_EQ(Line.find("pin-9Q"), std::string::npos) << "the PIN never goes on the line";
    }
}

TEST(NormalizeThumbprint, GivesFortyUpperCaseDigitsOrNothing) {
    struct {
        std::string Text, Expected;
    } const Cases[] = {
        {Thumb, Thumb},
        {"0123456789abcdef0123456789abcdef01234567", Thumb},
        {" 01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67\t", Thumb},
        {"01\xA0"
         "23456789ABCDEF0123456789ABCDEF01234567",
         Thumb},
        {"01\xC2\xA0"
         "23456789ABCDEF0123456789ABCDEF01234567",
         Thumb},
        {"", ""},
        {"0123456789ABCDEF0123456789ABCDEF0123456", ""},   // 39 digits
        {"0123456789ABCDEF0123456789ABCDEF012345678", ""}, // 41 digits
        {"0123456789ABCDEF0123456789ABCDEF0123456G", ""},
        {"0123456789ABCDEF0123456789ABCDEF01234567 /f x.pfx", ""},
        {"?0123456789ABCDEF0123456789ABCDEF01234567", ""},
        {std::string("0123456789ABCDEF0123456789ABCDEF0123456\0"
                     "7",
                     41),
         ""},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(NormalizeThumbprint(Case.Text), Case.Expected) << Case.Text;
}

TEST(CertSourceSetting, OnlyOneMeansTheStore) {
    EXPECT_EQ(CertSourceFromSetting("1"), TCertSource::Store);
    for (const char* Stored : {"", "0", "2", " 1", "store", "01"})
        EXPECT_EQ(CertSourceFromSetting(Stored), TCertSource::PfxFile) << Stored;
    for (const TCertSource Source : {TCertSource::PfxFile, TCertSource::Store})
        EXPECT_EQ(CertSourceFromSetting(CertSourceSettingText(Source)), Source);
}

TEST(SigningEnvironment, CarriesThePinOnlyForAStoreCertificate) {
    using TVars = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(SigningEnvironment(StoreChoice()), (TVars{{"QUORVEL_TOKEN_PIN", "pin-9Q"}}));
    TSigningSettings NoPin = StoreChoice();
    NoPin.Password.clear();
    EXPECT_EQ(SigningEnvironment(NoPin), (TVars{{"QUORVEL_TOKEN_PIN", ""}}));
    TSigningSettings Pfx = StoreChoice();
    Pfx.CertSource = TCertSource::PfxFile;
    EXPECT_EQ(SigningEnvironment(Pfx), TVars{});
}

class TPane : public ILogPane {
public:
    void Add(const std::string& Text) override { Lines.push_back(Text); }
    std::vector<std::string> Lines;
};

TEST(SignOneFile, RefusesAThumbprintThatIsNotFortyHexDigits) {
    for (const char* Bad : {"", "0123", "0123456789ABCDEF0123456789ABCDEF0123456 /a",
                            "success0123456789ABCDEF0123456789ABCDEF01"}) {
        TSigningSettings S = StoreChoice();
        S.CertThumbprint = Bad;
        TPane Pane;
        std::string Output;
        bool Ran = false;
        const TCommandRunner Run = [&](const std::string&, std::string&) {
            Ran = true;
            return 0u;
        };
        EXPECT_EQ(SignOneFile(Pane, Run, S, "/w/a.exe", Output), 1u);
        EXPECT_FALSE(Ran) << Bad;
        EXPECT_EQ(Output, "Not signed: the certificate's thumbprint is not 40 hexadecimal digits.");
        EXPECT_EQ(Pane.Lines, (std::vector<std::string>{">> /w/a.exe", Output, "---------------"}));
    }
}

// The file path named for a store certificate is not checked as a path: a
// quote in an unused .pfx field must not stop signing by thumbprint.
TEST(SignOneFile, IgnoresTheUnusedCertificateFieldForAStoreCertificate) {
    TSigningSettings S = StoreChoice();
    S.Certificate = "C:\\odd\"name\\";
    TPane Pane;
    std::string Output, Ran;
    const TCommandRunner Run = [&](const std::string& Line, std::string&) {
        Ran = Line;
        return 0u;
    };
    EXPECT_EQ(SignOneFile(Pane, Run, S, "C:\\Out\\app.exe", Output), 0u);
    EXPECT_EQ(Ran, BuildSignCommandLine(S, "C:\\Out\\app.exe"));
}

} // namespace
