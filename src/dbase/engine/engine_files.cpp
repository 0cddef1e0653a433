#include "dbase/engine/engine_files.h"

#include "dbase/engine/dbf_file.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/locking.h"
#include "dbase/engine/runtime.h"
#include "foundation/settings.h"

#include <cerrno>
#include <climits>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace kt4::dbase {

int LastOsError = 0;

namespace {

std::vector<std::string> gUndeletable;

// DOS wildcard match without regard to ASCII case; "*.*" matches every name.
bool WildMatch(const char* mask, const char* name)
{
    if (*mask == 0)
        return *name == 0;
    if (*mask == '*') {
        if (std::string(mask) == "*.*")
            return true;
        for (const char* n = name;; ++n) {
            if (WildMatch(mask + 1, n))
                return true;
            if (*n == 0)
                return false;
        }
    }
    if (*name == 0)
        return false;
    if (*mask == '?' || UpperChar(*mask) == UpperChar(*name))
        return WildMatch(mask + 1, name + 1);
    return false;
}

} // namespace

std::string ShortPathOf(const std::string& name)
{
    return name;
}

std::int64_t FileDateOf(const std::string& name)
{
    struct stat st{};
    if (::stat(name.c_str(), &st) != 0) {
        LastOsError = errno;
        return 0;
    }
    LastOsError = 0;
    return std::int64_t(st.st_mtime);
}

bool FileIsFromToday(const std::string& name)
{
    DbfFile f;
    if (f.Open(name, true, true) != 0)
        return false;
    struct stat st{};
    if (::fstat(f.Fd(), &st) != 0)
        return false;
    std::time_t t = st.st_mtime;
    std::tm tm{};
    localtime_r(&t, &tm);
    Ymd today = EngineToday();
    return tm.tm_year + 1900 == today.year && tm.tm_mon + 1 == today.month &&
           tm.tm_mday == today.day;
}

int EraseIfFree(const std::string& name)
{
    DbfFile f;
    // Exclusive share lock: no other open of our engine uses the file (and
    // the name still holds the file that is locked).
    if (int code = OpenWithShareLock(f, name, true, true, MultiUser ? Share::Exclusive : Share::None);
        code != 0)
        return code;
    if (::unlink(name.c_str()) != 0)
        return ErrnoToEngineCode(errno);
    return 0;
}

bool EraseWildcard(const std::string& mask)
{
    EngineErrorCode = 0;
    gUndeletable.clear();
    const fs::path p(mask);
    const std::string pattern = p.filename().string();
    if (pattern.find_first_of("*?") == std::string::npos) {
        int code = EraseIfFree(mask);
        if (code != 0) {
            SetError(std::uint16_t(code), "Fehler beim Löschen von " + mask);
            return false;
        }
        return true;
    }
    const fs::path dir = p.parent_path().empty() ? fs::path(".") : p.parent_path();
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code sec;
        if (!it->is_regular_file(sec) || it->is_symlink(sec))
            continue;
        const std::string name = it->path().filename().string();
        if (!WildMatch(pattern.c_str(), name.c_str()))
            continue;
        if (EraseIfFree(it->path().string()) != 0)
            gUndeletable.push_back(it->path().string());
    }
    if (!gUndeletable.empty()) {
        SetError(5, std::to_string(gUndeletable.size()) + " Datei(en) mit Namen wie " + mask);
        return false;
    }
    return true;
}

const std::vector<std::string>& UndeletableFiles()
{
    return gUndeletable;
}

std::int64_t DiskFreeKB(const std::string& path)
{
    struct statvfs vfs{};
    const std::string where = path.empty() ? "." : path;
    if (::statvfs(where.c_str(), &vfs) != 0)
        return INT32_MAX;
    const unsigned long long kb =
        static_cast<unsigned long long>(vfs.f_bavail) * vfs.f_frsize / 1024;
    return kb > INT32_MAX ? INT32_MAX : std::int64_t(kb);
}

std::int64_t DiskFreeKBOfDrive(int drive)
{
    return drive == 0 ? DiskFreeKB(".") : INT32_MAX;
}

std::string UniqueFilename()
{
    std::error_code ec;
    fs::path dir = settings::TempDir.empty() ? fs::temp_directory_path(ec) : fs::path(settings::TempDir);
    if (ec || dir.empty() || !fs::is_directory(dir, ec)) {
        SetError(3, "Fehler beim Anfordern des Dateinamens [UniqueFilename]");
        return "";
    }
    std::string templ = (dir / "TZPXXXXXX").string();
    int fd = ::mkstemp(templ.data());
    if (fd < 0) {
        SetError(std::uint16_t(ErrnoToEngineCode(errno)),
                 "Fehler beim Anfordern des Dateinamens [UniqueFilename]");
        return "";
    }
    ::close(fd);
    return templ;
}

void EngineIdle() {}

} // namespace kt4::dbase
