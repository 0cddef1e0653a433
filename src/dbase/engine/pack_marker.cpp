#include "dbase/engine/pack_marker.h"

#include "dbase/engine/dbf_file.h"
#include "dbase/engine/dbf_format.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/staged_file.h"
#include "foundation/file_trust.h"
#include "foundation/files.h"
#include "foundation/linefile.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace kt4::dbase {
namespace {

// What a file holds: its size and digest, or that it does not exist.
struct State {
    bool exists = false;
    std::int64_t size = 0;
    std::uint64_t digest = 0;
    bool operator==(const State&) const = default;
};

// One line of the marker: a new file under its temporary name, the name it
// takes, what the new file holds and what that name held before.
struct Entry {
    std::string temp, target; // a name in the marker's folder, or a full path
    State after, before;
};

// USE waits this many times 10 ms for a program that holds the table while
// it finishes the same PACK.
constexpr int HoldWaits = 200;

// The name PACK and USE both give a file of the table: its links followed
// as the writers follow them, its folder absolute and canonical. False
// when a link on the way may not be followed (path then stays as given).
bool TablePath(const std::string& path, std::string& out)
{
    out = path;
    std::string resolved;
    if (!ResolveTrustedLinks(path, resolved))
        return false;
    const fs::path p(resolved);
    std::error_code ec;
    const fs::path dir = fs::weakly_canonical(fs::absolute(p.has_parent_path() ? p.parent_path() : ".", ec), ec);
    out = ec ? resolved : (dir / p.filename()).string();
    return true;
}

std::string CanonicalPath(const std::string& path)
{
    std::string out;
    TablePath(path, out);
    return out;
}

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

// Opens the regular file at path for reading, never through a link, and
// reads its state; st receives its status. Returns the descriptor, or -1:
// with s.exists false when there is no such name, else (a link, a folder,
// a read error) with errno set.
int OpenState(const std::string& path, State& s, struct stat& st)
{
    s = State{};
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        s.exists = errno != ENOENT;
        return -1;
    }
    s.exists = true;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !DigestOf(fd, s.size, s.digest)) {
        const int err = S_ISREG(st.st_mode) ? errno : EINVAL;
        ::close(fd);
        errno = err != 0 ? err : EIO;
        return -1;
    }
    return fd;
}

std::string StateText(const State& s)
{
    if (!s.exists)
        return "-\t-";
    char text[48];
    std::snprintf(text, sizeof text, "%lld\t%016llx", static_cast<long long>(s.size),
                  static_cast<unsigned long long>(s.digest));
    return text;
}

bool ParseState(const std::string& size, const std::string& digest, State& s)
{
    s = State{};
    if (size == "-" && digest == "-")
        return true;
    if (size.empty() || size.size() > 18 || size.find_first_not_of("0123456789") != std::string::npos ||
        digest.size() != 16 || digest.find_first_not_of("0123456789abcdef") != std::string::npos)
        return false;
    s.exists = true;
    s.size = std::strtoll(size.c_str(), nullptr, 10);
    s.digest = std::strtoull(digest.c_str(), nullptr, 16);
    return true;
}

std::string LineOf(const Entry& e)
{
    return e.temp + '\t' + e.target + '\t' + StateText(e.after) + '\t' + StateText(e.before) + '\n';
}

// A line of six fields; the new file always exists.
bool ParseLine(const std::string& line, Entry& e)
{
    std::vector<std::string> f;
    for (std::size_t at = 0;;) {
        const std::size_t tab = line.find('\t', at);
        f.push_back(line.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
        if (tab == std::string::npos)
            break;
        at = tab + 1;
    }
    if (f.size() != 6 || f[0].empty() || f[1].empty())
        return false;
    e.temp = f[0];
    e.target = f[1];
    return ParseState(f[2], f[3], e.after) && e.after.exists && ParseState(f[4], f[5], e.before);
}

// The marker's lines, when it has exactly one for each of the expected
// targets, in their order, each naming that target as PACK names it and a
// temporary of the atomic writer beside it.
bool ParseMarker(const std::string& text, const fs::path& folder, const std::vector<std::string>& targets,
                 std::vector<Entry>& entries)
{
    entries.clear();
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos || entries.size() == targets.size())
            return false;
        Entry e;
        const std::string& target = targets[entries.size()];
        if (!ParseLine(text.substr(at, end - at), e) || e.target != InMarker(folder, target))
            return false;
        const fs::path tempPath(FromMarker(folder, e.temp));
        if (tempPath.parent_path() != fs::path(target).parent_path() || InMarker(folder, tempPath.string()) != e.temp ||
            !IsTemporaryOf(tempPath.filename().string(), target))
            return false;
        entries.push_back(e);
        at = end + 1;
    }
    return entries.size() == targets.size();
}

