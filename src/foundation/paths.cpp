#include "foundation/paths.h"

#include "foundation/strutil.h"

namespace kt4 {

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::size_t FilePartStart(const std::string& Name)
{
    std::size_t p = Name.find_last_of("/\\");
    return p == std::string::npos ? 0 : p + 1;
}

// The position of the extension dot within the file part, or npos. A dot
// at the start (hidden file) or at the end does not count.
std::size_t ExtensionDot(const std::string& File)
{
    std::size_t p = File.rfind('.');
    if (p == std::string::npos || p == 0 || p + 1 == File.size())
        return std::string::npos;
    return p;
}

} // namespace

std::string AddBackslash(const std::string& Dir)
{
    std::string d = TrimBlanks(Dir);
    if (d.empty() || IsSeparator(d.back()))
        return d;
    return d + "/";
}

std::string AddBackslashColon(const std::string& Dir) { return AddBackslash(Dir); }

std::string StripBackslash(const std::string& Dir)
{
    std::string d = TrimBlanks(Dir);
    if (d.size() > 1 && IsSeparator(d.back()))
        d.pop_back();
    return d;
}

std::string FilePathPart(const std::string& Name) { return Name.substr(0, FilePartStart(Name)); }

std::string FileNamePart(const std::string& Name) { return Name.substr(FilePartStart(Name)); }

std::string FileBaseName(const std::string& Name)
{
    std::string file = FileNamePart(Name);
    std::size_t dot = ExtensionDot(file);
    return dot == std::string::npos ? file : file.substr(0, dot);
}

std::string NameWithoutExt(const std::string& Name) { return FileBaseName(Name); }

std::string PathWithoutExt(const std::string& Name) { return FilePathPart(Name) + NameWithoutExt(Name); }

std::string FileExtAfterDot(const std::string& Name)
{
    std::string file = FileNamePart(Name);
    std::size_t dot = file.find('.', 1);
    return dot == std::string::npos ? std::string() : file.substr(dot + 1);
}

bool NameHasDot(const std::string& Name)
{
    return FileNamePart(Name).find('.') != std::string::npos;
}

bool NameHasExt(const std::string& Name, const std::string& Ext)
{
    if (Ext.empty())
        return false;
    std::string file = FileNamePart(Name);
    std::string tail = "." + Ext;
    return file.size() > tail.size() &&
           LowerStr(file.substr(file.size() - tail.size())) == LowerStr(tail);
}

std::string NameWithoutThisExt(const std::string& Name, const std::string& Ext)
{
    return NameHasExt(Name, Ext) ? Name.substr(0, Name.size() - Ext.size() - 1) : Name;
}

} // namespace kt4
