// The grid and its model on their own: the row maps, the nine box styles
// (tzgrid_boxes.png), the colour event, the corner cell and the title press,
// and the date mask of each layout.
#include "browser_fixture.h"

#include "dbase/engine/runtime.h"

#include <QPainter>

namespace kt4::dbase::test {
namespace {

using gui::DatasetModel;
using gui::TTzBooleanBox;

class GridTest : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        Catalogue("g", SampleRows());
        Open("g");
        model = new DatasetModel;
        grid = new gui::TTzGrid;
        grid->SetDataSource(model);
        model->SetDataset(tzdbf);
        grid->resize(360, 150);
    }
    void TearDown() override
    {
        delete grid;
        delete model;
        BrowserTest::TearDown();
    }
    DatasetModel* model = nullptr;
    gui::TTzGrid* grid = nullptr;
};

TEST_F(GridTest, RowsMapToRecordsOnlyWhereNeeded)
{
    EXPECT_FALSE(model->HasMap());
    EXPECT_EQ(model->rowCount(), 5);
    EXPECT_EQ(model->RecordOfRow(4), 5);
    EXPECT_EQ(model->RowOfRecord(2), 1);
    EXPECT_TRUE(model->index(1, 0).data(DatasetModel::DeletedRole).toBool());
    EXPECT_EQ(model->index(0, 1).data().toString(), "20.00");
    EXPECT_EQ(model->index(0, 2).data().toString(), "Wahr");
    EXPECT_EQ(model->index(0, 3).data().toString(), "17.05.2024");
    EXPECT_EQ(model->index(1, 3).data().toString(), "");
    EXPECT_EQ(model->index(0, 4).data().toString(), "MEMO");
    EXPECT_EQ(model->index(1, 4).data().toString(), "none");
    EXPECT_EQ(model->index(0, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight, Qt::AlignRight);
    // Hidden deleted records: a map without record 2.
    tzdbf->SetHideDeletedRecs(true);
    model->Notify(DatasetModel::Change::Records);
    EXPECT_TRUE(model->HasMap());
    EXPECT_EQ(model->rowCount(), 4);
    EXPECT_EQ(model->RecordOfRow(1), 3);
    EXPECT_EQ(model->RowOfRecord(2), -1);
    // Index order: the map follows the keys.
    tzdbf->SetHideDeletedRecs(false);
    DbfMakeIndex("NAME", "gname");
    model->Notify(DatasetModel::Change::Records);
    EXPECT_TRUE(model->HasMap());
    EXPECT_EQ(model->RecordOfRow(0), 5);
    EXPECT_EQ(model->index(0, 0).data().toString(), "16005");
    // The grid follows the dataset.
    DbfGoRecord(4);
    model->Notify(DatasetModel::Change::Position);
    EXPECT_EQ(grid->currentIndex().row(), model->RowOfRecord(4));
    EXPECT_EQ(model->headerData(grid->currentIndex().row(), Qt::Vertical).toString(), "\u25B6");
}

TEST_F(GridTest, TheNineBoxStylesAndTheColourEvent)
{
    const TTzBooleanBox styles[] = {TTzBooleanBox::bbCheckBox,   TTzBooleanBox::bbCheckMark,
                                    TTzBooleanBox::bbText,       TTzBooleanBox::bbFillBox,
                                    TTzBooleanBox::bbFillBoxRed, TTzBooleanBox::bbRButton,
                                    TTzBooleanBox::bbRButtonRed, TTzBooleanBox::bbDot,
                                    TTzBooleanBox::bbDotRed};
    const char* names[] = {"bbCheckBox", "bbCheckMark", "bbText",       "bbFillBox", "bbFillBoxRed",
                           "bbRButton",  "bbRButtonRed", "bbDot",       "bbDotRed"};
    for (int c = 0; c < model->columnCount(); ++c)
        grid->setColumnHidden(c, c != 0 && c != 2);
    grid->setColumnWidth(2, 60);
    grid->resize(170, 140);
    QImage sheet(3 * 180, 3 * 170, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    for (int k = 0; k < 9; ++k) {
        grid->BooleanBox = styles[k];
        grid->viewport()->update();
        QApplication::processEvents();
        const QImage shot = grid->grab().toImage();
        const QPoint at((k % 3) * 180 + 5, (k / 3) * 170 + 5);
        p.setPen(Qt::black);
        p.drawText(at + QPoint(0, 12), names[k]);
        p.drawImage(at + QPoint(0, 18), shot);
    }
    p.end();
    EXPECT_TRUE(sheet.save(QString::fromStdString(ArtifactPath("tzgrid_boxes.png"))));

    // A deleted row is red unless the event says otherwise.
    grid->BooleanBox = TTzBooleanBox::bbCheckBox;
    grid->clearSelection();
    auto pixel = [&](int row) {
        QApplication::processEvents();
        const QRect r = grid->visualRect(model->index(row, 0));
        return grid->viewport()->grab().toImage().pixelColor(r.right() - 2, r.center().y());
    };
    EXPECT_EQ(pixel(1), QColor(Qt::red));
    int seen = -1;
    grid->OnChangeColorsEvent = [&](gui::TTzGrid&, int row, QColor& deletedFont, QColor& deletedBack,
                                    QColor&, QColor&, QColor&, QColor& cellBack, QColor&) {
        seen = std::max(seen, row);
        deletedBack = QColor(0, 0, 255);
        deletedFont = Qt::white;
        if (row == 3)
            cellBack = QColor(0, 200, 0);
    };
    grid->viewport()->update();
    EXPECT_EQ(pixel(1), QColor(0, 0, 255));
    EXPECT_EQ(pixel(3), QColor(0, 200, 0));
    EXPECT_GE(seen, 3);
    EXPECT_EQ(grid->RowColors(1).deletedBack, QColor(0, 0, 255));
}

TEST_F(GridTest, CornerAndTitlePresses)
{
    grid->show();
    QApplication::processEvents();
    int depressed = -1, left = 0, right = 0;
    grid->OnDepressTitle = [&](gui::TTzGrid&, int column) { depressed = column; };
    grid->OnCornerLeftClick = [&](gui::TTzGrid&) { ++left; };
    grid->OnCornerRightClick = [&](gui::TTzGrid&) { ++right; };
    auto* corner = grid->findChild<QAbstractButton*>();
    ASSERT_NE(corner, nullptr);
    QTest::mouseClick(corner, Qt::RightButton);
    QTest::mouseClick(corner, Qt::LeftButton);
    EXPECT_EQ(right, 1);
    EXPECT_EQ(left, 1);
    EXPECT_EQ(depressed, -1);
    auto* header = grid->horizontalHeader();
    const QPoint title(header->sectionViewportPosition(1) + 4, 4);
    for (auto modifier : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier})
        QTest::mouseClick(header->viewport(), Qt::RightButton, modifier, title);
    EXPECT_EQ(depressed, -1);
    QTest::mouseClick(header->viewport(), Qt::RightButton, {}, title);
    EXPECT_EQ(depressed, 1);
    EXPECT_EQ(grid->DepressedColumn(), 1);
    // Moving the column keeps the pressed title on it.
    header->moveSection(1, 3);
    EXPECT_EQ(grid->DepressedColumn(), 1);
    grid->SetDepressDisabled(true);
    EXPECT_EQ(grid->DepressedColumn(), -1);
    depressed = -1;
    QTest::mouseClick(header->viewport(), Qt::RightButton, {}, QPoint(header->sectionViewportPosition(0) + 4, 4));
    EXPECT_EQ(depressed, -1);
}

TEST(DateMask, FollowsTheEngineLayout)
{
    const std::uint8_t savedFormat = EngineDateFormat;
    const bool savedCentury = DateWithCentury;
    struct Case {
        std::uint8_t format;
        bool century;
        const char* mask;
    };
    for (Case c : {Case{5, true, "99.99.9999; "}, Case{5, false, "99.99.99; "}, Case{0, true, "99/99/9999; "},
                   Case{1, true, "9999.99.99; "}, Case{2, false, "99/99/99; "}, Case{3, true, "99-99-9999; "}}) {
        SetDateFormat(c.format);
        DateWithCentury = c.century;
        EXPECT_EQ(gui::DateEditMask().toStdString(), c.mask) << int(c.format);
    }
    SetDateFormat(savedFormat);
    DateWithCentury = savedCentury;
}

} // namespace
} // namespace kt4::dbase::test
