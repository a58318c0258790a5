// TKLog: a whole-file save of a full log, and recording entries without
// debug logging (no saves).
#include "log/U_Log.h"

#include "bench/BenchReport.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

int main() {
    namespace fs = std::filesystem;
    const fs::path Folder = fs::temp_directory_path() / "quorvel-bench-log";
    fs::create_directories(Folder);
    const std::string Message(80, 'm');
    {
        TKLog Log((Folder / "Quorvel.log").string(), false, 10000, false);
        auto Start = std::chrono::steady_clock::now();
        for (int I = 0; I < 10000; ++I)
            Log.Write(Message, LogInfo);
        Report("Write x10000 without debug", MillisecondsSince(Start), 50);

        constexpr int Rounds = 20;
        Start = std::chrono::steady_clock::now();
        for (int I = 0; I < Rounds; ++I)
            Log.Flush();
        Report("Flush of 10000 entries (each)", MillisecondsSince(Start) / Rounds, 50);
    }
    fs::remove_all(Folder);
    return 0;
}
