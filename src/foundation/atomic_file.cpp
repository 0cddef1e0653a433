#include "foundation/atomic_file.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace kt4 {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t BufferSize = 1 << 16;

bool WriteAll(int fd, const char* data, std::size_t size, int& err)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

mode_t NewFileMode()
{
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A symbolic link is followed, so that the file it names is replaced.
std::string ResolveTarget(const std::string& target)
{
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        fs::path p = fs::canonical(target, ec);
        if (!ec)
            return p.string();
    }
    return target;
}

} // namespace

bool AtomicWriter::Open(const std::string& target, bool keepOld)
{
    Discard();
    errno_ = 0;
    target_ = ResolveTarget(target);
    struct stat st {};
    bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        errno_ = EISDIR;
        return false;
    }
    direct_ = exists && !S_ISREG(st.st_mode);
    if (direct_) {
        fd_ = ::open(target_.c_str(), O_WRONLY | (keepOld ? O_APPEND : 0) | O_CLOEXEC);
        if (fd_ < 0)
            errno_ = errno;
        return fd_ >= 0;
    }
    fs::path p(target_);
    fs::path dir = p.parent_path().empty() ? fs::path(".") : p.parent_path();
    std::string tmpl = (dir / ("." + p.filename().string() + ".XXXXXX")).string();
    fd_ = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd_ < 0) {
        errno_ = errno;
        return false;
    }
    temp_ = tmpl;
    ::fchmod(fd_, exists ? (st.st_mode & 07777) : NewFileMode());
    if (keepOld && exists) {
        int in = ::open(target_.c_str(), O_RDONLY | O_CLOEXEC);
        if (in < 0) {
            Fail(errno);
            Discard();
            return false;
        }
        char buf[BufferSize];
        ssize_t n = 0;
        while ((n = ::read(in, buf, sizeof buf)) != 0) {
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 || !WriteAll(fd_, buf, static_cast<std::size_t>(n), errno_)) {
                if (n < 0)
                    errno_ = errno;
                break;
            }
        }
        ::close(in);
        if (Failed()) {
            int err = errno_;
            Discard();
            errno_ = err;
            return false;
        }
    }
    return true;
}

void AtomicWriter::Fail(int err)
{
    if (errno_ == 0)
        errno_ = err;
}

bool AtomicWriter::Flush()
{
    if (buffer_.empty() || Failed())
        return !Failed();
    int err = 0;
    if (!WriteAll(fd_, buffer_.data(), buffer_.size(), err))
        Fail(err);
    buffer_.clear();
    return !Failed();
}

bool AtomicWriter::Write(const char* data, std::size_t size)
{
    if (fd_ < 0) {
        Fail(EBADF);
        return false;
    }
    if (Failed())
        return false;
    buffer_.append(data, size);
    if (buffer_.size() >= BufferSize)
        return Flush();
    return true;
}

bool AtomicWriter::Commit()
{
    if (fd_ < 0)
        return false;
    Flush();
    if (!direct_ && !Failed() && ::fsync(fd_) != 0)
        Fail(errno);
    if (::close(fd_) != 0)
        Fail(errno);
    fd_ = -1;
    if (!direct_ && !Failed() && ::rename(temp_.c_str(), target_.c_str()) != 0)
        Fail(errno);
    if (!direct_ && Failed())
        ::unlink(temp_.c_str());
    temp_.clear();
    buffer_.clear();
    return !Failed();
}

void AtomicWriter::Discard()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty())
        ::unlink(temp_.c_str());
    temp_.clear();
    buffer_.clear();
}

} // namespace kt4
