#include "foundation/settings.h"
#include "foundation/ui_headless.h"

#include <gtest/gtest.h>

using namespace kt4;
using namespace kt4::settings;

class MessageList : public ::testing::Test {
protected:
    void SetUp() override { InitSettings(); }
};

TEST_F(MessageList, RepeatedTextIsKeptOnceButCaseCounts)
{
    AddMessage("Warnung: kappa < 0.1 (visko)");
    AddMessage("Warnung: kappa < 0.1 (visko)");
    AddMessage("Warnung: KAPPA < 0.1 (visko)");
    EXPECT_EQ(MessageCount, 2);
    EXPECT_EQ(MessageTexts[2], "Warnung: KAPPA < 0.1 (visko)");
}

TEST_F(MessageList, ThirteenthTextIsDropped)
{
    for (int k = 1; k <= 13; ++k)
        AddMessage("Fehler : " + std::to_string(k));
    EXPECT_EQ(MessageCount, 12);
    EXPECT_EQ(MessageTexts[12], "Fehler : 12");
}

// Why a calculation stopped is never lost: in a full list a fatal message
// takes the place of the last one that is not fatal, at the end.
TEST_F(MessageList, FatalMessageAlwaysGetsIn)
{
    for (int k = 1; k <= 11; ++k)
        AddMessage("Warnung: " + std::to_string(k));
    AddMessage("Fatal  : dp = 0 !");
    AddMessage("Fatal  : dz = 0 !");
    EXPECT_EQ(MessageCount, 12);
    EXPECT_EQ(MessageTexts[10], "Warnung: 10");
    EXPECT_EQ(MessageTexts[11], "Fatal  : dp = 0 !");
    EXPECT_EQ(MessageTexts[12], "Fatal  : dz = 0 !");
    for (int k = 1; k <= 12; ++k)
        AddMessage("Fatal  : " + std::to_string(k));
    EXPECT_EQ(MessageTexts[1], "Fatal  : dp = 0 !");
    EXPECT_EQ(MessageTexts[12], "Fatal  : 10");
}

TEST_F(MessageList, ClearResetsFlagsAndRefills)
{
    AddMessage("Fatal  : di > de ! (input shaft)");
    CalcErrorFlag = true;
    AbortFlag = true;
    ClearMessages();
    EXPECT_EQ(MessageCount, 0);
    EXPECT_FALSE(CalcErrorFlag);
    EXPECT_FALSE(AbortFlag);
    AddMessage("Warnung: x");
    EXPECT_EQ(MessageTexts[1], "Warnung: x");
}

TEST_F(MessageList, DefaultsBeforeConfiguration)
{
    EXPECT_EQ(UnitSystem, 0);
    EXPECT_EQ(Decimals, 3);
    EXPECT_EQ(DateFormat, 3);
    EXPECT_EQ(TextDevice, 1);
    EXPECT_EQ(DialogLines[135], std::string(65, ' '));
    EXPECT_THROW(DialogLines[136], std::out_of_range);
    EXPECT_THROW(MessageTexts[0], std::out_of_range);
}

TEST(HeadlessUi, ScriptedAnswersThenCancel)
{
    auto& ui = UseHeadlessUi();
    ui.Script("2");
    ui.Script("Nein");
    int sel = 1;
    EXPECT_TRUE(Ui().RadioChoice("?", {"a", "b", "c"}, sel));
    EXPECT_EQ(sel, 2);
    char yn = 'J';
    EXPECT_TRUE(Ui().YesNoChoice("?", yn));
    EXPECT_EQ(yn, 'N');
    std::string t = "keep";
    EXPECT_FALSE(Ui().TextInput("?", t, 10)); // nothing scripted: cancelled
    EXPECT_EQ(t, "keep");
    EXPECT_EQ(Ui().YesNoCancelBox("c", "t"), Answer::Cancel);
    EXPECT_EQ(ui.Log().size(), 4u);
}
