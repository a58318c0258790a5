// Signing with a certificate of the system's store or a token: restoring and
// choosing it, what is stored, the tool's command line and environment, the
// check before a batch and a token that refuses the PIN.
#include "core/Addresses.h"
#include "tests/ui/MainDlgFixture.h"

#include <algorithm>

namespace {

const std::string Thumb = "0123456789ABCDEF0123456789ABCDEF01234567";
const std::string OtherThumb = "89ABCDEF0123456789ABCDEF0123456789ABCDEF";

TStoreCertificate Certificate(const std::string& Subject, const std::string& Thumbprint) {
    TStoreCertificate Result;
    Result.Subject = Subject;
    Result.Issuer = "CN=Test CA";
    Result.ValidUntil = "2030-01-01";
    Result.Thumbprint = Thumbprint;
    Result.CodeSigning = true;
    return Result;
}

class CertStoreTest : public MainDlgTest {
protected:
    void SetUp() override {
        ConfigureSigning();
        Services.Settings["Password"] = "1234";
        Services.Certificates = {Certificate("CN=Signer, O=Maker", Thumb)};
    }

    // A new start-up on the same window: what the last one left goes.
    void ResetView() {
        View.DeleteAllRows();
        View.Messages.clear();
        View.LogAdditions.clear();
        View.PickerOffers.clear();
    }

    std::string StoreCommandLine(const std::string& File) const {
        return "tools/signtool.exe sign /fd SHA256 /sha1 " + Thumb + " /tr " +
               Addresses::TimestampServers[0] + " /td SHA256 \"" + File + "\"";
    }

    void SignAll() {
        ASSERT_TRUE(Dlg->Guard([&] { Dlg->sign_btnClick(); }));
    }
};

using TEnvironment = std::vector<std::pair<std::string, std::string>>;
const TEnvironment PinEnvironment = {{"QUORVEL_TOKEN_PIN", "1234"}};

} // namespace

// What start-up makes of the stored values: only a CertSource of "1" with a
// real thumbprint selects the store; anything else is the .pfx file as before.
TEST_F(CertStoreTest, StartUpRestoresTheStoredSource) {
    struct TCase {
        const char* Source;
        const char* Thumbprint;
        const char* Field;
        bool Store;
    };
    const std::string Spaced = "01 23 45 67 89 ab cd ef 01 23 45 67 89 ab cd ef 01 23 45 67";
    const TCase Cases[] = {
        {nullptr, nullptr, "keys/code.pfx", false},
        {"0", Thumb.c_str(), "keys/code.pfx", false},
        {"1", "not a thumbprint", "keys/code.pfx", false},
        {"1", Spaced.c_str(), "CN=Signer, O=Maker [0123456789ABCDEF0123456789ABCDEF01234567]",
         true},
        // Gone from the store since: the thumbprint alone.
        {"1", OtherThumb.c_str(), "[89ABCDEF0123456789ABCDEF0123456789ABCDEF]", true},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Source ? Case.Source : "(none)");
        ResetView();
        Services.Calls.clear();
        Services.Settings.erase("CertSource");
        Services.Settings.erase("CertThumbprint");
        if (Case.Source)
            Services.Settings["CertSource"] = Case.Source;
        if (Case.Thumbprint)
            Services.Settings["CertThumbprint"] = Case.Thumbprint;
        Start();
        EXPECT_EQ(View.FieldText(TMainField::certifpath_txt), Case.Field);
        const TSigningSettings Settings = Dlg->CurrentSigningSettings();
        EXPECT_EQ(Settings.CertSource == TCertSource::Store, Case.Store);
        // The .pfx user's start-up never looks into the store.
        EXPECT_EQ(std::count(Services.Calls.begin(), Services.Calls.end(), "StoreCertificates"),
                  Case.Store ? 1 : 0);
        Dlg.reset();
    }
}

TEST_F(CertStoreTest, ChoosingFromTheStoreStoresItAndSignsByThumbprintWithThePinOutOfSight) {
    TStoreCertificate Expired = Certificate("CN=Old", "1111111111111111111111111111111111111111");
    Expired.Expired = true;
    TStoreCertificate Early = Certificate("CN=Early", "2222222222222222222222222222222222222222");
    Early.NotYetValid = true;
    TStoreCertificate Mail = Certificate("CN=Mail", "3333333333333333333333333333333333333333");
    Mail.CodeSigning = false;
    Services.Certificates = {Expired, Certificate("CN=Signer, O=Maker", Thumb), Early, Mail};
    Start();
    AddRows(2);
    View.PickerAnswer = Thumb;

    ASSERT_TRUE(Dlg->Guard([&] { Dlg->browsecertstore_itemClick(); }));

    ASSERT_EQ(View.PickerOffers.size(), 1u);
    ASSERT_EQ(View.PickerOffers[0].size(), 1u); // the unusable ones are left out
    EXPECT_EQ(View.PickerOffers[0][0].Subject, "CN=Signer, O=Maker");
    EXPECT_EQ(View.FieldText(TMainField::certifpath_txt), "CN=Signer, O=Maker [" + Thumb + "]");
    EXPECT_EQ(Services.Settings["CertSource"], "1");
    EXPECT_EQ(Services.Settings["CertThumbprint"], Thumb);
    EXPECT_EQ(Services.Settings["Certificate"], "keys/code.pfx");

    SignAll();
    EXPECT_EQ(Services.CommandLines,
              (std::vector<std::string>{StoreCommandLine("C:\\build\\file1.exe"),
                                        StoreCommandLine("C:\\build\\file2.exe")}));
    EXPECT_EQ(Services.Environments, (std::vector<TEnvironment>{PinEnvironment, PinEnvironment}));
    EXPECT_EQ(View.Messages.back(), "2 files signed\n\r0 warnings\n\r0 files failed");

    // A file chosen again takes over, in the settings too, and runs as before.
    View.DialogAnswers = {"keys/other.pfx"};
    Services.ExistingFiles.insert("keys/other.pfx");
    Services.CommandLines.clear();
    ASSERT_TRUE(Dlg->Guard([&] { Dlg->browsecert_btnClick(); }));
    EXPECT_EQ(Services.Settings["CertSource"], "0");
    EXPECT_EQ(Services.Settings["Certificate"], "keys/other.pfx");
    SignAll();
    ASSERT_EQ(Services.CommandLines.size(), 2u);
    EXPECT_NE(Services.CommandLines[0].find("/f \"keys/other.pfx\" /p 1234"), std::string::npos);
    EXPECT_EQ(Services.Environments.size(), 2u); // no run through the environment since
}

