// Running the independent peer programs of the cross-checks: a program
// with an argument vector and its output, Python snippets, and the checks
// that fail under ./test and CI (and skip under a plain ctest) when a tool
// is missing (tests/dbase/packages.txt installs them).
#pragma once

#include "common/run_program.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kt4::dbase::test {

using kt4::test::RunProgram;
using kt4::test::ToolRun;

// True when the tool is there; otherwise fails (./test) or skips the test.
#define REQUIRE_TOOL(path, package)                                                          \
    do {                                                                                     \
        if (!std::filesystem::exists(path)) {                                                \
            if (kt4::test::PeersRequired())                                                  \
                FAIL() << path << " is missing: install " << package;                        \
            GTEST_SKIP() << path << " is missing: install " << package                       \
                         << " (tests/dbase/packages.txt)";                                   \
        }                                                                                    \
    } while (0)

inline ToolRun Python(const std::string& script, const std::vector<std::string>& args = {})
{
    std::vector<std::string> argv = {"/usr/bin/python3", "-c", script};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv);
}

inline bool PythonHas(const std::string& module)
{
    return std::filesystem::exists("/usr/bin/python3") &&
           Python("import " + module).status == 0;
}

#define REQUIRE_PYTHON(module, package)                                                      \
    do {                                                                                     \
        if (!PythonHas(module)) {                                                            \
            if (kt4::test::PeersRequired())                                                  \
                FAIL() << "python module " << module << " is missing: install " << package;  \
            GTEST_SKIP() << "python module " << module << " is missing: install " << package \
                         << " (tests/dbase/packages.txt)";                                   \
        }                                                                                    \
    } while (0)

} // namespace kt4::dbase::test
