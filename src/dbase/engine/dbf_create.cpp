// CREATE: a new table file and, with a memo field, its empty memo file. Both
// are written through the program's atomic writer (temporary files beside
// the targets, renamed over them only when everything was written); a table
// that another open uses is not replaced (error 32).
#include "dbase/engine/dbf_create.h"

#include "dbase/engine/errors.h"
#include "dbase/engine/runtime.h"
#include "dbase/engine/staged_file.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace kt4::dbase {
namespace {

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
    StagedFile memo;
    int code = memo.Open(fileName);
    if (code == 0)
        code = memo.Write(BuildMemoImage(version, blockSize, BaseNameOf(fileName)));
    if (code != 0) {
        SetError(std::uint16_t(code), fileName + " [" + context + "]");
        return false;
    }
    if ((code = memo.Commit()) != 0) {
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
    const std::string context = "Fehler beim Schreiben von " + file + ". [CreateDbf]";
    // An existing table is replaced only while no other open uses it: its
    // exclusive share lock is held until the new file has the name.
    DbfFile old;
    if (std::error_code ec; fs::exists(file, ec)) {
        int code = OpenWithShareLock(old, file, true, true, Share::Exclusive);
        if (code != 0 && code != 2) {
            SetError(std::uint16_t(code), context);
            return false;
        }
    }
    StagedFile table;
    int code = table.Open(file);
    if (code == 0)
        code = table.Write(image);
    if (code != 0) {
        SetError(std::uint16_t(code), context);
        return false;
    }
    const bool memo = VersionHasMemo(version);
    std::unique_ptr<StagedFile> memoFile;
    if (memo) {
        std::string path = WithExtension(file, MemoExtensionOf(version));
        std::string existing = ResolveNoCase(path);
        path = existing.empty() ? path : existing;
        memoFile = std::make_unique<StagedFile>();
        code = memoFile->Open(path);
        if (code == 0)
            code = memoFile->Write(BuildMemoImage(version, MemoBlockSize(), BaseNameOf(file)));
        if (code != 0) {
            SetError(std::uint16_t(code), "Cannot create memo file " + path + " [CreateDbf()]");
            return false;
        }
    }
    // Both files are complete: put them in place, the memo file first.
    if (memoFile) {
        if ((code = memoFile->Commit()) != 0) {
            SetError(std::uint16_t(code), memoFile->Target() + " [CreateDbf()]");
            return false;
        }
    }
    if ((code = table.Commit()) != 0) {
        SetError(std::uint16_t(code), context);
        return false;
    }
    return true;
}

} // namespace kt4::dbase
