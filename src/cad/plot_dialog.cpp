// The question route to a plot command line: each parameter asked in
// turn; a line longer than 60 characters goes into a batch file.
#include "cad/plot_link.h"

#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "foundation/helptext.h"
#include "foundation/linefile.h"
#include "foundation/numstr.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "foundation/ui_service.h"

#include <filesystem>

namespace kt4::cad {

using settings::AbortFlag;
using settings::DialogLines;

namespace {

// Folder and file names are UTF-8 and shown as they are.
bool AskName(const std::string& Prompt, std::string& Text, int MaxLen)
{
    if (Ui().TextInput(OemToDisplay(Prompt), Text, MaxLen))
        return true;
    AbortFlag = true;
    return false;
}

Word Choose(const std::string& Title, std::initializer_list<const char*> Lines, Word Sel)
{
    Word k = 0;
    for (const char* l : Lines)
        DialogLines[++k] = l;
    ChoiceDialog(Title, k, Sel);
    return Sel;
}

std::string Number(Real X) { return RealStrPoint(X); }

// The line goes into Name + ".BAT" in the current folder; the stored line
// becomes that file's full path, by which the plot run finds and starts it.
void BatchDetour(std::string& Line)
{
    NoticeText("Kommandozeile zu lang, Es wird eine Batch-Datei erzeugt.");
    for (;;) {
        std::string name;
        do {
            if (!AskName("Name der Batch-Datei (ohne .bat)", name, 60))
                return;
        } while (name.find('.') != std::string::npos || name.empty());
        std::error_code ec;
        const std::string path = std::filesystem::absolute(name + ".BAT", ec).string();
        LineFile f;
        if (!ec && f.OpenWrite(path)) {
            f.WriteLine(Line);
            if (f.Close()) {
                Line = QuotePath(path);
                AbortFlag = false;
                return;
            }
        }
        AbortFlag = false;
        ErrorBox("Datei " + name + ".BAT " + "kann nicht angelegt werden");
    }
}

} // namespace

void PlotCommandDialog(std::string& Line)
{
    const std::string dxf = AddBackslash(settings::TempDir) + "kavolt";
    std::string folder = "c:\\kavolt";
    std::string first = Line.substr(0, Line.find(' '));
    std::size_t slash = first.find_last_of("/\\");
    if (slash != std::string::npos)
        folder = first.substr(0, slash);

    SetHelpNumber(2080);
    const bool windows = Choose("KAVOLT/WKAVOLT", {"WKAVOLT.EXE (Windows)", "KAVOLT.EXE (MS-DOS)"}, 1) == 1;
    if (AbortFlag)
        return;
    const std::string program = windows ? "wkavolt.exe" : "kavolt.exe";
    do {
        SetHelpNumber(2080);
        if (!AskName("Programmverzeichnis von " + program, folder, 40))
            return;
    } while (!FileReadable(FindFileNoCase(folder, program)));

    SetHelpNumber(2090);
    Word format = Choose("Ausgabeformat", {"HP-GL Laserjet (HPL)", "Postscript (PS)", "HP-GL (PLT)",
                                           "HP-GL/2 (PL2)", "Aristo (ART)"}, 1);
    if (AbortFlag)
        return;
    SetHelpNumber(2110);
    Word port = Choose("Ausgabeschnittstelle", {"seriell", "parallel", "Datei"}, 2);
    if (AbortFlag)
        return;
    Integer portNumber = 1;
    std::string outFile;
    if (port == 1 || port == 2) {
        SetHelpNumber(2120);
        InputInteger(port == 1 ? "COM-Port" : "LPT-Port", portNumber, 1, 99);
    } else {
        SetHelpNumber(2130);
        AskName("Name der Ausgabedatei", outFile, 60);
    }
    if (AbortFlag)
        return;
    Real scale = 1, x = 0, y = 0, width = 1;
    bool rotate = false;
    std::string font;
    SetHelpNumber(2140);
    InputReal("Ma\xE1stab (0=anpassen)", scale, 0, 1E6);
    if (AbortFlag)
        return;
    SetHelpNumber(2145);
    AskYesNo("Plot um 90 Grad drehen ?", rotate);
    SetHelpNumber(2150);
    if (!AbortFlag)
        InputReal("Nullpunktverschiebung in x-Richtung", x, -1E6, 1E6);
    if (!AbortFlag)
        InputReal("Nullpunktverschiebung in y-Richtung", y, -1E6, 1E6);
    SetHelpNumber(2160);
    if (!AbortFlag)
        InputReal("Textbreitenfaktor", width, 0, 100);
    if (!AbortFlag && format == 2) {
        SetHelpNumber(2280);
        AskName("Postscript-Zeichensatz", font, 40);
    }
    if (AbortFlag)
        return;

    std::string line = QuotePath(AddBackslash(folder) + (windows ? "WKAVOLT" : "KAVOLT")) + " " +
                       QuotePath(dxf) + " /C" + PlotFormatCodes[format - 1];
    if (port != 2)
        line += " /D" + IntStr(port);
    if ((port == 1 || port == 2) && portNumber != 1)
        line += " /P" + IntStr(portNumber);
    if (port == 3 && !outFile.empty())
        line += " /F" + QuotePath(outFile);
    if (scale == 0)
        line += " /M*";
    else if (scale != 1)
        line += " /M" + Number(scale);
    if (x != 0)
        line += " /X" + Number(x);
    if (rotate)
        line += " /R";
    if (y != 0)
        line += " /Y" + Number(y);
    if (width != 1)
        line += " /B" + Number(width);
    if (format == 2)
        line += " /T" + font;
    if (line.size() > 60)
        BatchDetour(line);
    if (!AbortFlag)
        Line = line;
}

} // namespace kt4::cad
