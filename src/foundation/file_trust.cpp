#include "foundation/file_trust.h"

#include <cerrno>
#include <grp.h>
#include <mutex>
#include <pwd.h>
#include <sys/xattr.h>

namespace kt4 {

namespace {

constexpr const char* AccessAclName = "system.posix_acl_access";

std::vector<Account> SystemAccounts()
{
    std::vector<Account> all;
    ::setpwent();
    while (const passwd* pw = ::getpwent())
        all.push_back({pw->pw_name, pw->pw_uid, pw->pw_gid});
    ::endpwent();
    return all;
}

// The account and group lists are read through static buffers.
std::mutex& LookupLock()
{
    static auto* lock = new std::mutex;
    return *lock;
}

// The names the group Gid lists as members; none when it is unknown.
std::vector<std::string> ListedMembers(gid_t Gid)
{
    std::vector<std::string> names;
    if (const group* grp = ::getgrgid(Gid))
        for (char** member = grp->gr_mem; *member; ++member)
            names.emplace_back(*member);
    return names;
}

std::string GroupName(gid_t Gid)
{
    const group* grp = ::getgrgid(Gid);
    return grp ? grp->gr_name : "";
}

bool OtherMembers(const std::vector<Account>& accounts, gid_t Gid, uid_t User)
{
    for (const Account& a : accounts)
        if (a.gid == Gid && a.uid != User && a.uid != 0)
            return true;
    for (const std::string& name : ListedMembers(Gid)) {
        bool other = true; // a name no account has counts as another's
        for (const Account& a : accounts)
            if (a.name == name)
                other = a.uid != User && a.uid != 0;
        if (other)
            return true;
    }
    return false;
}

// ENODATA: no ACL; ENOTSUP: the file system has none.
bool AclPresent(ssize_t got) { return got >= 0 || (errno != ENODATA && errno != ENOTSUP); }

} // namespace

AccountLister& AccountSource()
{
    static AccountLister source = SystemAccounts;
    return source;
}

bool GroupHasOtherMembers(gid_t Gid, uid_t User)
{
    std::lock_guard<std::mutex> hold(LookupLock());
    return OtherMembers(AccountSource()(), Gid, User);
}

bool UsersOwnGroup(gid_t Gid, uid_t User)
{
    std::lock_guard<std::mutex> hold(LookupLock());
    const std::vector<Account> accounts = AccountSource()();
    for (const Account& a : accounts)
        if (a.uid == User)
            return a.gid == Gid && a.name == GroupName(Gid) && !OtherMembers(accounts, Gid, User);
    return false;
}

bool HasAccessAcl(int Fd) { return AclPresent(::fgetxattr(Fd, AccessAclName, nullptr, 0)); }

bool OthersMayChange(int Fd, const struct stat& St, uid_t User)
{
    if ((St.st_mode & S_IWOTH) != 0)
        return true;
    return (St.st_mode & S_IWGRP) != 0 && (HasAccessAcl(Fd) || !UsersOwnGroup(St.st_gid, User));
}

bool OthersMayPlantIn(const std::string& Dir, uid_t User)
{
    struct stat st {};
    if (::stat(Dir.c_str(), &st) != 0)
        return false;
    if ((st.st_uid != User && st.st_uid != 0) || (st.st_mode & S_IWOTH) != 0)
        return true;
    return (st.st_mode & S_IWGRP) != 0 &&
           (AclPresent(::getxattr(Dir.c_str(), AccessAclName, nullptr, 0)) || GroupHasOtherMembers(st.st_gid, User));
}

} // namespace kt4
