#include "graphics/display_list.h"

#include <charconv>
#include <cmath>

namespace kt4::graphics {

namespace {

// The notation of a real in a record, written at p.
char* PutNum(char* p, char* end, Real x)
{
    double d = double(x);
    if (!std::isfinite(d))
        d = 0;
    return std::to_chars(p, end, d, std::chars_format::general, 8).ptr;
}

// A record composed in place: the opcode, then each field after a ";".
class RecordText {
public:
    explicit RecordText(TDisplayOp op) { n_ = std::size_t(std::to_chars(buf_, End(), int(op)).ptr - buf_); }
    void Num(Real x)
    {
        Sep();
        n_ = std::size_t(PutNum(buf_ + n_, End(), x) - buf_);
    }
    void Int(Integer n)
    {
        Sep();
        n_ = std::size_t(std::to_chars(buf_ + n_, End(), n).ptr - buf_);
    }
    // A ";" that ends the last field, or leads the text field.
    void Sep()
    {
        if (n_ < sizeof buf_)
            buf_[n_++] = ';';
    }
    // The record, with the text of a text field after it.
    TDisplayLine Str(std::string_view tail = {}) const
    {
        TDisplayLine s;
        s.reserve(n_ + tail.size());
        s.append(buf_, n_);
        s.append(tail);
        return s;
    }

private:
    char* End() { return buf_ + sizeof buf_; }
    // the longest record: the opcode and eight fields of at most 15
    // characters (a negative number with an exponent) or 11 (an integer)
    char buf_[160];
    std::size_t n_ = 0;
};

} // namespace

std::string DisplayNumStr(Real x)
{
    char buf[40];
    return std::string(buf, PutNum(buf, buf + sizeof buf, x));
}

namespace {

double ParseReal(std::string_view f)
{
    while (!f.empty() && f.front() == ' ')
        f.remove_prefix(1);
    if (!f.empty() && f.front() == '+')
        f.remove_prefix(1);
    double v = 0;
    auto res = std::from_chars(f.data(), f.data() + f.size(), v);
    if (res.ec == std::errc() && res.ptr == f.data() + f.size())
        return std::isfinite(v) ? v : 0;
    // a decimal comma from another notation
    std::string s(f);
    if (auto p = s.find(','); p != std::string::npos) {
        s[p] = '.';
        res = std::from_chars(s.data(), s.data() + s.size(), v);
        if (res.ec == std::errc() && res.ptr == s.data() + s.size())
            return std::isfinite(v) ? v : 0;
    }
    return 0;
}

Integer ParseInt(std::string_view f)
{
    while (!f.empty() && f.front() == ' ')
        f.remove_prefix(1);
    if (!f.empty() && f.front() == '+')
        f.remove_prefix(1);
    Integer v = 0;
    auto res = std::from_chars(f.data(), f.data() + f.size(), v);
    return res.ec == std::errc() && res.ptr == f.data() + f.size() ? v : 0;
}

// Takes the next ";"-terminated field (or the rest when there is no ";").
std::string_view NextField(std::string_view& rest)
{
    auto p = rest.find(';');
    std::string_view f = rest.substr(0, p);
    rest = p == std::string_view::npos ? std::string_view() : rest.substr(p + 1);
    return f;
}

} // namespace

TDisplayLine MakeMoveToRecord(Real x, Real y)
{
    RecordText r(TDisplayOp::doMoveTo);
    r.Num(x);
    r.Num(y);
    r.Sep();
    return r.Str();
}

TDisplayLine MakeLineToRecord(Real x, Real y)
{
    RecordText r(TDisplayOp::doLineTo);
    r.Num(x);
    r.Num(y);
    r.Sep();
    return r.Str();
}

TDisplayLine MakeCircleRecord(Real x, Real y, Real r)
{
    RecordText t(TDisplayOp::doCircle);
    t.Num(x);
    t.Num(y);
    t.Num(r);
    return t.Str();
}

TDisplayLine MakeLineRecord(Real x1, Real y1, Real x2, Real y2)
{
    RecordText r(TDisplayOp::doLine);
    for (Real v : {x1, y1, x2, y2})
        r.Num(v);
    return r.Str();
}

TDisplayLine MakeArcRecord(Real bx1, Real by1, Real bx2, Real by2, Real xs, Real ys, Real xe,
                           Real ye)
{
    RecordText r(TDisplayOp::doArc);
    for (Real v : {bx1, by1, bx2, by2, xs, ys, xe, ye})
        r.Num(v);
    return r.Str();
}

TDisplayLine MakeTextRecord(Real x, Real y, std::string_view text)
{
    RecordText r(TDisplayOp::doText);
    r.Num(x);
    r.Num(y);
    r.Sep();
    return r.Str(text);
}

TDisplayLine MakeSolidRecord(Real x1, Real y1, Real x2, Real y2, Real x3, Real y3, Real x4,
                             Real y4)
{
    RecordText r(TDisplayOp::doSolid);
    for (Real v : {x1, y1, x2, y2, x3, y3, x4, y4})
        r.Num(v);
    return r.Str();
}

TDisplayLine MakeIntRecord(TDisplayOp op, Integer n)
{
    RecordText r(op);
    r.Int(n);
    return r.Str();
}

TDisplayLine MakeTextStyleRecord(Real height, Real width, Integer font, Real angle)
{
    RecordText r(TDisplayOp::doTextStyle);
    r.Num(height);
    r.Num(width);
    r.Int(font);
    r.Num(angle);
    return r.Str();
}

TDisplayLine MakeWindowRecord(Integer sx0, Integer sy0, Integer sx1, Integer sy1, Real wx0,
                              Real wy0, Real wx1, Real wy1)
{
    RecordText r(TDisplayOp::doWindow);
    for (Integer v : {sx0, sy0, sx1, sy1})
        r.Int(v);
    for (Real v : {wx0, wy0, wx1, wy1})
        r.Num(v);
    return r.Str();
}

DisplayRecord ParseDisplayLine(std::string_view line)
{
    DisplayRecord r;
    std::string_view rest = line;
    r.op = ParseInt(NextField(rest));
    int reals = 0;
    switch (TDisplayOp(r.op)) {
    case TDisplayOp::doMoveTo:
    case TDisplayOp::doLineTo:
    case TDisplayOp::doText:
        reals = 2;
        break;
    case TDisplayOp::doCircle:
        reals = 3;
        break;
    case TDisplayOp::doLine:
        reals = 4;
        break;
    case TDisplayOp::doArc:
    case TDisplayOp::doSolid:
    case TDisplayOp::doWindow:
        reals = 8;
        break;
    case TDisplayOp::doTextStyle:
        reals = 4; // height, width, font (unused), angle
        break;
    case TDisplayOp::doColor:
    case TDisplayOp::doLineStyle:
    case TDisplayOp::doLineWidth:
    case TDisplayOp::doPause:
        r.n = ParseInt(rest);
        return r;
    default:
        return r;
    }
    for (int i = 0; i < reals; ++i)
        r.v[i] = ParseReal(NextField(rest));
    if (r.op == int(TDisplayOp::doText))
        r.text = rest;
    return r;
}

void TDisplayList::Add(TDisplayLine line)
{
    if (line.size() > 2 && line[0] == '1' && line[1] == '3' && line[2] == ';')
        ++pauses_;
    lines_.push_back(std::move(line));
    ++generation_;
}

void TDisplayList::Clear()
{
    lines_.clear();
    pauses_ = 0;
    ++generation_;
    ++epoch_;
}

void TDisplayList::Replace(const TDisplayList& From)
{
    Clear();
    lines_ = From.lines_;
    pauses_ = From.pauses_;
}

} // namespace kt4::graphics
