// Tconfig's Save, Import, Export and Cancel, the plot command lines, the
// colour picker and the dialogs, the menu item of the main window, and
// pictures of every tab for a reviewer.
#include "config_form_fixture.h"

#include "foundation/dialogs.h"
#include "foundation/gui/qt_ui.h"

#include "shell/config_form_model.h"
#include "shell/config_table.h"
#include "shell/gui/hh.h"
#include "shell/gui/select_color_form.h"
#include "shell/menu_commands.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>

#include <filesystem>
#include <fstream>

namespace kt4::shelltest {
namespace {

namespace c = cad;
namespace g = graphics;
using shell::ConfigLines;

std::vector<std::string> FileLines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    std::vector<std::string> lines;
    std::string line;
    std::istringstream text(s.str());
    while (std::getline(text, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

TEST_F(ConfigForm, SaveWritesWhatTheReaderReadsBack)
{
    shell::ReadConfigFile(); // as at the start: no file, the screen's values
    settings::AbortFlag = false;
    auto f = Open();
    Type(*f, "Tab_grafik", "Edit_zoomfaktor", "1.5");
    Type(*f, "Tab_dir", "Edit_dirdbf", dir.Path().c_str());
    settings::DbfWriteChecked = true;
    Click(*f, nullptr, "Button_save");
    EXPECT_TRUE(f->isVisible());
    EXPECT_FALSE(settings::DbfWriteChecked); // a folder changed
    std::vector<std::string> saved = ConfigLines();
    g::ZoomFactor = 9;
    shell::ReadConfigFile();
    EXPECT_EQ(g::ZoomFactor, 1.5L);
    EXPECT_EQ(ConfigLines(), saved);
    // OK afterwards has nothing more to take
    Click(*f, nullptr, "Button_ok");
    EXPECT_EQ(ConfigLines(), saved);
}

TEST_F(ConfigForm, SaveAfterACancelledPickerStillWrites)
{
    auto f = Open();
    OnModal([](QWidget* w) { w->findChild<QPushButton*>("Button_cancel")->click(); });
    Click(*f, "Tab_color", "Button_selectcolor");
    EXPECT_TRUE(settings::AbortFlag);
    Click(*f, nullptr, "Button_save");
    EXPECT_TRUE(std::filesystem::exists(shell::ConfigFileName()));
    EXPECT_FALSE(settings::AbortFlag);
}

TEST_F(ConfigForm, FailedSaveIsShownAndTheFormStaysOpen)
{
    dir.Put("plain", "x");
    settings::ConfigDir = dir.File("plain") + "/";
    auto f = Open();
    Click(*f, nullptr, "Button_save");
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_FALSE(Logged("yesnocancel").empty()); // the failure, with the offer to try again

    Click(*f, nullptr, "Button_cancel");
    EXPECT_EQ(f->result(), QDialog::Rejected);
    EXPECT_TRUE(settings::AbortFlag);
}

class ConfigImport : public ConfigForm {
protected:
    // A configuration file elsewhere with zoom 2.5, language 3 (saved),
    // another table folder; then the start values again.
    std::string OtherFile()
    {
        std::filesystem::create_directories(dir.File("other"));
        g::ZoomFactor = 2.5L;
        settings::SaveMenuLanguage = true;
        settings::LanguageId = 3;
        settings::DbfDir = "/other/";
        settings::ConfigDir = dir.File("other") + "/";
        settings::BaseName = "other";
        shell::WriteConfigFile();
        EXPECT_FALSE(settings::AbortFlag);
        FreshStart();
        return dir.File("other/other.cfg");
    }
};

TEST_F(ConfigImport, CancelAfterImportChangesNothing)
{
    std::string other = OtherFile();
    std::vector<std::string> before = ConfigLines();
    auto f = Open();
    ui->Script(other);
    Click(*f, nullptr, "Button_import");
    EXPECT_EQ(Text(*f, "Tab_grafik", "Edit_zoomfaktor"), "2.5");
    EXPECT_EQ(Text(*f, "Tab_dir", "Edit_dirdbf"), "/other/");
    EXPECT_EQ(ConfigLines(), before);
    EXPECT_EQ(settings::ConfigDir, dir.Path());
    EXPECT_EQ(settings::BaseName, "kt4");
    Click(*f, nullptr, "Button_cancel");
    EXPECT_EQ(ConfigLines(), before);
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(settings::ConfigDir, dir.Path());
}

TEST_F(ConfigImport, OkTakesTheImportedFileAndTheForm)
{
    std::string other = OtherFile();
    settings::DbfWriteChecked = true;
    auto f = Open();
    ui->Script(other);
    Click(*f, nullptr, "Button_import");
    Type(*f, "Tab_grafik", "Edit_panfaktor", "0.3");
    Click(*f, nullptr, "Button_ok");
    EXPECT_EQ(g::ZoomFactor, 2.5L);
    EXPECT_EQ(g::PanFactor, 0.3L);
    EXPECT_EQ(settings::LanguageId, 3); // not on the form
    EXPECT_FALSE(settings::DbfWriteChecked);
    EXPECT_EQ(settings::ConfigDir, dir.Path());
    EXPECT_EQ(settings::BaseName, "kt4");

    // Cancel in the file dialog
    f = Open();
    Click(*f, nullptr, "Button_import");
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_TRUE(f->isVisible());
}

// A file headed as a configuration but with junk value lines is refused
// in a box over the form, which shows what it showed; no setting changes.
TEST_F(ConfigImport, JunkValuesAreRefusedOverTheForm)
{
    std::vector<std::string> lines = FileLines(OtherFile());
    std::fill(lines.begin() + 2, lines.end(), "zz12345");
    std::ofstream junk(dir.File("junk.cfg"), std::ios::binary);
    for (const auto& line : lines)
        junk << line << "\r\n";
    junk.close();
    struct PickingUi : gui::QtUi {
        std::string file;
        bool OpenFileDialog(const std::string&, const std::string&, const std::string&, std::string& path) override
        {
            path = file;
            return true;
        }
    };
    auto picking = std::make_unique<PickingUi>();
    picking->file = dir.File("junk.cfg");
    SetUi(std::move(picking));
    const std::vector<std::string> before = ConfigLines();
    auto f = Open();
    const QString zoom = Text(*f, "Tab_grafik", "Edit_zoomfaktor");
    QString told;
    OnModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        told = box->text();
        QImage shot = f->grab().toImage();
        QPainter(&shot).drawImage(QPoint(20, 60), box->grab().toImage());
        EXPECT_TRUE(shot.save(QString::fromStdString(ArtifactPath("config_import_junk_refused.png"))));
        box->accept();
    });
    Click(*f, nullptr, "Button_import");
    EXPECT_NE(told.toStdString().find("junk.cfg, Zeile 6: \"zz12345\" ist keine Zahl; nichts übernommen."),
              std::string::npos)
        << told.toStdString();
    EXPECT_EQ(Text(*f, "Tab_grafik", "Edit_zoomfaktor"), zoom);
    EXPECT_EQ(ConfigLines(), before);
    EXPECT_TRUE(f->isVisible());
}

TEST_F(ConfigForm, ExportWritesWhatTheFormShowsAndKeepsTheSettings)
{
    std::vector<std::string> before = ConfigLines();
    std::string working = settings::WorkingDir;
    auto f = Open();
    Type(*f, "Tab_grafik", "Edit_zoomfaktor", "3.5");
    Type(*f, "Tab_dir", "Edit_dirworking", "/elsewhere/");
    ui->Script(dir.File("exported"));
    Click(*f, nullptr, "Button_export");
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(ConfigLines(), before);
    EXPECT_EQ(settings::WorkingDir, working);
    EXPECT_EQ(settings::BaseName, "kt4");
    std::vector<std::string> lines = FileLines(dir.File("exported.cfg"));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Konfiguration exported");
    shell::config::Snapshot live;
    shell::ApplyConfigLines(lines);
    EXPECT_EQ(g::ZoomFactor, 3.5L);
    live.Restore();
}

TEST_F(ConfigForm, ExportIsNeverWrittenOverTheProjectFile)
{
    dir.Put("k.cfg", "Projekt");
    settings::CurrentFileName = dir.File("k.cfg");
    NoteProjectFile(dir.File("k.cfg"));
    auto f = Open();
    for (const std::string& chosen : {dir.File("k"), dir.File("k.cfg"), dir.File("./k.cfg")}) {
        ui->ClearLog();
        ui->Script(chosen);
        Click(*f, nullptr, "Button_export");
        EXPECT_TRUE(settings::AbortFlag) << chosen;
        const std::string file = chosen == dir.File("k") ? dir.File("k.cfg") : chosen;
        const std::string told = "error|Fehler : |Ziel ist die Projektdatei: " + file + " wurde nicht geschrieben.";
        EXPECT_EQ(Logged("error"), std::vector<std::string>{told}) << chosen;
        EXPECT_EQ(dir.Get("k.cfg"), "Projekt") << chosen;
    }
}

// Export in the toolkit's own dialog: "alt" typed becomes "alt.cfg" before
// the dialog asks about overwriting, so both its question and the
// program's name the file that is then written.
TEST_F(ConfigForm, ExportAsksOfTheFileItWrites)
{
    dir.Put("alt.cfg", "alt");
    dir.Put("alt.kt4", "Projekt");
    gui::UseQtUi();
    auto f = Open();
    // Exports under the name typed into the real file dialog; the texts of
    // the boxes shown, each answered Yes (or OK).
    auto exportAs = [&](const std::string& typed) {
        std::vector<std::string> asked;
        std::function<void(QMessageBox*)> yes = [&](QMessageBox* box) {
            asked.push_back(box->text().toStdString());
            if (QAbstractButton* b = box->button(QMessageBox::Yes))
                b->click();
            else
                box->accept();
        };
        WhenShown<QFileDialog>([&](QFileDialog* d) {
            WhenShown<QMessageBox>(yes);
            QLineEdit* name = d->findChild<QLineEdit*>("fileNameEdit");
            name->setText(QString::fromStdString(dir.File(typed)));
            QTest::keyClick(name, Qt::Key_Return);
        });
        Click(*f, nullptr, "Button_export");
        return asked;
    };
    // one question, of the file written, not one of the dialog's besides
    std::vector<std::string> asked = exportAs("alt");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].find("alt.cfg"), std::string::npos) << asked[0];
    EXPECT_EQ(FileLines(dir.File("alt.cfg")).front(), "Konfiguration alt");
    // a name with another extension: nothing asked of that file
    asked = exportAs("alt.kt4");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].find("alt.kt4.cfg not allowed (too many dots)!"), std::string::npos) << asked[0];
    EXPECT_EQ(dir.Get("alt.kt4"), "Projekt");
}

