// Signing with a certificate on a token: the /sha1 line, osslsigncode's
// arguments for it, the token's failures in signtool's words, and a refused
// PIN that is not tried again on the run's other files.
#include "core/AnsiText.h"
#include "tools/signtool/InPlaceSigner.h"
#include "tools/signtool/SignTool.h"
#include "tools/signtool/SignToolArgs.h"
#include "tools/signtool/SignToolTexts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace {

using ::testing::HasSubstr;

constexpr const char* Thumb = "F4955BEF5B9EBB1F75C80DAED004726D638C268D";

TEST(SignToolTokenArgs, TakesAThumbprintInsteadOfAFile) {
    // The line Quorvel composes for a store certificate, split.
    const TParseResult Quorvel = ParseSignToolArgs(
        {"sign", "/fd", "SHA256", "/sha1", Thumb, "/tr", "http://ts", "/td", "SHA256", "/w/a.exe"});
    ASSERT_EQ(Quorvel.Outcome, TParseOutcome::Sign) << Quorvel.Error;
    EXPECT_EQ(Quorvel.Request.Thumbprint, Thumb);
    EXPECT_EQ(Quorvel.Request.Certificate, "");
    EXPECT_EQ(Quorvel.Request.Files, std::vector<std::string>{"/w/a.exe"});

    const TParseResult Lower =
        ParseSignToolArgs({"sign", "-SHA1", "f4955bef5b9ebb1f75c80daed004726d638c268d", "a.exe"});
    ASSERT_EQ(Lower.Outcome, TParseOutcome::Sign) << Lower.Error;
    EXPECT_EQ(Lower.Request.Thumbprint, Thumb);
}

TEST(SignToolTokenArgs, RejectsWrongThumbprintLines) {
    const std::pair<std::vector<std::string>, const char*> Cases[] = {
        {{"sign", "/sha1", "F4955BEF", "a.exe"}, "Invalid SHA-1 thumbprint for /sha1: F4955BEF."},
        {{"sign", "/sha1", "a.exe"}, "Missing parameter for option: /sha1"},
        {{"sign", "/sha1", Thumb, "/f", "c.pfx", "a.exe"},
         "The options /f and /sha1 cannot be used together"},
        {{"sign", "/sha1", Thumb, "/sha1", Thumb, "a.exe"}, "given more than once"},
    };
    for (const auto& [Args, Reason] : Cases) {
        const TParseResult Result = ParseSignToolArgs(Args);
        EXPECT_EQ(Result.Outcome, TParseOutcome::Error);
        EXPECT_THAT(Result.Error, HasSubstr(Reason));
    }
}

TEST(SignToolTokenArgs, OsslSignCodeGetsTheTokensUrisAndThePinFromAFile) {
    TSignRequest Request;
    Request.FileDigest = "SHA256";
    Request.Thumbprint = Thumb;
    Request.TokenPin = "4711";
    Request.TimeStamp = true;
    Request.TimeStampURL = "http://ts";
    const TTokenKey Key{"/usr/lib/p11-kit-proxy.so", "pkcs11:token=T;id=%01;type=cert",
                        "pkcs11:token=T;id=%01;type=private"};
    EXPECT_EQ(OsslTokenSignArguments(Request, Key, "/w/a.exe", "/w/.s/signed", "/dev/fd/3"),
              (std::vector<std::string>{"sign", "-pkcs11module", "/usr/lib/p11-kit-proxy.so",
                                        "-pkcs11cert", "pkcs11:token=T;id=%01;type=cert", "-key",
                                        "pkcs11:token=T;id=%01;type=private", "-readpass",
                                        "/dev/fd/3", "-h", "sha256", "-ts", "http://ts", "-in",
                                        "/w/a.exe", "-out", "/w/.s/signed"}));
}

