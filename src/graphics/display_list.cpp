#include "graphics/display_list.h"

#include <charconv>
#include <cmath>

namespace kt4::graphics {

std::string DisplayNumStr(Real x)
{
    double d = double(x);
    if (!std::isfinite(d))
        d = 0;
    char buf[40];
    auto res = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::general, 8);
    return std::string(buf, res.ptr);
}

namespace {

void AppendNum(std::string& s, Real x)
{
    s += ';';
    s += DisplayNumStr(x);
}

void AppendInt(std::string& s, Integer n)
{
    s += ';';
    s += std::to_string(n);
}

std::string Head(TDisplayOp op) { return std::to_string(int(op)); }

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
    auto s = Head(TDisplayOp::doMoveTo);
    AppendNum(s, x);
    AppendNum(s, y);
    return s + ';';
}

TDisplayLine MakeLineToRecord(Real x, Real y)
{
    auto s = Head(TDisplayOp::doLineTo);
    AppendNum(s, x);
    AppendNum(s, y);
    return s + ';';
}

TDisplayLine MakeCircleRecord(Real x, Real y, Real r)
{
    auto s = Head(TDisplayOp::doCircle);
    AppendNum(s, x);
    AppendNum(s, y);
    AppendNum(s, r);
    return s;
}

TDisplayLine MakeLineRecord(Real x1, Real y1, Real x2, Real y2)
{
    auto s = Head(TDisplayOp::doLine);
    for (Real v : {x1, y1, x2, y2})
        AppendNum(s, v);
    return s;
}

TDisplayLine MakeArcRecord(Real bx1, Real by1, Real bx2, Real by2, Real xs, Real ys, Real xe,
                           Real ye)
{
    auto s = Head(TDisplayOp::doArc);
    for (Real v : {bx1, by1, bx2, by2, xs, ys, xe, ye})
        AppendNum(s, v);
    return s;
}

TDisplayLine MakeTextRecord(Real x, Real y, std::string_view text)
{
    auto s = Head(TDisplayOp::doText);
    AppendNum(s, x);
    AppendNum(s, y);
    s += ';';
    s += text;
    return s;
}

TDisplayLine MakeSolidRecord(Real x1, Real y1, Real x2, Real y2, Real x3, Real y3, Real x4,
                             Real y4)
{
    auto s = Head(TDisplayOp::doSolid);
    for (Real v : {x1, y1, x2, y2, x3, y3, x4, y4})
        AppendNum(s, v);
    return s;
}

TDisplayLine MakeIntRecord(TDisplayOp op, Integer n)
{
    auto s = Head(op);
    AppendInt(s, n);
    return s;
}

TDisplayLine MakeTextStyleRecord(Real height, Real width, Integer font, Real angle)
{
    auto s = Head(TDisplayOp::doTextStyle);
    AppendNum(s, height);
    AppendNum(s, width);
    AppendInt(s, font);
    AppendNum(s, angle);
    return s;
}

TDisplayLine MakeWindowRecord(Integer sx0, Integer sy0, Integer sx1, Integer sy1, Real wx0,
                              Real wy0, Real wx1, Real wy1)
{
    auto s = Head(TDisplayOp::doWindow);
    for (Integer v : {sx0, sy0, sx1, sy1})
        AppendInt(s, v);
    for (Real v : {wx0, wy0, wx1, wy1})
        AppendNum(s, v);
    return s;
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

} // namespace kt4::graphics
