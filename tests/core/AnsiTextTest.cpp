#include "core/AnsiText.h"

#include <gtest/gtest.h>

TEST(AnsiText, FoldsOnlyTheLettersAToZ) {
    EXPECT_EQ(LowerCaseAZ("ABC xyz \xC9\xE9 [Z]"), "abc xyz \xC9\xE9 [z]");
    EXPECT_TRUE(SameTextAZ("Tandrel Quorvel", "TANDREL quorvel"));
    EXPECT_FALSE(SameTextAZ("\xC9", "\xE9"));
    EXPECT_FALSE(SameTextAZ("abc", "abcd"));
}

TEST(AnsiText, PrefixAndContainment) {
    struct Case {
        const char* Needle;
        const char* Haystack;
        bool Starts;
        bool Contains;
    };
    const Case Cases[] = {
        {"tandrel quorvel", "Tandrel Quorvel 2.1", true, true},
        {"success", "Unsuccessful", false, true},
        {"quorvel", "Tandrel", false, false},
        {"", "anything", true, false},
        {"x", "", false, false},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(StartsTextAZ(C.Needle, C.Haystack), C.Starts) << C.Needle << " / " << C.Haystack;
        EXPECT_EQ(ContainsTextAZ(C.Needle, C.Haystack), C.Contains)
            << C.Needle << " / " << C.Haystack;
    }
}
