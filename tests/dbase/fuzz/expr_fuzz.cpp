// Compiles arbitrary expression text against a small table (fields of every
// type, a second table under an alias) and evaluates what compiles on each
// record, on the blank record after the end, and once more after the
// aliased table was closed.
#include "common/fuzz_support.h"
#include "dbase/dbase.h"
#include "dbase/expr/expr.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using namespace kt4::dbase;

std::string Folder()
{
    std::string dir = kt4::fuzz::ScratchDir();
    dir.pop_back(); // the trailing "/"
    return dir;
}

void AddRow(const char* name, double price, int qty, bool ok, const char* day)
{
    ClearRecord();
    TypedBuffer b = Buffer();
    b.SetText(1, name);
    b.SetNumber(2, price);
    b.SetInteger(3, qty);
    b.SetLogical(4, ok);
    b.SetText(5, day);
    b.SetNumber(6, price / 3);
    Append();
}

// Area 1: T (NAME C12, PRICE N10.2, QTY N5, OK L, DAY D, RATE F12.4, NOTE M)
// with three records; area 2: O (CODE C3, N N3) with one.
void OpenTables()
{
    const std::string t = Folder() + "/T.DBF";
    const std::string o = Folder() + "/O.DBF";
    CreateDbf(t, {{"NAME", 'C', 12, 0}, {"PRICE", 'N', 10, 2}, {"QTY", 'N', 5, 0}, {"OK", 'L', 1, 0},
                  {"DAY", 'D', 8, 0}, {"RATE", 'F', 12, 4}, {"NOTE", 'M', 10, 0}});
    CreateDbf(o, {{"CODE", 'C', 3, 0}, {"N", 'N', 3, 0}});
    Select(2);
    USE(o + " ALIAS O EXCLUSIVE");
    ClearRecord();
    Buffer().SetText(1, "abc");
    Buffer().SetInteger(2, -5);
    Append();
    Select(1);
    USE(t + " ALIAS T EXCLUSIVE");
    AddRow("Meier", 123.45, 7, true, "17.05.24");
    AddRow("M\xFCller  ", -0.5, 0, false, "29.02.00");
    AddRow("", 1e7, -99, true, "  .  .  ");
}

// Before the private folder goes at exit.
void CloseTables() { CloseAll(); }

bool Init()
{
    InitEngine();
    InitExpressions();
    SetReportErrors(false);
    SetLanguage(5);
    OpenTables();
    std::atexit(CloseTables);
    return true;
}

void EvaluateEverywhere(TExpr& e)
{
    Select(1);
    for (GoTop(); !dEOF(); SKIP(1))
        Evaluate(e);
    Evaluate(e); // the blank record at the end
    GoTop();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = Init();
    (void)ready;
    const std::string text(reinterpret_cast<const char*>(data), size);
    Select(1);
    ExprPtr e = CompileExpr(text);
    if (!e)
        return 0;
    EvaluateEverywhere(*e);
    (void)e->Text();
    // Aliased references to a closed area: an error and blank values.
    Select(2);
    USE("");
    EvaluateEverywhere(*e);
    Select(2);
    USE(Folder() + "/O.DBF ALIAS O EXCLUSIVE");
    Select(1);
    return 0;
}
