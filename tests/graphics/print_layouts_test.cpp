// Print settings and layouts without a window: the field checks, the
// layout table through the access layer (store, load, locks, full disk,
// folders that cannot be written, foreign tables) and the program's own
// table built from its source, read back by dbfread.
#include "layout_fixture.h"

#include "dbase/peer_tools.h"
#include "dbase/process_helpers.h"
#include "foundation/numstr.h"

#include <sstream>
#include <sys/stat.h>

namespace kt4::graphics::test {
namespace {

using dbase::test::Holder;
using dbase::test::Python;
using dbase::test::PythonHas;
using kt4::testing::ReadFileBytes;

PrintFields Fields(std::string sx, std::string sy, std::string ox, std::string oy)
{
    PrintFields f;
    f.scaleX = std::move(sx);
    f.scaleY = std::move(sy);
    f.originX = std::move(ox);
    f.originY = std::move(oy);
    f.mono = 1;
    f.orientation = 1;
    return f;
}

// Records of a table as dbfread reads them: one line per record,
// "name|xscale|yscale|xorigin|yorigin|L L L L" (logicals as 1/0).
std::vector<std::string> PeerRecords(const std::string& table)
{
    const auto run = Python("import dbfread,sys\n"
                            "sys.stdout.reconfigure(encoding='utf-8')\n"
                            "t=dbfread.DBF(sys.argv[1],encoding='cp850')\n"
                            "for r in t:\n"
                            " v=list(r.values())\n"
                            " print('|'.join([v[0],repr(float(v[1])),repr(float(v[2])),str(int(v[3])),"
                            "str(int(v[4]))])+'|'+' '.join(str(int(r[k])) for k in "
                            "('LANDSCAPE','MONOCHROM','VARIABLE','BORDERLINE')))\n",
                            {table});
    EXPECT_EQ(run.status, 0) << run.out;
    std::vector<std::string> lines;
    std::istringstream in(run.out);
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

std::string Line(const PrintLayoutRow& r)
{
    std::ostringstream s;
    s << r.name << '|' << FloatStr(r.xscale) << '|' << FloatStr(r.yscale) << '|' << r.xorigin << '|'
      << r.yorigin << '|' << r.landscape << ' ' << r.monochrom << ' ' << r.variable << ' ' << r.borderline;
    return s.str();
}

std::string PeerLine(std::string l)
{
    // repr(1.0) is "1.0", FloatStr(1) is "1"
    for (std::size_t p; (p = l.find(".0|")) != std::string::npos;)
        l.erase(p, 2);
    return l;
}

TEST(PrintFieldChecks, RefusedTextsNameTheirField)
{
    struct Case {
        PrintFields f;
        int field; // -1: accepted
        const char* says;
    };
    const Case cases[] = {
        {Fields("1", "0,5", "-1000", "1000"), -1, ""},
        {Fields("100", " 2.5 ", "$10", "0"), -1, ""},
        {Fields("0", "1", "0", "0"), 0, "Ma\xC3\x9Fstab x: G\xC3\xBCltiger Wertebereich"},
        {Fields("1", "100.01", "0", "0"), 1, "Wertebereich"},
        {Fields("1", "abc", "0", "0"), 1, "Ung\xC3\xBCltige Eingabe \"abc\" (Ma\xC3\x9Fstab y)"},
        {Fields("1", "1", "1.5", "0"), 2, "(Ursprung x)"},
        {Fields("1", "1", "0", "-1001"), 3, "Ursprung y: G\xC3\xBCltiger Wertebereich"},
        {Fields("-1", "1", "0", ""), 0, "Wertebereich"},
        {Fields("1", "1", "0", ""), 3, "(Ursprung y)"},
    };
    for (const Case& c : cases) {
        std::string message;
        int field = -1;
        EXPECT_EQ(CheckPrintFields(c.f, message, field), c.field < 0) << c.f.scaleX << " " << c.f.originY;
        if (c.field >= 0) {
            EXPECT_EQ(field, c.field);
            EXPECT_NE(message.find(c.says), std::string::npos) << message;
        }
    }
}

TEST(PrintLayoutSource, RefusedLinesAreCounted)
{
    std::vector<PrintLayoutRow> rows;
    std::vector<std::string> errors;
    EXPECT_TRUE(ReadPrintLayoutSource("h\n\"A, quer\",1,0.5,0,-7,T,F,T,F\r\n", rows, errors));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "A, quer");
    EXPECT_EQ(rows[0].yorigin, -7);
    EXPECT_TRUE(rows[0].landscape && !rows[0].monochrom && rows[0].variable && !rows[0].borderline);
    rows.clear();
    EXPECT_FALSE(ReadPrintLayoutSource("h\nA,0,1,0,0,T,F,T,F\nB,1,1,0,0,T,F,T\nC,1,1,0,0,T,F,T,X\n"
                                       "Ein Name mit mehr als 25 Zeichen,1,1,0,0,T,F,T,F\n",
                                       rows, errors));
    EXPECT_EQ(errors.size(), 4u);
    EXPECT_NE(errors[1].find("Zeile 3"), std::string::npos);
    errors.clear();
    EXPECT_FALSE(ReadPrintLayoutSource("nur die Kopfzeile\n", rows, errors));
}

TEST(PrintLayoutSource, BuiltTableAgreesWithItsSource)
{
    REQUIRE_PYTHON("dbfread", "python3-dbfread");
    std::vector<PrintLayoutRow> rows;
    std::vector<std::string> errors;
    ASSERT_TRUE(ReadPrintLayoutSource(ReadFileBytes(KT4_LAYOUT_SOURCE), rows, errors));
    const std::string built = std::string(KT4_CATALOGUE_DIR) + "/printout.dbf";
    const auto fields = Python("import dbfread,sys\n"
                               "t=dbfread.DBF(sys.argv[1],encoding='cp850')\n"
                               "print(' '.join(f.name+':'+f.type for f in t.fields))\n",
                               {built});
    EXPECT_EQ(fields.out, "NAME:C XSCALE:N YSCALE:N XORIGIN:N YORIGIN:N LANDSCAPE:L MONOCHROM:L "
                          "VARIABLE:L BORDERLINE:L\n");
    const auto peer = PeerRecords(built);
    ASSERT_EQ(peer.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(PeerLine(peer[i]), Line(rows[i]));
}

class Layouts : public LayoutTest {};

TEST_F(Layouts, StoreThenLoadGivesTheSameFields)
{
    REQUIRE_PYTHON("dbfread", "python3-dbfread");
    std::string error;
    ASSERT_TRUE(WritePrintLayoutTable({}, Table(), error)); // an empty table takes the first
    PrintFields f = Fields("1,25", "0.5", "20", "-7");
    f.mono = 0;
    f.orientation = 0;
    f.border = true;
    f.fit = true;
    ui->Script("Mein Layout für A3");
    ASSERT_TRUE(StorePrintLayout(f));
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(PeerRecords(Table()), std::vector<std::string>{"Mein Layout für A3|1.25|0.5|20|-7|0 1 1 1"});
    EXPECT_FALSE(std::filesystem::exists(OwnTable()));

    PrintFields loaded;
    ui->Script("1"); // the browser picks record 1
    ASSERT_TRUE(LoadPrintLayout(loaded));
    EXPECT_EQ(printer::PrintLayoutRecNo, 1);
    Real x = 0;
    ASSERT_TRUE(TryStrToReal(loaded.scaleX, x));
    EXPECT_DOUBLE_EQ(double(x), 1.25);
    ASSERT_TRUE(TryStrToReal(loaded.scaleY, x));
    EXPECT_DOUBLE_EQ(double(x), 0.5);
    EXPECT_EQ(loaded.originX, "20");
    EXPECT_EQ(loaded.originY, "-7");
    EXPECT_EQ(loaded.mono, 0);
    EXPECT_EQ(loaded.orientation, 0);
    EXPECT_TRUE(loaded.border && loaded.fit);
    EXPECT_TRUE(Logged("error").empty()) << Logged("error")[0];
}

TEST_F(Layouts, NothingIsStoredOnCancelRefusalOrLock)
{
    const auto before = ReadFileBytes(Table());
    ui->Script("<cancel>");
    EXPECT_FALSE(StorePrintLayout(Fields("1", "1", "0", "0")));
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_FALSE(StorePrintLayout(Fields("0", "1", "0", "0"))); // refused before the table opens
    EXPECT_EQ(ui->PendingAnswers(), 0u);

    Holder other;
    ASSERT_TRUE(other.Start([&] { return dbase::USE(Table()) && dbase::ALock(); }));
    ui->Script("Gesperrt");
    EXPECT_FALSE(StorePrintLayout(Fields("2", "2", "5", "5")));
    other.Release();
    EXPECT_TRUE(settings::AbortFlag);
    ASSERT_FALSE(Logged("error").empty());
    EXPECT_NE(Logged("error").back().find("Layout nicht gespeichert: die Tabelle ist von einem anderen "
                                          "Programm gesperrt"),
              std::string::npos);
    // neither a new record nor the values on the record the table stood on
    EXPECT_EQ(ReadFileBytes(Table()), before);
}

TEST_F(Layouts, AFailedWriteLeavesNoRecord)
{
    const auto before = ReadFileBytes(Table());
    ui->Script("Voll");
    {
        kt4::testing::FileSizeLimit full(before.size());
        ASSERT_TRUE(full.Active());
        EXPECT_FALSE(StorePrintLayout(Fields("2", "2", "5", "5")));
    }
    EXPECT_TRUE(settings::AbortFlag);
    ASSERT_EQ(Logged("error").size(), 1u) << "one message, not the layer's as well";
    EXPECT_NE(Logged("error")[0].find("Layout nicht gespeichert: Fehler Nr. 101 "
                                      "(Disketten-/Festplatten-Schreibfehler)"),
              std::string::npos)
        << Logged("error")[0];
    EXPECT_EQ(ReadFileBytes(Table()), before);
}

// As user nobody the table folder cannot be written: the table would open
// as a copy in the temporary folder, which the next open overwrites.
TEST_F(Layouts, AnUnwritableTableFolderStoresIntoTheWorkingFolder)
{
    dir.OpenToAll();
    std::filesystem::permissions(dir.File("work"), std::filesystem::perms::all);
    std::filesystem::permissions(dir.File("tmp"), std::filesystem::perms::all);
    std::filesystem::permissions(dir.File("dbf"), std::filesystem::perms::owner_all |
                                                      std::filesystem::perms::group_read |
                                                      std::filesystem::perms::group_exec |
                                                      std::filesystem::perms::others_read |
                                                      std::filesystem::perms::others_exec);
    const auto before = ReadFileBytes(Table());
    const int code = kt4::testing::AsUserNobody([&] {
        ui->Script("Im Arbeitsordner");
        if (!StorePrintLayout(Fields("0.7", "0.6", "3", "4")))
            return 1;
        PrintFields loaded;
        ui->Script("3");
        if (!LoadPrintLayout(loaded) || loaded.originY != "4")
            return 2;
        settings::WorkingDir = dir.File("nowhere");
        ui->Script("Nirgends");
        if (StorePrintLayout(Fields("1", "1", "0", "0")))
            return 3;
        return Told("printout.dbf: Ordner nicht beschreibbar") ? 0 : 4;
    });
    ASSERT_NE(code, 99) << "cannot drop root's rights";
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadFileBytes(Table()), before);
    ASSERT_TRUE(std::filesystem::exists(OwnTable()));
    EXPECT_EQ(PeerRecords(OwnTable()).back(), "Im Arbeitsordner|0.7|0.6|3|4|1 0 0 0");
}

TEST_F(Layouts, AForeignTableIsRefusedByField)
{
    struct Case {
        std::vector<dbase::FieldDef> fields;
        const char* missing;
    };
    const Case cases[] = {
        {{{"NAME", 'C', 10, 0}, {"XSCALE", 'N', 8, 3}, {"YSCALE", 'N', 8, 3}, {"XORIGIN", 'N', 5, 0}},
         "yorigin"},
        {{{"NAME", 'C', 10, 0}, {"XSCALE", 'D', 8, 0}, {"YSCALE", 'N', 8, 3}, {"XORIGIN", 'N', 5, 0},
          {"YORIGIN", 'N', 5, 0}, {"LANDSCAPE", 'L', 1, 0}, {"MONOCHROM", 'L', 1, 0},
          {"VARIABLE", 'L', 1, 0}, {"BORDERLINE", 'L', 1, 0}},
         "xscale"},
        {{{"NAME", 'C', 10, 0}, {"XSCALE", 'C', 8, 0}, {"YSCALE", 'N', 8, 3}, {"XORIGIN", 'N', 5, 0},
          {"YORIGIN", 'N', 5, 0}, {"LANDSCAPE", 'L', 1, 0}, {"MONOCHROM", 'L', 1, 0},
          {"VARIABLE", 'L', 1, 0}}, // no border line
         "borderline"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(Table());
        ASSERT_TRUE(dbase::CreateDbf(Table(), c.fields));
        ui->ClearLog();
        PrintFields f;
        ui->Script("1");
        EXPECT_FALSE(LoadPrintLayout(f));
        EXPECT_FALSE(settings::AbortFlag); // loading clears it
        ui->Script("Name");
        EXPECT_FALSE(StorePrintLayout(Fields("1", "1", "0", "0")));
        EXPECT_EQ(ui->PendingAnswers(), 2u) << "neither browser nor name prompt";
        ui->ClearScript();
        const auto errors = Logged("error");
        ASSERT_EQ(errors.size(), 2u);
        const std::string says = std::string("printout.dbf: Feld ") + c.missing + " fehlt";
        EXPECT_NE(errors[0].find(says), std::string::npos) << errors[0];
    }
}

} // namespace
} // namespace kt4::graphics::test
