#include "HttpClient.h"

#include "AnsiText.h"
#include "HttpClientSocket.h"
#include "OpenSslLoader.h"
#include "QuorvelErrors.h"
#include "UiDispatcher.h"

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
};

struct TUrl {
    bool Tls = false;
    std::string Host; // without brackets
    std::uint16_t Port = 80;
    std::string Target; // path and query
    // Host, bracketed when it is an IPv6 address, and the port unless default.
    std::string HostHeader() const {
        std::string Text = Host.find(':') != std::string::npos ? "[" + Host + "]" : Host;
        if (Port != (Tls ? 443 : 80))
            Text += ":" + std::to_string(Port);
        return Text;
    }
    std::string Origin() const { return (Tls ? "https://" : "http://") + HostHeader(); }
};

// Bytes that would let an address break out of the request line.
bool HasUnsafeByte(const std::string& Text) {
    return std::any_of(Text.begin(), Text.end(), [](char C) {
        const auto B = static_cast<unsigned char>(C);
        return B <= 0x20 || B == 0x7F;
    });
}

bool ParseUrl(const std::string& Text, TUrl& Url) {
    std::string Rest;
    if (StartsTextAZ("https://", Text)) {
        Url.Tls = true;
        Url.Port = 443;
        Rest = Text.substr(8);
    } else if (StartsTextAZ("http://", Text)) {
        Url.Tls = false;
        Url.Port = 80;
        Rest = Text.substr(7);
    } else {
        return false;
    }
    if (HasUnsafeByte(Rest))
        return false;
    Rest = Rest.substr(0, Rest.find('#'));
    const std::size_t PathStart = Rest.find_first_of("/?");
    std::string Authority = Rest.substr(0, PathStart);
    Url.Target = PathStart == std::string::npos ? "/" : Rest.substr(PathStart);
    if (Url.Target[0] == '?')
        Url.Target.insert(0, "/");
    if (const std::size_t At = Authority.rfind('@'); At != std::string::npos)
        Authority.erase(0, At + 1);
    std::string PortText;
    if (!Authority.empty() && Authority[0] == '[') {
        const std::size_t Close = Authority.find(']');
        if (Close == std::string::npos)
            return false;
        Url.Host = Authority.substr(1, Close - 1);
        const std::string After = Authority.substr(Close + 1);
        if (!After.empty()) {
            if (After[0] != ':')
                return false;
            PortText = After.substr(1);
        }
    } else {
        const std::size_t Colon = Authority.find(':');
        Url.Host = Authority.substr(0, Colon);
        if (Colon != std::string::npos)
            PortText = Authority.substr(Colon + 1);
    }
    if (Url.Host.empty())
        return false;
    if (!PortText.empty()) {
        if (PortText.size() > 5 || !std::all_of(PortText.begin(), PortText.end(),
                                                [](char C) { return C >= '0' && C <= '9'; }))
            return false;
        const long Port = std::stol(PortText);
        if (Port < 1 || Port > 65535)
            return false;
        Url.Port = static_cast<std::uint16_t>(Port);
    }
    return true;
}

std::string ResolveLocation(const TUrl& Base, const std::string& Location) {
    if (StartsTextAZ("http://", Location) || StartsTextAZ("https://", Location))
        return Location;
    if (Location.rfind("//", 0) == 0)
        return (Base.Tls ? "https:" : "http:") + Location;
    if (!Location.empty() && Location[0] == '/')
        return Base.Origin() + Location;
    std::string Dir = Base.Target.substr(0, Base.Target.find('?'));
    if (!Location.empty() && Location[0] == '?')
        return Base.Origin() + Dir + Location;
    Dir.erase(Dir.rfind('/') + 1);
    return Base.Origin() + Dir + Location;
}

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
class TTransport {
public:
    TTransport(TOpenSslLoader& Loader, const TSocketWait& Wait) : Loader(Loader), Wait(Wait) {}
    ~TTransport() {
        if (Ssl)
            Api().SSL_free(Ssl);
        if (Ctx)
            Api().SSL_CTX_free(Ctx);
    }
    TTransport(const TTransport&) = delete;
    TTransport& operator=(const TTransport&) = delete;

