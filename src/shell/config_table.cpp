// The configuration file, row by row. The order, the label texts and the
// value types are the file format: older files are read by position.
#include "shell/config_table.h"

#include "cad/cad_settings.h"
#include "foundation/linefile.h"
#include "foundation/numstr.h"
#include "foundation/paths.h"
#include "foundation/printer_settings.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"
#include "graphics/graph_settings.h"
#include "shell/config_file.h"
#include "shell/screen_defaults.h"
#include "shell/stored_names.h"

#include <cmath>
#include <limits>

namespace kt4::shell::config {

namespace s = kt4::settings;
namespace g = kt4::graphics;
namespace c = kt4::cad;
namespace p = kt4::printer;

// ---- reading position ----------------------------------------------------

std::string LineCursor::Line() { return AtEnd() ? std::string() : lines_[pos_++]; }
void LineCursor::NotANumber(const std::string& Text)
{
    if (badLine_ == 0) {
        badLine_ = pos_;
        badText_ = Text;
    }
}

Integer LineCursor::Int()
{
    const bool past = AtEnd();
    const std::string text = TrimBlanks(Line());
    Integer n = 0;
    Real x = 0;
    if (!TryStrToInteger(text, n) && !past && !TryStrToReal(text, x))
        NotANumber(text);
    return n;
}

Real LineCursor::Number()
{
    const bool past = AtEnd();
    const std::string text = TrimBlanks(Line());
    Real x = 0;
    if (!TryStrToReal(text, x) && !past)
        NotANumber(text);
    return x;
}
bool LineCursor::Bool() { return UpperStr(TrimBlanks(Line())) == "TRUE"; }

// ---- number texts ----------------------------------------------------------

std::string RealText(Real X) { return FileRealStr(X); }

std::string Real3Text(Real X)
{
    if (std::fabs(X) < 1E-5L)
        return "0";
    int intDigits = 0, decs = 0;
    CalcSigDigits(3, X, intDigits, decs);
    return TrimBlanks(FormatRealFixed(X, intDigits, decs));
}

namespace {

// ---- item kinds --------------------------------------------------------------

template <class T>
T Narrow(Integer n)
{
    if (n < static_cast<Integer>(std::numeric_limits<T>::min()) ||
        static_cast<std::int64_t>(n) > static_cast<std::int64_t>(std::numeric_limits<T>::max()))
        return 0;
    return static_cast<T>(n);
}

void Fix(const Item& self)
{
    if (self.fix)
        self.fix();
}

void WriteLabel(std::vector<std::string>& out, const Item& self) { out.emplace_back(self.label); }
void ReadLabel(LineCursor& in, const Item&) { in.Line(); }

void WriteStr(std::vector<std::string>& out, const Item& self)
{
    out.push_back(*static_cast<std::string*>(self.ref));
}
void ReadStr(LineCursor& in, const Item& self)
{
    *static_cast<std::string*>(self.ref) = in.Line();
    Fix(self);
}

template <class T>
void WriteInt(std::vector<std::string>& out, const Item& self)
{
    out.push_back(IntStr(*static_cast<T*>(self.ref)));
}
template <class T>
void ReadInt(LineCursor& in, const Item& self)
{
    *static_cast<T*>(self.ref) = Narrow<T>(in.Int());
    Fix(self);
}

void WriteBool(std::vector<std::string>& out, const Item& self)
{
    out.push_back(BoolStr(*static_cast<bool*>(self.ref)));
}
void ReadBool(LineCursor& in, const Item& self)
{
    *static_cast<bool*>(self.ref) = in.Bool();
    Fix(self);
}

template <class T>
void WriteReal(std::vector<std::string>& out, const Item& self)
{
    out.push_back(RealText(*static_cast<T*>(self.ref)));
}
template <class T>
void WriteReal3(std::vector<std::string>& out, const Item& self)
{
    out.push_back(Real3Text(*static_cast<T*>(self.ref)));
}
template <class T>
void ReadReal(LineCursor& in, const Item& self)
{
    T& v = *static_cast<T*>(self.ref);
    const Real x = in.Number();
    // beyond the setting's type: as a line that is no number
    v = std::fabs(x) <= static_cast<Real>(std::numeric_limits<T>::max()) ? static_cast<T>(x) : T(0);
    // The value as the file holds it once written (seven decimals or three
    // digits): a value too small for that is 0 and meets the correction as
    // 0, and a file written again reads back the same.
    std::vector<std::string> text;
    self.write(text, self);
    v = static_cast<T>(StrToReal(text.front()));
    Fix(self);
}

template <class T>
std::function<void()> CaptureRef(const Item& self)
{
    T* ref = static_cast<T*>(self.ref);
    return [ref, v = *ref] { *ref = v; };
}

std::function<void()> CapturePlotLines(const Item&)
{
    return [count = c::CadPlotLineCount, lines = c::CadPlotLines] {
        c::CadPlotLineCount = count;
        c::CadPlotLines = lines;
    };
}

Item Label(const char* text, void (*atEnd)() = nullptr)
{
    Item it;
    it.write = WriteLabel;
    it.read = ReadLabel;
    it.label = text;
    it.atEnd = atEnd;
    return it;
}

Item Str(std::string* v, void (*fix)() = nullptr)
{
    Item it{WriteStr, ReadStr, v, nullptr, fix, nullptr};
    it.capture = CaptureRef<std::string>;
    return it;
}

// A folder, program or font name: UTF-8 here, code page 850 in the file.
Item Path(std::string* v, void (*fix)() = nullptr)
{
    Item it{nullptr, nullptr, v, nullptr, fix, nullptr, true};
    it.capture = CaptureRef<std::string>;
    it.write = [](std::vector<std::string>& out, const Item& self) {
        out.push_back(NameToFile(*static_cast<std::string*>(self.ref)));
    };
    it.read = [](LineCursor& in, const Item& self) {
        *static_cast<std::string*>(self.ref) = NameFromFile(in.Line());
        Fix(self);
    };
    return it;
}

template <class T>
Item Int(T* v, void (*fix)() = nullptr)
{
    Item it{WriteInt<T>, ReadInt<T>, v, nullptr, fix, nullptr};
    it.capture = CaptureRef<T>;
    return it;
}

Item Bool(bool* v, void (*fix)() = nullptr)
{
    Item it{WriteBool, ReadBool, v, nullptr, fix, nullptr};
    it.capture = CaptureRef<bool>;
    return it;
}

template <class T>
Item R(T* v, void (*fix)() = nullptr)
{
    Item it{WriteReal<T>, ReadReal<T>, v, nullptr, fix, nullptr};
    it.capture = CaptureRef<T>;
    return it;
}

template <class T>
Item R3(T* v, void (*fix)() = nullptr)
{
    Item it{WriteReal3<T>, ReadReal<T>, v, nullptr, fix, nullptr};
    it.capture = CaptureRef<T>;
    return it;
}

// ---- items with a layout of their own ------------------------------------------

// A line without function: written as FALSE, skipped when reading.
Item Unused()
{
    Item it;
    it.write = [](std::vector<std::string>& out, const Item&) { out.push_back(BoolStr(false)); };
    it.read = [](LineCursor& in, const Item&) { in.Line(); };
    return it;
}

// The hard-copy rotation as one character; an empty line gives "N".
Item HardcopyRotation()
{
    Item it;
    it.write = [](std::vector<std::string>& out, const Item&) {
        out.emplace_back(1, s::HardcopyRotated);
    };
    it.read = [](LineCursor& in, const Item&) {
        std::string line = in.Line();
        s::HardcopyRotated = line.empty() ? 'N' : line[0];
    };
    it.ref = &s::HardcopyRotated;
    it.capture = CaptureRef<char>;
    return it;
}

// The first plot command line; an empty line keeps the current one.
Item FirstPlotLine()
{
    Item it;
    it.write = [](std::vector<std::string>& out, const Item&) {
        out.push_back(NameToFile(c::CadPlotLines[1]));
    };
    it.read = [](LineCursor& in, const Item&) {
        std::string line = in.Line();
        if (!line.empty())
            c::CadPlotLines[1] = NameFromFile(line);
    };
    it.capture = CapturePlotLines;
    return it;
}

// The label that follows the plot command lines.
const char* const ArchiveFlagLabel = "Archive Flag ?";

// The count n and the lines 2..n. A count beyond the five stored lines is
// read past (to stay in step with the file) but not stored; n < 1 counts
// as 1. A count beyond the lines that follow (up to the next label or the
// end of the file) takes only those lines, and the reader says so.
Item FurtherPlotLines()
{
    Item it;
    it.write = [](std::vector<std::string>& out, const Item&) {
        out.push_back(IntStr(c::CadPlotLineCount));
        for (int k = 2; k <= c::CadPlotLineCount && k <= c::MaxPlotLines; ++k)
            out.push_back(NameToFile(c::CadPlotLines[k]));
    };
    it.read = [](LineCursor& in, const Item&) {
        Integer n = in.Int();
        if (n < 1)
            n = 1;
        Integer k = 1;
        for (; k < n && !in.AtEnd() && !in.NextIs(ArchiveFlagLabel); ++k) {
            std::string line = in.Line();
            if (k < c::MaxPlotLines)
                c::CadPlotLines[static_cast<std::size_t>(k + 1)] = NameFromFile(line);
        }
        c::CadPlotLineCount = static_cast<Word>(std::min<Integer>(k, c::MaxPlotLines));
        if (k < n)
            in.Note("KAVOLT-Kommandozeilen: " + IntStr(n) + " angegeben, nur " + IntStr(k) +
                    " in der Datei; nur diese gelesen.");
    };
    it.capture = CapturePlotLines;
    return it;
}

// Left, top, width and height on one line, each followed by "|"; taken
// only when width and height are not 0.
Item TextWindow()
{
    Item it;
    it.write = [](std::vector<std::string>& out, const Item&) {
        std::string line;
        for (Integer v : p::TextWindowRect)
            line += IntStr(v) + "|";
        out.push_back(line);
    };
    it.read = [](LineCursor& in, const Item&) {
        std::string line = in.Line();
        Integer v[4] = {0, 0, 0, 0};
        std::size_t start = 0;
        for (Integer& field : v) {
            std::size_t bar = line.find('|', start);
            if (bar == std::string::npos)
                break;
            field = StrToInteger(TrimBlanks(line.substr(start, bar - start)));
            start = bar + 1;
        }
        if (v[2] != 0 && v[3] != 0)
            for (std::size_t k = 1; k <= 4; ++k)
                p::TextWindowRect[k] = v[k - 1];
    };
    it.ref = &p::TextWindowRect;
    it.capture = CaptureRef<Array1<Integer, 4>>;
    return it;
}

// One palette entry; only values above 0 are taken.
Item PaletteEntry(g::GraphColor* v)
{
    Item it;
    it.write = WriteInt<g::GraphColor>;
    it.read = [](LineCursor& in, const Item& self) {
        Integer n = in.Int();
        if (n > 0)
            *static_cast<g::GraphColor*>(self.ref) = n;
    };
    it.ref = v;
    it.capture = CaptureRef<g::GraphColor>;
    return it;
}

// A flag that the file stores inverted.
Item InvertedBool(bool* v)
{
    Item it;
    it.write = [](std::vector<std::string>& out, const Item& self) {
        out.push_back(BoolStr(!*static_cast<bool*>(self.ref)));
    };
    it.read = [](LineCursor& in, const Item& self) { *static_cast<bool*>(self.ref) = !in.Bool(); };
    it.ref = v;
    it.capture = CaptureRef<bool>;
    return it;
}

// ---- read-time corrections --------------------------------------------------------

template <class T, class U>
void Replace(T& v, bool when, U by)
{
    if (when)
        v = static_cast<T>(by);
}

void FixCadTextWidth() { Replace(c::CadTextWidthFactor, c::CadTextWidthFactor == 0, 1.0L); }
void FixPrinterPort() { Replace(s::PrinterPort, s::PrinterPort == 0, 1); }
void FixDecimals() { Replace(s::Decimals, s::Decimals <= 0 || s::Decimals > 9, 3); }
void FixDensityVertical()
{
    Replace(s::PrintDensityVertical, s::PrintDensityVertical == 0 || s::PrintDensityVertical > 4, 1);
}
void FixAspect() { Replace(GraphicsAspect, GraphicsAspect == 0, 1.0L); }
void FixHardcopyPort() { Replace(s::HardcopyPort, s::HardcopyPort == 0, 1); }
void FixTextPrintMode() { Replace(s::TextPrintMode, s::TextPrintMode == 0, 1); }
void FixLinesPerPage() { Replace(s::LinesPerPage, s::LinesPerPage < 5, 66); }
void FixZoom() { Replace(g::ZoomFactor, g::ZoomFactor == 0, 1.02L); }
void FixPan() { Replace(g::PanFactor, g::PanFactor == 0, 0.01L); }
void FixWindowsPrintMode() { Replace(s::WindowsPrintMode, s::WindowsPrintMode == 0, 1); }
void FixGraphTextWidth() { Replace(g::GraphTextWidthFactor, g::GraphTextWidthFactor == 0, 0.8L); }
void FixPrintScale() { Replace(p::PrintScale, p::PrintScale == 0, 1.0); }
void FixDateFormat() { Replace(s::DateFormat, s::DateFormat == 0, 3); }
void FixHeaderSpace() { Replace(s::HeaderSpaceLines, s::HeaderSpaceLines >= 31, 0); }
void FixTextDevice() { Replace(s::TextDevice, s::TextDevice < 1 || s::TextDevice > 9, 1); }
void FixDecimalPoint() { Replace(s::DecimalPoint, s::DecimalPoint < 1 || s::DecimalPoint > 2, 1); }
void FixDefaultDataDir()
{
    if (s::DefaultDataDir.empty())
        s::DefaultDataDir = AddBackslash(s::StartDir);
}
void FixTextHeight() { Replace(g::GraphTextHeightFactor, g::GraphTextHeightFactor < 0.1L, 1.0L); }
void FixInputScale()
{
    Replace(s::InputWindowScale, s::InputWindowScale < 10 || s::InputWindowScale > 1000, 100);
}
void FixPrintScaleY() { Replace(p::PrintScaleY, p::PrintScaleY < 0.0001, p::PrintScale); }
void FixHeaderMode() { Replace(s::PrintHeaderMode, s::PrintHeaderMode < 1 || s::PrintHeaderMode > 2, 1); }
void FixFontName()
{
    if (p::PrintFontName.empty())
        p::PrintFontName = "Courier New";
}
void FixFontSize() { Replace(p::PrintFontSize, p::PrintFontSize == 0, 10); }
void FixExcelDot() { Replace(s::ExcelDecimalPoint, s::ExcelDecimalPoint == 0, 2); }
void FixCadDecimals() { Replace(c::CadDecimals, c::CadDecimals < 1 || c::CadDecimals > 32, 6); }
void FixCadTextMode() { Replace(s::CadTextMode, s::CadTextMode == 0, 1); }
void FixElementScale()
{
    Replace(s::DialogElementScale, s::DialogElementScale < 10 || s::DialogElementScale > 1000, 100);
}
void FixAngleFormat() { Replace(s::AngleFormat, s::AngleFormat == 0 || s::AngleFormat > 2, 2); }
void FixDimensionFactor() { Replace(c::DimensionFactor, c::DimensionFactor == 0, 1.0L); }
void FixSaveLanguage()
{
    if (!s::SaveMenuLanguage)
        s::LanguageId = 0;
}
void FixManualDir()
{
    if (s::ManualDir.empty())
        s::ManualDir = s::ProgramsDir;
}
void FixArcResolution() { Replace(c::ArcToLinesResolution, c::ArcToLinesResolution <= 0, 0.5L); }
void FixTextWindowMode()
{
    if (s::TextWindowSizeCode == 1)
        DefaultTextWindowRect();
}
void FixZSlice() { Replace(c::StlZSlice, c::StlZSlice <= 0, 0.1L); }
void FixCadScale() { Replace(c::CadScale, c::CadScale == 0, 1.0L); }

// The file ends right after "Layer Monochrom": a file of an older version
// without the graphics text settings.
void OldFileWithoutGraphText()
{
    g::GraphTextWidthFactor = c::CadTextWidthFactor;
    g::GraphFontName = "Arial";
}

void FixLayerColor(Integer& v) { Replace(v, v == 0, 1); }
void FixLineWidth(Integer& v) { Replace(v, v < 1 || v > 255, 1); }

// Corrections of array entries: the item's ref is the entry.
Item ColorLayerColor(Integer* v)
{
    Item it = Int(v);
    it.read = [](LineCursor& in, const Item& self) {
        auto* e = static_cast<Integer*>(self.ref);
        *e = in.Int();
        FixLayerColor(*e);
    };
    return it;
}

Item LayerLineWidth(Integer* v)
{
    Item it = Int(v);
    it.read = [](LineCursor& in, const Item& self) {
        auto* e = static_cast<Integer*>(self.ref);
        *e = in.Int();
        FixLineWidth(*e);
    };
    return it;
}

// ---- the table ----------------------------------------------------------------------

void AddHead(std::vector<Item>& t)
{
    // The first two label lines are built when writing (base name, version).
    Item title = Label("");
    title.write = [](std::vector<std::string>& out, const Item&) {
        out.push_back("Konfiguration " + s::BaseName);
    };
    t.push_back(title);
    Item version = Label("");
    version.write = [](std::vector<std::string>& out, const Item&) {
        out.push_back("Version " + s::ProgramVersion);
    };
    t.push_back(version);
    for (int k = 1; k <= 5; ++k) {
        t.push_back(Label("Layer"));
        t.push_back(Str(&c::LayerNames[k]));
        t.push_back(Label("Farbe"));
        t.push_back(Int(&c::LayerColors[k]));
    }
    t.push_back(Label("Textstil CAD"));
    t.push_back(Str(&c::CadTextStyle));
    t.push_back(Label("Textbreitenfaktor CAD"));
    t.push_back(R3(&c::CadTextWidthFactor, FixCadTextWidth));
    t.push_back(Label("Textwinkel"));
    t.push_back(R3(&c::CadTextObliqueAngle));
    t.push_back(Label("CAD Ordner"));
    t.push_back(Path(&s::CadDir));
    t.push_back(Label("DBF Ordner"));
    t.push_back(Path(&s::DbfDir));
    t.push_back(Label("Hilfegrad"));
    t.push_back(Int(&s::HelpLevel));
}

void AddPrinterAndScreen(std::vector<Item>& t)
{
    t.push_back(Label("Druckerschnittstelle"));
    t.push_back(Int(&s::PrinterPort, FixPrinterPort));
    t.push_back(Label("Druckertyp"));
    t.push_back(Int(&s::PrinterType));
    t.push_back(Label("Druckdichte"));
    t.push_back(Int(&s::PrintDensity));
    t.push_back(Label("Hardcopy um 90\xF8 gedreht ?"));
    t.push_back(HardcopyRotation());
    t.push_back(Label("Dezimalstellen"));
    t.push_back(Int(&s::Decimals, FixDecimals));
    t.push_back(Label("Druckdicke vertikal"));
    t.push_back(Int(&s::PrintDensityVertical, FixDensityVertical));
    t.push_back(Label("Farbgrafik"));
    t.push_back(Bool(&s::ColorGraphics));
    t.push_back(Label("GrafikKorrekturFaktor horizontal"));
    t.push_back(R3(&GraphicsAspect, FixAspect));
    t.push_back(Label("Grafik-Mode"));
    t.push_back(Int(&s::GraphicsMode));
    t.push_back(Label("Grafik-Treiber"));
    t.push_back(Int(&s::GraphicsDriver));
    t.push_back(Label("Aufl\x94sung horizontal"));
    t.push_back(Int(&s::ScreenResX));
    t.push_back(Label("Aufl\x94sung vertikal"));
    t.push_back(Int(&s::ScreenResY));
    t.push_back(Label("Ordner f\x81r tempor\x84re Dateien"));
    t.push_back(Path(&s::TempDir));
    t.push_back(Label("Druckerschnittstelle Hardcopy"));
    t.push_back(Int(&s::HardcopyPort, FixHardcopyPort));
    t.push_back(Label("EDI Ordner"));
    t.push_back(Path(&s::EdiDir));
    t.push_back(Label("PLT Ordner"));
    t.push_back(Path(&s::PltDir));
    t.push_back(Label("Mode f\x81r Textausdruck 1:* 2:-"));
    t.push_back(Int(&s::TextPrintMode, FixTextPrintMode));
    t.push_back(Label("Zeilen pro Seite f\x81r Drucker"));
    t.push_back(Int(&s::LinesPerPage, FixLinesPerPage));
}

void AddGraphics(std::vector<Item>& t)
{
    t.push_back(Label("Zoomfaktor"));
    t.push_back(R(&g::ZoomFactor, FixZoom));
    t.push_back(Label("Pan-Faktor"));
    t.push_back(R(&g::PanFactor, FixPan));
    t.push_back(Label("VELMORA-Programmverzeichnis"));
    t.push_back(Path(&s::ProgramsDir));
    t.push_back(Label("KAVOLT-Kommandozeile"));
    t.push_back(FirstPlotLine());
    t.push_back(Label("Hintergrundfarbe"));
    t.push_back(Int(&g::BackgroundColor));
    t.push_back(Label("Windows-Druckmodus (1=mono 2=color)"));
    t.push_back(Int(&s::WindowsPrintMode, FixWindowsPrintMode));
    t.push_back(Label("Layer Monochrom"));
    t.push_back(Bool(&c::LayerMonochrome));
    t.push_back(Label("Textbreitenfaktor Grafik", OldFileWithoutGraphText));
    t.push_back(R(&g::GraphTextWidthFactor, FixGraphTextWidth));
    t.push_back(Label("Textstil Grafik"));
    t.push_back(Path(&g::GraphFontName));
    static const char* const colorLabels[] = {
        "Color Layer 16", "Color Layer 17", "Color Layer 18", "Color Layer 19",
        "Color Layer 20", "Color Layer 21", "Color Layer 22", "Color Layer 23",
        "Color Layer 24", "Color Layer 25", "Color Layer 26", "Color Layer 27",
        "Color Layer 28", "Color Layer 29", "Color Layer 30", "Color Layer 31"};
    for (int k = c::FirstColorLayer; k <= c::LastColorLayer; ++k) {
        t.push_back(Label(colorLabels[k - c::FirstColorLayer]));
        t.push_back(ColorLayerColor(&c::ColorLayerColors[static_cast<std::size_t>(k)]));
    }
}

void AddPrograms(std::vector<Item>& t)
{
    t.push_back(Label("Textprogramm"));
    t.push_back(Path(&s::TextProgram));
    t.push_back(Label("Datenbank mode"));
    t.push_back(Int(&s::DatabaseMode));
    t.push_back(Label("externe Datenbank"));
    t.push_back(Path(&s::ExternalTableEditor));
    t.push_back(Label("Windows Screendump Origin X"));
    t.push_back(Int(&p::PrintOriginX));
    t.push_back(Label("Windows Screendump Origin Y"));
    t.push_back(Int(&p::PrintOriginY));
    t.push_back(Label("Windows Screendump Scale"));
    t.push_back(R(&p::PrintScale, FixPrintScale));
    t.push_back(Label("Windows Screendump Border ?"));
    t.push_back(Bool(&p::PrintBorder));
    t.push_back(Label("reserviert"));
    t.push_back(Unused());
    t.push_back(Label("Enter Password ?"));
    t.push_back(Bool(&s::PasswordPrompt));
    t.push_back(Label("KAVOLT Command lines (n, line 2 .. line n)"));
    t.push_back(FurtherPlotLines());
    t.push_back(Label(ArchiveFlagLabel));
    t.push_back(Bool(&s::ArchiveMode));
    t.push_back(Label("reserviert"));
    t.push_back(Unused());
}

void AddTextOutput(std::vector<Item>& t)
{
    t.push_back(Label("Date Code"));
    t.push_back(Int(&s::DateFormat, FixDateFormat));
    t.push_back(Label("Header Space Lines"));
    t.push_back(Int(&s::HeaderSpaceLines, FixHeaderSpace));
    t.push_back(Label("Text Device"));
    t.push_back(Int(&s::TextDevice, FixTextDevice));
    t.push_back(Label("Text Device Window ?"));
    t.push_back(Bool(&s::TextDeviceDialog));
    t.push_back(Label("Small Online Window ?"));
    t.push_back(Bool(&s::SmallOnlineWindow));
    t.push_back(Label("Enter Diagram Limits ?"));
    t.push_back(Bool(&s::EnterDiagramLimits));
    t.push_back(Label("Dot=1 Komma=2"));
    t.push_back(Int(&s::DecimalPoint, FixDecimalPoint));
    t.push_back(Label("Default Data Directory"));
    t.push_back(Path(&s::DefaultDataDir, FixDefaultDataDir));
    t.push_back(Label("Text Height Factor"));
    t.push_back(R(&g::GraphTextHeightFactor, FixTextHeight));
    t.push_back(Label("Input Window Scale %"));
    t.push_back(Int(&s::InputWindowScale, FixInputScale));
    t.push_back(Label("HTML Browser"));
    t.push_back(Path(&s::HtmlBrowser));
    t.push_back(Label("Print Scale Vertical"));
    t.push_back(R(&p::PrintScaleY, FixPrintScaleY));
    t.push_back(Label("Line thickness Layer 0..5"));
    for (auto& w : c::LayerLineWidths)
        t.push_back(LayerLineWidth(&w));
    t.push_back(Label("Graphic Printout Dialog Box ?"));
    t.push_back(Bool(&p::GraphPrintDialog));
    t.push_back(Label("Text window left/top/width/height"));
    t.push_back(TextWindow());
    t.push_back(Label("Metric Units=0,  English units=1"));
    t.push_back(Int(&s::UnitSystem));
    t.push_back(Label("printout with header=1, header page 1 only=2"));
    t.push_back(Int(&s::PrintHeaderMode, FixHeaderMode));
    t.push_back(Label("Text Font Printout"));
    t.push_back(Path(&p::PrintFontName, FixFontName));
    t.push_back(Label("Text Size Printout"));
    t.push_back(Int(&p::PrintFontSize, FixFontSize));
    t.push_back(Label("Text Style Printout"));
    t.push_back(Int(&p::PrintFontStyle));
    t.push_back(Label("Text Style Graphics"));
    t.push_back(Int(&g::GraphFontStyle));
    t.push_back(Label("Printer: Portrait=1, Landscape=2"));
    t.push_back(Int(&p::PrintOrientation));
}

void AddCad(std::vector<Item>& t)
{
    t.push_back(Label("Edit 3D x,y,z ?"));
    t.push_back(Bool(&c::Edit3DAngles));
    t.push_back(Label("3D - Default x,y,z"));
    for (auto& a : c::ViewDefault3D)
        t.push_back(R(&a));
    t.push_back(Int(&s::ChangeIndexMode));
    t.push_back(Int(&s::ExcelDecimalPoint, FixExcelDot));
    t.push_back(Str(&c::ReleaseFieldText));
    t.push_back(Label("Decimals DXF,TXT"));
    t.push_back(Int(&c::CadDecimals, FixCadDecimals));
    t.push_back(Label("CAD Text Mode"));
    t.push_back(Int(&s::CadTextMode, FixCadTextMode));
    t.push_back(Label("Strichst\x84rke Layer 16..31"));
    for (int k = c::FirstColorLayer; k <= c::LastColorLayer; ++k)
        t.push_back(Int(&c::ColorLayerLineWidths[static_cast<std::size_t>(k)]));
}

void AddTail(std::vector<Item>& t)
{
    t.push_back(Int(&s::CharConversion));
    t.push_back(Int(&s::DialogElementScale, FixElementScale));
    t.push_back(Int(&s::AngleFormat, FixAngleFormat));
    t.push_back(R(&c::DimensionFactor, FixDimensionFactor));
    t.push_back(Int(&c::ReservedOption));
    t.push_back(Int(&s::LanguageId));
    t.push_back(Int(&s::ScreenViewMode));
    for (bool* flag : {&c::DrawTitleLine, &c::DrawFileName, &c::DrawDate, &c::DrawLogoBlock,
                       &c::DrawingFooter, &c::DrawTitleBlock, &c::CurrentFileMode})
        t.push_back(Bool(flag));
    t.push_back(Bool(&s::SaveMenuLanguage, FixSaveLanguage));
    t.push_back(Int(&s::TitleBlockStandard));
    for (int k = 1; k <= 16; ++k)
        t.push_back(PaletteEntry(&g::GraphPalette[k]));
    t.push_back(InvertedBool(&c::Cad3DContours));
    t.push_back(Bool(&c::DrawOwnerNote));
    t.push_back(Path(&s::ManualDir, FixManualDir));
    t.push_back(Int(&s::IsoFrameMargin));
    for (bool* flag : {&c::DrawGridBorder, &c::DrawMmScale, &c::DrawChangesBlock,
                       &c::InsertHeadBlocks, &c::InsertInsertBlocks})
        t.push_back(Bool(flag));
    t.push_back(Bool(&s::HideWarnings));
    t.push_back(Bool(&c::ExportLaunchFlag));
    t.push_back(Bool(&c::PolyArcToLines));
    t.push_back(R(&c::ArcToLinesResolution, FixArcResolution));
    t.push_back(Int(&c::StlFileType));
    t.push_back(Int(&s::ScreenSizeCode));
    t.push_back(Int(&s::DialogWindowSizeCode));
    t.push_back(Int(&s::TextWindowSizeCode, FixTextWindowMode));
    t.push_back(Bool(&s::DbfUseTemp));
    t.push_back(Bool(&c::NoCoordinateCross3D));
    t.push_back(R(&c::StlZSlice, FixZSlice));
    t.push_back(Bool(&c::StlInvert));
    t.push_back(Bool(&g::ZoomMouseWheel));
    t.push_back(R(&c::FitClearanceShaft));
    t.push_back(R(&c::FitClearanceBore));
    t.push_back(R(&c::CadScale, FixCadScale));
    t.push_back(Bool(&c::RevisionIndexZero));
}

std::vector<Item> BuildItems()
{
    std::vector<Item> t;
    AddHead(t);
    AddPrinterAndScreen(t);
    AddGraphics(t);
    AddPrograms(t);
    AddTextOutput(t);
    AddCad(t);
    AddTail(t);
    return t;
}

} // namespace

const std::vector<Item>& Items()
{
    static const std::vector<Item> items = BuildItems();
    return items;
}

Snapshot::Snapshot()
{
    for (const auto& item : Items())
        if (item.capture)
            restore_.push_back(item.capture(item));
}

void Snapshot::Restore() const
{
    for (const auto& put : restore_)
        put();
}

std::vector<std::string> UnstorableTexts()
{
    std::vector<std::string> bad;
    for (const auto& item : Items())
        if (item.displayText && !NameStorable(*static_cast<std::string*>(item.ref)))
            bad.push_back(*static_cast<std::string*>(item.ref));
    for (int k = 1; k <= c::CadPlotLineCount && k <= c::MaxPlotLines; ++k)
        if (!NameStorable(c::CadPlotLines[static_cast<std::size_t>(k)]))
            bad.push_back(c::CadPlotLines[static_cast<std::size_t>(k)]);
    return bad;
}

} // namespace kt4::shell::config
