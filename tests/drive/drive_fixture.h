// Start state shared by the drive tests: settings and drive data at their
// defaults, empty bearing slots, a headless user interface.
#pragma once

#include "drive/drive_data.h"
#include "foundation/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace kt4::drivetest {

// X written with six significant digits ("1.16632e+03"), to compare results
// with reference figures to that precision.
inline std::string Sig6(long double X)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.5Le", X);
    return buf;
}

class DriveTest : public ::testing::Test {
protected:
    void SetUp() override;
};

} // namespace kt4::drivetest

#define EXPECT_SIG6(actual, expected) \
    EXPECT_EQ(::kt4::drivetest::Sig6(actual), ::kt4::drivetest::Sig6(expected)) << #actual
