// Whether users other than this one can change a file or put names into a
// folder. Root may do both anywhere and counts as nobody else. Accounts
// are looked up in the system's account list (getpwent) and group list
// (getgrent); a test puts lists of its own in place.
#pragma once

#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

namespace kt4 {

struct Account {
    std::string name;
    uid_t uid = 0;
    gid_t gid = 0; // primary group
};
// Where the account list comes from: every account of the system by
// default.
using AccountLister = std::vector<Account> (*)();
AccountLister& AccountSource();

struct Group {
    std::string name;
    gid_t gid = 0;
    std::vector<std::string> members; // the names the group lists
};
// Where the group list comes from: every group of the system by default.
using GroupLister = std::vector<Group> (*)();
GroupLister& GroupSource();

// An account other than User (and root) has the group Gid, as its primary
// group or as a listed member.
bool GroupHasOtherMembers(gid_t Gid, uid_t User);
// Gid is the user's own group: the user's primary group, of the user's
// name, which no other account has.
bool UsersOwnGroup(gid_t Gid, uid_t User);

// The file open on Fd carries an access ACL beyond its mode bits; its
// group bits then show the ACL's mask, which covers named users too.
bool HasAccessAcl(int Fd);

// Another user than User may change the file open on Fd (St its fstat):
// everybody may write it, or its group may and that group is not the
// user's own, or an ACL grants write beyond the owner.
bool OthersMayChange(int Fd, const struct stat& St, uid_t User);

// Nobody but User and root may put, remove or rename names in the folder
// open on Fd (St its fstat; Fd may be an O_PATH descriptor): it belongs
// to root or User, and either no other user may write it or it is sticky
// (then only an entry's owner, the folder's owner and root may move the
// entry). A folder of another user is never closed, sticky or not.
bool FolderIsClosed(int Fd, const struct stat& St, uid_t User);

// Whether a path leads to the same folder for as long as the run needs it:
// the folder and every folder above it are closed, and every link on the
// way belongs to User or root and lies in a closed folder. A relative path
// starts at the working folder, whose own path counts.
struct FolderPathCheck {
    enum class Why {
        None,        // closed all the way
        OtherOwner,  // `folder` belongs to another user
        OthersWrite, // others may write `folder` and it is not sticky
        OthersLink,  // `folder` is a link of another user
        NoFolder,    // `folder` is no folder (or a link loop)
        Error,       // `folder` could not be looked at (`error`)
    };
    Why why = Why::None;
    std::string folder; // the first folder (or link) that is not closed
    int error = 0;
    bool Closed() const { return why == Why::None; }
};
FolderPathCheck CheckFolderPath(const std::string& Path, uid_t User);

} // namespace kt4
