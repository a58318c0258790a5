#include "signing/CommandLineSplit.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using TArgs = std::vector<std::string>;

TEST(SplitCommandLine, FollowsTheMicrosoftRuntimeRules) {
    const struct {
        const char* Line;
        TArgs Expected;
    } Cases[] = {
        {"prog", {"prog"}},
        {"prog a b", {"prog", "a", "b"}},
        {"prog  \t a\t\tb  ", {"prog", "a", "b"}},
        {"\"C:\\My Tools\\prog.exe\" a", {"C:\\My Tools\\prog.exe", "a"}},
        {"C:\\My Tools\\prog.exe a", {"C:\\My", "Tools\\prog.exe", "a"}},
        // argv[0] knows no escapes: its backslashes stay, quotes only group.
        {"C:\\dir\\\"x y\"\\p\\ z", {"C:\\dir\\x y\\p\\", "z"}},
        {"prog \"a b\" c", {"prog", "a b", "c"}},
        {"prog a\"b c\"d", {"prog", "ab cd"}},
        {"prog \"\" x \"\"", {"prog", "", "x", ""}},
        {"prog \\\"a", {"prog", "\"a"}},
        {"prog a\\\\\"b c\"", {"prog", "a\\b c"}},
        {"prog a\\\\\\\"b", {"prog", "a\\\"b"}},
        {"prog a\\\\b c\\", {"prog", "a\\\\b", "c\\"}},
        {"prog \"C:\\dir\\\\\" next", {"prog", "C:\\dir\\", "next"}},
        {"prog \"C:\\dir\\\" next", {"prog", "C:\\dir\" next"}},
        {"prog \"a\"\"b\"", {"prog", "a\"b"}},
        {"prog \"unterminated arg", {"prog", "unterminated arg"}},
        {"", {""}},
        {" prog", {"", "prog"}},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(SplitCommandLine(Case.Line), Case.Expected) << Case.Line;
}

TEST(ProgramCandidates, TriesEachLongerPrefixUnlessQuoted) {
    const struct {
        const char* Line;
        TArgs Expected;
    } Cases[] = {
        {"prog", {"prog"}},
        {"\"C:\\a b\\p.exe\" x y", {"C:\\a b\\p.exe"}},
        {"\"C:\\a b\\p.exe", {"C:\\a b\\p.exe"}},
        {"C:\\a b\\p x", {"C:\\a", "C:\\a b\\p", "C:\\a b\\p x"}},
        {"  p  q ", {"p", "p  q"}},
        {"p\tq", {"p", "p\tq"}},
        {"", {}},
        {"   ", {}},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(ProgramCandidates(Case.Line), Case.Expected) << Case.Line;
}

TEST(ResolveCommandLine, RunsTheFirstPrefixThatNamesAFileAndQuotesItForTheChild) {
    const std::set<std::string> Files = {"/opt/my tools/sign", "/opt/my tools/sign tool.exe",
                                         "/x/run.exe", "/x/plain"};
    std::vector<std::string> Asked;
    auto Locate = [&](const std::string& Name) -> std::optional<std::string> {
        Asked.push_back(Name);
        if (Files.count(Name))
            return "found:" + Name;
        return std::nullopt;
    };
    const struct {
        const char* Line;
        const char* File;
        TArgs Args;
    } Cases[] = {
        {"/opt/my tools/sign tool /f \"a b\"",
         "found:/opt/my tools/sign",
         {"/opt/my tools/sign", "tool", "/f", "a b"}},
        {"\"/opt/my tools/sign tool\" /f x",
         "found:/opt/my tools/sign tool.exe",
         {"/opt/my tools/sign tool", "/f", "x"}},
        {"  /opt/my tools/sign  x", "found:/opt/my tools/sign", {"/opt/my tools/sign", "x"}},
        {"/x/run arg", "found:/x/run.exe", {"/x/run", "arg"}},
        {"/x/pl\"ain\" arg", nullptr, {}},
        {"/x/plain \"q\\\" r\"", "found:/x/plain", {"/x/plain", "q\" r"}},
    };
    for (const auto& Case : Cases) {
        const auto Found = ResolveCommandLine(Case.Line, Locate);
        if (!Case.File) {
            EXPECT_EQ(Found, std::nullopt) << Case.Line;
            continue;
        }
        ASSERT_TRUE(Found) << Case.Line;
        EXPECT_EQ(Found->File, Case.File) << Case.Line;
        EXPECT_EQ(Found->Args, Case.Args) << Case.Line;
    }

    Asked.clear();
    ResolveCommandLine("/opt/my tools/sign tool", Locate);
    EXPECT_EQ(Asked, (TArgs{"/opt/my", "/opt/my.exe", "/opt/my tools/sign"}));
    EXPECT_EQ(ResolveCommandLine("/nowhere/prog arg", Locate), std::nullopt);
    EXPECT_EQ(ResolveCommandLine("", Locate), std::nullopt);
}

} // namespace
