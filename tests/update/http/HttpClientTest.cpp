// The client against local servers: what it sends, how it frames replies,
// redirections, errors and hostile servers, and release while under way.
#include "update/HttpClient.h"
#include "tests/update/http/TestHttpServer.h"
#include "tests/update/http/TestLoop.h"
#include "update/OpenSslLoader.h"
#include "update/U_HTTP_Custo.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace std::chrono_literals;

namespace {

struct TOutcome {
    int Reports = 0;
    std::uint16_t Error = 0;
    int Status = 0;
    std::string Reason;
    std::string Body;
};

class HttpClientTest : public ::testing::Test {
protected:
    TOutcome Get(const std::string& Url, std::chrono::milliseconds Timeout = 10s) {
        std::string Body = "left over";
        THttpClient Client(Loop, Ssl);
        SetupHttpClient(Client);
        Client.Timeout = Timeout;
        Client.URL = Url;
        Client.RcvdStream = &Body;
        TOutcome O;
        Client.OnRequestDone = [&](THttpClient& Sender, THttpRequestKind Kind,
                                   std::uint16_t Error) {
            EXPECT_EQ(Kind, THttpRequestKind::Get);
            ++O.Reports;
            O.Error = Error;
            O.Status = Sender.StatusCode();
            O.Reason = Sender.ReasonPhrase();
        };
        Client.GetASync();
        EXPECT_TRUE(Loop.RunUntil([&] { return O.Reports > 0; }));
        Loop.RunPending();
        O.Body = Body;
        return O;
    }

