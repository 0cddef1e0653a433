// The bearing catalogue tables: what the build writes into its catalogue
// folder, read back by the Debian peer readers and by our own engine; the
// ratings recomputed from the sources; the rows a user expects; the source
// reader's refusals and a run of the table tool.
#include "catalogue_support.h"
#include "drive_fixture.h"

#include "drive/bearing_catalogue.h"
#include "drive/bearing_types.h"
#include "drive/catalogue_source.h"
#include "drive/drive_series.h"
#include "foundation/codepage.h"
#include "foundation/files.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"

#include "foundation/scratch_dir.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace kt4::drivetest {
namespace {

namespace fs = std::filesystem;
using catalogue::TableFields;

const std::string SourceDir = KT4_CATALOGUE_SOURCES;

std::string TablePath(TBearingType t) { return CatalogueDir + "/" + BearingTableName(t) + ".dbf"; }

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int SourceRowCount(TBearingType t)
{
    std::istringstream in(ReadFile(SourceDir + "/" + BearingTableName(t) + ".csv"));
    int lines = 0;
    for (std::string line; std::getline(in, line);)
        lines += !line.empty();
    return lines - 1;
}

class BearingCatalogues : public DriveTest {};

TEST_F(BearingCatalogues, FieldNamesFitTheRecordLayoutsAndTheIndexKey)
{
    for (TBearingType t = 1; t <= BearingTypeCount; ++t) {
        const auto& fields = TableFields(t);
        const std::string kinds = CatalogueLayoutOf(t)->kinds;
        ASSERT_EQ(fields.size(), kinds.size()) << BearingTableName(t);
        std::set<std::string> upper;
        for (std::size_t n = 0; n < fields.size(); ++n) {
            const std::string name = fields[n].name;
            EXPECT_EQ(fields[n].kind, kinds[n]) << name;
            EXPECT_LE(name.size(), 10u) << name;
            std::string u = name;
            std::transform(u.begin(), u.end(), u.begin(), [](unsigned char c) { return std::toupper(c); });
            EXPECT_TRUE(upper.insert(u).second) << BearingTableName(t) << ": " << name << " twice";
            if (n >= 1 && n <= 3) {
                EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(name[0])) &&
                            std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isalnum(c) || c == '_'; }))
                    << name << " is no name in an expression";
            }
        }
    }
    auto name = [](TBearingType t) { return [t](int n) { return std::string(TableFields(t)[static_cast<std::size_t>(n - 1)].name); }; };
    EXPECT_EQ(BearingCatalogueKey(name(DeepGrooveBall)), "DI*1000000+DA*1000+B");
    EXPECT_EQ(BearingCatalogueKey(name(TaperedRoller)), "DI*1000000+DA*1000+T");
}

TEST_F(BearingCatalogues, TheBuildWritesTheTwelveTablesWithTheFactorTablesBeside)
{
    for (TBearingType t = 1; t <= BearingTypeCount; ++t)
        EXPECT_TRUE(fs::exists(TablePath(t))) << TablePath(t);
    for (const char* f : {"rikula_n.hdf", "rikul_c3.hdf", "rikul_c4.hdf", "rikula_u.hdf"})
        EXPECT_FALSE(FindFileNoCase(CatalogueDir + "/" + f).empty()) << f;
}

// Layout, counts, bounds and order as two independent readers see them.
const char* const PeerCheck = R"(
import sys, dbfread, dbf
dbfdir, srcdir = sys.argv[1], sys.argv[2]
bad = []
for spec in sys.argv[3:]:
    name, kinds, rows = spec.split(':')
    path = '%s/%s.dbf' % (dbfdir, name)
    t = dbfread.DBF(path, encoding='cp850')
    if t.header.dbversion != 3:
        bad.append('%s: version %d' % (name, t.header.dbversion))
    got = ''
    for f in t.fields:
        if f.type == 'C': got += 'S'
        elif f.type == 'N' and (f.length, f.decimal_count) == (12, 4): got += 'R'
        elif f.type == 'N' and (f.length, f.decimal_count) == (10, 0): got += 'I'
        else: got += '?'
    if got != kinds:
        bad.append('%s: kinds %s' % (name, got))
    records = list(t)
    if len(records) != int(rows):
        bad.append('%s: %d records for %s source rows' % (name, len(records), rows))
    names = [f.name for f in t.fields]
    prev = None
    for r in records:
        d, D, B = r[names[1]], r[names[2]], r[names[3]]
        if not (0 < d < D and B > 0):
            bad.append('%s %s: d %s D %s B %s' % (name, r[names[0]], d, D, B))
        if prev and (prev[0] > d or (prev[0] == d and prev[1] > B)):
            bad.append('%s %s: out of order' % (name, r[names[0]]))
        prev = (d, B)
    p = dbf.Table(path, codepage='cp850')
    p.open(dbf.READ_ONLY)
    if len(p) != int(rows) or len(p.field_names) != len(kinds):
        bad.append('%s: python3-dbf reads %d records, %d fields' % (name, len(p), len(p.field_names)))
    elif len(p) and p[0][0].strip() != records[0][names[0]].strip():
        bad.append('%s: python3-dbf reads %r' % (name, p[0][0]))
    p.close()
