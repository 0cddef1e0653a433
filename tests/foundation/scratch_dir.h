// A fresh folder per test, removed afterwards.
#pragma once

#include "common/other_user.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kt4::testing {

// The bytes of a file; "" when it cannot be read.
inline std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Under a folder every user may pass through (tests run code as another
// user); a short one takes a path of at most 20 characters (/tmp when the
// temporary folder's name is longer).
class ScratchDir {
public:
    enum Place { Anywhere, Short };
    explicit ScratchDir(Place Where = Anywhere)
    {
        std::filesystem::path base = kt4::test::FolderOthersMayEnter();
        if (Where == Short && base.string().size() > 5)
            base = "/tmp";
        std::string tmpl = (base / "kt4test.XXXXXX").string();
        path_ = ::mkdtemp(tmpl.data());
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string Path() const { return path_.string() + "/"; }
    // Lets every user create and rename files in the folder.
    void OpenToAll() const { std::filesystem::permissions(path_, std::filesystem::perms::all); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

    void Put(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(File(name), std::ios::binary) << bytes;
    }
    std::string Get(const std::string& name) const { return ReadFileBytes(File(name)); }
    std::size_t Count() const
    {
        std::size_t n = 0;
        for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(path_))
            ++n;
        return n;
    }

private:
    std::filesystem::path path_;
};

// While it lives, files of this process cannot grow beyond Bytes: writes
// fail as on a full disk (root included).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t Bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit small = old_;
        small.rlim_cur = Bytes;
        active_ = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() { Lift(); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool Active() const { return active_; }
    void Lift()
    {
        if (active_)
            ::setrlimit(RLIMIT_FSIZE, &old_);
        active_ = false;
    }

private:
    rlimit old_ {};
    bool active_ = false;
};

// Fn in a child process as user nobody (tests/common/other_user.h).
using kt4::test::AsUserNobody;

} // namespace kt4::testing
