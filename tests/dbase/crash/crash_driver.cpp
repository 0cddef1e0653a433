// The program's writers as separate processes for the kill -9 runs of
// tests/dbase/extra_crash.sh. Each stream says "go" on stdout when it starts
// the work that is to be killed, and runs until it is killed.
//
//   crash_driver make TABLE N [K]       a table of N records, every K-th deleted (3; 0 none)
//   crash_driver pack TABLE             PACK (shared open, as the program does)
//   crash_driver append TABLE excl|shared   appends without end
//   crash_driver append-one TABLE       one shared append, then close
//   crash_driver repair TABLE           exclusive open and PACK
//   crash_driver save FILE              saves the project over and over (two versions)
//   crash_driver save-once FILE A|B     saves one version
//   crash_driver make-memo TABLE N NDX...  N records with memos ("R<n>:" and a text; every
//                                       third deleted; NUM n % 700) and up to three indexes:
//                                       on NAME, on NUM UNIQUE and on LEFT(NAME,3)
//   crash_driver pack-memo TABLE NDX... PACK with the memo file and the indexes open (shared)
//   crash_driver check-memo TABLE       USE, then every record's memo begins with its name:
//                                       prints the record count (exit 1 when refused)
//   crash_driver check-keys TABLE NDX...  USE and SET INDEX of each index alone, then a Find of
//                                       every key the table holds: prints how many found the
//                                       first record holding the key, were refused with an
//                                       error naming the index, or were wrong (each told)
//   crash_driver make-from TABLE SOURCE NDX NDX  150 records with an index on NAME and one on
//                                       NUM UNIQUE; SOURCE: 400 records whose NUMs repeat
//   crash_driver append-from TABLE SOURCE NDX NDX  APPEND FROM with both indexes open (shared,
//                                       the table locked); says "done" after it
//   crash_driver sweep FOLDER           removes the temporaries of ended writers
#include "dbase/dbase.h"
#include "dbase/expr/expr.h"
#include "dbase/memo/memo.h"
#include "drive/projectfile.h"
#include "foundation/atomic_file.h"
#include "foundation/dialogs.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "shell/identity.h"
#include "shell/modules.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace kt4;
using namespace kt4::dbase;

int Fail(const char* what)
{
    std::fprintf(stderr, "crash_driver: %s failed (%u: %s)\n", what, EngineErrorCode,
                 LastErrorText().c_str());
    return 1;
}

void Go()
{
    std::fputs("go\n", stdout);
    std::fflush(stdout);
}

bool AppendRecord(std::int64_t n, bool shared)
{
    if (shared && !ALock())
        return false;
    ClearRecord();
    Buffer().SetText(1, "A" + std::to_string(::getpid()));
    Buffer().SetInteger(2, n % 100000000);
    bool ok = Append();
    if (shared)
        Unlock();
    return ok;
}

int Make(const std::string& table, long n, long every)
{
    if (!CreateDbf(table, {{"NAME", 'C', 10, 0}, {"NUM", 'N', 8, 0}}) || !USE(table + " EXCLUSIVE"))
        return Fail("create");
    for (long i = 1; i <= n; ++i) {
        ClearRecord();
        Buffer().SetText(1, "R" + std::to_string(i));
        Buffer().SetInteger(2, i);
        if (!Append() || (every > 0 && i % every == 0 && !DeleteRec()))
            return Fail("append");
    }
    USE("");
    return EngineErrorCode == 0 ? 0 : Fail("close");
}

int Stream(const std::string& table, bool shared)
{
    if (!USE(table + (shared ? "" : " EXCLUSIVE")))
        return Fail("open");
    LockRetries = 60000;
    LockRetryDelayMs = 1;
    Go();
    for (std::int64_t n = 1;; ++n)
        if (!AppendRecord(n, shared))
            return Fail("append");
}

void LinkModules()
{
    InitExpressions();
    IndexInit();
    MemoInit();
}

// The indexes of make-memo by their place on the command line.
const char* const kMemoKeys[] = {"NAME", "NUM", "LEFT(NAME,3)"};

