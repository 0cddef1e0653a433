// A folder of project files for the list tests and the benchmark: one
// file written by the program, and copies of it in which the lines of dp,
// dH and the output speed carry each project's own values.
#pragma once

#include "drive/drive_data.h"
#include "drive/projectfile.h"
#include "foundation/linefile.h"
#include "foundation/settings.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace kt4::shelltest {

struct ListedProject {
    std::string name;
    Real dp, dH, n2;
};

// Project k: dp 30 + (k mod 9) / 2, dH dp + 1 + (k mod 4) / 2, output
// speed 10 + k mod 91. Names "p0000.kt4" on.
inline std::vector<ListedProject> WriteProjectFolder(const std::string& Folder, int Count)
{
    namespace fs = std::filesystem;
    const Real sentinel[3] = {31.25L, 33.75L, 47.5L};
    drive::InitDriveData();
    drive::dp = sentinel[0];
    drive::dH = sentinel[1];
    drive::n[2] = sentinel[2];
    const std::string tmpl = (fs::path(Folder).parent_path() / "template.kt4").string();
    if (!project::WriteDataFile(tmpl))
        throw std::runtime_error("template not written");
    settings::AbortFlag = false;
    std::ifstream in(tmpl, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    in.close();
    fs::remove(tmpl);
    std::vector<std::string> lines;
    std::string text = bytes.str();
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    int at[3] = {-1, -1, -1};
    for (int v = 0; v < 3; ++v)
        for (std::size_t k = 0; k < lines.size(); ++k)
            if (lines[k] == FileRealStr(sentinel[v])) {
                if (at[v] >= 0)
                    throw std::runtime_error("sentinel not unique");
                at[v] = static_cast<int>(k);
            }
    std::vector<ListedProject> projects;
    fs::create_directories(Folder);
    for (int k = 0; k < Count; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "p%04d.kt4", k);
        ListedProject p{name, 30 + (k % 9) / 2.0L, 0, static_cast<Real>(10 + k % 91)};
        p.dH = p.dp + 1 + (k % 4) / 2.0L;
        lines[static_cast<std::size_t>(at[0])] = FileRealStr(p.dp);
        lines[static_cast<std::size_t>(at[1])] = FileRealStr(p.dH);
        lines[static_cast<std::size_t>(at[2])] = FileRealStr(p.n2);
        std::ofstream out((fs::path(Folder) / name).string(), std::ios::binary);
        for (const auto& line : lines)
            out << line << "\r\n";
        projects.push_back(p);
    }
    drive::InitDriveData();
    return projects;
}

} // namespace kt4::shelltest
