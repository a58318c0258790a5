// The update checker end to end against a local server: the request it sends,
// how each reply is judged and logged, and the main window's side of the
// result through a fake port.
#include "log/U_Log.h"
#include "tests/update/http/TestHttpServer.h"
#include "tests/update/http/TestLoop.h"
#include "update/U_HTTP_Custo.h"
#include "update/U_Lortex_Lite.h"

#include "update/OpenSslLoader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#if QUORVEL_TEST_EXPECT_OPENSSL
#include "tests/update/http/TestTls.h"
#endif

using namespace std::chrono_literals;

namespace {

struct TFakePort : IUpdateCheckPort {
    bool Answer = false;
    std::vector<std::string> Asked, Shown, Opened;
    std::vector<bool> MenuStates;
    bool AskYesNo(const std::string& Text) override {
        Asked.push_back(Text);
        return Answer;
    }
    void ShowMessage(const std::string& Text) override { Shown.push_back(Text); }
    void OpenWebSite(const std::string& Address) override { Opened.push_back(Address); }
    void SetCheckMenuItemEnabled(bool Enabled) override { MenuStates.push_back(Enabled); }
};

TOpenSslLoader NoTls() {
    return TOpenSslLoader({[](const std::string&) -> void* { return nullptr; },
                           [](void*, const char*) -> void* { return nullptr; }, [](void*) {}},
                          {{"none", "none"}}, [] { return true; });
}

const std::string NewerQuestion =
    "A new version of Quorvel  is available. Do you want to download update now ?";
const std::string UpToDate = "Quorvel  is already up to date.";

class LortexLiteTest : public ::testing::Test {
protected:
    LortexLiteTest()
        : Log((std::filesystem::temp_directory_path() / "quorvel-no-such-folder" / "Quorvel.log")
                  .string(),
              true, 10000, false,
              TLogHooks{[] { return TLogTime{}; }, [](const std::string&) { return true; }, ':'}) {}

    // Each check's start reads 1000, each end 1215.
    TLortexLiteOptions Options(const std::string& Base) {
        TLortexLiteOptions O;
        O.ServiceBase = Base;
        O.Ssl = &Ssl;
        O.Identify = [this](const std::string&) { return Own; };
        O.TickCount = [this] { return (Ticks++ % 2) ? 1215u : 1000u; };
        return O;
    }

    // The entries since the last call, oldest first, as "Level\tmessage".
    std::vector<std::string> NewLogLines() {
        std::vector<std::string> Out;
        for (std::size_t I = Log.Lines.size() - Seen; I-- > 0;) {
            const std::string& L = Log.Lines[I];
            const std::size_t First = L.find('\t');
            Out.push_back(L.substr(0, First) + "\t" + L.substr(L.find('\t', First + 1) + 1));
        }
        Seen = Log.Lines.size();
        return Out;
    }

    // One check as the main window runs it; true when OnDone came.
    bool Check(TLortexLite& Checker, bool Automatic) {
        AutoCheckPending = Automatic;
        int Done = 0;
        BeginUpdateCheck(Checker, Log, "/opt/quorvel/Quorvel", Port, [&](TLortexLite& C) {
            ++Done;
            UpdateCheckResult(C, Log, AutoCheckPending, Port);
        });
        const bool Reported = Loop.RunUntil([&] { return Done > 0; });
        Loop.RunPending();
        EXPECT_LE(Done, 1);
        return Reported;
    }

    TTestLoop Loop;
    TKLog Log;
    TOpenSslLoader Ssl;
    TFakePort Port;
    bool AutoCheckPending = false;
    TOwnIdentity Own{"Quorvel", "Tandrel", "2.1.1.20"};
    unsigned Ticks = 0;
    std::size_t Seen = 0;
};

// A name lookup that hangs until the test lets it go, as a stalled system
// resolver does. Shared with the lookup's own thread, which may outlive the
// check that started it.
struct TStalledLookup {
    std::mutex Mutex;
    std::condition_variable Changed;
    bool Entered = false;
    bool LetGo = false;