TEST_F(ConfigForm, PlotLinesKeepEveryLineShown)
{
    auto f = Open();
    auto* list = Find<QListWidget>(*f, "Tab_extern", "ListBox_kavolt");
    EXPECT_EQ(list->item(0)->text().toStdString(), "1: " + c::CadPlotLines[1]);
    EXPECT_EQ(list->item(2)->text(), "3: ");
    list->setCurrentRow(2);
    ui->Script("plot drei");
    Click(*f, "Tab_extern", "Button_editkavoltcommandline");
    EXPECT_EQ(list->item(2)->text(), "3: plot drei");
    Click(*f, nullptr, "Button_ok");
    EXPECT_EQ(c::CadPlotLineCount, 3);
    EXPECT_EQ(c::CadPlotLines[3], "plot drei");
    EXPECT_EQ(c::CadPlotLines[2], "");

    // the plot program form, once there is one, edits the selected line
    shell::configform::FormHooks().plotLineForm = [](std::string& line) {
        line += " /M2";
        return true;
    };
    f = Open();
    list = Find<QListWidget>(*f, "Tab_extern", "ListBox_kavolt");
    EXPECT_TRUE(Find<QPushButton>(*f, "Tab_extern", "Button_confkavolt")->isEnabled());
    Click(*f, "Tab_extern", "Button_confkavolt"); // none selected: the first line
    EXPECT_EQ(list->item(0)->data(Qt::UserRole).toString().toStdString(), c::CadPlotLines[1] + " /M2");
    shell::configform::FormHooks().plotLineForm = {};
}

