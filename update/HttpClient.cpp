#include "update/HttpClient.h"

#include "core/AnsiText.h"
#include "core/QuorvelErrors.h"
#include "core/UiDispatcher.h"
#include "update/HttpClientSocket.h"
#include "update/HttpResponse.h"
#include "update/OpenSslLoader.h"
#include "update/ServerTrust.h"

#include <algorithm>
#include <atomic>
#include <utility>

// Not in the header: the worker's copy of the settings and its findings.
struct THttpClient::TResult {
    std::uint16_t Error = 0;
    int Status = 0;
    std::string Reason;
    std::string Body;
    std::string FinalUrl;
};

struct THttpClient::TShared {
    std::atomic<bool> Cancelled{false};
};

namespace {

struct TRequest {
    std::string Url, RequestVer, Agent, Accept, AcceptLanguage;
    std::string ProxyHost, ProxyPort, ProxyUsername, ProxyPassword;
    THttpProxyAuth ProxyAuth;
    std::size_t MaxBody, MaxHeader;
    int MaxRedirects;
    std::string ExtraCaFile;
    THostResolver Resolver;
};

bool IsIpLiteral(const std::string& Host) {
    return Host.find(':') != std::string::npos || std::all_of(Host.begin(), Host.end(), [](char C) {
               return (C >= '0' && C <= '9') || C == '.';
           });
}

std::string Base64(const std::string& Text) {
    static const char Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string Out;
    std::size_t I = 0;
    for (; I + 2 < Text.size(); I += 3) {
        const unsigned V = (static_cast<unsigned char>(Text[I]) << 16) |
                           (static_cast<unsigned char>(Text[I + 1]) << 8) |
                           static_cast<unsigned char>(Text[I + 2]);
        Out += {Digits[V >> 18], Digits[(V >> 12) & 63], Digits[(V >> 6) & 63], Digits[V & 63]};
    }
    if (I + 1 == Text.size()) {
        const unsigned V = static_cast<unsigned char>(Text[I]) << 16;
        Out += {Digits[V >> 18], Digits[(V >> 12) & 63], '=', '='};
    } else if (I + 2 == Text.size()) {
        const unsigned V = (static_cast<unsigned char>(Text[I]) << 16) |
                           (static_cast<unsigned char>(Text[I + 1]) << 8);
        Out += {Digits[V >> 18], Digits[(V >> 12) & 63], Digits[(V >> 6) & 63], '='};
    }
    return Out;
}

// One connection, plain or through TLS.
class TTransport : public IHttpByteSource {
public:
    TTransport(TOpenSslLoader& Loader, const TSocketWait& Wait, const THostResolver& Resolver)
        : Loader(Loader), Wait(Wait), Resolver(Resolver) {}
    ~TTransport() {
        if (Ssl)
            Api().SSL_free(Ssl);
        if (Ctx)
            Api().SSL_CTX_free(Ctx);
    }
    TTransport(const TTransport&) = delete;
    TTransport& operator=(const TTransport&) = delete;

    int Connect(const std::string& Host, std::uint16_t Port) {
        return Socket.Connect(Host, Port, Wait, Resolver);
    }

    int StartTls(const std::string& Host, const std::string& ExtraCaFile) {
        if (!Loader.IsAvailable())
            return HttpErrTlsUnavailable;
        const TOpenSslApi& A = Api();
        A.ERR_clear_error();
        Ctx = A.SSL_CTX_new(A.TLS_client_method());
        if (!Ctx)
            return HttpErrTlsFailed;
        if (const int E = PrepareServerTrust(A, Ctx, ExtraCaFile))
            return E;
        Ssl = A.SSL_new(Ctx);
        if (!Ssl || A.SSL_set_fd(Ssl, Socket.Descriptor()) != 1)
            return HttpErrTlsFailed;
        // The name OpenSSL expects; it counts only where OpenSSL judges the
        // chain (ServerTrust.h).
        if (IsIpLiteral(Host)) {
            if (A.X509_VERIFY_PARAM_set1_ip_asc(A.SSL_get0_param(Ssl), Host.c_str()) != 1)
                return HttpErrTlsFailed;
        } else {
            // SSL_set_tlsext_host_name: the server name for virtual hosting.
            A.SSL_ctrl(Ssl, 55 /* SSL_CTRL_SET_TLSEXT_HOSTNAME */, 0,
                       const_cast<char*>(Host.c_str()));
            if (A.SSL_set1_host(Ssl, Host.c_str()) != 1)
                return HttpErrTlsFailed;
        }
        for (;;) {
            A.ERR_clear_error();
            const int R = A.SSL_connect(Ssl);
            if (R == 1)
                return CheckServerTrust(A, Ssl, Host, ExtraCaFile);
            const int E = A.SSL_get_error(Ssl, R);
            if (E == 2 || E == 3) { // SSL_ERROR_WANT_READ / WANT_WRITE
                if (const int W = Socket.WaitReady(E == 3, Wait))
                    return W;
                continue;
            }
            return HandshakeFailure(A, Ssl);
        }
    }