    int Connect(const std::string& Host, std::uint16_t Port) {
        return Socket.Connect(Host, Port, Wait);
    }

    int StartTls(const std::string& Host, const std::string& ExtraCaFile) {
        if (!Loader.IsAvailable())
            return HttpErrTlsUnavailable;
        const TOpenSslApi& A = Api();
        A.ERR_clear_error();
        Ctx = A.SSL_CTX_new(A.TLS_client_method());
        if (!Ctx)
            return HttpErrTlsFailed;
        A.SSL_CTX_set_verify(Ctx, 1 /* SSL_VERIFY_PEER */, nullptr);
        LoadPlatformTrustedRoots(A, Ctx);
        if (!ExtraCaFile.empty() &&
            A.SSL_CTX_load_verify_locations(Ctx, ExtraCaFile.c_str(), nullptr) != 1)
            return HttpErrTlsFailed;
        Ssl = A.SSL_new(Ctx);
        if (!Ssl || A.SSL_set_fd(Ssl, Socket.Descriptor()) != 1)
            return HttpErrTlsFailed;
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
                return 0;
            const int E = A.SSL_get_error(Ssl, R);
            if (E == 2 || E == 3) { // SSL_ERROR_WANT_READ / WANT_WRITE
                if (const int W = Socket.WaitReady(E == 3, Wait))
                    return W;
                continue;
            }
            return A.SSL_get_verify_result(Ssl) != 0 ? HttpErrCertificate : HttpErrTlsFailed;
        }
    }

    int WriteAll(const std::string& Data) {
        std::size_t Done = 0;
        while (Done < Data.size()) {
            long N = 0;
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
            N = Socket.Send(Data.data() + Done, Data.size() - Done, Error);
            if (N == -2)
                return Error;
            if (N == -1 || N == 0) {
                if (const int W = Socket.WaitReady(true, Wait))
                    return W;
                continue;
            }
            Done += static_cast<std::size_t>(N);
        }
        return 0;
    }

    // 0 with Got > 0, or 0 with Got == 0 at the end of the stream (Clean
    // false when a TLS peer left without saying so), or an error.
    int ReadSome(char* Buffer, std::size_t Size, std::size_t& Got, bool& Clean) {
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
            const long N = Socket.Receive(Buffer, Size, Error);
            if (N >= 0) {
                Got = static_cast<std::size_t>(N);
                return 0;
            }
            if (N == -2)
                return Error;
            if (const int W = Socket.WaitReady(false, Wait))
                return W;
        }
    }

private:
    const TOpenSslApi& Api() const { return Loader.Api(); }
    TOpenSslLoader& Loader;
    TSocketWait Wait;
    THttpSocket Socket;
    void* Ctx = nullptr;
    void* Ssl = nullptr;
};

// Buffered reading of one response.
class TReader {
public:
    explicit TReader(TTransport& Transport) : Transport(Transport) {}

    // One line without its CR LF (or bare LF); Budget is the bytes still allowed.
    int ReadLine(std::string& Line, std::size_t& Budget, int TooLong) {
        for (;;) {
            const std::size_t Lf = Buffer.find('\n', Pos);
            if (Lf != std::string::npos) {
                const std::size_t Length = Lf + 1 - Pos;
                if (Length > Budget)
                    return TooLong;
                Budget -= Length;
                Line.assign(Buffer, Pos, Lf - Pos);
                if (!Line.empty() && Line.back() == '\r')
                    Line.pop_back();
                Pos = Lf + 1;
                return 0;
            }
            if (Buffer.size() - Pos > Budget)
                return TooLong;
            bool Clean = true;
            if (const int E = Fill(Clean))
                return E;
            if (AtEnd)
                return HttpErrConnectionClosed;
        }
    }

