// Running test code and programs as another user, "nobody", when the tests
// run as root (as an ordinary user they run as that user).
//
// A program that runs as nobody must be reachable by nobody: the checkout
// may lie in a folder nobody may enter (a clone in /root or in a folder of
// mode 0700). Every such program is therefore first copied into a folder
// of its own that only nobody (and root) may enter, under a folder every
// user may pass through (FolderOthersMayEnter), and run from there.
#pragma once

#include <filesystem>
#include <functional>
#include <grp.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kt4::test {

inline constexpr uid_t NobodyId = 65534;

// Drops root's rights in this process for good; true when it runs as an
// ordinary user now.
inline bool BecomeNobody()
{
    return ::geteuid() != 0 ||
           (::setgroups(0, nullptr) == 0 && ::setgid(NobodyId) == 0 && ::setuid(NobodyId) == 0);
}

// Whether every user may pass through Dir and each folder above it.
inline bool OthersMayPass(const std::filesystem::path& Dir)
{
    for (std::filesystem::path p = std::filesystem::absolute(Dir).lexically_normal();; p = p.parent_path()) {
        struct stat st {};
        if (::stat(p.c_str(), &st) != 0 || (st.st_mode & S_IXOTH) == 0)
            return false;
        if (p == p.root_path() || p.parent_path() == p)
            return true;
    }
}

// Where a test makes what another user must reach: the temporary folder
// when every user may pass through it, else the test program's folder (the
// build folder), else /tmp.
inline std::filesystem::path FolderOthersMayEnter()
{
    const std::filesystem::path tmp = std::filesystem::temp_directory_path();
    if (OthersMayPass(tmp))
        return tmp;
    std::error_code ec;
    const std::filesystem::path build = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path();
    if (!ec && OthersMayPass(build))
        return build;
    return "/tmp";
}

// Runs Fn in a child process as nobody and returns its exit code: 99 when
// the rights could not be dropped, 100 when the child did not end
// normally.
inline int AsUserNobody(const std::function<int()>& Fn)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(BecomeNobody() ? Fn() : 99);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

// Copies of programs in a private folder of their own that nobody may
// enter, removed with it.
class NobodyCopies {
public:
    NobodyCopies()
    {
        std::string tmpl = (FolderOthersMayEnter() / "kt4run.XXXXXX").string();
        if (!::mkdtemp(tmpl.data()))
            throw std::runtime_error("no folder for the programs of user nobody");
        dir_ = tmpl;
        if (::geteuid() == 0 && ::chown(dir_.c_str(), NobodyId, NobodyId) != 0)
            throw std::runtime_error("cannot hand " + dir_.string() + " to user nobody");
    }
    ~NobodyCopies()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    NobodyCopies(const NobodyCopies&) = delete;
    NobodyCopies& operator=(const NobodyCopies&) = delete;

    // Copies Program (its mode kept) and returns the copy's path.
    std::string Add(const std::string& Program)
    {
        const std::filesystem::path copy = dir_ / std::filesystem::path(Program).filename();
        std::filesystem::copy_file(Program, copy, std::filesystem::copy_options::overwrite_existing);
        return copy.string();
    }

private:
    std::filesystem::path dir_;
};

// Runs Argv as nobody, Argv[0] from a copy as above, and returns its exit
// code (127 when it could not be started, 99 and 100 as AsUserNobody).
inline int RunAsNobody(std::vector<std::string> Argv)
{
    NobodyCopies copies;
    Argv[0] = copies.Add(Argv[0]);
    return AsUserNobody([&] {
        std::vector<char*> args;
        for (auto& a : Argv)
            args.push_back(a.data());
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        return 127;
    });
}

} // namespace kt4::test
