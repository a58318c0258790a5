// One test's private world for the whole program: its own HOME and XDG
// folders (so the per-user hive, data folder and log are the test's own), and
// a program folder app/bin/quorvel beside app/lib/quorvel/sdk/ holding this
// build's signing tool, the layout the program looks for. app/bin/quorvel
// links to the running test program, which then answers for its version.
#pragma once

#include "tests/fixtures/TempFolder.h"

#include <map>
#include <optional>
#include <string>

class TQtSandbox {
public:
    TQtSandbox();
    ~TQtSandbox(); // puts the environment back
    TQtSandbox(const TQtSandbox&) = delete;
    TQtSandbox& operator=(const TQtSandbox&) = delete;

    TTempFolder Temp;
    std::string ExePath;       // app/bin/quorvel
    std::string ProgramFolder; // app/bin/
    std::string SignTool;      // the tool as discovery finds it
    std::string ConfigHome, DataHome, StateHome;
    // $XDG_CONFIG_DIRS, where the machine hive is looked for: Temp/etc/xdg,
    // so that an install staged with DESTDIR=Temp lands there.
    std::string MachineConfigDir;
    std::string UserHive;   // $XDG_CONFIG_HOME/quorvel/HKEY_CURRENT_USER.reg
    std::string DataFolder; // $XDG_DATA_HOME/Tandrel/Quorvel
    // An address on 127.0.0.1 where nothing listens: the update check fails
    // at once and nothing leaves the machine.
    std::string DeadServiceBase;

private:
    void SetEnv(const char* Name, const std::string& Value);
    std::map<std::string, std::optional<std::string>> Saved;
};

bool PathExists(const std::string& Path);
