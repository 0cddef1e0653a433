// Files of the table access layer: copies of tables with their memo files,
// the folder write check and the private folder of the index files.
#include "dbase/access/table_access.h"

#include "dbase/engine/dbf_file.h"
#include "dbase/engine/dbf_format.h"
#include "foundation/atomic_file.h"
#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/private_temp.h"
#include "foundation/settings.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kt4::dbase {
namespace {

// A copy of a file, complete beside its target before it takes the name.
class StagedCopy {
public:
    bool Write(const std::string& source, const std::string& target)
    {
        const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
        if (in < 0 || !writer_.Open(target)) {
            if (in >= 0)
                ::close(in);
            return false;
        }
        bool ok = true;
        std::vector<char> buf(65536);
        for (;;) {
            const ssize_t n = ::read(in, buf.data(), buf.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                ok = n == 0;
                break;
            }
            if (!writer_.Write(buf.data(), std::size_t(n))) {
                ok = false;
                break;
            }
        }
        ::close(in);
        return ok;
    }
    bool Commit() { return writer_.Commit(); }

private:
    AtomicWriter writer_;
};

std::uint8_t VersionOf(const std::string& table)
{
    std::uint8_t v = 0;
    const int fd = ::open(table.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        if (::read(fd, &v, 1) != 1)
            v = 0;
        ::close(fd);
    }
    return v;
}

} // namespace

bool CopyTableWithMemo(const std::string& table, const std::string& toFolder)
{
    const std::string target = AddBackslash(toFolder) + FileNamePart(table);
    if (FileIdOf(table).Valid() && FileIdOf(table) == FileIdOf(target))
        return true;
    std::string memo, memoTarget;
    const std::uint8_t version = VersionOf(table);
    if (IsValidDbfVersion(version) && VersionHasMemo(version)) {
        const char* ext = MemoExtensionOf(version);
        memo = ResolveNoCase(WithExtension(table, ext));
        memoTarget = WithExtension(target, ext);
    }
    StagedCopy tableCopy, memoCopy;
    if (!tableCopy.Write(table, target))
        return false;
    if (!memo.empty() && !memoCopy.Write(memo, memoTarget))
        return false;
    // The memo file first: the table never comes without it.
    if (!memo.empty() && !memoCopy.Commit())
        return false;
    return tableCopy.Commit();
}

bool CopyTablesWithMemos(const std::string& fromFolder, const std::string& toFolder)
{
    const std::string from = AddBackslash(fromFolder.empty() ? std::string(".") : fromFolder);
    DIR* d = ::opendir(from.c_str());
    if (!d)
        return false;
    std::vector<std::string> names;
    while (dirent* e = ::readdir(d))
        if (::fnmatch("*.dbf", e->d_name, FNM_CASEFOLD) == 0)
            names.emplace_back(e->d_name);
    ::closedir(d);
    bool ok = !names.empty();
    for (const std::string& n : names)
        if (FileReadable(from + n) && !CopyTableWithMemo(from + n, toFolder))
            ok = false;
    return ok;
}

bool DbfWriteCheck(const std::string& folder, const std::string& fileName)
{
    using namespace settings;
    if (DbfWriteChecked)
        return DbfFolderWritable;
    const std::string path = AddBackslash(folder) + fileName;
    if (!FileReadable(path)) {
        CheckFileReadable(path);
        return false;
    }
    std::string probe = AddBackslash(folder.empty() ? std::string(".") : folder) + ".kt4check.XXXXXX";
    bool ok = false;
    const int fd = ::mkstemp(probe.data());
    if (fd >= 0) {
        static const char line[] = "DBF Write Check\r\n";
        ok = ::write(fd, line, sizeof line - 1) == ssize_t(sizeof line - 1);
        ok = ::close(fd) == 0 && ok;
        ::unlink(probe.c_str());
    }
    DbfFolderWritable = ok;
    DbfWriteChecked = true;
    return ok;
}

std::string DbfCopyFolder() { return PrivateTempDir(); }

std::string DbfTempPath(const std::string& fileName)
{
    const std::string folder = PrivateTempSubdir("dbf");
    return folder.empty() ? std::string() : folder + fileName;
}

} // namespace kt4::dbase
