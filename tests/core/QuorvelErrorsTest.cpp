#include "core/QuorvelErrors.h"

#include <gtest/gtest.h>

TEST(QuorvelErrors, OSErrorCarriesTheCodeAndThePlatformText) {
    try {
        RaiseOSError(5);
        FAIL() << "no error raised";
    } catch (const EOSError& E) {
        EXPECT_EQ(E.ErrorCode, 5u);
        EXPECT_NE(std::string(E.what()).find("5"), std::string::npos);
        EXPECT_NE(std::string(E.what()).find(SysErrorMessage(5)), std::string::npos);
    }
}
