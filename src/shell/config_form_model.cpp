// The controls of the configuration form and their settings, tab by tab.
// Radio groups and combo boxes show setting - 1 for settings counted from
// 1 and the setting itself for those counted from 0; a setting that no
// item stands for shows no item.
#include "shell/config_form_model.h"

#include "cad/cad_settings.h"
#include "foundation/dialogs.h"
#include "foundation/fontstyle.h"
#include "foundation/numstr.h"
#include "foundation/printer_settings.h"
#include "foundation/report.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"
#include "graphics/graph_settings.h"
#include "shell/screen_defaults.h"
#include "shell/stored_names.h"

#include <algorithm>
#include <charconv>
#include <numbers>
#include <sstream>

namespace kt4::shell::configform {

namespace s = kt4::settings;
namespace g = kt4::graphics;
namespace c = kt4::cad;
namespace p = kt4::printer;

namespace {

using Take = std::function<std::string(const std::string&, const FormValues&, bool)>;

// ---- texts of values -----------------------------------------------------------

// Up to seven significant digits, no trailing zeros, always ".".
std::string ShowReal(Real X)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, X, std::chars_format::general, 7);
    return std::string(buf, r.ptr);
}

std::string Refused(const std::string& Caption, const std::string& Text)
{
    return "Ung\xC3\xBCltige Eingabe \"" + Text + "\" (" + Caption + ") !";
}

std::string OutOfRange(const std::string& Caption, Integer Lo, Integer Hi)
{
    return Caption + ": G\xC3\xBCltiger Wertebereich: " + IntStr(Lo) + " .. " + IntStr(Hi) + " !";
}

bool ParseInt(const std::string& Text, Integer& N) { return ParseInputInteger(Text, N); }
bool ParseReal(const std::string& Text, Real& X) { return ParseInputReal(Text, X); }

// ---- kinds of controls ------------------------------------------------------------

struct Tab {
    std::vector<Binding>& out;
    std::string name;

    void Add(const std::string& Control, const std::string& Caption, std::function<std::string()> Show,
             Take TakeFn, std::vector<std::string> Items = {})
    {
        out.push_back(Binding{name, Control, Caption, std::move(Items), std::move(Show), std::move(TakeFn)});
    }

    // A folder, program or font name (UTF-8 in the program).
    void Name(const std::string& Control, const std::string& Caption, std::string* V)
    {
        Add(Control, Caption, [V] { return *V; },
            [V](const std::string& t, const FormValues&, bool apply) {
                if (apply)
                    *V = t;
                return std::string();
            });
    }

    // A stored (code page 850) text.
    void Oem(const std::string& Control, const std::string& Caption, std::string* V)
    {
        Add(Control, Caption, [V] { return NameFromFile(*V); },
            [V](const std::string& t, const FormValues&, bool apply) {
                if (apply)
                    *V = NameToFile(t);
                return std::string();
            });
    }

    void Check(const std::string& Control, const std::string& Caption, bool* V, bool Inverted = false)
    {
        Add(Control, Caption, [V, Inverted] { return (*V != Inverted) ? "1" : "0"; },
            [V, Inverted](const std::string& t, const FormValues&, bool apply) {
                if (apply)
                    *V = (t == "1") != Inverted;
                return std::string();
            });
    }

    // Item index = setting - Offset.
    template <class T>
    void Index(const std::string& Control, const std::string& Caption, T* V, int Offset,
               std::vector<std::string> Items)
    {
        int n = static_cast<int>(Items.size());
        Add(Control, Caption,
            [V, Offset, n] {
                long long k = static_cast<long long>(*V) - Offset;
                return k >= 0 && k < n ? IntStr(k) : std::string("-1");
            },
            [V, Offset, n](const std::string& t, const FormValues&, bool apply) {
                Integer k = -1;
                if (apply && ParseInt(t, k) && k >= 0 && k < n)
                    *V = static_cast<T>(k + Offset);
                return std::string();
            },
            std::move(Items));
    }