// The files a PACK of table replaces as it names them (TablePath): the
// table and its memo file, named after the table's name as USE finds it.
std::vector<std::string> PackTargets(const std::string& table, const DbfFile& held)
{
    std::uint8_t version = 0;
    if (held.ReadAt(0, &version, 1) != 1)
        version = 0;
    const std::string memo = WithExtension(table, MemoExtensionOf(version));
    const std::string found = ResolveNoCase(memo);
    std::vector<std::string> targets;
    for (const std::string& path : {table, found.empty() ? memo : found})
        targets.push_back(CanonicalPath(path));
    return targets;
}

// A line of the marker as USE finds it: the waiting new file (open while
// USE decides) and the name it takes.
struct Found {
    int fd = -1;
    struct stat tempSt {}, targetSt {};
    State temp, target;
    ~Found()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Whether a waiting file is the writer's own: this user's, no other user's
// to change, and under no other name (a hard link to another file would
// make the target that file).
bool OwnTemporary(int fd, const struct stat& st)
{
    const uid_t user = ::geteuid();
    return st.st_uid == user && st.st_nlink == 1 && !OthersMayChange(fd, st, user);
}

// Looks at a waiting file and its target: the one that is no regular file
// (a link, a folder), or the waiting file when it is not the writer's own;
// "" when both are fit. A target may have more names (hard-link backups):
// the rename replaces its name, and nothing is written through them.
std::string Inspect(const std::string& temp, const std::string& target, Found& f)
{
    f.fd = OpenState(temp, f.temp, f.tempSt);
    if ((f.fd < 0 && f.temp.exists) || (f.fd >= 0 && !OwnTemporary(f.fd, f.tempSt)))
        return temp;
    const int fd = OpenState(target, f.target, f.targetSt);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0 || !f.target.exists ? std::string() : target;
}

// Renames the waiting file f over target with the old file's mode, while
// its name is still the file that was read and it has no other name; 0 or
// the errno (EMLINK for another name). The new table
// is no longer guarded by the hold on the old one once it has the name: a
// share lock on it keeps out the exclusive hold of every other USE (which
// would finish the same PACK) until this one is done.
int PutInPlace(const std::string& temp, const std::string& target, const Found& f, bool isTable)
{
    if (PackMarkerSeam())
        PackMarkerSeam()(temp);
    struct stat named {};
    if (::lstat(temp.c_str(), &named) != 0 || named.st_dev != f.tempSt.st_dev || named.st_ino != f.tempSt.st_ino)
        return EBUSY;
    struct stat now {};
    if (::fstat(f.fd, &now) != 0)
        return errno;
    if (!OwnTemporary(f.fd, now))
        return EMLINK;
    if (f.target.exists && ::fchmod(f.fd, f.targetSt.st_mode & 07777) != 0)
        return errno;
    if (isTable) {
        DbfFile view;
        view.Adopt(f.fd, true, temp);
        const int err = view.Lock(LockKind::Read, ShareLockOffset, 1);
        view.Release();
        if (err != 0)
            return err;
    }
    return ::rename(temp.c_str(), target.c_str()) == 0 ? 0 : errno;
}

} // namespace

std::function<void(const std::string& path)>& PackMarkerSeam()
{
    static std::function<void(const std::string&)> seam;
    return seam;
}

