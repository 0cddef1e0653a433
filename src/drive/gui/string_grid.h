// A text grid addressed like the program's grids: Cell(col, row), with the
// first row and the first column as fixed (grey, read-only) header cells.
#pragma once

#include <QString>
#include <QTableWidget>

namespace kt4 {

class StringGrid : public QTableWidget {
    Q_OBJECT
public:
    StringGrid(int Cols, int Rows, QWidget* Parent = nullptr);

    QString Cell(int Col, int Row) const;
    void SetCell(int Col, int Row, const QString& Text);
    // Row heights and column widths in design pixels (scaled here).
    void SetRowHeight(int Height);
    void SetColWidth(int Col, int Width);
    void SetColWidths(int Width);
    // Widens a column to show its longest text (or Sample) whole.
    void FitColumn(int Col, const QString& Sample = QString());
    // Fits the widget to its cells.
    void FitToCells();
};

} // namespace kt4
