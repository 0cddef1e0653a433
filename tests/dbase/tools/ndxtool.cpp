// Test driver of the NDX unit (built with the tests, not part of wkt4).
//   ndxtool index TABLE NDX EXPR [UNIQUE]
//   ndxtool list TABLE NDX
//   ndxtool seek TABLE NDX [--exact] KEY...
//   ndxtool check TABLE NDX...   (the file's invariants and the engine's walk)
//   ndxtool churn TABLE --ops N --seed S NDX...
//   ndxtool grow TABLE N --seed S NDX...    (appends only)
//   ndxtool reindex TABLE NDX...
//   ndxtool replace TABLE REC TEXT [--flush] NDX...   (field 1, shared; a failed
//                                 REPLACE is made once more; prints both codes)
// Keys and expressions are UTF-8 on the command line; an engine error
// prints its text and ends with 1.
#include "dbase/dbase.h"
#include "dbase/engine/keys_date.h"
#include "dbase/expr/expr.h"
#include "foundation/codepage.h"
#include "foundation/ui_headless.h"
#include "tools/ndx_check.h"

#include <cstdio>
#include <iostream>
#include <random>
#include <string>
#include <vector>

using namespace kt4::dbase;

namespace {

std::string EngineText(const std::string& utf8)
{
    return OemToAnsi(kt4::DisplayToOem(utf8));
}

int Fail()
{
    std::cerr << "ndxtool: " << ErrorMessage(EngineErrorCode) << " " << LastErrorText()
              << "\n";
    return 1;
}

int Usage()
{
    std::cerr << "usage: ndxtool index TABLE NDX EXPR [UNIQUE] | list TABLE NDX | seek TABLE NDX "
                 "[--exact] KEY... | check TABLE NDX... | churn TABLE --ops N --seed S NDX... | grow TABLE N "
                 "--seed S NDX... | reindex TABLE NDX... | replace TABLE REC TEXT [--flush] NDX...\n";
    return 2;
}

bool Open(const std::string& table, bool exclusive)
{
    return USE(table + (exclusive ? " EXCLUSIVE" : ""));
}

int Build(const std::vector<std::string>& a)
{
    if (a.size() < 3 || !Open(a[0], true))
        return a.size() < 3 ? Usage() : Fail();
    std::string name = a[1] + (a.size() > 3 ? " " + a[3] : "");
    return Index_On(EngineText(a[2]), name) ? 0 : Fail();
}

int List(const std::vector<std::string>& a)
{
    if (a.size() != 2)
        return Usage();
    if (!Open(a[0], true) || !SetIndexToCB(a[1], 1, nullptr, nullptr))
        return Fail();
    for (GoTop(); !dEOF() && EngineErrorCode == 0; SKIP(1))
        std::printf("%d\n", RecNo());
    return EngineErrorCode == 0 ? 0 : Fail();
}

int SeekKeys(const std::vector<std::string>& a)
{
    if (a.size() < 3)
        return Usage();
    if (!Open(a[0], true) || !SetIndexTo(a[1], 1))
        return Fail();
    Set_Order_To(1);
    std::size_t i = 2;
    if (a[i] == "--exact") {
        IndexExact = true;
        ++i;
    }
    for (; i < a.size(); ++i) {
        const bool found = Find(EngineText(a[i]));
        if (EngineErrorCode != 0)
            return Fail();
        std::printf("%d\n", found ? RecNo() : 0);
    }
    return 0;
}

int Check(const std::vector<std::string>& a)
{
    if (a.size() < 2)
        return Usage();
    if (!Open(a[0], true))
        return Fail();
    int status = 0;
    for (std::size_t i = 1; i < a.size(); ++i) {
        if (!SetIndexTo(a[i], int(i)))
            return Fail();
        kt4::dbase::check::NdxChecker checker;
        if (!checker.CheckFile(IndexFileName(int(i))) || !checker.CheckRecords(int(i))) {
            std::printf("%s: %s\n", a[i].c_str(), checker.Problem().c_str());
            status = 1;
        }
        // The engine's own walk over the whole index.
        std::vector<std::int32_t> order;
        Set_Order_To(int(i));
        if (EngineErrorCode == 0)
            RecordsInKeyOrder(order);
        if (EngineErrorCode != 0) {
            std::printf("%s: %s %s\n", a[i].c_str(), ErrorMessage(EngineErrorCode).c_str(), LastErrorText().c_str());
            status = 1;
        }
    }
    return status;
}

std::string RandomText(std::mt19937& rng, int len)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string s;
    const int n = 1 + int(rng() % std::uint32_t(len));
    for (int i = 0; i < n; ++i)
        s += letters[rng() % 36];
    return s;
}

void RandomFields(std::mt19937& rng)
{
    TypedBuffer b = Buffer();
    for (int f = 1; f <= FieldCount(); ++f) {
        switch (FieldType(f)) {
        case 'C': b.SetText(f, RandomText(rng, FieldLen(f))); break;
        case 'N':
        case 'F': b.SetNumber(f, double(rng() % 100000) / (FieldDec(f) > 0 ? 100.0 : 1.0)); break;
        case 'L': b.SetLogical(f, rng() % 2 == 0); break;
        case 'D':
            b.SetText(f, JulianToDateText(DateToJulian(1990 + int(rng() % 40), 1 + int(rng() % 12),
                                                       1 + int(rng() % 28))));
            break;
        default: break;
        }
    }
}

