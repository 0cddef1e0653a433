// The configuration file BaseName + ".cfg" in ConfigDir: every user setting
// of the program (folders, printer, graphics, CAD, colours, text output,
// units, language) as alternating label and value lines in a fixed order.
// Written in full, read by position; an older, shorter file loads with the
// remaining settings at their start values.
#pragma once

#include "foundation/linefile.h"
#include "foundation/types.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kt4::shell {

// Horizontal correction factor of the graphics ("GrafikKorrekturFaktor
// horizontal"); kept in the file, nothing draws with it.
extern Real GraphicsAspect;

// AddBackslash(ConfigDir) + BaseName + ".cfg"
std::string ConfigFileName();
// The folders searched after ConfigDir: $XDG_CONFIG_HOME/velmora/ and
// $XDG_CONFIG_HOME/velmora/<BaseName>/ (~/.config when the variable is
// unset or empty), each ending with "/".
std::vector<std::string> FallbackConfigDirs();

// Opens F on the configuration or session file Path for reading when this
// user may take it: a regular file of the user running the program that
// no one else may write (OthersMayChange: its group may when that is the
// user's own group, which no other account has, and no ACL lets others).
// A file of another user, or one others may write (one left in a shared
// start folder would choose the programs this user's runs start), is not
// taken, and neither is a name that holds no regular file (a FIFO, a
// device, a folder: never opened, never waited for) or cannot be opened,
// nor a link the writers would not follow (one in a folder where others
// may move names: AtomicWriter), whoever owns the file it leads to: one
// message names it (Kind, "Konfigurationsdatei") and why. False when F was
// not opened.
bool OpenOwnFile(LineFile& F, const std::string& Path, const std::string& Kind);

// Writes the file in full (nothing when AbortFlag is set). The file is
// replaced whole or not at all; a failure is reported and sets AbortFlag.
void WriteConfigFile();
// Searches ConfigDir and the fallback folders, reads the file found and
// completes the settings. A file OpenOwnFile does not take counts as none
// and the search goes on. No file: screen defaults and AbortFlag (no
// error). A file that fails while it is read changes no setting, ends the
// search, is reported and sets AbortFlag.
void ReadConfigFile();

// The lines of the file for the present settings (label and value lines,
// OEM text, without line ends).
std::vector<std::string> ConfigLines();
// Reads the settings from the lines of a file, with the read-time
// corrections, up to the end of the lines; the settings after the end keep
// their values, corrected as if read (no completion step). Returns what
// the reader found worth telling (display text): a plot-line count beyond
// the lines that follow. BadNumber, when given, receives the first line
// that should hold a number and does not (ConfigNumberFault).
struct ConfigNumberFault {
    std::size_t line = 0; // from 1; 0: every number line holds a number
    std::string text;     // the line, without blanks around it (OEM text)
};
std::vector<std::string> ApplyConfigLines(const std::vector<std::string>& Lines,
                                          ConfigNumberFault* BadNumber = nullptr);
// True when Lines begin as a configuration file does: "Konfiguration "
// and a name, then "Version " and a version.
bool HasConfigHeader(const std::vector<std::string>& Lines);
// The settings from the lines of a file found, as ReadConfigFile takes
// them (ApplyConfigLines and the completion); returns its notes.
std::vector<std::string> TakeConfigLines(const std::vector<std::string>& Lines,
                                         ConfigNumberFault* BadNumber = nullptr);

// Start values of this module.
void InitShellConfig();

} // namespace kt4::shell
