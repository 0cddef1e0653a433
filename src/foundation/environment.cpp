#include "foundation/environment.h"

#include "foundation/paths.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <unistd.h>

#ifndef KT4_VERSION
#define KT4_VERSION "0"
#endif

namespace kt4 {

namespace environment {
std::vector<std::string> CommandLineParams;
} // namespace environment

void SetCommandLine(int argc, const char* const* argv)
{
    environment::CommandLineParams.clear();
    for (int k = 1; k < argc; ++k)
        environment::CommandLineParams.emplace_back(argv[k]);
}

bool OpenClosedStandardDescriptors()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // the lowest free number, which is fd: those below it are open
        const int got = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (got < 0)
            return false;
        if (got != fd) {
            const bool moved = ::dup2(got, fd) == fd;
            ::close(got);
            if (!moved)
                return false;
        }
    }
    return true;
}

std::string GetEnvVar(const std::string& Name)
{
    const char* v = std::getenv(Name.c_str());
    return v ? std::string(v).substr(0, 255) : std::string();
}

bool HasParam(const std::string& Switch)
{
    std::string s = UpperStr(Switch);
    for (const auto& p : environment::CommandLineParams)
        if (UpperStr(p) == s)
            return true;
    return false;
}

std::string FormatFileVersion(int Major, int Minor, int Release, int Build)
{
    std::string v = std::to_string(Major) + "." + std::to_string(Minor);
    if (Release > 0) {
        v += "." + std::to_string(Release);
        if (Build >= 1)
            v += "." + std::to_string(Build);
    }
    return v;
}

namespace {

std::string OwnVersion()
{
    int part[4] = {0, 0, 0, 0};
    std::istringstream in(KT4_VERSION);
    std::string item;
    for (int k = 0; k < 4 && std::getline(in, item, '.'); ++k)
        part[k] = std::atoi(item.c_str());
    return FormatFileVersion(part[0], part[1], part[2], part[3]);
}

bool IsOwnProgram(const std::string& FileName)
{
    std::string name = LowerStr(TrimBlanks(FileName));
    if (name.empty())
        return true;
    std::string base = LowerStr(FileBaseName(name));
    std::string own = "w" + LowerStr(settings::BaseName);
    return base == own || base == "wkt4";
}

} // namespace

std::string GetFileVersion(const std::string& FileName)
{
    return IsOwnProgram(FileName) ? OwnVersion() : "0";
}

} // namespace kt4
