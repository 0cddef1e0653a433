#include "foundation/unique_file.h"

#include "foundation/atomic_file.h"
#include "foundation/private_temp.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace kt4 {

namespace {

constexpr int NameTries = 100;

// All the bytes, flushed to the disk.
bool WriteSynced(int fd, std::string_view bytes, int& err)
{
    if (!WriteAll(fd, -1, bytes.data(), bytes.size(), err))
        return false;
    if (::fsync(fd) != 0) {
        err = errno;
        return false;
    }
    return true;
}

std::string RandomPart(std::mt19937& rng)
{
    static constexpr char Chars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof(Chars) - 2);
    std::string s(6, ' ');
    for (char& c : s)
        c = Chars[pick(rng)];
    return s;
}

// Links the written file under a fresh name; Link(name) returns 0 or an
// errno. EEXIST tries another name.
template <class F>
std::string LinkUnderFreshName(const std::string& Dir, const std::string& Stem, const std::string& Ext, int& err,
                               F Link)
{
    std::random_device seed;
    std::mt19937 rng(seed());
    const std::string head = (Dir.empty() || Dir.back() == '/' ? Dir : Dir + "/") + Stem + "-";
    for (int k = 0; k < NameTries; ++k) {
        std::string name = head + RandomPart(rng) + "." + Ext;
        err = Link(name);
        if (err == 0)
            return name;
        if (err != EEXIST)
            return "";
    }
    return "";
}

// The unnamed file in Dir, linked; "" with err when that failed, and
// unsupported when the file system (or a missing /proc) allows no such
// file, so that staging is the way.
std::string WriteUnnamed(const std::string& Dir, const std::string& Stem, const std::string& Ext,
                         std::string_view Bytes, int& err, bool& unsupported)
{
    unsupported = false;
    const int fd = ::open(Dir.empty() ? "." : Dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        err = errno;
        unsupported = err == EOPNOTSUPP || err == EISDIR || err == EINVAL;
        return "";
    }
    std::string name;
    if (WriteSynced(fd, Bytes, err)) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        name = LinkUnderFreshName(Dir, Stem, Ext, err, [&](const std::string& n) {
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, n.c_str(), AT_SYMLINK_FOLLOW) == 0)
                return 0;
            return errno;
        });
        // no /proc to reach the file by: stage it instead
        unsupported = name.empty() && err == ENOENT && ::access("/proc/self/fd", X_OK) != 0;
    }
    ::close(fd);
    return name;
}

std::string WriteStaged(const std::string& Dir, const std::string& Stem, const std::string& Ext,
                        std::string_view Bytes, int& err)
{
    const std::string priv = PrivateTempDir();
    if (priv.empty()) {
        err = EACCES;
        return "";
    }
    std::string staged = priv + "unique-XXXXXX";
    const int fd = ::mkostemp(staged.data(), O_CLOEXEC);
    if (fd < 0) {
        err = errno;
        return "";
    }
    std::string name;
    if (WriteSynced(fd, Bytes, err))
        name = LinkUnderFreshName(Dir, Stem, Ext, err, [&](const std::string& n) {
            return ::link(staged.c_str(), n.c_str()) == 0 ? 0 : errno;
        });
    ::close(fd);
    ::unlink(staged.c_str());
    return name;
}

} // namespace

std::string WriteUniqueFile(const std::string& Dir, const std::string& Stem, const std::string& Ext,
                            std::string_view Bytes, int& Err, Staging How)
{
    Err = 0;
    if (How == Staging::Unnamed) {
        bool unsupported = false;
        std::string name = WriteUnnamed(Dir, Stem, Ext, Bytes, Err, unsupported);
        if (!unsupported)
            return name;
    }
    return WriteStaged(Dir, Stem, Ext, Bytes, Err);
}

} // namespace kt4
