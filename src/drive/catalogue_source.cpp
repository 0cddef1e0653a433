#include "drive/catalogue_source.h"

#include "drive/bearing_catalogue_record.h"
#include "drive/catalogue_ratings.h"
#include "foundation/codepage.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <numbers>
#include <set>
#include <sstream>
#include <utility>

namespace kt4::catalogue {

namespace {

// ---- The tables ----------------------------------------------------------

// Field names by type code; the kinds come from the record layouts.
constexpr const char* FieldNames[BearingTypeCount] = {
    "BEZ DI DA B RMIN C C0 NREF NLIM D1 D2 D3 D4 CU PREIS TEXT",
    "BEZ DI DA B C C0 NREF NLIM MASSE D1 D2 RMIN D3 D4 R2 E Y1 Y2 Y0 ALPHA CU PREIS TEXT",
    "BEZ DI DA B B2 RMIN C C0 CU NLIM NREF PREIS TEXT",
    "BEZ DI DA B RMIN C C0 CU NREF NLIM MASSE LW R2 PREIS TEXT",
    "BEZ DI DA B C C0 CU NREF NLIM MASSE D1 D2 Y1 RMIN R2 DW LW Z D3 D4 PREIS TEXT",
    ("BEZ DI DA T C C0 CU NREF NLIM MASSE D1 B CW RMIN R2 R3 A D2 D3 DPW D4 DW LW Z Y1 Y2 E Y Y0 "
     "ALPHA PREIS TEXT"),
    "BEZ DI DA B C C0 CU NREF NLIM MASSE D1 D2 RMIN D3 D4 R2 E Y1 Y2 Y0 ALPHA PREIS TEXT",
    "BEZ DI DA B C C0 CU NREF NLIM MASSE D1 D2 RMIN R2 A D3 D4 ALPHA PREIS TEXT",
    "BEZ DI DA B C C0 CU ALPHA NREF NLIM MASSE D1 D2 RMIN R2 A D3 D4 DW PREIS TEXT",
    "BEZ DI DA B C C0 CU NLIM NREF MASSE PREIS TEXT",
    "BEZ DI DA B C C0 CU MASSE D1 RMIN LW REIHEN PREIS TEXT",
    "BEZ DI DA B DW Z C C0 MASSE RMIN DWELLE",
};

constexpr int DesignationWidth = 20;
constexpr int CatTextWidth = 30;

std::vector<TableField> BuildFields(TBearingType Typ)
{
    std::vector<TableField> fields;
    const CatalogueLayout* layout = CatalogueLayoutOf(Typ);
    if (!layout)
        return fields;
    std::istringstream names(FieldNames[Typ - 1]);
    static std::set<std::string> storage; // keeps the names for the const char* members
    std::string name;
    for (int n = 0; names >> name; ++n) {
        const char kind = layout->kinds[n];
        const int width = kind != 'S' ? 0 : (n == 0 ? DesignationWidth : (layout->textLimit ? layout->textLimit : CatTextWidth));
        fields.push_back({storage.insert(name).first->c_str(), kind, width});
    }
    return fields;
}

// ---- The rating rules ----------------------------------------------------

enum class Pitch { Mean, BorePlusDw, OutsideMinusDw };
enum class Factors { None, SelfAligning, Spherical, Tapered, Cylindrical };

struct TypeRule {
    bool ball;
    int rows;           // 0: from the REIHEN column
    double bm;
    bool selfAligning;  // ball bearings: fc and f0 of self-aligning bearings
    Pitch pitch;
    double nRef, nLim;  // n dm in mm/min of NREF and NLIM
    double massFill;    // steel share of the ring volume; 0: the rolling elements alone
    double rib;         // shoulders at the pitch diameter -/+ rib Dw
    Factors factors;
    bool alpha;         // the source gives ALPHA
};

// ISO 281's factors of the types with a contact angle.
struct FactorRule {
    double e, y, y0, y1, y2;
};
constexpr FactorRule FactorRules[] = {
    {0, 0, 0, 0, 0},             // None
    {1.5, 0, 0.44, 0.42, 0.65},  // SelfAligning
    {1.5, 0, 0.44, 0.45, 0.67},  // Spherical
    {1.5, 0.4, 0.22, 0.45, 0.67}, // Tapered (Y1, Y2 of a pair)
    {0, 0, 0, 0, 0},             // Cylindrical: Y1 0.4, below
};

constexpr TypeRule Rules[BearingTypeCount] = {
    {true, 1, 1.3, false, Pitch::Mean, 1.0e6, 0.7e6, 0.6, 0.6, Factors::None, false},
    {true, 2, 1.3, true, Pitch::Mean, 0.9e6, 0.6e6, 0.6, 0.6, Factors::SelfAligning, true},
    {false, 1, 1.0, false, Pitch::BorePlusDw, 0.25e6, 0.4e6, 0.5, 0.4, Factors::None, false},
    {false, 1, 1.1, false, Pitch::BorePlusDw, 0.35e6, 0.45e6, 0.5, 0.4, Factors::None, false},
    {false, 1, 1.1, false, Pitch::Mean, 0.55e6, 0.6e6, 0.7, 0.4, Factors::Cylindrical, false},
    {false, 1, 1.1, false, Pitch::Mean, 0.35e6, 0.46e6, 0.7, 0.4, Factors::Tapered, true},
    {false, 2, 1.15, false, Pitch::Mean, 0.4e6, 0.5e6, 0.7, 0.4, Factors::Spherical, true},
    {true, 1, 1.3, false, Pitch::Mean, 0.7e6, 0.6e6, 0.6, 0.6, Factors::None, true},
    {true, 2, 1.3, false, Pitch::Mean, 0.55e6, 0.5e6, 0.6, 0.6, Factors::None, true},
    {false, 1, 1.1, false, Pitch::BorePlusDw, 0.3e6, 0.5e6, 0, 0.4, Factors::None, false},
    {false, 0, 1.1, false, Pitch::OutsideMinusDw, 0, 0, 0.7, 0.4, Factors::None, false},
    {false, 1, 1.1, false, Pitch::BorePlusDw, 0, 0, 0, 0.4, Factors::None, false},
};

// Columns a source may give besides the table's fields.
constexpr const char* RatingInputs[] = {"Z", "DW", "LWE", "ALPHA", "REIHEN"};

// Names the rules derive; a table field of another name must be in the source.
constexpr const char* DerivedNames[] = {"C",  "C0", "CU", "NREF", "NLIM", "MASSE", "D1", "D2", "D3", "D4", "R2",
                                        "R3", "A",  "DPW", "LW", "B2", "PREIS", "E", "Y", "Y1", "Y2", "Y0"};

constexpr double Density = 7.85e-6; // kg/mm3, bearing steel
constexpr double MaxValue = 1e6;    // source values beyond this are refused

double RoundTo(double x, double step) { return std::nearbyint(x / step) * step; }

// Two significant digits, as speed ratings are given.
double TwoDigits(double x)
{
    if (!(x > 0))
        return 0;
    const double step = std::pow(10.0, std::floor(std::log10(x)) - 1);
    return RoundTo(x, step);
}

double TanDeg(double a) { return std::tan(a * std::numbers::pi / 180); }
double CosDeg(double a) { return std::cos(a * std::numbers::pi / 180); }

// What the rules need of a row.
struct RowInputs {
    double d = 0, D = 0, width = 0, rmin = 0;
    double Z = 0, Dw = 0, Lwe = 0, alpha = 0, rows = 1;
};

using Values = std::map<std::string, double>;

// Every derived value of one row.
Values Derive(const TypeRule& r, const RowInputs& in)
{
    Values v;
    const int rows = static_cast<int>(in.rows);
    const int Z = static_cast<int>(in.Z);
    const double dm = (in.d + in.D) / 2;
    double Dpw = dm;
    if (r.pitch == Pitch::BorePlusDw)
        Dpw = in.d + in.Dw;
    else if (r.pitch == Pitch::OutsideMinusDw)
        Dpw = in.D - in.Dw;
    const double gamma = in.Dw * CosDeg(in.alpha) / Dpw;
    if (r.ball) {
        v["C"] = BallC(r.bm, r.selfAligning ? SelfAligningFc(gamma) : GrooveBallFc(gamma), rows, in.alpha, Z, in.Dw);
        v["C0"] = BallC0(r.selfAligning ? SelfAligningF0(gamma) : GrooveBallF0(gamma), rows, Z, in.Dw, in.alpha);
    } else {
        v["C"] = RollerC(r.bm, RollerFc(gamma), rows, in.Lwe, in.alpha, Z, in.Dw);
        v["C0"] = RollerC0(rows, Z, in.Lwe, in.Dw, in.alpha, Dpw);
    }
    v["CU"] = std::nearbyint(FatigueLoadLimit(r.ball, v["C0"], Dpw));
    if (r.nRef > 0)
        v["NREF"] = TwoDigits(r.nRef / dm);
    if (r.nLim > 0)
        v["NLIM"] = TwoDigits(r.nLim / dm);
    const double steel = r.massFill > 0
                             ? std::numbers::pi / 4 * (in.D * in.D - in.d * in.d) * in.width * r.massFill
                             : rows * Z * std::numbers::pi / 4 * in.Dw * in.Dw * in.Lwe;
    v["MASSE"] = std::max(0.001, RoundTo(Density * steel, 0.001));
    const double d1 = RoundTo(Dpw - r.rib * in.Dw, 0.1), D1 = RoundTo(Dpw + r.rib * in.Dw, 0.1);
    v["D1"] = d1;
    v["D2"] = D1;
    v["D3"] = RoundTo(std::min(in.d + 3 * in.rmin, d1), 0.1);
    v["D4"] = RoundTo(std::max(in.D - 3 * in.rmin, D1), 0.1);
    // The second corner radius; a needle bearing's is that of its needles.
    v["R2"] = r.pitch == Pitch::BorePlusDw ? std::max(0.1, RoundTo(0.1 * in.Dw, 0.1)) : in.rmin;
    v["R3"] = RoundTo(0.6 * in.rmin, 0.1);
    v["A"] = RoundTo(in.width / 2 + Dpw / 2 * TanDeg(in.alpha), 0.1);
    v["DPW"] = Dpw;
    v["LW"] = in.Lwe;
    v["B2"] = in.Lwe;
    v["PREIS"] = 0;
    // Load factors: e from tan(alpha), the Y from cot(alpha); 0 = not derived.
    const FactorRule& f = FactorRules[static_cast<int>(r.factors)];
    const double tanA = TanDeg(in.alpha), cotA = tanA > 0 ? 1 / tanA : 0;
    const std::pair<const char*, double> factors[] = {
        {"E", f.e * tanA}, {"Y", f.y * cotA}, {"Y0", f.y0 * cotA}, {"Y1", f.y1 * cotA}, {"Y2", f.y2 * cotA}};
    for (const auto& [name, x] : factors)
        if (x > 0)
            v[name] = RoundTo(x, 0.01);
    if (r.factors == Factors::Cylindrical)
        v["Y1"] = 0.4;
    return v;
}

// ---- Reading ---------------------------------------------------------------

std::vector<std::string_view> Split(std::string_view line)
{
    std::vector<std::string_view> cells;
    for (;;) {
        const std::size_t comma = line.find(',');
        cells.push_back(line.substr(0, comma));
        if (comma == std::string_view::npos)
            return cells;
        line.remove_prefix(comma + 1);
    }
}

bool ParseNumber(std::string_view s, double& x)
{
    if (s.empty())
        return false;
    const char* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), end, x, std::chars_format::fixed);
    return ec == std::errc() && p == end && std::isfinite(x) && x >= 0 && x <= MaxValue;
}