    TTestLoop Loop;
    TOpenSslLoader Ssl;
};

// Answers every request with the same raw bytes, then closes.
TTestHttpServer::THandler Raw(std::string Response) {
    return [Response](TTestStream& S, const std::string&) { S.Write(Response); };
}

TEST_F(HttpClientTest, SendsTheRequestLineHostAndTheThreeHeadersByteForByte) {
    TTestHttpServer Server(Raw(Reply(200, "OK", "2.1.1.21")));
    const std::string Query =
        "/lortex/check.php?uid=0&ProductName=Quorvel&Company=Tandrel&VH=131073&VL=65556";
    const TOutcome O = Get(Server.Base() + Query);
    EXPECT_EQ(O.Error, 0);
    EXPECT_EQ(O.Body, "2.1.1.21");
    ASSERT_EQ(Server.Heads().size(), 1u);
    EXPECT_EQ(
        Server.Heads()[0],
        "GET " + Query +
            " HTTP/1.1\r\n"
            "Host: 127.0.0.1:" +
            std::to_string(Server.Port()) +
            "\r\n"
            "User-Agent: Mozilla/5.0\r\n"
            "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,*/*;q=0.8\r\n"
            "Accept-Language: fr,fr-fr;q=0.8,en-us;q=0.5,en;q=0.3\r\n"
            "Connection: close\r\n\r\n");
}

struct TFraming {
    const char* Name;
    std::string Response;
    int Status;
    const char* Reason;
    std::string Body;
};

TEST_F(HttpClientTest, ReadsEveryBodyFramingAndKeepsTheReasonPhrase) {
    const std::string Big(300000, 'x');
    const TFraming Cases[] = {
        {"length", Reply(200, "OK", "2.1.1.20"), 200, "OK", "2.1.1.20"},
        {"empty", Reply(200, "OK", ""), 200, "OK", ""},
        {"not found", Reply(404, "Not Found", "<html>gone</html>"), 404, "Not Found",
         "<html>gone</html>"},
        {"no reason", "HTTP/1.1 200\r\nContent-Length: 1\r\n\r\n3", 200, "", "3"},
        {"bare LF", "HTTP/1.1 200 OK\nContent-Length: 1\n\n3", 200, "OK", "3"},
        {"chunked",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4;ext=1\r\n2.1.\r\n"
         "4\r\n1.21\r\n0\r\nX-Trailer: t\r\n\r\n",
         200, "OK", "2.1.1.21"},
        {"to close", "HTTP/1.0 200 Fine\r\n\r\n" + Big, 200, "Fine", Big},
        {"continue first", "HTTP/1.1 100 Continue\r\n\r\n" + Reply(200, "OK", "3"), 200, "OK", "3"},
        {"no content", "HTTP/1.1 204 No Content\r\n\r\n", 204, "No Content", ""},
    };
    for (const TFraming& C : Cases) {
        SCOPED_TRACE(C.Name);
        TTestHttpServer Server(Raw(C.Response));
        const TOutcome O = Get(Server.Base() + "/");
        EXPECT_EQ(O.Reports, 1);
        EXPECT_EQ(O.Error, 0);
        EXPECT_EQ(O.Status, C.Status);
        EXPECT_EQ(O.Reason, C.Reason);
        EXPECT_EQ(O.Body, C.Body);
    }
}

struct THostile {
    const char* Name;
    std::string Response;
    std::uint16_t Error;
};

TEST_F(HttpClientTest, HostileOrBrokenRepliesEndAsFailedRequests) {
    const std::string TwoMiB(2 << 20, 'v');
    std::string EndlessHeaders = "HTTP/1.1 200 OK\r\n";
    while (EndlessHeaders.size() < (200 << 10))
        EndlessHeaders +=
            "X-Filler: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\r\n";
    const THostile Cases[] = {
        {"garbage status", "SSH-2.0-OpenSSH\r\n\r\n", HttpErrBadStatusLine},
        {"status without code", "HTTP/1.1 OK\r\n\r\n", HttpErrBadStatusLine},
        {"nothing at all", "", HttpErrConnectionClosed},
        {"endless headers", EndlessHeaders, HttpErrHeaderTooLarge},
        {"header without colon", "HTTP/1.1 200 OK\r\nBroken\r\n\r\n", HttpErrBadHeader},
        {"bad length", "HTTP/1.1 200 OK\r\nContent-Length: 12abc\r\n\r\n", HttpErrBadHeader},
        {"conflicting lengths",
         "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab", HttpErrBadHeader},
        {"huge length", "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999999\r\n\r\n",
         HttpErrBodyTooLarge},
        {"short body", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n2.1", HttpErrConnectionClosed},
        {"2 MiB by length", Reply(200, "OK", TwoMiB), HttpErrBodyTooLarge},
        {"2 MiB to close", "HTTP/1.1 200 OK\r\n\r\n" + TwoMiB, HttpErrBodyTooLarge},
        {"2 MiB chunked",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n200000\r\n" + TwoMiB +
             "\r\n0\r\n\r\n",
         HttpErrBodyTooLarge},
        {"chunk size overflow",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
         "FFFFFFFFFFFFFFFFFFFFFFFF\r\nx\r\n",
         HttpErrBodyTooLarge},
        {"chunk size not hex", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
         HttpErrBadHeader},
        {"chunk without end", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc",
         HttpErrConnectionClosed},
    };
    for (const THostile& C : Cases) {
        SCOPED_TRACE(C.Name);
        TTestHttpServer Server(Raw(C.Response));
        const TOutcome O = Get(Server.Base() + "/");
        EXPECT_EQ(O.Reports, 1);
        EXPECT_EQ(O.Error, C.Error);
        EXPECT_EQ(O.Body, "");
    }
}

TEST_F(HttpClientTest, RefusedConnectionReportsTheSocketErrorNumber) {
    const TOutcome O = Get("http://127.0.0.1:" + std::to_string(UnusedPort()) + "/");
    EXPECT_EQ(O.Reports, 1);
    EXPECT_EQ(O.Error, QUORVEL_TEST_ECONNREFUSED);
}

TEST_F(HttpClientTest, AddressesThatAreNotHttpFailWithoutAConnection) {
    for (const char* Url : {"ftp://127.0.0.1/", "http:///path", "http://host:99999/", "http://a b/",
                            "http://127.0.0.1/x\r\nInjected: 1"}) {
        SCOPED_TRACE(Url);
        EXPECT_EQ(Get(Url).Error, HttpErrBadUrl);
    }
}

// /r/N redirects to /r/N-1, alternately by absolute and relative address;
// /r/0 answers "done".
TTestHttpServer::THandler RedirectChain(const std::string& Base) {
    return [Base](TTestStream& S, const std::string& Head) {
        const std::size_t From = Head.find("/r/") + 3;
        const int N = std::stoi(Head.substr(From, Head.find(' ', From) - From));
        if (N == 0) {
            S.Write(Reply(200, "OK", "done"));
            return;
        }
        const std::string Next =
            N % 2 ? Base + "/r/" + std::to_string(N - 1) : std::to_string(N - 1);
        S.Write(Reply(N % 2 ? 302 : 301, "Moved", "see elsewhere", "Location: " + Next + "\r\n"));
    };
}

TEST_F(HttpClientTest, FollowsFiveRedirectionsAndFailsOnTheSixth) {
    std::string Base;
    TTestHttpServer Server(
        [&Base](TTestStream& S, const std::string& Head) { RedirectChain(Base)(S, Head); });
    Base = Server.Base();
    const TOutcome Five = Get(Base + "/r/5");
    EXPECT_EQ(Five.Error, 0);
    EXPECT_EQ(Five.Body, "done");
    EXPECT_EQ(Server.Heads().size(), 6u);
    const TOutcome Six = Get(Base + "/r/6");
    EXPECT_EQ(Six.Error, HttpErrTooManyRedirects);
    EXPECT_EQ(Six.Body, "");
}

TEST_F(HttpClientTest, AServerThatStallsOrDripsFailsWithinTheBound) {
    TTestHttpServer* Self = nullptr;
    TTestHttpServer Stall([&Self](TTestStream&, const std::string&) { Self->WaitStop(); });
    Self = &Stall;
    EXPECT_EQ(Get(Stall.Base() + "/", 1s).Error, HttpErrTimeout);

    TTestHttpServer* DripSelf = nullptr;
    TTestHttpServer Drip([&DripSelf](TTestStream& S, const std::string&) {
        S.Write("HTTP/1.1 200 OK\r\nX-Slow: ");
        while (!DripSelf->WaitStop(100ms) && S.Write("a")) {
        }
    });
    DripSelf = &Drip;
    EXPECT_EQ(Get(Drip.Base() + "/", 1s).Error, HttpErrTimeout);
}

TEST_F(HttpClientTest, ReleasingTheClientEndsTheRequestAndNoReportArrives) {
    TTestHttpServer* Self = nullptr;
    TTestHttpServer Stall([&Self](TTestStream&, const std::string&) { Self->WaitStop(); });
    Self = &Stall;
    TTestHttpServer Quick(Raw(Reply(200, "OK", "1.0")));
    for (TTestHttpServer* Server : {&Stall, &Quick}) {
        int Reports = 0;
        std::string Body;
        {
            THttpClient Client(Loop, Ssl);
            Client.URL = Server->Base() + "/";
            Client.RcvdStream = &Body;
            Client.OnRequestDone = [&](THttpClient&, THttpRequestKind, std::uint16_t) {
                ++Reports;
            };
            Client.GetASync();
            EXPECT_TRUE(Client.Busy());
            // Against the quick server the report is already queued when the
            // client goes; against the stalling one the worker is mid-read.
            if (Server == &Quick) {
                EXPECT_TRUE(Loop.WaitPosted());
            }
        }
        Loop.RunPending();
        EXPECT_EQ(Reports, 0);
    }
}

TEST_F(HttpClientTest, AClientRunsASecondRequestAfterTheFirstReported) {
    TTestHttpServer Server(Raw(Reply(200, "OK", "2.1.1.20")));
    std::string Body;
    THttpClient Client(Loop, Ssl);
    Client.URL = Server.Base() + "/";
    Client.RcvdStream = &Body;
    int Reports = 0;
    Client.OnRequestDone = [&](THttpClient&, THttpRequestKind, std::uint16_t Error) {
        EXPECT_EQ(Error, 0);
        ++Reports;
    };
    Client.GetASync();
    EXPECT_THROW(Client.GetASync(), std::exception);
    ASSERT_TRUE(Loop.RunUntil([&] { return Reports == 1; }));
    Body.clear();
    Client.GetASync();
    ASSERT_TRUE(Loop.RunUntil([&] { return Reports == 2; }));
    EXPECT_EQ(Body, "2.1.1.20");
    EXPECT_FALSE(Client.Busy());
}

TEST_F(HttpClientTest, ProxySettingsAreUsedForHttp) {
    TTestHttpServer Proxy(Raw(Reply(200, "OK", "via proxy")));
    std::string Body;
    THttpClient Client(Loop, Ssl);
    SetupHttpClient(Client);
    Client.URL = "http://update.invalid/lortex/check.php?uid=0";
    Client.ProxyHost = "127.0.0.1";
    Client.ProxyPort = std::to_string(Proxy.Port());
    Client.ProxyUsername = "user";
    Client.ProxyPassword = "pass";
    Client.RcvdStream = &Body;
    int Reports = 0;
    Client.OnRequestDone = [&](THttpClient&, THttpRequestKind, std::uint16_t Error) {
        EXPECT_EQ(Error, 0);
        ++Reports;
    };
    Client.GetASync();
    ASSERT_TRUE(Loop.RunUntil([&] { return Reports == 1; }));
    EXPECT_EQ(Body, "via proxy");
    ASSERT_EQ(Proxy.Heads().size(), 1u);
    EXPECT_EQ(
        Proxy.Heads()[0].rfind("GET http://update.invalid/lortex/check.php?uid=0 HTTP/1.1\r\n", 0),
        0u);
    EXPECT_NE(Proxy.Heads()[0].find("Proxy-Authorization: Basic dXNlcjpwYXNz\r\n"),
              std::string::npos);
}

} // namespace
