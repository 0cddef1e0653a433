// Writes the bearing catalogue tables: dBase III tables (version 0x03, no
// memo) with their texts in code page 850, through the program's own table
// engine.
#pragma once

#include "drive/catalogue_source.h"

#include <string>

namespace kt4::catalogue {

// Writes the rows of Source as the table at Path. The table is built under
// a temporary name in the same folder and renamed over Path when it is
// complete, so Path holds the old table or the new one, never a part.
// False (and Error the reason) when it could not be written.
bool WriteCatalogueTable(const CatalogueSource& Source, const std::string& Path, std::string& Error);

// Reads SourceDir/<table>.csv of type Typ and writes OutDir/<table>.dbf.
// False when the source could not be read, held a line that was refused,
// or the table could not be written; Messages then says why.
bool BuildCatalogueTable(TBearingType Typ, const std::string& SourceDir, const std::string& OutDir,
                         std::vector<std::string>& Messages);

} // namespace kt4::catalogue
