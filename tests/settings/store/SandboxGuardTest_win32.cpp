// The store tests empty the maker's registry key and data folder. Outside
// the build's own Wine prefix they must stop before touching anything: a
// copy of this program is run with another prefix named, and another
// product's data, put there beforehand, must still be there after it.
#include "tests/settings/store/Sandbox.h"
#include "tests/ui/win32/WinSandbox.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace fs = std::filesystem;

namespace {
// Sets a variable of this process for as long as it lives.
class TVariable {
public:
    TVariable(const char* Name, const std::string& Value) : Name(Name) {
        char Buffer[4096] = {};
        const DWORD Length = GetEnvironmentVariableA(Name, Buffer, sizeof Buffer);
        if (Length > 0 && Length < sizeof Buffer)
            Old = Buffer;
        SetEnvironmentVariableA(Name, Value.c_str());
    }
    ~TVariable() { SetEnvironmentVariableA(Name, Old ? Old->c_str() : nullptr); }
    TVariable(const TVariable&) = delete;
    TVariable& operator=(const TVariable&) = delete;

private:
    const char* Name;
    std::optional<std::string> Old;
};

// Runs this test program with Filter; its exit code, or nothing when it has
// not ended within a generous bound.
std::optional<DWORD> RunSelf(const std::string& Filter) {
    char Self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, Self, MAX_PATH);
    std::string CommandLine = "\"" + std::string(Self) + "\" --gtest_filter=" + Filter;
    STARTUPINFOA Startup{};
    Startup.cb = sizeof Startup;
    PROCESS_INFORMATION Process{};
    if (!CreateProcessA(nullptr, CommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &Startup, &Process))
        return std::nullopt;
    CloseHandle(Process.hThread);
    std::optional<DWORD> Code;
    if (WaitForSingleObject(Process.hProcess, 120000) == WAIT_OBJECT_0) {
        DWORD Exit = 0;
        GetExitCodeProcess(Process.hProcess, &Exit);
        Code = Exit;
    } else {
        TerminateProcess(Process.hProcess, 1);
    }
    CloseHandle(Process.hProcess);
    return Code;
}
} // namespace

TEST(StoreSandbox, RefusesToRunOutsideTheBuildsOwnWinePrefix) {
    TStoreSandbox Own; // in this build's prefix, so its clean-up may run
    const std::string OtherKey = "SOFTWARE\\Tandrel\\OtherProduct";
    const fs::path OtherFolder =
        fs::path(Sandbox::SpecialFolder(CSIDL_APPDATA)) / "Tandrel" / "OtherProduct";
    Sandbox::WriteRegText(HKEY_CURRENT_USER, OtherKey, "Data", "precious");
    Sandbox::WriteAll(OtherFolder / "data.txt", "precious");

    std::optional<DWORD> Code;
    {
        TVariable Elsewhere("WINEPREFIX", "/home/someone/.wine");
        Code = RunSelf("Portable.FirstPortableRunWithoutSettingsIniCreatesKeyThenFile");
    }
    ASSERT_TRUE(Code.has_value()) << "the refused run did not end";
    EXPECT_NE(*Code, 0u) << "the run outside the prefix must fail, not pass";
    EXPECT_EQ(Sandbox::RegText(HKEY_CURRENT_USER, OtherKey, "Data"), "precious");
    EXPECT_EQ(Sandbox::ReadAll(OtherFolder / "data.txt"), "precious");
}
