#include "graphics/print_layouts.h"

#include "dbase/access/table_access.h"
#include "dbase/dataset/tzfds.h"
#include "dbase/engine/codepage.h"
#include "dbase/engine/errors.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "foundation/helptext.h"
#include "foundation/numstr.h"
#include "foundation/paths.h"
#include "foundation/printer_settings.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"

#include <unistd.h>

namespace kt4::graphics {

const char* const PrintFieldCaptions[4] = {"Ma\xC3\x9Fstab x", "Ma\xC3\x9Fstab y", "Ursprung x",
                                           "Ursprung y"};

namespace {

namespace p = printer;
namespace s = settings;

// The layout table's fields read by position (2..5) and by name.
const char* const PositionNames[4] = {"xscale", "yscale", "xorigin", "yorigin"};
const char* const LogicalNames[4] = {"landscape", "monochrom", "variable", "borderline"};

void Refuse(const std::string& displayText) { ErrorBoxAlways(DisplayToOem(displayText)); }

int ItemOf(Word setting, int items) { return setting >= 1 && setting <= items ? int(setting) - 1 : -1; }

bool ParseScale(const std::string& text, Real& x)
{
    return ParseInputReal(text, x) && PrintScaleInRange(x);
}

bool ParseOrigin(const std::string& text, Integer& n)
{
    return ParseInputInteger(text, n) && PrintOriginInRange(n);
}

// ---- the layout table ----

std::string WorkingDirTable()
{
    const std::string path = AddBackslash(s::WorkingDir) + LayoutTableName;
    const std::string found = FindFileNoCase(path);
    return found.empty() ? path : found;
}

// Where a layout is looked for first: the working folder's table, else the
// table folder's (which reports a missing table and sets AbortFlag).
bool OpenLayoutTable()
{
    const std::string own = WorkingDirTable();
    if (FileReadable(own))
        dbase::DbfOpenFile(own);
    else
        dbase::DbfOpenTable(LayoutTableName);
    return !s::AbortFlag && dbase::tzdbf && dbase::tzdbf->Active();
}

// The table a new layout goes into: where Load looks first. A table of the
// table folder that would only open as a temporary copy (a folder or file
// that cannot be written, or tables used from the temporary folder) is
// copied into the working folder first, so that the layout is kept.
bool OpenLayoutTableForStore()
{
    const std::string own = WorkingDirTable();
    if (FileReadable(own)) {
        dbase::DbfOpenFile(own);
        return !s::AbortFlag && dbase::tzdbf->Active();
    }
    const std::string folder = s::DbfUseTemp ? dbase::DbfCopyFolder() : s::DbfDir;
    std::string path = FindFileNoCase(AddBackslash(folder) + LayoutTableName);
    if (path.empty() || !FileReadable(path))
        return OpenLayoutTable(); // tells that the table is missing
    const bool inPlace = !s::DbfUseTemp && dbase::DbfWriteCheck(folder, FileNamePart(path)) &&
                         ::access(path.c_str(), W_OK) == 0;
    if (s::AbortFlag)
        return false;
    if (inPlace)
        return OpenLayoutTable();
    if (!DirWritable(s::WorkingDir)) {
        Refuse(std::string(LayoutTableName) + ": Ordner nicht beschreibbar");
        s::AbortFlag = true;
        return false;
    }
    const std::string original = FindFileNoCase(AddBackslash(s::DbfDir) + LayoutTableName);
    const std::string source = original.empty() ? path : original;
    if (!dbase::CopyTableWithMemo(source, s::WorkingDir)) {
        Refuse(std::string(LayoutTableName) + ": Kopieren nach " + s::WorkingDir + " fehlgeschlagen");
        s::AbortFlag = true;
        return false;
    }
    dbase::DbfOpenFile(AddBackslash(s::WorkingDir) + FileNamePart(source));
    return !s::AbortFlag && dbase::tzdbf->Active();
}

bool NumberOrText(char type)
{
    return type == 'N' || type == 'F' || type == 'I' || type == 'O' || type == 'C';
}

// A foreign or damaged table would end in engine errors: fields 2 to 5
// must be numbers or texts, the four logical fields must be there.
bool LayoutTableUsable()
{
    const dbase::TTzDbf& t = *dbase::tzdbf;
    const char* missing = nullptr;
    for (int k = 2; k <= 5 && !missing; ++k)
        if (t.FieldCount() < k || !NumberOrText(t.FieldAt(k).type))
            missing = PositionNames[k - 2];
    for (const char* name : LogicalNames) {
        if (missing)
            break;
        const int n = t.FieldNo(name);
        if (n == 0 || t.FieldAt(n).type != 'L')
            missing = name;
    }
    if (!missing)
        return true;
    Refuse(std::string(LayoutTableName) + ": Feld " + missing + " fehlt");
    s::AbortFlag = true;
    return false;
}

bool Logical(const char* name) { return dbase::DbfFieldAsInteger(name) != 0; }

// Field k (2..5) of a new record: a number, or its text in a text field.
void SetPositionField(int k, const std::string& text, Real value, bool whole)
{
    const std::string name = dbase::DbfFieldName(k);
    if (dbase::tzdbf->FieldAt(k).type == 'C')
        dbase::DbfSetFieldString(name, TrimBlanks(text));
    else if (whole)
        dbase::DbfSetFieldInteger(name, std::int32_t(value));
    else
        dbase::DbfSetFieldFloat(name, double(value));
}

void NotStored(const std::string& reason)
{
    Refuse("Layout nicht gespeichert: " + reason);
    s::AbortFlag = true;
}

// The engine's reason for the last failure, in display text.
std::string EngineReason()
{
    if (dbase::EngineErrorCode == 0)
        return "Fehler der Tabelle";
    const std::string text = TrimBlanks(dbase::LastErrorText());
    return dbase::ErrorMessage(dbase::EngineErrorCode) + (text.empty() ? "" : " " + text);
}

// Writes the new record whole: its values are set first and go into the
// table with the append, under the append lock, so a refused lock or a
// failed write leaves no record behind, blank or half written.
bool AppendLayout(const std::string& oemName, const PrintFields& f)
{
    Real sx = 0, sy = 0;
    Integer ox = 0, oy = 0;
    ParseScale(f.scaleX, sx);
    ParseScale(f.scaleY, sy);
    ParseOrigin(f.originX, ox);
    ParseOrigin(f.originY, oy);
    // The layer's own boxes would tell the same failure twice.
    const bool boxes = s::ShowErrorBoxes;
    s::ShowErrorBoxes = false;
    dbase::EngineErrorCode = 0;
    dbase::DbfSetFieldString(dbase::DbfFieldName(1), dbase::OemToAnsi(oemName));
    SetPositionField(2, f.scaleX, sx, false);
    SetPositionField(3, f.scaleY, sy, false);
    SetPositionField(4, f.originX, ox, true);
    SetPositionField(5, f.originY, oy, true);
    dbase::DbfSetFieldBoolean("landscape", f.orientation == 1);
    dbase::DbfSetFieldBoolean("monochrom", f.mono == 0);
    dbase::DbfSetFieldBoolean("variable", f.fit);
    dbase::DbfSetFieldBoolean("borderline", f.border);
    const bool set = !s::AbortFlag;
    const std::int32_t rec = set ? dbase::DbfAppendRec() : 0;
    s::ShowErrorBoxes = boxes;
    if (rec > 0)
        return true;
    const std::string reason = !set || s::AbortFlag || dbase::EngineErrorCode != 0
                                   ? EngineReason()
                                   : "die Tabelle ist von einem anderen Programm gesperrt";
    // Nothing of the values may reach the record the table stands on. The
    // edit has ended even when the re-read after it fails.
    try {
        dbase::tzdbf->Cancel();
    } catch (const std::exception&) {
    }
    NotStored(reason);
    return false;
}

} // namespace

void TakePrintSettings()
{
    switch (p::CadLogoMode) {
    case 0:
    case 1:
    case 3:
        p::GraphPrintScaleX = p::PrintScale;
        p::GraphPrintScaleY = p::PrintScaleY;
        p::GraphPrintOriginX = p::PrintOriginX;
        p::GraphPrintOriginY = p::PrintOriginY;
        p::DrawBorderLine = p::PrintBorder;
        p::GraphPrintOrientation = p::PrintOrientation;
        break;
    case 2:
    case 8: {
        const bool two = p::CadLogoMode == 2;
        p::GraphPrintScaleX = two ? 1.9 : 1.95;
        p::GraphPrintScaleY = two ? 1.0 : 1.05;
        p::GraphPrintOriginX = 0;
        p::GraphPrintOriginY = two ? 0 : -7;
        p::DrawBorderLine = false;
        p::GraphPrintOrientation = 1;
        break;
    }
    default:
        break; // the previous print's settings
    }
}

PrintFields PrintSettingsToFields()
{
    PrintFields f;
    f.scaleX = RealStr(p::GraphPrintScaleX);
    f.scaleY = RealStr(p::GraphPrintScaleY);
    f.originX = IntStr(p::GraphPrintOriginX);
    f.originY = IntStr(p::GraphPrintOriginY);
    f.mono = ItemOf(s::WindowsPrintMode, 2);
    f.orientation = ItemOf(p::GraphPrintOrientation, 2);
    f.border = p::DrawBorderLine;
    return f;
}

bool CheckPrintFields(const PrintFields& now, std::string& message, int& field)
{
    const std::string* texts[4] = {&now.scaleX, &now.scaleY, &now.originX, &now.originY};
    for (int k = 0; k < 4; ++k) {
        Real x = 0;
        Integer n = 0;
        const bool scale = k < 2;
        const std::string& t = *texts[k];
        if (scale ? ParseScale(t, x) : ParseOrigin(t, n))
            continue;
        field = k;
        const bool number = scale ? ParseInputReal(t, x) : ParseInputInteger(t, n);
        if (!number)
            message = "Ung\xC3\xBCltige Eingabe \"" + t + "\" (" + PrintFieldCaptions[k] + ") !";
        else
            message = std::string(PrintFieldCaptions[k]) + ": G\xC3\xBCltiger Wertebereich: " +
                      (scale ? "> 0 .. 100" : "-1000 .. 1000") + " !";
        return false;
    }
    return true;
}

void PrintFieldsToSettings(const PrintFields& shown, const PrintFields& now)
{
    Real x = 0;
    Integer n = 0;
    if (now.scaleX != shown.scaleX && ParseScale(now.scaleX, x))
        p::GraphPrintScaleX = double(x);
    if (now.scaleY != shown.scaleY && ParseScale(now.scaleY, x))
        p::GraphPrintScaleY = double(x);
    if (now.originX != shown.originX && ParseOrigin(now.originX, n))
        p::GraphPrintOriginX = n;
    if (now.originY != shown.originY && ParseOrigin(now.originY, n))
        p::GraphPrintOriginY = n;
    if (now.mono != shown.mono && now.mono >= 0)
        s::WindowsPrintMode = Word(now.mono + 1);
    if (now.orientation != shown.orientation && now.orientation >= 0)
        p::GraphPrintOrientation = Word(now.orientation + 1);
    if (now.border != shown.border)
        p::DrawBorderLine = now.border;
}

PrintTarget MakePrintTarget(Integer pageWidth, Integer pageHeight)
{
    PrintTarget t;
    t.pageWidth = pageWidth;
    t.pageHeight = pageHeight;
    t.scaleX = p::GraphPrintScaleX;
    t.scaleY = p::GraphPrintScaleY;
    t.originX = p::GraphPrintOriginX;
    t.originY = p::GraphPrintOriginY;
    t.borderLine = p::DrawBorderLine;
    return t;
}

bool LoadPrintLayout(PrintFields& f)
{
    s::AbortFlag = false;
    bool loaded = false;
    if (OpenLayoutTable() && LayoutTableUsable()) {
        dbase::DbfSetTitles("Printout", "");
        if (p::PrintLayoutRecNo != 0)
            dbase::DbfGoRecord(p::PrintLayoutRecNo);
        SetHelpNumber(1040);
        dbase::DbfShow("", 0);
        if (!s::AbortFlag) {
            p::PrintLayoutRecNo = Word(dbase::DbfRecNo());
            f.scaleX = TrimBlanks(dbase::DbfFieldText(2));
            f.scaleY = TrimBlanks(dbase::DbfFieldText(3));
            f.originX = TrimBlanks(dbase::DbfFieldText(4));
            f.originY = TrimBlanks(dbase::DbfFieldText(5));
            f.orientation = Logical("landscape") ? 1 : 0;
            f.mono = Logical("monochrom") ? 0 : 1;
            f.fit = Logical("variable");
            f.border = Logical("borderline");
            loaded = !s::AbortFlag;
        }
    }
    dbase::DbfClose();
    s::AbortFlag = false;
    return loaded;
}

bool StorePrintLayout(const PrintFields& f)
{
    s::AbortFlag = false;
    std::string message;
    int field = 0;
    if (!CheckPrintFields(f, message, field)) {
        Refuse(message);
        s::AbortFlag = true;
        return false;
    }
    bool stored = false;
    if (OpenLayoutTableForStore() && LayoutTableUsable()) {
        std::string name;
        InputText("Name", LayoutNameWidth, name);
        if (!s::AbortFlag)
            stored = AppendLayout(name, f);
    }
    const bool aborted = s::AbortFlag;
    dbase::DbfClose();
    if (stored && s::AbortFlag && !aborted) {
        NotStored(EngineReason());
        stored = false;
    }
    if (!stored)
        s::AbortFlag = true;
    return stored;
}

} // namespace kt4::graphics
