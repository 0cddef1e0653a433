// Picking a bearing from the catalogue tables, interactively in the table
// browser or automatically by bore and width.
//
// The picks work on the table access layer, which is installed here as the
// CatalogueSelection hooks. While a hook is empty, an interactive pick
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

} // namespace kt4
