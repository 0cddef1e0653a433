// Files and folders on disk: existence and access tests, erasing, copying,
// attributes, and finding the program's data files whatever the case of
// their names. Copies replace their target whole or not at all; failures
// set settings::AbortFlag and show nothing.
#pragma once

#include <string>

namespace kt4 {

// True when the file opens for reading.
bool FileReadable(const std::string& Name);
// True when a scratch file can be created in the folder (a temporary of
// the atomic writer, removed again).
bool DirWritable(const std::string& Dir);
// True when the folder exists and can be listed.
bool DirReadable(const std::string& Dir);
// True when the folder exists and can be entered.
bool DirExists(const std::string& Dir);

// Opens Name with Flags (O_CLOEXEC, O_NONBLOCK and O_NOCTTY added) only
// when it names a regular file, or nothing and Flags create it. The name
// is looked at first, so that a FIFO or device found there is not opened
// (a tape rewinds at its close, a line drops its signal). One put in the
// name's place between that look and the open is opened, without waiting
// (O_NONBLOCK) and without becoming the controlling terminal, and refused
// by the look at the open file that follows: nothing is read from or
// written to it. The descriptor, or -1 with errno (EISDIR for a folder,
// ENODEV for anything else that is no regular file).
int OpenRegularFile(const std::string& Name, int Flags, unsigned Mode = 0);

// Creates an empty file only when no file of that name exists (O_EXCL):
// the way to claim a numbered temporary name. False when the name is
// taken or the folder refuses.
[[nodiscard]] bool CreateExclusive(const std::string& Name);

// True when both names reach the same file on disk (links followed: the
// same device and inode); false when either is not there.
bool SameFile(const std::string& A, const std::string& B);

// What a file the table engine holds open is to it.
enum class HeldFile { None, Table, Memo, Index, Semaphore };
// The table engine notes every file it holds open (Holder: the object
// holding it, Fd its descriptor) and forgets it when it lets it go, so that
// no output is written over it (this library cannot ask the engine). A
// Holder noted again replaces its entry.
void NoteHeldFile(const void* Holder, HeldFile Kind, int Fd);
void ForgetHeldFile(const void* Holder);
// What the file Name reaches (links followed: the same device and inode)
// is to the engine; None when it holds no such file open.
HeldFile HeldFileAt(const std::string& Name);

// Erases the file when it is there; false when nothing was erased.
bool EraseFile(const std::string& Name);
// Erases every file matching Dir + Mask ("*" and "?"; "*.*" matches
// every name). Dir is used as given, so it ends with a separator.
int EraseFiles(const std::string& Dir, const std::string& Mask);

// Copies Src to Dst. Dst is made absolute; when it names a folder (or ends
// with a separator) the source's file name is added. The source is opened
// first: when it cannot be read, the target is left alone. False and
// AbortFlag on any failure; an existing target then keeps its content.
[[nodiscard]] bool CopyFileTo(const std::string& Src, const std::string& Dst);
// Copies Src into the folder part of Dst when Src is readable.
[[nodiscard]] bool CopyFileToDir(const std::string& Src, const std::string& Dst);
// Copies Src to exactly Dst, replacing it whole or not at all.
[[nodiscard]] bool BlockCopyFile(const std::string& Src, const std::string& Dst);
// Copies every file of SrcDir matching Mask into DstDir (folders and
// unreadable entries are skipped). AbortFlag is set when nothing matches
// or a copy failed, and cleared otherwise.
[[nodiscard]] bool CopyFiles(const std::string& Mask, const std::string& SrcDir, const std::string& DstDir);

// File attributes as the configuration and table code know them.
enum FileAttr : int {
    AttrReadOnly = 0x01,
    AttrHidden = 0x02,
    AttrDirectory = 0x10,
    AttrArchive = 0x20, // a regular file
};
// True when the file has every attribute bit of Attr.
bool HasAttr(const std::string& Name, int Attr);

// Finds the file Name in Dir regardless of the case of its name (an exact
// match first). Returns the full path, or "" when there is none.
std::string FindFileNoCase(const std::string& Dir, const std::string& Name);
// The same for a full path: its folder part and file part.
std::string FindFileNoCase(const std::string& Path);

// The file that Name stands for with the extension Ext: Name itself when
// it ends in "." + Ext (NameHasExt), else Dir + Name + "." + Ext. When
// that file does not exist but one whose name differs only in case does
// ("PROJ.KT4" for "PROJ"), that one: a file is saved and listed under the
// name it has on disk.
std::string FileWithExt(const std::string& Dir, const std::string& Name, const std::string& Ext);
// True when Name, with a "." in its file part, names the project file
// itself: that file is there (in Dir, unless Name is absolute or Dir
// empty) and FileWithExt's file is not ("c.dxf", read and saved as it is).
bool DataFileIsName(const std::string& Dir, const std::string& Name, const std::string& Ext);
// The project file Name stands for, where it is read and saved: Name in
// Dir when DataFileIsName, else FileWithExt.
std::string DataFileFor(const std::string& Dir, const std::string& Name, const std::string& Ext);
// The current file name of a project read from Path: its file name
// without the extension Ext, or whole when it has another one ("c.dxf"),
// so that a save writes the file it was read from.
std::string ProjectNameOf(const std::string& Path, const std::string& Ext);
// The name a project of the name Name is saved under, as the window, the
// drawing's footer and the printout show it: Name when it carries Ext or
// names the file itself (DataFileIsName), else Name + "." + Ext.
std::string SavedName(const std::string& Dir, const std::string& Name, const std::string& Ext);

} // namespace kt4
