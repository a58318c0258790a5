#include "update/ServerTrust.h"

#include "core/Win32Handles.h"

#include "update/HttpClient.h"
#include "update/OpenSslLoader.h"

#include <windows.h>

#include <wincrypt.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// SECURITY_FLAG_IGNORE_UNKNOWN_CA of wininet.h, which the SSL policy reads.
constexpr DWORD IgnoreUnknownCa = 0x00000100;

const BYTE* Bytes(const std::string& Der) {
    return reinterpret_cast<const BYTE*>(Der.data());
}

// The DER of every certificate of a PEM file; false when it cannot be read or
// holds none.
bool ReadPemCertificates(const std::string& Path, std::vector<std::string>& Out) {
    std::ifstream File(Path, std::ios::binary);
    if (!File)
        return false;
    const std::string Text{std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>()};
    static const std::string Begin = "-----BEGIN CERTIFICATE-----";
    static const std::string End = "-----END CERTIFICATE-----";
    for (std::size_t At = Text.find(Begin); At != std::string::npos;
         At = Text.find(Begin, At + 1)) {
        const std::size_t From = At + Begin.size();
        const std::size_t To = Text.find(End, From);
        if (To == std::string::npos)
            return false;
        DWORD Size = 0;
        if (!CryptStringToBinaryA(Text.data() + From, static_cast<DWORD>(To - From),
                                  CRYPT_STRING_BASE64, nullptr, &Size, nullptr, nullptr))
            return false;
        std::string Der(Size, '\0');
        if (!CryptStringToBinaryA(Text.data() + From, static_cast<DWORD>(To - From),
                                  CRYPT_STRING_BASE64, reinterpret_cast<BYTE*>(Der.data()), &Size,
                                  nullptr, nullptr))
            return false;
        Der.resize(Size);
        Out.push_back(std::move(Der));
    }
    return !Out.empty();
}

} // namespace

int PrepareServerTrust(const TOpenSslApi& Api, void* Ctx, const std::string&) {
    // OpenSSL trusts nothing here and only carries the handshake: the chain
    // engine judges the chain afterwards (CheckServerTrust).
    Api.SSL_CTX_set_verify(Ctx, 0 /* SSL_VERIFY_NONE */, nullptr);
    return 0;
}

int HandshakeFailure(const TOpenSslApi&, void*) {
    return HttpErrTlsFailed;
}

int CheckServerTrust(const TOpenSslApi& Api, void* Ssl, const std::string& Host,
                     const std::string& ExtraCaFile) {
    // On a client the peer's chain starts with the server's own certificate.
    void* Stack = Api.SSL_get_peer_cert_chain(Ssl);
    if (!Stack)
        return HttpErrCertificate;
    std::vector<std::string> Chain;
    const int Count = Api.OPENSSL_sk_num(Stack);
    for (int Index = 0; Index < Count; ++Index) {
        void* Certificate = Api.OPENSSL_sk_value(Stack, Index);
        const int Size = Api.i2d_X509(Certificate, nullptr);
        if (Size <= 0)
            return HttpErrCertificate;
        std::string Der(static_cast<std::size_t>(Size), '\0');
        unsigned char* Out = reinterpret_cast<unsigned char*>(Der.data());
        if (Api.i2d_X509(Certificate, &Out) != Size)
            return HttpErrCertificate;
        Chain.push_back(std::move(Der));
    }
    return VerifyServerChain(Chain, Host, ExtraCaFile);
}

int VerifyServerChain(const std::vector<std::string>& DerChain, const std::string& Host,
                      const std::string& ExtraCaFile) {
    if (DerChain.empty())
        return HttpErrCertificate;
    std::vector<std::string> ExtraRoots;
    if (!ExtraCaFile.empty() && !ReadPemCertificates(ExtraCaFile, ExtraRoots))
        return HttpErrTlsFailed;

    // What the server sent besides its own certificate, and the extra roots,
    // for the engine to build the chain with; the system's stores come first.
    Win32::TCertStore Sent(
        CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, CERT_STORE_CREATE_NEW_FLAG, nullptr));
    if (!Sent)
        return HttpErrCertificate;
    auto Add = [&](const std::string& Der) {
        CertAddEncodedCertificateToStore(Sent.get(), X509_ASN_ENCODING, Bytes(Der),
                                         static_cast<DWORD>(Der.size()),
                                         CERT_STORE_ADD_USE_EXISTING, nullptr);
    };
    for (std::size_t Index = 1; Index < DerChain.size(); ++Index)
        Add(DerChain[Index]);
    for (const std::string& Root : ExtraRoots)
        Add(Root);

    Win32::TCertContext Server(CertCreateCertificateContext(
        X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, Bytes(DerChain.front()),
        static_cast<DWORD>(DerChain.front().size())));
    if (!Server)
        return HttpErrCertificate;

    LPSTR Usages[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH),
                      const_cast<LPSTR>(szOID_SERVER_GATED_CRYPTO),
                      const_cast<LPSTR>(szOID_SGC_NETSCAPE)};
    CERT_CHAIN_PARA Para{};
    Para.cbSize = sizeof(Para);
    Para.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
    Para.RequestedUsage.Usage.cUsageIdentifier = static_cast<DWORD>(std::size(Usages));
    Para.RequestedUsage.Usage.rgpszUsageIdentifier = Usages;
    Win32::TCertChain Chain;
    if (!CertGetCertificateChain(nullptr, Server.get(), nullptr, Sent.get(), &Para, 0, nullptr,
                                 Chain.put()) ||
        !Chain || Chain.get()->cChain == 0)
        return HttpErrCertificate;

    // A root given by file counts as trusted: the engine's "untrusted root"
    // is set aside only when the chain ends in one of those very certificates.
    DWORD Ignore = 0;
    if (Chain.get()->TrustStatus.dwErrorStatus & CERT_TRUST_IS_UNTRUSTED_ROOT) {
        const CERT_SIMPLE_CHAIN* Simple = Chain.get()->rgpChain[0];
        const CERT_CONTEXT* Top = Simple->rgpElement[Simple->cElement - 1]->pCertContext;
        for (const std::string& Root : ExtraRoots)
            if (Top->cbCertEncoded == Root.size() &&
                std::memcmp(Top->pbCertEncoded, Root.data(), Root.size()) == 0)
                Ignore = IgnoreUnknownCa;
    }

    // The engine's own findings count too: not every SSL policy refuses a
    // chain that stops short of a root (Wine's does not).
    if (Chain.get()->TrustStatus.dwErrorStatus & ~(Ignore ? CERT_TRUST_IS_UNTRUSTED_ROOT : 0))
        return HttpErrCertificate;

    std::wstring Name(Host.begin(), Host.end()); // host names are ASCII
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA Ssl{};
    Ssl.cbSize = sizeof(Ssl);
    Ssl.dwAuthType = AUTHTYPE_SERVER;
    Ssl.fdwChecks = Ignore;
    Ssl.pwszServerName = Name.data();
    CERT_CHAIN_POLICY_PARA Policy{};
    Policy.cbSize = sizeof(Policy);
    Policy.pvExtraPolicyPara = &Ssl;
    CERT_CHAIN_POLICY_STATUS Status{};
    Status.cbSize = sizeof(Status);
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, Chain.get(), &Policy, &Status))
        return HttpErrCertificate;
    return Status.dwError == 0 ? 0 : HttpErrCertificate;
}
