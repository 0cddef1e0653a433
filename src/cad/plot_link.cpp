#include "cad/plot_link.h"

#include "cad/plot_run.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"
#include "foundation/paths.h"
#include "foundation/private_temp.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace kt4::cad {

const std::array<const char*, PlotFormatCount> PlotFormatCodes = {"HPL", "PS", "PLT", "PL2", "ART"};
const std::array<const char*, PlotFormatCount> PlotFormatNames = {
    "HP-GL Laserjet (HPL)", "Postscript (PS)", "HP-GL Plotter (PLT)", "HP-GL/2 (PL2)",
    "Aristo (ART)"};
const std::array<const char*, 3> PlotInterfaceNames = {"seriell", "parallel", "Datei"};

const std::array<const char*, 35> PostScriptFontNames = {
    "Times-Roman", "Times-Italic", "Times-Bold", "Times-BoldItalic", "Helvetica",
    "Helvetica-Oblique", "Helvetica-Bold", "Helvetica-BoldOblique", "Helvetica-Narrow",
    "Helvetica-Narrow-Oblique", "Helvetica-Narrow-Bold", "Helvetica-Narrow-BoldOblique", "Courier",
    "Courier-Oblique", "Courier-Bold", "Courier-BoldOblique", "Palatino-Roman", "Palatino-Italic",
    "Palatino-Bold", "Palatino-BoldItalic", "AvantGarde-Book", "AvantGarde-Demi",
    "AvantGarde-BookOblique", "AvantGarde-DemiOblique", "Bookman-Light", "Bookman-Demi",
    "Bookman-LightItalic", "Bookman-DemiItalic", "NewCenturySchlbk-Roman", "NewCenturySchlbk-Bold",
    "NewCenturySchlbk-Italic", "NewCenturySchlbk-BoldItalic", "ZapfChancery-MediumItalic", "Symbol",
    "other fonts"};

std::function<bool(std::string& Line)> PlotFormHook;

std::string QuotePath(const std::string& Path)
{
    return Path.find(' ') == std::string::npos ? Path : "\"" + Path + "\"";
}

std::string PlotFileName()
{
    const std::string folder = PrivateTempDir();
    return folder.empty() ? std::string() : folder + "kavolt.dxf";
}

namespace {

constexpr int Serial = 0, Parallel = 1, File = 2;

Real Value(const std::string& text) { return StrToReal(CommaToPoint(TrimBlanks(text))); }

std::string DxfBase(const std::string& dir) { return AddBackslash(dir) + "kavolt"; }

} // namespace

PlotFormValues DefaultPlotForm()
{
    PlotFormValues v;
    v.outDir = settings::TempDir;
    return v;
}

std::string MakeCommandLine(const PlotFormValues& V)
{
    std::string line = QuotePath(V.programPath) + " " + QuotePath(DxfBase(V.outDir));
    int format = V.format >= 0 && V.format < PlotFormatCount ? V.format : 0;
    line += std::string(" /C") + PlotFormatCodes[std::size_t(format)];
    if (V.port != Parallel)
        line += " /D" + IntStr(V.port + 1);
    if (V.port == Serial || V.port == Parallel) {
        Real port = Value(V.port == Serial ? V.com : V.lpt);
        if (port != 1)
            line += " /P" + IntStr(std::clamp<std::int64_t>(Round(port), -99999, 99999) + 1);
    }
    if (V.port == File && !TrimBlanks(V.outDir).empty())
        line += " /F" + QuotePath(DxfBase(V.outDir));
    Real scale = V.fit ? 0 : Value(V.scale);
    if (scale == 0)
        line += " /M*";
    else if (scale != 1)
        line += " /M" + V.scale;
    if (Value(V.xShift) != 0)
        line += " /X" + V.xShift;
    if (Value(V.yShift) != 0)
        line += " /Y" + V.yShift;
    if (Value(V.textWidth) != 1)
        line += " /B" + V.textWidth;
    if (V.rotate)
        line += " /R";
    if (format == 1)
        line += " /T" + V.psFont;
    return line;
}

bool ParsePlotLine(const std::string& Line, PlotFormValues& V)
{
    std::vector<std::string> words = SplitCommandLine(Line);
    if (words.size() < 2)
        return false;
    PlotFormValues v = DefaultPlotForm();
    v.programPath = words[0];
    if (!FilePathPart(words[1]).empty())
        v.outDir = StripBackslash(FilePathPart(words[1]));
    bool parallelPort = false;
    std::string port;
    for (std::size_t k = 2; k < words.size(); ++k) {
        const std::string& w = words[k];
        if (w.size() < 2 || w[0] != '/')
            return false;
        const char key = static_cast<char>(std::toupper(static_cast<unsigned char>(w[1])));
        const std::string arg = w.substr(2);
        switch (key) {
        case 'C': {
            int found = -1;
            for (int f = 0; f < PlotFormatCount; ++f)
                if (UpperStr(arg) == PlotFormatCodes[std::size_t(f)])
                    found = f;
            if (found < 0)
                return false;
            v.format = found;
            break;
        }
        case 'D':
            v.port = static_cast<int>(std::clamp<std::int64_t>(Round(Value(arg)), 0, 9)) - 1;
            if (v.port < Serial || v.port > File)
                return false;
            break;
        case 'P':
            port = IntStr(std::clamp<std::int64_t>(Round(Value(arg)), -99999, 99999) - 1);
            parallelPort = true;
            break;
        case 'F':
            v.outDir = StripBackslash(FilePathPart(arg));
            break;
        case 'M':
            v.fit = arg == "*";
            v.scale = v.fit ? "0" : arg;
            break;
        case 'X':
            v.xShift = arg;
            break;
        case 'Y':
            v.yShift = arg;
            break;
        case 'B':
            v.textWidth = arg;
            break;
        case 'R':
            v.rotate = true;
            break;
        case 'T':
            v.psFont = arg;
            break;
        default:
            return false;
        }
    }
    if (parallelPort)
        (v.port == Serial ? v.com : v.lpt) = port;
    V = v;
    return true;
}

PlotFormEnabled EnabledControls(const PlotFormValues& V)
{
    PlotFormEnabled e;
    e.psFont = V.format == 1;
    e.com = V.port == Serial;
    e.lpt = V.port == Parallel;
    e.outDir = V.port == File;
    e.scale = !V.fit;
    return e;
}

} // namespace kt4::cad
