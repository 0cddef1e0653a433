// Writing a file so that it is replaced whole or not at all: the bytes go
// to a temporary file with a unique name in the target's folder, which is
// renamed over the target only when every write succeeded. A failure
// leaves the old file as it was. Targets that are not regular files
// (printer devices, /dev/null) are written directly.
#pragma once

#include <cstddef>
#include <string>

namespace kt4 {

class AtomicWriter {
public:
    AtomicWriter() = default;
    ~AtomicWriter() { Discard(); }
    AtomicWriter(const AtomicWriter&) = delete;
    AtomicWriter& operator=(const AtomicWriter&) = delete;

    // Starts the temporary file. keepOld: it begins with the target's
    // present content (appending). False on failure; Errno() tells why.
    bool Open(const std::string& target, bool keepOld);
    bool Write(const char* data, std::size_t size);
    // Puts the file in place; false when any write, the flush or the
    // rename failed (the temporary file is then removed).
    bool Commit();
    // Drops what was written; the target stays untouched.
    void Discard();

    bool IsOpen() const { return fd_ >= 0; }
    bool Failed() const { return errno_ != 0; }
    int Errno() const { return errno_; }
    const std::string& Target() const { return target_; }

private:
    bool Flush();
    void Fail(int err);

    int fd_ = -1;
    bool direct_ = false;
    int errno_ = 0;
    std::string target_;
    std::string temp_;
    std::string buffer_;
};

} // namespace kt4
