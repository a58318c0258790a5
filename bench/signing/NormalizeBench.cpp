// NormalizeLineBreaks over 64 MiB of tool-like text: CR LF lines, bare LF
// lines and progress lines rewritten after CR.
#include "signing/CommandRunner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t Size = 64u << 20;
constexpr int Rounds = 7;
constexpr double TargetMBs = 500.0;

std::string MixedText() {
    std::mt19937 Random(20261210);
    std::string Text;
    Text.reserve(Size + 256);
    while (Text.size() < Size) {
        const std::size_t Length = 10 + Random() % 90;
        for (std::size_t I = 0; I < Length; ++I)
            Text += static_cast<char>('a' + Random() % 26);
        switch (Random() % 4) {
        case 0:
            Text += "\r\n";
            break;
        case 1:
            Text += '\n';
            break;
        case 2:
            Text += "\rprogress 100%\r\n";
            break;
        default:
            Text += '\r';
            break;
        }
    }
    Text.resize(Size);
    return Text;
}

double CpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

double Median(std::vector<double> Values) {
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

} // namespace

int main() {
    const std::string Text = MixedText();
    std::vector<double> Wall, Cpu;
    std::size_t Kept = 0;
    for (int I = 0; I < Rounds; ++I) {
        const auto Start = std::chrono::steady_clock::now();
        const double CpuStart = CpuSeconds();
        Kept += NormalizeLineBreaks(Text).size();
        Cpu.push_back(CpuSeconds() - CpuStart);
        Wall.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count());
    }
    const double MiB = static_cast<double>(Size) / (1024.0 * 1024.0);
    const double MBs = MiB / Median(Wall);
    std::printf("NormalizeLineBreaks: %zu MiB mixed CR / LF / CR LF text, median of %d rounds\n",
                Size >> 20, Rounds);
    std::printf("  %.0f MB/s (target >= %.0f MB/s): %s  [%zu bytes out per round]\n", MBs,
                TargetMBs, MBs >= TargetMBs ? "met" : "NOT met", Kept / Rounds);
    // On a shared machine the wall clock also counts other programs' turns.
    std::printf("  %.0f MB/s of this process's own CPU time\n", MiB / Median(Cpu));
    return 0;
}
