// The documentation forms on the offscreen platform: found by their control
// names, filled and confirmed they change the globals; Cancel changes
// nothing.
#include "drive/doclinks.h"
#include "cad/cad_settings.h"
#include "drive/docu_data.h"
#include "drive/docu_forms.h"
#include "drive/docu_texts.h"
#include "drive/gui/doclinks_form.h"
#include "drive/gui/docu_forms_qt.h"
#include "drive/gui/project_texts_form.h"
#include "drive/gui/revision_form.h"
#include "drive/gui/string_grid.h"
#include "drive/gui/title_block_form.h"
#include "foundation/codepage.h"
#include "foundation/datetime.h"
#include "foundation/scratch_dir.h"
#include "foundation/settings.h"
#include "foundation/gui/qt_ui.h"
#include "foundation/ui_headless.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace kt4 {
namespace {

using namespace kt4::docu;

class DocuForms : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings::InitSettings();
        settings::ProgramTitle = "Exzentergetriebe  KT4";
        SetFixedClock({2024, 3, 5, 10, 30, 0, 0});
        headless = &UseHeadlessUi();
        InitDocuData();
        InitDocumentLinks();
    }
    void TearDown() override
    {
        Forms = {};
        UseSystemClock();
    }

    template <class W>
    static W* Find(QWidget* form, const char* name)
    {
        W* w = form->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static void Click(QWidget* form, const char* name)
    {
        auto* button = Find<QPushButton>(form, name);
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    static void Type(QWidget* form, const char* name, const QString& text)
    {
        auto* edit = Find<QLineEdit>(form, name);
        ASSERT_NE(edit, nullptr);
        edit->clear();
        bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 128; });
        if (ascii)
            QTest::keyClicks(edit, text);
        else
            edit->insert(text); // the test keyboard types ASCII only
    }

    HeadlessUi* headless = nullptr;
};

// ---- Project texts

TEST_F(DocuForms, ProjectTextsOkStoresTheSixTexts)
{
    ZeichName = "alt";
    settings::RemarkLines[2] = DisplayToOem("Maße");
    Tform_uni4 form;
    form.show();
    EXPECT_EQ(Find<QLineEdit>(&form, "Edit_zeichname")->text(), "alt");
    EXPECT_EQ(Find<QLineEdit>(&form, "Edit_bemerk3")->text(), QString::fromUtf8("Maße"));
    EXPECT_EQ(Find<QLabel>(&form, "Label_zeichname2")->text(), "Zeichnungsname 2");
    EXPECT_EQ(Find<QLabel>(&form, "Label_bemerk1")->text(), "Zeile 1");
    Type(&form, "Edit_zeichname", QString::fromUtf8("Getriebe Größe 2"));
    Type(&form, "Edit_zeichname2", "Abtrieb");
    Type(&form, "Edit_zeichnr", "KT4-0815");
    Type(&form, "Edit_bemerk1", "Kunde A");
    settings::AbortFlag = true;
    Click(&form, "Button_ok");
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(ZeichName, DisplayToOem("Getriebe Größe 2"));
    EXPECT_EQ(ZeichName2, "Abtrieb");
    EXPECT_EQ(ZeichNr, "KT4-0815");
    EXPECT_EQ(settings::RemarkLines[0], "Kunde A");
    EXPECT_EQ(settings::RemarkLines[2], DisplayToOem("Maße"));
}

TEST_F(DocuForms, ProjectTextsCancelChangesNothing)
{
    ZeichNr = "alt";
    Tform_uni4 form;
    form.show();
    Type(&form, "Edit_zeichnr", "neu");
    Type(&form, "Edit_bemerk2", "neu");
    Click(&form, "Button_cancel");
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(ZeichNr, "alt");
    EXPECT_EQ(settings::RemarkLines[1], "");
}

// ---- Revision entry