int CommitTableWithMemo(AtomicWriter& table, AtomicWriter& memo, int& tableFd, int& memoFd, std::string& failed)
{
    tableFd = memoFd = -1;
    failed.clear();
    const std::string marker = MarkerOf(CanonicalPath(table.Target()));
    const fs::path folder = fs::path(marker).parent_path();
    std::string list;
    for (AtomicWriter* w : {&table, &memo}) {
        Entry e;
        e.temp = InMarker(folder, CanonicalPath(w->TempPath()));
        e.target = InMarker(folder, CanonicalPath(w->Target()));
        e.after.exists = true;
        bool read = ::fsync(w->Fd()) == 0 && DigestOf(w->Fd(), e.after.size, e.after.digest);
        struct stat st {};
        if (read) {
            const int fd = OpenState(w->Target(), e.before, st);
            read = fd >= 0 || !e.before.exists;
            if (fd >= 0)
                ::close(fd);
        }
        if (!read) {
            const int code = ErrnoToEngineCode(errno);
            return code != 0 ? code : 101;
        }
        list += LineOf(e);
    }
    AtomicWriter keep;
    keep.MakePrivate(); // a list others may change is not followed
    if (!keep.Open(marker) || !keep.Write(list) || !keep.Commit()) {
        failed = WriteFailureText(keep, marker); // the name in the way, and why
        return WriterErrorCode(keep);
    }
    if (PackMarkerSeam())
        PackMarkerSeam()(marker);
    tableFd = table.CommitAndRelease();
    if (tableFd < 0) {
        ::unlink(marker.c_str());
        failed = WriteFailureText(table, table.Target());
        return WriterErrorCode(table);
    }
    memoFd = memo.CommitAndRelease();
    if (memoFd < 0) {
        failed = WriteFailureText(memo, memo.Target());
        return WriterErrorCode(memo); // the marker stays: the pair is mixed
    }
    ::unlink(marker.c_str());
    return 0;
}

bool FinishTableWithMemo(const std::string& table)
{
    std::string resolved;
    if (!TablePath(table, resolved))
        return true; // a link USE does not follow for writing: no PACK of its table
    const std::string marker = MarkerOf(resolved);
    const std::string tag = " [USE/OpenDbf]";
    std::string text;
    // Another program may hold the table while it finishes the same PACK:
    // wait for it a while, and look at the marker again after each wait.
    DbfFile hold;
    for (int waited = 0;; ++waited) {
        const KeepListState found = ReadKeepList(marker, text);
        if (found == KeepListState::Missing || found == KeepListState::OtherUsers)
            return true; // none, finished meanwhile, or not this user's
        const int code = OpenWithShareLock(hold, table, true, true, Share::Exclusive);
        if (code == 0)
            break;
        if (code != 32 || waited == HoldWaits) {
            SetError(std::uint16_t(code), "Fehler beim Öffnen von " + table + tag);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const KeepListState list = ReadKeepList(marker, text);
    if (list == KeepListState::Missing || list == KeepListState::OtherUsers)
        return true;
    const fs::path folder = fs::path(marker).parent_path();
    const std::vector<std::string> targets = PackTargets(table, hold);
    // foreign: a file found to be none the PACK left, named too
    const auto unfit = [&](const std::string& foreign = std::string()) {
        SetError(1014, "Die Liste " + marker + " eines abgebrochenen Packens ist beschädigt oder nennt andere "
                       "Dateien als " + targets[0] + " und " + targets[1] +
                           (foreign.empty() ? std::string() : " (" + foreign + ")") + tag);
        return false;
    };
    std::vector<Entry> entries;
    if (list != KeepListState::Read || !ParseMarker(text, folder, targets, entries))
        return unfit();

    // Each new file is this user's own temporary holding what the marker
    // says, or already in place; each target holds its old or its new bytes.
    Found found[2];
    bool same = true;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        Found& f = found[i];
        if (const std::string foreign = Inspect(FromMarker(folder, entries[i].temp), targets[i], f);
            !foreign.empty())
            return unfit(foreign);
        same = same && (f.target == entries[i].before || f.target == entries[i].after) &&
               (f.temp.exists ? f.temp == entries[i].after : f.target == entries[i].after);
    }
    if (!same) {
        SetError(1014, "Die Dateien " + targets[0] + ", " + targets[1] + " sind nicht mehr die, die " + marker +
                           " nach einem abgebrochenen Packen nennt" + tag);
        return false;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (found[i].fd < 0)
            continue;
        const std::string temp = FromMarker(folder, entries[i].temp);
        if (const int err = PutInPlace(temp, targets[i], found[i], i == 0); err != 0) {
            if (err == EMLINK)
                return unfit(temp);
            const int code = ErrnoToEngineCode(err);
            SetError(std::uint16_t(code != 0 ? code : 5),
                     "Fehler beim Abschließen des Packens von " + targets[i] + tag);
            return false;
        }
        SyncFolder(fs::path(targets[i]).parent_path().string());
    }
    ::unlink(marker.c_str());
    SyncFolder(folder.string());
    return true;
}

} // namespace kt4::dbase