print('\n'.join(bad))
sys.exit(1 if bad else 0)
)";

TEST_F(BearingCatalogues, PeerReadersSeeLayoutCountsBoundsAndOrder)
{
    REQUIRE_PYTHON("dbfread", "python3-dbfread");
    REQUIRE_PYTHON("dbf", "python3-dbf");
    std::vector<std::string> argv = {"/usr/bin/python3", "-c", PeerCheck, CatalogueDir, SourceDir};
    for (TBearingType t = 1; t <= BearingTypeCount; ++t)
        argv.push_back(BearingTableName(t) + ":" + CatalogueLayoutOf(t)->kinds + ":" + IntStr(SourceRowCount(t)));
    const ProgramRun run = RunProgram(argv);
    EXPECT_EQ(run.status, 0) << run.out;
}

// C and C0 of every deep-groove row from its source row by ISO 281 and
// ISO 76, independent of the program's own code.
const char* const RatingCheck = R"(
import sys, csv, math, dbfread
fc = [(0.01,29.1),(0.02,35.8),(0.03,40.3),(0.04,43.8),(0.05,46.7),(0.06,49.1),(0.07,51.1),(0.08,52.8),
      (0.09,54.3),(0.10,55.5),(0.12,57.5),(0.14,58.8),(0.16,59.6),(0.18,59.9),(0.20,59.9),(0.22,59.6),
      (0.24,59.0),(0.26,58.2),(0.28,57.1),(0.30,56.0),(0.32,54.6),(0.34,53.2),(0.36,51.7),(0.38,50.0),(0.40,48.4)]
f0 = [(0.00 + 0.01 * k, 14.7 + 0.2 * k) for k in range(10)] + [(0.10,16.4),(0.15,15.2),(0.20,14.0),(0.25,12.8),(0.30,11.6),(0.40,9.4)]
def lin(t, x):
    for (x0, y0), (x1, y1) in zip(t, t[1:]):
        if x0 <= x <= x1:
            return y0 + (y1 - y0) * (x - x0) / (x1 - x0)
    raise ValueError('gamma %f outside the table' % x)
table = {r['BEZ'].strip(): r for r in dbfread.DBF(sys.argv[1] + '/rikula.dbf', encoding='cp850')}
worst, rows = 0.0, 0
for s in csv.DictReader(open(sys.argv[2] + '/rikula.csv', encoding='utf-8')):
    z, dw = int(s['Z']), float(s['DW'])
    g = dw / ((float(s['DI']) + float(s['DA'])) / 2)
    c = 1.3 * lin(fc, g) * z ** (2 / 3) * (dw ** 1.8 if dw <= 25.4 else 3.647 * dw ** 1.4)
    c0 = lin(f0, g) * z * dw * dw
    r = table[s['BEZ']]
    worst = max(worst, abs(r['C'] / c - 1), abs(r['C0'] / c0 - 1))
    rows += 1
print('%d %.5f' % (rows, worst))
)";

TEST_F(BearingCatalogues, DeepGrooveRatingsAgreeWithTheirSourceWithinTwoPercent)
{
    REQUIRE_PYTHON("dbfread", "python3-dbfread");
    const ProgramRun run = RunProgram({"/usr/bin/python3", "-c", RatingCheck, CatalogueDir, SourceDir});
    ASSERT_EQ(run.status, 0) << run.out;
    int rows = 0;
    double worst = 1;
    std::istringstream(run.out) >> rows >> worst;
    EXPECT_EQ(rows, SourceRowCount(DeepGrooveBall));
    EXPECT_LT(worst, 0.02);
}

