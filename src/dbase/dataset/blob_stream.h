// TTzBlobStream: the memo of a dataset field read or written as a byte
// stream (memo_blob.h). A stream for writing puts the dataset into edit
// state; closing it stores the memo's new block in the field, or empties
// the field when nothing was written; after a failed write the field keeps
// its memo. One stream per dataset at a time.
#pragma once

#include "dbase/memo/memo_blob.h"

#include <cstdint>

namespace kt4::dbase {

class TTzFileDataSet;

class TTzBlobStream {
public:
    // size: the announced length for writing (-1: none).
    TTzBlobStream(TTzFileDataSet& dataset, int field, TBlobMode mode, std::int64_t size = -1);
    ~TTzBlobStream();
    TTzBlobStream(const TTzBlobStream&) = delete;
    TTzBlobStream& operator=(const TTzBlobStream&) = delete;

    std::int64_t Read(void* buffer, std::int64_t count);
    std::int64_t Write(const void* buffer, std::int64_t count);
    // origin 0 start, 1 current, 2 end.
    std::int64_t Seek(std::int64_t offset, int origin);
    // Finishes the stream (the destructor does it too, without errors).
    void Close();
    bool Modified() const { return modified_; }

private:
    TTzFileDataSet& dataset_;
    int field_;
    TBlobMode mode_;
    std::int32_t oldBlock_ = 0;
    std::int32_t newBlock_ = 0;
    bool modified_ = false;
    bool failed_ = false;
    bool open_ = false;
};

} // namespace kt4::dbase
