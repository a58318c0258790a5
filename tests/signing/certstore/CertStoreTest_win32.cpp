// The current user's "MY" store under Wine: a certificate imported with its
// key by the test is listed, described and found by thumbprint; one without
// a key is not listed; one deleted from the store is found no more.
#include "signing/CertStore.h"
#include "tests/helpers/ChildProc.h"

#include <windows.h>

#include <wincrypt.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

std::string ReadBuildFile(const std::string& Name) {
    std::ifstream In(PathForTestPlatform(std::string(QUORVEL_STORE_PKI) + "/" + Name),
                     std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(In), {});
}

struct TStoreClose {
    void operator()(HCERTSTORE Store) const { CertCloseStore(Store, 0); }
};
struct TContextFree {
    void operator()(PCCERT_CONTEXT Context) const { CertFreeCertificateContext(Context); }
};
using TStoreHandle = std::unique_ptr<void, TStoreClose>;
using TContext = std::unique_ptr<const CERT_CONTEXT, TContextFree>;

TStoreHandle OpenMy() {
    return TStoreHandle(
        CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, "MY"));
}

// Each change is made through a store handle of its own, closed at once: a
// system store may write its changes only when its last handle and context
// are gone (Wine's does).

// Imports the PFX file's certificate with its key into MY.
bool ImportIntoMy(const std::string& Pfx, const wchar_t* Password) {
    CRYPT_DATA_BLOB Blob{static_cast<DWORD>(Pfx.size()),
                         reinterpret_cast<BYTE*>(const_cast<char*>(Pfx.data()))};
    TStoreHandle Imported(PFXImportCertStore(&Blob, Password, CRYPT_USER_KEYSET));
    if (!Imported)
        return false;
    TContext Certificate(CertEnumCertificatesInStore(Imported.get(), nullptr));
    const TStoreHandle My = OpenMy();
    return Certificate && My &&
           CertAddCertificateContextToStore(My.get(), Certificate.get(),
                                            CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
}

bool AddEncodedToMy(const std::string& Der) {
    const TStoreHandle My = OpenMy();
    return My && CertAddEncodedCertificateToStore(
                     My.get(), X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(Der.data()),
                     static_cast<DWORD>(Der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
}

// Deletes every copy of the certificate with this thumbprint from MY;
// gives how many went.
int DeleteFromMy(const std::string& Thumbprint) {
    const TStoreHandle My = OpenMy();
    if (!My)
        return 0;
    BYTE Hash[20];
    for (std::size_t I = 0; I < sizeof Hash; ++I)
        Hash[I] = static_cast<BYTE>(std::stoi(Thumbprint.substr(2 * I, 2), nullptr, 16));
    CRYPT_HASH_BLOB Blob{sizeof Hash, Hash};
    int Deleted = 0;
    // Deleting frees the context it is given.
    while (PCCERT_CONTEXT Found = CertFindCertificateInStore(My.get(), X509_ASN_ENCODING, 0,
                                                             CERT_FIND_SHA1_HASH, &Blob, nullptr)) {
        if (!CertDeleteCertificateFromStore(Found))
            break;
        ++Deleted;
    }
    // Wine writes a deletion to the registry only when told so or when the
    // store is gone.
    CertControlStore(My.get(), 0, CERT_STORE_CTRL_COMMIT, nullptr);
    return Deleted;
}

const TStoreCertificate* FindIn(const std::vector<TStoreCertificate>& List,
                                const std::string& Thumbprint) {
    for (const TStoreCertificate& Certificate : List)
        if (Certificate.Thumbprint == Thumbprint)
            return &Certificate;
    return nullptr;
}

TEST(CertStoreMy, ListsAndFindsACertificateImportedWithItsKeyUntilItIsDeleted) {
    const std::string Thumb = ReadBuildFile("signer.sha1");
    const std::string Pfx = ReadBuildFile("signer.pfx");
    ASSERT_EQ(Thumb.size(), 40u);
    ASSERT_FALSE(Pfx.empty());

    DeleteFromMy(Thumb);
    ASSERT_TRUE(ImportIntoMy(Pfx, L"Wine-Pass1")) << "import failed: " << GetLastError();

    const std::vector<TStoreCertificate> List = ListStoreCertificates();
    const TStoreCertificate* Signer = FindIn(List, Thumb);
    ASSERT_NE(Signer, nullptr);
    EXPECT_NE(Signer->Subject.find("CN=Quorvel Wine Signer"), std::string::npos) << Signer->Subject;
    EXPECT_NE(Signer->Subject.find("O=Quorvel Tests"), std::string::npos);
    EXPECT_EQ(Signer->Issuer, Signer->Subject) << "self-signed";
    EXPECT_EQ(Signer->ValidUntil.size(), 10u);
    EXPECT_TRUE(Signer->CodeSigning);
    EXPECT_TRUE(Signer->Usable());
    EXPECT_FALSE(ListStoreCertificates(std::time(nullptr) + 20 * 365 * 24 * 3600)
                     .empty()); // still listed, marked
    EXPECT_TRUE(
        FindIn(ListStoreCertificates(std::time(nullptr) + 20 * 365 * 24 * 3600), Thumb)->Expired);

    std::string Lower = Thumb;
    for (char& C : Lower)
        C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
    EXPECT_TRUE(IsStoreCertificatePresent(Lower));

    EXPECT_EQ(DeleteFromMy(Thumb), 1);
    EXPECT_EQ(FindIn(ListStoreCertificates(), Thumb), nullptr);
    EXPECT_FALSE(IsStoreCertificatePresent(Thumb));
}

TEST(CertStoreMy, LeavesOutACertificateWithoutItsKey) {
    const std::string Der = ReadBuildFile("signer.der");
    const std::string Thumb = ReadBuildFile("signer.sha1");
    DeleteFromMy(Thumb);
    ASSERT_TRUE(AddEncodedToMy(Der));
    EXPECT_EQ(FindIn(ListStoreCertificates(), Thumb), nullptr);
    EXPECT_FALSE(IsStoreCertificatePresent(Thumb));
    DeleteFromMy(Thumb);
}

} // namespace
