// Data tables on drawings (bearings, loads, dimensions): a framed header
// row and rows below it, each with up to seven text cells between column
// lines, drawn through the c_ operations while the table is filled, so
// the table looks the same on the screen and in every CAD file. Lines go
// on layer 17, texts on layer 18. The table keeps no rows.
//
//   TAusTabelle t;
//   t.Init(x, y, h, {7, 5, 7, 7}, {"Load", "", "1", "2"});
//   t.AddRow({"Fr", "N", "1200", "800"});
//   t.Done();
#pragma once

#include "foundation/types.h"

#include <array>
#include <string>

namespace kt4::cad {

class TAusTabelle {
public:
    using Widths = std::array<Real, 7>;
    using Texts = std::array<std::string, 7>;
    // The numbers of a row's cells as shown (in the shown unit); NaN for
    // a cell without one.
    using Values = std::array<Real, 7>;

    virtual ~TAusTabelle() = default;

    // The table's upper left corner (x, y), text height h, the column
    // widths in characters (a character is 0.9 h wide; a width of 0 ends
    // the table) and the header texts (stored texts). Draws the header
    // frame, and the header texts when any is not empty; with all empty
    // the first row fills the header frame.
    void Init(Real x, Real y, Real h, const Widths& w, const Texts& t);
    // Draws one row below the previous one; with the cells' values, a
    // number too long for its cell takes its exponent form from its value.
    void AddRow(const Texts& t);
    void AddRow(const Texts& t, const Values& v);
    // Writes the cells FirstCol .. ColCount - 1, each after a blank, and
    // moves one row down. A number longer than its cell holds (characters
    // of the text style's width) is written in exponent form with as many
    // digits as fit ("1666174079" in seven characters: "1.666E9"), rounded
    // once from the cell's value, or from its text when it has none.
    void WriteCells();
    // The number of column lines: up to the first column of width 0.
    Integer CountColumns() const;
    virtual void Done() {}

    Array1<Real, 8> ColX{};
    Real TopY = 0;
    Real LineY = 0;
    Real TextY = 0;
    Array1<std::string, 7> Cells{};
    Array1<Real, 7> CellValues{};
    Real TextHeight = 0;
    Real RowHeight = 0;
    Integer ColCount = 0;
    Integer RowCount = 0;
    Integer FirstCol = 1;
    bool HLines = true;
    bool VLines = true;
};

} // namespace kt4::cad
