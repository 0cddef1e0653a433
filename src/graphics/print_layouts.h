// Printing the drawing without its windows: the print settings the print
// form shows and takes back, the checks of its fields, the printer page
// of a replay, and the named print layouts of the table "printout.dbf"
// (read and written through the table access layer), with the builder of
// the program's own layout table from its readable source.
#pragma once

#include "foundation/types.h"
#include "graphics/graph_canvas.h"

#include <string>
#include <vector>

namespace kt4::graphics {

// What the print form's controls hold: the four edit texts (display
// text), the item of each radio group (-1: none selected) and the two
// check boxes.
struct PrintFields {
    std::string scaleX, scaleY, originX, originY;
    int mono = -1;        // 0 "Monochrom", 1 "Color / Graustufen"
    int orientation = -1; // 0 "Hochformat", 1 "Querformat"
    bool border = false;
    bool fit = false;     // "anpassen": the whole page, whatever the zoom
    bool operator==(const PrintFields&) const = default;
};

// The field names of messages and of the layout table's positions 2..5.
extern const char* const PrintFieldCaptions[4]; // "Maßstab x" .. "Ursprung y"

// What the print form and the layout table's source accept: scales in
// (0, 100], origins -1000 .. 1000, layout names of 25 characters.
inline constexpr Real MaxPrintScale = 100;
inline constexpr Integer MaxPrintOrigin = 1000;
inline constexpr int LayoutNameWidth = 25;
inline bool PrintScaleInRange(Real x) { return x > 0 && x <= MaxPrintScale; }
inline bool PrintOriginInRange(Integer n) { return n >= -MaxPrintOrigin && n <= MaxPrintOrigin; }

// When the form opens: the print settings by CadLogoMode (0, 1, 3 the
// configured values; 2 and 8 fixed page layouts; any other value keeps
// the previous print's).
void TakePrintSettings();
// The settings as the controls show them; fit stays off.
PrintFields PrintSettingsToFields();

// Checks the four edit texts strictly: scales are numbers in (0, 100],
// origins whole numbers in -1000..1000. False with the message (display
// text) and the index of the first refused field (0..3).
bool CheckPrintFields(const PrintFields& now, std::string& message, int& field);
// Takes the controls over (the texts must have passed the check). Only a
// control whose value differs from what was shown changes its setting,
// so an OK without edits changes nothing.
void PrintFieldsToSettings(const PrintFields& shown, const PrintFields& now);

// The printer page of a replay with the present print settings; the
// caller sets the canvas.
PrintTarget MakePrintTarget(Integer pageWidth, Integer pageHeight);

// ---- print layouts ----

inline constexpr const char* LayoutTableName = "printout.dbf";

// Loads a layout: the table opens (WorkingDir first, then the table
// folder), its browser is shown, and the record picked goes into fields
// (the texts as stored) and PrintLayoutRecNo. False when nothing was
// loaded; AbortFlag is clear afterwards.
bool LoadPrintLayout(PrintFields& fields);
// Stores fields as a new layout under a name asked for. False when
// nothing was stored: a refused field, Cancel at the name, a table that
// is missing, damaged or would only be a temporary copy, or a refused or
// failed append (then "Layout nicht gespeichert" and AbortFlag).
bool StorePrintLayout(const PrintFields& fields);

// ---- the program's own layout table ----

struct PrintLayoutRow {
    std::string name; // display text
    double xscale = 1, yscale = 1;
    Integer xorigin = 0, yorigin = 0;
    bool landscape = false, monochrom = false, variable = false, borderline = false;
};

// Reads the CSV source (a heading line, then name, xscale, yscale,
// xorigin, yorigin, landscape, monochrom, variable, borderline per line;
// logicals T or F). False with one message per refused line.
bool ReadPrintLayoutSource(const std::string& text, std::vector<PrintLayoutRow>& rows,
                           std::vector<std::string>& errors);
// Writes the rows as a dBase III table at path, whole or not at all.
bool WritePrintLayoutTable(const std::vector<PrintLayoutRow>& rows, const std::string& path,
                           std::string& error);
// Reads source and writes the table; false with messages saying why.
bool BuildPrintLayoutTable(const std::string& source, const std::string& path,
                           std::vector<std::string>& messages);

} // namespace kt4::graphics
