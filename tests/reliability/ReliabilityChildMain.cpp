// quorvel_reliability_child: the process that the crash tests kill or use
// as a misbehaving signing tool. Its first argument says what to do:
//   savelist PATH MARK  saves the file list of version 1, 0, 1, ... without end
//   savehive MARK       writes the setting Payload of version 1, 0, 1, ...
//                       without end (to the store the environment names)
//   exportini PATH MARK the same, exporting the product key to PATH each time
// The save modes create the file MARK once the first save is complete, so
// that the test need not open the file being saved (on Windows an open file
// cannot be replaced).
//   crash TEXT       writes TEXT to standard output, then crashes
//   hang PIDFILE     writes its process id to PIDFILE, then never ends
// Every further argument (a signing command line's) is ignored.
#include "settings/FileListFile.h"
#include "settings/U_QuorvelFct.h"
#include "tests/reliability/ReliabilityChild.h"
#include "tests/reliability/SaveLoops.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const std::string Mode = argv[1];
    const std::string Value = argc > 2 ? argv[2] : "";
    const std::string Third = argc > 3 ? argv[3] : "";
    auto Loop = [](const std::string& Mark, const auto& Save) {
        Save(1);
        std::ofstream{Mark};
        for (int Version = 0;; Version ^= 1)
            Save(Version);
    };
    if (Mode == "savelist")
        Loop(Third, [&](int Version) { SaveFileListFile(Value, FileListVersion(Version)); });
    if (Mode == "savehive")
        Loop(Value, [](int Version) { WriteSetting("Payload", HiveValueVersion(Version)); });
    if (Mode == "exportini")
        Loop(Third, [&](int Version) { ExportSettingsVersion(Version, Value); });
    if (Mode == "crash") {
        std::fwrite(Value.data(), 1, Value.size(), stdout);
        std::fflush(stdout);
        CrashNow();
    }
    if (Mode == "hang") {
        // Renamed into place, so the reader never sees half a number.
        std::ofstream(Value + ".part") << CurrentProcessId();
        std::filesystem::rename(Value + ".part", Value);
        SleepForever();
    }
    return 2;
}
