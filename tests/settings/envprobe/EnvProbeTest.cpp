#include "settings/EnvProbe.h"
#include "log/U_Log.h"
#include "settings/versionhelpers.h"

#include <gtest/gtest.h>

#include <stdexcept>

#ifndef _WIN32
#include <sys/utsname.h>
#include <unistd.h>
#endif

namespace {

struct NTCase {
    std::optional<TNTVersion> Version;
    int Build;
    const char* Expected;
};

class NTVersionNameTest : public testing::TestWithParam<NTCase> {};

TEST_P(NTVersionNameTest, NamesTheVersion) {
    const NTCase& C = GetParam();
    EXPECT_EQ(NTVersionNameOf(C.Version, C.Build), C.Expected);
}

INSTANTIATE_TEST_SUITE_P(Table, NTVersionNameTest,
                         testing::Values(NTCase{TNTVersion{5, 0}, 2195, "5.0 (Windows 2000)"},
                                         NTCase{TNTVersion{5, 1}, 2600, "5.1 (Windows XP)"},
                                         NTCase{TNTVersion{5, 2}, 3790, "5.2"},
                                         NTCase{TNTVersion{6, 0}, 6002, "6.0 (Vista)"},
                                         NTCase{TNTVersion{6, 1}, 7601, "6.1 (Seven)"},
                                         NTCase{TNTVersion{6, 2}, 9200, "6.2 (Windows8)"},
                                         NTCase{TNTVersion{6, 3}, 9600, "6.3 (Windows8.1)"},
                                         NTCase{TNTVersion{6, 4}, 9841, "6.4"},
                                         NTCase{TNTVersion{10, 0}, 19045, "10.0.19045 (Windows10)"},
                                         NTCase{TNTVersion{10, 0}, 19999, "10.0.19999 (Windows10)"},
                                         NTCase{TNTVersion{10, 0}, 20000, "11.0.20000 (Windows11)"},
                                         NTCase{TNTVersion{10, 0}, 22631, "11.0.22631 (Windows11)"},
                                         NTCase{TNTVersion{10, 0}, 0, "10.0.0 (Windows10)"},
                                         NTCase{TNTVersion{10, 1}, 22631, "10.1"},
                                         NTCase{std::nullopt, 22631, "Unknown"}));

struct OSCase {
    std::optional<TOSVersion> Version;
    const char* Expected;
};

class WindowsOSNameTest : public testing::TestWithParam<OSCase> {};

TEST_P(WindowsOSNameTest, NamesTheSystem) {
    EXPECT_EQ(WindowsOSNameOf(GetParam().Version, [] { return std::string("NT name"); }),
              GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Table, WindowsOSNameTest,
                         testing::Values(OSCase{TOSVersion{1, 4, 0, ""}, "4.0 (95)"},
                                         OSCase{TOSVersion{1, 4, 10, " A "}, "4.10 (98SE)"},
                                         OSCase{TOSVersion{1, 4, 10, "A"}, "4.10 (98)"},
                                         OSCase{TOSVersion{1, 4, 10, ""}, "4.10 (98)"},
                                         OSCase{TOSVersion{1, 4, 90, " "}, "4.90 (ME)"},
                                         OSCase{TOSVersion{1, 4, 3, ""}, "4.3 (Unknown)"},
                                         OSCase{TOSVersion{2, 10, 0, ""}, "NT name"},
                                         OSCase{TOSVersion{3, 10, 0, ""}, "Unknown"},
                                         OSCase{std::nullopt, "Unknown"}));

TEST(EnvProbeTest, LinuxSystemTextNamesKernelAndDistribution) {
    EXPECT_EQ(LinuxOSNameOf("Linux", "6.1.0-18-amd64",
                            "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 "
                            "(bookworm)\"\nID=debian\n"),
              "Linux 6.1.0-18-amd64 (Debian GNU/Linux 12 (bookworm))");
    EXPECT_EQ(LinuxOSNameOf("Linux", "6.8.0", "PRETTY_NAME='Ubuntu \\\"24.04\\\"'\r\n"),
              "Linux 6.8.0 (Ubuntu \"24.04\")");
    EXPECT_EQ(LinuxOSNameOf("Linux", "6.8.0", "PRETTY_NAME_X=1\nPRETTY_NAME=Plain\n"),
              "Linux 6.8.0 (Plain)");
    EXPECT_EQ(LinuxOSNameOf("Linux", "6.8.0", ""), "Linux 6.8.0");
    EXPECT_EQ(LinuxOSNameOf("", "", "PRETTY_NAME=\"\""), "Unknown");
}

TEST(EnvProbeTest, SixtyFourBitMachineNames) {
    for (const char* Machine : {"x86_64", "aarch64", "ppc64le", "riscv64", "s390x", "mips64"})
        EXPECT_TRUE(Is64BitMachineName(Machine)) << Machine;
    for (const char* Machine : {"i686", "armv7l", "s390", "ppc", ""})
        EXPECT_FALSE(Is64BitMachineName(Machine)) << Machine;
}

TEST(EnvProbeTest, BuildNumbersReadAsWholeNumbers) {
    EXPECT_EQ(BuildNumberOf("22631"), 22631);
    EXPECT_EQ(BuildNumberOf(""), 0);
    EXPECT_EQ(BuildNumberOf("19045a"), 0);
    EXPECT_EQ(BuildNumberOf(" 1"), 0);
    EXPECT_EQ(BuildNumberOf("99999999999"), 0);
    EXPECT_EQ(YesNo(true), "Yes");
    EXPECT_EQ(YesNo(false), "No");
}

// The start-up block read back from the log, oldest first, messages only.
class StartupBlockTest : public testing::Test {
protected:
    std::vector<std::string> Messages(bool Debug, const std::optional<std::string>& Argument) {
        TKLog Log("", Debug, 10000, false, Hooks());
        WriteStartingLines(Log, "C:\\Quorvel\\Quorvel.exe", "Quorvel v2.1.1.20");
        WriteEnvironmentFacts(
            Log, Argument,
            [this] {
                Asked.push_back("OpenSSL");
                return std::string("OpenSSL 3.0.13 30 Jan 2024");
            },
            Probe());
        return Read(Log);
    }

    static TLogHooks Hooks() {
        TLogHooks H;
        H.Now = [] { return TLogTime{2024, 3, 5, 14, 7, 9}; };
        H.OpenInShell = [](const std::string&) { return true; };
        H.TimeSeparator = ':';
        return H;
    }

    static std::vector<std::string> Read(const TKLog& Log) {
        std::vector<std::string> Out;
        for (auto It = Log.Lines.rbegin(); It != Log.Lines.rend(); ++It) {
            EXPECT_EQ(It->rfind("Info\t[24-03-05 14:07:09]\t", 0) == 0 ||
                          It->rfind("Verbose\t[24-03-05 14:07:09]\t", 0) == 0,
                      true)
                << *It;
            Out.push_back(It->substr(It->rfind('\t') + 1));
        }
        return Out;
    }

    TEnvironmentProbe Probe() {
        return {[this] {
                    Asked.push_back("OS");
                    return std::string("11.0.22631 (Windows11)");
                },
                [this] {
                    Asked.push_back("64");
                    if (Fail64)
                        throw std::runtime_error("IsWow64Process failed");
                    return true;
                },
                [this] {
                    Asked.push_back("Admin");
                    return false;
                },
                [this](const std::string& Prefix) {
                    Asked.push_back("Installed " + Prefix);
                    return true;
                }};
    }

    std::vector<std::string> Asked;
    bool Fail64 = false;
};

TEST_F(StartupBlockTest, WritesTheTenLinesInOrder) {
    const std::vector<std::string> Expected = {"Starting",
                                               "Debug mode",
                                               "C:\\Quorvel\\Quorvel.exe",
                                               "Quorvel v2.1.1.20",
                                               "Windows : 11.0.22631 (Windows11)",
                                               "64Bits : Yes",
                                               "Administrator : No",
                                               "Portable : No",
                                               "--first",
                                               "OpenSSL : OpenSSL 3.0.13 30 Jan 2024"};
    EXPECT_EQ(Messages(true, "--first"), Expected);
    EXPECT_EQ(Asked, (std::vector<std::string>{"OS", "64", "Admin", "Installed Tandrel Quorvel",
                                               "OpenSSL"}));
}

TEST_F(StartupBlockTest, LeavesOutTheArgumentAndVerboseLines) {
    EXPECT_EQ(Messages(true, std::nullopt).size(), 9u);
    const std::vector<std::string> Plain = Messages(false, std::nullopt);
    ASSERT_EQ(Plain.size(), 8u);
    EXPECT_EQ(Plain[1], "C:\\Quorvel\\Quorvel.exe");
    // An empty argument is still an argument.
    EXPECT_EQ(Messages(false, "").size(), 9u);
}

TEST_F(StartupBlockTest, AFailingFactStopsTheBlockAfterTheLinesBefore) {
    Fail64 = true;
    TKLog Log("", false, 10000, false, Hooks());
    EXPECT_THROW(WriteEnvironmentFacts(
                     Log, std::nullopt, [] { return std::string(); }, Probe()),
                 std::runtime_error);
    EXPECT_EQ(Read(Log), std::vector<std::string>{"Windows : 11.0.22631 (Windows11)"});
}

// The real calls answer on this system without failing.
TEST(EnvProbeSystemTest, RealFactsAnswer) {
    const std::string OSName = GetOSName();
    EXPECT_FALSE(OSName.empty());
#ifdef _WIN32
    const std::string Build = GetCurrentBuildNumber();
    EXPECT_GT(BuildNumberOf(Build), 0) << Build;
    EXPECT_TRUE(QueryWorkstationVersion().has_value());
    EXPECT_NE(GetNTVersionName(BuildNumberOf(Build)), "Unknown");
    EXPECT_EQ(OSName, GetNTVersionName(BuildNumberOf(Build)));
    RunsAsAdministrator(); // either answer; it must not fail
#else
    EXPECT_EQ(OSName.rfind("Linux ", 0), 0u) << OSName;
    EXPECT_EQ(GetCurrentBuildNumber(), "");
    EXPECT_EQ(GetNTVersionName(22631), "Unknown");
    EXPECT_EQ(RunsAsAdministrator(), geteuid() == 0);
    // The log's "64Bits" answers for the kernel, also in a 64-bit build.
    utsname Name{};
    ASSERT_EQ(uname(&Name), 0);
    EXPECT_EQ(SystemEnvironmentProbe().Is64BitWindows(), Is64BitMachineName(Name.machine))
        << Name.machine;
#endif
}

} // namespace
