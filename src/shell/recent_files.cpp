#include "shell/recent_files.h"

#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"

#include <filesystem>

namespace kt4::shell {

namespace fs = std::filesystem;

namespace {
constexpr int RecentCount = 4;
} // namespace

std::string RecentFilePath(const std::string& Name)
{
    // the file as it is named on disk ("PROJ.KT4" for the current "PROJ")
    fs::path name(Name);
    std::string joined = name.is_absolute() || settings::DataDir.empty()
                             ? Name
                             : (fs::path(settings::DataDir) / name).string();
    // a project read from a file of another extension ("c.dxf") is saved
    // there, and listed so
    fs::path full(DataFileFor("", joined, settings::DataFileExt));
    std::error_code ec;
    fs::path abs = fs::absolute(full, ec);
    return (ec ? full : abs).lexically_normal().string();
}

void AddRecentFile(const std::string& Name)
{
    auto& list = settings::RecentFiles;
    std::string full = RecentFilePath(Name);
    for (int k = RecentCount; k >= 1; --k)
        if (LowerStr(list[k]) == LowerStr(full))
            RemoveRecentFile(k);
    for (int k = RecentCount; k >= 2; --k)
        list[k] = list[k - 1];
    list[1] = full;
}

void RemoveRecentFile(int K)
{
    auto& list = settings::RecentFiles;
    if (K < 1 || K > RecentCount)
        return;
    for (int k = K; k < RecentCount; ++k)
        list[k] = list[k + 1];
    list[RecentCount] = "";
}

std::string ShortenPath(const std::string& Path)
{
    if (Path.size() < 50)
        return Path;
    std::size_t p = Path.find_first_of("/\\");
    std::size_t q = Path.find_last_of("/\\");
    if (p == std::string::npos || p >= q)
        return Path;
    return Path.substr(0, p + 1) + "..." + Path.substr(q);
}

std::string RecentFileCaption(int K)
{
    if (K < 1 || K > RecentCount || settings::RecentFiles[K].empty())
        return "";
    std::string shown = ShortenPath(settings::RecentFiles[K]);
    std::string escaped; // a "&" of the name is no mnemonic
    for (char ch : shown)
        escaped += ch == '&' ? std::string("&&") : std::string(1, ch);
    return "&" + std::to_string(K) + " " + escaped;
}

} // namespace kt4::shell
