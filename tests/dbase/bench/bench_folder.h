// The benchmarks' folders for their tables: subfolders of the process's
// private folder, removed with it when the run ends.
#pragma once

#include "foundation/private_temp.h"

#include <cstdlib>
#include <string>

namespace kt4::dbase {

// The subfolder, made on first need; without a trailing "/".
inline std::string BenchFolder(const std::string& name)
{
    std::string dir = PrivateTempSubdir(name);
    if (dir.empty())
        std::abort(); // nowhere to put the tables
    dir.pop_back();
    return dir;
}

} // namespace kt4::dbase
