// The drawings in the main window: the menu tree as the window offers it
// (goldens in German and English), the overview page after File > Open,
// and pictures of every view for a reviewer.
#include "gui_helpers.h"
#include "shell_fixture.h"

#include "drawings/view_dispatcher.h"
#include "drive/bearing_types.h"
#include "drive/drive_calc.h"
#include "drive/gui/drive_forms_qt.h"
#include "foundation/environment.h"
#include "graphics/graph_device.h"
#include "shell/gui/hh.h"
#include "shell/menu_commands.h"
#include "shell/menu_table.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

using namespace kt4;
using kt4::shell::gui::Thh;

namespace {

std::string Fixture(const std::string& name)
{
    return std::string(KT4_SOURCE_DIR) + "/tests/drawings/fixtures/" + name + ".kt4";
}

class DrawingsWindow : public shelltest::ShellTest {
protected:
    void SetUp() override
    {
        shelltest::ShellTest::SetUp();
        settings::PltDir = dir.Path(); // no start picture
    }

    static void Load(const std::string& name)
    {
        ASSERT_TRUE(project::ReadDataFile(Fixture(name)));
        drive::CalcDrive();
    }

    static void Save(const QImage& image, const std::string& name)
    {
        EXPECT_TRUE(image.save(QString::fromStdString(shelltest::ArtifactPath(name))));
    }

    // The window after drawing a view on the screen.
    static QImage Shot(Thh& w, drawings::TViewNo view)
    {
        graphics::GraphDevice.Clear();
        drawings::DrawView(view, 3);
        QApplication::processEvents();
        return w.grab().toImage();
    }

    // One line per menu entry: indentation by level, name, caption,
    // enabled, and the print item's shortcut.
    static std::string MenuDump(const Thh& w)
    {
        std::ostringstream out;
        for (const auto& e : shell::MenuEntries()) {
            int level = 0;
            for (const char* p = e.parent; p;) {
                ++level;
                const char* up = nullptr;
                for (const auto& q : shell::MenuEntries())
                    if (std::string(q.name) == p)
                        up = q.parent;
                p = up;
            }
            QAction* a = w.Item(e.name);
            out << std::string(2 * std::size_t(level), ' ') << e.name << '\t' << a->text().toStdString() << '\t'
                << (a->isEnabled() ? "on" : "off");
            if (std::string(e.name) == "mi_fileprint")
                out << '\t' << a->shortcut().toString().toStdString();
            out << '\n';
        }
        return out.str();
    }

    static void CompareGolden(const std::string& dump, const std::string& name)
    {
        const std::string path = std::string(KT4_SOURCE_DIR) + "/tests/shell/golden/" + name;
        if (std::getenv("KT4_UPDATE_GOLDEN"))
            std::ofstream(path, std::ios::binary) << dump;
        std::ifstream in(path, std::ios::binary);
        std::stringstream golden;
        golden << in.rdbuf();
        EXPECT_EQ(dump, golden.str()) << name << " (KT4_UPDATE_GOLDEN=1 writes it)";
    }
};

TEST_F(DrawingsWindow, MenuTreeInGermanAndEnglish)
{
    InstallDriveForms(shell::FormServices()); // as the window program does
    auto w = shelltest::OpenMainWindow();
    CompareGolden(MenuDump(*w), "menus_de.txt");
    w->SetLanguage(2);
    CompareGolden(MenuDump(*w), "menus_en.txt");
    w->SetLanguage(1);
    w.reset();
    shell::FormServices() = {};
}

TEST_F(DrawingsWindow, OpenShowsTheOverviewPage)
{
    auto w = shelltest::OpenMainWindow();
    ui->Script(Fixture("y"));
    w->Item("mi_fileOpen")->trigger();
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(settings::CurrentFileName, "y");
    std::vector<std::string> records(w->DisplayList().begin(), w->DisplayList().end());
    auto has = [&](const std::string& text) {
        for (const auto& r : records)
            if (r.rfind("6;", 0) == 0 && r.size() >= text.size() &&
                r.compare(r.size() - text.size(), text.size(), text) == 0)
                return true;
        return false;
    };
    for (const char* text : {"KT4-Y Exzentergetriebe Rillenkugellager", " Load", " Load capacity", " Bearings",
                             " Dimens.", " Dimens. Main", "608", "6001"})
        EXPECT_TRUE(has(text)) << text;

    // the tour's first step (its box cancelled): the demo drive alone
    w->Item("mi_helpDemo")->trigger();
    records.assign(w->DisplayList().begin(), w->DisplayList().end());
    EXPECT_TRUE(has(" Bearings"));
    for (const char* text : {"KT4-Y Exzentergetriebe Rillenkugellager", "608", "6001"})
        EXPECT_FALSE(has(text)) << text;
    Save(w->grab().toImage(), "tour_first_step.png");
}

TEST_F(DrawingsWindow, PicturesOfTheViews)
{
    auto w = shelltest::OpenMainWindow();
    struct Project {
        const char* name;
        const char* suffix;
    };
    for (const Project& p : {Project{"x", "default"}, Project{"y", "catalogue"}}) {
        Load(p.name);
        Save(Shot(*w, 1), std::string("overview_") + p.suffix + ".png");
        Save(Shot(*w, 3), std::string("assembly_") + p.suffix + ".png");
        Save(Shot(*w, 21), std::string("powerflow_") + p.suffix + ".png");

        // views 7 to 22, one tile each; a view that cannot be drawn stays empty
        const int tileW = 320, tileH = 240, columns = 4;
        QImage sheet(columns * tileW, 4 * tileH, QImage::Format_RGB32);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        for (int view = 7; view <= 22; ++view) {
            const int k = view - 7;
            const QRect tile((k % columns) * tileW, (k / columns) * tileH, tileW, tileH);
            graphics::GraphDevice.Clear();
            drawings::DrawView(static_cast<Word>(view), 3);
            settings::AbortFlag = false;
            QApplication::processEvents();
            painter.drawImage(tile, w->RenderImage().scaled(tileW, tileH, Qt::KeepAspectRatio,
                                                            Qt::SmoothTransformation));
            painter.setPen(Qt::yellow);
            painter.drawRect(tile.adjusted(0, 0, -1, -1));
            painter.drawText(tile.adjusted(6, 4, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                             QString("view %1").arg(view));
        }
        painter.end();
        Save(sheet, std::string("parts_") + p.suffix + ".png");
    }
    // a life of ten digits in exponent form within its cell
    kt4::bearings::BearingSlots[1].L10 = 1666174079;
    Save(Shot(*w, 1), "overview_ten_digit_L10.png");
}

} // namespace
