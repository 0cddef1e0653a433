// One table of the drive's values (drive_data.h), inputs and results, and
// beside it the rules between them. The reset, the snapshot of the whole
// drive, DriveInputs' capture and commit and the input checks of the
// calculation are all made from these two lists, so a value is added to
// the drive by its global and its row. The project file keeps its own
// order (project_layout.cpp): that order is the file format.
#pragma once

#include "foundation/types.h"

#include <array>
#include <span>
#include <variant>

namespace kt4::drive {

struct DriveInputs;

using ValueRef = std::variant<Real*, Integer*>;

enum class ValueKind { Input, Result };

// The range an entered value must keep. The calculation refuses a value
// outside it by name: "x = 0 !", "x < 0 !", "x < lo !", "x > hi !" or
// "x >= hi !" for an open upper end.
struct Range {
    bool judged = false; // false: any value
    Integer lo = 0;
    bool loIncluded = false;
    bool bounded = false; // false: no upper end (the lengths)
    Integer hi = 0;
    bool hiIncluded = false;
};

inline constexpr Range AnyValue{};
inline constexpr Range Length{true, 0, false};
inline constexpr Range LengthOrNone{true, 0, true}; // 0 means none (bearing 3 of width 0 is no bearing)
inline constexpr Range Angle{true, 0, false, true, 90, false};
constexpr Range Within(Integer Lo, Integer Hi) { return {true, Lo, true, true, Hi, true}; }

struct DriveValue {
    const char* name; // as the messages name it
    ValueRef global;
    ValueRef (*inCopy)(DriveInputs&); // its place in DriveInputs, or nullptr
    ValueKind kind;
    Range range;
    Real start;                       // what InitDriveData gives it,
    const Real* follows = nullptr;    // or the start of this value
};

// A rule between values. The calculation mends the ones it can before it
// judges the inputs (a roller or hole raised to what bolt and eccentricity
// need) and refuses an input that breaks another one with its message.
struct DriveRule {
    const char* rule;
    bool (*broken)();
    void (*mend)();                   // nullptr: refused
    const char* refusal = nullptr;    // the message after "Fatal  : "
    std::array<const Real*, 4> needs{}; // judged only where these passed their own range
};

// In the order the calculation judges them: the lengths, then the rules
// between them, then the counts, the efficiency and the pressure angle.
std::span<const DriveValue> DriveValueTable();
std::span<const DriveRule> DriveRules();

} // namespace kt4::drive
