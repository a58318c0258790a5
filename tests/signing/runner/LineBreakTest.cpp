#include "signing/CommandRunner.h"

#include <gtest/gtest.h>

namespace {

// Written with ␍ for CR and ␊ for LF, as the cases are usually read.
std::string Bytes(std::string_view Shown) {
    std::string Text;
    for (std::size_t I = 0; I < Shown.size();) {
        if (Shown.substr(I, 3) == "\xE2\x90\x8D") {
            Text += '\r';
            I += 3;
        } else if (Shown.substr(I, 3) == "\xE2\x90\x8A") {
            Text += '\n';
            I += 3;
        } else {
            Text += Shown[I++];
        }
    }
    return Text;
}

TEST(NormalizeLineBreaks, ReadsAsATerminalShowsIt) {
    const struct {
        const char* Raw;
        const char* Expected;
    } Cases[] = {
        {"abc␍␊", "abc␍␊"},
        {"abc␊", "abc␍␊"},
        {"a␊␊b", "a␍␊␍␊b"},
        {"␊", "␍␊"},
        {"abcdef␍xy␊", "xy␍␊"},
        {"abc␍x␍␊", "x␍␊"},
        {"x␍␍␊", "x␍␊"},
        {"p 10%␍p 100%␍␊", "p 100%␍␊"},
        {"abcdef␍xy", "xy"},
        {"abc␍def␍gh", "gh"},
        {"abc␍", ""},
        {"", ""},
        {"␍", ""},
        {"␍␊␍␊", "␍␊␍␊"},
        {"one␊two␍␊three", "one␍␊two␍␊three"},
        {"done␊abc␍z␊", "done␍␊z␍␊"},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(NormalizeLineBreaks(Bytes(Case.Raw)), Bytes(Case.Expected)) << Case.Raw;
}

TEST(NormalizeLineBreaks, KeepsNulAndOtherBytes) {
    const std::string Raw("a\0b\x80\xff\r\n\0", 8);
    EXPECT_EQ(NormalizeLineBreaks(Raw), Raw);
    EXPECT_EQ(NormalizeLineBreaks(std::string("\0\0\n", 3)), std::string("\0\0\r\n", 4));
}

// A long text with every kind of break, against a plain reading of the
// three-position rule.
TEST(NormalizeLineBreaks, AgreesWithTheCharacterByCharacterRule) {
    std::string Raw;
    for (int I = 0; I < 5000; ++I)
        Raw += "abcdefgh\r\n\rxy"[(I * 7919) % 14];
    std::string Expected;
    std::size_t Write = 0, LineStart = 0, LineEnd = 0;
    for (char C : Raw) {
        if (C == '\n') {
            Expected.resize(LineEnd);
            Expected += "\r\n";
            Write = LineStart = LineEnd = Expected.size();
        } else if (C == '\r') {
            Write = LineStart;
        } else {
            if (Write < Expected.size())
                Expected[Write] = C;
            else
                Expected += C;
            LineEnd = ++Write;
        }
    }
    Expected.resize(Write);
    EXPECT_EQ(NormalizeLineBreaks(Raw), Expected);
}

} // namespace
