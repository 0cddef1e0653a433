// Printing a text file on the printer: the file is stored (OEM) text whose
// pages end at lines beginning with a form feed (code 12); the form feed
// itself is not printed. A last page without a closing form feed is
// printed too; there is no page limit.
#pragma once

#include "foundation/types.h"

#include <string>
#include <vector>

namespace kt4 {

using TextPage = std::vector<std::string>;

// The pages of a text given as lines. Text after a form feed on the same
// line begins the next page. A trailing page holding only blank lines is
// no page.
std::vector<TextPage> SplitTextPages(const std::vector<std::string>& Lines);
// Reads and splits a file; false when it cannot be read.
bool ReadTextPages(const std::string& FileName, std::vector<TextPage>& Pages);

// The lines per page that reports and printing use: LinesPerPage, but at
// least a page header (with HeaderSpaceLines, negative counting as 0) and
// five lines more.
Integer EffectiveLinesPerPage();
Integer EffectiveHeaderSpaceLines();

// Prints the file through the UI service's print call, offering all its
// pages. A missing file gives FileName + " not found !"; a file without
// pages (or only empty pages) is told and not printed. Nothing happens
// while AbortFlag is set.
// False when nothing was printed.
bool PrintTextFile(const std::string& FileName);

} // namespace kt4