TEST_F(ConfigForm, SelectColorPicksALayerColour)
{
    shell::gui::TForm_selectcolor picker(3);
    ASSERT_EQ(picker.ListBox_color->count(), 16);
    EXPECT_EQ(picker.ListBox_color->item(0)->text(), "1 (rot)");
    EXPECT_EQ(picker.ListBox_color->item(15)->text(), "16 (schwarz)");
    EXPECT_EQ(picker.ListBox_color->currentRow(), 2);
    EXPECT_EQ(picker.Button_cancel->text(), "Abbrechen");
    picker.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&picker));
    SaveArtifact(&picker, "select_color.png");

    auto f = Open();
    auto* grid = Find<kt4::StringGrid>(*f, "Tab_color", "StringGrid_color");
    grid->setCurrentCell(4, 1);
    OnModal([](QWidget* w) {
        w->findChild<QListWidget*>("ListBox_color")->setCurrentRow(4);
        w->findChild<QPushButton*>("Button_ok")->click();
    });
    Click(*f, "Tab_color", "Button_selectcolor");
    EXPECT_EQ(grid->Cell(1, 4), "5");
    Click(*f, nullptr, "Button_ok");
    EXPECT_EQ(c::ColorLayerColors[19], 5);
}

TEST_F(ConfigForm, ColourAndFontDialogsFillTheirControls)
{
    Tconfig::pickColor = [](QColor& color, QWidget*) {
        color = QColor(255, 0, 0);
        return true;
    };
    Tconfig::pickFont = [](QFont& font, QWidget*) {
        font.setFamily("Mono Test");
        font.setPointSize(11);
        font.setBold(true);
        font.setItalic(false);
        return true;
    };
    auto f = Open();
    QTest::mouseClick(Find<QWidget>(*f, "Tab_color", "Panel_color3"), Qt::LeftButton);
    Click(*f, "Tab_grafik", "Button_hintergrundfarbe");
    Click(*f, "Tab_textdruck", "Button_textfont");
    EXPECT_EQ(Find<QLabel>(*f, "Tab_textdruck", "Label_courierstyle")->text(), "bold");
    Click(*f, nullptr, "Button_ok");
    EXPECT_EQ(g::GraphPalette[4], g::MakeColor(255, 0, 0));
    EXPECT_EQ(g::BackgroundColor, g::MakeColor(255, 0, 0));
    EXPECT_EQ(printer::PrintFontName, "Mono Test");
    EXPECT_EQ(printer::PrintFontSize, 11);
    EXPECT_EQ(printer::PrintFontStyle, 1);
}

