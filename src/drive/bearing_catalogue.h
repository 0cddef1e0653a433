// What the catalogue selection computes before it touches a table: the
// index key expression of a catalogue table and the search key of a
// full-complement needle bearing.
#pragma once

#include "drive/bearing_catalogue_record.h"
#include "foundation/types.h"

#include <string>

namespace kt4 {

// The index key of a catalogue table, "<f2>*1000000+<f3>*1000+<f4>" from
// the names of fields 2 to 4 (bore, outside diameter, width), so that the
// rows sort by d, then D, then B. FieldName gives the name of field n.
std::string BearingCatalogueKey(const CatalogueFieldText& FieldName);

// The total circumferential gap of Z needles of diameter Dw:
// max(0.005 Z, 0.1) up to Dw 3.5 mm, max(0.005 Z, 0.15) above.
Real NeedleClearance(Integer Z, Real Dw);

// The needle ring assumed for a shaft of diameter d.
struct NeedleRing {
    Integer Z = 0;  // needles
    Real Dw = 0;    // standard needle diameter
    Real Fw = 0;    // inscribed diameter
};
// FullComplementZ needles of diameter d/(Z/pi - 1); above 6 mm the needle
// is 6 mm and Z = (d/6 + 1) pi rounded, at most 50. The diameter is taken
// to the standard needle (1 ... 6 mm) and Fw is the diameter inscribed in
// the ring with the gap of NeedleClearance.
NeedleRing FullComplementNeedleRing(Real d);
// Its inscribed diameter: the search key of a full-complement needle bearing.
Real FullComplementNeedleFw(Real d);

} // namespace kt4
