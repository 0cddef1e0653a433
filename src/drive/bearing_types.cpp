#include "drive/bearing_types.h"

#include "drive/bearing_catalogue_record.h"
#include "foundation/numstr.h"

namespace kt4 {

namespace {

// OEM code page 850: 0x81 "ü", 0x84 "ä", 0xE1 "ß". A literal is split after
// an escape so that the next letter is not read as a hex digit.
constexpr BearingTypeInfo TypeTable[BearingTypeCount] = {
    {"rikula", "Rillenkugellager", true},
    {"pekula", "Pendelkugellager", true},
    {"nadelhul", "Nadelh\x81" "lse", false},
    {"nalaoi", "Nadellager o.Innenring", false},
    {"zyrola", "Zylinderrollenlager", false},
    {"kerola", "Kegelrollenlager", false},
    {"perola", "Pendelrollenlager", false},
    {"schrkula", "Schr\x84" "gkugellager", true},
    {"schrku2", "Zweireihige Schr\x84" "gkugellager", true},
    {"nadelk", "Nadelkranz", false},
    {"zyrolav", "Zylinderrollenlager vollrollig", false},
    {"nadelv", "Vollnadelige Lagerung", false},
};

constexpr ReliabilityInfo ReliabilityTable[ReliabilityCount] = {
    {10, 1},        {5, 0.64},      {4, 0.55},      {3, 0.47},     {2, 0.37},
    {1, 0.25},      {0.8L, 0.22},   {0.6L, 0.19},   {0.4L, 0.16},  {0.2L, 0.12},
    {0.1L, 0.093},  {0.08L, 0.087}, {0.06L, 0.08},  {0.05L, 0.077},
};

template <std::size_t N, class F>
auto MakeArray(F f)
{
    Array1<decltype(f(1)), N> a;
    for (std::size_t i = 1; i <= N; ++i)
        a[i] = f(i);
    return a;
}

template <class T, std::size_t N>
T At(const Array1<T, N>& a, Word i, const T& outside)
{
    return i >= 1 && i <= N ? a[i] : outside;
}

// A coded setting: its name in the warning, its field and its range.
struct SettingRule {
    const char* name;
    Word WaelzLagerTyp::*field;
    Word lo, hi;
};

const SettingRule SettingRules[] = {
    {"Typ", &WaelzLagerTyp::Typ, 1, BearingTypeCount},
    {"Erlebenswahrscheinlichkeit", &WaelzLagerTyp::Reliability, 1, ReliabilityCount},
    {"Sauberkeit", &WaelzLagerTyp::Cleanliness, 1, CleanlinessCount},
    {"Lagerluft", &WaelzLagerTyp::Clearance, 1, ClearanceCount},
    {"Berechnungsart", &WaelzLagerTyp::LifeMethod, 1, LifeMethodCount},
};

} // namespace

namespace bearings {

Array1<WaelzLagerTyp, BearingSlotCount> BearingSlots;
Integer FullComplementZ = 20;

const Array1<std::string, BearingTypeCount> BearingTableNames =
    MakeArray<BearingTypeCount>([](std::size_t i) { return std::string(TypeTable[i - 1].table); });
const Array1<std::string, BearingTypeCount> BearingTypeNames =
    MakeArray<BearingTypeCount>([](std::size_t i) { return std::string(TypeTable[i - 1].name); });

const Array1<std::string, LifeMethodCount> LifeMethodNames = MakeArray<LifeMethodCount>([](std::size_t i) {
    static const char* const names[] = {
        ("a23 nach SKF (ohne EP-Zus\x84" "tze)"),
        "a23 Eingabe",
        "aISO nach DIN ISO 281",
        "aISO Eingabe",
    };
    return std::string(names[i - 1]);
});

const Array1<std::string, CleanlinessCount> CleanlinessNames = MakeArray<CleanlinessCount>([](std::size_t i) {
    static const char* const names[] = {
        "Extreme Sauberkeit",
        "Hohe Sauberkeit",
        "Normale Sauberkeit",
        "Leichte Verunreinigungen",
        ("M\x84\xE1" "ige Verunreinigungen"),
        "Starke Verunreinigungen",
        "Sehr starke Verunreinigungen",
        "Eingabe ec",
    };
    return std::string(names[i - 1]);
});

const Array1<std::string, ClearanceCount> ClearanceNames = MakeArray<ClearanceCount>([](std::size_t i) {
    static const char* const names[] = {"XY", "normal", "C3", "C4", "User"};
    return std::string(names[i - 1]);
});

const Array1<Real, ReliabilityCount> ReliabilityFailurePct =
    MakeArray<ReliabilityCount>([](std::size_t i) { return ReliabilityTable[i - 1].failurePct; });
const Array1<double, ReliabilityCount> ReliabilityA1 =
    MakeArray<ReliabilityCount>([](std::size_t i) { return ReliabilityTable[i - 1].a1; });

const std::array<std::string, 5> LifeSuffixes = {"0", "a", "a", "m", "m"};

void InitBearingSlots()
{
    BearingSlots.fill(WaelzLagerTyp{});
    FullComplementZ = 20;
    for (Word t = 1; t <= BearingTypeCount; ++t)
        CatalogueBuffers[t] = CatalogueRecord(t);
}

} // namespace bearings

bool BearingSlotUsed(Word Slot)
{
    if (Slot < 1 || Slot > BearingSlotCount)
        return false;
    const auto& b = bearings::BearingSlots[Slot];
    return b.d > 0 && !b.Designation.empty();
}

const BearingTypeInfo* BearingTypeInfoOf(TBearingType Typ)
{
    return Typ >= 1 && Typ <= BearingTypeCount ? &TypeTable[Typ - 1] : nullptr;
}

std::string BearingTypeName(TBearingType Typ)
{
    const auto* t = BearingTypeInfoOf(Typ);
    return t ? t->name : "";
}

std::string BearingTableName(TBearingType Typ)
{
    const auto* t = BearingTypeInfoOf(Typ);
    return t ? t->table : "";
}

bool IsBallBearing(TBearingType Typ)
{
    const auto* t = BearingTypeInfoOf(Typ);
    return t && t->ball;
}

std::string LifeMethodName(Word Method) { return At(bearings::LifeMethodNames, Method, std::string()); }
std::string CleanlinessName(Word Level) { return At(bearings::CleanlinessNames, Level, std::string()); }
std::string ClearanceName(Word Clearance) { return At(bearings::ClearanceNames, Clearance, std::string()); }

std::string LifeSuffix(Word Method)
{
    return Method < bearings::LifeSuffixes.size() ? bearings::LifeSuffixes[Method] : "";
}

Real ReliabilityFailurePctOf(Word Reliability)
{
    return At(bearings::ReliabilityFailurePct, Reliability, bearings::ReliabilityFailurePct[1]);
}

Real ReliabilityA1Of(Word Reliability)
{
    return At(bearings::ReliabilityA1, Reliability, bearings::ReliabilityA1[1]);
}

std::vector<std::string> CheckBearingSettings(Word Slot, WaelzLagerTyp& Bearing)
{
    static const WaelzLagerTyp defaults;
    std::vector<std::string> warnings;
    for (const auto& rule : SettingRules) {
        Word& value = Bearing.*rule.field;
        if (value >= rule.lo && value <= rule.hi)
            continue;
        const Word fallback = defaults.*rule.field;
        // "ungültig" with 0x81 for "ü"
        warnings.push_back(std::string("Warnung: Lager ") + IntStr(Slot) + ": " + rule.name + " " +
                           IntStr(value) + " ung\x81" "ltig, " + IntStr(fallback) + " gesetzt");
        value = fallback;
    }
    return warnings;
}

} // namespace kt4
