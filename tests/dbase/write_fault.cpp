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
};
Armed armed[2];

} // namespace

void ArmWriteFault(const WriteFault& fault)
{
    for (Armed& a : armed)
        if (a.fault.fd < 0 || a.fault.fd == fault.fd) {
            a = Armed{fault};
            return;
        }
}

void DisarmWriteFault()
{
    for (Armed& a : armed)
        a = Armed{};
}

bool WriteFaultStruck()
{
    for (const Armed& a : armed)
        if (a.fault.fd >= 0 && !a.struck)
            return false;
    return true;
}

} // namespace kt4::dbase::test

extern "C" ssize_t __wrap_pwrite(int fd, const void* data, size_t n, off_t offset)
{
    using kt4::dbase::test::WriteFault;
    for (auto& a : kt4::dbase::test::armed) {
        WriteFault& f = a.fault;
        if (f.fd < 0 || fd != f.fd)
            continue;
        if (a.tornTail || (a.struck && f.sticky)) {
            a.tornTail = false;
            errno = EIO;
            return -1;
        }
        if (a.struck || (f.offset >= 0 && offset != f.offset))
            break;
        if (f.skip > 0) {
            --f.skip;
            break;
        }
        a.struck = true;
        if (f.kind == WriteFault::Torn) {
            a.tornTail = true;
            return __real_pwrite(fd, data, n / 2, offset);
        }
        errno = f.kind == WriteFault::Full ? ENOSPC : EIO;
        return -1;
    }
    return __real_pwrite(fd, data, n, offset);
}
