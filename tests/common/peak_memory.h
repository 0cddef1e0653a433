// The peak resident memory of the process (Linux): a new peak starts at the
// present resident memory, so that one job's peak can be read.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>

namespace kt4::testing {

// The peak resident memory in MB since the last ResetPeak.
inline double PeakMb()
{
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0; // kB
    return 0;
}

inline void ResetPeak()
{
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

} // namespace kt4::testing
