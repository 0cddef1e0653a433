#include "shell/exit_cleanup.h"

#include "foundation/atomic_file.h"
#include "foundation/dialogs.h"
#include "foundation/private_temp.h"
#include "foundation/settings.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <exception>
#include <fcntl.h>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace kt4::shell {

namespace {

int signalPipe[2] = {-1, -1};
std::atomic<bool> received{false};

// Never destroyed: a signal may arrive while the program ends.
struct Handling {
    std::mutex mutex;
    std::function<void()> action;
};
Handling& Current()
{
    static auto* handling = new Handling;
    return *handling;
}

extern "C" void PassOn(int Signal)
{
    const int saved = errno;
    NoteRunEnding();
    const unsigned char byte = static_cast<unsigned char>(Signal);
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

// A file-size limit (ulimit -f) is a failed write like any other: the write
// fails with EFBIG and is told. An output nobody reads any more (stderr a
// pipe whose reader has gone) fails with EPIPE, and the run goes on as it
// would have. A caught signal, unlike an ignored one, is back at its
// default in every program the run starts.
extern "C" void NoteFailedWrite(int) {}

[[noreturn]] void EndRun()
{
    RemoveOpenTemporariesForExit();
    RemovePrivateTempDirAndExit(1);
}

void Watch()
{
    for (;;) {
        unsigned char byte = 0;
        const ssize_t n = ::read(signalPipe[0], &byte, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        received = true;
        // held while the action runs: the window takes its action back
        // before it goes
        std::lock_guard<std::mutex> hold(Current().mutex);
        if (!Current().action)
            EndRun();
        Current().action();
    }
}

} // namespace

bool ExitCleanup()
{
    settings::AbortFlag = false;
    StatusMessage("L\x94sche tempor\x84re Dateien ...");
    RemovePrivateTempDir();
    return true;
}

void InstallExitSignals()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction failedWrite {};
        failedWrite.sa_handler = NoteFailedWrite;
        sigemptyset(&failedWrite.sa_mask);
        failedWrite.sa_flags = SA_RESTART;
        for (int sig : {SIGXFSZ, SIGPIPE})
            ::sigaction(sig, &failedWrite, nullptr);
        if (::pipe2(signalPipe, O_CLOEXEC) != 0)
            return;
        // The watcher first: a signal is passed on only to a thread that
        // reads it. One that cannot start (no memory or threads left) is
        // no reason to end the run: the three signals then keep their
        // default action.
        try {
            std::thread(Watch).detach();
        } catch (const std::exception&) {
            ::close(signalPipe[0]);
            ::close(signalPipe[1]);
            signalPipe[0] = signalPipe[1] = -1;
            return;
        }
        struct sigaction pass {};
        pass.sa_handler = PassOn;
        sigemptyset(&pass.sa_mask);
        pass.sa_flags = SA_RESTART;
        for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
            struct sigaction old {};
            if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler != SIG_IGN)
                ::sigaction(sig, &pass, nullptr);
        }
    });
}

void SetExitSignalAction(std::function<void()> Action)
{
    std::lock_guard<std::mutex> hold(Current().mutex);
    Current().action = std::move(Action);
}

bool ExitSignalReceived() { return received; }

} // namespace kt4::shell
