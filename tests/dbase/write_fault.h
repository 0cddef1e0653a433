// A write that fails where a test wants it: the engine tests are linked
// with pwrite wrapped (-Wl,--wrap=pwrite), and a fault armed on a
// descriptor fails one of its writes, as a full disk, a device error or a
// write torn part-way would. Other descriptors write as they do.
#pragma once

#include <cstdint>

namespace kt4::dbase::test {

struct WriteFault {
    enum Kind {
        Full,    // ENOSPC, no byte written
        Failing, // EIO, no byte written
        Torn,    // half the bytes written, then EIO
    };
    int fd = -1;
    Kind kind = Failing;
    int skip = 0;              // writes let through before the one that fails
    std::int64_t offset = -1;  // only writes at this offset count (-1: any)
    bool sticky = false;       // every later write to fd fails too (EIO)
};

// Arms the fault, beside those armed on other descriptors (one per
// descriptor); Disarm lets every write through again.
void ArmWriteFault(const WriteFault& fault);
void DisarmWriteFault();
// Whether every armed fault struck.
bool WriteFaultStruck();

} // namespace kt4::dbase::test