    // A whole number; Convert turns the entry into the setting.
    template <class T>
    void Int(const std::string& Control, const std::string& Caption, T* V,
             std::function<Integer(Integer, const FormValues&)> Convert = {}, Integer Show = 0)
    {
        Add(Control, Caption, [V, Show] { return IntStr(static_cast<long long>(*V) + Show); },
            [V, Caption, Convert](const std::string& t, const FormValues& now, bool apply) {
                Integer n = 0;
                if (!ParseInt(t, n))
                    return Refused(Caption, t);
                if (apply)
                    *V = static_cast<T>(Convert ? Convert(n, now) : n);
                return std::string();
            });
    }

    // A whole number in Lo..Hi.
    template <class T>
    void IntRange(const std::string& Control, const std::string& Caption, T* V, Integer Lo, Integer Hi)
    {
        Add(Control, Caption, [V] { return IntStr(*V); },
            [V, Caption, Lo, Hi](const std::string& t, const FormValues&, bool apply) {
                Integer n = 0;
                if (!ParseInt(t, n))
                    return Refused(Caption, t);
                if (n < Lo || n > Hi)
                    return OutOfRange(Caption, Lo, Hi);
                if (apply)
                    *V = static_cast<T>(n);
                return std::string();
            });
    }

    // A real number; Convert turns the entry into the setting, Shown the
    // setting into what the field shows.
    template <class T>
    void Number(const std::string& Control, const std::string& Caption, T* V,
                std::function<Real(Real)> Convert = {}, std::function<Real(Real)> Shown = {})
    {
        Add(Control, Caption, [V, Shown] { return ShowReal(Shown ? Shown(*V) : *V); },
            [V, Caption, Convert](const std::string& t, const FormValues&, bool apply) {
                Real x = 0;
                if (!ParseReal(t, x))
                    return Refused(Caption, t);
                if (apply)
                    *V = static_cast<T>(Convert ? Convert(x) : x);
                return std::string();
            });
    }

    // A font style as its words ("bold italic").
    void Style(const std::string& Control, const std::string& Caption, Word* V)
    {
        Add(Control, Caption,
            [V] {
                std::string text;
                FontStyleName(*V, text);
                return text;
            },
            [V](const std::string& t, const FormValues&, bool apply) {
                if (apply)
                    *V = StyleCode(t);
                return std::string();
            });
    }
};

Real ZeroToOne(Real x) { return x == 0 ? 1.0L : x; }
Real ToRadians(Real deg) { return deg * std::numbers::pi_v<Real> / 180; }
Real ToDegrees(Real rad) { return rad * 180 / std::numbers::pi_v<Real>; }

// A resolution entry is the drawing area's size: stored as entry - 1, at
// most 5000; nothing left becomes the screen less the window frame.
Integer Resolution(Integer Entry, int ScreenLessFrame)
{
    Integer r = std::min<Integer>(Entry - 1, 5000);
    return r <= 0 ? std::max(ScreenLessFrame, 1) : r;
}

// ---- the tabs ----------------------------------------------------------------------

void DirTab(Tab t)
{
    t.Name("Edit_dirdbf", "DBF Ordner", &s::DbfDir);
    t.Name("Edit_dirplt", "PLT Ordner", &s::PltDir);
    t.Name("Edit_dirtemp", "Ordner f\xC3\xBCr tempor\xC3\xA4re Dateien", &s::TempDir);
    t.Name("Edit_dirdata", "Data Ordner", &s::DefaultDataDir);
    t.Name("Edit_dircad", "CAD Ordner", &s::CadDir);
    t.Name("Edit_direxe", "VELMORA-Programm-Ordner", &s::ProgramsDir);
    t.Name("Edit_diredi", "EDI Ordner", &s::EdiDir);
    t.Name("Edit_dirworking", "Arbeitsverzeichnis", &s::WorkingDir);
    t.Check("CheckBox_dbftemp", "copy DBF -> TEMP", &s::DbfUseTemp);
}

