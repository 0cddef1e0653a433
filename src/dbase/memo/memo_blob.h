// Two ways into a memo beside the line table of memo.h:
// - a BLOB: a memo read or written as a byte stream through the BLOB
//   descriptor of the current work area (one BLOB open per area);
// - a memo text file (TMemoTextFile): a memo read line by line or written
//   line by line, like a text file.
//
// Each format keeps its own layout: dBase III text ended by 0x1A (data
// holding 0x1A is refused there), dBase IV FF FF 08 00 and the length + 8,
// FoxPro the type (1 text, 0 binary) and the length, big-endian. A BLOB's
// data is text or binary once for the whole BLOB: fields of types B, G and P
// are binary; for M the first chunk decides (a caller's forced mode wins).
// Text is converted between the table's code page and the engine's ANSI
// code page when the BLOB was opened to convert; text written then that the
// table's page cannot hold is refused (220) before anything is written.
#pragma once

#include "dbase/memo/memo.h"
#include "dbase/memo/memo_internal.h"

#include <cstdint>
#include <string>

namespace kt4::dbase {

enum class TBlobMode { Read = 1, Write = 2 };
// Text modes of a read or write call.
inline constexpr int BlobDecide = -1; // the BLOB's own decision
inline constexpr int BlobBinary = 0;
inline constexpr int BlobText = 1;

// BLOB numbers are kept negative in the records (the field text is "BLOB").
extern bool BlobNumbersNegative;

// Opens the BLOB of the current area. Read: block is the memo to read (0: an
// empty BLOB). Write: block is the memo the field held (0: none, left as it
// is) and receives the block at the end of the file the new data goes to;
// size is the announced length (-1: none). False after an error (reported;
// the descriptor stays inactive).
bool OpenBlob(bool convertText, std::int32_t& block, TBlobMode mode, std::int64_t size = -1,
              char fieldType = 'M');
// Bytes delivered or written (0 at the end, on an inactive BLOB or after an
// error).
std::int64_t ReadBlobStream(void* buffer, std::int64_t count, int textMode = BlobDecide);
std::int64_t WriteBlobStream(const void* buffer, std::int64_t count, int textMode = BlobDecide);
// origin 0 from the start, 1 from the current offset, 2 from the end; the
// new offset (never below 0).
std::int64_t SeekBlobStream(std::int64_t offset, int origin);
// Finishes a written BLOB (its block header, the memo header, the lock).
// True when nothing went wrong; bytesWritten receives the BLOB's length.
bool CloseBlob(std::int64_t* bytesWritten = nullptr);
// The open BLOB's length (-1 while unknown).
std::int64_t BlobLength();
// Installs a memo data hook for the current area (nullptr: none).
void SetMemoDataHook(MemoDataHook hook);

// A memo bound like a text file. I/O results: 0, 100 (read error or read
// past the end), 101 (write error), 102 (not open in that direction).
class TMemoTextFile {
public:
    // Binds to memo block of the current work area.
    void AssignMemo(std::int32_t block);
    int Reset();   // input: the memo's lines
    int Rewrite(); // output: a new memo
    int Append();  // output after the memo's last line
    bool Eof() const;
    int ReadLn(std::string& line);
    int Write(const std::string& text);
    int WriteLn(const std::string& text = "");
    // Output: writes the memo; Block() then names it.
    int Close();
    std::int32_t Block() const { return block_; }

private:
    enum class Mode { Closed, Input, Output };
    void EndLine(TMemoLineEnd end);
    int area_ = 0;
    std::int32_t block_ = 0;
    std::int32_t oldBlock_ = 0;
    Mode mode_ = Mode::Closed;
    bool assigned_ = false;
    TMemoLines lines_;
    std::size_t next_ = 0;
    std::string pending_;
};

} // namespace kt4::dbase
