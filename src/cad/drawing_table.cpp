#include "cad/drawing_table.h"

#include "cad/cad_output.h"

namespace kt4::cad {

namespace {
constexpr Integer LineLayer = 17;
constexpr Integer TextLayer = 18;
} // namespace

void TAusTabelle::Init(Real x, Real y, Real h, const Widths& w, const Texts& t)
{
    RowCount = 0;
    FirstCol = 1;
    ColX[1] = x;
    for (std::size_t k = 1; k <= 7; ++k) {
        ColX[k + 1] = ColX[k] + 0.9L * h * w[k - 1];
        Cells[k] = t[k - 1];
    }
    TextHeight = h;
    RowHeight = 2 * h;
    TopY = y;
    LineY = y - 2 * h;
    TextY = y - 1.5L * h;
    ColCount = CountColumns();
    HLines = true;
    VLines = true;

    c_setlayer(LineLayer);
    const std::size_t last = std::size_t(ColCount);
    c_rectangle(ColX[std::size_t(FirstCol)], TopY, ColX[last], TopY - RowHeight);
    // the outer column lines of the header lie on its frame
    c_line(ColX[1], TopY, ColX[1], TopY - RowHeight);
    c_line(ColX[last], TopY, ColX[last], TopY - RowHeight);
    c_settextstyle(2, 0, h, 0.75L * h);
    for (const auto& text : t)
        if (!text.empty()) {
            WriteCells();
            break;
        }
}

void TAusTabelle::AddRow(const Texts& t)
{
    for (std::size_t k = 1; k <= 7; ++k)
        Cells[k] = t[k - 1];
    c_setlayer(LineLayer);
    if (HLines)
        c_line(ColX[std::size_t(FirstCol)], LineY, ColX[std::size_t(ColCount)], LineY);
    for (Integer k = FirstCol; k <= ColCount; ++k)
        if (VLines || k == FirstCol || k == ColCount)
            c_line(ColX[std::size_t(k)], LineY + RowHeight, ColX[std::size_t(k)], LineY);
    WriteCells();
}

void TAusTabelle::WriteCells()
{
    c_setlayer(TextLayer);
    for (Integer k = FirstCol; k <= ColCount - 1; ++k)
        c_text(ColX[std::size_t(k)], TextY, " " + Cells[std::size_t(k)]);
    LineY -= RowHeight;
    TextY -= RowHeight;
}

Integer TAusTabelle::CountColumns() const
{
    for (std::size_t k = 2; k <= 8; ++k)
        if (ColX[k] == ColX[k - 1])
            return Integer(k - 1);
    return 8;
}

} // namespace kt4::cad
