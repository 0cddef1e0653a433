// The engine's side of the program's atomic writer (foundation/atomic_file.h):
// a table, memo or export file that replaces its target whole or not at all,
// with the engine's error codes (5 for a write-protected file or a name
// that is no file, 101 for a full disk).
#pragma once

#include "dbase/engine/dbf_file.h"
#include "foundation/atomic_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kt4::dbase {

// The engine error code of a failed AtomicWriter: 5 for a target it
// refused, else the code of its errno (101 when it has none).
int WriterErrorCode(const AtomicWriter& writer);

class StagedFile {
public:
    // Each returns 0 or an engine error code.
    [[nodiscard]] int Open(const std::string& target);
    // Open for a file the caller holds open under the name target
    // (AtomicWriter::OpenReplacing).
    [[nodiscard]] int OpenReplacing(const std::string& target, int heldFd);
    [[nodiscard]] int Write(const void* data, std::size_t n);
    [[nodiscard]] int Write(const std::vector<std::uint8_t>& bytes)
    {
        return Write(bytes.data(), bytes.size());
    }
    [[nodiscard]] int Write(std::string_view text) { return Write(text.data(), text.size()); }
    [[nodiscard]] int WriteAt(std::int64_t offset, const void* data, std::size_t n);
    // Takes a lock on the new file before it gets the target's name.
    [[nodiscard]] int Lock(LockKind kind, std::int64_t offset, std::int64_t length);
    [[nodiscard]] int Commit();
    // Commit that keeps the new file open as file, with its locks.
    [[nodiscard]] int CommitInto(DbfFile& file);
    const std::string& Target() const { return writer_.Target(); }

private:
    int Code() const;
    AtomicWriter writer_;
};

} // namespace kt4::dbase
