// The stand-in's command line: Quorvel's composed lines after the Windows
// split, switches in any case, and the ways a line can be wrong.
#include "tools/signtool/SignToolArgs.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::vector<std::string> Split(const std::string& Line) {
    std::istringstream In(Line);
    std::vector<std::string> Args;
    for (std::string Word; In >> Word;)
        Args.push_back(Word);
    return Args;
}

struct TAccepted {
    const char* Line;
    const char* FileDigest;
    const char* Certificate;
    const char* Password;
    const char* TimeStampURL; // nullptr: no /tr
    const char* TimeStampDigest;
    std::vector<std::string> Files;
};

TEST(SignToolArgs, AcceptsQuorvelsLinesAndSwitchesInAnyCase) {
    const TAccepted Cases[] = {
        {"sign /fd SHA256 /f c.pfx /p pw /tr http://ts /td SHA256 a.exe",
         "SHA256",
         "c.pfx",
         "pw",
         "http://ts",
         "SHA256",
         {"a.exe"}},
        // Timestamping off: the password is followed by the file.
        {"sign /fd SHA256 /f c.pfx /p pw a.exe", "SHA256", "c.pfx", "pw", nullptr, "", {"a.exe"}},
        // The SHA1 choices leave out /fd and /td.
        {"sign /f c.pfx /p pw /tr http://ts a.exe", "", "c.pfx", "pw", "http://ts", "", {"a.exe"}},
        // An empty password: "/p" directly before a switch ...
        {"sign /fd SHA256 /f c.pfx /p /tr http://ts /td SHA256 a.exe",
         "SHA256",
         "c.pfx",
         "",
         "http://ts",
         "SHA256",
         {"a.exe"}},
        // ... or directly before the last argument, which is always a file.
        {"sign /f c.pfx /p a.exe", "", "c.pfx", "", nullptr, "", {"a.exe"}},
        // A password that looks like an option it is not.
        {"sign /f c.pfx /p -x9 a.exe", "", "c.pfx", "-x9", nullptr, "", {"a.exe"}},
        {"SIGN /FD sha256 /F c.pfx /P pw /TR http://ts /Td sha1 a.exe",
         "SHA256",
         "c.pfx",
         "pw",
         "http://ts",
         "SHA1",
         {"a.exe"}},
        {"Sign -fd Sha384 -f c.pfx -p pw a.exe b.dll",
         "SHA384",
         "c.pfx",
         "pw",
         nullptr,
         "",
         {"a.exe", "b.dll"}},
        // Absolute paths are values and files, not options.
        {"sign /f /home/u/c.pfx /p /pw /tmp/a.exe",
         "",
         "/home/u/c.pfx",
         "/pw",
         nullptr,
         "",
         {"/tmp/a.exe"}},
    };
    for (const TAccepted& Case : Cases) {
        SCOPED_TRACE(Case.Line);
        const TParseResult Result = ParseSignToolArgs(Split(Case.Line));
        ASSERT_EQ(Result.Outcome, TParseOutcome::Sign) << Result.Error;
        EXPECT_EQ(Result.Request.FileDigest, Case.FileDigest);
        EXPECT_EQ(Result.Request.Certificate, Case.Certificate);
        EXPECT_EQ(Result.Request.Password, Case.Password);
        EXPECT_EQ(Result.Request.TimeStamp, Case.TimeStampURL != nullptr);
        EXPECT_EQ(Result.Request.TimeStampURL, Case.TimeStampURL ? Case.TimeStampURL : "");
        EXPECT_EQ(Result.Request.TimeStampDigest, Case.TimeStampDigest);
        EXPECT_EQ(Result.Request.Files, Case.Files);
    }
}

TEST(SignToolArgs, KeepsBlanksInsideArguments) {
    const TParseResult Result = ParseSignToolArgs(
        {"sign", "/f", "/tmp/my certs/c.pfx", "/p", "pw", "/tmp/my files/a b.exe"});
    ASSERT_EQ(Result.Outcome, TParseOutcome::Sign) << Result.Error;
    EXPECT_EQ(Result.Request.Certificate, "/tmp/my certs/c.pfx");
    EXPECT_EQ(Result.Request.Files, std::vector<std::string>{"/tmp/my files/a b.exe"});
}

TEST(SignToolArgs, HelpAndNoArguments) {
    EXPECT_EQ(ParseSignToolArgs({}).Outcome, TParseOutcome::MissingArgs);
    for (const char* Line : {"/?", "-?", "sign /?", "sign /f c.pfx /? a.exe"})
        EXPECT_EQ(ParseSignToolArgs(Split(Line)).Outcome, TParseOutcome::Usage) << Line;
}

TEST(SignToolArgs, RejectsWrongLinesWithTheReason) {
    const std::pair<const char*, const char*> Cases[] = {
        {"verify a.exe", "The command verify is not available"},
        {"sing /f c.pfx a.exe", "Invalid command: sing"},
        {"sign", "Missing filename."},
        {"sign /f c.pfx /p pw /v a.exe", "Invalid option: /v"},
        {"sign /a /f c.pfx a.exe", "Invalid option: /a"},
        {"sign /f /p pw a.exe", "Missing parameter for option: /f"},
        {"sign /f a.exe", "Missing parameter for option: /f"},
        {"sign /fd /f c.pfx a.exe", "Missing parameter for option: /fd"},
        // An empty timestamp address, as Quorvel writes it.
        {"sign /f c.pfx /p pw /tr /td SHA256 a.exe", "Missing parameter for option: /tr"},
        {"sign /f c.pfx /p pw /tr a.exe", "Missing parameter for option: /tr"},
        {"sign /f c.pfx /p pw /tr http://ts /td a.exe", "Missing parameter for option: /td"},
        {"sign /fd MD5 /f c.pfx a.exe", "Invalid digest algorithm for /fd: MD5"},
        {"sign /f c.pfx /tr http://ts /td SHA512 a.exe",
         "Invalid digest algorithm for /td: SHA512"},
        {"sign /f c.pfx /td SHA256 a.exe", "The /td option requires the /tr option."},
        {"sign /p pw a.exe", "No certificate file given"},
        {"sign /f c.pfx /F d.pfx a.exe", "The option /F was given more than once."},
        {"sign /f c.pfx a.exe /tr http://ts b.exe", "Options must come before the file names: /tr"},
    };
    for (const auto& [Line, Reason] : Cases) {
        SCOPED_TRACE(Line);
        const TParseResult Result = ParseSignToolArgs(Split(Line));
        EXPECT_EQ(Result.Outcome, TParseOutcome::Error);
        EXPECT_NE(Result.Error.find(Reason), std::string::npos) << Result.Error;
    }
}

TEST(SignToolArgs, AnEmptyArgumentIsNoValue) {
    EXPECT_EQ(ParseSignToolArgs({"sign", "/f", "", "/p", "pw", "a.exe"}).Error,
              "Missing parameter for option: /f");
    const TParseResult Password = ParseSignToolArgs({"sign", "/f", "c.pfx", "/p", "", "a.exe"});
    ASSERT_EQ(Password.Outcome, TParseOutcome::Sign) << Password.Error;
    EXPECT_EQ(Password.Request.Password, "");
    EXPECT_EQ(Password.Request.Files, std::vector<std::string>{"a.exe"});
    EXPECT_EQ(ParseSignToolArgs({"sign", "/f", "c.pfx", "/p", "pw", ""}).Error,
              "Missing filename.");
}

} // namespace
