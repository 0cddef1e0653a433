// The parsed block files. A block file is read once into its group pairs,
// each value's number taken at reading, and kept while the file keeps its
// modification time, size and inode and the program does not write it
// again; a template that a user edits (such as "$LOGO_2.dx$" in TempDir)
// is read anew at its next insert.
#pragma once

#include "foundation/types.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kt4::cad {

// One group pair of a block file.
struct BlockPair {
    int code = -1;               // the code line as a number, -1 when it is none
    std::size_t at = 0;          // the value line in ParsedBlockFile::text
    std::size_t size = 0;
    std::size_t trimAt = 0;      // the value without leading and trailing blanks and tabs
    std::size_t trimSize = 0;
    bool isInteger = false;      // the trimmed value reads as an integer
    Integer integer = 0;
    Real number = 0;             // the trimmed value as a number, 0 when it is none
};

struct ParsedBlockFile {
    std::string text; // the value lines, one after the other
    std::vector<BlockPair> pairs;
    // A read failed: reading stopped after the last pair, which was read
    // partly when failedInLast.
    bool readError = false;
    bool failedInLast = false;

    std::string_view Value(const BlockPair& p) const { return {text.data() + p.at, p.size}; }
    std::string_view Trimmed(const BlockPair& p) const { return {text.data() + p.trimAt, p.trimSize}; }
};

// The parsed file of block Name, found by Find (the file's path, "" when
// there is none), which is asked again only when the name is new, TempDir
// changed, or the file found before has changed or gone. Null when there
// is no file or it cannot be opened. A file whose reading failed is given
// as far as it was read and not kept. Leaves AbortFlag as it was.
std::shared_ptr<const ParsedBlockFile> ParsedBlockFileOf(const std::string& Name,
                                                         std::string (*Find)(const std::string&));

// Drops the parsed file of the block Name, whatever the case (the program
// writes it), or every parsed file found in Folder (the program empties it).
void ForgetBlockFile(const std::string& Name);
void ForgetBlockFilesIn(const std::string& Folder);

} // namespace kt4::cad
