// The current user's "MY" store under Wine: a certificate imported with its
// key by the test is listed, described and found by thumbprint; one without
// a key is not listed; one deleted from the store is found no more.
#include "CertStore.h"
#include "ChildProc.h"

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

// Imports the PFX file's certificate with its key into MY; the context
// returned is the store's copy.
TContext ImportIntoMy(const std::string& Pfx, const wchar_t* Password) {
    CRYPT_DATA_BLOB Blob{static_cast<DWORD>(Pfx.size()),
                         reinterpret_cast<BYTE*>(const_cast<char*>(Pfx.data()))};
    TStoreHandle Imported(PFXImportCertStore(&Blob, Password, CRYPT_USER_KEYSET));
    if (!Imported)
        return nullptr;
    PCCERT_CONTEXT Certificate = CertEnumCertificatesInStore(Imported.get(), nullptr);
    if (!Certificate)
        return nullptr;
    TContext Owned(Certificate);
    const TStoreHandle My = OpenMy();
    PCCERT_CONTEXT Added = nullptr;
    if (!My || !CertAddCertificateContextToStore(My.get(), Owned.get(),
                                                 CERT_STORE_ADD_REPLACE_EXISTING, &Added))
        return nullptr;
    return TContext(Added);
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

    TContext Added = ImportIntoMy(Pfx, L"Wine-Pass1");
    ASSERT_TRUE(Added) << "import failed: " << GetLastError();

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

    // Deleting frees the context it is given.
    ASSERT_TRUE(CertDeleteCertificateFromStore(Added.release()));
    EXPECT_EQ(FindIn(ListStoreCertificates(), Thumb), nullptr);
    EXPECT_FALSE(IsStoreCertificatePresent(Thumb));
}

TEST(CertStoreMy, LeavesOutACertificateWithoutItsKey) {
    const std::string Der = ReadBuildFile("signer.der");
    const std::string Thumb = ReadBuildFile("signer.sha1");
    const TStoreHandle My = OpenMy();
    ASSERT_TRUE(My);
    PCCERT_CONTEXT Added = nullptr;
    ASSERT_TRUE(CertAddEncodedCertificateToStore(
        My.get(), X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(Der.data()),
        static_cast<DWORD>(Der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &Added));
    TContext Owned(Added);
    EXPECT_EQ(FindIn(ListStoreCertificates(), Thumb), nullptr);
    EXPECT_FALSE(IsStoreCertificatePresent(Thumb));
    CertDeleteCertificateFromStore(Owned.release());
}

} // namespace
