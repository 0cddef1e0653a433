// The program's identity: product name, file names and title.
#pragma once

namespace kt4::shell {

// Sets ProductName "KT4", BaseName and DataFileExt "kt4", ProgramVersion
// "1.1" and ProgramTitle "Exzentergetriebe  KT4" over the start values of
// the settings. Runs once at start-up, after InitSettings and before any
// header, caption or file name is formed.
void SetProgramIdentity();

} // namespace kt4::shell
