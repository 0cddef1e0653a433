// The main window on the offscreen platform: opening on the default data,
// the start picture, the language switch, the save question on closing,
// the session file, and pictures of the window for a reviewer.
#include "gui_helpers.h"
#include "shell_fixture.h"

#include "dbase/gui/dbf4_form.h"
#include "drive/drive_data.h"
#include "foundation/environment.h"
#include "foundation/gui/qt_ui.h"
#include "foundation/private_temp.h"
#include "foundation/settings.h"
#include "graphics/gui/plot_picture.h"
#include "graphics/gui/printconf_form.h"
#include "shell/gui/hh.h"
#include "shell/gui/preview_form.h"
#include "shell/languages.h"
#include "shell/menu_table.h"
#include "shell/screen_defaults.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QPainter>
#include <QScreen>
#include <QTableWidget>
#include <QTest>

#include <filesystem>
#include <memory>

using namespace kt4;
using kt4::shell::gui::Thh;

namespace {

// Headless answers, but help pictures drawn into the graphics window.
class PictureUi : public HeadlessUi {
public:
    void ShowPlotPicture(const std::string& path, const PictureWindow& window) override
    {
        HeadlessUi::ShowPlotPicture(path, window);
        graphics::ShowPlotPictureWindow(path, window);
    }
};

class MainWindow : public shelltest::ShellTest {
protected:
    void SetUp() override
    {
        shelltest::ShellTest::SetUp();
        auto owned = std::make_unique<PictureUi>();
        ui = owned.get();
        ui->quiet = true;
        SetUi(std::move(owned));
        settings::PltDir = dir.Path(); // no start picture unless a test puts one
    }

    std::unique_ptr<Thh> Open()
    {
        auto w = std::make_unique<Thh>();
        shell::StartResult r = w->FormCreate();
        EXPECT_FALSE(r.end);
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        return w;
    }

    static std::string Caption(const Thh& w, const char* item)
    {
        return w.Item(item)->text().toStdString();
    }

    // The window with its File menu opened below the menu bar.
    static QImage Picture(Thh& w)
    {
        QImage shot = w.grab().toImage();
        QMenu* file = w.findChild<QMenu*>("mi_file");
        file->adjustSize();
        QImage menu = file->grab().toImage();
        QPainter p(&shot);
        QRect at = w.menuBar()->actionGeometry(w.Item("mi_file"));
        p.drawImage(w.menuBar()->mapTo(&w, at.bottomLeft()), menu);
        return shot;
    }

