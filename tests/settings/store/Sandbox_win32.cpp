#include "tests/settings/store/Sandbox.h"

#include "settings/Registry.h"
#include "settings/U_OstrinUtils.h"
#include "tests/ui/win32/WinSandbox.h"

#include <random>
#include <windows.h>

namespace fs = std::filesystem;

const char TStoreSandbox::Separator = '\\';

namespace {
const char* const UninstallKeys[] = {
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\",
    "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"};
} // namespace

TStoreSandbox::TStoreSandbox() {
    // Clean() empties the maker's whole key and folder and the program's
    // uninstaller entries.
    Sandbox::RequireOwnWinePrefix();
    std::random_device Random;
    Scratch = fs::temp_directory_path() / ("quorvel-store-" + std::to_string(Random()));
    fs::create_directories(Scratch);
    Clean();
}

TStoreSandbox::~TStoreSandbox() {
    Clean();
    std::error_code Ignored;
    fs::remove_all(Scratch, Ignored);
}

void TStoreSandbox::Clean() {
    for (const auto Root : {TRegRoot::CurrentUser, TRegRoot::LocalMachine}) {
        TRegistry Reg(RegKeyAllAccess);
        Reg.RootKey = Root;
        if (Root == TRegRoot::CurrentUser)
            Reg.DeleteKey("SOFTWARE\\Tandrel");
        for (const char* Key : UninstallKeys) {
            if (!Reg.OpenKey(Key, false))
                continue;
            for (const auto& Name : Reg.GetKeyNames())
                if (Name.rfind("QuorvelTest", 0) == 0 || Name.rfind("Tandrel Quorvel", 0) == 0)
                    Reg.DeleteKey(Key + Name);
        }
    }
    std::error_code Ignored;
    fs::remove_all(fs::path(GetSpecialFolder(CSIDL_APPDATA_NUMBER)) / "Tandrel", Ignored);
}

bool TStoreSandbox::BreakAppData() {
    return false;
}

std::shared_ptr<void> BlockWrites(const fs::path& Path) {
    // Shared for reading only: writers and replacers are refused, also when
    // the tests run as an administrator.
    HANDLE File = CreateFileA(Path.string().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return std::shared_ptr<void>(File, [](HANDLE H) {
        if (H != INVALID_HANDLE_VALUE)
            CloseHandle(H);
    });
}
