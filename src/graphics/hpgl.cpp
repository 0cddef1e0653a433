#include "graphics/hpgl.h"

#include "foundation/settings.h"
#include "graphics/geometry2d.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"

#include <cctype>
#include <cmath>
#include <fstream>
#include <iterator>
#include <optional>

namespace kt4::graphics {

Real PlotCurX, PlotCurY;
bool PlotPosDefined;
bool PlotPenDown;
std::uint8_t PlotPen;
Real PlotCharWidth, PlotCharHeight;
Real PlotDirRun, PlotDirRise;
Real PlotCharSet;
bool PlotTerminated;
Integer PlotCharCount;

void InitHpgl()
{
    PlotCurX = PlotCurY = -999;
    PlotPosDefined = false;
    PlotPenDown = false;
    PlotPen = 0;
    PlotCharWidth = PlotCharHeight = 5;
    PlotDirRun = 1;
    PlotDirRise = 0;
    PlotCharSet = 1;
    PlotTerminated = false;
    PlotCharCount = 0;
}

std::uint8_t PlotPenColor(Integer pen)
{
    static constexpr std::uint8_t Colors[8] = {0, 12, 14, 10, 11, 9, 13, 15};
    if (pen >= 1 && pen <= 7)
        return Colors[pen];
    return std::uint8_t(pen);
}

Real PlotUnitsToMm(Real x) { return x * 0.025L; }

namespace {

constexpr char ETX = 3;

// Reads the plot data character by character. The end of the data is a
// flag of its own: it ends the interpreter and nothing else.
class PlotReader {
public:
    explicit PlotReader(std::string_view data) : data_(data) {}
    bool Eof() const { return eof_; }

    // Next character, blanks, CR and LF skipped; 0 at the end.
    char NextChar()
    {
        char c;
        do
            c = Raw();
        while (!eof_ && (c == ' ' || c == '\r' || c == '\n'));
        return c;
    }
    // Next character of a label: only CR and LF skipped.
    char NextLabelChar()
    {
        char c;
        do
            c = Raw();
        while (!eof_ && (c == '\r' || c == '\n'));
        return c;
    }
    void Unget()
    {
        if (!eof_ && pos_ > 0) {
            --pos_;
            --PlotCharCount;
        }
    }

    // One parameter: the text up to "," or ";" (";" sets PlotTerminated).
    // After ";" a command has no further parameters: nothing is read.
    std::string Param()
    {
        std::string s;
        if (PlotTerminated)
            return s;
        for (;;) {
            const char c = NextChar();
            if (eof_)
                break;
            if (c == ';') {
                PlotTerminated = true;
                break;
            }
            if (c == ',')
                break;
            s += c;
        }
        return s;
    }
    void SkipToSemicolon()
    {
        if (PlotTerminated)
            return;
        while (NextChar() != ';' && !eof_) {
        }
        PlotTerminated = !eof_;
    }

private:
    char Raw()
    {
        if (pos_ >= data_.size()) {
            eof_ = true;
            return 0;
        }
        ++PlotCharCount;
        return data_[pos_++];
    }
    std::string_view data_;
    std::size_t pos_ = 0;
    bool eof_ = false;
};

Integer ReadInt(PlotReader& r)
{
    const std::string s = r.Param();
    return s.empty() ? 1 : ValInteger(s);
}

std::string CoordText(PlotReader& r)
{
    std::string s;
    for (char c : r.Param())
        if (c != 'P' && c != 'A')
            s += c;
    return s;
}

Real ReadCoord(PlotReader& r)
{
    const std::string s = CoordText(r);
    return s.empty() ? 0 : ValReal(s);
}

// A real parameter, or nothing when it is missing.
std::optional<Real> ReadOptReal(PlotReader& r)
{
    const std::string s = r.Param();
    if (s.empty())
        return std::nullopt;
    return ValReal(s);
}

class Interpreter {
public:
    Interpreter(std::string_view data, TGraphDevice& dev) : r_(data), dev_(dev) {}
    void Run();

private:
    void Pairs();
    void Circle();
    void ArcAbsolute();
    void Label();
    void PolylineEncoded();
    std::optional<std::int64_t> DecodeNumber(char first, bool sevenBit);
    void MoveTo(Real x, Real y, bool draw);
    void PenColour() { dev_.SetColor(PlotPenColor(PlotPen)); }