TEST_F(BearingCatalogues, DeepGrooveTableHoldsTheSeriesAUserExpects)
{
    const auto rows = ReadTableRows(DeepGrooveBall, TablePath(DeepGrooveBall));
    EXPECT_GE(rows.size(), 140u);
    std::map<std::string, const CatalogueRecord*> byName;
    for (const auto& r : rows)
        byName[r.Text(1)] = &r;
    auto has = [&](const std::string& name, Real d) {
        auto it = byName.find(name);
        EXPECT_TRUE(it != byName.end() && SameReal(it->second->RealField(2), d)) << name << " with bore " << RealStr(d);
    };
    for (Real d : {10, 12, 15, 17, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 85, 90, 95, 100}) {
        const int code = d == 10 ? 0 : d == 12 ? 1 : d == 15 ? 2 : d == 17 ? 3 : static_cast<int>(d / 5);
        const std::string c = IntStrZero(code, 2);
        for (const char* series : {"60", "62", "63", "618", "619"})
            has(series + c, d);
        if (d >= 12)
            has("160" + c, d);
    }
    for (int d = 3; d <= 9; ++d) {
        has("62" + IntStr(d), d);
        has("63" + IntStr(d), d);
        if (d >= 4)
            has("60" + IntStr(d), d);
    }
    struct Dim {
        const char* name;
        double d, D, B;
    };
    for (const Dim& x : {Dim{"6205", 25, 52, 15}, Dim{"6308", 40, 90, 23}, Dim{"608", 8, 22, 7}}) {
        const auto* r = byName.at(x.name);
        EXPECT_EQ(std::vector<double>({r->RealField(2), r->RealField(3), r->RealField(4)}), std::vector<double>({x.d, x.D, x.B})) << x.name;
    }
    // The preliminary design finds a bearing at every standard bore up to 100 mm.
    for (std::size_t k = 1; k <= drive::StdDiameterCount && drive::StdDiameters[k] <= 100; ++k) {
        const Real d = drive::StdDiameters[k], width = drive::StdBearingWidth(d);
        EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](const CatalogueRecord& r) {
            return SameReal(r.RealField(2), d) && (width == 0 || r.RealField(4) <= width);
        })) << "bore " << RealStr(d);
    }
    for (const auto& r : rows) {
        const double d = r.RealField(2), D = r.RealField(3), d1 = r.RealField(10), D1 = r.RealField(11);
        EXPECT_TRUE(d < d1 && d1 < (d + D) / 2 && (d + D) / 2 < D1 && D1 < D) << r.Text(1) << " shoulders";
    }
}

// Self-aligning ball bearings are rated with ISO 281's and ISO 76's own
// columns for them at their gamma (0.12 to 0.21 here), worked out by hand.
TEST_F(BearingCatalogues, SelfAligningRatingsFollowTheirOwnIsoColumns)
{
    const struct {
        const char* name;
        double C, C0;
    } expected[] = {{"1201", 5550, 1258}, {"1205", 11068, 3137}, {"1212", 25279, 9533}};
    const auto rows = ReadTableRows(SelfAligningBall, TablePath(SelfAligningBall));
    for (const auto& e : expected) {
        auto r = std::find_if(rows.begin(), rows.end(), [&](const CatalogueRecord& x) { return x.Text(1) == e.name; });
        ASSERT_NE(r, rows.end()) << e.name;
        EXPECT_NEAR(r->RealField(5), e.C, 1) << e.name;
        EXPECT_NEAR(r->RealField(6), e.C0, 1) << e.name;
    }
}

TEST_F(BearingCatalogues, EveryTableFillsItsFieldsOverItsRange)
{
    for (TBearingType t = 1; t <= BearingTypeCount; ++t) {
        const auto rows = ReadTableRows(t, TablePath(t));
        EXPECT_GE(rows.size(), 12u) << BearingTableName(t);
        const auto& fields = TableFields(t);
        for (const auto& r : rows)
            for (int n = 1; n <= r.FieldCount(); ++n) {
                const std::string name = fields[static_cast<std::size_t>(n - 1)].name;
                if (r.Kind(n) == 'S') {
                    EXPECT_FALSE(r.Text(n).empty()) << BearingTableName(t) << " " << r.Text(1) << " " << name;
                } else if (name != "PREIS") {
                    EXPECT_GT(r.RealField(n), 0) << BearingTableName(t) << " " << r.Text(1) << " " << name;
                }
            }
    }
    for (const auto& r : ReadTableRows(AngularContactBall, TablePath(AngularContactBall)))
        EXPECT_EQ(r.RealField(18), 40) << r.Text(1);
    for (const auto& r : ReadTableRows(DoubleRowAngularContact, TablePath(DoubleRowAngularContact))) {
        const Integer alpha = r.IntField(8);
        EXPECT_TRUE(alpha == 25 || alpha == 35 || alpha == 45) << r.Text(1);
    }
    // A full-complement needle row is the ring that the selection looks for.
    for (const auto& r : ReadTableRows(FullComplementNeedle, TablePath(FullComplementNeedle))) {
        const NeedleRing ring = FullComplementNeedleRing(r.RealField(11));
        EXPECT_EQ(static_cast<double>(StrToReal(FixedStrPoint(ring.Fw, 4, 3))), r.RealField(2)) << r.Text(1);
        EXPECT_EQ(ring.Z, r.IntField(6)) << r.Text(1);
        EXPECT_EQ(ring.Dw, r.RealField(5)) << r.Text(1);
        EXPECT_NEAR(r.RealField(3), r.RealField(2) + 2 * r.RealField(5), 1e-9) << r.Text(1);
    }
}

