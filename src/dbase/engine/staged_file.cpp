#include "dbase/engine/staged_file.h"

#include <cerrno>

namespace kt4::dbase {

int WriterErrorCode(const AtomicWriter& writer)
{
    if (writer.Refused() != AtomicWriter::Refusal::None)
        return 5;
    int code = ErrnoToEngineCode(writer.Errno());
    return code != 0 ? code : 101;
}

int StagedFile::Code() const
{
    return WriterErrorCode(writer_);
}

int StagedFile::Open(const std::string& target)
{
    return writer_.Open(target) ? 0 : Code();
}

int StagedFile::OpenReplacing(const std::string& target, int heldFd)
{
    return writer_.OpenReplacing(target, heldFd) ? 0 : Code();
}

int StagedFile::Write(const void* data, std::size_t n)
{
    return writer_.Write(data, n) ? 0 : Code();
}

int StagedFile::WriteAt(std::int64_t offset, const void* data, std::size_t n)
{
    return writer_.WriteAt(offset, data, n) ? 0 : Code();
}

int StagedFile::Lock(LockKind kind, std::int64_t offset, std::int64_t length)
{
    DbfFile view;
    view.Adopt(writer_.Fd(), false, writer_.Target());
    int err = view.Lock(kind, offset, length);
    view.Release();
    if (err == 0)
        return 0;
    return err == EAGAIN || err == EACCES ? 32 : ErrnoToEngineCode(err);
}

int StagedFile::Commit()
{
    return writer_.Commit() ? 0 : Code();
}

int StagedFile::CommitInto(DbfFile& file)
{
    int fd = writer_.CommitAndRelease();
    if (fd < 0)
        return Code();
    file.Adopt(fd, false, writer_.Target());
    return 0;
}

} // namespace kt4::dbase
