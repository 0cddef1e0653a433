// Looking at printed PDF files with poppler's tools: pdfinfo for the pages,
// the page size and the title, pdftoppm for the rendered page, and the
// measures the print tests take on it.
#pragma once

#include "common/run_program.h"

#include <QColor>
#include <QImage>
#include <QPageLayout>
#include <QRectF>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cmath>
#include <sstream>
#include <string>

namespace kt4::graphics::test {

struct PdfInfo {
    int pages = 0;
    double width = 0, height = 0; // points
    std::string title;
};

inline PdfInfo ReadPdfInfo(const std::string& path)
{
    PdfInfo info;
    const auto run = kt4::test::RunProgram({"/usr/bin/pdfinfo", path});
    std::istringstream in(run.out);
    for (std::string line; std::getline(in, line);) {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string key = line.substr(0, colon);
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        if (key == "Pages")
            info.pages = std::stoi(value);
        else if (key == "Title")
            info.title = value;
        else if (key == "Page size")
            std::sscanf(value.c_str(), "%lf x %lf", &info.width, &info.height);
    }
    return info;
}

// The first page at dpi dots per inch.
inline QImage RenderPdf(const std::string& path, int dpi)
{
    const std::string prefix = path + ".render";
    kt4::test::RunProgram({"/usr/bin/pdftoppm", "-r", std::to_string(dpi), "-png", "-singlefile",
                             path, prefix});
    QImage image(QString::fromStdString(prefix + ".png"));
    std::remove((prefix + ".png").c_str());
    return image.convertToFormat(QImage::Format_RGB32);
}

inline bool Ink(QRgb p) { return std::min({qRed(p), qGreen(p), qBlue(p)}) < 200; }
// A pixel whose channels differ clearly: no white, grey or black.
inline bool Coloured(QRgb p)
{
    return std::max({qRed(p), qGreen(p), qBlue(p)}) - std::min({qRed(p), qGreen(p), qBlue(p)}) > 48;
}

inline int CountPixels(const QImage& image, bool (*test)(QRgb))
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            n += test(row[x]);
    }
    return n;
}

// Where the frame of a print with the whole page ("anpassen") lies, in
// millimetres of the paper: the printable area's corner, moved by the
// origin (millimetres of a 210 mm page width, for both axes), and the
// printable width and height times the scales.
struct FrameMm {
    double left, top, right, bottom;
};
inline FrameMm ExpectedFrame(const QPageLayout& layout, double sx, double sy, int ox, int oy)
{
    const QRectF paint = layout.paintRect(QPageLayout::Millimeter);
    const double left = paint.left() + paint.width() * ox / 210;
    const double top = paint.top() + paint.width() * oy / 210;
    return {left, top, left + paint.width() * sx, top + paint.height() * sy};
}

// The line of most ink within +-search pixels of expected, running from
// along0 to along1 (columns for a vertical line, rows for a horizontal
// one); -1 when there is no ink.
inline int FindLine(const QImage& image, bool vertical, double expected, int search, int along0, int along1)
{
    int best = -1, bestInk = 0;
    const int limit = vertical ? image.width() : image.height();
    const int alongLimit = vertical ? image.height() : image.width();
    for (int at = int(std::lround(expected)) - search; at <= int(std::lround(expected)) + search; ++at) {
        if (at < 0 || at >= limit)
            continue;
        int ink = 0;
        for (int a = std::max(0, along0); a < std::min(alongLimit, along1); ++a)
            ink += Ink(vertical ? image.pixel(at, a) : image.pixel(a, at));
        if (ink > bestInk) {
            bestInk = ink;
            best = at;
        }
    }
    return best;
}

// How far (mm) each edge of the frame (left, top, right, bottom) lies from
// the line of most ink near it on a page rendered at dpi.
inline std::array<double, 4> FrameOffsets(const QImage& image, int dpi, const FrameMm& f)
{
    const double px = dpi / 25.4;
    const int search = int(3 * px);
    // along the middle of each edge, clear of the corners
    const double w = f.right - f.left, h = f.bottom - f.top;
    const int x0 = int((f.left + 0.1 * w) * px), x1 = int((f.right - 0.1 * w) * px);
    const int y0 = int((f.top + 0.1 * h) * px), y1 = int((f.bottom - 0.1 * h) * px);
    const double expected[4] = {f.left * px, f.top * px, f.right * px, f.bottom * px};
    std::array<double, 4> off{};
    for (int k = 0; k < 4; ++k) {
        const bool vertical = k % 2 == 0;
        const int at = FindLine(image, vertical, expected[k], search, vertical ? y0 : x0, vertical ? y1 : x1);
        off[std::size_t(k)] = at < 0 ? 99.0 : std::fabs(at + 0.5 - expected[k]) / px;
    }
    return off;
}

} // namespace kt4::graphics::test
