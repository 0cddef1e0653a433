#include "dbase/engine/pack_marker.h"

#include "dbase/engine/dbf_file.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/staged_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace kt4::dbase {
namespace {

// One line of the marker: a new file under its temporary name, the name it
// takes, and what it holds.
struct Entry {
    std::string temp, target; // a name in the marker's folder, or a full path
    std::int64_t size = -1;
    std::uint64_t digest = 0;
};

std::string MarkerOf(const std::string& resolvedTable)
{
    const fs::path table(resolvedTable);
    return (table.parent_path() / (std::string(AtomicWriter::KeepPrefix) + table.filename().string())).string();
}

// The path as the marker in folder holds it, and back.
std::string InMarker(const fs::path& folder, const std::string& path)
{
    const fs::path p(path);
    return p.parent_path() == folder ? p.filename().string() : path;
}
std::string FromMarker(const fs::path& folder, const std::string& name)
{
    return name.find('/') == std::string::npos ? (folder / name).string() : name;
}

// FNV-1a over the whole file; false after a read error.
bool DigestOf(int fd, std::int64_t& size, std::uint64_t& digest)
{
    std::vector<unsigned char> buf(1 << 16);
    size = 0;
    digest = 14695981039346656037ull;
    for (;;) {
        const ssize_t n = ::pread(fd, buf.data(), buf.size(), off_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0;
        for (ssize_t i = 0; i < n; ++i)
            digest = (digest ^ buf[std::size_t(i)]) * 1099511628211ull;
        size += n;
    }
}

// The file at path holds what the entry says.
bool Holds(const std::string& path, const Entry& e)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::int64_t size = 0;
    std::uint64_t digest = 0;
    const bool same = DigestOf(fd, size, digest) && size == e.size && digest == e.digest;
    ::close(fd);
    return same;
}

std::string LineOf(const Entry& e)
{
    char numbers[48];
    std::snprintf(numbers, sizeof numbers, "%lld\t%016llx", static_cast<long long>(e.size),
                  static_cast<unsigned long long>(e.digest));
    return e.temp + '\t' + e.target + '\t' + numbers + '\n';
}

bool ParseLine(const std::string& line, Entry& e)
{
    const std::size_t a = line.find('\t'), b = line.find('\t', a + 1), c = line.find('\t', b + 1);
    if (c == std::string::npos || a == 0 || b == a + 1)
        return false;
    e.temp = line.substr(0, a);
    e.target = line.substr(a + 1, b - a - 1);
    char* end = nullptr;
    e.size = std::strtoll(line.c_str() + b + 1, &end, 10);
    if (end != line.c_str() + c || e.size < 0)
        return false;
    e.digest = std::strtoull(line.c_str() + c + 1, &end, 16);
    return line.size() == c + 17 && end == line.c_str() + line.size();
}

void SyncFolderOf(const std::string& path)
{
    const int fd = ::open(fs::path(path).parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)::fsync(fd); // the renames are done either way
    ::close(fd);
}

// Renames the new file over its target with the target's mode.
bool PutInPlace(const std::string& temp, const std::string& target)
{
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && ::chmod(temp.c_str(), st.st_mode & 07777) != 0)
        return false;
    return ::rename(temp.c_str(), target.c_str()) == 0;
}

} // namespace

int CommitTableWithMemo(AtomicWriter& table, AtomicWriter& memo, int& tableFd, int& memoFd)
{
    tableFd = memoFd = -1;
    const std::string marker = MarkerOf(table.Target());
    const fs::path folder = fs::path(marker).parent_path();
    std::string list;
    for (AtomicWriter* w : {&table, &memo}) {
        Entry e;
        e.temp = InMarker(folder, w->TempPath());
        e.target = InMarker(folder, w->Target());
        if (::fsync(w->Fd()) != 0 || !DigestOf(w->Fd(), e.size, e.digest)) {
            const int code = ErrnoToEngineCode(errno);
            return code != 0 ? code : 101;
        }
        list += LineOf(e);
    }
    AtomicWriter keep;
    if (!keep.Open(marker) || !keep.Write(list) || !keep.Commit())
        return WriterErrorCode(keep);
    tableFd = table.CommitAndRelease();
    if (tableFd < 0) {
        ::unlink(marker.c_str());
        return WriterErrorCode(table);
    }
    memoFd = memo.CommitAndRelease();
    if (memoFd < 0)
        return WriterErrorCode(memo); // the marker stays: the pair is mixed
    ::unlink(marker.c_str());
    return 0;
}

bool FinishTableWithMemo(const std::string& table)
{
    std::error_code ec;
    const std::string marker = MarkerOf(fs::weakly_canonical(table, ec).string());
    struct stat st {};
    if (ec || ::lstat(marker.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
        return true; // none, or not this user's
    const std::string tag = " [USE/OpenDbf]";
    DbfFile hold;
    if (int code = OpenWithShareLock(hold, table, true, true, Share::Exclusive); code != 0) {
        SetError(std::uint16_t(code), "Fehler beim Öffnen von " + table + tag);
        return false;
    }
    std::ifstream in(marker);
    if (!in)
        return true; // its writer has finished meanwhile
    const fs::path folder = fs::path(marker).parent_path();
    std::vector<Entry> entries;
    std::vector<bool> staged;
    std::string named;
    bool same = true;
    for (std::string line; std::getline(in, line) && entries.size() < 3;) {
        Entry e;
        same = ParseLine(line, e) && same;
        const std::string temp = FromMarker(folder, e.temp), target = FromMarker(folder, e.target);
        const bool isStaged = Holds(temp, e);
        same = same && (isStaged || (::access(temp.c_str(), F_OK) != 0 && Holds(target, e)));
        named += (named.empty() ? "" : ", ") + target;
        entries.push_back(e);
        staged.push_back(isStaged);
    }
    if (!same || entries.size() != 2) {
        SetError(1014, "Die Dateien " + named + " sind nicht mehr die, die " + marker +
                           " nach einem abgebrochenen Packen nennt" + tag);
        return false;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string target = FromMarker(folder, entries[i].target);
        if (staged[i] && !PutInPlace(FromMarker(folder, entries[i].temp), target)) {
            const int code = ErrnoToEngineCode(errno);
            SetError(std::uint16_t(code != 0 ? code : 5), "Fehler beim Abschließen des Packens von " + target + tag);
            return false;
        }
    }
    SyncFolderOf(marker);
    ::unlink(marker.c_str());
    return true;
}

} // namespace kt4::dbase
