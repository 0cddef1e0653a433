// Runs a program of the test tools or a peer reader with an argument
// vector (no shell) and gathers what it prints; whether a missing peer
// fails its test.
#pragma once

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kt4::test {

struct ToolRun {
    int status = -1;  // exit code; 100 when it did not exit normally, -1 when it never ran
    std::string out;  // standard output (and standard error when asked)
};

inline ToolRun RunProgram(const std::vector<std::string>& argv, bool withStderr = false)
{
    ToolRun run;
    int pipefd[2];
    if (argv.empty() || ::pipe(pipefd) != 0)
        return run;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipefd[1], 1);
        if (withStderr)
            ::dup2(pipefd[1], 2);
        ::close(pipefd[0]);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(pipefd[1]);
    char buf[4096];
    ssize_t n;
    while ((n = ::read(pipefd[0], buf, sizeof buf)) > 0)
        run.out.append(buf, static_cast<std::size_t>(n));
    ::close(pipefd[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 100;
    return run;
}

// True when a test whose peer program is missing must fail rather than skip:
// ./test (and so CI) sets KT4_REQUIRE_PEERS=1, a plain ctest run does not.
inline bool PeersRequired()
{
    const char* v = std::getenv("KT4_REQUIRE_PEERS");
    return v != nullptr && *v != '\0' && std::string(v) != "0";
}

} // namespace kt4::test
