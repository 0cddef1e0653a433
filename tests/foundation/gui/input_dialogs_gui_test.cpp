// The four input dialogs found by their control names, typed into and
// clicked; and the dialog layer through the window backend.
#include "foundation/dialogs.h"
#include "foundation/gui/input_dialogs.h"
#include "foundation/gui/qt_ui.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"

#include "foundation/output_fixture.h"
#include "gui_helpers.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace kt4;
using namespace kt4::gui;
using kt4::testing::Find;
using kt4::testing::ModalScript;

namespace {

class InputDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        kt4::testing::InitOutputModules();
        headless = &UseHeadlessUi();
        settings::PltDir = KT4_DATA_DIR;
    }
    HeadlessUi* headless = nullptr;
};

std::vector<std::string> Lines(int n)
{
    std::vector<std::string> v;
    for (int k = 1; k <= n; ++k)
        v.push_back("Zeile " + std::to_string(k));
    return v;
}

} // namespace

TEST_F(InputDialogs, RadioDialogChoosesAndAccepts)
{
    Tin_radiodialog d;
    d.Setup("Bitte wählen", Lines(3), 2);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    EXPECT_EQ(d.windowTitle(), "Auswahl");
    EXPECT_EQ(Find<QLabel>(&d, "Label1")->text(), "Bitte wählen");
    auto* group = Find<QGroupBox>(&d, "RadioGroup1");
    auto buttons = group->findChildren<QRadioButton*>();
    ASSERT_EQ(buttons.size(), 3);
    EXPECT_TRUE(buttons[1]->isChecked());
    QTest::mouseClick(buttons[2], Qt::LeftButton, {}, QPoint(6, buttons[2]->height() / 2));
    QTest::mouseClick(Find<QPushButton>(&d, "Button_ok"), Qt::LeftButton);
    EXPECT_TRUE(d.OkPressed);
    EXPECT_EQ(d.Selection(), 3);
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(Find<QPushButton>(&d, "Button_hilfetext")->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(Find<QPushButton>(&d, "button_cancel")->text(), "Abbrechen");
}

TEST_F(InputDialogs, ListDialogAcceptsOnDoubleClickAndEnter)
{
    Tin_codedialog d;
    d.Setup("Liste", Lines(10), 4);
    auto* list = Find<QListWidget>(&d, "ListBox1");
    ASSERT_EQ(list->count(), 10);
    EXPECT_EQ(list->currentRow(), 3);
    d.show();
    list->setCurrentRow(8);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_TRUE(d.OkPressed);
    EXPECT_EQ(d.Selection(), 9);

    Tin_codedialog d2;
    d2.Setup("Liste", Lines(10), 1);
    d2.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d2));
    auto* list2 = Find<QListWidget>(&d2, "ListBox1");
    QRect r = list2->visualItemRect(list2->item(5));
    QTest::mouseClick(list2->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(list2->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_TRUE(d2.OkPressed);
    EXPECT_EQ(d2.Selection(), 6);
}

TEST_F(InputDialogs, ListWithoutSelectionIsNoChoice)
{
    Tin_codedialog d;
    d.Setup("Liste", Lines(9), 0);
    Find<QListWidget>(&d, "ListBox1")->clearSelection();
    EXPECT_EQ(d.Selection(), 0);
}

TEST_F(InputDialogs, YesNoDialogPresetAndAnswer)
{
    Tin_janeindialog d;
    d.Setup("Speichern ?", 'n');
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    EXPECT_EQ(d.windowTitle(), "Eingabe");
    auto* group = Find<QGroupBox>(&d, "RadioGroup_janein");
    EXPECT_EQ(group->title(), "Auswahl");
    EXPECT_EQ(d.Answer(), 'N');
    auto* ja = Find<QRadioButton>(&d, "RadioGroup_janein_Ja");
    QTest::mouseClick(ja, Qt::LeftButton, {}, QPoint(6, ja->height() / 2));
    QTest::mouseClick(d.Button_ok, Qt::LeftButton);
    EXPECT_EQ(d.Answer(), 'J');
}

TEST_F(InputDialogs, TextDialogLimitsTheLength)
{
    Tin_textdialog d;
    d.Setup("Name", "", 5);
    d.show();
    auto* edit = Find<QLineEdit>(&d, "EditEinText");
    QTest::keyClicks(edit, "Langer Name");
    EXPECT_EQ(d.Text(), "Lange");
    edit->setText(QString::fromUtf8("Maß"));
    EXPECT_EQ(d.Text(), "Maß");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(d.OkPressed);
}

TEST_F(InputDialogs, CancelEscAndClosingSetTheAbortFlag)
{
    Tin_textdialog d;
    d.Setup("Name", "x", 5);
    QTest::mouseClick(Find<QPushButton>(&d, "button_cancel"), Qt::LeftButton);
    EXPECT_TRUE(settings::AbortFlag);

    settings::AbortFlag = false;
    Tin_textdialog e;
    e.Setup("Name", "x", 5);
    e.show();
    QTest::keyClick(&e, Qt::Key_Escape);
    EXPECT_TRUE(settings::AbortFlag);

    settings::AbortFlag = false;
    Tin_radiodialog f;
    f.Setup("Wahl", Lines(2), 1);
    f.show();
    f.close();
    EXPECT_TRUE(settings::AbortFlag);
}

TEST_F(InputDialogs, HelpButtonsThenCancelOrOk)
{
    help::HelpNumber = 1050;
    Tin_radiodialog d;
    d.Setup("Wahl", Lines(2), 1);
    QTest::mouseClick(d.Button_hilfetext, Qt::LeftButton);
    QTest::mouseClick(d.Button_hilfebild, Qt::LeftButton);
    ASSERT_GE(headless->Log().size(), 2u);
    EXPECT_EQ(headless->Log()[0].rfind("help|HILFETEXT Nr.1050|Ausgabeger", 0), 0u);
    QTest::mouseClick(d.button_cancel, Qt::LeftButton);
    EXPECT_TRUE(settings::AbortFlag);

    Tin_radiodialog e;
    e.Setup("Wahl", Lines(2), 1);
    QTest::mouseClick(e.Button_hilfetext, Qt::LeftButton);
    QTest::mouseClick(e.Button_ok, Qt::LeftButton);
    EXPECT_FALSE(settings::AbortFlag);
}

TEST_F(InputDialogs, InvalidNumberIsAskedAgainInTheWindows)
{
    UseQtUi();
    ModalScript script;
    script.Then([](QWidget* w) {
        auto* edit = Find<QLineEdit>(w, "EditEinText");
        edit->setText("12,5 mm");
        QTest::mouseClick(Find<QPushButton>(w, "Button_ok"), Qt::LeftButton);
    });
    script.Then([](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), "Ungültige Eingabe \"12,5 mm\" !");
        box->accept();
    });
    script.Then([](QWidget* w) {
        auto* edit = Find<QLineEdit>(w, "EditEinText");
        EXPECT_EQ(edit->text(), "5"); // the value before the dialog again
        edit->setText("12,5");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    Real x = 5;
    InputReal("Breite", x, 0, 100);
    EXPECT_EQ(x, 12.5L);
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(script.Left(), 0u);
}

TEST_F(InputDialogs, ChoiceThroughTheWindows)
{
    UseQtUi();
    for (int k = 1; k <= 8; ++k)
        settings::DialogLines[static_cast<std::size_t>(k)] = "Zeile " + std::to_string(k);
    ModalScript script;
    script.Then([](QWidget* w) {
        EXPECT_EQ(w->objectName(), "Tin_codedialog");
        Find<QListWidget>(w, "ListBox1")->setCurrentRow(6);
        QTest::mouseClick(Find<QPushButton>(w, "Button_ok"), Qt::LeftButton);
    });
    script.Then([](QWidget* w) {
        EXPECT_EQ(w->objectName(), "Tin_radiodialog");
        QTest::mouseClick(Find<QPushButton>(w, "button_cancel"), Qt::LeftButton);
    });
    Word sel = 1;
    ChoiceDialog("Acht", 8, sel);
    EXPECT_EQ(sel, 7);
    ChoiceDialog("Sieben", 7, sel);
    EXPECT_EQ(sel, 7);
    EXPECT_TRUE(settings::AbortFlag);
}
