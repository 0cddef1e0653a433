// File and folder names as texts. "/" and "\" both count as separators;
// a separator that is added is "/". The extension and base-name helpers
// look at the file part only (the text after the last separator), so
// dotted folder names ("/home/u/.config/x.kt4") do not disturb them, and
// a leading "." of a hidden file is not an extension dot.
#pragma once

#include <string>

namespace kt4 {

// Dir without surrounding blanks, followed by "/" unless it is empty or
// already ends with a separator.
std::string AddBackslash(const std::string& Dir);
// The same (there are no drive names here).
std::string AddBackslashColon(const std::string& Dir);
// Dir without surrounding blanks and without one trailing separator
// (the root "/" stays).
std::string StripBackslash(const std::string& Dir);

// The leading part up to and including the last separator; "" when none.
std::string FilePathPart(const std::string& Name);
// The file part without its extension (the text from its last ".").
std::string FileBaseName(const std::string& Name);
std::string NameWithoutExt(const std::string& Name);
// FilePathPart + NameWithoutExt.
std::string PathWithoutExt(const std::string& Name);
// The text after the first "." of the file part; "" when none.
std::string FileExtAfterDot(const std::string& Name);
// The file part.
std::string FileNamePart(const std::string& Name);
// True when the file part holds a "." (a name given with its extension);
// dots in folder names do not count.
bool NameHasDot(const std::string& Name);
// True when the file part ends in "." + Ext (any case) after at least one
// other character: only then does a name already carry that extension
// ("proj.v2" does not carry "kt4", "PROJ.KT4" does).
bool NameHasExt(const std::string& Name, const std::string& Ext);
// Name without a trailing "." + Ext (any case); every other dot stays.
std::string NameWithoutThisExt(const std::string& Name, const std::string& Ext);

} // namespace kt4
