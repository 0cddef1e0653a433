// The invariant checker of NDX files, used by the tests and by ndxtool.
// It reads the file on its own (not through the engine's tree code): pages
// and counts in range, no page reached twice, entries in (key, record
// number) order, every separator the highest key below it; then, through
// the engine, that every entry names a record whose current key it is and
// (non-UNIQUE) that every record is there once.
#pragma once

#include "dbase/dbase.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace kt4::dbase::check {

struct NdxEntry {
    std::string key;
    std::uint32_t rec = 0;
};

class NdxChecker {
public:
    // Checks the file structure; entries in key order into Entries().
    bool CheckFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(in), {});
        if (bytes_.size() < 1024)
            return Fail("file shorter than two pages");
        root_ = U32(0);
        pages_ = U32(4);
        keyLen_ = U16(12);
        perPage_ = U16(14);
        doubles_ = U16(16) != 0;
        recSize_ = U32(18);
        unique_ = bytes_[23] != 0;
        if (keyLen_ < 1 || keyLen_ > 100 || recSize_ != (keyLen_ + 8 + 3u) / 4 * 4 || perPage_ < 2 ||
            perPage_ > 504 / recSize_)
            return Fail("header out of range");
        if (std::uint64_t(pages_) * 512 > bytes_.size() || root_ < 1 || root_ >= pages_)
            return Fail("root or page count out of range");
        std::string max;
        if (!Walk(root_, 0, max))
            return false;
        for (std::size_t i = 1; i < entries_.size(); ++i) {
            const int c = Compare(entries_[i - 1].key, entries_[i].key);
            if (c > 0 || (c == 0 && (unique_ || entries_[i - 1].rec >= entries_[i].rec)))
                return Fail("entries out of order at " + std::to_string(i));
        }
        return true;
    }

    // Every entry names a record whose key (engine's) it is. The table must
    // be open in the current area with the index in slot.
    bool CheckRecords(int slot)
    {
        const std::int32_t count = RecCount();
        std::set<std::uint32_t> seen;
        for (const NdxEntry& e : entries_) {
            if (e.rec < 1 || std::int32_t(e.rec) > count)
                return Fail("entry names record " + std::to_string(e.rec) + " of " + std::to_string(count));
            if (!seen.insert(e.rec).second)
                return Fail("record " + std::to_string(e.rec) + " twice");
            Dbf4RawGo(std::int32_t(e.rec));
            if (CurrentKeyBytes(slot) != e.key)
                return Fail("record " + std::to_string(e.rec) + " has another key");
        }
        if (!unique_ && std::int32_t(seen.size()) != count)
            return Fail(std::to_string(count - std::int32_t(seen.size())) + " records missing");
        return true;
    }

    const std::vector<NdxEntry>& Entries() const { return entries_; }
    const std::string& Problem() const { return problem_; }
    std::uint32_t Root() const { return root_; }
    std::uint32_t PageCount() const { return pages_; }

private:
    bool Fail(const std::string& why)
    {
        problem_ = why;
        return false;
    }
    std::uint32_t U32(std::size_t at) const
    {
        return std::uint32_t(bytes_[at]) | std::uint32_t(bytes_[at + 1]) << 8 |
               std::uint32_t(bytes_[at + 2]) << 16 | std::uint32_t(bytes_[at + 3]) << 24;
    }
    std::uint16_t U16(std::size_t at) const { return std::uint16_t(bytes_[at] | bytes_[at + 1] << 8); }
    int Compare(const std::string& a, const std::string& b) const
    {
        if (!doubles_)
            return std::memcmp(a.data(), b.data(), keyLen_);
        double x, y;
        std::memcpy(&x, a.data(), 8);
        std::memcpy(&y, b.data(), 8);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    // Walks the subtree at page; max receives its highest key.
    bool Walk(std::uint32_t page, int depth, std::string& max)
    {
        if (depth > 64)
            return Fail("deeper than 64 levels");
        if (page < 1 || page >= pages_)
            return Fail("page " + std::to_string(page) + " out of range");
        if (!visited_.insert(page).second)
            return Fail("page " + std::to_string(page) + " reached twice");
        const std::size_t base = std::size_t(page) * 512;
        const unsigned n = U16(base);
        const bool leaf = U32(base + 4) == 0;
        if (n > perPage_ || (!leaf && 8 + n * recSize_ > 512))
            return Fail("page " + std::to_string(page) + " holds too many keys");
        if (U16(base + 2) != 0)
            return Fail("page " + std::to_string(page) + " has a non-zero word at 2");
        if (leaf) {
            if (n == 0 && page != root_)
                return Fail("empty leaf " + std::to_string(page) + " in the tree");
            for (unsigned i = 0; i < n; ++i) {
                const std::size_t e = base + 4 + i * recSize_;
                entries_.push_back({std::string(bytes_.begin() + long(e + 8), bytes_.begin() + long(e + 8 + keyLen_)),
                                    U32(e + 4)});
            }
            if (n > 0)
                max = entries_.back().key;
            return true;
        }
        for (unsigned i = 0; i <= n; ++i) {
            const std::size_t e = base + 4 + i * recSize_;
            std::string sub;
            if (!Walk(U32(e), depth + 1, sub))
                return false;
            if (i < n) {
                const std::string sep(bytes_.begin() + long(e + 8), bytes_.begin() + long(e + 8 + keyLen_));
                if (sub != sep)
                    return Fail("separator " + std::to_string(i) + " of page " + std::to_string(page) +
                                " is not the highest key below it");
            }
            max = sub;
        }
        return true;
    }

    std::vector<std::uint8_t> bytes_;
    std::uint32_t root_ = 0, pages_ = 0, recSize_ = 0;
    std::uint16_t keyLen_ = 0, perPage_ = 0;
    bool doubles_ = false, unique_ = false;
    std::set<std::uint32_t> visited_;
    std::vector<NdxEntry> entries_;
    std::string problem_;
};

} // namespace kt4::dbase::check