void GraphicsTab(Tab t)
{
    t.Add("RadioGroup_bildschirmgrafik", "Bildschirmgrafik",
          [] { return std::string(s::ColorGraphics ? "0" : "1"); },
          [](const std::string& v, const FormValues&, bool apply) {
              if (apply && (v == "0" || v == "1"))
                  s::ColorGraphics = v == "0";
              return std::string();
          },
          {"color", "monochrom"});
    t.Int("Edit_x", "Aufl\xC3\xB6sung x", &s::ScreenResX,
          [](Integer n, const FormValues&) { return Resolution(n, Screen().width - 9); }, 1);
    t.Int("Edit_y", "Aufl\xC3\xB6sung y", &s::ScreenResY,
          [](Integer n, const FormValues&) { return Resolution(n, Screen().height - 91); }, 1);
    t.Index("ComboBox_screensizecode", "Bildschirmgr\xC3\xB6\xC3\x9F" "e", &s::ScreenSizeCode, 0,
            {"Input", "max 4:3", "max"});
    t.Number("Edit_textbreitenfaktor", "Textbreitenfaktor", &g::GraphTextWidthFactor, ZeroToOne);
    t.Number("Edit_texthoehenfaktor", "Texth\xC3\xB6henfaktor", &g::GraphTextHeightFactor, ZeroToOne);
    t.Name("Label_font", "Schrift", &g::GraphFontName);
    t.Style("Label_hstyle", "Schriftstil", &g::GraphFontStyle);
    t.Int("Panel_colour", "Hintergrundfarbe", &g::BackgroundColor);
    t.Number("Edit_zoomfaktor", "Zoomfaktor", &g::ZoomFactor, ZeroToOne);
    t.Number("Edit_panfaktor", "Pan-Faktor", &g::PanFactor);
    t.Check("CheckBox_zoomMouseWheel", "Zoom mit Mausrad", &g::ZoomMouseWheel);
    t.Check("CheckBox_umrandung", "Umrandung", &p::DrawBorderLine);
    auto zeroTo100 = [](Integer n, const FormValues&) { return n == 0 ? 100 : n; };
    t.Int("SpinEdit_dialogfenster", "Dialogfenster %", &s::InputWindowScale, zeroTo100);
    t.Index("ComboBox_dialogwindowSizecode", "Dialogfenster", &s::DialogWindowSizeCode, 0,
            {"Input", "Auto"});
    t.Int("SpinEdit_dialogelemente", "Dialogelemente %", &s::DialogElementScale, zeroTo100);
    t.Check("CheckBox_3dxyz", "Edit 3D x,y,z ?", &c::Edit3DAngles);
    const char* axes[] = {"Edit_3dx", "Edit_3dy", "Edit_3dz"};
    const char* axisCaptions[] = {"3D x \xC2\xB0", "3D y \xC2\xB0", "3D z \xC2\xB0"};
    for (int k = 0; k < 3; ++k)
        t.Number(axes[k], axisCaptions[k], &c::ViewDefault3D[static_cast<std::size_t>(k)], ToRadians,
                 ToDegrees);
    // checked (the flag clear): the footer with date, time and file
    t.Check("CheckBox_zeichfusszeile", "Fu\xC3\x9Fzeile mit Datum, Uhrzeit und Datei", &c::DrawingFooter, true);
}

