#include "graphics/graph_util.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iconv.h>

namespace kt4::graphics {

Integer RoundInt(Real x)
{
    if (!(x == x))
        return 0;
    if (x > 1e9L)
        return 1000000000;
    if (x < -1e9L)
        return -1000000000;
    return Integer(std::llrintl(x));
}

Real RadToDeg(Real x) { return x * 180.0L / Pi; }
Real DegToRad(Real x) { return x * Pi / 180.0L; }

Real ArcTanXY(Real x, Real y)
{
    if (x == 0)
        return y >= 0 ? Pi / 2 : -Pi / 2;
    Real a = std::atan(y / x);
    return x < 0 ? a + Pi : a;
}

void RotatePoint(Real& x, Real& y, Real phi)
{
    Real c = std::cos(phi), s = std::sin(phi);
    Real nx = x * c - y * s;
    Real ny = y * c + x * s;
    x = nx;
    y = ny;
}

Real ValReal(std::string_view text)
{
    std::string s(text);
    if (auto p = s.find(','); p != std::string::npos)
        s[p] = '.';
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    if (i == s.size())
        return 0;
    // strtold depends on the locale's decimal point; read by hand.
    const char* p = s.c_str() + i;
    bool neg = false;
    if (*p == '+' || *p == '-')
        neg = *p++ == '-';
    long double mant = 0;
    int digits = 0, scale = 0;
    while (*p >= '0' && *p <= '9') {
        mant = mant * 10 + (*p++ - '0');
        ++digits;
    }
    if (*p == '.') {
        ++p;
        while (*p >= '0' && *p <= '9') {
            mant = mant * 10 + (*p++ - '0');
            ++digits;
            --scale;
        }
    }
    if (digits == 0)
        return 0;
    if (*p == 'e' || *p == 'E') {
        ++p;
        bool eneg = false;
        if (*p == '+' || *p == '-')
            eneg = *p++ == '-';
        if (!(*p >= '0' && *p <= '9'))
            return 0;
        int e = 0;
        while (*p >= '0' && *p <= '9') {
            if (e < 100000)
                e = e * 10 + (*p - '0');
            ++p;
        }
        scale += eneg ? -e : e;
    }
    if (*p != '\0')
        return 0;
    long double v = mant * std::pow(10.0L, scale);
    return neg ? -v : v;
}

Integer ValInteger(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool neg = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        neg = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    }
    if (i == text.size())
        return 0;
    long long v = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return 0;
        v = v * base + d;
        if (v > 0x7FFFFFFFLL)
            return 0;
    }
    return Integer(neg ? -v : v);
}

std::string ShortRealStr(Real x)
{
    if (std::fabs(x) < 1e-5L)
        return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4Lg", x);
    std::string s(buf);
    for (auto& c : s)
        if (c == ',')
            c = '.';
    return s;
}

std::string OemToDisplay(std::string_view oem)
{
    bool ascii = true;
    for (unsigned char c : oem)
        if (c >= 0x80)
            ascii = false;
    if (ascii)
        return std::string(oem);
    iconv_t cd = iconv_open("UTF-8", "CP850");
    if (cd == iconv_t(-1))
        return std::string(oem);
    std::string in(oem), out(in.size() * 4 + 4, '\0');
    char* ip = in.data();
    char* op = out.data();
    size_t il = in.size(), ol = out.size();
    while (il > 0) {
        if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1)) {
            // an unmappable byte becomes "?" rather than ending the text
            ++ip;
            --il;
            *op++ = '?';
            --ol;
        }
    }
    iconv_close(cd);
    out.resize(out.size() - ol);
    return out;
}

} // namespace kt4::graphics
