// Picking a bearing from the catalogue tables, interactively in the table
// browser or automatically by bore and width.
//
// BearingSelect and BearingAutoSelect call the CatalogueSelection hooks.
// InstallCatalogueSelection, which the program runs with its module start,
// puts the selection over the table access layer into them; it works with
// or without a window (without one the browser answers from the headless
// user interface's script). While a hook is empty, an interactive pick
// counts as cancelled (AbortFlag) and an automatic pick finds nothing and
// leaves the slot as it is.
#pragma once

#include "drive/bearing_types.h"
#include "foundation/types.h"

#include <functional>

namespace kt4 {

// Interactive selection. Typ 0 asks for the type. The geometry dialog
// passes ReadMode 1, ShowMode 1, Arrangement 2, Variant 1 and as dKey the
// shaft or seat diameter of the slot. A pick takes the row into the slot
// and calculates the slot; any cancel leaves the slot as it was and sets
// AbortFlag.
void BearingSelect(TBearingType Typ, Word Slot, Word ReadMode, Real dKey, Real Fr, Real Fa, Real n,
                   Word ShowMode, Word Arrangement, Word Variant);

// Automatic selection by bore d and largest width B (0: the standard width
// of the bore, for deep-groove ball bearings): the widest row of bore d not
// wider than B. No row of bore d: the slot is left as it is, silently.
void BearingAutoSelect(TBearingType Typ, Word Slot, Real d, Real B, Real Fr, Real Fa);

// The implementations over the catalogue tables.
struct CatalogueSelection {
    std::function<void(TBearingType Typ, Word Slot, Word ReadMode, Real dKey, Real Fr, Real Fa,
                       Real n, Word ShowMode, Word Arrangement, Word Variant)>
        select;
    std::function<void(TBearingType Typ, Word Slot, Real d, Real B, Real Fr, Real Fa)> autoSelect;
};
CatalogueSelection& CatalogueSelectionHooks();

// Fills the hooks with SelectFromCatalogue and AutoSelectFromCatalogue.
void InstallCatalogueSelection();

// ---- The selection over the table access layer ----

// Opens the type's table ("rikula.dbf" ...) in DbfDir as the program's
// table; a failure is told by the access layer and sets AbortFlag.
void OpenCatalogue(TBearingType Typ);
// ReadMode 1: indexes the open table by d, D and B (BearingCatalogueKey)
// into the index named as the table. Any other ReadMode: nothing.
void IndexCatalogue(Word ReadMode, TBearingType Typ);
// ReadMode 1: the type's record reader fills its record buffer from the
// current row (texts in OEM). Any other ReadMode: nothing.
void ReadCatalogueRecord(Word ReadMode, TBearingType Typ);

// The interactive pick in the browser, as one transaction: the slot is
// copied before the row is taken over, and a cancel at any step after that
// (the clearance choice, the X/Y input) puts the copy back. Every return
// closes the table; a cancel leaves AbortFlag set and calculates nothing.
void SelectFromCatalogue(TBearingType Typ, Word Slot, Word ReadMode, Real dKey, Real Fr, Real Fa,
                         Real n, Word ShowMode, Word Arrangement, Word Variant);
// The automatic pick: the rows of bore d in index order, the last one not
// wider than B (the first one when that is already wider). A missing table
// is told (AbortFlag); no row of bore d changes nothing, silently.
void AutoSelectFromCatalogue(TBearingType Typ, Word Slot, Real d, Real B, Real Fr, Real Fa);

} // namespace kt4