    int ReadExact(std::size_t Count, std::string& Out) {
        while (Buffer.size() - Pos < Count) {
            bool Clean = true;
            if (const int E = Fill(Clean))
                return E;
            if (AtEnd)
                return HttpErrConnectionClosed;
        }
        Out.append(Buffer, Pos, Count);
        Pos += Count;
        return 0;
    }

    int ReadToClose(std::string& Out, std::size_t Max) {
        for (;;) {
            Out.append(Buffer, Pos, std::string::npos);
            Buffer.clear();
            Pos = 0;
            if (Out.size() > Max)
                return HttpErrBodyTooLarge;
            bool Clean = true;
            if (const int E = Fill(Clean))
                return E;
            if (AtEnd)
                return Clean ? 0 : HttpErrConnectionClosed;
        }
    }

private:
    int Fill(bool& Clean) {
        if (Pos > 0 && Pos == Buffer.size()) {
            Buffer.clear();
            Pos = 0;
        }
        char Chunk[16384];
        std::size_t Got = 0;
        if (const int E = Transport.ReadSome(Chunk, sizeof Chunk, Got, Clean))
            return E;
        if (Got == 0)
            AtEnd = true;
        Buffer.append(Chunk, Got);
        return 0;
    }

    TTransport& Transport;
    std::string Buffer;
    std::size_t Pos = 0;
    bool AtEnd = false;
};

struct THead {
    int Status = 0;
    std::string Reason;
    bool HasLength = false;
    std::size_t Length = 0;
    bool Chunked = false;
    std::string Location;
};

std::string Trimmed(const std::string& Text) {
    const std::size_t First = Text.find_first_not_of(" \t");
    if (First == std::string::npos)
        return {};
    return Text.substr(First, Text.find_last_not_of(" \t") - First + 1);
}

bool ParseStatusLine(const std::string& Line, THead& Head) {
    // HTTP/1.x SP 3DIGIT [SP reason]
    if (Line.size() < 12 || Line.compare(0, 7, "HTTP/1.") != 0 || Line[8] != ' ')
        return false;
    for (int I = 9; I < 12; ++I)
        if (Line[I] < '0' || Line[I] > '9')
            return false;
    if (Line.size() > 12 && Line[12] != ' ')
        return false;
    Head.Status = std::stoi(Line.substr(9, 3));
    Head.Reason = Line.size() > 13 ? Line.substr(13) : std::string();
    return true;
}

// Decimal digits only, refused above Max.
int ParseLength(const std::string& Text, std::size_t Max, std::size_t& Value) {
    if (Text.empty())
        return HttpErrBadHeader;
    Value = 0;
    for (char C : Text) {
        if (C < '0' || C > '9')
            return HttpErrBadHeader;
        Value = Value * 10 + static_cast<std::size_t>(C - '0');
        if (Value > Max)
            return HttpErrBodyTooLarge;
    }
    return 0;
}

int ReadHead(TReader& Reader, const TRequest& Request, THead& Head) {
    std::size_t Budget = Request.MaxHeader;
    std::string Line;
    do { // 1xx answers are followed by the real one
        Head = THead{};
        if (const int E = Reader.ReadLine(Line, Budget, HttpErrHeaderTooLarge))
            return E;
        if (!ParseStatusLine(Line, Head))
            return HttpErrBadStatusLine;
        for (;;) {
            if (const int E = Reader.ReadLine(Line, Budget, HttpErrHeaderTooLarge))
                return E;
            if (Line.empty())
                break;
            const std::size_t Colon = Line.find(':');
            if (Colon == std::string::npos || Colon == 0)
                return HttpErrBadHeader;
            const std::string Name = Line.substr(0, Colon);
            const std::string Value = Trimmed(Line.substr(Colon + 1));
            if (SameTextAZ(Name, "Content-Length")) {
                std::size_t Length = 0;
                if (const int E = ParseLength(Value, Request.MaxBody, Length))
                    return E;
                if (Head.HasLength && Length != Head.Length)
                    return HttpErrBadHeader;
                Head.HasLength = true;
                Head.Length = Length;
            } else if (SameTextAZ(Name, "Transfer-Encoding")) {
                Head.Chunked = ContainsTextAZ("chunked", Value);
            } else if (SameTextAZ(Name, "Location")) {
                Head.Location = Value;
            }
        }
    } while (Head.Status >= 100 && Head.Status < 200);
    return 0;
}

