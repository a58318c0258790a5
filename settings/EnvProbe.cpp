#include "settings/EnvProbe.h"

#include "AppInfo.h"
#include "log/U_Log.h"
#include "settings/U_OstrinUtils.h"
#include "settings/U_QuorvelFct.h"

#include <charconv>
#include <cstdio>

namespace {

std::string_view TrimLine(std::string_view Text) {
    while (!Text.empty() && (Text.back() == '\r' || Text.back() == ' ' || Text.back() == '\t'))
        Text.remove_suffix(1);
    while (!Text.empty() && (Text.front() == ' ' || Text.front() == '\t'))
        Text.remove_prefix(1);
    return Text;
}

// The value of one os-release key, its shell quotes removed.
std::string OsReleaseValue(std::string_view Text, std::string_view Key) {
    while (!Text.empty()) {
        const std::size_t End = Text.find('\n');
        const std::string_view Line = TrimLine(Text.substr(0, End));
        Text = End == std::string_view::npos ? std::string_view() : Text.substr(End + 1);
        if (Line.size() <= Key.size() || Line.substr(0, Key.size()) != Key ||
            Line[Key.size()] != '=')
            continue;
        std::string_view Value = Line.substr(Key.size() + 1);
        if (Value.size() >= 2 && (Value.front() == '"' || Value.front() == '\'') &&
            Value.back() == Value.front())
            Value = Value.substr(1, Value.size() - 2);
        std::string Out;
        for (std::size_t I = 0; I < Value.size(); ++I) {
            if (Value[I] == '\\' && I + 1 < Value.size())
                ++I;
            Out += Value[I];
        }
        return Out;
    }
    return {};
}

} // namespace

std::string YesNo(bool Value) {
    return Value ? "Yes" : "No";
}

void LogFact(TKLog& Log, const std::string& Label, const std::string& Value) {
    Log.Write(Label + Value, LogInfo);
}

int BuildNumberOf(std::string_view Text) {
    int Value = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    if (Error != std::errc() || End != Text.data() + Text.size())
        return 0;
    return Value;
}

std::string WindowsOSNameOf(const std::optional<TOSVersion>& Version,
                            const std::function<std::string()>& NTName) {
    constexpr unsigned long Win32Windows = 1, Win32NT = 2;
    if (!Version)
        return "Unknown";
    if (Version->PlatformId == Win32NT)
        return NTName();
    if (Version->PlatformId != Win32Windows)
        return "Unknown";
    char Number[48];
    std::snprintf(Number, sizeof Number, "%d.%d", static_cast<int>(Version->Major),
                  static_cast<int>(Version->Minor));
    const char* Suffix = " (Unknown)";
    if (Version->Major == 4 && Version->Minor == 0)
        Suffix = " (95)";
    else if (Version->Major == 4 && Version->Minor == 10)
        Suffix =
            Version->CSDVersion.size() >= 2 && Version->CSDVersion[1] == 'A' ? " (98SE)" : " (98)";
    else if (Version->Major == 4 && Version->Minor == 90)
        Suffix = " (ME)";
    return std::string(Number) + Suffix;
}

std::string LinuxOSNameOf(std::string_view KernelName, std::string_view Release,
                          std::string_view OsRelease) {
    std::string Name(KernelName);
    if (!Release.empty())
        Name += (Name.empty() ? "" : " ") + std::string(Release);
    const std::string Pretty = OsReleaseValue(OsRelease, "PRETTY_NAME");
    if (!Pretty.empty())
        Name += (Name.empty() ? "" : " ") + ("(" + Pretty + ")");
    return Name.empty() ? "Unknown" : Name;
}

bool Is64BitMachineName(std::string_view Machine) {
    // s390x is IBM Z's 64-bit name; every other 64-bit one says "64"
    // (x86_64, aarch64, ppc64le, riscv64, mips64, sparc64, loongarch64).
    return Machine.find("64") != std::string_view::npos || Machine == "s390x" || Machine == "alpha";
}

TEnvironmentProbe SystemEnvironmentProbe() {
    return {GetOSName, Is64BitSystem, RunsAsAdministrator, IsInstalled};
}

void WriteStartingLines(TKLog& Log, const std::string& ExePath, const std::string& Caption) {
    Log.Write("Starting", LogInfo);
    Log.Write("Debug mode", LogVerbose);
    Log.Write(ExePath, LogInfo);
    Log.Write(Caption, LogInfo);
}

void WriteEnvironmentFacts(TKLog& Log, const std::optional<std::string>& FirstArgument,
                           const std::function<std::string()>& OpenSSLVersionText,
                           const TEnvironmentProbe& Probe) {
    LogFact(Log, "Windows : ", Probe.OSName());
    LogFact(Log, "64Bits : ", YesNo(Probe.Is64BitWindows()));
    LogFact(Log, "Administrator : ", YesNo(Probe.RunsAsAdministrator()));
    LogFact(Log, "Portable : ", YesNo(!Probe.IsInstalled(AppInfo::UninstallDisplayName)));
    if (FirstArgument)
        Log.Write(*FirstArgument, LogInfo);
    LogFact(Log, "OpenSSL : ", OpenSSLVersionText());
}
