// Quorvel.exe: the program block and nothing else.
#include "AppInfo.h"
#include "ui/SystemServices.h"
#include "ui/win32/Win32Program.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string RunningExecutablePath() {
    std::vector<char> Path(MAX_PATH);
    for (;;) {
        const DWORD Length =
            GetModuleFileNameA(nullptr, Path.data(), static_cast<DWORD>(Path.size()));
        if (Length < Path.size())
            return std::string(Path.data(), Length);
        Path.resize(Path.size() * 2);
    }
}

// The arguments after the program's path, as the C runtime split them.
std::vector<std::string> Arguments() {
    std::vector<std::string> Result;
    for (int Index = 1; Index < __argc; ++Index)
        Result.emplace_back(__argv[Index]);
    return Result;
}

} // namespace

int WINAPI WinMain(HINSTANCE Instance, HINSTANCE, LPSTR, int ShowCommand) {
    TWin32Desktop Desktop;
    try {
        TComApartment Com;
        InitCommonControlClasses();
        auto Services = CreateSystemServices(RunningExecutablePath(), Arguments());
        TWin32Program Program(Instance, Desktop, *Services);
        Program.Show(ShowCommand);
        return Program.Run();
    } catch (const std::exception& Error) {
        // Only what fails before the message loop runs, or the loop itself.
        Desktop.ShowMessageBox(nullptr, Error.what(), AppInfo::Title, MB_OK | MB_ICONERROR);
        return 1;
    }
}
