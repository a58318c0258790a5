// What the stand-in prints, read the way Quorvel reads it: "success" only
// for a signed file, "warning" for the missing /fd, and signtool's lines.
#include "core/AnsiText.h"
#include "tools/signtool/SignTool.h"
#include "tools/signtool/SignToolTexts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

struct TRun {
    int ExitCode;
    std::string Output; // standard output and standard error, as Quorvel gets them
    std::vector<std::string> Signed;
};

TRun RunTool(const std::vector<std::string>& Args,
             const std::function<TSignOutcome(const std::string&)>& Outcome) {
    TRun Result{};
    std::ostringstream Both;
    Result.ExitCode =
        RunSignTool(Args, Both, Both, [&](const TSignRequest&, const std::string& Path) {
            Result.Signed.push_back(Path);
            return Outcome(Path);
        });
    Result.Output = Both.str();
    return Result;
}

TSignOutcome Signed(const std::string&) {
    return {};
}

const std::vector<std::string> QuorvelLine = {"sign",      "/fd", "SHA256", "/f",
                                              "c.pfx",     "/p",  "pw",     "/tr",
                                              "http://ts", "/td", "SHA256", "/w/a.exe"};

TEST(SignToolOutput, SignedFileReadsAsSignedWithoutWarning) {
    const TRun R = RunTool(QuorvelLine, Signed);
    EXPECT_EQ(R.ExitCode, 0);
    EXPECT_EQ(R.Output, "Done Adding Additional Store\nSuccessfully signed: /w/a.exe\n");
    EXPECT_FALSE(ContainsTextAZ("warning", R.Output));
}

TEST(SignToolOutput, MissingDigestWarnsAndStillSigns) {
    const TRun R = RunTool({"sign", "/f", "c.pfx", "/p", "pw", "/w/a.exe"}, Signed);
    EXPECT_EQ(R.ExitCode, 0);
    EXPECT_THAT(R.Output,
                testing::StartsWith("SignTool Warning: No file digest algorithm specified."));
    EXPECT_THAT(R.Output, HasSubstr("\nSuccessfully signed: /w/a.exe\n"));
}

TEST(SignToolOutput, EachFailureNamesItsCauseAndNeverSaysSuccess) {
    const std::pair<TSignOutcome, const char*> Cases[] = {
        {{TSignFailure::FileNotFound, "/w/c.pfx", {}},
         "SignTool Error: File not found: /w/c.pfx\n"},
        {{TSignFailure::BadPassword, {}, {}},
         "SignTool Error: The specified PFX password is not correct.\n"},
        {{TSignFailure::TimeStamp, {}, {}},
         "SignTool Error: The specified timestamp server either could not be reached or returned "
         "an invalid response.\n"},
        {{TSignFailure::NotPEImage, {}, {}},
         "SignTool Error: This file format cannot be signed because it is not recognized.\n"},
        {{TSignFailure::ReadOnly, {}, {}}, "SignTool Error: The file is read-only"},
        {{TSignFailure::BadCertificate, {}, {}}, "could not be read as a PFX (PKCS #12) file"},
        {{TSignFailure::CannotWrite, {}, {"Cannot replace the original file: Permission denied"}},
         "SignTool Error: Cannot replace the original file: Permission denied\n"},
        {{TSignFailure::ToolMissing, {}, {"osslsigncode: No such file or directory"}},
         "SignTool Error: osslsigncode: No such file or directory\n"},
        {{TSignFailure::Other, "1", {"osslsigncode: Unable to do it"}},
         "(exit status 1).\nSignTool Error: osslsigncode: Unable to do it\n"},
        // The system's word for "no error" must not slip through either.
        {{TSignFailure::Unexpected, {}, {"Success"}}, "SignTool Error: S?ccess\n"},
    };
    for (const auto& [Outcome, Expected] : Cases) {
        SCOPED_TRACE(Expected);
        const TRun R = RunTool(QuorvelLine, [&](const std::string&) { return Outcome; });
        EXPECT_EQ(R.ExitCode, 1);
        EXPECT_THAT(R.Output, HasSubstr(Expected));
        EXPECT_THAT(R.Output,
                    testing::EndsWith("SignTool Error: An error occurred while attempting to sign: "
                                      "/w/a.exe\nNumber of errors: 1\n"));
        EXPECT_FALSE(ContainsTextAZ("success", R.Output));
    }
}

TEST(SignToolOutput, UserTextInFailuresIsMasked) {
    const TRun Missing = RunTool(
        {"sign", "/fd", "SHA256", "/f", "/Success/c.pfx", "/p", "pw", "/srv/SUCCESSsuccess/a.exe"},
        [](const std::string&) {
            return TSignOutcome{TSignFailure::FileNotFound, "/Success/c.pfx", {}};
        });
    EXPECT_FALSE(ContainsTextAZ("success", Missing.Output));
    EXPECT_THAT(Missing.Output, HasSubstr("File not found: /S?ccess/c.pfx\n"));
    EXPECT_THAT(Missing.Output, HasSubstr("sign: /srv/S?CCESSs?ccess/a.exe\n"));

    const TRun BadOption = RunTool({"sign", "/success", "a.exe"}, Signed);
    EXPECT_EQ(BadOption.Output, "SignTool Error: Invalid option: /s?ccess\n");
    EXPECT_TRUE(BadOption.Signed.empty());
}

