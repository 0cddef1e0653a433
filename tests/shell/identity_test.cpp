#include "foundation/settings.h"
#include "shell/identity.h"

#include <gtest/gtest.h>

using namespace kt4;

TEST(ProgramIdentity, OverwritesTheStartValues)
{
    settings::InitSettings();
    EXPECT_EQ(settings::ProductName, "VELMORA");
    shell::SetProgramIdentity();
    EXPECT_EQ(settings::ProductName, "KT4");
    EXPECT_EQ(settings::BaseName, "kt4");
    EXPECT_EQ(settings::DataFileExt, "kt4");
    EXPECT_EQ(settings::ProgramVersion, "1.1");
    EXPECT_EQ(settings::ProgramTitle, "Exzentergetriebe  KT4");
}
