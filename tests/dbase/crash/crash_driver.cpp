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
#include "dbase/dbase.h"
#include "drive/projectfile.h"
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
    if (cmd == "pack" || cmd == "repair") {
        if (!USE(target + (cmd == "repair" ? " EXCLUSIVE" : "")))
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