int MakeMemo(const std::string& table, long n, const std::vector<std::string>& ndx)
{
    LinkModules();
    if (!SetCreateVersion(0x83) ||
        !CreateDbf(table, {{"NAME", 'C', 10, 0}, {"NUM", 'N', 8, 0}, {"NOTE", 'M', 10, 0}}) ||
        !USE(table + " EXCLUSIVE"))
        return Fail("create");
    for (long i = 1; i <= n; ++i) {
        ClearRecord();
        const std::string name = "R" + std::to_string(i);
        Buffer().SetText(1, name);
        Buffer().SetInteger(2, i % 700);
        Buffer().SetMemoRef(3, AddMemo(name + ":" + std::string(std::size_t(20 + (i * 37) % 900), char('a' + i % 26))));
        if (!Append() || (i % 3 == 0 && !DeleteRec()))
            return Fail("append");
    }
    for (std::size_t k = 0; k < ndx.size() && k < 3; ++k)
        if (!Index_On(kMemoKeys[k], ndx[k] + (k == 1 ? " UNIQUE" : "")))
            return Fail("index");
    USE("");
    return EngineErrorCode == 0 ? 0 : Fail("close");
}

bool OpenIndexes(const std::vector<std::string>& ndx)
{
    std::string list;
    for (const std::string& n : ndx)
        list += "\"" + n + "\" ";
    return ndx.empty() || SetIndexToList(list);
}

// Every key the table holds, with the first record holding it, found
// through each index opened alone.
int CheckKeys(const std::string& table, const std::vector<std::string>& ndx)
{
    LinkModules();
    long right = 0, refused = 0, wrong = 0;
    for (const std::string& file : ndx) {
        const std::string name = std::filesystem::path(file).filename().string();
        if (!USE(table + " EXCLUSIVE")) {
            std::printf("refused %u %s\n", EngineErrorCode, LastErrorText().c_str());
            return 1;
        }
        if (!SetIndexTo(file, 1)) {
            // refused by SET INDEX: every key is
            if (LastErrorText().find(name) != std::string::npos)
                refused += RecCount();
            else if (++wrong <= 20)
                std::printf("wrong: SET INDEX %s: %u %s\n", name.c_str(), EngineErrorCode, LastErrorText().c_str());
            USE("");
            continue;
        }
        Set_Order_To(1);
        std::map<std::string, std::int32_t> first;
        for (std::int32_t r = RecCount(); r >= 1; --r) {
            Dbf4RawGo(r);
            bool present = false;
            first[AllTrim(Index.KeyOfSlot(1, present))] = r;
        }
        for (const auto& [key, rec] : first) {
            const bool found = FindExact(key);
            if (found && RecNo() == rec) {
                ++right;
            } else if (!found && EngineErrorCode != 0 && LastErrorText().find(name) != std::string::npos) {
                ++refused;
            } else if (++wrong <= 20) {
                std::printf("wrong: %s \"%s\": %s record %d, first holding it %d (%u %s)\n", name.c_str(), key.c_str(),
                            found ? "found" : "not found", RecNo(), rec, EngineErrorCode, LastErrorText().c_str());
            }
        }
        USE("");
    }
    std::printf("right %ld refused %ld wrong %ld\n", right, refused, wrong);
    return 0;
}

int MakeFrom(const std::string& table, const std::string& source, const std::vector<std::string>& ndx)
{
    LinkModules();
    const std::vector<FieldDef> fields = {{"NAME", 'C', 10, 0}, {"NUM", 'N', 8, 0}};
    for (const bool target : {false, true}) {
        if (!CreateDbf(target ? table : source, fields) || !USE((target ? table : source) + " EXCLUSIVE"))
            return Fail("create");
        const long n = target ? 150 : 400;
        for (long i = 1; i <= n; ++i) {
            ClearRecord();
            Buffer().SetText(1, (target ? "T" : "S") + std::to_string(i));
            Buffer().SetInteger(2, target ? i % 97 : i * 7 % 250);
            if (!Append())
                return Fail("append");
        }
    }
    if (ndx.size() != 2 || !Index_On("NAME", ndx[0]) || !Index_On("NUM", ndx[1] + " UNIQUE"))
        return Fail("index");
    USE("");
    return EngineErrorCode == 0 ? 0 : Fail("close");
}

