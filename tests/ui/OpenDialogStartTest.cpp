// The file-open dialog's start name: the last choice only where the dialog's
// filter shows it, its folder otherwise.
#include "ui/OpenDialogStart.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string AddFilter = "All Supported Files|*.exe;*.dll;*.ocx;*.cpl;*.scr;|Exe Files|*.exe;"
                              "|Dll Files|*.dll;|Screen Savers|*.scr;";
const std::string AnyFilter = "X.509 Certificate|*.*";

struct TStartCase {
    const char* Why;
    std::string LastChoice;
    std::string Filter;
    std::string Expected;
};

TEST(OpenDialogStartName, KeepsAShownFileAndOtherwiseOnlyItsFolder) {
    const TStartCase Cases[] = {
        {"a certificate never starts the Add dialog", "C:\\certs\\me.pfx", AddFilter,
         "C:\\certs\\"},
        {"a file the filter shows", "C:\\apps\\tool.dll", AddFilter, "C:\\apps\\tool.dll"},
        {"letter case aside", "C:\\apps\\TOOL.Exe", AddFilter, "C:\\apps\\TOOL.Exe"},
        {"a later pattern list counts", "/srv/me.pfx", "Exe|*.exe;|Keys|*.pfx", "/srv/me.pfx"},
        {"*.* shows any name, with or without a dot", "/home/u/cert", AnyFilter, "/home/u/cert"},
        {"a filter's display name is no pattern", "C:\\x\\a.pfx", "*.pfx|*.exe;", "C:\\x\\"},
        {"the folder's name does not count", "C:\\out.exe\\me.pfx", AddFilter, "C:\\out.exe\\"},
        {"a POSIX folder keeps its slash", "/home/u/me.pfx", AddFilter, "/home/u/"},
        {"a bare name has no folder to keep", "me.pfx", AddFilter, ""},
        {"a folder alone stays", "C:\\certs\\", AddFilter, "C:\\certs\\"},
        {"nothing chosen yet", "", AddFilter, ""},
        {"an empty filter shows nothing", "C:\\a\\b.exe", "", "C:\\a\\"},
        {"a suffix is not a match", "C:\\a\\b.exe.bak", AddFilter, "C:\\a\\"},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(OpenDialogStartName(Case.LastChoice, Case.Filter), Case.Expected) << Case.Why;
}

TEST(OpenDialogStartName, MatchesWildcardsAnywhereInThePattern) {
    const std::string Filter = "Tools|signtool*.exe;?ign.ps1";
    EXPECT_EQ(OpenDialogStartName("C:\\k\\SignTool-x64.EXE", Filter), "C:\\k\\SignTool-x64.EXE");
    EXPECT_EQ(OpenDialogStartName("C:\\k\\sign.ps1", Filter), "C:\\k\\sign.ps1");
    EXPECT_EQ(OpenDialogStartName("C:\\k\\design.ps1", Filter), "C:\\k\\");
    EXPECT_EQ(OpenDialogStartName("C:\\k\\signtool.exe.old", Filter), "C:\\k\\");
}

} // namespace
