// The configured work folders: empty ones get a default, invalid ones are
// reported.
#pragma once

#include <string>

namespace kt4::shell {

// The folder of the program's own data files (help texts, pictures,
// tables): the data folder of the build when it is there, else the folder
// current at program start.
std::string ProgramDataDir();

// The folder of the bearing catalogue tables and their load-factor tables:
// the one the build writes them into when it is there, else the program's
// data folder.
std::string ProgramCatalogueDir();

// Empty folders: TempDir takes $TMPDIR, else "/tmp"; DbfDir the catalogue
// folder; PltDir the program's data folder; the EDI folder and
// DefaultDataDir the start folder. Then each folder is tested and a
// failure reported; for an invalid temporary folder the user is asked for
// another. The private folders and temporaries that ended runs of this
// user left in TempDir are removed. With DbfUseTemp the tables of DbfDir
// are copied into the process's private folder (dbase::DbfCopyFolder).
void CheckWorkFolders();

} // namespace kt4::shell
