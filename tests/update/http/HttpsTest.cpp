// https through the run-time-loaded OpenSSL against a local TLS server whose
// certificates are made at test time.
#include "HttpClient.h"
#include "OpenSslLoader.h"
#include "TestHttpServer.h"
#include "TestLoop.h"
#include "TestTls.h"
#include "U_HTTP_Custo.h"

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

TEST_F(HttpsTest, RedirectionsCrossBetweenHttpAndHttps) {
    TTestHttpServer Final(
        [](TTestStream& S, const std::string&) { S.Write(Reply(200, "OK", "2.1.1.22")); });
    const std::string FinalUrl = Final.Base() + "/end";
    TTestHttpServer Secure(
        [FinalUrl](TTestStream& S, const std::string&) {
            S.Write(Reply(302, "Found", "", "Location: " + FinalUrl + "\r\n"));
        },
        TlsStream(Pki.ServerCert, Pki.ServerKey));
    const std::string SecureUrl = Secure.Base("https") + "/next";
    TTestHttpServer Start([SecureUrl](TTestStream& S, const std::string&) {
        S.Write(Reply(301, "Moved Permanently", "", "Location: " + SecureUrl + "\r\n"));
    });
    const auto [Error, Body] = Get(Start.Base() + "/start", Pki.CaFile);
    EXPECT_EQ(Error, 0);
    EXPECT_EQ(Body, "2.1.1.22");
    EXPECT_EQ(Secure.Heads().size(), 1u);
    EXPECT_EQ(Final.Heads().size(), 1u);
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
