// An access ACL that lets one more user write a file or folder, as
// setfacl -m u:UID:rw(x) sets it, without the ACL library.
#pragma once

#include <cstdint>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace kt4::test {

// Grants the user Uid write (and search, for a folder) beside the mode's
// entries; the mode's group bits then show the mask, rw(x). False when the
// file system keeps no ACLs.
inline bool GrantWriteAcl(const std::string& Path, uid_t Uid)
{
    const int fd = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    const bool known = fd >= 0 && ::fstat(fd, &st) == 0;
    const std::uint32_t all = S_ISDIR(st.st_mode) ? 7 : 6, none = 0xFFFFFFFF, mode = st.st_mode;
    // version 2; then tag | permissions << 16, and the id: owner, the user,
    // group, mask, others
    const std::uint32_t words[] = {2,        0x01 | (mode >> 6 & 7) << 16, none, 0x02 | all << 16, Uid,
                                   0x04 | (mode >> 3 & 7) << 16, none, 0x10 | all << 16, none,
                                   0x20 | (mode & 7) << 16, none};
    std::string value;
    for (const std::uint32_t word : words)
        for (int k = 0; k < 4; ++k)
            value += char(word >> (8 * k) & 0xFF);
    const bool set = known && ::fsetxattr(fd, "system.posix_acl_access", value.data(), value.size(), 0) == 0;
    if (fd >= 0)
        ::close(fd);
    return set;
}

} // namespace kt4::test
