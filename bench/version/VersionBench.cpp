// Parsing version texts, and resolving the version of an executable that
// carries the program's resource (what every update check does once).
#include "tests/update/version/PeFixture.h"
#include "update/U_LortexFct.h"
#include "update/U_Version.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double SecondsSince(std::chrono::steady_clock::time_point Start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

} // namespace

int main() {
    const std::vector<std::string> Texts = {
        "2.1.1.20",     "2.1",     "10.0.19045.3803", " 1.2.3.4",
        "$A.0x1F.7.-3", "beta1.0", "2.1.1.21\r\n",    ""};
    constexpr int ParseRounds = 2000000;
    std::int64_t Sink = 0;
    auto Start = std::chrono::steady_clock::now();
    TLortexVersion Version;
    for (int I = 0; I < ParseRounds; ++I) {
        Version.SetText(Texts[static_cast<std::size_t>(I) % Texts.size()]);
        Sink += Version.Build;
    }
    const double Rate = ParseRounds / SecondsSince(Start);
    constexpr double TargetRate = 1e6;
    std::printf("%-44s %12.0f /s  target >= %9.0f /s  ratio %5.2f\n", "SetText parse rate", Rate,
                TargetRate, Rate / TargetRate);

    const TTempFolder Folder;
    const std::string Exe = Folder.File("Quorvel.exe");
    WriteBinaryFile(Exe, BuildPeImage(true, BuildVersionInfoBlock(OwnVersionInfo())));
    constexpr int ResolveRounds = 2000;
    Start = std::chrono::steady_clock::now();
    for (int I = 0; I < ResolveRounds; ++I)
        Sink += static_cast<std::int64_t>(ResolveVersionText(Exe).size());
    const double Micros = SecondsSince(Start) * 1e6 / ResolveRounds;
    constexpr double TargetMicros = 500;
    std::printf("%-44s %12.1f us  target <= %9.1f us  ratio %5.2f\n",
                "ResolveVersionText on a PE executable", Micros, TargetMicros,
                Micros / TargetMicros);
    return Sink == 42 ? 1 : 0;
}