bool IsWhole(double x) { return x == std::nearbyint(x); }

struct Header {
    std::vector<std::string> columns;
    std::map<std::string, std::size_t> index;
    bool Has(const std::string& name) const { return index.count(name) != 0; }
};

std::string CheckHeader(TBearingType Typ, const TypeRule& rule, std::string_view line, Header& h)
{
    const auto& fields = TableFields(Typ);
    std::set<std::string> known;
    for (const auto& f : fields)
        known.insert(f.name);
    known.insert(std::begin(RatingInputs), std::end(RatingInputs));
    for (std::string_view cell : Split(line)) {
        std::string name(cell);
        if (!known.count(name))
            return "unbekannte Spalte \"" + name + "\"";
        if (!h.index.emplace(name, h.columns.size()).second)
            return "Spalte " + name + " doppelt";
        h.columns.push_back(name);
    }
    const std::set<std::string> derived(std::begin(DerivedNames), std::end(DerivedNames));
    std::vector<std::string> needed = {"Z", "DW"};
    if (!rule.ball)
        needed.push_back("LWE");
    if (rule.alpha)
        needed.push_back("ALPHA");
    if (rule.rows == 0)
        needed.push_back("REIHEN");
    for (const auto& f : fields)
        if (!derived.count(f.name))
            needed.push_back(f.name);
    for (const auto& name : needed)
        if (!h.Has(name))
            return "Spalte " + name + " fehlt";
    return {};
}

