// A small HTTP/1.1 client for the update check: one GET at a time, run on a
// worker thread, reported exactly once on the user-interface thread through
// the front-end's dispatcher. https goes through the run-time-loaded OpenSSL
// with the server's certificate and host name verified.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class IUiDispatcher;
class TOpenSslLoader;

enum class THttpRequestKind { Get };
enum class THttpProxyAuth { None, Basic };

// The client's own error numbers. Socket errors are reported with the
// platform's number (WSAGetLastError below 12000 on Windows, errno on Linux),
// so these start at 20000, above both.
enum : std::uint16_t {
    HttpErrBadUrl = 20001,           // not http:// or https://, or no host
    HttpErrResolve = 20002,          // host name unknown (Linux; Windows gives WSA numbers)
    HttpErrTimeout = 20003,          // the request's time limit passed
    HttpErrConnectionClosed = 20004, // the server closed before the response ended
    HttpErrBadStatusLine = 20005,
    HttpErrHeaderTooLarge = 20006, // head above MaxHeaderBytes
    HttpErrBadHeader = 20007,      // unreadable Content-Length, Location, or chunk size
    HttpErrBodyTooLarge = 20008,   // body above MaxBodyBytes
    HttpErrTooManyRedirects = 20009,
    HttpErrTlsUnavailable = 20010,   // https asked for, no usable OpenSSL
    HttpErrTlsFailed = 20011,        // handshake or TLS transfer failure
    HttpErrCertificate = 20012,      // server certificate or host name not trusted
    HttpErrProxyUnsupported = 20013, // proxy set for an https address
    HttpErrCancelled = 20014,        // internal: the client was released
    HttpErrStartFailed = 20015,      // the request could not be started
    HttpErrInsecureRedirect = 20016, // a redirection from https to http
};

// One address a host name resolved to, ready for socket() and connect().
struct TResolvedAddress {
    int Family = 0;
    int SocketType = 0;
    int Protocol = 0;
    std::vector<unsigned char> Address; // the sockaddr, byte for byte
};

// Turns a host and port into addresses; Error is 0 or the platform's resolver
// error (a WSA number on Windows, errno or HttpErrResolve on Linux). It may
// block for as long as the system's resolver does: the socket calls it on a
// helper thread of its own and stops waiting at the deadline or on cancel.
struct THostResolution {
    int Error = 0;
    std::vector<TResolvedAddress> Addresses;
};
using THostResolver = std::function<THostResolution(const std::string& Host, std::uint16_t Port)>;

class THttpClient {
public:
    using TRequestDone =
        std::function<void(THttpClient& Sender, THttpRequestKind Kind, std::uint16_t ErrorCode)>;

    // Dispatcher and loader must outlive the client.
    THttpClient(IUiDispatcher& Dispatcher, TOpenSslLoader& Ssl);
    // Ends a request under way; its report is never delivered.
    ~THttpClient();
    THttpClient(const THttpClient&) = delete;
    THttpClient& operator=(const THttpClient&) = delete;

    // Settings, read when a request starts.
    std::string URL;
    std::string RequestVer = "1.1";
    std::string Agent;
    std::string Accept;
    std::string AcceptLanguage;
    std::string ProxyHost; // empty: direct connection
    std::string ProxyPort; // decimal text
    std::string ProxyUsername;
    std::string ProxyPassword;
    THttpProxyAuth ProxyAuth = THttpProxyAuth::None;
    // Bounds the whole request, redirections included.
    std::chrono::milliseconds Timeout{30000};
    std::size_t MaxBodyBytes = 1 << 20;
    std::size_t MaxHeaderBytes = 64 << 10;
    int MaxRedirects = 5;
    std::string ExtraCaFile;           // a PEM file trusted besides the platform's roots (tests)
    THostResolver Resolver;            // empty: the system's resolver (tests stall it)
    std::string* RcvdStream = nullptr; // receives the body; not owned
    TRequestDone OnRequestDone;

    // Starts a GET and returns at once; throws EQuorvelError when a request is
    // already under way or no body buffer is attached.
    void GetASync();
    bool Busy() const { return Running; }

    // Of the last completed request.
    int StatusCode() const { return LastStatus; }
    const std::string& ReasonPhrase() const { return LastReason; }
    const std::string& Location() const { return LastUrl; } // the final address

    struct TResult; // the worker's findings, handed back on completion

private:
    struct TShared;
    void Finish(TResult& Result);
    void JoinWorker();

    IUiDispatcher& Dispatcher;
    TOpenSslLoader& Ssl;
    std::shared_ptr<TShared> Shared;
    std::thread Worker;
    bool Running = false;
    int LastStatus = 0;
    std::string LastReason;
    std::string LastUrl;
};