TEST_F(DocuForms, RevisionEntryOkStoresTheEntry)
{
    AendCount = 3;
    AendList[3] = {"alt", "2020-01-01", "xy", ""};
    TForm_EinAend form(3);
    form.show();
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("Änderung 3"));
    EXPECT_EQ(Find<QLineEdit>(&form, "Edit_aenderung")->text(), "alt");
    EXPECT_EQ(Find<QLabel>(&form, "Label_aenderung")->text(), QString::fromUtf8("Änderungstext"));
    EXPECT_EQ(Find<QLineEdit>(&form, "Edit_aenderung")->maxLength(), 20);
    EXPECT_EQ(Find<QLineEdit>(&form, "Edit_bearbeiter")->maxLength(), 5);
    Type(&form, "Edit_aenderung", "Bohrung");
    Type(&form, "Edit_bearbeiter", "mkx");
    Click(&form, "Button_datum");
    EXPECT_EQ(Find<QLineEdit>(&form, "Edit_datum")->text(), "2024-03-05");
    auto* description = Find<QPlainTextEdit>(&form, "Edit_beschreibung");
    description->setPlainText(QString::fromUtf8("Bohrung dzw\nvon 7 auf 8 mm geändert"));
    Click(&form, "Button_ok");
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(AendList[3].text, "Bohrung");
    EXPECT_EQ(AendList[3].date, "2024-03-05");
    EXPECT_EQ(AendList[3].editor, "mkx");
    EXPECT_EQ(AendList[3].description, DisplayToOem("Bohrung dzw\nvon 7 auf 8 mm geändert"));
}

TEST_F(DocuForms, RevisionDescriptionKeepsAtMost255Characters)
{
    TForm_EinAend form(1);
    form.show();
    auto* description = Find<QPlainTextEdit>(&form, "Edit_beschreibung");
    description->setPlainText(QString(300, QChar(0xE4))); // "ä"
    EXPECT_EQ(description->toPlainText().size(), 255);
    Click(&form, "Button_ok");
    EXPECT_EQ(AendList[1].description, std::string(255, '\x84'));
}

TEST_F(DocuForms, RevisionEntryCancelChangesNothing)
{
    AendList[1] = {"alt", "2020-01-01", "xy", "b"};
    TForm_EinAend form(1);
    form.show();
    Type(&form, "Edit_aenderung", "neu");
    Click(&form, "Button_datum");
    Click(&form, "Button_cancel");
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(AendList[1].text, "alt");
    EXPECT_EQ(AendList[1].date, "2020-01-01");
}

// ---- Title block

TEST_F(DocuForms, TitleBlockDinLayout)
{
    settings::TitleBlockStandard = 3;
    cad::ReleaseFieldText = "Freigabe";
    TForm_zeichInfo form;
    form.show();
    EXPECT_EQ(form.windowTitle(), "Zeichnungsinfo DIN 6771");
    auto* grid1 = Find<StringGrid>(&form, "StringGrid1");
    ASSERT_EQ(grid1->rowCount(), 5);
    EXPECT_EQ(grid1->Cell(0, 4), "Freigabe");
    EXPECT_EQ(grid1->Cell(0, 1), "Bearb.");
    EXPECT_EQ(grid1->Cell(1, 1), "2024-03-05");
    EXPECT_TRUE(Find<StringGrid>(&form, "StringGrid3")->isHidden());
    EXPECT_FALSE(Find<QPushButton>(&form, "Button4")->isHidden());

    grid1->SetCell(2, 1, QString::fromUtf8("Müller"));
    grid1->SetCell(2, 4, "Chef");
    Click(&form, "Button4"); // today into row 4
    Type(&form, "Edit_ersatzfuer", "A-100");
    auto* grid2 = Find<StringGrid>(&form, "StringGrid2");
    ASSERT_EQ(grid2->rowCount(), 9);
    ASSERT_EQ(grid2->columnCount(), 7);
    EXPECT_EQ(grid2->Cell(5, 0), "Text");
    grid2->SetCell(1, 1, "10");
    grid2->SetCell(5, 1, "erster Text");
    grid2->SetCell(6, 1, "3");
    grid2->SetCell(5, 2, "zweiter");
    grid2->SetCell(5, 4, "vierter"); // row 3 stays empty
    auto* mode = Find<QComboBox>(&form, "ComboBox_zeichtextmode");
    mode->setCurrentIndex(1);
    Click(&form, "Button_ok");

    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(ZeichInfo.Name1, DisplayToOem("Müller"));
    EXPECT_EQ(ZeichInfo.Name4, "Chef");
    EXPECT_EQ(ZeichInfo.Date4, "2024-03-05");
    EXPECT_EQ(ZeichInfo.ReplacementFor, "A-100");
    EXPECT_EQ(ZeichTextCount, 3);
    EXPECT_EQ(ZeichTexts[1].x, 10);
    EXPECT_EQ(ZeichTexts[1].layer, 3);
    EXPECT_EQ(ZeichTexts[3].text, "vierter");
    EXPECT_EQ(ZeichTextMode, 1);
}

