// Radial and axial load factors X and Y of deep-groove ball bearings from
// the factor tables, one text file per clearance class in the catalogue
// folder (DbfDir): "rikula_n.hdf" normal, "rikul_c3.hdf" C3, "rikul_c4.hdf"
// C4, "rikula_u.hdf" the user's own. The names are found whatever their
// case.
//
// File layout: header lines whose first character sorts at or below "0"
// (blank, punctuation, "0"; an empty line counts as blank), then one more
// line that ends the header and is not used, then seven lines per table
// row in ascending Fa/C0: a label, Fa/C0, e, X and Y for Fa/Fr below e,
// X and Y for Fa/Fr at or above e. A number line may use "," or "."; a line
// that is no number, or a number outside 0..100, counts as 0. Blank lines
// at the end and an incomplete last block are ignored.
//
// Problems with a table go into the message list; X and Y then stay as
// they were, or become 1 and 0 when there is no axial load.
#pragma once

#include "foundation/types.h"

#include <string>
#include <vector>

namespace kt4 {

// One row of a factor table.
struct LoadFactorRow {
    Real FaC0 = 0;
    Real e = 0;
    Real XBelow = 1, YBelow = 0; // Fa/Fr below e
    Real XAbove = 0, YAbove = 0; // Fa/Fr at or above e
};

// The rows in the lines of a factor table file.
std::vector<LoadFactorRow> ParseLoadFactorLines(const std::vector<std::string>& Lines);

// Reads the rows of a factor table (its name found whatever the case).
// False when the file cannot be read; AbortFlag is left as it was.
bool ReadLoadFactorTable(const std::string& Path, std::vector<LoadFactorRow>& Rows);

// The same, keeping the parsed rows of each table until its file changes.
bool ReadLoadFactorTableCached(const std::string& Path, std::vector<LoadFactorRow>& Rows);

// X and Y for q = Fa/C0 from the rows: linear between the two rows around
// q (below the first row from Fa/C0 0 with X 0.56, Y 2), the last row's
// pair for any q above the next-to-last row, each row's pair chosen by
// its own e. q = 0 gives 0.56 and 2; then, when Fr > 0 and Fa/Fr is at
// most e of the row reached, X 1 and Y 0. Rows must not be empty; C0
// must not be 0.
void LookupXYFactors(const std::vector<LoadFactorRow>& Rows, Real& X, Real& Y, Real Fr, Real Fa,
                     Real C0);

// Sets X and Y from the table file for the loads and the static load
// rating: "Fatal  : C0 = 0 !" and "Fatal  : Fr=0, Fa=0 !" leave them as
// they are; a table that cannot be read or holds no row adds a "Fatal  :
// Datei ..." message. Returns true when X and Y came from the table.
// Neither message sets AbortFlag or CalcErrorFlag.
bool BearingXYFactors(const std::string& FileName, Real& X, Real& Y, Real Fr, Real Fa, Real C0);

// The factor table of a clearance code 2..5 ("rikula_n.hdf", ...); "" for
// 1 (X and Y entered) and any other code.
std::string ClearanceFileName(Word Clearance);
// The same in the catalogue folder: AddBackslash(DbfDir) + name.
std::string ClearanceFilePath(Word Clearance);

// The choice texts of the clearance codes 1..5 ("Radial- und Axialfaktor",
// "Lagerluft normal (RIKULA_N.HDF)", ...).
extern const Array1<std::string, 5> ClearanceChoiceTexts;

// Lets the user choose the source of X and Y for the slot (help 4120) and
// sets them: 1 asks for X and Y, 2 to 5 read the factor table for Fr, Fa
// and the slot's C0. Cancel sets AbortFlag and changes nothing.
void BearingClearanceChoice(Word Slot, Real Fr, Real Fa);

// Asks for X (help 4100), then Y (help 4110) of the slot, each 0..100.
// Cancel sets AbortFlag; a value already confirmed stays.
void InputXYFactors(Word Slot);

} // namespace kt4
