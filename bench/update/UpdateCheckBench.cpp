// Milliseconds from the start of one update check to its completion report,
// against a server on 127.0.0.1: the median of 50 checks over http and over
// https (a fresh connection, TLS context and handshake each time, as in the
// program; reading the system's trusted roots into the context is most of it).
#include "log/U_Log.h"
#include "tests/update/http/TestHttpServer.h"
#include "tests/update/http/TestLoop.h"
#include "tests/update/http/TestTls.h"
#include "update/OpenSslLoader.h"
#include "update/U_Lortex_Lite.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {
constexpr int Runs = 50;

double MedianCheckMs(const std::string& Base, const std::string& CaFile, TOpenSslLoader& Ssl) {
    TTestLoop Loop;
    TKLog Log("/nonexistent-quorvel-bench/Quorvel.log", false, 10000, false);
    TLortexLiteOptions Options;
    Options.ServiceBase = Base;
    Options.Ssl = &Ssl;
    Options.ExtraCaFile = CaFile;
    Options.Identify = [](const std::string&) {
        return TOwnIdentity{"Quorvel", "Tandrel", "2.1.1.20"};
    };
    TLortexLite Checker(Log, "Quorvel", Loop, Options);
    std::vector<double> Times;
    for (int I = 0; I < Runs; ++I) {
        bool Done = false;
        const auto Start = std::chrono::steady_clock::now();
        Checker.StartCheck("Quorvel", [&](TLortexLite&) { Done = true; });
        if (!Loop.RunUntil([&] { return Done; }) || !Checker.ReplyValid) {
            std::printf("check %d failed\n", I);
            return -1;
        }
        Times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - Start)
                .count());
    }
    std::sort(Times.begin(), Times.end());
    return (Times[Runs / 2 - 1] + Times[Runs / 2]) / 2;
}

void Report(const char* Name, double Ms, double TargetMs) {
    std::printf("%-28s median %8.3f ms   target %6.1f ms   ratio %5.3f\n", Name, Ms, TargetMs,
                Ms / TargetMs);
}
} // namespace

int main() {
    TOpenSslLoader Ssl;
    auto Handler = [](TTestStream& S, const std::string&) {
        S.Write(Reply(200, "OK", "2.1.1.20"));
    };
    {
        TTestHttpServer Server(Handler);
        Report("update check over http", MedianCheckMs(Server.Base(), "", Ssl), 20.0);
    }
    if (!Ssl.IsAvailable()) {
        std::printf("update check over https: no OpenSSL here\n");
        return 0;
    }
    const TTestPki& Pki = TestPki();
    TTestHttpServer Secure(Handler, TlsStream(Pki.ServerCert, Pki.ServerKey));
    Report("update check over https", MedianCheckMs(Secure.Base("https"), Pki.CaFile, Ssl), 100.0);
    return 0;
}