// The text of a text field as stored: in code page 850 and not wider than the field.
std::string CheckText(const std::string& text, const TableField& f)
{
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F)
            return "Steuerzeichen in " + std::string(f.name);
    const std::string oem = DisplayToOem(text);
    if (OemToDisplay(oem) != text)
        return std::string(f.name) + " enth\xC3\xA4lt Zeichen au\xC3\x9F" "erhalb der Codepage 850";
    if (static_cast<int>(oem.size()) > f.width)
        return std::string(f.name) + " l\xC3\xA4nger als " + std::to_string(f.width) + " Zeichen";
    return {};
}

// Checks the rolling-element set against the section; "" when it fits.
std::string CheckGeometry(TBearingType Typ, const TypeRule& rule, const RowInputs& in)
{
    if (!(in.d > 0) || !(in.D > in.d))
        return "es muss 0 < DI < DA gelten";
    if (!(in.width > 0))
        return "Breite muss > 0 sein";
    if (!(in.Z >= 1 && in.Z <= 500) || !IsWhole(in.Z))
        return "Z muss eine ganze Zahl von 1 bis 500 sein";
    if (!(in.Dw > 0) || in.Dw > (in.D - in.d) / 2 + 1e-6)
        return "DW passt nicht in den Querschnitt";
    if (!rule.ball && (!(in.Lwe > 0) || in.rows * in.Lwe > in.width))
        return "LWE passt nicht in die Breite";
    if (!(in.rmin >= 0) || 2 * in.rmin >= in.width || 2 * in.rmin >= in.D - in.d)
        return "RMIN passt nicht zum Querschnitt";
    if (!(in.alpha >= 0 && in.alpha < 90) || (rule.alpha && !(in.alpha > 0)))
        return "ALPHA muss zwischen 0 und 90 liegen";
    if (Typ == DoubleRowAngularContact && in.alpha != 25 && in.alpha != 35 && in.alpha != 45)
        return "ALPHA muss 25, 35 oder 45 sein";
    if (in.rows != 1 && in.rows != 2)
        return "REIHEN muss 1 oder 2 sein";
    return {};
}

