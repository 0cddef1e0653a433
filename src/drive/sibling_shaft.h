// The input file of the sibling shaft program (extension "bx1"): that
// program's whole input set, reset to its start values at every export;
// an export fills in one shaft of the drive (sections, loads, torques and
// the two bearing positions) and writes the set, one value per line, with
// the fixed section headings the receiving program reads.
#pragma once

#include "drive/bearing_types.h"
#include "foundation/types.h"

#include <array>
#include <string>
#include <vector>

namespace kt4::shaft {

struct ShaftSection {
    Real start = 0;
    Real outerLeft = 0, outerRight = 0;
    Real innerLeft = 0, innerRight = 0;
    Real radius = 0;
};
struct RadialForce {
    Real force = 0, position = 0, angle = 0; // angle in degrees
    std::string text;
};
struct PathLoad {
    std::array<Real, 4> values{}; // load, 0, length, angle
    std::string text;
};
struct BendingMoment {
    std::array<Real, 3> values{};
    std::string text;
};
struct Torque {
    Real torque = 0, position = 0;
    std::string text;
};
struct AxialLoad {
    std::array<Real, 2> values{};
    std::string text;
};
struct NotchZone {
    std::array<Real, 5> values{};
    std::string text;
};
struct TableARow {
    std::array<Real, 7> values{};
    Real extra = 0;
    std::string text;
};
struct TableBRow {
    std::array<Real, 7> first{};
    Word code1 = 0;
    std::array<Real, 5> second{};
    Word code2 = 0;
};

// Table sizes of the shaft program.
constexpr std::size_t MaxSections = 102, MaxRadialForces = 100, MaxPathLoads = 50,
                      MaxBendingMoments = 20, MaxTorques = 20, MaxAxialLoads = 10,
                      MaxNotchZones = 20, MaxTableA = 52, MaxTableB = 52;

// The input set. The tables keep their size; the counts say how many rows
// are in use.
struct TShaftData {
    std::vector<ShaftSection> sections;
    std::vector<RadialForce> radialForces;
    std::vector<PathLoad> pathLoads;
    std::vector<BendingMoment> bendingMoments;
    std::vector<Torque> torques;
    std::vector<AxialLoad> axialLoads;
    std::vector<NotchZone> notchZones;
    std::vector<TableARow> tableA;
    std::vector<TableBRow> tableB;
    Integer sectionCount = 0, radialForceCount = 0, pathLoadCount = 0, bendingMomentCount = 0,
            torqueCount = 0, axialLoadCount = 0, notchZoneCount = 0, tableACount = 0,
            tableBCount = 0;
    Word bearingCount = 2;
    Real totalLength = 100;
    Real bearingPos1 = 0, bearingPos2 = 1060;
    Real bearingExtra = 0; // the real after the two bearing positions
    std::string materialNumber = "1.7225"; // not written
    std::string materialName = "42CrMo4";
    Real elasticModulus = 210000, shearModulus = 80000, density = 7.8;
    Real materialValue1 = 1.2, materialValue2 = 0.8;
    Word mode = 4;
    std::string tailText; // the text of the tail block
    // The bearing records written as records 1 to 5 (the drive's slots,
    // with the export's substitutions).
    Array1<WaelzLagerTyp, BearingSlotCount> records;
};

extern TShaftData ShaftData;

// Module start-up: the tables at their sizes, then the start values.
void AllocShaftData();
// Every value to its start value, all counts 0; the records copied from the
// drive's bearing slots.
void ResetShaftData();

enum ShaftKind : Word { InputShaft = 1, OutputShaft = 2, Pin = 3 };

// Resets the set and fills in the chosen shaft of the drive.
void SetShaftExportValues(Word Shaft);

// The export: SetShaftExportValues, the save dialog for a ".bx1" file, the
// file, and the written file opened with its associated program. The drive's
// own bearing slots do not change. The first argument of the two-argument
// form is not used.
void ExportShaftToSibling(Word Shaft);
void ExportShaftToSibling(Word Unused, Word Shaft);

// Writes the set to the file Name (empty: ask; without ".": in DataDir with
// ".bx1"). Returns the path written, "" when nothing was written.
std::string WriteShaftFile(const std::string& Name);
// The lines of the file, to the open ReportFile.
void WriteShaftBody();

} // namespace kt4::shaft
