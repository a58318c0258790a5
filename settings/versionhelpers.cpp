#include "settings/versionhelpers.h"

#include <cstdio>

namespace {

// Windows 11 kept the version 10.0; only its build numbers tell it apart.
constexpr int FirstWindows11Build = 20000;

std::string Format(const char* Pattern, int A, int B) {
    char Buffer[64];
    std::snprintf(Buffer, sizeof Buffer, Pattern, A, B);
    return Buffer;
}

} // namespace

std::string NTVersionNameOf(const std::optional<TNTVersion>& Version, int Build) {
    if (!Version)
        return "Unknown";
    const int Major = Version->Major;
    const int Minor = Version->Minor;
    const std::string Number = Format("%d.%d", Major, Minor);
    struct TSuffix {
        int Major, Minor;
        const char* Text;
    };
    static constexpr TSuffix Suffixes[] = {{5, 0, " (Windows 2000)"}, {5, 1, " (Windows XP)"},
                                           {6, 0, " (Vista)"},        {6, 1, " (Seven)"},
                                           {6, 2, " (Windows8)"},     {6, 3, " (Windows8.1)"}};
    for (const TSuffix& S : Suffixes)
        if (S.Major == Major && S.Minor == Minor)
            return Number + S.Text;
    if (Major == 10 && Minor == 0) {
        if (Build < FirstWindows11Build)
            return "10.0." + std::to_string(Build) + " (Windows10)";
        return "11.0." + std::to_string(Build) + " (Windows11)";
    }
    return Number;
}

std::string GetNTVersionName(int Build) {
    return NTVersionNameOf(QueryWorkstationVersion(), Build);
}
