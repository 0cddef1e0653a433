// The string grid behind TForm_preview: cells addressed (col, row) with
// row 0 as the header, the current cell, the row chosen by the last click
// (SelectedRow), the last search, and the column sort. The form shows it;
// whoever opens the form keeps it, so rows, order and selection survive
// while the form is shown again and again. Texts are display text (UTF-8).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kt4::shell {

class PreviewGrid {
public:
    // Window caption by Mode: 0 DataDir + "  " + ProductName, 2 Material,
    // 3 Multistage, 4 Optimize.
    int Mode = 0;
    int SelectedRow = 0; // chosen by a click; 0 none
    int Row = 0, Col = 0; // the current cell
    std::string SearchText;
    int SearchRow = 0;

    // Column widths in design pixels (missing or 0: the default 48), and
    // the columns whose cells are right-aligned (numbers).
    std::vector<int> ColWidths;
    std::vector<bool> RightAligned;

    // Rows[r][c]; every row has ColCount() cells.
    std::vector<std::vector<std::string>> Rows;

    int RowCount() const { return static_cast<int>(Rows.size()); }
    int ColCount() const { return Rows.empty() ? 0 : static_cast<int>(Rows[0].size()); }
    const std::string& Cell(int C, int R) const { return Rows.at(R).at(C); }

    std::string Caption() const;

    // Sorts rows 1.. by column C, comparing texts as bytes; every column
    // moves with its row, and the current cell and SelectedRow follow
    // their row.
    void SortByColumn(int C);

    // Searches the rows after SearchRow for SearchText (case-sensitive,
    // the columns of a row from 0); a hit becomes the current cell and
    // SearchRow. False, with nothing moved, when no later row holds it.
    // The header row is never searched.
    bool FindNext();

    // The form that shows this grid, kept for as long as the grid lives.
    std::shared_ptr<void> View;
};

} // namespace kt4::shell
