// Inputs that would divide by zero or take the root of a negative number
// end the calculation in order: a fatal message, CalcErrorFlag, no value
// that is not a number anywhere.
#include "drive_fixture.h"

#include "drive/drive_calc.h"
#include "drive/drive_inputs.h"
#include "drive/drive_values.h"

#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <utility>
#include <vector>

using namespace kt4;
using namespace kt4::drive;
using kt4::drivetest::DriveTest;
using settings::CalcErrorFlag;
using settings::MessageCount;
using settings::MessageTexts;

namespace {

// Every real of the drive data, inputs and results.
bool AllFinite()
{
    for (const DriveValue& v : DriveValueTable())
        if (Real* const* x = std::get_if<Real*>(&v.global); x && !std::isfinite(**x))
            return false;
    return true;
}

Real Get(ValueRef V)
{
    return std::visit([](auto* x) { return static_cast<Real>(*x); }, V);
}

void Set(ValueRef V, Real X)
{
    std::visit([&](auto* x) { *x = static_cast<std::remove_reference_t<decltype(*x)>>(X); }, V);
}

bool Listed(const std::string& text)
{
    for (std::size_t k = 1; k <= MessageCount; ++k)
        if (MessageTexts[k] == text)
            return true;
    return false;
}

struct Guard {
    const char* name;
    std::function<void()> input;
    const char* message;
};

// One case per guarded divisor and per negative root.
const std::vector<Guard>& Guards()
{
    static const std::vector<Guard> list{
        {"EqualWheels", [] { dp = dH; }, "dh-dp=0!"},
        {"RollingWheel", [] { dp = 0; }, "Fatal  : dp = 0 !"},
        {"BoltCircle", [] { dlk = 0; }, "Fatal  : dlk = 0 !"},
        {"BoltCount", [] { nz = 0; }, "Fatal  : nz = 0 !"},
        {"BoltDiameter", [] { dz = 0; }, "Fatal  : dz = 0 !"},
        {"WheelWidth", [] { bP = 0; }, "Fatal  : bP = 0 !"},
        {"DiscWidth", [] { bs = 0; }, "Fatal  : bs = 0 !"},
        // a negative bolt leaves the roller at 0
        {"Roller", [] { dz = -1; dR = 0; }, "Fatal  : dR = 0 !"},
        {"NegativeRoller", [] { dz = -2; dR = -1; }, "Fatal  : dR < 0 !"},
        // an entered negative eccentricity keeps the hole as typed
        {"Hole", [] { exz = -3; dzw = 0; }, "Fatal  : dzw = 0 !"},
        {"HoleBelowRoller", [] { exz = -1; dzw = 5; }, "Fatal  : dzw <= dR !"},
        {"ContactLength", [] { bH = 15; }, "Fatal  : bH >= 3 bP !"},
        {"LeverArms", [] { bH = 1E-10L; bLg1 = 1E-10L; bLg3 = 0; }, "Fatal  : a+b = 0 !"},
        {"BearingPositions", [] { bLg45 = 1E-10L; }, "Fatal  : L5-L4 = 0 !"},
        {"EccentricPin", [] { dexz = 0; }, "Fatal  : dexz = 0 !"},
        {"OutputShaft", [] { d2 = 0; }, "Fatal  : d2 = 0 !"},
    };
    return list;
}

class CalcGuard : public DriveTest, public ::testing::WithParamInterface<Guard> {};

} // namespace

TEST_P(CalcGuard, EndsInOrder)
{
    CalcDrive(); // a good run first: its results must stay finite
    ASSERT_FALSE(CalcErrorFlag);
    GetParam().input();
    CalcDrive();
    EXPECT_TRUE(CalcErrorFlag);
    EXPECT_TRUE(Listed(GetParam().message)) << MessageTexts[1];
    EXPECT_TRUE(AllFinite());
    EXPECT_FALSE(Listed("Warnung: i < 10 !")); // the last step is not reached
}