int CheckMemo(const std::string& table)
{
    LinkModules();
    if (!USE(table + " EXCLUSIVE")) {
        std::printf("refused %u %s\n", EngineErrorCode, LastErrorText().c_str());
        return 1;
    }
    for (std::int32_t r = 1; r <= RecCount(); ++r) {
        GO(r);
        std::string text;
        const std::string name = AllTrim(Buffer().Text(1));
        if (!GetMemoText(Buffer().MemoRef(3), text) || text.rfind(name + ":", 0) != 0) {
            std::printf("record %d (%s) reads another memo: %.20s\n", r, name.c_str(), text.c_str());
            return 2;
        }
    }
    std::printf("%d\n", RecCount());
    USE("");
    return EngineErrorCode == 0 ? 0 : Fail("close");
}

int SaveProject(const std::string& file, bool loop, bool versionB)
{
    shell::InitModules();
    shell::SetProgramIdentity();
    UseHeadlessUi().quiet = false;
    settings::DataDir = FilePathPart(file);
    settings::TempDir = settings::DataDir;
    dialogs::AskOverwrite = false;
    if (loop)
        Go();
    for (bool b = versionB;; b = !b) {
        settings::RemarkLines[0] = b ? "Version B" : "Version A";
        settings::AbortFlag = false;
        if (!project::WriteDataFile(file))
            return 1;
        if (!loop)
            return 0;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    const std::string cmd = argv[1], target = argv[2];
    UseHeadlessUi().quiet = true;
    SetReportErrors(false);
    if (cmd == "save")
        return SaveProject(target, true, false);
    if (cmd == "save-once" && argc == 4)
        return SaveProject(target, false, std::strcmp(argv[3], "B") == 0);
    if (cmd == "make" && argc >= 4)
        return Make(target, std::stol(argv[3]), argc == 5 ? std::stol(argv[4]) : 3);
    if (cmd == "append" && argc == 4)
        return Stream(target, std::strcmp(argv[3], "shared") == 0);
    if (cmd == "append-one") {
        if (!USE(target) || !AppendRecord(0, true))
            return Fail("append");
        USE("");
        return EngineErrorCode == 0 ? 0 : Fail("close");
    }
    const std::vector<std::string> rest(argv + std::min(argc, 4), argv + argc);
    if (cmd == "make-memo" && argc >= 5)
        return MakeMemo(target, std::stol(argv[3]), std::vector<std::string>(argv + 4, argv + argc));
    if (cmd == "check-memo")
        return CheckMemo(target);
    if (cmd == "check-keys")
        return CheckKeys(target, std::vector<std::string>(argv + 3, argv + argc));
    if (cmd == "make-from" && argc == 6)
        return MakeFrom(target, argv[3], rest);
    if (cmd == "append-from" && argc == 6) {
        LinkModules();
        if (!USE(target) || !OpenIndexes(rest) || !FLock())
            return Fail("open");
        Go();
        AppendFrom(argv[3]);
        if (EngineErrorCode != 0)
            return Fail("append from");
        std::fputs("done\n", stdout);
        std::fflush(stdout);
        USE("");
        return EngineErrorCode == 0 ? 0 : Fail("close");
    }
    if (cmd == "sweep")
        return kt4::RemoveStaleTemporariesIn(target) >= 0 ? 0 : 1;
    const bool memoPack = cmd == "pack-memo" && argc >= 4; // with its indexes open
    if (memoPack || cmd == "pack" || cmd == "repair") {
        if (memoPack)
            LinkModules();
        if (!USE(target + (cmd == "repair" ? " EXCLUSIVE" : "")) ||
            (memoPack && !OpenIndexes(std::vector<std::string>(argv + 3, argv + argc))))
            return Fail("open");
        Go();
        Pack();
        if (EngineErrorCode != 0)
            return Fail("pack");
        USE("");
        return EngineErrorCode == 0 ? 0 : Fail("close");
    }
    return 2;
}