int ReadChunkedBody(TReader& Reader, const TRequest& Request, std::string& Body) {
    std::size_t Budget = Request.MaxHeader; // chunk lines and trailers share the head's cap
    std::string Line;
    for (;;) {
        if (const int E = Reader.ReadLine(Line, Budget, HttpErrHeaderTooLarge))
            return E;
        std::size_t Size = 0;
        std::size_t I = 0;
        for (; I < Line.size(); ++I) {
            const char C = Line[I];
            int Digit;
            if (C >= '0' && C <= '9')
                Digit = C - '0';
            else if (C >= 'a' && C <= 'f')
                Digit = C - 'a' + 10;
            else if (C >= 'A' && C <= 'F')
                Digit = C - 'A' + 10;
            else
                break;
            Size = Size * 16 + static_cast<std::size_t>(Digit);
            if (Size > Request.MaxBody)
                return HttpErrBodyTooLarge;
        }
        if (I == 0 || (I < Line.size() && Line[I] != ';' && Line[I] != ' ' && Line[I] != '\t'))
            return HttpErrBadHeader;
        if (Size == 0)
            break;
        if (Size > Request.MaxBody - Body.size())
            return HttpErrBodyTooLarge;
        if (const int E = Reader.ReadExact(Size, Body))
            return E;
        if (const int E = Reader.ReadLine(Line, Budget, HttpErrHeaderTooLarge))
            return E;
        if (!Line.empty())
            return HttpErrBadHeader;
    }
    do { // trailers
        if (const int E = Reader.ReadLine(Line, Budget, HttpErrHeaderTooLarge))
            return E;
    } while (!Line.empty());
    return 0;
}

std::string RequestText(const TRequest& Request, const TUrl& Url, bool ViaProxy) {
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

bool IsRedirect(int Status) {
    return Status == 301 || Status == 302 || Status == 303 || Status == 307 || Status == 308;
}

// One exchange with one server; fills Head and, for a final answer, Body.
int Exchange(TOpenSslLoader& Loader, const TSocketWait& Wait, const TRequest& Request,
             const TUrl& Url, THead& Head, std::string& Body) {
    TTransport Transport(Loader, Wait);
    const bool ViaProxy = !Request.ProxyHost.empty();
    if (ViaProxy) {
        if (Url.Tls)
            return HttpErrProxyUnsupported;
        TUrl Proxy;
        if (!ParseUrl("http://" + Request.ProxyHost + ":" + Request.ProxyPort, Proxy))
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
    TReader Reader(Transport);
    if (const int E = ReadHead(Reader, Request, Head))
        return E;
    if (IsRedirect(Head.Status) && !Head.Location.empty())
        return 0; // the body of a redirection is not wanted
    if (Head.Status == 204 || Head.Status == 304)
        return 0;
    if (Head.Chunked)
        return ReadChunkedBody(Reader, Request, Body);
    if (Head.HasLength)
        return Reader.ReadExact(Head.Length, Body);
    return Reader.ReadToClose(Body, Request.MaxBody);
}

void RunRequest(TOpenSslLoader& Loader, const TSocketWait& Wait, const TRequest& Request,
                THttpClient::TResult& Result) {
    std::string Address = Request.Url;
    for (int Redirects = 0;; ++Redirects) {
        TUrl Url;
        if (!ParseUrl(Address, Url)) {
            Result.Error = HttpErrBadUrl;
            return;
        }
        THead Head;
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
        if (!IsRedirect(Head.Status) || Head.Location.empty())
            return;
        if (Redirects >= Request.MaxRedirects) {
            Result.Error = HttpErrTooManyRedirects;
            return;
        }
        Address = ResolveLocation(Url, Head.Location);
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
                     MaxBodyBytes, MaxHeaderBytes, MaxRedirects,  ExtraCaFile};
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
