// OpenSSL loaded at run time: the program ships without it and speaks https
// only when an accepted libcrypto (1.1.1 up to, not including, 4.0) and its
// libssl can be found. The loader owns both libraries and the few entry
// points the HTTP client calls; it is created by the program and passed to
// whoever needs it, so tests can give each case its own loader and its own
// library opener.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// How a shared library is opened: the platform's loader by default, a fake in
// tests. Open answers null when the library cannot be loaded.
struct TLibraryOpener {
    std::function<void*(const std::string& Name)> Open;
    std::function<void*(void* Library, const char* Symbol)> Symbol;
    std::function<void(void* Library)> Close;
};

// One libcrypto name and the libssl that goes with it.
struct TOpenSslNames {
    std::string Crypto;
    std::string Ssl;
};

// The entry points the client uses, with the OpenSSL 1.1.1 / 3 ABI. Opaque
// OpenSSL types are void* here; the client casts nothing but these.
struct TOpenSslApi {
    // libcrypto
    unsigned long (*OpenSSL_version_num)();
    const char* (*OpenSSL_version)(int Type);
    void (*ERR_clear_error)();
    int (*X509_VERIFY_PARAM_set1_ip_asc)(void* Param, const char* Ip);
    int (*i2d_X509)(void* Cert, unsigned char** Out);
    int (*OPENSSL_sk_num)(const void* Stack);
    void* (*OPENSSL_sk_value)(const void* Stack, int Index);
    // libssl
    const void* (*TLS_client_method)();
    void* (*SSL_CTX_new)(const void* Method);
    void (*SSL_CTX_free)(void* Ctx);
    void (*SSL_CTX_set_verify)(void* Ctx, int Mode, void* Callback);
    int (*SSL_CTX_set_default_verify_paths)(void* Ctx);
    int (*SSL_CTX_load_verify_locations)(void* Ctx, const char* File, const char* Path);
    void* (*SSL_new)(void* Ctx);
    void (*SSL_free)(void* Ssl);
    int (*SSL_set_fd)(void* Ssl, int Fd);
    int (*SSL_connect)(void* Ssl);
    int (*SSL_read)(void* Ssl, void* Buffer, int Size);
    int (*SSL_write)(void* Ssl, const void* Buffer, int Size);
    int (*SSL_get_error)(const void* Ssl, int Result);
    int (*SSL_shutdown)(void* Ssl);
    long (*SSL_ctrl)(void* Ssl, int Command, long Larg, void* Parg);
    int (*SSL_set1_host)(void* Ssl, const char* Host);
    void* (*SSL_get0_param)(void* Ssl);
    long (*SSL_get_verify_result)(const void* Ssl);
    void* (*SSL_get_peer_cert_chain)(const void* Ssl);
};

// Accepted libcrypto versions (OpenSSL_version_num).
inline constexpr unsigned long OpenSslMinVersion = 0x1010100FUL;
inline constexpr unsigned long OpenSslMaxVersion = 0x3FFFFFFFUL;

class TOpenSslLoader {
public:
    // The platform's library loader, names and system test.
    TOpenSslLoader();
    // Tests: any opener, candidate names and system test (true: TLS may be tried).
    TOpenSslLoader(TLibraryOpener Opener, std::vector<TOpenSslNames> Candidates,
                   std::function<bool()> SystemAllowsTls);
    ~TOpenSslLoader();
    TOpenSslLoader(const TOpenSslLoader&) = delete;
    TOpenSslLoader& operator=(const TOpenSslLoader&) = delete;

    // Loads on first need: a library that cannot be loaded is tried again on
    // the next call; one with an accepted version stays loaded for the life of
    // the loader, and if its libssl or an entry point is missing it is marked
    // unusable and the answer stays false. Never throws; safe from any thread
    // (request workers ask too).
    bool IsAvailable();
    // Valid only after IsAvailable answered true.
    const TOpenSslApi& Api() const { return Functions; }
    // The text of OpenSSL_version(OPENSSL_VERSION), or "Not Available".
    std::string VersionText();

private:
    bool TryLoad();
    bool ResolveAll();

    TLibraryOpener Opener;
    std::vector<TOpenSslNames> Candidates;
    std::function<bool()> SystemAllowsTls;
    std::mutex Mutex; // guards the state below until Accepted; Functions is fixed after
    void* Crypto = nullptr;
    void* Ssl = nullptr;
    bool Accepted = false;
    bool Unusable = false;
    TOpenSslApi Functions{};
};

// Platform pieces (OpenSslLoader_win32.cpp / OpenSslLoader_posix.cpp).
TLibraryOpener PlatformLibraryOpener();
std::vector<TOpenSslNames> PlatformOpenSslNames();
// Windows: Vista or later by NetWkstaGetInfo level 100; elsewhere always true.
bool PlatformAllowsTls();