TEST_F(DocuForms, TitleBlockTextModeNoneHidesTheFreeTexts)
{
    TForm_zeichInfo form;
    form.show();
    auto* grid2 = Find<StringGrid>(&form, "StringGrid2");
    auto* mode = Find<QComboBox>(&form, "ComboBox_zeichtextmode");
    ASSERT_EQ(mode->count(), 4);
    EXPECT_EQ(mode->itemText(2), "A4+A3");
    mode->setCurrentIndex(3);
    EXPECT_TRUE(grid2->isHidden());
    mode->setCurrentIndex(0);
    EXPECT_FALSE(grid2->isHidden());
}

TEST_F(DocuForms, TitleBlockIsoLayoutStoresTheIsoFields)
{
    for (Integer standard : {1, 4}) {
        settings::TitleBlockStandard = standard;
        ZeichInfo.Date4 = "alt";
        TForm_zeichInfo form;
        form.show();
        EXPECT_EQ(form.windowTitle(), "Zeichnungsinfo ISO 7200");
        auto* grid1 = Find<StringGrid>(&form, "StringGrid1");
        EXPECT_EQ(grid1->rowCount(), 4);
        EXPECT_EQ(grid1->Cell(0, 1), "Erstellt durch");
        EXPECT_EQ(grid1->Cell(1, 0), " (Datum)");
        auto* grid3 = Find<StringGrid>(&form, "StringGrid3");
        EXPECT_FALSE(grid3->isHidden());
        EXPECT_TRUE(Find<QPushButton>(&form, "Button1")->isHidden());
        EXPECT_TRUE(Find<QLineEdit>(&form, "Edit_ersatzfuer")->isHidden());
        EXPECT_EQ(grid3->Cell(0, 2), "Dokumentenart");
        grid3->SetCell(1, 1, "Konstruktion");
        grid3->SetCell(1, 2, "Zeichnung");
        grid3->SetCell(1, 3, "freigegeben");
        Click(&form, "Button_ok");
        EXPECT_EQ(ZeichInfo.ResponsibleDept, "Konstruktion") << standard;
        EXPECT_EQ(ZeichInfo.DocumentStatus, "freigegeben") << standard;
        EXPECT_EQ(ZeichInfo.Date4, "") << standard;
        EXPECT_EQ(ZeichTextCount, 0) << standard; // an empty grid holds no text
    }
}

TEST_F(DocuForms, TitleBlockCancelChangesNothing)
{
    TZeichInfo before = ZeichInfo;
    TForm_zeichInfo form;
    form.show();
    Find<StringGrid>(&form, "StringGrid1")->SetCell(2, 1, "neu");
    Find<StringGrid>(&form, "StringGrid2")->SetCell(5, 1, "neu");
    Click(&form, "Button3");
    Click(&form, "Button_cancel");
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(ZeichInfo.Name1, before.Name1);
    EXPECT_EQ(ZeichInfo.Date3, before.Date3);
    EXPECT_EQ(ZeichTextCount, 0);
}

// ---- Document links

TEST_F(DocuForms, DocumentLinksOkStoresAllFive)
{
    TForm_confDoku form;
    form.show();
    EXPECT_EQ(Find<QLineEdit>(&form, "Edit_prog3")->text(), "mspaint.exe");
    EXPECT_EQ(Find<QPushButton>(&form, "Button2")->text(), "Exec Prog");
    EXPECT_EQ(Find<QPushButton>(&form, "Button2f")->text(), "Exec File");
    EXPECT_NE(form.findChild<QGroupBox*>("GroupBox5"), nullptr);
    Type(&form, "Edit_prog2", "libreoffice");
    Type(&form, "Edit_file2", "/home/k/Bericht Nr 1.odt");
    Type(&form, "Edit_file5", "skizze.png");
    Click(&form, "Button_ok");
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(DokuList[2].program, "libreoffice");
    EXPECT_EQ(DokuList[2].file, "/home/k/Bericht Nr 1.odt");
    EXPECT_EQ(DokuList[5].file, "skizze.png");
    EXPECT_EQ(DokuList[1].program, "notepad.exe");
}

