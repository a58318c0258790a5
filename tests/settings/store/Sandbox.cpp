#include "tests/settings/store/Sandbox.h"

#include "settings/Registry.h"

void AddUninstallEntry(bool LocalMachine, const std::string& SubKey, const std::string& DisplayName,
                       bool ExpandSz) {
    TRegistry Reg(RegKeyAllAccess);
    Reg.RootKey = LocalMachine ? TRegRoot::LocalMachine : TRegRoot::CurrentUser;
    Reg.OpenKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + SubKey, true);
    if (DisplayName.empty())
        return;
    if (ExpandSz)
        Reg.WriteExpandString("DisplayName", DisplayName);
    else
        Reg.WriteString("DisplayName", DisplayName);
}
