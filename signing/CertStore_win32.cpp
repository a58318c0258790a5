// The current user's "MY" store through crypt32: certificates with a key
// provider, their code-signing usage and their validity.
#include "signing/CertStore.h"

#include "core/Win32Handles.h"

#include <windows.h>

#include <wincrypt.h>

#include <cstdint>
#include <vector>

namespace {

Win32::TCertStore OpenMyStore() {
    return Win32::TCertStore(CertOpenStore(
        CERT_STORE_PROV_SYSTEM_A, 0, 0,
        CERT_SYSTEM_STORE_CURRENT_USER | CERT_STORE_READONLY_FLAG | CERT_STORE_OPEN_EXISTING_FLAG,
        "MY"));
}

bool HasKeyProvider(PCCERT_CONTEXT Certificate) {
    DWORD Size = 0;
    return CertGetCertificateContextProperty(Certificate, CERT_KEY_PROV_INFO_PROP_ID, nullptr,
                                             &Size) != FALSE;
}

std::string NameText(CERT_NAME_BLOB* Name) {
    // "CN=..., O=..., C=...": the most specific part first.
    const DWORD Type = CERT_X500_NAME_STR | CERT_NAME_STR_REVERSE_FLAG;
    const DWORD Size = CertNameToStrA(X509_ASN_ENCODING, Name, Type, nullptr, 0);
    if (Size <= 1)
        return {};
    std::string Text(Size, '\0');
    CertNameToStrA(X509_ASN_ENCODING, Name, Type, Text.data(), Size);
    Text.resize(Size - 1);
    return Text;
}

std::string ThumbprintOf(PCCERT_CONTEXT Certificate) {
    BYTE Hash[20];
    DWORD Size = sizeof Hash;
    if (!CertGetCertificateContextProperty(Certificate, CERT_SHA1_HASH_PROP_ID, Hash, &Size) ||
        Size != sizeof Hash)
        return {};
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string Text;
    for (const BYTE Byte : Hash) {
        Text += Hex[Byte >> 4];
        Text += Hex[Byte & 15];
    }
    return Text;
}

// Without the extension (or its property) every usage is allowed.
bool AllowsCodeSigning(PCCERT_CONTEXT Certificate) {
    DWORD Size = 0;
    if (!CertGetEnhancedKeyUsage(Certificate, 0, nullptr, &Size))
        return GetLastError() == static_cast<DWORD>(CRYPT_E_NOT_FOUND);
    std::vector<BYTE> Buffer(Size);
    auto* Usage = reinterpret_cast<CERT_ENHKEY_USAGE*>(Buffer.data());
    if (!CertGetEnhancedKeyUsage(Certificate, 0, Usage, &Size))
        return false;
    if (Usage->cUsageIdentifier == 0)
        return GetLastError() == static_cast<DWORD>(CRYPT_E_NOT_FOUND);
    for (DWORD I = 0; I < Usage->cUsageIdentifier; ++I) {
        const std::string_view Oid = Usage->rgpszUsageIdentifier[I];
        if (Oid == szOID_PKIX_KP_CODE_SIGNING || Oid == "2.5.29.37.0") // or any usage
            return true;
    }
    return false;
}

FILETIME FileTimeOf(std::time_t Time) {
    const std::uint64_t Ticks =
        (static_cast<std::uint64_t>(Time) + 11644473600ULL) * 10000000ULL; // from 1601
    return FILETIME{static_cast<DWORD>(Ticks), static_cast<DWORD>(Ticks >> 32)};
}

std::time_t TimeOf(const FILETIME& Time) {
    const std::uint64_t Ticks =
        (static_cast<std::uint64_t>(Time.dwHighDateTime) << 32) | Time.dwLowDateTime;
    return static_cast<std::time_t>(Ticks / 10000000ULL) - static_cast<std::time_t>(11644473600LL);
}

} // namespace

std::vector<TStoreCertificate> ListStoreCertificates(std::time_t Now) {
    std::vector<TStoreCertificate> Result;
    const Win32::TCertStore Store = OpenMyStore();
    if (!Store)
        return Result;
    FILETIME When = FileTimeOf(Now);
    // Each call releases the context it is given, so the loop leaks none.
    for (PCCERT_CONTEXT Certificate = CertEnumCertificatesInStore(Store.get(), nullptr);
         Certificate; Certificate = CertEnumCertificatesInStore(Store.get(), Certificate)) {
        if (!HasKeyProvider(Certificate))
            continue;
        TStoreCertificate Entry;
        Entry.Thumbprint = ThumbprintOf(Certificate);
        if (Entry.Thumbprint.empty())
            continue;
        Entry.Subject = NameText(&Certificate->pCertInfo->Subject);
        Entry.Issuer = NameText(&Certificate->pCertInfo->Issuer);
        Entry.ValidUntil = ValidUntilText(TimeOf(Certificate->pCertInfo->NotAfter));
        const LONG Validity = CertVerifyTimeValidity(&When, Certificate->pCertInfo);
        Entry.NotYetValid = Validity < 0;
        Entry.Expired = Validity > 0;
        Entry.CodeSigning = AllowsCodeSigning(Certificate);
        Result.push_back(std::move(Entry));
    }
    return Result;
}
