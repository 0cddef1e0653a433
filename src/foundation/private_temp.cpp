// The process's private temporary folder under TempDir.
#include "foundation/private_temp.h"

#include "foundation/paths.h"
#include "foundation/settings.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace kt4 {

namespace fs = std::filesystem;

namespace {

// Never destroyed, so exit handlers of any order may still ask for it.
std::string& Folder()
{
    static std::string* folder = new std::string;
    return *folder;
}

pid_t& Owner()
{
    static pid_t owner = 0;
    return owner;
}

bool ValidSubName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (unsigned char c : name)
        if (c == '/' || c < 0x20)
            return false;
    return true;
}

// A folder that is ours: a real folder (not a link), owned by this user,
// mode 0700.
bool OwnFolder(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return st.st_uid == ::geteuid() && (st.st_mode & 0777) == 0700;
}

void RemoveAtExit() { RemovePrivateTempDir(); }

} // namespace

std::string PrivateTempDir()
{
    std::string& folder = Folder();
    // A child after fork() does not share the parent's folder: the parent
    // removes it when it ends.
    if (PrivateTempDirExists())
        return folder;
    folder.clear();
    std::string base = settings::TempDir;
    if (base.empty()) {
        const char* env = std::getenv("TMPDIR");
        base = env && *env ? env : "/tmp";
    }
    std::string tmpl = AddBackslash(base) + "kt4-XXXXXX";
    if (::mkdtemp(tmpl.data()) == nullptr)
        return {};
    ::chmod(tmpl.c_str(), 0700);
    folder = tmpl + "/";
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(RemoveAtExit); });
    Owner() = ::getpid();
    return folder;
}

std::string PrivateTempSubdir(const std::string& Name)
{
    if (!ValidSubName(Name))
        return {};
    std::string base = PrivateTempDir();
    if (base.empty())
        return {};
    std::string sub = base + Name;
    if (::mkdir(sub.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    if (!OwnFolder(sub))
        return {};
    return sub + "/";
}

bool EmptyPrivateTempSubdir(const std::string& Name)
{
    if (!ValidSubName(Name) || !PrivateTempDirExists())
        return true;
    std::string sub = Folder() + Name;
    if (!OwnFolder(sub))
        return true;
    std::error_code ec;
    bool ok = true;
    for (fs::directory_iterator it(sub, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code rc;
        fs::remove_all(it->path(), rc); // links are removed, not followed
        if (rc)
            ok = false;
    }
    return ok && !ec;
}

bool PrivateTempDirExists()
{
    const std::string& folder = Folder();
    return !folder.empty() && Owner() == ::getpid() && OwnFolder(folder.substr(0, folder.size() - 1));
}

bool InPrivateTempDir(const std::string& Path)
{
    const std::string& folder = Folder();
    if (folder.empty() || Owner() != ::getpid() || Path.empty())
        return false;
    std::error_code ec;
    const std::string base = fs::absolute(folder, ec).lexically_normal().string();
    const std::string path = fs::absolute(Path, ec).lexically_normal().string();
    return !ec && base.size() > 1 && base.back() == '/' && path.size() > base.size() &&
           path.compare(0, base.size(), base) == 0;
}

void RemovePrivateTempDir()
{
    std::string& folder = Folder();
    if (folder.empty() || Owner() != ::getpid()) {
        folder.clear();
        return;
    }
    std::string path = folder.substr(0, folder.size() - 1);
    folder.clear();
    if (!OwnFolder(path))
        return;
    std::error_code ec;
    fs::remove_all(path, ec);
}

} // namespace kt4