TEST_F(CertStoreTest, ACancelledOrEmptyPickerChangesNothing) {
    Start();
    const auto Settings = Services.Settings;
    ASSERT_TRUE(Dlg->Guard([&] { Dlg->browsecertstore_itemClick(); })); // cancelled
    EXPECT_EQ(View.PickerOffers.size(), 1u);

    Services.Certificates[0].Expired = true;
    ASSERT_TRUE(Dlg->Guard([&] { Dlg->browsecertstore_itemClick(); }));
    EXPECT_EQ(View.PickerOffers.size(), 1u); // no picker for nothing to pick
    EXPECT_EQ(View.Messages, std::vector<std::string>{"No code-signing certificate with a private "
                                                      "key was found in the certificate store !"});
    EXPECT_EQ(Services.Settings, Settings);
    EXPECT_EQ(View.FieldText(TMainField::certifpath_txt), "keys/code.pfx");
}

// The store certificate must still be there; the .pfx path's file test no
// longer decides (its file exists here).
TEST_F(CertStoreTest, ACertificateGoneFromTheStoreStopsTheBatchBeforeItStarts) {
    Services.Settings["CertSource"] = "1";
    Services.Settings["CertThumbprint"] = Thumb;
    Start();
    AddRows(2);
    Services.Certificates.clear();
    SignAll();
    EXPECT_EQ(View.Messages, std::vector<std::string>{"Certificate not found !"});
    EXPECT_TRUE(Services.CommandLines.empty());
    EXPECT_EQ(Services.Calls.back(), "StoreCertificatePresent " + Thumb);
}

// Once the token refused the PIN, each further try would bring it closer to
// locking: the rest of the batch is not run, yet fails row by row and sums up.
TEST_F(CertStoreTest, ARefusedPinEndsTheTriesButNotTheBatch) {
    const char* Refusals[] = {
        "SignTool Error: The token's PIN is not correct.\r\n",
        "SignTool Error: The token is locked after too many wrong PINs. Unlock it with its own "
        "software.\r\n",
        "SignTool Error: An unexpected internal error has occurred.\r\nError information: "
        "\"Error: SignerSign() failed.\" (-2146434965/0x8010006b)\r\n",
    };
    Services.Settings["CertSource"] = "1";
    Services.Settings["CertThumbprint"] = Thumb;
    for (const char* Refusal : Refusals) {
        SCOPED_TRACE(Refusal);
        ResetView();
        Services.CommandLines.clear();
        Services.Tool = [&](const std::string&, std::string& Output) {
            Output += Refusal;
            return 1u;
        };
        Start();
        AddRows(3);
        SignAll();
        EXPECT_EQ(Services.CommandLines.size(), 1u);
        EXPECT_EQ(Statuses(), (std::vector<TSignStatus>{ssFailed, ssFailed, ssFailed}));
        const auto Skip = std::find(View.LogAdditions.begin(), View.LogAdditions.end(),
                                    ">> C:\\build\\file2.exe");
        ASSERT_NE(Skip, View.LogAdditions.end());
        ASSERT_LT(Skip + 2, View.LogAdditions.end());
        EXPECT_NE(Skip[1].find("refused the PIN for an earlier file"), std::string::npos);
        EXPECT_EQ(Skip[2], "---------------");
        EXPECT_EQ(View.LogAdditions.back(), "---------------");
        EXPECT_EQ(View.Messages.back(), "0 files signed\n\r0 warnings\n\r3 files failed");
        Dlg.reset();
    }

    // Any other failure of a token leaves the next files their own try.
    ResetView();
    Services.CommandLines.clear();
    Services.Tool = [](const std::string&, std::string& Output) {
        Output += "SignTool Error: No certificate with the SHA-1 thumbprint was found on the "
                  "PKCS#11 tokens. Is the token plugged in?\r\n";
        return 1u;
    };
    Start();
    AddRows(3);
    SignAll();
    EXPECT_EQ(Services.CommandLines.size(), 3u);
}
