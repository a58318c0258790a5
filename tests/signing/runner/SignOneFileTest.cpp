#include "signing/SignOneFile.h"
#include "core/QuorvelErrors.h"

#include <gtest/gtest.h>

namespace {

class TFakePane : public ILogPane {
public:
    void Add(const std::string& Text) override { Lines.push_back(Text); }
    std::vector<std::string> Lines;
};

TSigningSettings Settings() {
    TSigningSettings S;
    S.SignTool = "/sdk/bin/signtool";
    S.Certificate = "/keys/cert.pfx";
    S.Password = "secret";
    S.TimeStampURL = "http://ts.example";
    return S;
}

TEST(SignOneFile, AddsThePathTheOutputAndTheSeparator) {
    TFakePane Pane;
    std::vector<std::string> Ran;
    const TCommandRunner Run = [&](const std::string& CommandLine, std::string& Output) {
        Ran.push_back(CommandLine);
        EXPECT_EQ(Output, "") << "the output is emptied before the run";
        Output += "Done Adding Additional Store\r\nSuccessfully signed: /w/a.exe\r\n";
        return 0u;
    };
    std::string Output = "left over from the previous file";

    EXPECT_EQ(SignOneFile(Pane, Run, Settings(), "/w/a.exe", Output), 0u);

    EXPECT_EQ(Ran, std::vector<std::string>{BuildSignCommandLine(Settings(), "/w/a.exe")});
    EXPECT_EQ(Output, "Done Adding Additional Store\r\nSuccessfully signed: /w/a.exe\r\n");
    EXPECT_EQ(Pane.Lines, (std::vector<std::string>{">> /w/a.exe", Output, "---------------"}));
}

TEST(SignOneFile, PassesTheExitCodeOnAndShowsAnEmptyOutput) {
    for (const std::uint32_t Code : {1u, 2u, 0xFFFFFFFFu}) {
        TFakePane Pane;
        std::string Output;
        const TCommandRunner Run = [&](const std::string&, std::string&) { return Code; };
        EXPECT_EQ(SignOneFile(Pane, Run, Settings(), "/w/b.dll", Output), Code);
        EXPECT_EQ(Pane.Lines, (std::vector<std::string>{">> /w/b.dll", "", "---------------"}));
    }
}

TEST(SignOneFile, AnErrorFromTheRunnerLeavesOnlyThePathLine) {
    TFakePane Pane;
    std::string Output;
    const TCommandRunner Run = [](const std::string&, std::string&) -> std::uint32_t {
        throw EOSError(5, "System Error.  Code: 5.");
    };
    EXPECT_THROW(SignOneFile(Pane, Run, Settings(), "/w/c.ocx", Output), EOSError);
    EXPECT_EQ(Pane.Lines, std::vector<std::string>{">> /w/c.ocx"});
}

} // namespace
