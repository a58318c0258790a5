#include "tests/update/http/TestTls.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace {
void Run(const std::string& Command) {
    if (std::system((Command + " >/dev/null 2>&1").c_str()) != 0)
        throw std::runtime_error("failed: " + Command);
}

TTestPki MakePki() {
    char Template[] = "/tmp/quorvel-pki-XXXXXX";
    if (!mkdtemp(Template))
        throw std::runtime_error("no temporary folder");
    TTestPki P;
    P.Folder = Template;
    const std::string F = P.Folder + "/";
    P.CaFile = F + "ca.pem";
    P.ServerCert = F + "server.pem";
    P.ServerKey = F + "server.key";
    P.OtherHostCert = F + "other.pem";
    P.OtherHostKey = F + "other.key";
    Run("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=QuorvelTestCA -keyout " + F +
        "ca.key -out " + P.CaFile);
    auto Leaf = [&](const std::string& Name, const std::string& San) {
        Run("openssl req -newkey rsa:2048 -nodes -subj /CN=" + Name + " -keyout " + F + Name +
            ".key -out " + F + Name + ".csr");
        std::ofstream(F + Name + ".ext") << "subjectAltName=" << San << "\n";
        Run("openssl x509 -req -days 2 -in " + F + Name + ".csr -CA " + P.CaFile + " -CAkey " + F +
            "ca.key -CAcreateserial -extfile " + F + Name + ".ext -out " + F + Name + ".pem");
    };
    Leaf("server", "IP:127.0.0.1");
    Leaf("other", "DNS:other.example");
    return P;
}

struct TPkiHolder {
    TTestPki Pki = MakePki();
    ~TPkiHolder() {
        std::error_code Ignored;
        std::filesystem::remove_all(Pki.Folder, Ignored);
    }
};

struct TCtxDeleter {
    void operator()(SSL_CTX* C) const { SSL_CTX_free(C); }
};
struct TSslDeleter {
    void operator()(SSL* S) const { SSL_free(S); }
};

class TTlsStream : public TTestStream {
public:
    TTlsStream(int Fd, std::shared_ptr<SSL_CTX> Ctx)
        : Fd(Fd), Ctx(std::move(Ctx)), Ssl(SSL_new(this->Ctx.get())) {
        SSL_set_fd(Ssl.get(), Fd);
        Ready = SSL_accept(Ssl.get()) == 1;
    }
    ~TTlsStream() override {
        if (Ready)
            SSL_shutdown(Ssl.get());
        Ssl.reset();
        close(Fd);
    }
    std::string ReadHead() override {
        std::string Head;
        char C;
        while (Ready && Head.find("\r\n\r\n") == std::string::npos &&
               SSL_read(Ssl.get(), &C, 1) == 1)
            Head += C;
        return Head;
    }
    bool Write(const std::string& Data) override {
        return Ready && SSL_write(Ssl.get(), Data.data(), static_cast<int>(Data.size())) ==
                            static_cast<int>(Data.size());
    }

private:
    int Fd;
    std::shared_ptr<SSL_CTX> Ctx;
    std::unique_ptr<SSL, TSslDeleter> Ssl;
    bool Ready = false;
};
} // namespace

const TTestPki& TestPki() {
    static TPkiHolder Holder;
    return Holder.Pki;
}

TStreamFactory TlsStream(const std::string& CertFile, const std::string& KeyFile) {
    std::shared_ptr<SSL_CTX> Ctx(SSL_CTX_new(TLS_server_method()), TCtxDeleter{});
    if (SSL_CTX_use_certificate_file(Ctx.get(), CertFile.c_str(), SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_use_PrivateKey_file(Ctx.get(), KeyFile.c_str(), SSL_FILETYPE_PEM) != 1)
        throw std::runtime_error("test server certificate not usable");
    return [Ctx](TTestSocket Socket, const std::atomic<bool>&) -> std::unique_ptr<TTestStream> {
        return std::make_unique<TTlsStream>(static_cast<int>(Socket), Ctx);
    };
}
