// Off Windows a path may hold what the tool's command line cannot carry; such
// a file is never handed to the tool.
#include "signing/PathCarrier.h"
#include "signing/SignOneFile.h"
#include "signing/SignStatus.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLineCarriesPath, RefusesQuotesAndATrailingBackslash) {
    const struct {
        const char* Path;
        bool Carried;
    } Cases[] = {
        {"/w/a.exe", true},           {"/w/with space/a b.exe", true},
        {"/w/back\\slash.exe", true}, {"", true},
        {"/w/\"quoted\".exe", false}, {"/w/a\".exe", false},
        {"/w/ends-with\\", false},    {"/w/ends\\\\", false},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(CommandLineCarriesPath(Case.Path), Case.Carried) << Case.Path;
}

class TFakePane : public ILogPane {
public:
    void Add(const std::string& Text) override { Lines.push_back(Text); }
    std::vector<std::string> Lines;
};

TEST(SignOneFile, NeverHandsAnUncarriablePathToTheTool) {
    TSigningSettings Good;
    Good.SignTool = "/sdk/signtool";
    Good.Certificate = "/keys/c.pfx";
    struct {
        const char* Name;
        TSigningSettings Settings;
        std::string Path;
    } Cases[] = {
        {"file", Good, "/w/a\"b.exe"},
        {"file", Good, "/w/dir\\"},
        {"certificate", Good, "/w/a.exe"},
        {"signing tool", Good, "/w/a.exe"},
    };
    Cases[2].Settings.Certificate = "/keys/\"c\".pfx";
    Cases[3].Settings.SignTool = "/sdk/sign\"tool";

    for (const auto& Case : Cases) {
        TFakePane Pane;
        bool Ran = false;
        const TCommandRunner Run = [&](const std::string&, std::string& Output) {
            Ran = true;
            Output += "Successfully signed";
            return 0u;
        };
        std::string Output = "stale";
        EXPECT_EQ(SignOneFile(Pane, Run, Case.Settings, Case.Path, Output), 1u) << Case.Name;
        EXPECT_FALSE(Ran) << Case.Name;
        EXPECT_NE(Output.find(Case.Name), std::string::npos) << Output;
        EXPECT_FALSE(TextContains("success", Output)) << Output;
        EXPECT_FALSE(TextContains("warning", Output)) << Output;
        EXPECT_EQ(Pane.Lines,
                  (std::vector<std::string>{">> " + Case.Path, Output, "---------------"}));
    }
}

} // namespace
