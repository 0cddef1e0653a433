#include "dbase/ndx/ndx_sort.h"

#include "dbase/engine/dbf_file.h"
#include "dbase/engine/dbf_format.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/keys.h"
#include "foundation/private_temp.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <sys/statvfs.h>
#include <unistd.h>

namespace kt4::dbase::ndx {

namespace {

void SortError(int err)
{
    SetError(std::uint16_t(ErrnoToEngineCode(err)),
             "Fehler beim Schreiben der Sortierdatei [MakeIndex]");
}

} // namespace

std::uint64_t FreeBytes(const std::string& path)
{
    struct statvfs vfs{};
    if (::statvfs(path.empty() ? "." : path.c_str(), &vfs) != 0)
        return UINT64_MAX;
    return std::uint64_t(vfs.f_bavail) * vfs.f_frsize;
}

KeySorter::KeySorter(std::size_t keyLen, bool doubles, std::size_t budget)
    : keyLen_(keyLen), recSize_(keyLen + 4), doubles_(doubles)
{
    capacity_ = std::max<std::size_t>(16, budget / (recSize_ + sizeof(Item)));
}

KeySorter::~KeySorter()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::uint64_t KeySorter::Prefix(const std::uint8_t* key) const
{
    if (doubles_) {
        double v = KeyBytesToDouble(key);
        if (v == 0.0)
            v = 0.0; // -0 sorts as +0
        if (std::isnan(v))
            v = std::numeric_limits<double>::quiet_NaN();
        std::uint64_t u;
        std::memcpy(&u, &v, sizeof u);
        if (std::isnan(v))
            u &= ~(std::uint64_t{1} << 63);
        return (u >> 63) ? ~u : (u | (std::uint64_t{1} << 63));
    }
    std::uint64_t p = 0;
    for (std::size_t i = 0; i < 8; ++i)
        p = (p << 8) | (i < keyLen_ ? key[i] : 0);
    return p;
}

void KeySorter::Reserve(std::size_t records)
{
    const std::size_t n = std::min(records, capacity_);
    records_.reserve(n * recSize_);
    items_.reserve(n);
}

bool KeySorter::Add(const std::uint8_t* key, std::uint32_t rec)
{
    if (items_.size() >= capacity_ && !Spill())
        return false;
    const std::size_t at = records_.size();
    records_.resize(at + recSize_);
    std::memcpy(records_.data() + at, key, keyLen_);
    PutU32(records_.data() + at + keyLen_, rec);
    items_.push_back({Prefix(key), std::uint32_t(items_.size())});
    return true;
}

void KeySorter::SortItems()
{
    const bool rest = !doubles_ && keyLen_ > 8;
    const std::uint8_t* base = records_.data();
    const std::size_t rs = recSize_, kl = keyLen_;
    // Items were added in record order, so the index breaks ties.
    std::sort(items_.begin(), items_.end(), [&](const Item& a, const Item& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        if (rest) {
            const int c = std::memcmp(base + a.index * rs + 8, base + b.index * rs + 8, kl - 8);
            if (c != 0)
                return c < 0;
        }
        return a.index < b.index;
    });
}

bool KeySorter::Spill()
{
    if (fd_ < 0) {
        const std::string dir = PrivateTempSubdir("dbf");
        if (dir.empty()) {
            SetError(3, "Kein temporäres Verzeichnis für die Sortierdatei [MakeIndex]");
            return false;
        }
        std::string templ = dir + "ndxsortXXXXXX";
        fd_ = ::mkstemp(templ.data());
        if (fd_ < 0) {
            SortError(errno);
            return false;
        }
        ::unlink(templ.c_str());
    }
    SortItems();
    std::vector<std::uint8_t> out;
    out.reserve(std::min<std::size_t>(items_.size() * recSize_, std::size_t{1} << 20));
    Run run;
    run.offset = written_;
    auto flush = [&]() {
        DbfFile f;
        f.Adopt(fd_, false, "");
        const bool ok = f.WriteAt(written_, out.data(), out.size());
        const int err = errno;
        f.Release();
        if (!ok) {
            SortError(err);
            return false;
        }
        written_ += std::int64_t(out.size());
        out.clear();
        return true;
    };
    for (const Item& it : items_) {
        const std::uint8_t* r = records_.data() + std::size_t(it.index) * recSize_;
        out.insert(out.end(), r, r + recSize_);
        if (out.size() >= (std::size_t{1} << 20) && !flush())
            return false;
    }
    if (!out.empty() && !flush())
        return false;
    run.end = written_;
    runs_.push_back(std::move(run));
    items_.clear();
    records_.clear();
    return true;
}

bool KeySorter::Less(const std::uint8_t* a, const std::uint8_t* b) const
{
    const int c = doubles_ ? DoubleKeyOrder(KeyBytesToDouble(a), KeyBytesToDouble(b))
                           : std::memcmp(a, b, keyLen_);
    if (c != 0)
        return c < 0;
    return GetU32(a + keyLen_) < GetU32(b + keyLen_);
}

bool KeySorter::Refill(Run& r)
{
    r.pos = 0;
    r.len = std::size_t(std::min<std::int64_t>(std::int64_t(r.buf.size()), r.end - r.offset));
    if (r.len == 0)
        return true;
    DbfFile f;
    f.Adopt(fd_, false, "");
    const long long got = f.ReadAt(r.offset, r.buf.data(), r.len);
    f.Release();
    if (got != static_cast<long long>(r.len)) {
        SetError(100, "Fehler beim Lesen der Sortierdatei [MakeIndex]");
        return false;
    }
    r.offset += std::int64_t(r.len);
    return true;
}

bool KeySorter::HeapLess(std::size_t a, std::size_t b) const
{
    return Less(runs_[a].Current(), runs_[b].Current());
}

void KeySorter::SiftDown(std::size_t i)
{
    const std::size_t n = heap_.size();
    for (;;) {
        std::size_t least = i, l = 2 * i + 1, r = l + 1;
        if (l < n && HeapLess(heap_[l], heap_[least]))
            least = l;
        if (r < n && HeapLess(heap_[r], heap_[least]))
            least = r;
        if (least == i)
            return;
        std::swap(heap_[i], heap_[least]);
        i = least;
    }
}

bool KeySorter::Finish()
{
    if (runs_.empty()) {
        SortItems();
        return true;
    }
    if (!items_.empty() && !Spill())
        return false;
    records_.shrink_to_fit();
    items_.shrink_to_fit();
    const std::size_t budget = capacity_ * (recSize_ + sizeof(Item));
    std::size_t per = budget / runs_.size() / recSize_;
    per = std::clamp<std::size_t>(per, 16, std::size_t{1} << 16);
    for (std::size_t i = 0; i < runs_.size(); ++i) {
        runs_[i].buf.resize(per * recSize_);
        if (!Refill(runs_[i]))
            return false;
        if (runs_[i].len > 0)
            heap_.push_back(i);
    }
    for (std::size_t i = heap_.size() / 2; i-- > 0;)
        SiftDown(i);
    return true;
}

bool KeySorter::Next(const std::uint8_t*& key, std::uint32_t& rec, bool& end)
{
    end = false;
    if (runs_.empty()) {
        if (next_ >= items_.size()) {
            end = true;
            return true;
        }
        key = records_.data() + std::size_t(items_[next_++].index) * recSize_;
        rec = GetU32(key + keyLen_);
        return true;
    }
    if (started_ && !heap_.empty()) {
        Run& r = runs_[heap_[0]];
        r.pos += recSize_;
        if (r.pos >= r.len && !Refill(r))
            return false;
        if (r.len == 0) {
            heap_[0] = heap_.back();
            heap_.pop_back();
        }
        if (!heap_.empty())
            SiftDown(0);
    }
    started_ = true;
    if (heap_.empty()) {
        end = true;
        return true;
    }
    key = runs_[heap_[0]].Current();
    rec = GetU32(key + keyLen_);
    return true;
}

} // namespace kt4::dbase::ndx