TEST_F(ConfigForm, MenuOpensTheFormAndTheWindowFollows)
{
    settings::PltDir = dir.Path();
    shell::gui::Thh w;
    ASSERT_FALSE(w.FormCreate().end);
    w.show();
    QAction* item = w.Item("mi_fileConfig");
    ASSERT_TRUE(item->isEnabled());
    OnModal([](QWidget* dialog) {
        auto* f = qobject_cast<Tconfig*>(dialog);
        ASSERT_NE(f, nullptr);
        f->Control<QComboBox>("Tab_grafik", "ComboBox_screensizecode")->setCurrentIndex(0);
        f->Control<QLineEdit>("Tab_grafik", "Edit_x")->setText("641");
        f->Control<QLineEdit>("Tab_grafik", "Edit_y")->setText("481");
        f->Control<shell::gui::ColorPanel>("Tab_grafik", "Panel_colour")->SetValue(g::MakeColor(0, 0, 255));
        f->Button_ok->click();
    });
    item->trigger();
    EXPECT_EQ(settings::ScreenResX, 640);
    EXPECT_EQ(w.DrawingArea()->size(), QSize(641, 481));
    EXPECT_EQ(w.palette().color(QPalette::Window), QColor(0, 0, 255));
    EXPECT_EQ(w.RenderImage().pixelColor(5, 5), QColor(0, 0, 255));
}

TEST_F(ConfigForm, PicturesOfEveryTab)
{
    shell::ReadConfigFile(); // the values of a start without a configuration file
    auto f = Open();
    const char* files[] = {"dir", "grafik", "cad", "color", "drucker", "textdruck", "einstellung", "extern",
                           "zeichnung"};
    for (int k = 0; k < f->PageControl->count(); ++k) {
        QString name = f->PageControl->widget(k)->objectName();
        ASSERT_EQ(name, QString("Tab_") + files[k]);
        f->PageControl->setCurrentIndex(k);
        SaveArtifact(f.get(), QString("config_%1.png").arg(files[k]).toStdString());
    }
}

} // namespace
} // namespace kt4::shelltest