void CadTab(Tab t)
{
    t.Oem("Edit_cadfont", "Textstil", &c::CadTextStyle);
    t.Number("Edit_cadtextbreite", "Textbreitenfaktor CAD", &c::CadTextWidthFactor);
    t.Number("Edit_cadtextwinkel", "Textwinkel", &c::CadTextObliqueAngle);
    t.Check("CheckBox_diagrammgrenzen", "Diagrammgrenzen abfragen", &s::EnterDiagramLimits);
    t.Oem("Edit_freigabefeld", "Freigabefeld", &c::ReleaseFieldText);
    t.IntRange("SpinEdit_dxfdec", "Dezimalstellen DXF, TXT", &c::CadDecimals, 1, 32);
    t.Number("Edit_dxfscale", "CAD Ma\xC3\x9Fstab", &c::CadScale, ZeroToOne);
    t.Index("radiogroupcadtexttyp", "CAD Text", &s::CadTextMode, 1,
            {"OEM (ASCII)", "ANSI", "\xC3\x84->Ae, \xC3\x9F->ss..."});
    t.Number("Edit_massfaktorconfig", "Ma\xC3\x9F" "faktor", &c::DimensionFactor,
             [](Real x) { return x < 0.01L ? 1.0L : x; });
    t.Check("CheckBox_3Dto2D", "3D->2D DXF/IGES", &c::Cad3DContours, true);
    t.Check("CheckBox_execCadFile", "Exec CAD App ?", &c::ExportLaunchFlag);
    t.Check("CheckBox_japolyArcToLines", "Polyline Arc -> Lines ?", &c::PolyArcToLines);
    t.Number("Edit_resolutionArcToLines", "precision", &c::ArcToLinesResolution);
    t.Index("ComboBox_cadstltype", "STL", &c::StlFileType, 0, {"Binary", "ASCII"});
    t.Number("Edit_zslice", "z slice", &c::StlZSlice, [](Real x) { return x == 0 ? 0.1L : x; });
    t.Check("CheckBox_jastlinvers", "STL Dir invers", &c::StlInvert);
    t.Number("Edit_fitclearancebore", "Spiel Bohrung", &c::FitClearanceBore);
    t.Number("Edit_fitclearanceshaft", "Spiel Welle", &c::FitClearanceShaft);
    // Layer 5 in row 1 down to layer 1 in row 5: name, colour, thickness.
    for (int row = 1; row <= 5; ++row) {
        std::size_t layer = static_cast<std::size_t>(6 - row);
        std::string cell = ":" + IntStr(row);
        std::string name = "Layer " + IntStr(static_cast<int>(layer));
        t.Oem("StringGrid_layer:1" + cell, name, &c::LayerNames[layer]);
        t.IntRange("StringGrid_layer:2" + cell, name + " Farbe", &c::LayerColors[layer], 1, 255);
        t.IntRange("StringGrid_layer:3" + cell, name + " Strichst\xC3\xA4rke", &c::LayerLineWidths[layer], 1,
                   255);
    }
    t.Check("CheckBox_layermonochrom", "Layer Monochrom ?", &c::LayerMonochrome);
}

void ColorTab(Tab t)
{
    for (int row = 1; row <= 16; ++row) {
        std::size_t layer = static_cast<std::size_t>(c::FirstColorLayer + row - 1);
        std::string cell = ":" + IntStr(row);
        std::string name = "Layer " + IntStr(static_cast<int>(layer));
        t.IntRange("StringGrid_color:1" + cell, name + " Farbe", &c::ColorLayerColors[layer], 1, 255);
        t.IntRange("StringGrid_color:2" + cell, name + " Strichst\xC3\xA4rke", &c::ColorLayerLineWidths[layer], 1,
                   255);
    }
    for (int k = 0; k < 16; ++k)
        t.Int("Panel_color" + IntStr(k), "Farbe " + IntStr(k + 1), &g::GraphPalette[k + 1]);
}

void PrinterTab(Tab t)
{
    t.Number("Edit_printscale", "Ma\xC3\x9Fstab x", &p::PrintScale);
    t.Number("Edit_printscaley", "Ma\xC3\x9Fstab y", &p::PrintScaleY);
    t.Int("Edit_printxorigin", "Ursprung x", &p::PrintOriginX);
    t.Int("Edit_printyorigin", "Ursprung y", &p::PrintOriginY);
    t.Check("CheckBox_umrandung", "Umrandung", &p::PrintBorder);
    t.Index("RadioGroup_printmono", "Druckmodus", &s::WindowsPrintMode, 1, {"monochrom", "color"});
    t.Index("RadioGroup_orientation", "Format", &p::PrintOrientation, 1, {"portrait", "landscape"});
    t.Check("CheckBox_printerDialogbox", "Druckdialog", &p::GraphPrintDialog);
    t.Index("ComboBox_lpt", "Druckerschnittstelle", &s::PrinterPort, 1, {"LPT1", "LPT2", "LPT3", "LPT4"});
}

