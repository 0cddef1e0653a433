#include "cad/drawing_table.h"

#include "cad/cad_output.h"
#include "cad/cad_settings.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace kt4::cad {

namespace {
constexpr Integer LineLayer = 17;
constexpr Integer TextLayer = 18;

std::string Trimmed(const std::string& s)
{
    const auto b = s.find_first_not_of(' ');
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// A plain number: a sign, digits with one decimal point or comma, an
// exponent; Sep takes the decimal character it uses.
bool IsNumber(const std::string& s, char& Sep)
{
    std::size_t k = 0, digits = 0;
    Sep = '.';
    if (k < s.size() && (s[k] == '-' || s[k] == '+'))
        ++k;
    bool point = false;
    for (; k < s.size(); ++k) {
        if (std::isdigit(static_cast<unsigned char>(s[k])))
            ++digits;
        else if ((s[k] == '.' || s[k] == ',') && !point)
            point = true, Sep = s[k];
        else
            break;
    }
    if (digits == 0)
        return false;
    if (k < s.size() && (s[k] == 'E' || s[k] == 'e')) {
        ++k;
        if (k < s.size() && (s[k] == '-' || s[k] == '+'))
            ++k;
        const std::size_t start = k;
        while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k])))
            ++k;
        if (k == start)
            return false;
    }
    return k == s.size();
}

// X in exponent form ("1.666E9", "-2.5E-7") with as many mantissa digits
// as Max characters hold, each form rounded once from X; the shortest
// form when none fits.
std::string ExponentForm(Real X, char Sep, std::size_t Max)
{
    std::string best;
    for (int decs = 15; decs >= 0; --decs) {
        char buf[64];
        const auto end = std::to_chars(buf, buf + sizeof buf, X, std::chars_format::scientific, decs).ptr;
        std::string s(buf, end);
        const std::size_t e = s.find('e');
        const int exponent = std::atoi(s.c_str() + e + 1);
        std::string mantissa = s.substr(0, e);
        if (const auto p = mantissa.find('.'); p != std::string::npos)
            mantissa[p] = Sep;
        best = mantissa + "E" + std::to_string(exponent);
        if (best.size() <= Max)
            break;
    }
    return best;
}

// The text of a cell that holds Chars characters after its leading blank:
// a number too long for it in exponent form (from Value where that is a
// number, else from the text), anything else as it is.
std::string Fitted(const std::string& Text, std::size_t Chars, Real Value)
{
    const std::string t = Trimmed(Text);
    char sep = '.';
    if (t.size() <= Chars || !IsNumber(t, sep))
        return Text;
    if (std::isfinite(Value))
        return ExponentForm(Value, sep, Chars);
    std::string c = t;
    if (sep == ',')
        c[c.find(',')] = '.';
    const double x = std::strtod(c.c_str(), nullptr);
    if (!std::isfinite(x))
        return Text;
    return ExponentForm(x, sep, Chars);
}
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
    CellValues.fill(std::numeric_limits<Real>::quiet_NaN());
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
    Values none;
    none.fill(std::numeric_limits<Real>::quiet_NaN());
    AddRow(t, none);
}

void TAusTabelle::AddRow(const Texts& t, const Values& v)
{
    for (std::size_t k = 1; k <= 7; ++k) {
        Cells[k] = t[k - 1];
        CellValues[k] = v[k - 1];
    }
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
    // a character takes the text style's width, as the CAD files lay it out
    const Real advance = TextHeight * CadTextWidth;
    for (Integer k = FirstCol; k <= ColCount - 1; ++k) {
        const std::size_t col = std::size_t(k);
        std::string text = Cells[col];
        const Real room = advance > 0 ? (ColX[col + 1] - ColX[col]) / advance : 0;
        if (room >= 2 && std::isfinite(room))
            text = Fitted(text, std::size_t(std::min(room, 1000.0L) + 1e-9L) - 1, CellValues[col]);
        c_text(ColX[col], TextY, " " + text);
    }
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
