// The stand-in signing real Windows images through osslsigncode, driven with
// the command line Quorvel composes, checked with osslsigncode's verify
// against a CA and a timestamp server made for the test.
#include "signing/CommandRunner.h"
#include "signing/SigningSettings.h"
#include "tests/fixtures/FixtureFiles.h"
#include "tests/fixtures/RunProgram.h"
#include "tests/fixtures/TempFolder.h"
#include "tests/fixtures/TestPki.h"
#include "tests/fixtures/TimestampServer.h"
#include "tools/signtool/InPlaceSigner.h"

#include "core/AnsiText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <sys/stat.h>

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

struct TQuorvelRun {
    std::uint32_t ExitCode = 0;
    std::string Output; // with CR LF line breaks, as the log pane gets it
};

// One file signed the way Quorvel signs it: its command line, split and run
// by its own runner.
TQuorvelRun SignLikeQuorvel(const TSigningSettings& Settings, const std::string& Path) {
    TQuorvelRun Run;
    Run.ExitCode = RunAndCapture(BuildSignCommandLine(Settings, Path), Run.Output);
    return Run;
}

class SignToolEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Missing = MissingPrerequisite();
        if (!Missing.empty())
            return;
        PkiFolder = std::make_unique<TTempFolder>();
        Pki = std::make_unique<TTestPki>(PkiFolder->Path(), "Test-Pass#1");
    }
    static void TearDownTestSuite() {
        Pki.reset();
        PkiFolder.reset();
    }
    // These runs are the proof that signing works for real: scripts/test
    // installs every tool they need, so a missing one fails rather than
    // passing unnoticed as a skip.
    void SetUp() override {
        if (!Missing.empty())
            FAIL() << Missing << " (install the packages of scripts/lib/common.sh)";
    }

    static std::string MissingPrerequisite() {
        const TFixtureFiles Files = FixtureFiles();
        if (!Files.PeMissing.empty())
            return "No test images: " + Files.PeMissing;
        for (const char* Tool : {"osslsigncode", "openssl"})
            if (RunProgram({Tool, "version"}).ExitStatus == 127)
                return std::string(Tool) + " is not installed";
        return {};
    }

    // A copy of a test image in this test's folder, with the given mode.
    std::string Place(const std::string& Name, const std::string& Image, mode_t Mode = 0750) {
        const std::string Path = Work / Name;
        std::filesystem::create_directories(std::filesystem::path(Path).parent_path());
        WriteFileBytes(Path, ReadFileBytes(Image));
        ::chmod(Path.c_str(), Mode);
        return Path;
    }

    TSigningSettings Choice(int CertDigest = 0) const {
        TSigningSettings C;
        C.SignTool = FixtureFiles().SignTool;
        C.TimeStamping = false;
        C.Certificate = Pki->SignerPfx;
        C.Password = Pki->Password;
        C.CertDigest = CertDigest;
        return C;
    }

    TProgramRun Verify(const std::string& Path) const {
        return RunProgram({"osslsigncode", "verify", "-CAfile", Pki->CaCert, "-TSA-CAfile",
                           Pki->CaCert, "-in", Path});
    }

    static inline std::string Missing;
    static inline std::unique_ptr<TTempFolder> PkiFolder;
    static inline std::unique_ptr<TTestPki> Pki;
    TTempFolder Work;
};

mode_t ModeOf(const std::string& Path) {
    struct stat Info {};
    ::stat(Path.c_str(), &Info);
    return Info.st_mode & 07777;
}

TEST_F(SignToolEndToEnd, Sha256WithTimestamp) {
    const std::string Exe = Place("app.exe", FixtureFiles().Exe);
    TTimestampServer Server(*Pki);
    TSigningSettings C = Choice();
    C.TimeStamping = true;
    C.TimeStampURL = Server.Url();

    const TQuorvelRun Run = SignLikeQuorvel(C, Exe);
    EXPECT_EQ(Run.ExitCode, 0u) << Run.Output;
    EXPECT_EQ(Run.Output, "Done Adding Additional Store\r\nSuccessfully signed: " + Exe + "\r\n");
    EXPECT_EQ(Server.Answered(), 1);
    EXPECT_EQ(Server.QueryDigests(), std::vector<std::string>{"sha256"});

    const TProgramRun Check = Verify(Exe);
    EXPECT_EQ(Check.ExitStatus, 0) << Check.Output;
    EXPECT_THAT(Check.Output, HasSubstr("Message digest algorithm  : SHA256"));
    EXPECT_THAT(Check.Output, HasSubstr("Timestamp Server Signature verification: ok"));
    EXPECT_EQ(ModeOf(Exe), 0750u);
    EXPECT_EQ(FolderEntries(Work.Path()), std::vector<std::string>{"app.exe"});
}

