// The stand-in signing real Windows images with a key on a SoftHSM2 token
// made by the test, driven as Quorvel drives it (the composed /sha1 line,
// the PIN in the environment), checked with osslsigncode's verify against
// the test CA; and each way it can fail leaves the file as it was.
#include "signing/CertStore.h"
#include "signing/CommandRunner.h"
#include "signing/SigningSettings.h"
#include "tests/fixtures/FixtureFiles.h"
#include "tests/fixtures/RunProgram.h"
#include "tests/fixtures/TempFolder.h"
#include "tests/fixtures/TestPki.h"
#include "tests/fixtures/TimestampServer.h"
#include "tests/signing/certstore/SoftHsmToken.h"

#include "core/AnsiText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <sys/stat.h>

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

constexpr const char* Pin = "4711-pin";

struct TQuorvelRun {
    std::uint32_t ExitCode = 0;
    std::string Output;
};

TQuorvelRun SignLikeQuorvel(const TSigningSettings& Settings, const std::string& Path,
                            TRunOptions Options = {}) {
    for (auto& Variable : SigningEnvironment(Settings))
        Options.Environment.push_back(std::move(Variable));
    TQuorvelRun Run;
    Run.ExitCode = RunAndCaptureWith(BuildSignCommandLine(Settings, Path), Run.Output, Options);
    return Run;
}

class SignToolOnToken : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Missing = TSoftHsmToken::MissingPrerequisite();
        const TFixtureFiles Files = FixtureFiles();
        if (Missing.empty() && !Files.PeMissing.empty())
            Missing = "No test images: " + Files.PeMissing;
        if (!Missing.empty())
            return;
        Folder = std::make_unique<TTempFolder>();
        Pki = std::make_unique<TTestPki>(Folder->Path(), "Test-Pass#1");
        Token = std::make_unique<TSoftHsmToken>(Folder->Path(), "Quorvel Signing Token", Pin);
        Token->Import(Pki->Folder + "/signer.key", Pki->Folder + "/signer.crt", "5a01");
        Thumbprint = OpenSslThumbprint(Pki->Folder + "/signer.crt");
    }
    static void TearDownTestSuite() {
        Token.reset();
        Pki.reset();
        Folder.reset();
    }
    // These runs are the proof that signing works for real: scripts/test
    // installs every tool they need, so a missing one fails rather than
    // passing unnoticed as a skip.
    void SetUp() override {
        if (!Missing.empty())
            FAIL() << Missing << " (install the packages of scripts/lib/common.sh)";
    }

    std::string Place(const std::string& Name, const std::string& Image) {
        const std::string Path = Work / Name;
        std::filesystem::create_directories(std::filesystem::path(Path).parent_path());
        WriteFileBytes(Path, ReadFileBytes(Image));
        ::chmod(Path.c_str(), 0750);
        return Path;
    }

    static TSigningSettings Choice() {
        TSigningSettings C;
        C.SignTool = FixtureFiles().SignTool;
        C.TimeStamping = false;
        C.CertSource = TCertSource::Store;
        C.CertThumbprint = Thumbprint;
        C.Password = Pin;
        return C;
    }

    TProgramRun Verify(const std::string& Path) const {
        return RunProgram({"osslsigncode", "verify", "-CAfile", Pki->CaCert, "-TSA-CAfile",
                           Pki->CaCert, "-in", Path});
    }

    static inline std::string Missing, Thumbprint;
    static inline std::unique_ptr<TTempFolder> Folder;
    static inline std::unique_ptr<TTestPki> Pki;
    static inline std::unique_ptr<TSoftHsmToken> Token;
    TTempFolder Work;
};

TEST_F(SignToolOnToken, SignsImagesByThumbprintAndTheyVerify) {
    TTimestampServer Server(*Pki);
    struct {
        std::string Image;
        bool TimeStamp;
    } const Cases[] = {{FixtureFiles().Exe, true}, {FixtureFiles().Dll, false}};
    for (const auto& Case : Cases) {
        const std::string Path =
            Place(std::filesystem::path(Case.Image).filename().string(), Case.Image);
        TSigningSettings C = Choice();
        C.TimeStamping = Case.TimeStamp;
        C.TimeStampURL = Server.Url();

        const TQuorvelRun Run = SignLikeQuorvel(C, Path);
        EXPECT_EQ(Run.ExitCode, 0u) << Run.Output;
        EXPECT_EQ(Run.Output,
                  "Done Adding Additional Store\r\nSuccessfully signed: " + Path + "\r\n");

        const TProgramRun Check = Verify(Path);
        EXPECT_EQ(Check.ExitStatus, 0) << Check.Output;
        EXPECT_THAT(Check.Output, HasSubstr("Message digest algorithm  : SHA256"));
        EXPECT_THAT(Check.Output, HasSubstr("Subject: /CN=Quorvel Test Signer"));
        if (Case.TimeStamp) {
            EXPECT_THAT(Check.Output, HasSubstr("Timestamp Server Signature verification: ok"));
        }
    }
    EXPECT_EQ(Server.Answered(), 1);
}

