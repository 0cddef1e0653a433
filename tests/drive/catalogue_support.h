// Shared by the catalogue tests: the built catalogue folder, running a
// program (the table tool, Python with the peer DBF readers), and reading a
// built table row by row through the catalogue record readers.
#pragma once

#include "dbase/dbase.h"
#include "drive/bearing_catalogue_record.h"
#include "drive/bearing_selection.h"
#include "drive/bearing_takeover.h"
#include "drive/drive_series.h"
#include "foundation/maths.h"
#include "foundation/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kt4::drivetest {

inline const std::string CatalogueDir = KT4_CATALOGUE_DIR;

struct ProgramRun {
    int status = -1;
    std::string out; // standard output and error
};

inline ProgramRun RunProgram(const std::vector<std::string>& argv)
{
    ProgramRun run;
    int pipefd[2];
    if (::pipe(pipefd) != 0)
        return run;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipefd[1], 1);
        ::dup2(pipefd[1], 2);
        ::close(pipefd[0]);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(pipefd[1]);
    char buf[4096];
    ssize_t n;
    while ((n = ::read(pipefd[0], buf, sizeof buf)) > 0)
        run.out.append(buf, static_cast<std::size_t>(n));
    ::close(pipefd[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 100;
    return run;
}

// Python with the Debian peer readers; a missing module fails in CI and
// skips elsewhere (tests/dbase/packages.txt installs them).
inline bool PythonHas(const std::string& module)
{
    return std::filesystem::exists("/usr/bin/python3") &&
           RunProgram({"/usr/bin/python3", "-c", "import " + module}).status == 0;
}

#define REQUIRE_PYTHON_MODULE(module, package)                                               \
    do {                                                                                     \
        if (!::kt4::drivetest::PythonHas(module)) {                                          \
            if (std::getenv("CI"))                                                           \
                FAIL() << "python module " << module << " is missing: install " << package;  \
            GTEST_SKIP() << "python module " << module << " is missing: install " << package; \
        }                                                                                    \
    } while (0)

// Every row of a table file as its type's record buffer holds it (texts in
// OEM, trailing blanks of the fixed-width fields removed).
inline std::vector<CatalogueRecord> ReadTableRows(TBearingType Typ, const std::string& Path)
{
    std::vector<CatalogueRecord> rows;
    dbase::InitEngine();
    dbase::QuietErrors quiet;
    const int area = dbase::CurrentAreaNo();
    if (!dbase::Select(0) || !dbase::UseTable({Path, "CATTEST", false})) {
        ADD_FAILURE() << Path << ": " << dbase::LastErrorText();
        return rows;
    }
    auto field = [](int n) {
        std::string s = dbase::AnsiToOem(dbase::FieldText(n));
        s.erase(s.find_last_not_of(' ') + 1);
        return s;
    };
    const bool aborted = settings::AbortFlag; // the readers stop while it is set
    settings::AbortFlag = false;
    for (std::int32_t r = 1; r <= dbase::RecCount(); ++r) {
        dbase::GO(r);
        CatRecordReaderOf(Typ)(field, r);
        rows.push_back(bearings::CatalogueBuffers[Typ]);
    }
    settings::AbortFlag = aborted;
    dbase::CloseCurrentArea();
    dbase::Select(area);
    return rows;
}

// The automatic pick over Rows (one table, in its stored order, which is
// the order of the bore index): the last row of bore d not wider than B, or
// the first row of bore d when that is already wider; none: the slot stays.
inline void InstallTablePick(std::vector<CatalogueRecord> Rows)
{
    CatalogueSelectionHooks().autoSelect = [Rows](TBearingType Typ, Word Slot, Real d, Real B, Real Fr, Real Fa) {
        if (Typ == DeepGrooveBall && B == 0)
            B = drive::StdBearingWidth(d);
        const CatalogueRecord* pick = nullptr;
        for (const auto& r : Rows) {
            if (!SameReal(r.RealField(2), d))
                continue;
            if (pick && r.RealField(4) > B)
                break;
            pick = &r;
            if (r.RealField(4) > B)
                break;
        }
        if (!pick)
            return;
        bearings::CatalogueBuffers[Typ] = *pick;
        BearingTakeOver(Slot, Typ, Fr, Fa);
        settings::CalcErrorFlag = false;
    };
}

} // namespace kt4::drivetest
