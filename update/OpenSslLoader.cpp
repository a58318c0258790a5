#include "update/OpenSslLoader.h"

#include <utility>

TOpenSslLoader::TOpenSslLoader()
    : TOpenSslLoader(PlatformLibraryOpener(), PlatformOpenSslNames(), PlatformAllowsTls) {}

TOpenSslLoader::TOpenSslLoader(TLibraryOpener Opener, std::vector<TOpenSslNames> Candidates,
                               std::function<bool()> SystemAllowsTls)
    : Opener(std::move(Opener)), Candidates(std::move(Candidates)),
      SystemAllowsTls(std::move(SystemAllowsTls)) {}

TOpenSslLoader::~TOpenSslLoader() {
    if (Ssl)
        Opener.Close(Ssl);
    if (Crypto)
        Opener.Close(Crypto);
}

bool TOpenSslLoader::IsAvailable() {
    std::lock_guard<std::mutex> Lock(Mutex);
    if (Unusable)
        return false;
    if (Accepted)
        return true;
    try {
        if (!SystemAllowsTls())
            return false;
        return TryLoad();
    } catch (...) {
        // A failed load is retried on the next call; nothing is reported.
        return false;
    }
}

bool TOpenSslLoader::TryLoad() {
    for (const TOpenSslNames& Names : Candidates) {
        void* Library = Opener.Open(Names.Crypto);
        if (!Library)
            continue;
        auto VersionNum =
            reinterpret_cast<unsigned long (*)()>(Opener.Symbol(Library, "OpenSSL_version_num"));
        const unsigned long Version = VersionNum ? VersionNum() : 0;
        if (Version < OpenSslMinVersion || Version > OpenSslMaxVersion) {
            Opener.Close(Library);
            continue;
        }
        // From here on the library stays: only its libssl or an entry point
        // may still be missing, which makes TLS unusable for the whole run.
        Crypto = Library;
        Accepted = true;
        Ssl = Opener.Open(Names.Ssl);
        if (!Ssl || !ResolveAll()) {
            Unusable = true;
            return false;
        }
        return true;
    }
    return false;
}

namespace {
template <typename F>
bool Resolve(const TLibraryOpener& Opener, void* Library, const char* Name, F& Target) {
    Target = reinterpret_cast<F>(Opener.Symbol(Library, Name));
    return Target != nullptr;
}
} // namespace

bool TOpenSslLoader::ResolveAll() {
    TOpenSslApi& A = Functions;
    const TLibraryOpener& O = Opener;
#define QV_CRYPTO(Name) Resolve(O, Crypto, #Name, A.Name)
#define QV_SSL(Name) Resolve(O, Ssl, #Name, A.Name)
    const bool All = QV_CRYPTO(OpenSSL_version_num) && QV_CRYPTO(OpenSSL_version) &&
                     QV_CRYPTO(ERR_clear_error) && QV_CRYPTO(X509_VERIFY_PARAM_set1_ip_asc) &&
                     QV_CRYPTO(i2d_X509) && QV_CRYPTO(OPENSSL_sk_num) &&
                     QV_CRYPTO(OPENSSL_sk_value) && QV_SSL(TLS_client_method) &&
                     QV_SSL(SSL_CTX_new) && QV_SSL(SSL_CTX_free) && QV_SSL(SSL_CTX_set_verify) &&
                     QV_SSL(SSL_CTX_set_default_verify_paths) &&
                     QV_SSL(SSL_CTX_load_verify_locations) && QV_SSL(SSL_new) && QV_SSL(SSL_free) &&
                     QV_SSL(SSL_set_fd) && QV_SSL(SSL_connect) && QV_SSL(SSL_read) &&
                     QV_SSL(SSL_write) && QV_SSL(SSL_get_error) && QV_SSL(SSL_shutdown) &&
                     QV_SSL(SSL_ctrl) && QV_SSL(SSL_set1_host) && QV_SSL(SSL_get0_param) &&
                     QV_SSL(SSL_get_verify_result) && QV_SSL(SSL_get_peer_cert_chain);
#undef QV_CRYPTO
#undef QV_SSL
    return All;
}

std::string TOpenSslLoader::VersionText() {
    if (!IsAvailable())
        return "Not Available";
    const char* Text = Functions.OpenSSL_version(0); // OPENSSL_VERSION
    return Text ? Text : "";
}
