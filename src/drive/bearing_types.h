// The rolling-bearing record, the drive's five bearing slots, the bearing
// type codes with their catalogue tables and names, and the small name
// tables that go with the record (life methods, cleanliness levels,
// clearance classes, reliability).
//
// Slots: 1 input shaft in the case, 2 eccentric in the rolling wheel,
// 3 between input and output shaft, 4 output shaft in the case, 5 second
// output-shaft bearing (cover side).
//
// Texts (designations, names) are stored OEM (code page 850) bytes.
// Lengths in mm, forces in N, speeds in 1/min.
#pragma once

#include "foundation/types.h"

#include <array>
#include <string>
#include <vector>

namespace kt4 {

// Bearing type code, 1..12.
using TBearingType = Word;

enum BearingTypeCode : TBearingType {
    DeepGrooveBall = 1,          // "rikula"
    SelfAligningBall = 2,        // "pekula"
    NeedleBush = 3,              // "nadelhul"
    NeedleNoInnerRing = 4,       // "nalaoi"
    CylindricalRoller = 5,       // "zyrola"
    TaperedRoller = 6,           // "kerola"
    SphericalRoller = 7,         // "perola"
    AngularContactBall = 8,      // "schrkula"
    DoubleRowAngularContact = 9, // "schrku2"
    NeedleCage = 10,             // "nadelk"
    FullComplementRoller = 11,   // "zyrolav"
    FullComplementNeedle = 12,   // "nadelv"
};

inline constexpr Word BearingTypeCount = 12;
inline constexpr Word BearingSlotCount = 5;

// Ranges of the setting fields that index the name tables
inline constexpr Word ReliabilityCount = 14;
inline constexpr Word CleanlinessCount = 8;
inline constexpr Word ClearanceCount = 5;
inline constexpr Word LifeMethodCount = 4;

// Cleanliness level whose eC is entered, not looked up
inline constexpr Word CleanlinessEntered = 8;
// Clearance code of entered X and Y
inline constexpr Word ClearanceEntered = 1;

// One rolling bearing: type, catalogue data, lubrication and life settings,
// and the results of the bearing calculation. Member defaults are the
// defaults of a fresh slot.
struct WaelzLagerTyp {
    TBearingType Typ = 1;
    Integer CatRecNo = 0;     // catalogue row last taken over; 0 = none
    std::string Designation;  // OEM text
    Real C0 = 0;              // static load rating
    Real C = 0;               // dynamic load rating
    Real X = 1;               // radial load factor
    Real Y = 0;               // axial load factor
    Real P = 0;               // equivalent dynamic load (result)
    Real P0 = 0;              // equivalent static load (result)
    Real Frm = 0;             // minimum radial load (result)
    Real FaPerm = 0;          // permissible axial load (result, "Fa z")
    Real L10 = 0;             // basic rating life, 10^6 revolutions (result)
    Real D = 0;               // outside diameter
    Real d = 0;               // bore
    Real B = 0;               // width (inner ring of tapered roller bearings)
    Real B2 = 0;              // second catalogue width
    Real rmin = 0.3L;         // chamfer
    Real nLimit2 = 0;         // second speed rating
    Real nLimit = 0;          // permissible speed; 0 = no limit
    Real nLimit3 = 0;         // third rating (needle bushes and cages)
    Array1<Real, 9> Dims{};   // catalogue dimensions, see the accessors below
    Real e = 0;               // Fa/Fr limit between the two factor pairs
    Real Y1 = 2;              // axial factor for Fa/Fr up to e
    Real Y2 = 2;              // axial factor for Fa/Fr above e
    Real Y0 = 2;              // static axial factor
    Real Mass = 0;            // kg
    Real Price = 0;           // "EUR"
    std::string CatText;      // last text field of the catalogue row (OEM)
    Real S = 0;               // dynamic safety C/P (result)
    Real S0 = 0;              // static safety C0/P0 (result)
    Real Fr = 1000000;        // radial load, set by the drive calculation
    Real nuen = 70;           // nominal viscosity at 40 degC, mm2/s
    Real nue1 = 0;            // rated viscosity (result)
    Real nueb = 0;            // operating viscosity at theta (result)
    Real theta = 50;          // operating temperature, degC
    Real kappa = 1;           // viscosity ratio (result)
    Real a23 = 1;             // computed by life method 1, entered for 2
    Real aISO = 1;            // computed by life method 3, entered for 4
    Word Reliability = 1;     // 1..14, ReliabilityFailurePct / ReliabilityA1
    Real Lna = 0;             // modified rating life, 10^6 revolutions (result)
    Word Clearance = 2;       // 1..5, ClearanceNames
    Word LifeMethod = 3;      // 1..4, LifeMethodNames
    Word Cleanliness = 5;     // 1..8, CleanlinessNames; 8 = eC entered
    Real eC = 0.2L;           // contamination factor
    Real Cu = 0;              // fatigue load limit
    bool EP = true;           // lubricant with EP additives
    Word Opt1 = 1;            // kept with the slot, not used by the calculation
    Word Opt2 = 2;            // kept with the slot, not used by the calculation
    Integer Z = 0;            // number of rolling elements
    Integer Rows = 1;         // number of rows
    Real Dw = 0;              // rolling element diameter

