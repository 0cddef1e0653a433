// The external plot program: how its command line is composed, by the
// settings form TForm_confkavolt (whose values and rules live here, the
// Qt form only shows them) or by a chain of questions.
//
// Command line: program, a blank, the DXF file without its extension,
// then each switch that differs from its default: " /C" format, " /D"
// interface, " /P" port, " /F" output file, " /M*" fit or " /M" scale,
// " /X", " /Y" origin shift, " /B" text width, " /R" rotation, " /T"
// PostScript font. Paths that contain a blank are written in double
// quotes. Names are UTF-8.
#pragma once

#include <array>
#include <functional>
#include <string>

namespace kt4::cad {

inline constexpr int PlotFormatCount = 5;
// The format codes and their captions in the form.
extern const std::array<const char*, PlotFormatCount> PlotFormatCodes;
extern const std::array<const char*, PlotFormatCount> PlotFormatNames;
// The interfaces: 0 serial, 1 parallel (the default), 2 file.
extern const std::array<const char*, 3> PlotInterfaceNames;
extern const std::array<const char*, 35> PostScriptFontNames;

// The values of TForm_confkavolt, as its controls hold them.
struct PlotFormValues {
    std::string programPath = "c:\\kavolt\\wkavolt";
    int format = 0;    // index into PlotFormatCodes
    int port = 1;      // interface index
    std::string com = "1", lpt = "1";
    std::string outDir;            // folder of file output
    std::string scale = "1";
    bool fit = false;              // fit to the sheet: scale "0"
    bool rotate = false;
    std::string xShift = "0", yShift = "0", textWidth = "1";
    std::string psFont;
};

// The form's defaults; the output folder is TempDir.
PlotFormValues DefaultPlotForm();
// The line the form's values give (the form's MakeCommandLine).
std::string MakeCommandLine(const PlotFormValues& V);
// Reads a line of the grammar back into the form's values; false (and V
// unchanged) for a line that does not follow it.
bool ParsePlotLine(const std::string& Line, PlotFormValues& V);

// Which controls the form enables for these values.
struct PlotFormEnabled {
    bool psFont = false, com = false, lpt = false, outDir = false, scale = true;
};
PlotFormEnabled EnabledControls(const PlotFormValues& V);

// The help number of each control's hint, and of the form's help button.
inline constexpr int PlotFormHelp = 2055;

// The form, installed by the program once its windows exist: shows
// TForm_confkavolt with Line preset; true (and Line the edited line) on
// OK, false on Cancel. Without it (batch runs) the stored line is kept.
extern std::function<bool(std::string& Line)> PlotFormHook;

// The question route: composes a line from asked parameters into Line.
// Cancel sets AbortFlag and leaves Line.
void PlotCommandDialog(std::string& Line);

// A path as a word of a command line: in double quotes when it holds a
// blank.
std::string QuotePath(const std::string& Path);

// The drawing a plot job writes, "kavolt.dxf" in the process's private
// folder: no other user can plant that name, and two runs never hand each
// other their drawings. The plot program gets its full path. "" when the
// folder cannot be made.
std::string PlotFileName();

} // namespace kt4::cad
