// How much the signtool stand-in adds to osslsigncode itself: the same image
// signed the same way (SHA256, no timestamp), once through the stand-in and
// once by osslsigncode directly, in alternation; the medians are compared.
#include "tests/fixtures/FixtureFiles.h"
#include "tests/fixtures/RunProgram.h"
#include "tests/fixtures/TempFolder.h"
#include "tests/fixtures/TestPki.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr int Rounds = 101;
constexpr double TargetRatio = 1.15;

struct TCost {
    double WallMs, CpuMs;
};

double CpuMsOfChildren() {
    rusage Usage{};
    ::getrusage(RUSAGE_CHILDREN, &Usage);
    auto Ms = [](const timeval& T) { return T.tv_sec * 1000.0 + T.tv_usec / 1000.0; };
    return Ms(Usage.ru_utime) + Ms(Usage.ru_stime);
}

// Wall time, and processor time of the program and of every process it
// waited for (osslsigncode, for the stand-in), which a loaded machine does
// not inflate.
TCost Measure(const std::vector<std::string>& Argv) {
    const double CpuBefore = CpuMsOfChildren();
    const auto Start = std::chrono::steady_clock::now();
    const TProgramRun Run = RunProgram(Argv);
    const auto End = std::chrono::steady_clock::now();
    if (Run.ExitStatus != 0) {
        std::fprintf(stderr, "%s failed:\n%s", Argv[0].c_str(), Run.Output.c_str());
        std::exit(2);
    }
    return {std::chrono::duration<double, std::milli>(End - Start).count(),
            CpuMsOfChildren() - CpuBefore};
}

double Median(std::vector<double> Values) {
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

} // namespace

int main() {
    const TFixtureFiles Files = FixtureFiles();
    if (!Files.PeMissing.empty()) {
        std::printf("signtool_bench: skipped: %s\n", Files.PeMissing.c_str());
        return 0;
    }
    TTempFolder Folder;
    std::filesystem::create_directory(Folder / "pki");
    const TTestPki Pki(Folder / "pki", "Bench-Pass#1");
    const std::string Image = ReadFileBytes(Files.Exe);

    std::vector<TCost> Direct, StandIn;
    for (int Round = 0; Round < Rounds; ++Round) {
        const std::string In = Folder / "direct.exe", Out = Folder / "direct-signed.exe";
        WriteFileBytes(In, Image);
        std::filesystem::remove(Out);
        Direct.push_back(Measure({"osslsigncode", "sign", "-pkcs12", Pki.SignerPfx, "-pass",
                                  Pki.Password, "-h", "sha256", "-in", In, "-out", Out}));

        const std::string Target = Folder / "standin.exe";
        WriteFileBytes(Target, Image);
        StandIn.push_back(Measure({Files.SignTool, "sign", "/fd", "SHA256", "/f", Pki.SignerPfx,
                                   "/p", Pki.Password, Target}));
    }
    std::printf("signtool stand-in overhead (%d rounds, %zu-byte image, SHA256, no timestamp)\n",
                Rounds, Image.size());
    bool Met = true;
    for (auto [Name, Field] :
         {std::pair{"wall time", &TCost::WallMs}, {"processor time", &TCost::CpuMs}}) {
        std::vector<double> D, S;
        for (const TCost& C : Direct)
            D.push_back(C.*Field);
        for (const TCost& C : StandIn)
            S.push_back(C.*Field);
        const double Ratio = Median(S) / Median(D);
        Met = Met && Ratio <= TargetRatio;
        std::printf(
            "  %-14s osslsigncode directly %7.2f ms, stand-in %7.2f ms (medians): ratio %.3f, "
            "target at most %.2f: %s\n",
            Name, Median(D), Median(S), Ratio, TargetRatio,
            Ratio <= TargetRatio ? "met" : "NOT MET");
    }
    double Load[1] = {0};
    if (::getloadavg(Load, 1) == 1)
        std::printf("  load average %.2f on %ld processors (wall times grow with load)\n", Load[0],
                    ::sysconf(_SC_NPROCESSORS_ONLN));
    return 0;
}
