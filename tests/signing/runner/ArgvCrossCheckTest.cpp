// One table, two platforms: under Wine the child's argv comes from the real
// CreateProcess and C runtime rules, on Linux from our splitter. Both must
// give the child the arguments the table lists.
#include "signing/CommandRunner.h"
#include "tests/fixtures/TempFolder.h"
#include "tests/helpers/ChildProc.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using TArgs = std::vector<std::string>;

const struct {
    const char* Tail;
    TArgs Expected;
} ArgvCases[] = {
    {"plain words", {"plain", "words"}},
    {"x\t \ty", {"x", "y"}},
    {"\"a b\" c", {"a b", "c"}},
    {"\"\" x \"\"", {"", "x", ""}},
    {"a\"b c\"d", {"ab cd"}},
    {"\\\"a", {"\"a"}},
    {"a\\\\\"b c\"", {"a\\b c"}},
    {"a\\\\\\\"b", {"a\\\"b"}},
    {"a\\\\b c\\", {"a\\\\b", "c\\"}},
    {"\"C:\\dir\\\\\" next", {"C:\\dir\\", "next"}},
    {"\"C:\\dir\\\" next", {"C:\\dir\" next"}},
    {"/p  /tr  \"C:\\My Files\\a b.exe\"", {"/p", "/tr", "C:\\My Files\\a b.exe"}},
};

class ArgvCrossCheck : public testing::Test {
protected:
    // A copy of the child in a folder whose name has a blank, so that an
    // unquoted path to it must be resolved prefix by prefix.
    void SetUp() override {
        const std::filesystem::path Original = ChildProcPath();
        const std::filesystem::path Dir = std::filesystem::path(Folder.Path()) / "child dir";
        std::filesystem::create_directory(Dir);
        Copy = Dir / Original.filename();
        std::filesystem::copy_file(Original, Copy);
    }

    void Check(const std::string& Program, const TArgs& ProgramArgs) {
        for (const auto& Case : ArgvCases) {
            const std::string Line = Program + " @argv " + Case.Tail;
            std::string Output;
            ASSERT_EQ(RunAndCapture(Line, Output), 0u) << Line;
            const TArgs Reported = ParseReportedArgv(Output);

            TArgs Expected = ProgramArgs;
            Expected.push_back("@argv");
            Expected.insert(Expected.end(), Case.Expected.begin(), Case.Expected.end());
            EXPECT_EQ(Reported, Expected) << Line;
        }
    }

    TTempFolder Folder;
    std::filesystem::path Copy;
};

TEST_F(ArgvCrossCheck, QuotedProgramPath) {
    Check("\"" + Copy.string() + "\"", {Copy.string()});
}

// Windows runs the file that the shortest blank-separated prefix names
// (".exe" added) and hands the child that prefix as one argument.
TEST_F(ArgvCrossCheck, UnquotedProgramPathWithABlank) {
    std::filesystem::path Bare = Copy;
    Bare.replace_extension();
    const std::string Text = Bare.string();
    ASSERT_NE(Text.find(' '), std::string::npos);
    Check(Text, {Text});
}

} // namespace
