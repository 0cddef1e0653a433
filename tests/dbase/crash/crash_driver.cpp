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
//   crash_driver make-memo TABLE N NDX  N records with memos ("R<n>:" and a text; every
//                                       third deleted) and an index on NAME
//   crash_driver pack-memo TABLE NDX    PACK with the memo file and the index (shared open)
//   crash_driver check-memo TABLE       USE, then every record's memo begins with its name:
//                                       prints the record count (exit 1 when refused)
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

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

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

int MakeMemo(const std::string& table, long n, const std::string& ndx)
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
        Buffer().SetInteger(2, i);
        Buffer().SetMemoRef(3, AddMemo(name + ":" + std::string(std::size_t(20 + (i * 37) % 900), char('a' + i % 26))));
        if (!Append() || (i % 3 == 0 && !DeleteRec()))
            return Fail("append");
    }
    if (!Index_On("NAME", ndx))
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
    if (cmd == "make-memo" && argc == 5)
        return MakeMemo(target, std::stol(argv[3]), argv[4]);
    if (cmd == "check-memo")
        return CheckMemo(target);
    if (cmd == "sweep")
        return kt4::RemoveStaleTemporariesIn(target) >= 0 ? 0 : 1;
    const bool memoPack = cmd == "pack-memo" && argc == 4; // with its index open
    if (memoPack || cmd == "pack" || cmd == "repair") {
        if (memoPack)
            LinkModules();
        if (!USE(target + (cmd == "repair" ? " EXCLUSIVE" : "")) || (memoPack && !SetIndexTo(argv[3], 1)))
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
