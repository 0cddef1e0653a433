#include "foundation/printer_settings.h"

namespace kt4::printer {

std::string PrintFontName;
Word PrintFontSize;
Word PrintFontStyle;
Array1<Integer, 4> TextWindowRect;
Word PrintOrientation;
double PrintScale;
double PrintScaleY;
Integer PrintOriginX;
Integer PrintOriginY;
bool PrintBorder;
bool DrawBorderLine;
bool GraphPrintDialog;
Word CadLogoMode;
Word GraphPrintOrientation;
Word PrintLayoutRecNo;
double GraphPrintScaleX;
double GraphPrintScaleY;
Integer GraphPrintOriginX;
Integer GraphPrintOriginY;

void InitPrinterSettings()
{
    PrintFontName = "Courier New";
    PrintFontSize = 10;
    PrintFontStyle = 3;
    TextWindowRect[1] = 10;
    TextWindowRect[2] = 40;
    TextWindowRect[3] = 700;
    TextWindowRect[4] = 440;
    PrintOrientation = 2;
    PrintScale = 1.0;
    PrintScaleY = 1.0;
    PrintOriginX = 0;
    PrintOriginY = 0;
    PrintBorder = false;
    DrawBorderLine = false;
    GraphPrintDialog = true;
    CadLogoMode = 0;
    GraphPrintOrientation = 2;
    PrintLayoutRecNo = 0;
    GraphPrintScaleX = 1.0;
    GraphPrintScaleY = 1.0;
    GraphPrintOriginX = 0;
    GraphPrintOriginY = 0;
}

} // namespace kt4::printer
