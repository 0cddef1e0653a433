// The list of the four most recently used data files (settings::
// RecentFiles, index 1 the most recent), shown as numbered items of the
// File menu and kept in the session file.
#pragma once

#include <string>

namespace kt4::shell {

// The full name of the data file Name: DataDir joined with Name and
// "." + DataFileExt. A Name that already ends with that extension keeps
// it, an absolute Name keeps its folder; the result is absolute. As a save
// does, a Name with a "." whose file is there and the data file is not
// ("c.dxf") stands for itself.
std::string RecentFilePath(const std::string& Name);

// Puts the full name of Name at index 1; an entry of the same name (case
// ignored) is removed first, and the oldest entry drops out.
void AddRecentFile(const std::string& Name);
// Removes entry K (1..4); the entries behind it move up, entry 4 is empty.
void RemoveRecentFile(int K);

// The display form of a long path: below 50 characters unchanged; else the
// text up to the first separator, "...", and the text from the last
// separator on (unchanged when there are not two separators).
std::string ShortenPath(const std::string& Path);
// "&" + K + " " + ShortenPath(entry K); "" for an empty entry.
std::string RecentFileCaption(int K);

} // namespace kt4::shell
