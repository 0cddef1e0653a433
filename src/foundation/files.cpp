#include "foundation/files.h"

#include "foundation/atomic_file.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fnmatch.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kt4 {

namespace fs = std::filesystem;

namespace {

std::string FolderOrCurrent(const std::string& Dir)
{
    std::string d = StripBackslash(Dir);
    return d.empty() ? std::string(".") : d;
}

// The names in a folder (no "." and ".."); empty when it cannot be listed.
std::vector<std::string> ListFolder(const std::string& Dir)
{
    std::vector<std::string> names;
    DIR* d = ::opendir(FolderOrCurrent(Dir).c_str());
    if (!d)
        return names;
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != "..")
            names.push_back(n);
    }
    ::closedir(d);
    return names;
}

// Masks match whatever the case of the names ("*.dbf" finds RIKULA.DBF),
// as the catalogue and block files are named either way.
bool MaskMatches(const std::string& Mask, const std::string& Name)
{
    if (Mask == "*.*" || Mask == "*")
        return true;
    return ::fnmatch(Mask.c_str(), Name.c_str(), FNM_PERIOD | FNM_CASEFOLD) == 0;
}

bool IsRegularReadable(const std::string& Name)
{
    struct stat st {};
    return ::stat(Name.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(Name.c_str(), R_OK) == 0;
}

// Copies in chunks of the given size; the source is opened first.
bool CopyWhole(const std::string& Src, const std::string& Dst, std::size_t chunk)
{
    int in = ::open(Src.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (in < 0 || ::fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
        if (in >= 0)
            ::close(in);
        settings::AbortFlag = true;
        return false;
    }
    AtomicWriter out;
    bool ok = out.Open(Dst, false);
    std::vector<char> buf(chunk);
    while (ok) {
        ssize_t n = ::read(in, buf.data(), buf.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ok = out.Write(buf.data(), static_cast<std::size_t>(n));
    }
    ::close(in);
    if (ok)
        ok = out.Commit();
    else
        out.Discard();
    if (!ok)
        settings::AbortFlag = true;
    return ok;
}

} // namespace

bool FileReadable(const std::string& Name) { return IsRegularReadable(Name); }

bool DirWritable(const std::string& Dir)
{
    // A writer's temporary, so that one left by a killed check is removed
    // by the next.
    AtomicWriter probe;
    bool ok = probe.Open(FolderOrCurrent(Dir) + "/.kt4probe");
    probe.Discard();
    return ok;
}

bool DirReadable(const std::string& Dir)
{
    DIR* d = ::opendir(FolderOrCurrent(Dir).c_str());
    if (!d)
        return false;
    ::closedir(d);
    return true;
}

bool DirExists(const std::string& Dir)
{
    std::error_code ec;
    std::string d = FolderOrCurrent(Dir);
    return fs::is_directory(d, ec) && ::access(d.c_str(), X_OK) == 0;
}

int OpenRegularFile(const std::string& Name, int Flags, unsigned Mode)
{
    struct stat st {};
    if (::stat(Name.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            errno = S_ISDIR(st.st_mode) ? EISDIR : ENODEV;
            return -1;
        }
    } else if (errno != ENOENT || (Flags & O_CREAT) == 0) {
        return -1;
    }
    const int fd = ::open(Name.c_str(), Flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, Mode);
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        const int cause = S_ISDIR(st.st_mode) ? EISDIR : ENODEV;
        ::close(fd);
        errno = cause;
        return -1;
    }
    return fd;
}

bool CreateExclusive(const std::string& Name)
{
    int fd = ::open(Name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool SameFile(const std::string& A, const std::string& B)
{
    struct stat a {}, b {};
    return ::stat(A.c_str(), &a) == 0 && ::stat(B.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

namespace {

struct Held {
    HeldFile kind = HeldFile::None;
    dev_t dev = 0;
    ino_t ino = 0;
};

// Left to the end of the process: holders in static objects forget their
// files while static objects are destroyed.
std::map<const void*, Held>& HeldFiles()
{
    static auto* held = new std::map<const void*, Held>;
    return *held;
}

std::mutex& HeldFilesLock()
{
    static auto* lock = new std::mutex;
    return *lock;
}

} // namespace

void NoteHeldFile(const void* Holder, HeldFile Kind, int Fd)
{
    struct stat st {};
    const bool known = Kind != HeldFile::None && Fd >= 0 && ::fstat(Fd, &st) == 0;
    std::lock_guard<std::mutex> hold(HeldFilesLock());
    if (known)
        HeldFiles()[Holder] = {Kind, st.st_dev, st.st_ino};
    else
        HeldFiles().erase(Holder);
}

void ForgetHeldFile(const void* Holder)
{
    std::lock_guard<std::mutex> hold(HeldFilesLock());
    HeldFiles().erase(Holder);
}

HeldFile HeldFileAt(const std::string& Name)
{
    struct stat st {};
    if (::stat(Name.c_str(), &st) != 0)
        return HeldFile::None;
    std::lock_guard<std::mutex> hold(HeldFilesLock());
    for (const auto& [holder, held] : HeldFiles())
        if (held.dev == st.st_dev && held.ino == st.st_ino)
            return held.kind;
    return HeldFile::None;
}

bool EraseFile(const std::string& Name)
{
    if (!IsRegularReadable(Name))
        return false;
    return ::unlink(Name.c_str()) == 0;
}

int EraseFiles(const std::string& Dir, const std::string& Mask)
{
    std::string full = Dir + Mask;
    std::string folder = FilePathPart(full);
    std::string mask = FileNamePart(full);
    int count = 0;
    for (const auto& n : ListFolder(folder)) {
        std::string path = folder + n;
        struct stat st {};
        if (MaskMatches(mask, n) && ::lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) &&
            ::unlink(path.c_str()) == 0)
            ++count;
    }
    return count;
}

bool CopyFileTo(const std::string& Src, const std::string& Dst)
{
    std::error_code ec;
    fs::path target = fs::absolute(Dst.empty() ? std::string(".") : Dst, ec);
    if (ec) {
        settings::AbortFlag = true;
        return false;
    }
    bool namesFolder = Dst.empty() || Dst.back() == '/' || Dst.back() == '\\' || fs::is_directory(target, ec);
    if (namesFolder)
        target /= FileNamePart(Src);
    return CopyWhole(Src, target.string(), 8192);
}

bool CopyFileToDir(const std::string& Src, const std::string& Dst)
{
    if (!FileReadable(Src))
        return false;
    std::string dir = FilePathPart(Dst);
    return CopyFileTo(Src, dir.empty() ? "./" : dir);
}

bool BlockCopyFile(const std::string& Src, const std::string& Dst) { return CopyWhole(Src, Dst, 2048); }

bool CopyFiles(const std::string& Mask, const std::string& SrcDir, const std::string& DstDir)
{
    std::string src = AddBackslashColon(SrcDir);
    std::string dst = AddBackslashColon(DstDir);
    bool any = false, ok = true;
    for (const auto& n : ListFolder(src)) {
        if (!MaskMatches(Mask, n))
            continue;
        any = true;
        if (FileReadable(src + n) && !CopyFileToDir(src + n, dst + n))
            ok = false;
    }
    settings::AbortFlag = !(any && ok);
    return any && ok;
}

bool HasAttr(const std::string& Name, int Attr)
{
    struct stat st {};
    if (::stat(Name.c_str(), &st) != 0)
        return false;
    int have = 0;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        have |= AttrReadOnly;
    std::string file = FileNamePart(StripBackslash(Name));
    if (!file.empty() && file[0] == '.')
        have |= AttrHidden;
    if (S_ISDIR(st.st_mode))
        have |= AttrDirectory;
    if (S_ISREG(st.st_mode))
        have |= AttrArchive;
    return (have & Attr) == Attr;
}

std::string FindFileNoCase(const std::string& Dir, const std::string& Name)
{
    std::string dir = AddBackslash(Dir);
    std::error_code ec;
    if (fs::exists(dir + Name, ec))
        return dir + Name;
    std::string wanted = LowerStr(Name);
    for (const auto& n : ListFolder(dir))
        if (LowerStr(n) == wanted)
            return dir + n;
    return {};
}

std::string FindFileNoCase(const std::string& Path)
{
    return FindFileNoCase(FilePathPart(Path), FileNamePart(Path));
}

std::string FileWithExt(const std::string& Dir, const std::string& Name, const std::string& Ext)
{
    std::string full = NameHasExt(Name, Ext) ? Name : AddBackslash(Dir) + Name + "." + Ext;
    std::error_code ec;
    if (fs::exists(full, ec))
        return full;
    std::string found = FindFileNoCase(full);
    return found.empty() ? full : found;
}

namespace {

std::string InDir(const std::string& Dir, const std::string& Name)
{
    return Dir.empty() || fs::path(Name).is_absolute() ? Name : AddBackslash(Dir) + Name;
}

} // namespace

bool DataFileIsName(const std::string& Dir, const std::string& Name, const std::string& Ext)
{
    return NameHasDot(Name) && !NameHasExt(Name, Ext) && !FileReadable(FileWithExt(Dir, Name, Ext)) &&
           FileReadable(InDir(Dir, Name));
}

std::string DataFileFor(const std::string& Dir, const std::string& Name, const std::string& Ext)
{
    return DataFileIsName(Dir, Name, Ext) ? InDir(Dir, Name) : FileWithExt(Dir, Name, Ext);
}

std::string ProjectNameOf(const std::string& Path, const std::string& Ext)
{
    const std::string file = fs::path(Path).filename().string();
    return NameHasExt(file, Ext) || !NameHasDot(file) ? fs::path(Path).stem().string() : file;
}

std::string SavedName(const std::string& Dir, const std::string& Name, const std::string& Ext)
{
    return NameHasExt(Name, Ext) || DataFileIsName(Dir, Name, Ext) ? Name : Name + "." + Ext;
}

} // namespace kt4
