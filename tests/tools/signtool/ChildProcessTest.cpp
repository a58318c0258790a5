// The child runner that starts osslsigncode: the secret arrives through the
// inherited pipe, output and status come back whole.
#include "tools/signtool/ChildProcess.h"
#include "core/QuorvelErrors.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(ChildProcess, TheSecretIsReadableAtItsPathOnly) {
    const TChildResult R = RunChild({"sh", "-c", "cat \"$1\"; echo \" [$#]\"", "sh", SecretFdPath},
                                    "pa ss\tw\xC3\xB6rd");
    ASSERT_TRUE(R.Started);
    EXPECT_EQ(R.ExitStatus, 0);
    EXPECT_EQ(R.Output, "pa ss\tw\xC3\xB6rd [1]\n");

    // Without a secret there is nothing at that path.
    const TChildResult None =
        RunChild({"sh", "-c", "cat \"$1\" 2>/dev/null || echo none", "sh", SecretFdPath}, "");
    EXPECT_EQ(None.Output, "none\n");

    EXPECT_THROW(RunChild({"true"}, std::string(MaxSecretSize + 1, 'x')), EOSError);
}

TEST(ChildProcess, CapturesBothStreamsInOrderWithTheExitStatus) {
    const TChildResult R = RunChild({"sh", "-c", "echo one; echo two >&2; echo three; exit 7"}, "");
    EXPECT_EQ(R.Output, "one\ntwo\nthree\n");
    EXPECT_EQ(R.ExitStatus, 7);

    const TChildResult Killed = RunChild({"sh", "-c", "kill -9 $$"}, "");
    EXPECT_EQ(Killed.ExitStatus, 128 + 9);

    // Standard input is empty, so a child that reads it does not hang.
    EXPECT_EQ(RunChild({"cat"}, "").Output, "");
}

TEST(ChildProcess, KeepsOnlyTheFirstBytesOfAFloodButReadsItAll) {
    const TChildResult R =
        RunChild({"sh", "-c", "head -c 300000 /dev/zero; echo end >&2"}, "", 1000);
    EXPECT_EQ(R.ExitStatus, 0);
    EXPECT_EQ(R.Output, std::string(1000, '\0'));
}

TEST(ChildProcess, AProgramThatCannotStartIsReported) {
    const TChildResult R = RunChild({"/nonexistent/osslsigncode", "sign"}, "secret");
    EXPECT_FALSE(R.Started);
    EXPECT_EQ(R.StartError, ENOENT);
}

} // namespace