    PlotReader r_;
    TGraphDevice& dev_;
};

void Interpreter::MoveTo(Real x, Real y, bool draw)
{
    if (draw && PlotPosDefined) {
        PenColour();
        dev_.Line(PlotCurX, PlotCurY, x, y);
    }
    PlotCurX = x;
    PlotCurY = y;
    PlotPosDefined = true;
}

void Interpreter::Pairs()
{
    for (;;) {
        const std::string xs = CoordText(r_);
        if (PlotTerminated || r_.Eof())
            return;
        const std::string ys = CoordText(r_);
        if (r_.Eof())
            return; // cut off by the end of the file: not drawn
        const Real x = xs.empty() ? 0 : ValReal(xs), y = ys.empty() ? 0 : ValReal(ys);
        MoveTo(PlotUnitsToMm(x), PlotUnitsToMm(y), PlotPenDown);
        if (PlotTerminated || r_.Eof())
            return;
    }
}

void Interpreter::Circle()
{
    const Real r = ReadCoord(r_);
    r_.SkipToSemicolon(); // a chord tolerance is not used
    if (!PlotPosDefined || r_.Eof())
        return;
    PenColour();
    dev_.Circle(PlotCurX, PlotCurY, std::fabs(PlotUnitsToMm(r)));
}

void Interpreter::ArcAbsolute()
{
    const Real cx = PlotUnitsToMm(ReadCoord(r_));
    const Real cy = PlotUnitsToMm(ReadCoord(r_));
    const std::string ss = r_.Param();
    if (r_.Eof())
        return;
    const Real sweep = ValReal(ss);
    r_.SkipToSemicolon();
    if (!PlotPosDefined)
        return; // no arc from a position that is not yet known
    Real ex = PlotCurX, ey = PlotCurY;
    // whole turns end exactly where they began: the start and end rays
    // then coincide and the whole circle is drawn
    if (std::fmod(sweep, Real(360)) != 0)
        RotateAbout(ex, ey, DegToRad(sweep), cx, cy, PlotCurX, PlotCurY);
    if (PlotPenDown) {
        const Real radius = std::hypot(PlotCurX - cx, PlotCurY - cy);
        const Real a1 = RadToDeg(ArcTanXY(PlotCurX - cx, PlotCurY - cy));
        Real a2 = RadToDeg(ArcTanXY(ex - cx, ey - cy));
        if (a1 == a2)
            a2 = a1 + 360;
        PenColour();
        dev_.Arc(cx, cy, a1, a2, radius, sweep);
    }
    // the pen ends at the end of the arc
    PlotCurX = ex;
    PlotCurY = ey;
}

void Interpreter::Label()
{
    std::string text;
    for (;;) {
        const char c = r_.NextLabelChar();
        if (r_.Eof())
            return; // a label cut off by the end of the file is not drawn
        if (c == ETX)
            break;
        if (c == '}' && PlotCharSet == 3) {
            if (!text.empty()) {
                char& last = text.back();
                switch (last) {
                case 'a': last = char(0x84); break;
                case 'o': last = char(0x94); break;
                case 'u': last = char(0x81); break;
                case 'A': last = char(0x8E); break;
                case 'O': last = char(0x99); break;
                case 'U': last = char(0x9A); break;
                default: break;
                }
            }
            continue;
        }
        text += c;
    }
    PlotTerminated = true;
    PenColour();
    dev_.SetTextStyle(2, RadToDeg(ArcTanXY(PlotDirRun, PlotDirRise)), PlotCharHeight * 10,
                      PlotCharWidth * 10);
    dev_.TextStyleHook(0);
    if (PlotPosDefined)
        dev_.OutTextXY(PlotCurX, PlotCurY, text);
}

bool IsDigit(unsigned char c, bool sevenBit)
{
    return sevenBit ? (c >= 63 && c <= 126) : ((c >= 63 && c <= 126) || (c >= 191 && c <= 254));
}

// One base-64 (8-bit) or base-32 (7-bit) number whose first digit is
// "first". Nothing when the data ends or another character cuts it; that
// character is read again by the caller.
std::optional<std::int64_t> Interpreter::DecodeNumber(char first, bool sevenBit)
{
    std::int64_t value = 0;
    int shift = 0;
    unsigned char c = static_cast<unsigned char>(first);
    for (;;) {
        if (!IsDigit(c, sevenBit)) {
            r_.Unget();
            return std::nullopt;
        }
        const bool last = sevenBit ? c >= 95 : c >= 191;
        const int digit = c - (sevenBit ? (last ? 95 : 63) : (last ? 191 : 63));
        if (shift < 56)
            value += std::int64_t(digit) << shift;
        shift += sevenBit ? 5 : 6;
        if (last)
            return value;
        c = static_cast<unsigned char>(r_.NextChar());
        if (r_.Eof())
            return std::nullopt;
    }
}

void Interpreter::PolylineEncoded()
{
    PlotPenDown = true;
    bool sevenBit = false, penUp = false, absolute = false;
    const auto mm = [](std::int64_t v) {
        return (v % 2 == 0) ? Real(v) / 80 : Real(1 - v) / 80;
    };
    for (;;) {
        const char c = r_.NextChar();
        if (r_.Eof())
            return;
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == ';') {
            PlotTerminated = true;
            return;
        }
        if (c == ':') {
            const char d = r_.NextChar();
            if (r_.Eof())
                return;
            if (auto v = DecodeNumber(d, sevenBit))
                PlotPen = std::uint8_t(*v >> 1);
        } else if (c == '<') {
            penUp = true;
        } else if (c == '>') {
            const char d = r_.NextChar();
            if (r_.Eof())
                return;
            (void)DecodeNumber(d, sevenBit); // fractional bits: not used
        } else if (c == '=') {
            absolute = true;
        } else if (c == '7') {
            sevenBit = true;
        } else if (u >= 63 && u <= 253 && IsDigit(u, sevenBit)) {
            const auto x = DecodeNumber(c, sevenBit);
            if (!x)
                continue;
            const char d = r_.NextChar();
            if (r_.Eof())
                return;
            const auto y = DecodeNumber(d, sevenBit);
            if (!y)
                continue;
            Real nx = mm(*x), ny = mm(*y);
            if (!absolute && PlotPosDefined) {
                nx += PlotCurX;
                ny += PlotCurY;
            }
            MoveTo(nx, ny, !penUp);
            penUp = absolute = false;
        }
    }
}

void Interpreter::Run()
{
    for (;;) {
        PlotTerminated = false;
        char c1 = r_.NextChar();
        if (c1 == ';' && !r_.Eof())
            c1 = r_.NextChar();
        if (r_.Eof())
            return;
        const char c2 = r_.NextChar();
        if (r_.Eof())
            return;
        const std::string cmd{char(std::toupper(static_cast<unsigned char>(c1))),
                              char(std::toupper(static_cast<unsigned char>(c2)))};
        if (cmd == "PU") {
            PlotPenDown = false;
            Pairs();
        } else if (cmd == "PD") {
            PlotPenDown = true;
            Pairs();
        } else if (cmd == "PA") {
            Pairs();
        } else if (cmd == "SP") {
            PlotPen = std::uint8_t(ReadInt(r_));
            r_.SkipToSemicolon();
        } else if (cmd == "CI") {
            Circle();
        } else if (cmd == "AA") {
            ArcAbsolute();
        } else if (cmd == "SI") {
            if (auto w = ReadOptReal(r_))
                PlotCharWidth = *w;
            if (auto h = ReadOptReal(r_))
                PlotCharHeight = *h;
            r_.SkipToSemicolon();
        } else if (cmd == "DI") {
            if (auto run = ReadOptReal(r_))
                PlotDirRun = *run;
            if (auto rise = ReadOptReal(r_))
                PlotDirRise = *rise;
            r_.SkipToSemicolon();
        } else if (cmd == "LB") {
            Label();
        } else if (cmd == "PE") {
            PolylineEncoded();
        } else if (cmd == "CS") {
            PlotCharSet = ReadCoord(r_);
            r_.SkipToSemicolon();
        } else {
            // RO, IN, IP, IW, DF, VS, LT, SC, escape sequences, anything else
            r_.SkipToSemicolon();
        }
        if (r_.Eof())
            return;
    }
}

} // namespace

void PlotHpglData(std::string_view data, TGraphDevice& device)
{
    PlotCurX = PlotCurY = -999;
    PlotPosDefined = false;
    PlotCharCount = 0;
    Interpreter(data, device).Run();
}

void PlotHpglFile(const std::string& fileName, TGraphDevice& device)
{
    device.SetWaitCursor();
    if (device.CheckFile(fileName)) {
        std::ifstream in(fileName, std::ios::binary);
        const std::string data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (in.bad()) {
            device.ShowMessage("Lesefehler: " + fileName);
            settings::AbortFlag = true;
        } else
            PlotHpglData(data, device);
    }
    device.SetNormalCursor();
}

void PlotHpglFile(const std::string& fileName) { PlotHpglFile(fileName, GraphDevice); }

} // namespace kt4::graphics
