// Sorting (key, record number) pairs for an index build: in memory within
// a budget, beyond it as sorted runs in a private temporary file (unlinked
// at once) merged with a heap. The order is total (double keys by
// DoubleKeyOrder, equal keys by record number), so both ways give the same
// sequence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kt4::dbase::ndx {

class KeySorter {
public:
    KeySorter(std::size_t keyLen, bool doubles, std::size_t budget);
    ~KeySorter();
    KeySorter(const KeySorter&) = delete;
    KeySorter& operator=(const KeySorter&) = delete;

    // Room for the pairs of records to come (at most a run), so that the
    // vectors do not grow by doubling past the budget.
    void Reserve(std::size_t records);
    // Records must come in ascending record-number order. False after an
    // I/O error of the run file (reported).
    bool Add(const std::uint8_t* key, std::uint32_t rec);
    bool Finish();
    // The next pair in order; end when none is left.
    bool Next(const std::uint8_t*& key, std::uint32_t& rec, bool& end);

private:
    struct Item {
        std::uint64_t prefix;
        std::uint32_t index;
    };
    struct Run {
        std::int64_t offset = 0, end = 0; // unread part in the file
        std::vector<std::uint8_t> buf;
        std::size_t pos = 0, len = 0;
        const std::uint8_t* Current() const { return buf.data() + pos; }
    };
    std::uint64_t Prefix(const std::uint8_t* key) const;
    void SortItems();
    bool Spill();
    bool Refill(Run& r);
    bool Less(const std::uint8_t* a, const std::uint8_t* b) const; // whole records
    bool HeapLess(std::size_t a, std::size_t b) const;
    void SiftDown(std::size_t i);

    std::size_t keyLen_, recSize_;
    bool doubles_;
    std::size_t capacity_; // records per run
    std::vector<std::uint8_t> records_;
    std::vector<Item> items_;
    std::size_t next_ = 0;
    int fd_ = -1;
    std::int64_t written_ = 0;
    std::vector<Run> runs_;
    std::vector<std::size_t> heap_;
    bool started_ = false;
};

// Free space in bytes of the file system holding path (64 bits).
std::uint64_t FreeBytes(const std::string& path);

} // namespace kt4::dbase::ndx