std::string ReadRow(TBearingType Typ, const TypeRule& rule, const Header& h,
                    const std::vector<std::string_view>& cells, CatalogueRow& row)
{
    if (cells.size() != h.columns.size())
        return std::to_string(cells.size()) + " statt " + std::to_string(h.columns.size()) + " Spalten";
    const auto& fields = TableFields(Typ);
    std::map<std::string, double> numbers;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        const std::string& name = h.columns[c];
        const auto it = std::find_if(fields.begin(), fields.end(), [&](const TableField& f) { return name == f.name; });
        if (it != fields.end() && it->kind == 'S')
            continue;
        double x = 0;
        if (!ParseNumber(cells[c], x))
            return "Spalte " + name + ": \"" + std::string(cells[c]) + "\" ist keine Zahl >= 0";
        if ((it != fields.end() && it->kind == 'I') && !IsWhole(x))
            return "Spalte " + name + ": ganze Zahl erwartet";
        numbers[name] = x;
    }
    auto number = [&](const char* name, double otherwise) {
        const auto it = numbers.find(name);
        return it == numbers.end() ? otherwise : it->second;
    };
    RowInputs in;
    in.d = number("DI", 0);
    in.D = number("DA", 0);
    in.width = number(fields[3].name, 0);
    in.rmin = number("RMIN", 0);
    in.Z = number("Z", 0);
    in.Dw = number("DW", 0);
    in.Lwe = number("LWE", 0);
    in.alpha = number("ALPHA", 0);
    in.rows = rule.rows > 0 ? rule.rows : number("REIHEN", 0);
    if (std::string e = CheckGeometry(Typ, rule, in); !e.empty())
        return e;

    const Values derived = Derive(rule, in);
    row.texts.assign(fields.size(), std::string());
    row.values.assign(fields.size(), 0);
    for (std::size_t n = 0; n < fields.size(); ++n) {
        const TableField& f = fields[n];
        if (f.kind == 'S') {
            row.texts[n] = std::string(cells[h.index.at(f.name)]);
            if (std::string e = CheckText(row.texts[n], f); !e.empty())
                return e;
            continue;
        }
        auto value = std::as_const(numbers).find(f.name);
        if (value == numbers.cend()) {
            value = derived.find(f.name);
            if (value == derived.end())
                return std::string("Spalte ") + f.name + " fehlt";
        }
        double x = value->second;
        x = f.kind == 'I' ? std::nearbyint(x) : RoundTo(x, 1e-4);
        if (!std::isfinite(x) || std::fabs(x) >= (f.kind == 'I' ? 1e9 : 1e7))
            return std::string(f.name) + " ist nicht darstellbar";
        row.values[n] = x == 0 ? 0 : x; // no "-0"
    }
    if (row.texts[0].empty())
        return "BEZ ist leer";
    return {};
}

