// What the bearing tests share: a fresh program state per test and the
// message list as display texts.
#pragma once

#include "drive/bearing_types.h"
#include "foundation/codepage.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kt4::bearing_test {

inline double D(Real x) { return static_cast<double>(x); }

inline std::vector<std::string> Messages()
{
    std::vector<std::string> m;
    for (Word i = 1; i <= settings::MessageCount; ++i)
        m.push_back(OemToDisplay(settings::MessageTexts[i]));
    return m;
}

inline bool HasMessage(const std::string& Text)
{
    for (const auto& m : Messages())
        if (m == Text)
            return true;
    return false;
}

// Default settings, the shipped factor tables as the catalogue folder,
// fresh bearing slots and a scripted user.
class BearingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings::InitSettings();
        settings::DbfDir = KT4_DATA_DIR;
        bearings::InitBearingSlots();
        ui = &UseHeadlessUi();
    }
    HeadlessUi* ui = nullptr;
};

} // namespace kt4::bearing_test
