// An access ACL that lets one more user write a file or folder, set as
// setfacl -m u:UID:rw(x) would, without the ACL library.
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
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    const std::uint16_t all = S_ISDIR(st.st_mode) ? 7 : 6;
    const std::uint32_t none = 0xFFFFFFFF;
    const struct {
        std::uint16_t tag, perm;
        std::uint32_t id;
    } entries[] = {{0x01, std::uint16_t((st.st_mode >> 6) & 7), none}, // owner
                   {0x02, all, Uid},                                   // the user
                   {0x04, std::uint16_t((st.st_mode >> 3) & 7), none}, // group
                   {0x10, all, none},                                  // mask
                   {0x20, std::uint16_t(st.st_mode & 7), none}};       // others
    std::string value(4, '\0');
    value[0] = 2; // version
    for (const auto& e : entries)
        for (std::uint32_t part : {std::uint32_t(e.tag) | std::uint32_t(e.perm) << 16, e.id})
            for (int k = 0; k < 4; ++k)
                value += char((part >> (8 * k)) & 0xFF);
    const bool set = ::fsetxattr(fd, "system.posix_acl_access", value.data(), value.size(), 0) == 0;
    ::close(fd);
    return set;
}

} // namespace kt4::test