    static THostResolver Resolver(const std::shared_ptr<TStalledLookup>& Self) {
        return [Self](const std::string&, std::uint16_t) {
            std::unique_lock<std::mutex> Lock(Self->Mutex);
            Self->Entered = true;
            Self->Changed.notify_all();
            Self->Changed.wait(Lock, [&] { return Self->LetGo; });
            return THostResolution{HttpErrResolve, {}};
        };
    }
    bool WaitEntered() {
        std::unique_lock<std::mutex> Lock(Mutex);
        return Changed.wait_for(Lock, 30s, [this] { return Entered; });
    }
    bool StillStalled() {
        std::lock_guard<std::mutex> Lock(Mutex);
        return !LetGo;
    }
    void Release() {
        std::lock_guard<std::mutex> Lock(Mutex);
        LetGo = true;
        Changed.notify_all();
    }
};

TTestHttpServer::THandler Answer(std::string Response) {
    return [Response](TTestStream& S, const std::string&) { S.Write(Response); };
}

TEST_F(LortexLiteTest, SendsTheProgramsOwnValuesInThePathAndQuery) {
    TTestHttpServer Server(Answer(Reply(200, "OK", "2.1.1.20")));
    TLortexLite Checker(Log, "Quorvel", Loop, Options(Server.Base()));
    ASSERT_TRUE(Check(Checker, true));
    Own = {"A B&C", "Caf\xE9 ~", ""};
    ASSERT_TRUE(Check(Checker, false));
    const auto Heads = Server.Heads();
    ASSERT_EQ(Heads.size(), 2u);
    EXPECT_EQ(Heads[0].substr(0, Heads[0].find("\r\n")),
              "GET /lortex/check.php?uid=0&ProductName=Quorvel&Company=Tandrel&VH=131073&VL=65556 "
              "HTTP/1.1");
    for (const char* Header : {"\r\nUser-Agent: Mozilla/5.0\r\n",
                               "\r\nAccept: text/html,application/xhtml+xml,application/xml;q=0.9,"
                               "image/webp,*/*;q=0.8\r\n",
                               "\r\nAccept-Language: fr,fr-fr;q=0.8,en-us;q=0.5,en;q=0.3\r\n"})
        EXPECT_NE(Heads[0].find(Header), std::string::npos) << Header;
    EXPECT_EQ(Heads[1].substr(0, Heads[1].find("\r\n")),
              "GET /lortex/check.php?uid=0&ProductName=A%20B%26C&Company=Caf%E9%20%7E&VH=0&VL=0 "
              "HTTP/1.1");
    EXPECT_EQ(Checker.OwnVH, 0u);
}

struct TReplyCase {
    const char* Name;
    std::string Response;
    bool Automatic;
    bool Yes;
    bool Newer, Valid;
    std::vector<std::string> Log; // after "Self update check..." and the initialisation line
    std::vector<std::string> Asked, Opened, Shown;
};

TEST_F(LortexLiteTest, EachReplyIsJudgedLoggedAndShownAsTheWindowExpects) {
    const std::string Newer = "Info\tNew version of Quorvel is detected";
    const std::string Current = "Info\t" + UpToDate;
    const std::vector<std::string> Q = {NewerQuestion};
    const std::vector<std::string> Site = {Addresses::MakerWebSite};
    const std::vector<std::string> None;
    const TReplyCase Cases[] = {
        {"newer, automatic, yes",
         Reply(200, "OK", "2.1.1.21"),
         true,
         true,
         true,
         true,
         {"Info\tQuorvel Update self check : Server replied 2.1.1.21 in 215ms", Newer},
         Q,
         Site,
         None},
        {"newer, asked, no",
         Reply(200, "OK", "2.1.1.21"),
         false,
         false,
         true,
         true,
         {"Info\tQuorvel Update self check : Server replied 2.1.1.21 in 215ms", Newer},
         Q,
         None,
         None},
        {"same, automatic",
         Reply(200, "OK", "2.1.1.20"),
         true,
         true,
         false,
         true,
         {"Info\tQuorvel Update self check : Server replied 2.1.1.20 in 215ms", Current},
         None,
         None,
         None},
        {"same, asked",
         Reply(200, "OK", "2.1.1.20"),
         false,
         true,
         false,
         true,
         {"Info\tQuorvel Update self check : Server replied 2.1.1.20 in 215ms", Current},
         None,
         None,
         {UpToDate}},
        {"line break",
         Reply(200, "OK", "2.1.1.21\r\n"),
         false,
         true,
         false,
         true,
         {"Info\tQuorvel Update self check : Server replied 2.1.1.0 in 215ms", Current},
         None,
         None,
         {UpToDate}},
        {"one number",
         Reply(200, "OK", "3"),
         true,
         false,
         true,
         true,
         {"Info\tQuorvel Update self check : Server replied 3.0.0.0 in 215ms", Newer},
         Q,
         None,
         None},
        {"empty body",
         Reply(200, "OK", ""),
         false,
         true,
         false,
         false,
         {"Info\tQuorvel Update self check : Server replied 0.0.0.0 in 215ms",
          "Verbose\tQuorvel Update self check : Server error (0 Cause : OK)"},
         None,
         None,
         None},
        {"error page",
         Reply(404, "Not Found", "<html><body>No such page</body></html>"),
         false,
         true,
         false,
         false,
         {"Info\tQuorvel Update self check : Server replied 0.0.0.0 in 215ms",
          "Verbose\tQuorvel Update self check : Server error (0 Cause : Not Found)"},
         None,
         None,
         None},
    };
    for (const TReplyCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TTestHttpServer Server(Answer(C.Response));
        TLortexLite Checker(Log, "Quorvel", Loop, Options(Server.Base()));
        Port = TFakePort{};
        Port.Answer = C.Yes;
        NewLogLines();
        ASSERT_TRUE(Check(Checker, C.Automatic));
        std::vector<std::string> Expected = {"Info\tSelf update check...",
                                             "Info\tQuorvel Update self check : Initialization"};
        Expected.insert(Expected.end(), C.Log.begin(), C.Log.end());
        EXPECT_EQ(NewLogLines(), Expected);
        EXPECT_EQ(Checker.NewerAvailable, C.Newer);
        EXPECT_EQ(Checker.ReplyValid, C.Valid);
        EXPECT_FALSE(Checker.Busy);
        EXPECT_EQ(Port.Asked, C.Asked);
        EXPECT_EQ(Port.Opened, C.Opened);
        EXPECT_EQ(Port.Shown, C.Shown);
        EXPECT_EQ(Port.MenuStates, (std::vector<bool>{false, true}));
        EXPECT_FALSE(AutoCheckPending);
    }
}

struct TFailureCase {
    const char* Name;
    std::function<std::string(TTestHttpServer*&)> Start; // the base address
    std::uint16_t Code;
};

TEST_F(LortexLiteTest, AFailedRequestLogsOneErrorLineAndShowsNothing) {
    TTestHttpServer* Stalling = nullptr;
    TTestHttpServer Stall([&Stalling](TTestStream&, const std::string&) { Stalling->WaitStop(); });
    Stalling = &Stall;
    TTestHttpServer Big(Answer(Reply(200, "OK", std::string(2 << 20, '9'))));
    const std::pair<std::string, std::uint16_t> Cases[] = {
        {"http://127.0.0.1:" + std::to_string(UnusedPort()), QUORVEL_TEST_ECONNREFUSED},
        {Stall.Base(), HttpErrTimeout},
        {Big.Base(), HttpErrBodyTooLarge},
    };
    for (const auto& [Base, Code] : Cases) {
        SCOPED_TRACE(Base);
        TLortexLiteOptions O = Options(Base);
        O.RequestTimeout = 1s;
        TLortexLite Checker(Log, "Quorvel", Loop, O);
        Port = TFakePort{};
        NewLogLines();
        ASSERT_TRUE(Check(Checker, false));
        EXPECT_EQ(
            NewLogLines(),
            (std::vector<std::string>{
                "Info\tSelf update check...", "Info\tQuorvel Update self check : Initialization",
                "Error\tQuorvel Update self check : Server error (" + std::to_string(Code) + ")"}));
        EXPECT_FALSE(Checker.NewerAvailable);
        EXPECT_FALSE(Checker.ReplyValid);
        EXPECT_TRUE(Port.Asked.empty());
        EXPECT_TRUE(Port.Shown.empty());
        EXPECT_EQ(Port.MenuStates, (std::vector<bool>{false, true}));
    }
}

TEST_F(LortexLiteTest, AStalledNameLookupNeitherOutlastsTheBoundNorHoldsTheRelease) {
    auto Stalled = [this](const std::shared_ptr<TStalledLookup>& Lookup,
                          std::chrono::milliseconds Bound) {
        TLortexLiteOptions O = Options("http://update.invalid");
        O.RequestTimeout = Bound;
        O.PrepareClient = [Lookup](THttpClient& Client) {
            Client.Resolver = TStalledLookup::Resolver(Lookup);
        };
        return O;
    };

    auto Bounded = std::make_shared<TStalledLookup>();
    {
        TLortexLite Checker(Log, "Quorvel", Loop, Stalled(Bounded, 1s));
        NewLogLines();
        ASSERT_TRUE(Check(Checker, false));
        EXPECT_EQ(NewLogLines(),
                  (std::vector<std::string>{"Info\tSelf update check...",
                                            "Info\tQuorvel Update self check : Initialization",
                                            "Error\tQuorvel Update self check : Server error (" +
                                                std::to_string(HttpErrTimeout) + ")"}));
        EXPECT_TRUE(Bounded->StillStalled());
    }
    Bounded->Release();

    // Closing the window mid-lookup: the release must not wait for the
    // resolver. Should it wait all the same, a watchdog lets the resolver go
    // after a long while, so that the test fails instead of hanging.
    auto Closing = std::make_shared<TStalledLookup>();
    std::mutex Mutex;
    std::condition_variable Signal;
    bool Returned = false;
    std::thread Watchdog([&] {
        std::unique_lock<std::mutex> Lock(Mutex);
        if (!Signal.wait_for(Lock, 60s, [&] { return Returned; }))
            Closing->Release();
    });
    bool Entered = false;
    {
        TLortexLite Checker(Log, "Quorvel", Loop, Stalled(Closing, 10min));
        Checker.StartCheck("Quorvel",
                           [](TLortexLite&) { ADD_FAILURE() << "reported after release"; });
        Entered = Closing->WaitEntered();
    }
    const bool StillStalled = Closing->StillStalled();
    {
        std::lock_guard<std::mutex> Lock(Mutex);
        Returned = true;
    }
    Signal.notify_all();
    Watchdog.join();
    Closing->Release();
    EXPECT_TRUE(Entered);
    EXPECT_TRUE(StillStalled) << "the release waited for the resolver";
    Loop.RunPending();
}

TEST_F(LortexLiteTest, ARequestThatCannotStartIsReportedAsFailed) {
    TLortexLiteOptions O = Options("http://127.0.0.1:1");
    O.PrepareClient = [](THttpClient& Client) { Client.RcvdStream = nullptr; }; // GetASync refuses
    {
        TLortexLite Released(Log, "Quorvel", Loop, O);
        Released.StartCheck("Quorvel",
                            [](TLortexLite&) { ADD_FAILURE() << "reported after release"; });
    }
    Loop.RunPending();
    TLortexLite Checker(Log, "Quorvel", Loop, O);
    NewLogLines();
    ASSERT_TRUE(Check(Checker, false));
    EXPECT_EQ(NewLogLines(),
              (std::vector<std::string>{
                  "Info\tSelf update check...", "Info\tQuorvel Update self check : Initialization",
                  "Error\tQuorvel Update self check : Server error (20015)"}));
    EXPECT_FALSE(Checker.Busy);
    EXPECT_EQ(Port.MenuStates, (std::vector<bool>{false, true}));
}

TEST_F(LortexLiteTest, WithoutTlsTheRequestFallsBackToHttpAndSaysSo) {
    TOpenSslLoader None = NoTls();
    TTestHttpServer Server(Answer(Reply(200, "OK", "2.1.1.20")));
    TLortexLiteOptions O = Options(Server.Base("https"));
    O.Ssl = &None;
    TLortexLite Checker(Log, "Quorvel", Loop, O);
    ASSERT_TRUE(Check(Checker, true));
    EXPECT_EQ(Checker.RequestUrl().rfind("http://127.0.0.1:", 0), 0u);
    const auto Lines = NewLogLines();
    ASSERT_GE(Lines.size(), 3u);
    EXPECT_EQ(Lines[2], "Verbose\tLortexLite : No SSL / Back to HTTP");
    EXPECT_TRUE(Checker.ReplyValid);
}

TEST_F(LortexLiteTest, ThePlatformsOwnTlsDecidesTheScheme) {
    // Linux has OpenSSL 3; the Wine prefix has no OpenSSL DLL.
    TTestHttpServer Server(Answer(Reply(200, "OK", "2.1.1.20")));
    TOpenSslLoader Platform;
    TLortexLiteOptions O = Options(Server.Base("https"));
    O.Ssl = &Platform;
#if QUORVEL_TEST_EXPECT_OPENSSL
    TTestHttpServer Secure(Answer(Reply(200, "OK", "2.1.1.20")),
                           TlsStream(TestPki().ServerCert, TestPki().ServerKey));
    O = Options(Secure.Base("https"));
    O.Ssl = &Platform;
    O.ExtraCaFile = TestPki().CaFile;
#endif
    TLortexLite Checker(Log, "Quorvel", Loop, O);
    ASSERT_TRUE(Check(Checker, true));
    const auto Lines = NewLogLines();
    const bool FellBack = std::find(Lines.begin(), Lines.end(),
                                    "Verbose\tLortexLite : No SSL / Back to HTTP") != Lines.end();
    EXPECT_EQ(FellBack, !QUORVEL_TEST_EXPECT_OPENSSL);
    EXPECT_EQ(Checker.RequestUrl().rfind(QUORVEL_TEST_EXPECT_OPENSSL ? "https://" : "http://", 0),
              0u);
    EXPECT_TRUE(Checker.ReplyValid);
}

TEST_F(LortexLiteTest, AManualCheckAfterTheAutomaticOneShowsUpToDate) {
    TTestHttpServer Server(Answer(Reply(200, "OK", "2.1.1.20")));
    TLortexLite Checker(Log, "Quorvel", Loop, Options(Server.Base()));
    AutoCheckPending = true;
    int Done = 0;
    auto OnDone = [&](TLortexLite& C) {
        ++Done;
        UpdateCheckResult(C, Log, AutoCheckPending, Port);
    };
    BeginUpdateCheck(Checker, Log, "Quorvel", Port, OnDone);
    BeginUpdateCheck(Checker, Log, "Quorvel", Port, OnDone); // busy: ignored
    ASSERT_TRUE(Loop.RunUntil([&] { return Done == 1; }));
    EXPECT_TRUE(Port.Shown.empty());
    BeginUpdateCheck(Checker, Log, "Quorvel", Port, OnDone);
    ASSERT_TRUE(Loop.RunUntil([&] { return Done == 2; }));
    EXPECT_EQ(Port.Shown, std::vector<std::string>{UpToDate});
    EXPECT_EQ(Server.Heads().size(), 2u);
    EXPECT_EQ(Port.MenuStates, (std::vector<bool>{false, true, false, true}));
}

TEST_F(LortexLiteTest, ANewCheckMayStartFromTheHandlerOfTheLastOne) {
    TTestHttpServer Server(Answer(Reply(200, "OK", "2.1.1.21")));
    TLortexLite Checker(Log, "Quorvel", Loop, Options(Server.Base()));
    int Done = 0;
    std::function<void(TLortexLite&)> Again = [&](TLortexLite& C) {
        if (++Done < 3)
            C.StartCheck("Quorvel", Again); // releases the client that is reporting
    };
    Checker.StartCheck("Quorvel", Again);
    ASSERT_TRUE(Loop.RunUntil([&] { return Done == 3; }));
    EXPECT_TRUE(Checker.NewerAvailable);
    EXPECT_EQ(Server.Heads().size(), 3u);
}

TEST_F(LortexLiteTest, ReleasingTheCheckerMidRequestReportsNothing) {
    TTestHttpServer* Self = nullptr;
    TTestHttpServer Stall([&Self](TTestStream&, const std::string&) { Self->WaitStop(); });
    Self = &Stall;
    TTestHttpServer Quick(Answer(Reply(200, "OK", "9")));
    for (TTestHttpServer* Server : {&Stall, &Quick}) {
        int Done = 0;
        {
            TLortexLite Checker(Log, "Quorvel", Loop, Options(Server->Base()));
            Checker.StartCheck("Quorvel", [&](TLortexLite&) { ++Done; });
            EXPECT_TRUE(Checker.Busy);
            if (Server == &Quick) {
                EXPECT_TRUE(Loop.WaitPosted());
            }
        }
        Loop.RunPending();
        EXPECT_EQ(Done, 0);
    }
}

} // namespace