    static void SaveArtifact(const QImage& image, const char* name)
    {
        QDir().mkpath(KT4_ARTIFACT_DIR);
        EXPECT_TRUE(image.save(QString(KT4_ARTIFACT_DIR) + "/" + name));
    }
};

TEST_F(MainWindow, OpensOnTheDefaultData)
{
    auto w = Open();
    // the start value of the current file name stays without a default file
    EXPECT_EQ(w->windowTitle().toStdString(), "Exzentergetriebe  KT4  -  demo.kt4");
    EXPECT_EQ(Caption(*w, "mi_file"), "&Datei");
    EXPECT_EQ(Caption(*w, "mi_fileprint"), "&Drucken...");
    EXPECT_EQ(w->Item("mi_fileprint")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    EXPECT_TRUE(w->Item("mi_helpDemo")->isChecked());
    EXPECT_FALSE(w->Item("mi_OleExportExcel")->isEnabled());
    EXPECT_EQ(drive::i, -17);
    EXPECT_FALSE(settings::DataModified);
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_FALSE(w->Item(shell::RecentSeparator)->isVisible());
    EXPECT_FALSE(w->Item("mi_file1")->isVisible());
    EXPECT_GT(w->DisplayList().Count(), 0u); // the logo
    EXPECT_TRUE(Logged("picture").empty());
    // the table browser, owned by the window until the end
    ASSERT_NE(dbase::gui::Dbf4Form, nullptr);
    EXPECT_EQ(dbase::gui::Dbf4Form->parent(), w.get());
    EXPECT_EQ(dbase::gui::Dbf4Form->mi_file->title(), "&Datei");
    w.reset();
    EXPECT_EQ(dbase::gui::Dbf4Form, nullptr);
}

// No configuration file: the window, frame and menu bar included, fits on
// the screen (the offscreen platform's 800 x 800), its drawing area the
// largest 4:3 area within; the whole-screen size fits the same way.
TEST_F(MainWindow, FirstStartWindowFitsTheScreen)
{
    auto w = Open();
    const QRect area = w->screen()->availableGeometry();
    for (Word mode : {1, 2}) {
        if (mode == 2) {
            settings::ScreenSizeCode = 2;
            shell::ApplyScreenDefaults();
        }
        QApplication::processEvents();
        const QRect frame = w->frameGeometry();
        const QSize client = w->DrawingArea()->size();
        EXPECT_TRUE(area.contains(frame)) << mode << ": " << frame.width() << " x " << frame.height();
        const int spareX = area.width() - frame.width(), spareY = area.height() - frame.height();
        if (mode == 1) {
            EXPECT_LE(std::abs(client.width() * 3 - client.height() * 4), 12);
            EXPECT_TRUE(spareX < 4 || spareY < 3) << spareX << " " << spareY;
        } else {
            EXPECT_EQ(spareX, 0);
            EXPECT_EQ(spareY, 0);
        }
    }
}

TEST_F(MainWindow, ShowsTheStartPicture)
{
    std::filesystem::copy_file(std::string(KT4_DATA_DIR) + "/start.plt", dir.File("start.plt"));
    auto w = Open();
    ASSERT_EQ(Logged("picture").size(), 1u);
    EXPECT_EQ(graphics::PlotPictureWindow(), nullptr); // drawn in the main window itself
    QImage picture = w->RenderImage();
    QRgb first = picture.pixel(0, 0);
    bool drawn = false;
    for (int y = 0; y < picture.height() && !drawn; y += 3)
        for (int x = 0; x < picture.width() && !drawn; x += 3)
            drawn = picture.pixel(x, y) != first;
    EXPECT_TRUE(drawn);
}

TEST_F(MainWindow, SwitchesLanguage)
{
    auto w = Open();
    w->Item("mi_helplanguageEnglisch")->trigger();
    EXPECT_EQ(settings::LanguageId, 2);
    EXPECT_EQ(Caption(*w, "mi_file"), "&File");
    std::string english = Caption(*w, "mi_editGeometrie");
    EXPECT_NE(english, "&Abmessungen");
    w->Item("mi_helplanguageChinese")->trigger();
    EXPECT_EQ(settings::LanguageId, 12);
    EXPECT_NE(Caption(*w, "mi_file"), "&File");
    w->Item("mi_helplanguageDeutsch")->trigger();
    EXPECT_EQ(Caption(*w, "mi_file"), "&Datei");
    EXPECT_EQ(Caption(*w, "mi_editGeometrie"), "&Abmessungen");
    EXPECT_EQ(Caption(*w, "mi_helplanguage"), "Menü &Sprache");
}

// The toolkit's own buttons and dialogs follow the menu language; a
// language without a toolkit translation falls back to English.
TEST_F(MainWindow, ToolkitTextsFollowTheMenuLanguage)
{
    auto yes = [] {
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::Cancel);
        return box.button(QMessageBox::Cancel)->text();
    };
    auto w = Open();
    w->Item("mi_helplanguageDeutsch")->trigger();
    EXPECT_EQ(yes(), "Abbrechen");
    w->Item("mi_helplanguageFrancais")->trigger();
    EXPECT_EQ(yes(), "Annuler");
    w->Item("mi_helplanguageEnglisch")->trigger();
    EXPECT_EQ(yes(), "Cancel");
    w->SetLanguage(7); // Romanian: no toolkit translation
    EXPECT_EQ(yes(), "Cancel");
    EXPECT_EQ(shell::ToolkitLanguageCode(7), "ro");

    // the program's own questions answer in the language of their texts
    QCoreApplication::processEvents(); // the language change has reached every window
    gui::UseQtUi();
    QStringList seen;
    shelltest::WhenShown<QMessageBox>([&](QMessageBox* box) {
        seen << box->text();
        for (auto which : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
            seen << box->button(which)->text();
        box->button(QMessageBox::Cancel)->click();
    });
    settings::CurrentFileName.clear();
    settings::DataModified = true;
    w->Item("mi_fileNew")->trigger();
    EXPECT_EQ(seen, (QStringList{"Bisherige Eingaben verwerfen ?", "&Ja", "&Nein", "Abbrechen"}));
    settings::DataModified = false;
    w->SetLanguage(1);
}

TEST_F(MainWindow, ClosingAsksToSaveWhenDataChanged)
{
    auto w = Open();
    settings::CurrentFileName = "changed";
    settings::DataModified = true;
    ui->Script("<cancel>");
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(w->isVisible());
    ASSERT_EQ(Logged("yesnocancel").size(), 1u);
    EXPECT_NE(Logged("yesnocancel")[0].find("Datei speichern ("), std::string::npos);

    ui->Script("yes");
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(std::filesystem::exists(dir.File("changed.kt4")));
    EXPECT_FALSE(settings::DataModified);
}

TEST_F(MainWindow, UnchangedDataClosesWithoutAQuestion)
{
    auto w = Open();
    const std::string temp = PrivateTempDir(); // the run's report copies
    ASSERT_FALSE(temp.empty());
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(Logged("yesnocancel").empty());
    EXPECT_FALSE(std::filesystem::exists(temp)); // gone with the window
}

TEST_F(MainWindow, SessionFileWrittenAtTheEnd)
{
    auto w = Open();
    settings::RecentFiles[1] = dir.File("a.kt4");
    w->RefreshRecentFileItems();
    EXPECT_TRUE(w->Item(shell::RecentSeparator)->isVisible());
    EXPECT_EQ(Caption(*w, "mi_file1"), "&1 " + dir.File("a.kt4"));
    w.reset();
    std::vector<std::string> lines = Lines(dir.Get("kt4.cff"));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], dir.File("a.kt4"));
}

