// Text printing on a QPrinter (a printer of the system, or a PDF file):
// each page of a split text file on one printer page, lines at a height of
// the printable page height divided by the lines per page, in the printer
// font of the settings.
#pragma once

#include "foundation/textprint.h"

#include <QFont>
#include <vector>

class QPrinter;

namespace kt4::gui {

// The font of printed text and of the report viewer.
QFont PrinterTextFont();

// Prints pages From..To (1-based, limited to the pages there are). False
// when the printer could not be started or there was nothing to print.
bool PrintTextPages(QPrinter& Printer, const std::vector<TextPage>& Pages, int From, int To);

} // namespace kt4::gui
