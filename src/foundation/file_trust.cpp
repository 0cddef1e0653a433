#include "foundation/file_trust.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <deque>
#include <fcntl.h>
#include <grp.h>
#include <mutex>
#include <pwd.h>
#include <sys/xattr.h>
#include <unistd.h>

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

std::vector<Group> SystemGroups()
{
    std::vector<Group> all;
    ::setgrent();
    while (const group* grp = ::getgrent()) {
        Group g{grp->gr_name, grp->gr_gid, {}};
        for (char** member = grp->gr_mem; *member; ++member)
            g.members.emplace_back(*member);
        all.push_back(std::move(g));
    }
    ::endgrent();
    return all;
}

// The group Gid of the list; nullptr when it is unknown.
const Group* FindGroup(const std::vector<Group>& Groups, gid_t Gid)
{
    for (const Group& g : Groups)
        if (g.gid == Gid)
            return &g;
    return nullptr;
}

// An account other than User and root has the group G as its primary
// group or is listed in it.
bool OtherMembers(const std::vector<Account>& accounts, const Group& G, uid_t User)
{
    for (const Account& a : accounts)
        if (a.gid == G.gid && a.uid != User && a.uid != 0)
            return true;
    for (const std::string& name : G.members) {
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

GroupLister& GroupSource()
{
    static GroupLister source = SystemGroups;
    return source;
}

bool GroupHasOtherMembers(gid_t Gid, uid_t User)
{
    std::lock_guard<std::mutex> hold(LookupLock());
    const std::vector<Group> groups = GroupSource()();
    const Group* listed = FindGroup(groups, Gid);
    return OtherMembers(AccountSource()(), listed ? *listed : Group{"", Gid, {}}, User);
}

bool UsersOwnGroup(gid_t Gid, uid_t User)
{
    std::lock_guard<std::mutex> hold(LookupLock());
    const std::vector<Account> accounts = AccountSource()();
    const std::vector<Group> groups = GroupSource()();
    const Group* listed = FindGroup(groups, Gid);
    for (const Account& a : accounts)
        if (a.uid == User)
            return listed && a.gid == Gid && a.name == listed->name && !OtherMembers(accounts, *listed, User);
    return false;
}

bool HasAccessAcl(int Fd) { return AclPresent(::fgetxattr(Fd, AccessAclName, nullptr, 0)); }

bool OthersMayChange(int Fd, const struct stat& St, uid_t User)
{
    if ((St.st_mode & S_IWOTH) != 0)
        return true;
    return (St.st_mode & S_IWGRP) != 0 && (HasAccessAcl(Fd) || !UsersOwnGroup(St.st_gid, User));
}

namespace {

// The access ACL of a file open on an O_PATH descriptor, which fgetxattr
// does not take: through its /proc link. Without /proc it counts as there.
bool PathFdHasAccessAcl(int Fd)
{
    const std::string link = "/proc/self/fd/" + std::to_string(Fd);
    const ssize_t got = ::getxattr(link.c_str(), AccessAclName, nullptr, 0);
    if (got < 0 && errno == ENOENT)
        return true;
    return AclPresent(got);
}

std::deque<std::string> PathParts(const std::string& Path)
{
    std::deque<std::string> parts;
    std::string::size_type at = 0;
    while (at <= Path.size()) {
        const std::string::size_type end = std::min(Path.find('/', at), Path.size());
        if (end > at)
            parts.emplace_back(Path, at, end - at);
        at = end + 1;
    }
    return parts;
}

std::string Joined(const std::vector<std::string>& names)
{
    std::string path;
    for (const std::string& name : names)
        path += "/" + name;
    return path.empty() ? "/" : path;
}

} // namespace

bool FolderIsClosed(int Fd, const struct stat& St, uid_t User)
{
    if (!S_ISDIR(St.st_mode) || (St.st_uid != User && St.st_uid != 0))
        return false;
    if ((St.st_mode & S_ISVTX) != 0 || (St.st_mode & S_IWOTH) != 0)
        return (St.st_mode & S_ISVTX) != 0;
    // The group bits show an ACL's mask: with write there, a named user or
    // group may write.
    return (St.st_mode & S_IWGRP) == 0 || (!PathFdHasAccessAcl(Fd) && !GroupHasOtherMembers(St.st_gid, User));
}

FolderPathCheck CheckFolderPath(const std::string& Path, uid_t User)
{
    using Why = FolderPathCheck::Why;
    FolderPathCheck result;
    std::string path = Path;
    if (path.empty())
        path = ".";
    if (path.front() != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd)) {
            result = {Why::Error, Path, errno};
            return result;
        }
        path = std::string(cwd) + "/" + path;
    }
    std::deque<std::string> rest = PathParts(path);
    std::vector<std::string> names; // the folders walked, below "/"
    std::vector<int> fds;           // their descriptors, "/" first
    const auto fail = [&](Why why, const std::string& where, int error) {
        result = {why, where, error};
        return false;
    };
    const auto enter = [&](int fd, const std::string& where) {
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            const int cause = errno;
            ::close(fd);
            return fail(Why::Error, where, cause);
        }
        if (!S_ISDIR(st.st_mode)) {
            ::close(fd);
            return fail(Why::NoFolder, where, ENOTDIR);
        }
        if (!FolderIsClosed(fd, st, User)) {
            ::close(fd);
            return fail(st.st_uid != User && st.st_uid != 0 ? Why::OtherOwner : Why::OthersWrite, where, 0);
        }
        fds.push_back(fd);
        return true;
    };
    bool ok = true;
    const int root = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (root < 0)
        ok = fail(Why::Error, "/", errno);
    else
        ok = enter(root, "/");
    int links = 0;
    while (ok && !rest.empty()) {
        const std::string name = rest.front();
        rest.pop_front();
        if (name == ".")
            continue;
        if (name == "..") {
            if (fds.size() > 1) {
                ::close(fds.back());
                fds.pop_back();
                names.pop_back();
            }
            continue;
        }
        names.push_back(name);
        const std::string where = Joined(names);
        const int fd = ::openat(fds.back(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        struct stat st {};
        if (fd < 0 || ::fstat(fd, &st) != 0) {
            ok = fail(Why::Error, where, errno);
            if (fd >= 0)
                ::close(fd);
            break;
        }
        if (!S_ISLNK(st.st_mode)) {
            ok = enter(fd, where);
            continue;
        }
        // A link in a closed folder: only its owner, the folder's owner
        // and root may swap it, so it must be the user's or root's.
        ::close(fd);
        names.pop_back();
        if (st.st_uid != User && st.st_uid != 0) {
            ok = fail(Why::OthersLink, where, 0);
            break;
        }
        char buf[PATH_MAX];
        const ssize_t n = ::readlinkat(fds.back(), name.c_str(), buf, sizeof buf);
        if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buf || ++links > 40) {
            ok = fail(n < 0 ? Why::Error : Why::NoFolder, where, n < 0 ? errno : ELOOP);
            break;
        }
        const std::string target(buf, static_cast<std::size_t>(n));
        std::deque<std::string> parts = PathParts(target);
        rest.insert(rest.begin(), parts.begin(), parts.end());
        if (target.front() == '/') {
            while (fds.size() > 1) {
                ::close(fds.back());
                fds.pop_back();
            }
            names.clear();
        }
    }
    for (int fd : fds)
        ::close(fd);
    return result;
}

} // namespace kt4