TEST_F(MainWindow, RecentFileItemOpensTheProject)
{
    drive::dp = 32;
    drive::dH = 34;
    std::string path = WriteDefaultProject("recent.kt4");
    drive::InitDriveData();
    auto w = Open();
    settings::RecentFiles[1] = path;
    w->RefreshRecentFileItems();
    EXPECT_EQ(drive::i, -17);
    w->Item("mi_file1")->trigger();
    EXPECT_EQ(drive::i, -16);
    EXPECT_EQ(settings::CurrentFileName, "recent");
    EXPECT_NE(w->windowTitle().toStdString().find("recent.kt4"), std::string::npos);
}

TEST_F(MainWindow, PicturesWithGermanAndChineseCaptions)
{
    std::filesystem::copy_file(std::string(KT4_DATA_DIR) + "/start.plt", dir.File("start.plt"));
    auto w = Open();
    settings::RecentFiles[1] = "/home/anna/projekte/beispiel1.kt4";
    w->RefreshRecentFileItems();
    QApplication::processEvents();
    SaveArtifact(Picture(*w), "main_window_de.png");
    w->SetLanguage(12);
    QApplication::processEvents();
    SaveArtifact(Picture(*w), "main_window_zh.png");
}

// After "wkt4 beispiel1.kt4" (no data folder) the project list shows the
// current folder's projects; leaving it draws the open design again.
TEST_F(MainWindow, ProjectListAfterACommandLineStart)
{
    for (const char* name : {"beispiel1.kt4", "beispiel2.kt4"})
        std::filesystem::copy_file(std::string(KT4_DATA_DIR) + "/" + name, dir.File(name));
    const std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    environment::CommandLineParams = {"beispiel1.kt4"};
    auto w = Open();
    EXPECT_EQ(settings::DataDir, "");
    std::vector<std::string> names;
    shelltest::WhenShown<shell::gui::TForm_preview>([&](shell::gui::TForm_preview* f) {
        auto* table = f->findChild<QTableWidget*>("StringGrid1");
        for (int r = 0; r < table->rowCount(); ++r)
            names.push_back(table->item(r, 0)->text().toStdString());
        f->resize(1480, 200);
        shelltest::SaveArtifact(f, "project_list_command_line.png");
        f->findChild<QPushButton*>("Button_cancel")->click();
    });
    w->Item("mi_fileopentable")->trigger();
    environment::CommandLineParams.clear();
    std::filesystem::current_path(cwd);
    EXPECT_EQ(names, (std::vector<std::string>{"beispiel1.kt4", "beispiel2.kt4"}));
    EXPECT_EQ(settings::CurrentFileName, "beispiel1.kt4");
    EXPECT_GT(w->DisplayList().Count(), 0u); // drawn, not left blank
}