// The text window: out-of-range entries take their fallback values; a
// height that does not fit takes the entered y resolution less 20.
void TextWindowFields(Tab& t)
{
    auto within = [](Integer lo, Integer hi, Integer fallback) {
        return [lo, hi, fallback](Integer n, const FormValues&) { return n < lo || n > hi ? fallback : n; };
    };
    t.Int("Edit_left", "Textfenster links", &p::TextWindowRect[1], within(0, 1000, 10));
    t.Int("Edit_top", "Textfenster oben", &p::TextWindowRect[2], within(0, 450, 40));
    t.Int("Edit_width", "Textfenster Breite", &p::TextWindowRect[3], within(50, 1000, 700));
    t.Int("Edit_height", "Textfenster H\xC3\xB6he", &p::TextWindowRect[4], [](Integer n, const FormValues& now) {
        if (n >= 50 && n <= Screen().height)
            return n;
        Integer y = 0;
        auto it = now.find("Tab_grafik/Edit_y");
        if (it == now.end() || !ParseInt(it->second, y))
            y = s::ScreenResY + 1;
        return y - 20;
    });
}

void TextPrintTab(Tab t)
{
    t.Index("RadioGroup_trenn", "Trennlinien", &s::TextPrintMode, 1, {"***", "---", "blanks", "compressed"});
    t.Index("RadioGroup_date", "Datum", &s::DateFormat, 1,
            {"DD.MM.YYYY", "MM/DD/YYYY", "YYYY-MM-DD", "DD/MM/YYYY"});
    std::vector<std::string> devices;
    for (const auto& name : ReportDeviceNames())
        devices.push_back(NameFromFile(name));
    t.Index("ComboBox_ausdruckdefault", "Ausgabeformat", &s::TextDevice, 1, devices);
    t.Check("CheckBox_ausdruckshowdialog", "Ausgabeformat abfragen", &s::TextDeviceDialog);
    t.Int("SpinEdit_linesperpage", "Zeilen pro Seite", &s::LinesPerPage);
    t.Int("SpinEdit_spacelines", "Leerzeilen Kopf", &s::HeaderSpaceLines);
    t.Index("RadioGroup_ff", "Kopf", &s::PrintHeaderMode, 1, {"mit Kopf", "Kopf nur 1.Seite"});
    t.Name("Label_courier", "Schrift", &p::PrintFontName);
    t.Int("Label_couriersize", "Schriftgr\xC3\xB6\xC3\x9F" "e", &p::PrintFontSize);
    t.Style("Label_courierstyle", "Schriftstil", &p::PrintFontStyle);
    TextWindowFields(t);
    t.Index("ComboBox_textwindowsizecode", "Textfenster", &s::TextWindowSizeCode, 0, {"Input", "Auto"});
    t.Index("RadioGroup_ausgrad", "Winkel", &s::AngleFormat, 1, {"15.1234\xC2\xB0", "15\xC2\xB0 7' 26\""});
}

