// The explanation form and the help-picture browser through the window
// backend.
#include "foundation/explain.h"
#include "foundation/gui/hilfebild_form.h"
#include "foundation/gui/qt_ui.h"
#include "foundation/helppictures.h"

#include "gui_helpers.h"
#include "output_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace kt4;
using namespace kt4::gui;
using kt4::testing::FileLines;
using kt4::testing::Find;
using kt4::testing::ModalScript;

namespace {

class Forms : public kt4::testing::OutputTest {
protected:
    void SetUp() override
    {
        OutputTest::SetUp();
        settings::PltDir = dir.Path();
        dir.Put("kt4.err", "Warnung: i < 10 !\r\nalte Ursache\r\nalte Abhilfe\r\n");
        // stored text: "Übersicht" in code page 850
        dir.Put("kt4.dbh", "\"eins\",\"Erstes Bild\"\r\n\"zwei\",\"\x9A" "bersicht\"\r\n");
    }
};

} // namespace

TEST_F(Forms, AnEditedExplanationIsSavedAfterYes)
{
    QtUi& qt = UseQtUi();
    std::vector<std::string> drawn;
    qt.pictureHook = [&](const std::string& path, const PictureWindow&) { drawn.push_back(path); };
    ModalScript script;
    script.Then([](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Fehlermeldung");
        EXPECT_EQ(Find<QLineEdit>(w, "Edit_meldung")->text(), "Warnung: i < 10 !");
        auto* cause = Find<QPlainTextEdit>(w, "Memo_ursache");
        EXPECT_EQ(cause->toPlainText(), "alte Ursache");
        cause->setPlainText("neue Ursache\nmit zwei Zeilen für Maße");
        QTest::mouseClick(Find<QPushButton>(w, "Button_ok"), Qt::LeftButton);
    });
    script.Then([](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), "Save Changes ?");
        box->button(QMessageBox::Yes)->click();
    });
    settings::AddMessage("Warnung: i < 10 !");
    ShowMessageExplanation(1);
    EXPECT_EQ(script.Left(), 0u);
    auto lines = FileLines(dir.Get("kt4.err"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "neue Ursache mit zwei Zeilen f\x81r Ma\xE1" "e");
    EXPECT_EQ(lines[2], "alte Abhilfe");
}

TEST_F(Forms, AnUnchangedExplanationIsNotSaved)
{
    UseQtUi();
    ModalScript script;
    script.Then([](QWidget* w) { QTest::mouseClick(Find<QPushButton>(w, "Button_ok"), Qt::LeftButton); });
    settings::AddMessage("Warnung: i < 10 !");
    ShowMessageExplanation(1);
    EXPECT_EQ(script.Left(), 0u);
    EXPECT_EQ(dir.Get("kt4.err"), "Warnung: i < 10 !\r\nalte Ursache\r\nalte Abhilfe\r\n");
}

TEST_F(Forms, PictureBrowserPicksStepsAndEnds)
{
    QtUi& qt = UseQtUi();
    std::vector<std::string> drawn;
    qt.pictureHook = [&](const std::string& path, const PictureWindow& world) {
        drawn.push_back(path);
        EXPECT_EQ(world.x2, 160);
        EXPECT_EQ(world.y2, 120);
    };
    ModalScript script;
    script.Then([](QWidget* w) {
        auto* list = Find<QComboBox>(w, "ListBox1");
        ASSERT_EQ(list->count(), 7); // two pictures and five commands
        EXPECT_EQ(list->itemText(0), "eins    : Erstes Bild");
        // every line with an umlaut shows it, pictures and commands alike
        EXPECT_EQ(list->itemText(1), QString::fromUtf8("zwei    : Übersicht"));
        for (int k = 0; k < list->count(); ++k)
            EXPECT_FALSE(list->itemText(k).contains(QChar::ReplacementCharacter)) << k;
        EXPECT_TRUE(list->findText(QString::fromUtf8("Löschen"), Qt::MatchContains) >= 0);
        emit list->activated(1);
    });
    script.Then([](QWidget* w) {
        EXPECT_EQ(Find<QComboBox>(w, "ListBox1")->currentIndex(), 1);
        QTest::mouseClick(Find<QToolButton>(w, "SpinButton1Up"), Qt::LeftButton);
    });
    script.Then([](QWidget* w) { QTest::mouseClick(Find<QPushButton>(w, "Button_ok"), Qt::LeftButton); });
    HelpPicturesMenu();
    EXPECT_EQ(script.Left(), 0u);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0], dir.Path() + "zwei.plt");
    EXPECT_EQ(drawn[1], dir.Path() + "eins.plt");
    EXPECT_TRUE(settings::AbortFlag);
}

TEST_F(Forms, PictureBrowserButtonsNameTheirActions)
{
    TForm_hilfebild form;
    form.Setup({"a", "b", "c"}, 1, 1);
    for (auto [name, action] : {std::pair{"Button_neu", PictureAction::New},
                                std::pair{"Button_aendern", PictureAction::Change},
                                std::pair{"Button_einfuegen", PictureAction::Insert},
                                std::pair{"Button_loeschen", PictureAction::Delete}}) {
        QTest::mouseClick(Find<QPushButton>(&form, name), Qt::LeftButton);
        EXPECT_EQ(form.Action, action) << name;
    }
}