// osslsigncode 2.9 with libp11's engine, in its own words.
TEST(SignToolTokenOutput, ReadsTheTokensRefusals) {
    const std::pair<const char*, TSignFailure> Cases[] = {
        {"Engine \"pkcs11\" set.\nFailed\nLogin failed\nLogin to token failed, returning "
         "NULL...\nThe private key was not found at: pkcs11:token=qtest;id=%01;type=private\n"
         "PKCS11_get_private_key returned NULL\nFailed to read key or certificates\n"
         "40C0766CE77F0000:error:430000A0:PKCS#11 module:ERR_CKR_error:PIN "
         "incorrect:p11_slot.c:208:\n",
         TSignFailure::BadPin},
        {"Failed\nLogin failed\n40C0:error:430000A4:PKCS#11 module:ERR_CKR_error:PIN "
         "locked:p11_slot.c:208:\n",
         TSignFailure::PinLocked},
        {"Engine \"pkcs11\" set.\nFailed\nNo matching initialized token was found for "
         "certificate\nThe certificate was not found at: pkcs11:token=nope;id=%01;type=cert\n"
         "Failed to read key or certificates\n",
         TSignFailure::TokenKey},
        {"Failed\n\nHTTP failure: Failed to get data from http://127.0.0.1:9/\nRFC 3161 "
         "timestamping failed\n",
         TSignFailure::TimeStamp},
    };
    for (const auto& [Captured, Failure] : Cases)
        EXPECT_EQ(ClassifyOsslTokenFailure(255, Captured).Failure, Failure) << Captured;
}

struct TRun {
    int ExitCode = 0;
    std::string Output;
    int Calls = 0;
};

TRun RunWith(const std::vector<std::string>& Files, const TSignOutcome& First) {
    TRun Run;
    std::vector<std::string> Args = {"sign", "/fd", "SHA256", "/sha1", Thumb};
    Args.insert(Args.end(), Files.begin(), Files.end());
    std::ostringstream Both;
    Run.ExitCode = RunSignTool(Args, Both, Both, [&](const TSignRequest&, const std::string&) {
        return Run.Calls++ == 0 ? First : TSignOutcome{};
    });
    Run.Output = Both.str();
    return Run;
}

TEST(SignToolTokenOutput, EachFailureIsClearAndNeverSaysSuccess) {
    const std::pair<TSignOutcome, const char*> Cases[] = {
        {{TSignFailure::NoPin, {}, {}}, "No PIN was given for the token"},
        {{TSignFailure::BadPin, {}, {}}, "The token's PIN is not correct."},
        {{TSignFailure::PinLocked, {}, {}}, "The token is locked"},
        {{TSignFailure::TokenMissing, Thumb, {}},
         "No certificate with the SHA-1 thumbprint F4955BEF5B9EBB1F75C80DAED004726D638C268D"},
        {{TSignFailure::ProxyMissing, {}, {}}, "p11-kit's proxy module (p11-kit-proxy.so)"},
        {{TSignFailure::TokenKey, {}, {}},
         "The certificate or its private key could not be read from the token"},
    };
    for (const auto& [Outcome, Expected] : Cases) {
        const TRun Run = RunWith({"/success/a.exe"}, Outcome);
        EXPECT_EQ(Run.ExitCode, 1);
        EXPECT_THAT(Run.Output, HasSubstr(std::string("SignTool Error: ") + Expected));
        EXPECT_FALSE(ContainsTextAZ("success", Run.Output)) << Run.Output;
    }
}

// A wrong PIN tried on every file would lock a real token after three.
TEST(SignToolTokenOutput, ARefusedPinIsNotTriedOnTheOtherFiles) {
    for (const TSignFailure Refusal : {TSignFailure::BadPin, TSignFailure::PinLocked}) {
        const TRun Run = RunWith({"a.exe", "b.exe", "c.exe"}, TSignOutcome{Refusal, {}, {}});
        EXPECT_EQ(Run.Calls, 1);
        EXPECT_EQ(Run.ExitCode, 1);
        EXPECT_THAT(Run.Output, HasSubstr("attempting to sign: c.exe"));
        EXPECT_THAT(Run.Output, HasSubstr("Number of errors: 3"));
    }
    // Other failures do not stop the run.
    const TRun Missing = RunWith({"a.exe", "b.exe"}, TSignOutcome{TSignFailure::TokenKey, {}, {}});
    EXPECT_EQ(Missing.Calls, 2);
    EXPECT_THAT(Missing.Output, HasSubstr("Number of errors: 1"));
}

} // namespace