    // The geometry the section drawings read, by its drawing names.
    Real d1() const { return Dims[1]; }        // inner-ring shoulder diameter
    Real D1() const { return Dims[2]; }        // outer-ring shoulder diameter
    Real T() const { return Dims[5]; }         // total width (tapered roller)
    Real r2() const { return Dims[6]; }        // second corner radius
    Real r3() const { return Dims[7]; }        // third corner radius, 0 = none
    Real CupWidth() const { return Dims[8]; }  // C of a tapered roller bearing (= B2)
    Real Lw() const { return Dims[8]; }        // roller length (full-complement roller)
    Real alpha() const { return Dims[9]; }     // contact angle, degrees

    bool operator==(const WaelzLagerTyp&) const = default;
};

// Everything about one bearing type code.
struct BearingTypeInfo {
    const char* table; // catalogue table base name ("rikula"); the file adds ".dbf"
    const char* name;  // display name (OEM)
    bool ball;         // ball bearing (life exponent 3, ball aISO)
};

// One row of the reliability table.
struct ReliabilityInfo {
    Real failurePct; // failure probability in %
    double a1;       // life factor a1
};

namespace bearings {

// The drive's five bearing slots.
extern Array1<WaelzLagerTyp, BearingSlotCount> BearingSlots;
// Needles assumed when a full-complement needle bearing is looked up by
// shaft diameter.
extern Integer FullComplementZ;

// Constant tables, indexed as their names say (Array1 checks the index).
extern const Array1<std::string, BearingTypeCount> BearingTableNames;
extern const Array1<std::string, BearingTypeCount> BearingTypeNames;
extern const Array1<std::string, LifeMethodCount> LifeMethodNames;
extern const Array1<std::string, CleanlinessCount> CleanlinessNames;
extern const Array1<std::string, ClearanceCount> ClearanceNames;
extern const Array1<Real, ReliabilityCount> ReliabilityFailurePct;
extern const Array1<double, ReliabilityCount> ReliabilityA1;
// Index 0..4 = LifeMethod: "0", "a", "a", "m", "m"
extern const std::array<std::string, 5> LifeSuffixes;

// Sets all five slots to the defaults, FullComplementZ to 20 and empties
// the catalogue record buffers. Runs once at program start.
void InitBearingSlots();

} // namespace bearings

// True when the slot (1..5) holds a bearing: bore above 0 and a designation.
// False for any other slot number.
bool BearingSlotUsed(Word Slot);

// Look-ups by a stored code. Out of range they give a neutral value instead
// of failing: nullptr, "" or the value of the default index.
const BearingTypeInfo* BearingTypeInfoOf(TBearingType Typ);
std::string BearingTypeName(TBearingType Typ);  // "" outside 1..12
std::string BearingTableName(TBearingType Typ); // "" outside 1..12
bool IsBallBearing(TBearingType Typ);            // types 1, 2, 8, 9
std::string LifeMethodName(Word Method);        // "" outside 1..4
std::string CleanlinessName(Word Level);        // "" outside 1..8
std::string ClearanceName(Word Clearance);      // "" outside 1..5
std::string LifeSuffix(Word Method);            // "" outside 0..4
Real ReliabilityFailurePctOf(Word Reliability); // 10 outside 1..14
Real ReliabilityA1Of(Word Reliability);         // 1 outside 1..14

// Checks the five coded settings of a record (Typ, Reliability, Cleanliness,
// Clearance, LifeMethod). A value outside its range is set to its default;
// the result holds one warning per corrected field (OEM text), e.g.
// "Warnung: Lager 2: Typ 13 ungültig, 1 gesetzt"; the caller puts them
// into the message list. Use it after reading a record from a file; the
// bearing calculation runs it too and lists the warnings.
std::vector<std::string> CheckBearingSettings(Word Slot, WaelzLagerTyp& Bearing);

} // namespace kt4