    int WriteAll(const std::string& Data) {
        std::size_t Done = 0;
        while (Done < Data.size()) {
            int Error = 0;
            if (Ssl) {
                Api().ERR_clear_error();
                const int R =
                    Api().SSL_write(Ssl, Data.data() + Done, static_cast<int>(Data.size() - Done));
                if (R > 0) {
                    Done += static_cast<std::size_t>(R);
                    continue;
                }
                const int E = Api().SSL_get_error(Ssl, R);
                if (E != 2 && E != 3)
                    return HttpErrTlsFailed;
                if (const int W = Socket.WaitReady(E == 3, Wait))
                    return W;
                continue;
            }
            std::size_t Moved = 0;
            const TTransferResult R =
                Socket.Send(Data.data() + Done, Data.size() - Done, Moved, Error);
            if (R == TTransferResult::Failed)
                return Error;
            if (R == TTransferResult::WouldBlock || Moved == 0) {
                if (const int W = Socket.WaitReady(true, Wait))
                    return W;
                continue;
            }
            Done += Moved;
        }
        return 0;
    }

    // At the end of the stream Clean is false when a TLS peer left without
    // saying so.
    int ReadSome(char* Buffer, std::size_t Size, std::size_t& Got, bool& Clean) override {
        Got = 0;
        Clean = true;
        for (;;) {
            if (Ssl) {
                Api().ERR_clear_error();
                const int R = Api().SSL_read(Ssl, Buffer, static_cast<int>(Size));
                if (R > 0) {
                    Got = static_cast<std::size_t>(R);
                    return 0;
                }
                const int E = Api().SSL_get_error(Ssl, R);
                if (E == 6) // SSL_ERROR_ZERO_RETURN
                    return 0;
                if (E == 5 && R == 0) { // SSL_ERROR_SYSCALL at EOF
                    Clean = false;
                    return 0;
                }
                if (E != 2 && E != 3)
                    return HttpErrTlsFailed;
                if (const int W = Socket.WaitReady(E == 3, Wait))
                    return W;
                continue;
            }
            int Error = 0;
            const TTransferResult R = Socket.Receive(Buffer, Size, Got, Error);
            if (R == TTransferResult::Moved)
                return 0;
            if (R == TTransferResult::Failed)
                return Error;
            if (const int W = Socket.WaitReady(false, Wait))
                return W;
        }
    }

private:
    const TOpenSslApi& Api() const { return Loader.Api(); }
    TOpenSslLoader& Loader;
    TSocketWait Wait;
    const THostResolver& Resolver;
    THttpSocket Socket;
    void* Ctx = nullptr;
    void* Ssl = nullptr;
};

std::string RequestText(const TRequest& Request, const THttpUrl& Url, bool ViaProxy) {
    auto Clean = [](std::string Value) {
        Value.erase(std::remove_if(Value.begin(), Value.end(),
                                   [](char C) { return C == '\r' || C == '\n'; }),
                    Value.end());
        return Value;
    };
    const std::string Version = Request.RequestVer == "1.0" ? "1.0" : "1.1";
    std::string Text =
        "GET " + (ViaProxy ? Url.Origin() + Url.Target : Url.Target) + " HTTP/" + Version + "\r\n";
    Text += "Host: " + Url.HostHeader() + "\r\n";
    if (!Request.Agent.empty())
        Text += "User-Agent: " + Clean(Request.Agent) + "\r\n";
    if (!Request.Accept.empty())
        Text += "Accept: " + Clean(Request.Accept) + "\r\n";
    if (!Request.AcceptLanguage.empty())
        Text += "Accept-Language: " + Clean(Request.AcceptLanguage) + "\r\n";
    if (ViaProxy && Request.ProxyAuth == THttpProxyAuth::Basic && !Request.ProxyUsername.empty())
        Text += "Proxy-Authorization: Basic " +
                Base64(Clean(Request.ProxyUsername) + ":" + Clean(Request.ProxyPassword)) + "\r\n";
    Text += "Connection: close\r\n\r\n";
    return Text;
}

// One exchange with one server; fills Head and, for a final answer, Body.
int Exchange(TOpenSslLoader& Loader, const TSocketWait& Wait, const TRequest& Request,
             const THttpUrl& Url, THttpHead& Head, std::string& Body) {
    TTransport Transport(Loader, Wait, Request.Resolver);
    const bool ViaProxy = !Request.ProxyHost.empty();
    if (ViaProxy) {
        if (Url.Tls)
            return HttpErrProxyUnsupported;
        THttpUrl Proxy;
        if (!ParseHttpUrl("http://" + Request.ProxyHost + ":" + Request.ProxyPort, Proxy))
            return HttpErrBadUrl;
        if (const int E = Transport.Connect(Proxy.Host, Proxy.Port))
            return E;
    } else {
        if (Url.Tls && !Loader.IsAvailable())
            return HttpErrTlsUnavailable;
        if (const int E = Transport.Connect(Url.Host, Url.Port))
            return E;
        if (Url.Tls)
            if (const int E = Transport.StartTls(Url.Host, Request.ExtraCaFile))
                return E;
    }
    if (const int E = Transport.WriteAll(RequestText(Request, Url, ViaProxy)))
        return E;
    THttpReader Reader(Transport);
    return ReadHttpResponse(Reader, THttpLimits{Request.MaxBody, Request.MaxHeader}, Head, Body);
}

void RunRequest(TOpenSslLoader& Loader, const TSocketWait& Wait, const TRequest& Request,
                THttpClient::TResult& Result) {
    std::string Address = Request.Url;
    for (int Redirects = 0;; ++Redirects) {
        THttpUrl Url;
        if (!ParseHttpUrl(Address, Url)) {
            Result.Error = HttpErrBadUrl;
            return;
        }
        THttpHead Head;
        Result.Body.clear();
        const int E = Exchange(Loader, Wait, Request, Url, Head, Result.Body);
        Result.FinalUrl = Address;
        if (E != 0) {
            Result.Error = static_cast<std::uint16_t>(E);
            Result.Body.clear();
            return;
        }
        Result.Status = Head.Status;
        Result.Reason = Head.Reason;
        if (!IsHttpRedirect(Head.Status) || Head.Location.empty())
            return;
        if (Redirects >= Request.MaxRedirects) {
            Result.Error = HttpErrTooManyRedirects;
            return;
        }
        Address = ResolveHttpLocation(Url, Head.Location);
        // Leaving https for http would hand the answer to anyone on the way,
        // after the certificate had been checked for nothing.
        THttpUrl Next;
        if (Url.Tls && ParseHttpUrl(Address, Next) && !Next.Tls) {
            Result.Error = HttpErrInsecureRedirect;
            Result.Body.clear();
            return;
        }
    }
}

} // namespace