TEST(SignToolOutput, MaskingTable) {
    const std::pair<const char*, const char*> Cases[] = {
        {"", ""},
        {"/srv/app.exe", "/srv/app.exe"},
        {"succes", "succes"},
        {"success", "s?ccess"},
        {"UnSuccessful", "UnS?ccessful"},
        {"successuccess", "s?ccess?ccess"}, // overlapping at the shared "s"
        {"s\xC3\xBC"
         "ccess",
         "s\xC3\xBC"
         "ccess"},
    };
    for (const auto& [Text, Masked] : Cases) {
        EXPECT_EQ(MaskSuccessWord(Text), Masked);
        EXPECT_FALSE(ContainsTextAZ("success", MaskSuccessWord(Text)));
    }
}

TEST(SignToolOutput, SeveralFilesAreCountedAndAnnouncedOnce) {
    const TRun R =
        RunTool({"sign", "/fd", "SHA256", "/f", "c.pfx", "/p", "pw", "a.exe", "b.exe", "c.exe"},
                [](const std::string& Path) {
                    if (Path == "b.exe")
                        return TSignOutcome{TSignFailure::NotPEImage, {}, {}};
                    return TSignOutcome{};
                });
    EXPECT_EQ(R.ExitCode, 1);
    EXPECT_EQ(R.Signed, (std::vector<std::string>{"a.exe", "b.exe", "c.exe"}));
    EXPECT_THAT(R.Output,
                testing::StartsWith(
                    "Done Adding Additional Store\nSuccessfully signed: a.exe\nSignTool Error: "));
    EXPECT_THAT(R.Output,
                HasSubstr("sign: b.exe\nSuccessfully signed: c.exe\nNumber of errors: 1\n"));
}

TEST(SignToolOutput, AnErrorInOneFileFailsThatFileOnly) {
    const TRun R = RunTool({"sign", "/fd", "SHA256", "/f", "c.pfx", "/p", "pw", "a.exe", "b.exe"},
                           [](const std::string& Path) -> TSignOutcome {
                               if (Path == "a.exe")
                                   throw std::runtime_error("No space left on device");
                               return {};
                           });
    EXPECT_EQ(R.ExitCode, 1);
    EXPECT_THAT(R.Output, HasSubstr("SignTool Error: No space left on device\nSignTool Error: An "
                                    "error occurred while attempting to sign: a.exe\n"));
    EXPECT_THAT(R.Output, HasSubstr("Successfully signed: b.exe\n"));
}

TEST(SignToolOutput, UsageAndArgumentErrors) {
    const TRun Help = RunTool({"/?"}, Signed);
    EXPECT_EQ(Help.ExitCode, 0);
    EXPECT_THAT(Help.Output, testing::StartsWith("Usage: signtool sign"));

    const TRun None = RunTool({}, Signed);
    EXPECT_EQ(None.ExitCode, 1);
    EXPECT_THAT(None.Output,
                testing::StartsWith("SignTool Error: A required parameter is missing.\nUsage: "));

    const TRun Wrong =
        RunTool({"sign", "/f", "c.pfx", "/p", "pw", "/tr", "/td", "SHA256", "a.exe"}, Signed);
    EXPECT_EQ(Wrong.ExitCode, 1);
    EXPECT_EQ(Wrong.Output, "SignTool Error: Missing parameter for option: /tr\n");
    EXPECT_TRUE(Wrong.Signed.empty());
    for (const TRun& R : {Help, None, Wrong})
        EXPECT_FALSE(ContainsTextAZ("success", R.Output));
}

// osslsigncode 2.9's own words for each failure, as it writes them.
TEST(SignToolOutput, ReadsOsslSignCodesFailures) {
    const std::pair<const char*, TSignFailure> Cases[] = {
        {"Failed\nFailed to parse PKCS#12 file: c.pfx (Wrong password?)\nFailed to read key or "
         "certificates\n4060EF49D17F0000:error:11800071:PKCS12 routines:PKCS12_parse:mac verify "
         "failure:../crypto/pkcs12/p12_kiss.c:71:\n",
         TSignFailure::BadPassword},
        {"Failed\nFailed to extract PKCS#12 data: c.pfx\nFailed to read key or certificates\n"
         "40001F891C7F0000:error:0680008E:asn1 encoding routines:asn1_d2i_read_bio:not enough "
         "data:../crypto/asn1/a_d2i_fp.c:283:\n",
         TSignFailure::BadCertificate},
        {"Connecting to http://127.0.0.1:9/\nFailed\n\nHTTP failure: Failed to get data from "
         "http://127.0.0.1:9/\nRFC 3161 timestamping failed\nUse the \"-t\" option to add the "
         "Authenticode Time-Stamp Authority or choose another one RFC3161 Time-Stamp Authority\n"
         "Unable to set unauthenticated attributes\n",
         TSignFailure::TimeStamp},
        {"Failed\nInitialization error or unsupported input file type.\n",
         TSignFailure::NotPEImage},
    };
    for (const auto& [Captured, Failure] : Cases) {
        SCOPED_TRACE(Captured);
        EXPECT_EQ(ClassifyOsslFailure(255, Captured).Failure, Failure);
    }
}

TEST(SignToolOutput, UnknownFailuresKeepOsslSignCodesSentencesOnly) {
    const TSignOutcome Outcome = ClassifyOsslFailure(
        1, "Failed\r\nSomething odd happened\nSomething odd happened\n"
           "40C012F5E67F0000:error:0680008E:asn1 encoding routines:x:y:z\nSucceeded\n\n");
    EXPECT_EQ(Outcome.Failure, TSignFailure::Other);
    EXPECT_EQ(Outcome.Subject, "1");
    EXPECT_EQ(Outcome.Details, std::vector<std::string>{"osslsigncode: Something odd happened"});
}

} // namespace
