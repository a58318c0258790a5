// ReadSetting and WriteSetting on the Linux hive file with 1000 values
// present; a write includes the locked read, the temporary file, fsync and
// the rename.
#include "settings/U_QuorvelFct.h"

#include "bench/BenchReport.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

int main() {
    namespace fs = std::filesystem;
    const fs::path Folder = fs::temp_directory_path() / "quorvel-bench-settings";
    fs::remove_all(Folder);
    fs::create_directories(Folder);
    setenv("XDG_CONFIG_HOME", Folder.c_str(), 1);
    for (int I = 0; I < 1000; ++I)
        WriteSetting("Value" + std::to_string(I),
                     "C:\\Program Files\\Some Folder\\file" + std::to_string(I) + ".exe");
    constexpr int Rounds = 200;
    auto Start = std::chrono::steady_clock::now();
    for (int I = 0; I < Rounds; ++I)
        WriteSetting("Value" + std::to_string(I * 5), "changed " + std::to_string(I));
    Report("WriteSetting, 1000 values present (per call)", MillisecondsSince(Start) / Rounds, 2);

    Start = std::chrono::steady_clock::now();
    for (int I = 0; I < Rounds; ++I)
        ReadSetting("Value" + std::to_string(I * 5));
    Report("ReadSetting, 1000 values present (per call)", MillisecondsSince(Start) / Rounds, 2);
    fs::remove_all(Folder);
    return 0;
}
