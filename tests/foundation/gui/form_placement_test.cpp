#include "foundation/gui/form_placement.h"
#include "foundation/settings.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
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

// A form built with a layout is sized from the layout, not stretched to the
// toolkit's stand-in size, and centred with that size; a tool window keeps
// its small size.
TEST_F(FormPlacement, LayoutFormsTakeTheirLayoutsSize)
{
    QWidget main;
    main.setGeometry(100, 50, 900, 700);
    SetPlacementMainWindow(&main);
    for (Qt::WindowFlags flags : {Qt::Dialog, Qt::Tool}) {
        QDialog form(nullptr, flags);
        auto* layout = new QVBoxLayout(&form);
        layout->addWidget(new QLabel("Bemerkung", &form));
        layout->addWidget(new QLineEdit(&form));
        const QSize hint = form.sizeHint();
        if (flags == Qt::Tool)
            ScaleFormAtPos(&form);
        else
            CenterForm(&form);
        EXPECT_EQ(form.size(), hint);
        EXPECT_LT(form.width(), 640);
        EXPECT_LT(form.height(), 480);
        if (flags == Qt::Dialog) {
            EXPECT_EQ(form.pos(), QPoint(100 + (900 - hint.width()) / 2, 50 + (700 - hint.height()) / 2 + 20));
        }
        form.show();
        EXPECT_EQ(form.size(), hint); // showing changes nothing
    }
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