// "wkt4 beispiel1.kt4" without a usable temporary folder: the project
// opens with its values and its calculation, nothing is asked beyond the
// folder check of the start, the window tells once that it is up why its
// drawing failed (whether it draws again to fit the screen or not), and a
// print of that drawing is refused without a file.
TEST_F(MainWindow, CommandLineProjectWithoutATemporaryFolder)
{
    std::filesystem::copy_file(std::string(KT4_DATA_DIR) + "/beispiel1.kt4", dir.File("beispiel1.kt4"));
    const std::filesystem::path cwd = std::filesystem::current_path();
    for (const Integer sizeCode : {1, 0}) { // 1: sized to the offscreen screen again, and drawn again
        SCOPED_TRACE(sizeCode);
        FreshStart();
        RemovePrivateTempDir(); // one made before is in another folder
        settings::PltDir = dir.Path();
        std::filesystem::current_path(dir.Path());
        environment::CommandLineParams = {"beispiel1.kt4"};
        settings::TempDir = dir.File("missing");
        ui->Script(dir.File("missing")); // the start's folder check: the name is kept
        auto w = std::make_unique<Thh>();
        const shell::StartResult r = w->FormCreate();
        environment::CommandLineParams.clear();
        std::filesystem::current_path(cwd);
        EXPECT_FALSE(r.end);
        EXPECT_EQ(Logged("error").size(), 1u); // the folder check's, before the window
        settings::ScreenSizeCode = sizeCode;
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        for (int k = 0; k < 20; ++k)
            QTest::qWait(10);
        EXPECT_EQ(settings::CurrentFileName, "beispiel1.kt4");
        EXPECT_EQ(settings::RemarkLines[0], "Beispiel: Exzentergetriebe mit den Vorgabewerten");
        EXPECT_EQ(drive::i, -17);
        EXPECT_FALSE(settings::CalcErrorFlag);
        const std::vector<std::string> errors = Logged("error");
        ASSERT_EQ(errors.size(), 2u);
        const std::string why = "Tempor\xC3\xA4rer Ordner " + dir.File("missing") + " kann nicht angelegt werden (";
        EXPECT_NE(errors[1].find(why), std::string::npos) << errors[1];
        EXPECT_TRUE(Logged("yesnocancel").empty());
        EXPECT_EQ(ui->PendingAnswers(), 0u);
        if (sizeCode == 0)
            shelltest::SaveArtifact(w.get(), "command_line_no_temp_folder.png");

        const std::string pdf = dir.File("zeichnung.pdf");
        graphics::TForm_printconf form(*w);
        form.show();
        form.Printer().setOutputFormat(QPrinter::PdfFormat);
        form.Printer().setOutputFileName(QString::fromStdString(pdf));
        form.findChild<QAbstractButton*>("Button_ok")->click();
        EXPECT_TRUE(settings::AbortFlag);
        EXPECT_FALSE(std::filesystem::exists(pdf));
        ASSERT_EQ(Logged("error").size(), 3u);
        EXPECT_EQ(Logged("error")[2], errors[1]);
    }
}

// "wkt4 DEMO": the tour's introduction shows over the main window, with
// the program's language on its buttons; Cancel there ends the tour mode.
TEST_F(MainWindow, DemoStartShowsTheIntroductionOverTheWindow)
{
    gui::UseQtUi();
    environment::CommandLineParams = {"DEMO"};
    QWidget* parent = nullptr;
    bool windowShown = false;
    QString cancel, text;
    shelltest::WhenShown<QMessageBox>([&](QMessageBox* box) {
        parent = box->parentWidget();
        windowShown = parent && parent->isVisible();
        cancel = box->button(QMessageBox::Cancel)->text();
        text = box->text();
        box->button(QMessageBox::Cancel)->click();
    });
    auto w = Open();
    environment::CommandLineParams.clear();
    for (int k = 0; k < 200 && text.isEmpty(); ++k)
        QTest::qWait(10);
    EXPECT_EQ(parent, w.get());
    EXPECT_TRUE(windowShown);
    EXPECT_EQ(cancel, "Abbrechen");
    EXPECT_TRUE(text.contains("Mit <OK> oder ENTER-Taste wird weitergeschaltet."));
    EXPECT_FALSE(settings::DemoRunning);
    EXPECT_FALSE(settings::AbortFlag);
}

TEST_F(MainWindow, EndedStartWritesNoSessionFile)
{
    dir.Put("kt4.cff", "old\r\n/x.kt4\r\n");
    environment::CommandLineParams = {"noext"};
    {
        Thh w;
        shell::StartResult r = w.FormCreate();
        EXPECT_TRUE(r.end);
        EXPECT_EQ(r.exitCode, 2);
    }
    environment::CommandLineParams.clear();
    EXPECT_EQ(dir.Get("kt4.cff"), "old\r\n/x.kt4\r\n");
}

} // namespace
