// The message and progress windows, and the progress of engine work shown
// through the window UI's hooks.
#include "browser_fixture.h"

#include "dbase/gui/tzmsg.h"
#include "foundation/gui/qt_ui.h"

#include <QLabel>
#include <QMainWindow>

namespace kt4::dbase::test {
namespace {

using gui::TTzMsg;
using gui::TTzProgress100;

TEST(TzProgress100, StepsEmptyAndRefillTheBar)
{
    TTzProgress100 p;
    EXPECT_EQ(p.windowTitle(), "Progress");
    EXPECT_EQ(p.Bar(), QString(100, '|'));
    for (int k = 0; k < 250; ++k)
        p.Step();
    EXPECT_EQ(p.Bar(), QString(50, '|'));
    EXPECT_TRUE(p.isVisible());
    p.SetPercent(30);
    EXPECT_EQ(p.Bar().size(), 70);
    p.SetPercent(130);
    EXPECT_EQ(p.Bar().size(), 0);
    p.SetPercent(0);
    QApplication::processEvents();
    EXPECT_TRUE(p.grab().save(QString::fromStdString(std::string(KT4_ARTIFACT_DIR) + "/tzprogress100.png")));
}

TEST(TzMsg, GrowsWithItsTextAndStaysCentred)
{
    QMainWindow main;
    main.setGeometry(100, 80, 800, 600);
    main.show();
    TTzMsg msg(&main);
    msg.ShowText("Kurz");
    const QSize small = msg.size();
    const QLabel* label = msg.findChild<QLabel*>("TzMsgText");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(small.width(), label->fontMetrics().horizontalAdvance("Kurz") + 30);
    EXPECT_EQ(small.height(), label->fontMetrics().height() + 30);
    EXPECT_LE(std::abs(msg.geometry().center().x() - main.frameGeometry().center().x()), 1);
    msg.ShowText("Ein deutlich längerer Text für die lange Arbeit");
    EXPECT_GT(msg.width(), small.width());
    EXPECT_LE(std::abs(msg.geometry().center().x() - main.frameGeometry().center().x()), 1);
    EXPECT_LE(std::abs(msg.geometry().center().y() - main.frameGeometry().center().y()), 1);
    // A shorter text keeps the size; no text given keeps the text.
    const QSize big = msg.size();
    msg.ShowText("x");
    EXPECT_EQ(msg.size(), big);
    msg.ShowText();
    EXPECT_EQ(msg.Text(), "x");
    EXPECT_TRUE(msg.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(msg.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(msg.palette().color(QPalette::Window), QColor(Qt::yellow));
}

TEST(TzProgress100, TheWindowUiShowsPercentsAndStepsAndEndsOnTheEndCall)
{
    kt4::gui::QtUi ui;
    ui.progressHook = gui::ShowProgress100;
    ui.progressEndHook = gui::EndProgress100;
    ui.Progress("Indexing x.ndx...", 0);
    ASSERT_NE(gui::CurrentProgress100(), nullptr);
    EXPECT_EQ(gui::CurrentProgress100()->windowTitle(), "Indexing x.ndx...");
    for (int k = 1; k <= 40; ++k)
        ui.Progress("Indexing x.ndx...", k);
    EXPECT_EQ(gui::CurrentProgress100()->Bar().size(), 60);
    // a negative percent (an import of unknown length) steps once
    ui.Progress("Appending...", -1);
    EXPECT_EQ(gui::CurrentProgress100()->Bar().size(), 59);
    EXPECT_EQ(gui::CurrentProgress100()->windowTitle(), "Appending...");
    ui.ProgressEnd();
    EXPECT_EQ(gui::CurrentProgress100(), nullptr);
}

TEST_F(BrowserTest, IndexBuildsShowTheProgressWindow)
{
    std::vector<CatalogueRow> rows;
    for (int k = 0; k < 500; ++k)
        rows.push_back({std::to_string((k * 7919) % 1000), double(k), k % 2 == 0, "", false});
    Catalogue("big", rows);
    Open("big");
    Show(4);
    // The window UI for the click, with a hook that records the bars seen.
    auto qt = std::make_unique<kt4::gui::QtUi>();
    int calls = 0, shortest = 100;
    qt->progressHook = [&](const std::string& text, int percent) {
        gui::ShowProgress100(text, percent);
        ++calls;
        shortest = std::min<int>(shortest, int(gui::CurrentProgress100()->Bar().size()));
    };
    qt->progressEndHook = gui::EndProgress100;
    auto headless = SetUi(std::move(qt));
    auto* header = Grid()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::RightButton, {}, QPoint(header->sectionViewportPosition(1) + 4, 4));
    SetUi(std::move(headless));
    EXPECT_GT(calls, 10);
    EXPECT_LT(shortest, 50);
    EXPECT_EQ(gui::CurrentProgress100(), nullptr);
    EXPECT_EQ(Model()->index(0, 1).data().toString(), "0.00");
}

} // namespace
} // namespace kt4::dbase::test
