// Real processes for the engine tests: a child that holds something until
// released or killed, and a child that runs one function.
#pragma once

#include "dbase/dbase.h"

#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace kt4::dbase::test {

// In a forked child the parent's areas share the parent's open file
// descriptions: they are forgotten, never closed (closing would drop locks).
inline void ForgetInheritedAreas()
{
    for (int i = 1; i <= MaxAreas; ++i)
        WorkAreas[std::size_t(i)].release();
    CurrentArea = 1;
}

// A child process that acquires something, says so, and holds it until
// released or killed.
class Holder {
public:
    ~Holder() { Release(); }
    // finish runs in the child after the release (not after a kill).
    bool Start(const std::function<bool()>& acquire, const std::function<void()>& finish = nullptr)
    {
        int ready[2], hold[2];
        if (::pipe(ready) != 0 || ::pipe(hold) != 0)
            return false;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(hold[1]);
            ForgetInheritedAreas();
            char ok = acquire() ? '1' : '0';
            (void)!::write(ready[1], &ok, 1);
            char c;
            while (::read(hold[0], &c, 1) > 0) {
            }
            if (finish)
                finish();
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(hold[0]);
        release_ = hold[1];
        char ok = '0';
        (void)!::read(ready[0], &ok, 1);
        ::close(ready[0]);
        return ok == '1';
    }
    void Release()
    {
        if (release_ >= 0)
            ::close(release_);
        release_ = -1;
        Wait();
    }
    void Kill()
    {
        if (pid_ > 0)
            ::kill(pid_, SIGKILL);
        Release();
    }

private:
    void Wait()
    {
        if (pid_ > 0)
            ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    pid_t pid_ = -1;
    int release_ = -1;
};

// Runs fn in a child process and returns its exit status.
inline int InChild(const std::function<int()>& fn)
{
    pid_t pid = ::fork();
    if (pid == 0) {
        ForgetInheritedAreas();
        ::_exit(fn());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

} // namespace kt4::dbase::test
