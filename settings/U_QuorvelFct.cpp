#include "settings/U_QuorvelFct.h"

#include "settings/Registry.h"

std::string ReadSetting(const std::string& Name) {
    std::string Result;
    TRegistry Reg(Is64BitWindows() ? RegKeyRead | RegKeyWow64_64Key : RegKeyAllAccess);
    Reg.RootKey = TRegRoot::CurrentUser;
    if (Reg.OpenKey(ProductKeyPath, true) && Reg.ValueExists(Name))
        Result = Reg.ReadString(Name);
    return Result;
}

bool WriteSetting(const std::string& Name, const std::string& Value) {
    TRegistry Reg(RegKeyAllAccess);
    Reg.RootKey = TRegRoot::CurrentUser;
    if (!Reg.OpenKey(ProductKeyPath, true))
        return false;
    Reg.WriteString(Name, Value);
    return true;
}

bool WriteIntSetting(const std::string& Name, std::int32_t Value) {
    return WriteSetting(Name, std::to_string(Value));
}