INSTANTIATE_TEST_SUITE_P(Drive, CalcGuard, ::testing::ValuesIn(Guards()),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(DriveTest, GuardLeavesLaterResultsUntouched)
{
    CalcDrive();
    const Real pressure = pHertz;
    const Real load = FrLager[4];
    dz = 0;
    CalcDrive();
    EXPECT_EQ(pHertz, pressure);
    EXPECT_EQ(FrLager[4], load);
    ASSERT_EQ(MessageCount, 1);
    EXPECT_EQ(MessageTexts[1], "Fatal  : dz = 0 !");
}

// Every judged input of the table of drive values at the ends of its range
// and beyond: each refused by name, all at once, nothing calculated. dR
// and dzw are raised to what the bolt and the eccentricity need before
// they are judged (see CalcGuard).
TEST_F(DriveTest, InputsOutsideTheirRangeAreRefusedByName)
{
    struct Case {
        ValueRef value;
        Real x;
        std::string message; // empty: calculates
    };
    std::vector<Case> cases;
    for (const DriveValue& v : DriveValueTable()) {
        const Range& r = v.range;
        if (!r.judged)
            continue;
        const std::string fatal = "Fatal  : " + std::string(v.name);
        const std::string lo = std::to_string(r.lo), hi = std::to_string(r.hi);
        cases.push_back({v.global, -1, fatal + " < 0 !"});
        cases.push_back({v.global, 0, r.lo > 0 || !r.loIncluded ? fatal + " = 0 !" : ""});
        if (r.lo > 1) {
            cases.push_back({v.global, Real(r.lo - 1), fatal + " < " + lo + " !"});
            cases.push_back({v.global, Real(r.lo), ""});
        }
        if (r.bounded) {
            cases.push_back({v.global, Real(r.hi - 1), ""});
            cases.push_back({v.global, Real(r.hi), r.hiIncluded ? "" : fatal + " >= " + hi + " !"});
            cases.push_back({v.global, Real(r.hi + 1), fatal + (r.hiIncluded ? " > " : " >= ") + hi + " !"});
        }
    }
    // the housing around the hollow wheel and the screw holes
    const std::pair<Real, const char*> housings[] = {{dLkS + dS + 0.2L, ""},
                                                     {dLkS + dS, "Fatal  : dHe <= dLkS+dS !"},
                                                     {dH, "Fatal  : dHe <= dH !"},
                                                     {10, "Fatal  : dHe <= dH !"}};
    for (const auto& [d, text] : housings)
        cases.push_back({&dHe, d, text});

    for (const Case& c : cases) {
        InitDriveData();
        CalcDrive();
        const Real pressure = pHertz;
        Set(c.value, c.x);
        CalcDrive();
        if (!c.message.empty() && Get(c.value) != c.x)
            continue; // raised before it was judged
        if (c.message.empty()) {
            EXPECT_FALSE(CalcErrorFlag) << MessageTexts[1];
            continue;
        }
        EXPECT_TRUE(CalcErrorFlag) << c.message;
        EXPECT_TRUE(Listed(c.message)) << c.message << ": " << MessageTexts[1];
        EXPECT_EQ(pHertz, pressure) << c.message; // refused before any step
    }

    // all reasons at once: the lengths, the housing, the other ranges
    InitDriveData();
    dp = -34;
    dHe = 10;
    nz = 2;
    alpha = 90;
    CalcDrive();
    ASSERT_EQ(MessageCount, 5);
    EXPECT_EQ(MessageTexts[1], "Fatal  : dp < 0 !");
    EXPECT_EQ(MessageTexts[2], "Fatal  : dHe <= dH !");
    EXPECT_EQ(MessageTexts[3], "Fatal  : dHe <= dLkS+dS !");
    EXPECT_EQ(MessageTexts[4], "Fatal  : nz < 4 !");
    EXPECT_EQ(MessageTexts[5], "Fatal  : alpha >= 90 !");
    // a housing with a refused length of its own is not judged as well
    dLkS = 0;
    CalcDrive();
    EXPECT_EQ(MessageCount, 4);
    EXPECT_EQ(MessageTexts[2], "Fatal  : dLkS = 0 !");
}

TEST_F(DriveTest, NegativeTorqueGivesTheSameContactPressure)
{
    CalcDrive();
    const Real pressure = pHertz;
    T[2] = -25;
    CalcDrive();
    EXPECT_FALSE(CalcErrorFlag);
    EXPECT_LT(FtBolt, 0);
    EXPECT_EQ(pHertz, pressure);
}

TEST_F(DriveTest, WheelLargerThanHollowWheelStillCalculates)
{
    dp = 36;
    dH = 34; // exz becomes -1, i positive
    CalcDrive();
    EXPECT_FALSE(CalcErrorFlag);
    EXPECT_EQ(exz, -1);
    EXPECT_EQ(i, 18);
    EXPECT_TRUE(AllFinite());
}

namespace {

// How many members an aggregate has: the most initialisers it takes.
struct AnyValue {
    template <class T>
    operator T() const;
};
template <class T, std::size_t... I>
constexpr bool TakesInitialisers(std::index_sequence<I...>)
{
    return requires { T{((void)I, AnyValue{})...}; };
}
template <class T, std::size_t N = 0>
constexpr std::size_t MemberCount()
{
    if constexpr (TakesInitialisers<T>(std::make_index_sequence<N + 1>{}))
        return MemberCount<T, N + 1>();
    else
        return N;
}

// The names and array sizes of the declarations "Real a, b;" or "extern
// Array1<Real, 3> P, n;" in a header.
std::map<std::string, std::size_t> Declared(const char* Header, const std::string& Prefix)
{
    std::ifstream in(std::string(KT4_SOURCE_DIR) + "/src/drive/" + Header);
    EXPECT_TRUE(in) << Header;
    const std::regex declaration("^" + Prefix + R"((Real|Integer|Array1<Real, (\d+)>) ([^;]+);)");
    const std::regex name(R"((?:^|, )(\w+))");
    std::map<std::string, std::size_t> names;
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (!std::regex_search(line, m, declaration))
            continue;
        const std::string list = m[3], size = m[2];
        for (std::sregex_iterator w(list.begin(), list.end(), name), end; w != end; ++w)
            names[(*w)[1]] = size.empty() ? 1 : std::stoul(size);
    }
    return names;
}

} // namespace

// Every global that drive_data.h declares has its rows in the table of
// drive values (one per array element), so the reset, the snapshot and the
// dialogs' copy reach it; every member of the dialogs' copy has the rows
// that copy it, and every input has its place in the copy.
TEST(DriveValueTable, EveryDeclaredValueHasItsRows)
{
    std::map<std::string, std::size_t> rows, copied;
    for (const DriveValue& v : DriveValueTable()) {
        const std::string name = v.name, base = name.substr(0, name.find('['));
        ++rows[base];
        EXPECT_TRUE(v.kind == ValueKind::Result || v.inCopy) << name;
        if (v.inCopy)
            ++copied[base];
    }
    const auto globals = Declared("drive_data.h", "extern ");
    EXPECT_EQ(globals, rows);
    const auto members = Declared("drive_inputs.h", R"(\s+)");
    EXPECT_EQ(members, copied);
    // a member declared in a form the lines above do not read is counted too
    EXPECT_EQ(members.size(), MemberCount<DriveInputs>());
}
