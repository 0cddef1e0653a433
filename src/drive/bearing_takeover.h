// The take-over: a catalogue row, read into its table's record buffer,
// becomes the bearing of a slot. Each table's fields have their own meaning
// for the slot; what the row does not give is cleared or derived.
#pragma once

#include "drive/bearing_types.h"
#include "foundation/types.h"

namespace kt4 {

// Copies the record buffer of type Typ into slot 1..5: type, record number
// of the row, the mapped fields, and the fields the type clears. A deep
// groove ball bearing then gets X and Y of normal clearance for the loads
// Fr and Fa ("rikula_n.hdf" in DbfDir); an angular-contact ball bearing
// (types 8 and 9) gets Y = 0.4 / tan(alpha) (AngularContactY), type 8 with
// alpha 40. Settings and results of the slot keep their values. A type
// outside 1..12 sets only the type and the record number.
void BearingTakeOver(Word Slot, TBearingType Typ, Real Fr, Real Fa);

} // namespace kt4
