// The input file of the sibling gear-strength program (extension "qov"):
// the program's whole input set, kept in memory with that program's own
// start values; an export copies the drive's gear pair into the fields the
// drive knows and writes the set, one value per line, in the fixed order
// the receiving program reads.
#pragma once

#include "foundation/types.h"

#include <array>
#include <string>

namespace kt4::gear {

enum class Kind : char { Real, Int, Bool, Char, Text };

// One line of the input set; fields that exist per wheel hold wheel 1 in
// index 0 and wheel 2 in index 1 (other fields use index 0).
struct GearValue {
    Kind kind = Kind::Real;
    std::array<Real, 2> num{};        // reals, integers, Booleans (0/1)
    std::array<std::string, 2> text{}; // texts and characters
};

constexpr std::size_t GearLines = 218;
// The input set by the line numbers of the file layout.
extern Array1<GearValue, GearLines> GearStrengthData;
// Reference diameters of the two wheels (kept, not written).
extern std::array<Real, 2> GearReferenceDiameter;

// Module start-up: the start values.
void InitGearStrengthData();

// Copies the gear pair into the set; Wheel 1 takes the bolt-hole pattern of
// the rolling wheel, 2 the screw-hole pattern of the housing.
void SetGearExportValues(Word Wheel);

// The export: SetGearExportValues, the save dialog for a ".qov" file, the
// file, and the written file opened with its associated program. Nothing
// is written on Cancel (AbortFlag). The first argument of the two-argument
// form is not used.
void ExportGearToSibling(Word Wheel);
void ExportGearToSibling(Word Unused, Word Wheel);

// Writes the set to the file Name (empty: ask; without ".": in DataDir
// with ".qov"). Returns the path written, "" when nothing was written.
std::string WriteGearStrengthFile(const std::string& Name);
// The lines of the file, to the open ReportFile.
void WriteGearStrengthBody();

} // namespace kt4::gear
