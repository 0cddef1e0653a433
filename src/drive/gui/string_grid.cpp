#include "drive/gui/string_grid.h"

#include "foundation/placement.h"

#include <QFontMetrics>
#include <QHeaderView>

#include <algorithm>

namespace kt4 {

StringGrid::StringGrid(int Cols, int Rows, QWidget* Parent) : QTableWidget(Rows, Cols, Parent)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Cols; ++c) {
            auto* item = new QTableWidgetItem;
            if (r == 0 || c == 0) {
                item->setFlags(Qt::ItemIsEnabled);
                item->setBackground(palette().button());
            }
            setItem(r, c, item);
        }
}

QString StringGrid::Cell(int Col, int Row) const
{
    const QTableWidgetItem* it = item(Row, Col);
    return it ? it->text() : QString();
}

void StringGrid::SetCell(int Col, int Row, const QString& Text)
{
    if (QTableWidgetItem* it = item(Row, Col))
        it->setText(Text);
}

void StringGrid::SetRowHeight(int Height)
{
    for (int r = 0; r < rowCount(); ++r)
        setRowHeight(r, ScaleSize(Height));
}

void StringGrid::SetColWidth(int Col, int Width) { setColumnWidth(Col, ScaleSize(Width)); }

void StringGrid::SetColWidths(int Width)
{
    for (int c = 0; c < columnCount(); ++c)
        SetColWidth(c, Width);
}

void StringGrid::FitColumn(int Col, const QString& Sample)
{
    const QFontMetrics fm = fontMetrics();
    int w = fm.horizontalAdvance(Sample);
    for (int r = 0; r < rowCount(); ++r)
        w = std::max(w, fm.horizontalAdvance(Cell(Col, r)));
    setColumnWidth(Col, std::max(columnWidth(Col), w + 12));
}

void StringGrid::FitToCells()
{
    int w = 2 * frameWidth(), h = 2 * frameWidth();
    for (int c = 0; c < columnCount(); ++c)
        w += columnWidth(c);
    for (int r = 0; r < rowCount(); ++r)
        h += rowHeight(r);
    setFixedSize(w, h);
}

} // namespace kt4
