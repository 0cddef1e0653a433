#include "cad/block_cache.h"

#include "foundation/linefile.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"

#include <algorithm>
#include <map>
#include <sys/stat.h>

namespace kt4::cad {

namespace {

// The value without leading and trailing blanks and tabs: start and length.
std::pair<std::size_t, std::size_t> TrimmedPart(const std::string& s)
{
    const std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos)
        return {0, 0};
    return {a, s.find_last_not_of(" \t") - a + 1};
}

// Reads the pairs of the file as the block reader takes them: a code line
// and a value line each, up to the end of the file or a failed read.
std::shared_ptr<ParsedBlockFile> Load(const std::string& path, off_t size)
{
    LineFile f;
    if (!f.OpenRead(path))
        return nullptr;
    auto parsed = std::make_shared<ParsedBlockFile>();
    // a pair takes 4 bytes at least; most files need far less room than
    // this, which is only reserved, not touched
    constexpr std::size_t MaxReserved = 1 << 20;
    if (size > 0) {
        parsed->text.reserve(std::size_t(size));
        parsed->pairs.reserve(std::min(std::size_t(size) / 8 + 1, MaxReserved));
    }
    auto read = [&f](std::string& s) { return !f.Eof() && f.ReadLine(s); };
    std::string code, value, trimmed;
    while (read(code) && read(value)) {
        BlockPair p;
        const auto [codeAt, codeSize] = TrimmedPart(code);
        trimmed.assign(code, codeAt, codeSize);
        Integer c = -1;
        p.code = TryStrToInteger(trimmed, c) ? c : -1;
        const auto [trimAt, trimSize] = TrimmedPart(value);
        trimmed.assign(value, trimAt, trimSize);
        p.at = parsed->text.size();
        p.size = value.size();
        p.trimAt = p.at + trimAt;
        p.trimSize = trimSize;
        p.isInteger = TryStrToInteger(trimmed, p.integer);
        p.number = StrToReal(trimmed);
        parsed->text += value;
        parsed->pairs.push_back(p);
        if (f.IoError() != 0) {
            parsed->failedInLast = true;
            break;
        }
    }
    parsed->readError = f.IoError() != 0;
    f.Close();
    return parsed;
}

struct Entry {
    std::string tempDir, found;
    std::shared_ptr<const ParsedBlockFile> parsed;
    dev_t device = 0;
    ino_t inode = 0;
    struct timespec mtime {};
    off_t size = -1;
};

bool SameFile(const Entry& e, const struct stat& st)
{
    return e.device == st.st_dev && e.inode == st.st_ino && e.mtime.tv_sec == st.st_mtim.tv_sec &&
           e.mtime.tv_nsec == st.st_mtim.tv_nsec && e.size == st.st_size;
}

// By block name as inserted.
std::map<std::string, Entry>& Cache()
{
    static std::map<std::string, Entry> cache;
    return cache;
}

} // namespace

std::shared_ptr<const ParsedBlockFile> ParsedBlockFileOf(const std::string& Name,
                                                         std::string (*Find)(const std::string&))
{
    auto& cache = Cache();
    struct stat st {};
    auto it = cache.find(Name);
    if (it != cache.end()) {
        const Entry& e = it->second;
        if (e.tempDir == settings::TempDir && ::stat(e.found.c_str(), &st) == 0 && SameFile(e, st))
            return e.parsed;
        cache.erase(it);
    }
    const std::string found = Find(Name);
    if (found.empty())
        return nullptr;
    const bool known = ::stat(found.c_str(), &st) == 0;
    // a failed read sets AbortFlag; the reader tells it where the replay
    // reaches it
    const bool abortBefore = settings::AbortFlag;
    std::shared_ptr<const ParsedBlockFile> parsed = Load(found, known ? st.st_size : 0);
    settings::AbortFlag = abortBefore;
    if (known && parsed && !parsed->readError)
        cache[Name] = {settings::TempDir, found, parsed, st.st_dev, st.st_ino, st.st_mtim, st.st_size};
    return parsed;
}

void ForgetBlockFile(const std::string& Name)
{
    const std::string upper = UpperStr(Name);
    std::erase_if(Cache(), [&](const auto& e) { return UpperStr(e.first) == upper; });
}

void ForgetBlockFilesIn(const std::string& Folder)
{
    if (!Folder.empty())
        std::erase_if(Cache(), [&](const auto& e) { return e.second.found.compare(0, Folder.size(), Folder) == 0; });
}

} // namespace kt4::cad