TEST_F(DocuForms, DocumentLinksCancelKeepsTheLinks)
{
    TForm_confDoku form;
    form.show();
    Type(&form, "Edit_prog1", "anders");
    headless->Script("/tmp/gewaehlt.txt");
    Click(&form, "Button_file1"); // browsed into the edit
    EXPECT_EQ(Find<QLineEdit>(&form, "Edit_file1")->text(), "/tmp/gewaehlt.txt");
    Click(&form, "Button_cancel");
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(DokuList[1].program, "notepad.exe");
    EXPECT_EQ(DokuList[1].file, "");
}

TEST_F(DocuForms, ExecButtonsUseTheEditTextsAsOneArgument)
{
    kt4::testing::ScratchDir dir;
    dir.Put("a b.txt", "x"); // Exec File opens only a document that is there
    const std::string document = dir.File("a b.txt");
    TForm_confDoku form;
    form.show();
    Type(&form, "Edit_prog4", "gedit");
    Type(&form, "Edit_file4", QString::fromStdString(document));
    Click(&form, "Button4");
    Click(&form, "Button4f");
    std::vector<std::string> calls;
    for (const auto& e : headless->Log())
        if (e.rfind("start", 0) == 0 || e.rfind("opendoc", 0) == 0)
            calls.push_back(e);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], "start|gedit| " + document);
    EXPECT_EQ(calls[1], "opendoc||" + document);
    EXPECT_EQ(DokuList[4].program, "notepad.exe"); // not stored by the buttons
}

// ---- Texts the stored code page cannot hold

TEST_F(DocuForms, TextsOutsideTheCodePageAreRefusedAndTheFormStaysOpen)
{
    const QString foreign = QString::fromUtf8("Maße Ω 漢 한 Ω");
    AendList[1].text = "alt";
    Tform_uni4 texts;
    TForm_EinAend revision(1);
    TForm_zeichInfo title;
    TForm_confDoku links;
    const std::pair<QDialog*, std::function<void()>> cases[] = {
        {&texts, [&] { Type(&texts, "Edit_bemerk2", foreign); }},
        {&revision, [&] { Type(&revision, "Edit_aenderung", foreign); }},
        {&title, [&] { Find<StringGrid>(&title, "StringGrid2")->SetCell(5, 1, foreign); }},
        {&links, [&] { Type(&links, "Edit_file3", foreign); }},
    };
    for (const auto& [form, type] : cases) {
        form->show();
        type();
        headless->ClearLog();
        Click(form, "Button_ok");
        EXPECT_TRUE(form->isVisible()) << form->objectName().toStdString();
        EXPECT_EQ(headless->Logged("error"),
                  std::vector<std::string>{"error|Fehler : |Zeichen nicht darstellbar: Ω 漢 한"});
    }
    EXPECT_EQ(settings::RemarkLines[1], "");
    EXPECT_EQ(AendList[1].text, "alt");
    EXPECT_EQ(ZeichTextCount, 0);
    EXPECT_EQ(DokuList[3].file, "");

    // as the window program shows the refusal
    gui::UseQtUi();
    QTimer::singleShot(0, [] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        QDir().mkpath(KT4_ARTIFACT_DIR);
        EXPECT_TRUE(box->grab().save(QString(KT4_ARTIFACT_DIR) + "/refusal_outside_code_page.png"));
        box->close();
    });
    Click(&texts, "Button_ok");
    EXPECT_TRUE(texts.isVisible());
}

// ---- The core opens the forms

TEST_F(DocuForms, CoreDialogsShowTheRegisteredForms)
{
    InstallDocuForms();
    AendCount = 1;
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->objectName(), "TForm_EinAend");
        auto* edit = dialog->findChild<QLineEdit*>("Edit_aenderung");
        edit->setText("modal");
        dialog->findChild<QPushButton*>("Button_ok")->click();
    });
    EditRevision(1);
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(AendList[1].text, "modal");

    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->objectName(), "Tform_uni4");
        dialog->findChild<QPushButton*>("Button_cancel")->click();
    });
    EditTexts();
    EXPECT_TRUE(settings::AbortFlag);
}

} // namespace
} // namespace kt4