TEST_F(BearingCatalogues, SourceReaderRefusesWhatDoesNotFit)
{
    const std::string head = "BEZ,DI,DA,B,RMIN,Z,DW,TEXT\n";
    struct Case {
        std::string csv;
        std::string error; // part of the first error; "" for none
    };
    const Case cases[] = {
        {head + "6205,25,52,15,1,9,7.938,Rille\r\n", ""},
        {"BEZ,DI,DA,B,RMIN,Z,TEXT\n", "Spalte DW fehlt"},
        {"BEZ,DI,DA,B,RMIN,Z,DW,TEXT,PREIS,XX\n", "unbekannte Spalte \"XX\""},
        {head + "6205,25,52,15,1,9,7.938\n", "7 statt 8 Spalten"},
        {head + "6205,25,5x2,15,1,9,7.938,Rille\n", "Spalte DA"},
        {head + "6205,25,52,15,1,9,7,938,Rille\n", "9 statt 8"},
        {head + "6205,52,25,15,1,9,7.938,Rille\n", "0 < DI < DA"},
        {head + "6205,25,52,15,1,9,14,Rille\n", "DW passt nicht"},
        {head + "6205,25,52,15,1,0,7.938,Rille\n", "Z muss"},
        {head + "6205,25,52,15,1,9,nan,Rille\n", "keine Zahl"},
        {head + "6205,25,52,15,1,9,7.938,Rillenkugellager mit einem sehr langen Text\n", "TEXT l"},
        {head + ",25,52,15,1,9,7.938,Rille\n", "BEZ ist leer"},
    };
    for (const Case& c : cases) {
        catalogue::CatalogueSource out;
        const bool ok = catalogue::ReadCatalogueSource(DeepGrooveBall, c.csv, out);
        EXPECT_EQ(ok, c.error.empty()) << c.csv;
        if (!c.error.empty()) {
            EXPECT_TRUE(!out.errors.empty() && out.errors[0].find(c.error) != std::string::npos)
                << c.csv << (out.errors.empty() ? "" : out.errors[0]);
        }
    }
    catalogue::CatalogueSource out;
    EXPECT_FALSE(catalogue::ReadCatalogueSource(DoubleRowAngularContact,
                                                "BEZ,DI,DA,B,RMIN,Z,DW,ALPHA,TEXT\n3205,25,52,20.6,1,11,6.5,30,x\n", out));
    EXPECT_NE(out.errors.at(0).find("25, 35 oder 45"), std::string::npos);
}

TEST_F(BearingCatalogues, ToolRunReadsBackFieldForFieldAndKeepsTheTableOnARefusedSource)
{
    testing::ScratchDir dir;
    fs::create_directories(dir.File("src"));
    const std::string csv = "BEZ,DI,DA,B,RMIN,Z,DW,TEXT\n"
                            "6305,25,62,17,1.1,7,11.5,Prüflager\n"
                            "6205,25,52,15,1,9,7.938,Reihe 62\n"
                            "6005,25,47,12,0.6,10,6.35,Reihe 60\n";
    dir.Put("src/rikula.csv", csv);
    ProgramRun run = RunProgram({KT4_CATALOGUE_TOOL, dir.File("src"), dir.File("out"), "rikula"});
    ASSERT_EQ(run.status, 0) << run.out;

    catalogue::CatalogueSource source;
    ASSERT_TRUE(catalogue::ReadCatalogueSource(DeepGrooveBall, csv, source));
    const auto rows = ReadTableRows(DeepGrooveBall, dir.File("out/rikula.dbf"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].Text(1), "6005"); // by width within the bore
    for (std::size_t k = 0; k < rows.size(); ++k) {
        EXPECT_EQ(rows[k].RecNo(), static_cast<Integer>(k + 1));
        for (int n = 1; n <= rows[k].FieldCount(); ++n) {
            if (rows[k].Kind(n) == 'S')
                EXPECT_EQ(rows[k].Text(n), DisplayToOem(source.rows[k].Text(n))) << n;
            else
                EXPECT_DOUBLE_EQ(rows[k].RealField(n), source.rows[k].Value(n)) << n;
        }
    }

    const std::string before = dir.Get("out/rikula.dbf");
    dir.Put("src/rikula.csv", csv + "6206,30,62,16,1,9,abc,Reihe 62\n");
    run = RunProgram({KT4_CATALOGUE_TOOL, dir.File("src"), dir.File("out"), "rikula"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("rikula.csv, Zeile 5"), std::string::npos) << run.out;
    EXPECT_EQ(dir.Get("out/rikula.dbf"), before);
    EXPECT_FALSE(fs::exists(dir.File("out/rikula.dbf.part")));
}

} // namespace
} // namespace kt4::drivetest
