// https through the run-time-loaded OpenSSL against a local TLS server whose
// certificates are made at test time.
#include "tests/update/http/TestHttpServer.h"
#include "tests/update/http/TestLoop.h"
#include "tests/update/http/TestTls.h"
#include "update/HttpClient.h"
#include "update/OpenSslLoader.h"
#include "update/U_HTTP_Custo.h"

#include <gtest/gtest.h>

namespace {

class HttpsTest : public ::testing::Test {
protected:
    std::pair<std::uint16_t, std::string> Get(const std::string& Url, const std::string& CaFile) {
        std::string Body;
        THttpClient Client(Loop, Ssl);
        SetupHttpClient(Client);
        Client.Timeout = std::chrono::seconds(10);
        Client.URL = Url;
        Client.ExtraCaFile = CaFile;
        Client.RcvdStream = &Body;
        int Reports = 0;
        std::uint16_t Error = 0;
        Client.OnRequestDone = [&](THttpClient&, THttpRequestKind, std::uint16_t Code) {
            ++Reports;
            Error = Code;
        };
        Client.GetASync();
        EXPECT_TRUE(Loop.RunUntil([&] { return Reports > 0; }));
        return {Error, Body};
    }

    TTestLoop Loop;
    TOpenSslLoader Ssl;
    const TTestPki& Pki = TestPki();
};

TEST_F(HttpsTest, ATrustedServerAnswers) {
    ASSERT_TRUE(Ssl.IsAvailable());
    TTestHttpServer Server(
        [](TTestStream& S, const std::string&) { S.Write(Reply(200, "OK", "2.1.1.21")); },
        TlsStream(Pki.ServerCert, Pki.ServerKey));
    const auto [Error, Body] = Get(Server.Base("https") + "/lortex/check.php?uid=0", Pki.CaFile);
    EXPECT_EQ(Error, 0);
    EXPECT_EQ(Body, "2.1.1.21");
    ASSERT_EQ(Server.Heads().size(), 1u);
    EXPECT_EQ(Server.Heads()[0].rfind("GET /lortex/check.php?uid=0 HTTP/1.1\r\n", 0), 0u);
}

TEST_F(HttpsTest, AnUntrustedOrMisnamedCertificateFailsTheRequest) {
    TTestHttpServer Trusted(
        [](TTestStream& S, const std::string&) { S.Write(Reply(200, "OK", "9")); },
        TlsStream(Pki.ServerCert, Pki.ServerKey));
    const auto Untrusted = Get(Trusted.Base("https") + "/", "");
    EXPECT_EQ(Untrusted.first, HttpErrCertificate);
    EXPECT_EQ(Untrusted.second, "");

    TTestHttpServer Misnamed(
        [](TTestStream& S, const std::string&) { S.Write(Reply(200, "OK", "9")); },
        TlsStream(Pki.OtherHostCert, Pki.OtherHostKey));
    EXPECT_EQ(Get(Misnamed.Base("https") + "/", Pki.CaFile).first, HttpErrCertificate);
    EXPECT_TRUE(Trusted.Heads().empty());
    EXPECT_TRUE(Misnamed.Heads().empty());
}

struct TRedirectCase {
    std::vector<std::string> Schemes; // of each hop; the last one answers
    std::uint16_t Error;
    std::size_t Reached; // hops that saw a request
};

TEST_F(HttpsTest, RedirectionsMayRaiseSecurityButNeverDropIt) {
    const TRedirectCase Cases[] = {
        {{"http", "https", "https"}, 0, 3},
        {{"https", "https"}, 0, 2},
        {{"https", "http"}, HttpErrInsecureRedirect, 1},
        {{"http", "https", "http"}, HttpErrInsecureRedirect, 2},
    };
    for (const TRedirectCase& C : Cases) {
        std::string Trace;
        for (const std::string& Scheme : C.Schemes)
            Trace += Scheme + " ";
        SCOPED_TRACE(Trace);
        // Made from the last hop back, each knowing the address of the next.
        std::vector<std::unique_ptr<TTestHttpServer>> Hops(C.Schemes.size());
        std::string Next;
        for (std::size_t I = Hops.size(); I-- > 0;) {
            TTestHttpServer::THandler Handler = [Next](TTestStream& S, const std::string&) {
                S.Write(Next.empty() ? Reply(200, "OK", "2.1.1.22")
                                     : Reply(302, "Found", "", "Location: " + Next + "\r\n"));
            };
            Hops[I] = C.Schemes[I] == "https"
                          ? std::make_unique<TTestHttpServer>(
                                Handler, TlsStream(Pki.ServerCert, Pki.ServerKey))
                          : std::make_unique<TTestHttpServer>(Handler);
            Next = Hops[I]->Base(C.Schemes[I].c_str()) + "/hop" + std::to_string(I);
        }
        const auto [Error, Body] = Get(Next, Pki.CaFile);
        EXPECT_EQ(Error, C.Error);
        EXPECT_EQ(Body, C.Error ? "" : "2.1.1.22");
        for (std::size_t I = 0; I < Hops.size(); ++I)
            EXPECT_EQ(Hops[I]->Heads().size(), I < C.Reached ? 1u : 0u) << "hop " << I;
    }
}

TEST_F(HttpsTest, HttpsWithoutUsableTlsFails) {
    TOpenSslLoader None({[](const std::string&) -> void* { return nullptr; },
                         [](void*, const char*) -> void* { return nullptr; }, [](void*) {}},
                        {{"none", "none"}}, [] { return true; });
    std::string Body;
    THttpClient Client(Loop, None);
    Client.URL = "https://127.0.0.1:1/";
    Client.RcvdStream = &Body;
    std::uint16_t Error = 0;
    bool Done = false;
    Client.OnRequestDone = [&](THttpClient&, THttpRequestKind, std::uint16_t Code) {
        Error = Code;
        Done = true;
    };
    Client.GetASync();
    ASSERT_TRUE(Loop.RunUntil([&] { return Done; }));
    EXPECT_EQ(Error, HttpErrTlsUnavailable);
}

} // namespace