TEST_F(SignToolEndToEnd, Sha256WithoutTimestamp) {
    const std::string Dll = Place("lib.dll", FixtureFiles().Dll);
    const TQuorvelRun Run = SignLikeQuorvel(Choice(), Dll);
    EXPECT_EQ(Run.ExitCode, 0u) << Run.Output;
    EXPECT_EQ(Run.Output, "Done Adding Additional Store\r\nSuccessfully signed: " + Dll + "\r\n");

    const TProgramRun Check = Verify(Dll);
    EXPECT_EQ(Check.ExitStatus, 0) << Check.Output;
    EXPECT_THAT(Check.Output, HasSubstr("Message digest algorithm  : SHA256"));
    EXPECT_THAT(Check.Output, HasSubstr("Timestamp is not available"));
}

// Quorvel leaves out /fd for SHA1; signtool warns and signs with SHA1.
TEST_F(SignToolEndToEnd, Sha1WithTheWarning) {
    const std::string Exe = Place("app.exe", FixtureFiles().Exe);
    TTimestampServer Server(*Pki);
    TSigningSettings C = Choice(1);
    C.TimeStamping = true;
    C.TimeStampURL = Server.Url();
    C.TimeStampDigest = 1;

    const TQuorvelRun Run = SignLikeQuorvel(C, Exe);
    EXPECT_EQ(Run.ExitCode, 0u) << Run.Output;
    EXPECT_THAT(Run.Output,
                testing::StartsWith("SignTool Warning: No file digest algorithm specified."));
    EXPECT_THAT(Run.Output, HasSubstr("\r\nSuccessfully signed: " + Exe + "\r\n"));

    const TProgramRun Check = Verify(Exe);
    EXPECT_EQ(Check.ExitStatus, 0) << Check.Output;
    EXPECT_THAT(Check.Output, HasSubstr("Message digest algorithm  : SHA1"));
    EXPECT_THAT(Check.Output, HasSubstr("Timestamp Server Signature verification: ok"));
}

TEST_F(SignToolEndToEnd, BlanksInTheCertificateAndFilePaths) {
    const std::string Exe = Place("my files/app one.exe", FixtureFiles().Exe);
    const std::string Pfx = Work / "my certs/test signer.pfx";
    std::filesystem::create_directories(Work / "my certs");
    std::filesystem::copy_file(Pki->SignerPfx, Pfx);
    TSigningSettings C = Choice();
    C.Certificate = Pfx;

    const TQuorvelRun Run = SignLikeQuorvel(C, Exe);
    EXPECT_EQ(Run.ExitCode, 0u) << Run.Output;
    EXPECT_THAT(Run.Output, HasSubstr("Successfully signed: " + Exe + "\r\n"));
    EXPECT_EQ(Verify(Exe).ExitStatus, 0);
}

// The scratch folder beside the file must not borrow the file's name, which
// may already be as long as a name can be.
TEST_F(SignToolEndToEnd, TheLongestFileNameSigns) {
    const std::string Exe = Place(std::string(251, 'n') + ".exe", FixtureFiles().Exe);
    const TQuorvelRun Run = SignLikeQuorvel(Choice(), Exe);
    EXPECT_EQ(Run.ExitCode, 0u) << Run.Output;
    EXPECT_EQ(Verify(Exe).ExitStatus, 0);
}

// An empty password field gives "/p" followed by blanks only: the
// password-less PFX file signs, with and without timestamping.
TEST_F(SignToolEndToEnd, AnEmptyPasswordFieldMeansAnEmptyPassword) {
    TTimestampServer Server(*Pki);
    for (bool TimeStamping : {false, true}) {
        SCOPED_TRACE(TimeStamping);
        const std::string Exe =
            Place(TimeStamping ? "stamped.exe" : "plain.exe", FixtureFiles().Exe);
        TSigningSettings C = Choice();
        C.Certificate = Pki->EmptyPasswordPfx;
        C.Password = "";
        C.TimeStamping = TimeStamping;
        C.TimeStampURL = Server.Url();
        const TQuorvelRun Run = SignLikeQuorvel(C, Exe);
        EXPECT_EQ(Run.ExitCode, 0u) << Run.Output;
        EXPECT_EQ(Verify(Exe).ExitStatus, 0);
    }
}

// A link is signed through: the file it names is signed, the link stays.
TEST_F(SignToolEndToEnd, ALinkStaysALink) {
    const std::string Exe = Place("real/app.exe", FixtureFiles().Exe);
    const std::string Link = Work / "app.exe";
    std::filesystem::create_symlink(Exe, Link);
    const TQuorvelRun Run = SignLikeQuorvel(Choice(), Link);
    EXPECT_EQ(Run.ExitCode, 0u) << Run.Output;
    EXPECT_TRUE(std::filesystem::is_symlink(Link));
    EXPECT_EQ(Verify(Exe).ExitStatus, 0);
    EXPECT_EQ(FolderEntries(Work / "real"), std::vector<std::string>{"app.exe"});
}

