// A printer port for tests: the far end of a pseudo terminal in raw mode,
// a character device as a real port is. What the program writes to it is
// gathered unchanged.
#pragma once

#include <fcntl.h>
#include <mutex>
#include <pty.h>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace kt4::test {

class PtyPort {
public:
    PtyPort()
    {
        char name[128] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
            return;
        termios raw {};
        ::tcgetattr(slave_, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave_, TCSANOW, &raw);
        path_ = name;
        reader_ = std::thread([this] {
            char buf[4096];
            ssize_t n;
            while ((n = ::read(master_, buf, sizeof buf)) > 0) {
                std::lock_guard<std::mutex> hold(mutex_);
                got_.append(buf, static_cast<std::size_t>(n));
            }
        });
    }
    ~PtyPort()
    {
        if (slave_ >= 0)
            ::close(slave_); // the reader sees the end
        if (reader_.joinable())
            reader_.join();
        if (master_ >= 0)
            ::close(master_);
    }
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    // The device ("/dev/pts/N"); "" when no pseudo terminal could be had.
    const std::string& Path() const { return path_; }
    // What arrived, once nothing more is on its way (at most two seconds).
    std::string Received()
    {
        // settled: nothing queued on either side and the count unchanged
        // over three looks (the reader may not have run yet on a busy machine)
        std::size_t seen = std::string::npos;
        for (int k = 0, still = 0; k < 200 && still < 3; ++k) {
            int pending = 0, unread = 0;
            ::ioctl(slave_, TIOCOUTQ, &pending);
            ::ioctl(master_, FIONREAD, &unread);
            std::size_t now;
            {
                std::lock_guard<std::mutex> hold(mutex_);
                now = got_.size();
            }
            still = pending == 0 && unread == 0 && now == seen ? still + 1 : 0;
            seen = now;
            ::usleep(10000);
        }
        std::lock_guard<std::mutex> hold(mutex_);
        return got_;
    }

private:
    int master_ = -1, slave_ = -1;
    std::string path_;
    std::thread reader_;
    std::mutex mutex_;
    std::string got_;
};

} // namespace kt4::test