void SettingsTab(Tab t)
{
    t.Index("ComboBox_precision", "Genauigkeit", &s::Decimals, 2, {"-1", "0", "+1", "+2", "+3"});
    std::vector<std::string> units;
    for (const auto& name : s::UnitSystemNames)
        units.push_back(NameFromFile(name));
    t.Index("ComboBox_unit", "Einheiten", &s::UnitSystem, 0, units);
    t.Index("RadioGroup_punktkomma", "Dezimaltrennzeichen", &s::DecimalPoint, 1, {"x.xx", "x,xx"});
    t.Index("RadioGroup_ExcelDot", "Excel", &s::ExcelDecimalPoint, 1, {"English x.xx", "German x,xx"});
    t.Index("RadioGroup_hilfegrad", "Hilfegrad", &s::HelpLevel, 0,
            {"0 : Keine Info nach Eingabe", "1 : Normale Einstellung", "2 : Hilfetextnummern, Quickeingabe"});
    t.Check("CheckBox_usereingabe", "Usereingabe bei Programmstart", &s::PasswordPrompt);
    t.Check("CheckBox_archivmode", "Archivierungsmodus ?", &s::ArchiveMode);
    t.Index("RadioGroup_chars", "Zeichen", &s::CharConversion, 0, {"\xC2\xB2  \xC2\xB5  \xC2\xB0", "2 u  deg"});
    t.Index("RadioGroup_ergebnisgrafik", "Ergebnisgrafik", &s::ScreenViewMode, 0,
            {"egal", "Quick 1", "Quick 3", "Fertigungszeichnung", "Diagramm", "Zeichnung", "Quick 4"});
    t.Check("CheckBox_aktuellfile", "ohne aktuelle Datei", &c::CurrentFileMode, true);
    t.Check("CheckBox_saveMenuLanguage", "Save Menu Language ?", &s::SaveMenuLanguage);
    t.Check("CheckBox_hidewarnings", "Warnungen nicht anzeigen", &s::HideWarnings);
}

std::string PlotLinesText()
{
    std::string text;
    for (int k = 1; k <= c::MaxPlotLines; ++k) {
        if (k > 1)
            text += "\n";
        if (k <= c::CadPlotLineCount)
            text += c::CadPlotLines[static_cast<std::size_t>(k)];
    }
    return text;
}

// The plot lines as one: the stored count becomes the number of the last
// line that is not empty (at least 1), so every line shown is kept.
std::string TakePlotLines(const std::string& Text, const FormValues&, bool Apply)
{
    if (!Apply)
        return {};
    std::vector<std::string> lines(c::MaxPlotLines);
    std::size_t k0 = 0, start = 0;
    for (; k0 < lines.size(); ++k0) {
        std::size_t end = Text.find('\n', start);
        lines[k0] = Text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    Word count = 1;
    for (int k = 1; k <= c::MaxPlotLines; ++k) {
        c::CadPlotLines[static_cast<std::size_t>(k)] = lines[static_cast<std::size_t>(k - 1)];
        if (!TrimBlanks(lines[static_cast<std::size_t>(k - 1)]).empty())
            count = static_cast<Word>(k);
    }
    c::CadPlotLineCount = count;
    return {};
}

void ExternTab(Tab t)
{
    t.Name("Edit_externhtml", "HTML Browser", &s::HtmlBrowser);
    t.Add("ListBox_kavolt", "KAVOLT", PlotLinesText, TakePlotLines);
    t.Name("Edit_externtxt", "Textprogramm", &s::TextProgram);
    t.Name("Edit_handbuchdir", "E-Manual", &s::ManualDir);
}

void DrawingTab(Tab t)
{
    t.Check("CheckBox_zeichvelmoratitel", "Titelzeile", &c::DrawTitleLine);
    t.Check("CheckBox_zeichfilename", "file name ", &c::DrawFileName);
    t.Check("CheckBox_zeichdatum", "Datum", &c::DrawDate);
    t.Check("CheckBox_zeichlogo", "$logo_1.dx$ ?", &c::DrawLogoBlock);
    t.Check("CheckBox_zeichnungskopf", "Zeichnung mit Kopf", &c::DrawTitleBlock);
    t.Index("ComboBox_zeichnkopf", "Zeichnungskopf", &s::TitleBlockStandard, 0,
            {"DIN 6771 min.", "ISO 7200 Fig.1", "ISO 7200 Fig.2", "DIN 6771"});
    t.Check("CheckBox_copyrightvermerk", "Copyrightvermerk", &c::DrawOwnerNote);
    t.Index("ComboBox_7200rand", "ISO 7200 Rand", &s::IsoFrameMargin, 0, {"5 mm", "10 mm"});
    t.Index("ComboBox_index", "\xC3\x84nderungsindex", &s::ChangeIndexMode, 0,
            {"a,b,c...", "1,2,3...", "A,B,C...", "....."});
    t.Check("CheckBox_abc123", "ABCD-1234  Umrandung", &c::DrawGridBorder);
    t.Check("CheckBox_mmscale", "mm Scale  Umrandung", &c::DrawMmScale);
    t.Check("CheckBox_aenderungen", "\xC3\x84nderungen", &c::DrawChangesBlock);
    t.Check("CheckBox_zeichhead034", "$head_0.dx$, $head_3.dx$, $head_4.dx$ ?", &c::InsertHeadBlocks);
    t.Check("CheckBox_zeichinsert034", "$insert_0.dx$, $insert_3.dx$, $insert_4.dx$ ?", &c::InsertInsertBlocks);
    t.Check("CheckBox_Neindrawcoordcross3d", "ohne Koordinatensystem", &c::NoCoordinateCross3D);
    t.Check("CheckBox_aendkopfindex0", "ISO 7200 Rev. 0ABC <> ABCD", &c::RevisionIndexZero);
}

std::vector<Binding> BuildBindings()
{
    std::vector<Binding> b;
    DirTab({b, "Tab_dir"});
    GraphicsTab({b, "Tab_grafik"});
    CadTab({b, "Tab_cad"});
    ColorTab({b, "Tab_color"});
    PrinterTab({b, "Tab_drucker"});
    TextPrintTab({b, "Tab_textdruck"});
    SettingsTab({b, "Tab_einstellung"});
    ExternTab({b, "Tab_extern"});
    DrawingTab({b, "Tab_zeichnung"});
    return b;
}

} // namespace

