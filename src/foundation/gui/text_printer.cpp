#include "foundation/gui/text_printer.h"

#include "foundation/codepage.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

namespace kt4::gui {

bool PrintTextPages(QPrinter& Printer, const std::vector<TextPage>& Pages, int From, int To)
{
    From = std::max(From, 1);
    To = std::min(To, static_cast<int>(Pages.size()));
    if (From > To)
        return false;
    QPainter painter;
    if (!painter.begin(&Printer))
        return false;
    painter.setFont(QFont(PrinterTextFont(), &Printer));
    const qreal ascent = QFontMetricsF(painter.font(), &Printer).ascent();
    const qreal lineHeight =
        Printer.pageRect(QPrinter::DevicePixel).height() / static_cast<qreal>(EffectiveLinesPerPage());
    for (int page = From; page <= To; ++page) {
        if (page > From)
            Printer.newPage();
        qreal y = 0;
        for (const auto& line : Pages[static_cast<std::size_t>(page - 1)]) {
            painter.drawText(QPointF(0, y + ascent), QString::fromStdString(OemToDisplay(line)));
            y += lineHeight;
        }
    }
    return painter.end();
}

} // namespace kt4::gui