THttpClient::THttpClient(IUiDispatcher& Dispatcher, TOpenSslLoader& Ssl)
    : Dispatcher(Dispatcher), Ssl(Ssl) {}

THttpClient::~THttpClient() {
    if (Shared)
        Shared->Cancelled = true;
    JoinWorker();
}

void THttpClient::JoinWorker() {
    if (Worker.joinable())
        Worker.join();
}

void THttpClient::GetASync() {
    if (Running)
        throw EQuorvelError("A request is already under way");
    if (!RcvdStream)
        throw EQuorvelError("No buffer for the response body");
    JoinWorker();
    TRequest Request{URL,          RequestVer,     Agent,         Accept,        AcceptLanguage,
                     ProxyHost,    ProxyPort,      ProxyUsername, ProxyPassword, ProxyAuth,
                     MaxBodyBytes, MaxHeaderBytes, MaxRedirects,  ExtraCaFile,   Resolver};
    const TSocketWait Wait{THttpClock::now() + Timeout, nullptr};
    auto Token = std::make_shared<TShared>();
    Shared = Token;
    Running = true;
    LastStatus = 0;
    LastReason.clear();
    // The worker touches only its own copies and the shared token; the client
    // itself is touched again only on the dispatcher's thread, and only while
    // the token says it is still alive.
    Worker = std::thread([this, Token, Request = std::move(Request), Wait, &Loader = Ssl,
                          &Target = Dispatcher]() mutable {
        TSocketWait Bound = Wait;
        Bound.Cancelled = &Token->Cancelled;
        auto Result = std::make_shared<TResult>();
        RunRequest(Loader, Bound, Request, *Result);
        if (Token->Cancelled)
            return;
        Target.Post([this, Token, Result] {
            if (!Token->Cancelled)
                Finish(*Result);
        });
    });
}

void THttpClient::Finish(TResult& Result) {
    JoinWorker();
    Running = false;
    LastStatus = Result.Status;
    LastReason = std::move(Result.Reason);
    LastUrl = std::move(Result.FinalUrl);
    if (RcvdStream)
        *RcvdStream = std::move(Result.Body);
    // A copy: the handler may release this client (a new check from OnDone).
    const TRequestDone Done = OnRequestDone;
    if (Done)
        Done(*this, THttpRequestKind::Get, Result.Error);
}