int Grow(const std::vector<std::string>& a)
{
    if (a.size() < 4 || a[2] != "--seed")
        return Usage();
    const long n = std::stol(a[1]);
    std::mt19937 rng(std::uint32_t(std::stoul(a[3])));
    if (!Open(a[0], true))
        return Fail();
    for (std::size_t i = 4; i < a.size(); ++i)
        if (!SetIndexTo(a[i], int(i - 3)))
            return Fail();
    for (long i = 0; i < n; ++i) {
        ClearRecord();
        RandomFields(rng);
        if (!Append())
            return Fail();
    }
    USE("");
    return EngineErrorCode == 0 ? 0 : Fail();
}

int Rebuild(const std::vector<std::string>& a)
{
    if (a.size() < 2)
        return Usage();
    if (!Open(a[0], true))
        return Fail();
    for (std::size_t i = 1; i < a.size(); ++i)
        if (!SetIndexTo(a[i], int(i)))
            return Fail();
    Reindex();
    return EngineErrorCode == 0 ? 0 : Fail();
}

// A key change in a shared area, made once more when it fails (as a user
// would try again).
int Replace(const std::vector<std::string>& a)
{
    if (a.size() < 3)
        return Usage();
    std::size_t i = 3;
    FlushWrites = i < a.size() && a[i] == "--flush";
    i += FlushWrites;
    if (!Open(a[0], false))
        return Fail();
    for (int slot = 1; i < a.size(); ++i, ++slot)
        if (!SetIndexTo(a[i], slot))
            return Fail();
    GO(std::stoi(a[1]));
    if (EngineErrorCode != 0 || !RLock())
        return Fail();
    Buffer().SetText(1, EngineText(a[2]));
    const int first = REPLACE() ? 0 : EngineErrorCode;
    const int again = first == 0 || REPLACE() ? 0 : EngineErrorCode;
    std::printf("%d %d\n", first, again);
    std::fflush(stdout);
    USE("");
    return again == 0 && EngineErrorCode == 0 ? 0 : Fail();
}

int Churn(const std::vector<std::string>& a)
{
    if (a.size() < 6 || a[1] != "--ops" || a[3] != "--seed")
        return Usage();
    const long ops = std::stol(a[2]);
    std::mt19937 rng(std::uint32_t(std::stoul(a[4])));
    if (!Open(a[0], false))
        return Fail();
    for (std::size_t i = 5; i < a.size(); ++i)
        if (!SetIndexTo(a[i], int(i - 4)))
            return Fail();
    Set_Order_To(1);
    long refused = 0, timeouts = 0;
    auto ok = [&]() {
        if (EngineErrorCode == 0)
            return true;
        if (EngineErrorCode == 1202) {
            ++timeouts;
            EngineErrorCode = 0;
            return true;
        }
        return false;
    };
    for (long op = 0; op < ops; ++op) {
        switch (rng() % 4) {
        case 0:
            if (!ALock()) {
                ++refused;
                break;
            }
            ClearRecord();
            RandomFields(rng);
            Append();
            Unlock();
            break;
        case 1: {
            const std::int32_t n = RecCount();
            if (n == 0)
                break;
            GO(1 + std::int32_t(rng() % std::uint32_t(n)));
            if (!ok())
                return Fail();
            if (!RLock()) {
                ++refused;
                break;
            }
            SKIP(0);
            RandomFields(rng);
            REPLACE();
            if (EngineErrorCode == 1203) // changed by another program meanwhile
                EngineErrorCode = 0;
            UnlockRec(-3);
            break;
        }
        case 2:
            Find(RandomText(rng, 2));
            break;
        default:
            SKIP(1 + std::int32_t(rng() % 3));
            if (EngineErrorCode == 212)
                EngineErrorCode = 0, GoTop();
            break;
        }
        if (!ok())
            return Fail();
    }
    std::printf("ops %ld refused %ld timeouts %ld\n", ops, refused, timeouts);
    USE("");
    return EngineErrorCode == 0 ? 0 : Fail();
}

} // namespace

int main(int argc, char** argv)
{
    kt4::UseHeadlessUi().quiet = true;
    InitEngine();
    InitExpressions();
    IndexInit();
    SetReportErrors(false);
    SetExceptionMode(false);
    if (argc < 3)
        return Usage();
    const std::string cmd = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    int status;
    if (cmd == "index")
        status = Build(args);
    else if (cmd == "list")
        status = List(args);
    else if (cmd == "seek")
        status = SeekKeys(args);
    else if (cmd == "check")
        status = Check(args);
    else if (cmd == "churn")
        status = Churn(args);
    else if (cmd == "grow")
        status = Grow(args);
    else if (cmd == "reindex")
        status = Rebuild(args);
    else if (cmd == "replace")
        status = Replace(args);
    else
        return Usage();
    ShutdownEngine();
    return status;
}
