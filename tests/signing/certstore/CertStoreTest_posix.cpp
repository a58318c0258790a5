// The tokens' certificates as p11-kit shows them, on a SoftHSM2 token made
// for the test: what is listed, how it is described, and the lookup by
// thumbprint that the check before a batch and the signing tool use.
#include "signing/CertStore.h"
#include "tests/fixtures/TempFolder.h"
#include "tests/fixtures/TestPki.h"
#include "tests/signing/certstore/SoftHsmToken.h"

#include "tests/fixtures/RunProgram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

class CertStoreOnToken : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Missing = TSoftHsmToken::MissingPrerequisite();
        if (!Missing.empty())
            return;
        Folder = std::make_unique<TTempFolder>();
        Pki = std::make_unique<TTestPki>(Folder->Path(), "Test-Pass#1");
        Token = std::make_unique<TSoftHsmToken>(Folder->Path(), "Quorvel Store Test", "4711");
        // A code-signing certificate, one for timestamps only, and the CA
        // with no key on the token.
        Token->Import(Pki->Folder + "/signer.key", Pki->Folder + "/signer.crt", "01");
        Token->Import(Pki->TsaKey, Pki->TsaCert, "0a0b");
        Token->Import({}, Pki->CaCert, "03");
    }
    static void TearDownTestSuite() {
        Token.reset();
        Pki.reset();
        Folder.reset();
    }
    void SetUp() override {
        if (!Missing.empty())
            GTEST_SKIP() << Missing;
    }

    static const TStoreCertificate* FindIn(const std::vector<TStoreCertificate>& List,
                                           const std::string& Thumbprint) {
        const auto Found = std::find_if(List.begin(), List.end(), [&](const auto& Certificate) {
            return Certificate.Thumbprint == Thumbprint;
        });
        return Found == List.end() ? nullptr : &*Found;
    }

    static inline std::string Missing;
    static inline std::unique_ptr<TTempFolder> Folder;
    static inline std::unique_ptr<TTestPki> Pki;
    static inline std::unique_ptr<TSoftHsmToken> Token;
};

TEST_F(CertStoreOnToken, ListsCertificatesWithAKeyAndDescribesThem) {
    const std::vector<TStoreCertificate> List = ListStoreCertificates();
    const std::string SignerThumb = OpenSslThumbprint(Pki->Folder + "/signer.crt");
    ASSERT_EQ(SignerThumb.size(), 40u);

    const TStoreCertificate* Signer = FindIn(List, SignerThumb);
    ASSERT_NE(Signer, nullptr);
    EXPECT_EQ(Signer->Subject, "CN=Quorvel Test Signer");
    EXPECT_EQ(Signer->Issuer, "CN=Quorvel Test CA");
    EXPECT_TRUE(Signer->CodeSigning);
    EXPECT_FALSE(Signer->Expired);
    EXPECT_FALSE(Signer->NotYetValid);
    EXPECT_TRUE(Signer->Usable());
    // The URIs name this token and the object, for osslsigncode.
    EXPECT_NE(Signer->CertificateUri.find("token=Quorvel%20Store%20Test"), std::string::npos)
        << Signer->CertificateUri;
    EXPECT_NE(Signer->CertificateUri.find("id=%01"), std::string::npos);
    EXPECT_NE(Signer->CertificateUri.find("type=cert"), std::string::npos);
    EXPECT_NE(Signer->KeyUri.find("type=private"), std::string::npos);

    // "notAfter=Dec 10 12:00:00 2036 GMT" against "2036-12-10".
    const std::string EndDate = RunProgram({"openssl", "x509", "-in", Pki->Folder + "/signer.crt",
                                            "-noout", "-enddate", "-dateopt", "iso_8601"})
                                    .Output;
    EXPECT_EQ(EndDate.substr(EndDate.find('=') + 1, 10), Signer->ValidUntil);

    const TStoreCertificate* Tsa = FindIn(List, OpenSslThumbprint(Pki->TsaCert));
    ASSERT_NE(Tsa, nullptr);
    EXPECT_FALSE(Tsa->CodeSigning);
    EXPECT_FALSE(Tsa->Usable());

    EXPECT_EQ(FindIn(List, OpenSslThumbprint(Pki->CaCert)), nullptr) << "no key, not listed";
}

TEST_F(CertStoreOnToken, MarksCertificatesOutsideTheirPeriod) {
    const std::string Thumb = OpenSslThumbprint(Pki->Folder + "/signer.crt");
    const std::time_t Now = std::time(nullptr);
    const std::time_t Days = 24 * 3600;
    struct {
        std::time_t When;
        bool Expired, NotYetValid;
    } const Cases[] = {
        {Now, false, false}, {Now - 3 * Days, false, true}, {Now + 20 * 365 * Days, true, false}};
    for (const auto& Case : Cases) {
        const std::vector<TStoreCertificate> List = ListStoreCertificates(Case.When);
        const TStoreCertificate* Signer = FindIn(List, Thumb);
        ASSERT_NE(Signer, nullptr);
        EXPECT_EQ(Signer->Expired, Case.Expired) << Case.When;
        EXPECT_EQ(Signer->NotYetValid, Case.NotYetValid) << Case.When;
        EXPECT_EQ(Signer->Usable(), !Case.Expired && !Case.NotYetValid);
    }
}

TEST_F(CertStoreOnToken, FindsByThumbprintInAnySpelling) {
    std::string Thumb = OpenSslThumbprint(Pki->Folder + "/signer.crt");
    std::string Spaced;
    for (std::size_t I = 0; I < Thumb.size(); I += 2)
        Spaced += (I ? " " : "") + Thumb.substr(I, 2);
    for (char& C : Spaced)
        C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));

    TStoreCertificate Found;
    ASSERT_TRUE(FindStoreCertificate(Spaced, Found));
    EXPECT_EQ(Found.Thumbprint, Thumb);
    EXPECT_TRUE(IsStoreCertificatePresent(Thumb));

    std::string Other = Thumb;
    Other[0] = Other[0] == 'A' ? 'B' : 'A';
    for (const std::string& Absent : {Other, std::string("not a thumbprint"), std::string()})
        EXPECT_FALSE(IsStoreCertificatePresent(Absent)) << Absent;
    EXPECT_FALSE(IsStoreCertificatePresent(OpenSslThumbprint(Pki->CaCert)));
}

// A token taken away after the choice: the check before a batch fails.
TEST_F(CertStoreOnToken, ATokenTakenAwayIsNoLongerFound) {
    TTempFolder Own;
    TSoftHsmToken Short(Own.Path(), "Quorvel Removed", "1111");
    Short.Import(Pki->Folder + "/signer.key", Pki->Folder + "/signer.crt", "01");
    const std::string Thumb = OpenSslThumbprint(Pki->Folder + "/signer.crt");
    ASSERT_TRUE(IsStoreCertificatePresent(Thumb));
    Short.Remove();
    EXPECT_FALSE(IsStoreCertificatePresent(Thumb));
}

} // namespace
