// The facts about the run written to the log at start-up: the system, its
// bitness, administrator rights, portable use, the first argument and the
// OpenSSL version.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class TKLog;

// "Yes" or "No".
std::string YesNo(bool Value);
// Label + Value as one Info line.
void LogFact(TKLog& Log, const std::string& Label, const std::string& Value);

// The system text: the Windows naming table on Windows; on Linux the kernel
// name and release with the distribution's PRETTY_NAME.
std::string GetOSName();
// CurrentBuildNumber of HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion,
// or the empty text (always empty where there is no such registry).
std::string GetCurrentBuildNumber();
// Member of the Administrators group without deny-only marking (Windows);
// effective user id 0 (Linux). EOSError when the system cannot answer.
bool RunsAsAdministrator();

// The "64Bits" fact: whether the machine runs a 64-bit system. Windows:
// Is64BitWindows. Linux: a 64-bit kernel, whatever the build (a 64-bit
// program says so by itself; a 32-bit one asks the kernel's machine name).
bool Is64BitSystem();
// Whether a kernel's machine name (uname -m) names a 64-bit machine.
bool Is64BitMachineName(std::string_view Machine);

// What GetVersionExA reports.
struct TOSVersion {
    unsigned long PlatformId = 0;
    unsigned long Major = 0;
    unsigned long Minor = 0;
    std::string CSDVersion;
};
// The Windows naming: the 9x table, NTName for the NT family (asked only
// then), "Unknown" when there is no version or for another platform.
std::string WindowsOSNameOf(const std::optional<TOSVersion>& Version,
                            const std::function<std::string()>& NTName);
// "Linux 6.1.0-18-amd64 (Debian GNU/Linux 12 (bookworm))" from uname and the
// text of /etc/os-release; without a PRETTY_NAME the parenthesis is left out.
std::string LinuxOSNameOf(std::string_view KernelName, std::string_view Release,
                          std::string_view OsRelease);
// A whole number read from text, 0 when it is empty or not a number.
int BuildNumberOf(std::string_view Text);

// The system calls behind the block; tests replace them.
struct TEnvironmentProbe {
    std::function<std::string()> OSName;
    std::function<bool()> Is64BitWindows;
    std::function<bool()> RunsAsAdministrator;
    std::function<bool(const std::string&)> IsInstalled;
};
// The real calls: GetOSName, Is64BitSystem, RunsAsAdministrator, IsInstalled.
TEnvironmentProbe SystemEnvironmentProbe();

// Lines 1 to 4 of the start-up block: "Starting", "Debug mode" (Verbose),
// the executable's path and the window caption.
void WriteStartingLines(TKLog& Log, const std::string& ExePath, const std::string& Caption);
// Lines 5 to 10: "Windows : ", "64Bits : ", "Administrator : ", "Portable : ",
// the first command-line argument when there is one, "OpenSSL : ". Each fact
// is asked for just before its line is written, so an error of one leaves the
// lines before it in the log; OpenSSLVersionText is called last because its
// first call loads the library.
void WriteEnvironmentFacts(TKLog& Log, const std::optional<std::string>& FirstArgument,
                           const std::function<std::string()>& OpenSSLVersionText,
                           const TEnvironmentProbe& Probe = SystemEnvironmentProbe());
