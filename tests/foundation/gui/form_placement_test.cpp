#include "foundation/gui/form_placement.h"
#include "foundation/settings.h"

#include <QLabel>
#include <QWidget>
#include <gtest/gtest.h>

using namespace kt4;

class FormPlacement : public ::testing::Test {
protected:
    void SetUp() override { settings::InitSettings(); }
};

TEST_F(FormPlacement, CenterFormScalesAndCentresOnTheMainWindow)
{
    QWidget main;
    main.setGeometry(100, 50, 300, 600);
    SetPlacementMainWindow(&main);
    settings::InputWindowScale = 120;
    QWidget form;
    form.resize(400, 300);
    CenterForm(&form);
    EXPECT_EQ(form.size(), QSize(480, 360));
    EXPECT_EQ(form.pos(), QPoint(100, 50 + 120 + 20));
    SetPlacementMainWindow(nullptr);
}

TEST_F(FormPlacement, ControlsScaleWithTheElementSetting)
{
    settings::DialogElementScale = 200;
    QWidget form;
    form.resize(200, 100);
    QFont f = form.font();
    f.setPointSize(10);
    form.setFont(f);
    auto* label = new QLabel("x", &form);
    label->setGeometry(10, 20, 30, 40);
    QFont big;
    big.setPointSize(30);
    label->setFont(big);
    ScaleForm(&form);
    EXPECT_EQ(label->geometry(), QRect(20, 40, 60, 80));
    EXPECT_EQ(form.font().pointSize(), 20);
    EXPECT_EQ(label->font().pointSize(), 20); // takes the form's font
}