struct TFailureCase {
    const char* Name;
    const char* Expected;
    std::function<void(TSigningSettings&)> Arrange;
};

TEST_F(SignToolOnToken, FailuresLeaveTheFileAsItWas) {
    // A token of its own, taken away between the choice and the signing.
    TTempFolder RemovedFolder;
    std::unique_ptr<TSoftHsmToken> Removed;
    std::string OtherThumb = Thumbprint;
    OtherThumb[5] = OtherThumb[5] == '0' ? '1' : '0';
    const TFailureCase Cases[] = {
        {"wrong PIN", "SignTool Error: The token's PIN is not correct.\r\n",
         [](TSigningSettings& C) { C.Password = "0000"; }},
        {"no PIN", "SignTool Error: No PIN was given for the token",
         [](TSigningSettings& C) { C.Password.clear(); }},
        {"unknown thumbprint", "SignTool Error: No certificate with the SHA-1 thumbprint ",
         [&OtherThumb](TSigningSettings& C) { C.CertThumbprint = OtherThumb; }},
        {"token removed", "Is the token plugged in?",
         [&](TSigningSettings& C) {
             // The token is made and the certificate chosen from it...
             Removed =
                 std::make_unique<TSoftHsmToken>(RemovedFolder.Path(), "Quorvel Removed", "2468");
             Removed->Import(Pki->TsaKey, Pki->TsaCert, "77");
             C.CertThumbprint = OpenSslThumbprint(Pki->TsaCert);
             C.Password = "2468";
             EXPECT_TRUE(IsStoreCertificatePresent(C.CertThumbprint));
             // ...then pulled out, before the signing.
             Removed->Remove();
         }},
    };
    for (const TFailureCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const std::string Path =
            Place(std::string("Success ") + Case.Name + "/app.exe", FixtureFiles().Exe);
        const std::string Folder = std::filesystem::path(Path).parent_path();
        TSigningSettings C = Choice();
        Case.Arrange(C);
        const std::string Bytes = ReadFileBytes(Path);
        const std::vector<std::string> Before = FolderEntries(Folder);

        const TQuorvelRun Run = SignLikeQuorvel(C, Path);
        EXPECT_NE(Run.ExitCode, 0u);
        EXPECT_THAT(Run.Output, HasSubstr(Case.Expected));
        EXPECT_THAT(Run.Output, testing::EndsWith("Number of errors: 1\r\n"));
        EXPECT_FALSE(ContainsTextAZ("success", Run.Output)) << Run.Output;
        EXPECT_EQ(ReadFileBytes(Path), Bytes);
        EXPECT_EQ(FolderEntries(Folder), Before);
    }
}

// The PIN reaches osslsigncode through a pipe only: it is on no command line
// of the chain while it runs (/proc/<pid>/cmdline is readable by every
// user), and not in osslsigncode's environment either.
TEST_F(SignToolOnToken, ThePinIsOnNoCommandLine) {
    const std::string Exe = Place("app.exe", FixtureFiles().Exe);
    const std::string Bin = Work / "bin";
    std::filesystem::create_directories(Bin);
    const std::string Fake = Bin + "/osslsigncode";
    WriteFileBytes(Fake, "#!/bin/sh\n"
                         "tr '\\0' '\\n' < /proc/$PPID/cmdline > '" +
                             Work / "parent-cmdline" +
                             "'\n"
                             "tr '\\0' '\\n' < /proc/$$/cmdline > '" +
                             Work / "cmdline" +
                             "'\n"
                             "env > '" +
                             Work / "environment" +
                             "'\n"
                             "while [ \"$1\" != -readpass ]; do shift; done\n"
                             "cat \"$2\" > '" +
                             Work / "pin" +
                             "'\n"
                             "exit 1\n");
    ::chmod(Fake.c_str(), 0700);
    const char* Path = std::getenv("PATH");
    TRunOptions Options;
    Options.Environment = {{"PATH", Bin + ":" + (Path ? Path : "/usr/bin:/bin")}};

    const TQuorvelRun Run = SignLikeQuorvel(Choice(), Exe, Options);
    EXPECT_NE(Run.ExitCode, 0u);
    EXPECT_EQ(ReadFileBytes(Work / "pin"), Pin);
    const std::string Arguments = ReadFileBytes(Work / "cmdline");
    EXPECT_THAT(Arguments, HasSubstr("\n-pkcs11module\n"));
    EXPECT_THAT(Arguments, HasSubstr("type=private"));
    EXPECT_THAT(Arguments, HasSubstr("\n-readpass\n"));
    for (const char* File : {"cmdline", "parent-cmdline", "environment"})
        EXPECT_THAT(ReadFileBytes(Work / File), Not(HasSubstr(Pin))) << File;
    EXPECT_THAT(ReadFileBytes(Work / "parent-cmdline"), HasSubstr("\n/sha1\n"));
}

} // namespace