struct TFailureCase {
    const char* Name;
    const char* Expected; // in the output
    std::function<void(TSigningSettings&, std::string& Path, const TTestPki&)> Arrange;
};

TEST_F(SignToolEndToEnd, FailuresLeaveTheFileAsItWas) {
    const std::string Unreachable = UnreachableLocalUrl();
    const TFailureCase Cases[] = {
        {"wrong password", "SignTool Error: The specified PFX password is not correct.\r\n",
         [](TSigningSettings& C, std::string&, const TTestPki&) { C.Password = "wrong"; }},
        {"missing certificate", "SignTool Error: File not found: ",
         [](TSigningSettings& C, std::string&, const TTestPki& P) {
             C.Certificate = P.Folder + "/none.pfx";
         }},
        {"certificate that is no PFX", "could not be read as a PFX",
         [](TSigningSettings& C, std::string&, const TTestPki& P) { C.Certificate = P.CaCert; }},
        {"missing file", "SignTool Error: File not found: ",
         [](TSigningSettings&, std::string& Path, const TTestPki&) { Path += ".missing"; }},
        {"text file named .exe", "This file format cannot be signed because it is not recognized.",
         [](TSigningSettings&, std::string& Path, const TTestPki&) {
             WriteFileBytes(Path, "Just a text file, not a program.\n");
         }},
        {"unreachable timestamp server",
         "SignTool Error: The specified timestamp server either could not be reached or returned "
         "an invalid response.\r\n",
         [&Unreachable](TSigningSettings& C, std::string&, const TTestPki&) {
             C.TimeStamping = true;
             C.TimeStampURL = Unreachable;
         }},
        {"read-only file", "SignTool Error: The file is read-only",
         [](TSigningSettings&, std::string& Path, const TTestPki&) {
             ::chmod(Path.c_str(), 0444);
         }},
    };
    for (const TFailureCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        // Every case in a folder of its own whose name holds the word that
        // must not appear, so an echoed path would be caught.
        std::string Path =
            Place(std::string("Success ") + Case.Name + "/app.exe", FixtureFiles().Exe);
        TSigningSettings C = Choice();
        Case.Arrange(C, Path, *Pki);
        const std::string Folder = std::filesystem::path(Path).parent_path();
        const std::vector<std::string> Before = FolderEntries(Folder);
        const std::string Bytes = ReadFileBytes(Folder + "/app.exe");
        const mode_t Mode = ModeOf(Folder + "/app.exe");

        const TQuorvelRun Run = SignLikeQuorvel(C, Path);
        EXPECT_NE(Run.ExitCode, 0u);
        EXPECT_THAT(Run.Output, HasSubstr(Case.Expected));
        EXPECT_THAT(Run.Output,
                    HasSubstr("SignTool Error: An error occurred while attempting to sign: "));
        EXPECT_THAT(Run.Output, testing::EndsWith("Number of errors: 1\r\n"));
        EXPECT_FALSE(ContainsTextAZ("success", Run.Output)) << Run.Output;
        EXPECT_EQ(ReadFileBytes(Folder + "/app.exe"), Bytes);
        EXPECT_EQ(ModeOf(Folder + "/app.exe"), Mode);
        EXPECT_EQ(FolderEntries(Folder), Before);
    }
}

// osslsigncode gets the password through a pipe, never as an argument
// that every user of the system could read.
TEST_F(SignToolEndToEnd, ThePasswordIsNeverAnArgument) {
    const std::string Exe = Place("app.exe", FixtureFiles().Exe);
    const std::string Fake = Work / "fake-osslsigncode";
    WriteFileBytes(Fake, "#!/bin/sh\n"
                         "printf '%s\\n' \"$@\" > \"" +
                             Work / "arguments" +
                             "\"\n"
                             "while [ \"$1\" != -readpass ]; do shift; done\n"
                             "cat \"$2\" > \"" +
                             Work / "password" +
                             "\"\n"
                             "exit 1\n");
    ::chmod(Fake.c_str(), 0700);
    TSignRequest Request;
    Request.FileDigest = "SHA256";
    Request.Certificate = Pki->SignerPfx;
    Request.Password = "Pass word-42";
    Request.Files = {Exe};

    EXPECT_EQ(SignFileInPlace(Request, Exe, Fake).Failure, TSignFailure::Other);
    EXPECT_EQ(ReadFileBytes(Work / "password"), "Pass word-42");
    const std::string Arguments = ReadFileBytes(Work / "arguments");
    EXPECT_THAT(Arguments, HasSubstr("-readpass\n"));
    EXPECT_THAT(Arguments, Not(HasSubstr("Pass word")));
}

} // namespace
