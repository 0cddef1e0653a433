#include "drive/bearing_selection.h"

#include "foundation/settings.h"

namespace kt4 {

CatalogueSelection& CatalogueSelectionHooks()
{
    static CatalogueSelection hooks;
    return hooks;
}

void BearingSelect(TBearingType Typ, Word Slot, Word ReadMode, Real dKey, Real Fr, Real Fa, Real n,
                   Word ShowMode, Word Arrangement, Word Variant)
{
    const auto& hooks = CatalogueSelectionHooks();
    if (!hooks.select) {
        settings::AbortFlag = true;
        return;
    }
    hooks.select(Typ, Slot, ReadMode, dKey, Fr, Fa, n, ShowMode, Arrangement, Variant);
}

void BearingAutoSelect(TBearingType Typ, Word Slot, Real d, Real B, Real Fr, Real Fa)
{
    const auto& hooks = CatalogueSelectionHooks();
    if (hooks.autoSelect)
        hooks.autoSelect(Typ, Slot, d, B, Fr, Fa);
}

} // namespace kt4
