#include "write_fault.h"

#include <cerrno>
#include <sys/types.h>
#include <unistd.h>

extern "C" ssize_t __real_pwrite(int fd, const void* data, size_t n, off_t offset);

namespace kt4::dbase::test {
namespace {

struct Armed {
    WriteFault fault;
    bool struck = false;
    bool tornTail = false; // the rest of a torn write fails
} armed;

} // namespace

void ArmWriteFault(const WriteFault& fault)
{
    armed = Armed{fault};
}

void DisarmWriteFault()
{
    armed = Armed{};
}

bool WriteFaultStruck()
{
    return armed.struck;
}

} // namespace kt4::dbase::test

extern "C" ssize_t __wrap_pwrite(int fd, const void* data, size_t n, off_t offset)
{
    using kt4::dbase::test::WriteFault;
    auto& a = kt4::dbase::test::armed;
    const WriteFault& f = a.fault;
    if (f.fd < 0 || fd != f.fd)
        return __real_pwrite(fd, data, n, offset);
    if (a.tornTail || (a.struck && f.sticky)) {
        a.tornTail = false;
        errno = EIO;
        return -1;
    }
    if (a.struck || (f.offset >= 0 && offset != f.offset))
        return __real_pwrite(fd, data, n, offset);
    if (a.fault.skip > 0) {
        --a.fault.skip;
        return __real_pwrite(fd, data, n, offset);
    }
    a.struck = true;
    if (f.kind == WriteFault::Torn) {
        a.tornTail = true;
        return __real_pwrite(fd, data, n / 2, offset);
    }
    errno = f.kind == WriteFault::Full ? ENOSPC : EIO;
    return -1;
}
