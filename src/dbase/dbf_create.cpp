// CREATE: a new table file and, with a memo field, its empty memo file. Both
// are written to temporary files beside the targets and renamed over them
// only when everything was written.
#include "dbase/dbf_create.h"

#include "dbase/errors.h"
#include "dbase/runtime.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace kt4::dbase {
namespace {

// A file written next to its target and renamed over it on Commit.
class StagedFile {
public:
    explicit StagedFile(std::string target) : target_(std::move(target)) {}
    ~StagedFile() { Discard(); }
    // Writes the whole content; 0 or an engine error code.
    int Write(const std::vector<std::uint8_t>& bytes)
    {
        temp_ = target_ + ".new.XXXXXX";
        int fd = ::mkstemp(temp_.data());
        if (fd < 0) {
            temp_.clear();
            return ErrnoToEngineCode(errno);
        }
        DbfFile f;
        f.Adopt(fd, false, temp_);
        if (!f.WriteAt(0, bytes.data(), bytes.size()) || !f.Sync())
            return f.LastError() ? f.LastError() : 101;
        ::fchmod(fd, 0666 & ~CurrentUmask());
        return 0;
    }
    int Commit()
    {
        if (::rename(temp_.c_str(), target_.c_str()) != 0)
            return ErrnoToEngineCode(errno);
        temp_.clear();
        return 0;
    }
    void Discard()
    {
        if (!temp_.empty())
            ::unlink(temp_.c_str());
        temp_.clear();
    }
    const std::string& Target() const { return target_; }

private:
    static mode_t CurrentUmask()
    {
        mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }
    std::string target_;
    std::string temp_;
};

std::string TablePath(const std::string& fileName)
{
    std::string trimmed = fileName;
    while (!trimmed.empty() && trimmed.back() == ' ')
        trimmed.pop_back();
    while (!trimmed.empty() && trimmed.front() == ' ')
        trimmed.erase(0, 1);
    std::string path = WithDefaultExtension(trimmed, "DBF");
    std::string existing = ResolveNoCase(path);
    return existing.empty() ? path : existing;
}

} // namespace

bool CreateDbfMemoFile(const std::string& fileName, std::uint8_t version, std::uint32_t blockSize,
                       const std::string& context)
{
    if (blockSize == 0 || blockSize > 65535) {
        SetError(220, "Ungültige Memo-Blockgröße " + std::to_string(blockSize) + " [" + context + "]");
        return false;
    }
    StagedFile memo(fileName);
    if (int code = memo.Write(BuildMemoImage(version, blockSize, BaseNameOf(fileName))); code != 0) {
        SetError(std::uint16_t(code), fileName + " [" + context + "]");
        return false;
    }
    if (int code = memo.Commit(); code != 0) {
        SetError(std::uint16_t(code), "Cannot create memo file " + fileName + " [" + context + "]");
        return false;
    }
    return true;
}

bool CreateDbf(const std::string& fileName, const std::vector<FieldDef>& fields)
{
    EngineErrorCode = 0;
    std::vector<std::uint8_t> image;
    std::uint8_t version = 0;
    FormatError error;
    if (!BuildDbfImage(fields, CreateVersion(), EngineToday(), image, version, error)) {
        SetError(error.code, error.text);
        return false;
    }
    const std::string file = TablePath(fileName);
    StagedFile table(file);
    if (int code = table.Write(image); code != 0) {
        SetError(std::uint16_t(code), "Fehler beim Schreiben von " + file + ". [CreateDbf]");
        return false;
    }
    const bool memo = VersionHasMemo(version);
    std::unique_ptr<StagedFile> memoFile;
    if (memo) {
        std::string path = WithExtension(file, MemoExtensionOf(version));
        std::string existing = ResolveNoCase(path);
        memoFile = std::make_unique<StagedFile>(existing.empty() ? path : existing);
        const auto bytes = BuildMemoImage(version, MemoBlockSize(), BaseNameOf(file));
        if (int code = memoFile->Write(bytes); code != 0) {
            SetError(std::uint16_t(code), "Cannot create memo file " + memoFile->Target() +
                                              " [CreateDbf()]");
            return false;
        }
    }
    // Both files are complete: put them in place, the memo file first.
    if (memoFile) {
        if (int code = memoFile->Commit(); code != 0) {
            SetError(std::uint16_t(code), memoFile->Target() + " [CreateDbf()]");
            return false;
        }
    }
    if (int code = table.Commit(); code != 0) {
        SetError(std::uint16_t(code), "Fehler beim Schreiben von " + file + ". [CreateDbf]");
        return false;
    }
    return true;
}

} // namespace kt4::dbase
