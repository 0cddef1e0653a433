// Starting the plot program's command line: split into an argument vector
// (never through a shell), the program found as typed, else whatever the
// case of its name, else with ".exe" added; a ".BAT" file of the question
// route runs its one line the same way.
#pragma once

#include <string>
#include <vector>

namespace kt4::cad {

// The words of a command line: split at blanks outside double quotes,
// the quotes removed; a backslash is an ordinary character.
std::vector<std::string> SplitCommandLine(const std::string& Line);

// The program file a command word names ("" when there is none): a word
// with "/" as a path, a word without in the folders of PATH.
std::string FindProgram(const std::string& Word);

// Starts the line and does not wait for it. "" when it started, else the
// text to show (stored text): "out of memory !", "file not found" or "Exec
// error " and the system's error number, then the system's reason in
// brackets, ": " and the program (the line's first word when none is
// found). Nothing is started once a signal ends the
// run (RunEnding). Drawing, when given, is the word after the
// program (the drawing without its extension): the plot program reads the
// file the job wrote, whatever folder the line names.
std::string StartPlotCommand(const std::string& Line, const std::string& Drawing = {});

} // namespace kt4::cad
