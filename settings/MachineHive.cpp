#include "settings/MachineHive.h"

#include "AppInfo.h"
#include "settings/AtomicFile.h"
#include "settings/RegHive.h"
#include "settings/Registry.h"

namespace {
void AddEntry(THive& Hive) {
    auto& Entry =
        Hive.Create(std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") +
                    AppInfo::UninstallDisplayName);
    Entry.SetValue({"DisplayName", RegSz, AppInfo::UninstallDisplayName, 0});
    Entry.SetValue({"DisplayVersion", RegSz, AppInfo::FileVersionText, 0});
    Entry.SetValue({"Publisher", RegSz, AppInfo::Company, 0});
}
} // namespace

std::string MachineHiveText() {
    THive Hive("HKEY_LOCAL_MACHINE");
    AddEntry(Hive);
    return Hive.Serialize();
}

void WriteMachineHive(const std::string& Path) {
    THive Hive("HKEY_LOCAL_MACHINE");
    std::string Text;
    if (ReadFileText(Path, Text))
        Hive.Parse(Text);
    AddEntry(Hive);
    ReplaceFileAtomically(Path, Hive.Serialize());
}