Word StyleCode(const std::string& Words)
{
    Word code = 0;
    std::istringstream words(Words);
    for (std::string w; words >> w;)
        code |= w == "bold" ? 1 : w == "italic" ? 2 : w == "underline" ? 4 : w == "strikeout" ? 8 : 0;
    return code;
}

const std::vector<Binding>& Bindings()
{
    static const std::vector<Binding> bindings = BuildBindings();
    return bindings;
}

const Binding* FindBinding(const std::string& Key)
{
    for (const auto& b : Bindings())
        if (b.Key() == Key)
            return &b;
    return nullptr;
}

FormValues GlobalsToForm()
{
    FormValues values;
    for (const auto& b : Bindings())
        values[b.Key()] = b.show();
    return values;
}

namespace {

// The controls whose value differs from what was put into the form.
std::vector<std::pair<const Binding*, std::string>> Changed(const FormValues& Shown, const FormValues& Now)
{
    std::vector<std::pair<const Binding*, std::string>> changed;
    for (const auto& b : Bindings()) {
        auto now = Now.find(b.Key());
        if (now == Now.end())
            continue;
        auto shown = Shown.find(b.Key());
        if (shown == Shown.end() || shown->second != now->second)
            changed.emplace_back(&b, now->second);
    }
    return changed;
}

} // namespace

bool CheckFormValues(const FormValues& Shown, const FormValues& Now, FormError& Error)
{
    for (const auto& [b, text] : Changed(Shown, Now)) {
        std::string refusal = b->take(text, Now, false);
        if (!refusal.empty()) {
            Error = {b->tab, b->control, refusal};
            return false;
        }
    }
    return true;
}

bool FormToGlobals(const FormValues& Shown, const FormValues& Now, FormError& Error)
{
    if (!CheckFormValues(Shown, Now, Error))
        return false;
    for (const auto& [b, text] : Changed(Shown, Now))
        b->take(text, Now, true);
    return true;
}

ConfigFormHooks& FormHooks()
{
    static ConfigFormHooks hooks;
    return hooks;
}

} // namespace kt4::shell::configform