std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (nl == std::string_view::npos)
            break;
        text.remove_prefix(nl + 1);
    }
    return lines;
}

} // namespace

const std::vector<TableField>& TableFields(TBearingType Typ)
{
    static const std::vector<std::vector<TableField>> all = [] {
        std::vector<std::vector<TableField>> t(BearingTypeCount + 1);
        for (TBearingType k = 1; k <= BearingTypeCount; ++k)
            t[k] = BuildFields(k);
        return t;
    }();
    return Typ >= 1 && Typ <= BearingTypeCount ? all[Typ] : all[0];
}

bool ReadCatalogueSource(TBearingType Typ, std::string_view Csv, CatalogueSource& Out)
{
    Out = CatalogueSource{};
    Out.typ = Typ;
    if (Typ < 1 || Typ > BearingTypeCount) {
        Out.errors.push_back("Lagertyp " + std::to_string(Typ) + " unbekannt");
        return false;
    }
    const TypeRule& rule = Rules[Typ - 1];
    if (Csv.substr(0, 3) == "\xEF\xBB\xBF")
        Csv.remove_prefix(3);
    const auto lines = Lines(Csv);
    if (lines.empty() || lines[0].empty()) {
        Out.errors.push_back("Zeile 1: Kopfzeile fehlt");
        return false;
    }
    Header header;
    if (std::string e = CheckHeader(Typ, rule, lines[0], header); !e.empty()) {
        Out.errors.push_back("Zeile 1: " + e);
        return false;
    }
    for (std::size_t k = 1; k < lines.size(); ++k) {
        if (lines[k].empty())
            continue;
        CatalogueRow row;
        row.line = static_cast<int>(k + 1);
        if (std::string e = ReadRow(Typ, rule, header, Split(lines[k]), row); !e.empty())
            Out.errors.push_back("Zeile " + std::to_string(row.line) + ": " + e);
        else
            Out.rows.push_back(std::move(row));
    }
    std::stable_sort(Out.rows.begin(), Out.rows.end(), [](const CatalogueRow& a, const CatalogueRow& b) {
        if (a.Value(2) != b.Value(2))
            return a.Value(2) < b.Value(2);
        if (a.Value(4) != b.Value(4))
            return a.Value(4) < b.Value(4);
        return a.Value(3) < b.Value(3);
    });
    return Out.errors.empty();
}

} // namespace kt4::catalogue
