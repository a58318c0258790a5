// The tokens' certificates through p11-kit: every PKCS#11 module registered
// with it (/usr/share/p11-kit/modules), every token present, read without
// logging in. The certificates are read with OpenSSL's libcrypto.
#include "signing/CertStore.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <p11-kit/p11-kit.h>
#include <p11-kit/uri.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>

namespace {

using TBytes = std::string;

class TModules {
public:
    TModules() : List(p11_kit_modules_load_and_initialize(0)) {}
    TModules(const TModules&) = delete;
    TModules& operator=(const TModules&) = delete;
    ~TModules() {
        if (List)
            p11_kit_modules_finalize_and_release(List);
    }
    CK_FUNCTION_LIST** Get() const { return List; }

private:
    CK_FUNCTION_LIST** List;
};

class TSession {
public:
    TSession(CK_FUNCTION_LIST* Module, CK_SLOT_ID Slot) : Module(Module) {
        if (Module->C_OpenSession(Slot, CKF_SERIAL_SESSION, nullptr, nullptr, &Handle) != CKR_OK)
            Handle = CK_INVALID_HANDLE;
    }
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;
    ~TSession() {
        if (Handle != CK_INVALID_HANDLE)
            Module->C_CloseSession(Handle);
    }
    bool IsOpen() const { return Handle != CK_INVALID_HANDLE; }
    CK_SESSION_HANDLE Get() const { return Handle; }

private:
    CK_FUNCTION_LIST* Module;
    CK_SESSION_HANDLE Handle = CK_INVALID_HANDLE;
};

// The objects of one class (and certificate type, for certificates).
std::vector<CK_OBJECT_HANDLE> FindObjects(CK_FUNCTION_LIST* Module, CK_SESSION_HANDLE Session,
                                          CK_OBJECT_CLASS Class) {
    CK_CERTIFICATE_TYPE X509 = CKC_X_509;
    CK_ATTRIBUTE Template[] = {{CKA_CLASS, &Class, sizeof Class},
                               {CKA_CERTIFICATE_TYPE, &X509, sizeof X509}};
    const CK_ULONG Count = Class == CKO_CERTIFICATE ? 2 : 1;
    std::vector<CK_OBJECT_HANDLE> Found;
    if (Module->C_FindObjectsInit(Session, Template, Count) != CKR_OK)
        return Found;
    CK_OBJECT_HANDLE Batch[64];
    CK_ULONG Got = 0;
    while (Module->C_FindObjects(Session, Batch, 64, &Got) == CKR_OK && Got > 0)
        Found.insert(Found.end(), Batch, Batch + Got);
    Module->C_FindObjectsFinal(Session);
    return Found;
}

// One attribute's bytes; empty when the token has none or will not tell.
TBytes Attribute(CK_FUNCTION_LIST* Module, CK_SESSION_HANDLE Session, CK_OBJECT_HANDLE Object,
                 CK_ATTRIBUTE_TYPE Type) {
    CK_ATTRIBUTE Query = {Type, nullptr, 0};
    if (Module->C_GetAttributeValue(Session, Object, &Query, 1) != CKR_OK ||
        Query.ulValueLen == CK_UNAVAILABLE_INFORMATION || Query.ulValueLen == 0 ||
        Query.ulValueLen > 1024 * 1024)
        return {};
    TBytes Value(Query.ulValueLen, '\0');
    Query.pValue = Value.data();
    if (Module->C_GetAttributeValue(Session, Object, &Query, 1) != CKR_OK)
        return {};
    Value.resize(Query.ulValueLen);
    return Value;
}

struct TX509Free {
    void operator()(X509* Certificate) const { X509_free(Certificate); }
};
struct TBioFree {
    void operator()(BIO* Bio) const { BIO_free(Bio); }
};
struct TUriFree {
    void operator()(P11KitUri* Uri) const { p11_kit_uri_free(Uri); }
};

std::string NameText(const X509_NAME* Name) {
    std::unique_ptr<BIO, TBioFree> Memory(BIO_new(BIO_s_mem()));
    if (!Memory)
        return {};
    // "CN=..., O=..., C=...": the most specific part first, as Windows shows
    // names, with UTF-8 text left unescaped.
    const unsigned long Flags = (ASN1_STRFLGS_RFC2253 & ~ASN1_STRFLGS_ESC_MSB) |
                                XN_FLAG_SEP_CPLUS_SPC | XN_FLAG_DN_REV | XN_FLAG_FN_SN;
    if (X509_NAME_print_ex(Memory.get(), Name, 0, Flags) < 0)
        return {};
    char* Data = nullptr;
    const long Size = BIO_get_mem_data(Memory.get(), &Data);
    return Size > 0 ? std::string(Data, static_cast<std::size_t>(Size)) : std::string();
}

std::string DateText(const ASN1_TIME* Time) {
    std::tm Parts{};
    if (!Time || ASN1_TIME_to_tm(Time, &Parts) != 1)
        return {};
    char Text[32];
    return std::string(Text, std::strftime(Text, sizeof Text, "%Y-%m-%d", &Parts));
}

// The certificate's description, or false when the bytes are no X.509
// certificate.
bool Describe(const TBytes& Der, std::time_t Now, TStoreCertificate& Out) {
    const unsigned char* Cursor = reinterpret_cast<const unsigned char*>(Der.data());
    std::unique_ptr<X509, TX509Free> Certificate(
        d2i_X509(nullptr, &Cursor, static_cast<long>(Der.size())));
    if (!Certificate)
        return false;
    unsigned char Digest[EVP_MAX_MD_SIZE];
    unsigned int DigestSize = 0;
    if (!X509_digest(Certificate.get(), EVP_sha1(), Digest, &DigestSize) || DigestSize != 20)
        return false;
    static constexpr char Hex[] = "0123456789ABCDEF";
    Out.Thumbprint.clear();
    for (unsigned int I = 0; I < DigestSize; ++I) {
        Out.Thumbprint += Hex[Digest[I] >> 4];
        Out.Thumbprint += Hex[Digest[I] & 15];
    }
    Out.Subject = NameText(X509_get_subject_name(Certificate.get()));
    Out.Issuer = NameText(X509_get_issuer_name(Certificate.get()));
    const ASN1_TIME* NotAfter = X509_get0_notAfter(Certificate.get());
    const ASN1_TIME* NotBefore = X509_get0_notBefore(Certificate.get());
    Out.ValidUntil = DateText(NotAfter);
    // X509_cmp_time gives 0 for a time it cannot read: such a certificate
    // counts as out of its period.
    const int AfterEnd = X509_cmp_time(NotAfter, &Now);
    const int BeforeStart = X509_cmp_time(NotBefore, &Now);
    Out.Expired = AfterEnd <= 0;
    Out.NotYetValid = BeforeStart == 0 || BeforeStart > 0;
    // Without the extension every usage is allowed, as Windows counts it.
    const std::uint32_t Flags = X509_get_extension_flags(Certificate.get());
    Out.CodeSigning =
        (Flags & EXFLAG_XKUSAGE) == 0 ||
        (X509_get_extended_key_usage(Certificate.get()) & (XKU_CODE_SIGN | XKU_ANYEKU)) != 0;
    return true;
}

std::string ObjectUri(const CK_TOKEN_INFO& Token, const TBytes& Id, CK_OBJECT_CLASS Class) {
    std::unique_ptr<P11KitUri, TUriFree> Uri(p11_kit_uri_new());
    if (!Uri)
        return {};
    std::memcpy(p11_kit_uri_get_token_info(Uri.get()), &Token, sizeof Token);
    CK_ATTRIBUTE IdAttribute = {CKA_ID, const_cast<char*>(Id.data()), Id.size()};
    CK_ATTRIBUTE ClassAttribute = {CKA_CLASS, &Class, sizeof Class};
    char* Text = nullptr;
    if (p11_kit_uri_set_attribute(Uri.get(), &IdAttribute) != P11_KIT_URI_OK ||
        p11_kit_uri_set_attribute(Uri.get(), &ClassAttribute) != P11_KIT_URI_OK ||
        p11_kit_uri_format(Uri.get(), P11_KIT_URI_FOR_OBJECT_ON_TOKEN, &Text) != P11_KIT_URI_OK)
        return {};
    std::string Result(Text);
    std::free(Text);
    return Result;
}

void ListToken(CK_FUNCTION_LIST* Module, CK_SLOT_ID Slot, std::time_t Now,
               std::vector<TStoreCertificate>& Out) {
    CK_TOKEN_INFO Token{};
    if (Module->C_GetTokenInfo(Slot, &Token) != CKR_OK)
        return;
    TSession Session(Module, Slot);
    if (!Session.IsOpen())
        return;
    std::set<TBytes> KeyIds;
    for (const CK_OBJECT_CLASS Class : {CKO_PRIVATE_KEY, CKO_PUBLIC_KEY})
        for (const CK_OBJECT_HANDLE Key : FindObjects(Module, Session.Get(), Class))
            if (TBytes Id = Attribute(Module, Session.Get(), Key, CKA_ID); !Id.empty())
                KeyIds.insert(std::move(Id));
    if (KeyIds.empty())
        return; // also spares reading a trust store's hundreds of CA certificates
    for (const CK_OBJECT_HANDLE Object : FindObjects(Module, Session.Get(), CKO_CERTIFICATE)) {
        const TBytes Id = Attribute(Module, Session.Get(), Object, CKA_ID);
        if (Id.empty() || KeyIds.count(Id) == 0)
            continue;
        TStoreCertificate Certificate;
        if (!Describe(Attribute(Module, Session.Get(), Object, CKA_VALUE), Now, Certificate))
            continue;
        Certificate.CertificateUri = ObjectUri(Token, Id, CKO_CERTIFICATE);
        Certificate.KeyUri = ObjectUri(Token, Id, CKO_PRIVATE_KEY);
        Out.push_back(std::move(Certificate));
    }
}

} // namespace

std::vector<TStoreCertificate> ListStoreCertificates(std::time_t Now) {
    std::vector<TStoreCertificate> Result;
    const TModules Modules;
    if (!Modules.Get())
        return Result;
    for (CK_FUNCTION_LIST** Module = Modules.Get(); *Module; ++Module) {
        CK_ULONG Count = 0;
        if ((*Module)->C_GetSlotList(CK_TRUE, nullptr, &Count) != CKR_OK || Count == 0)
            continue;
        std::vector<CK_SLOT_ID> Slots(Count);
        if ((*Module)->C_GetSlotList(CK_TRUE, Slots.data(), &Count) != CKR_OK)
            continue;
        Slots.resize(Count);
        for (const CK_SLOT_ID Slot : Slots)
            ListToken(*Module, Slot, Now, Result);
    }
    return Result;
}
