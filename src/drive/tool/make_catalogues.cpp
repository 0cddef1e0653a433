// Builds the bearing catalogue tables from their readable sources:
//
//   kt4_catalogues SOURCE_DIR OUT_DIR [TABLE...]
//
// writes OUT_DIR/<table>.dbf from SOURCE_DIR/<table>.csv for every table
// named, or for all twelve. A source line that cannot be read fails the
// run (exit 1) and leaves that table as it was.
//
//   kt4_catalogues --layouts SOURCE.csv OUT.dbf
//
// writes the print layout table from its source the same way.
#include "drive/bearing_types.h"
#include "drive/catalogue_tables.h"
#include "graphics/print_layouts.h"

#include <filesystem>
#include <iostream>
#include <set>
#include <string>

int main(int argc, char** argv)
{
    using namespace kt4;
    if (argc == 4 && std::string(argv[1]) == "--layouts") {
        std::vector<std::string> messages;
        const bool ok = graphics::BuildPrintLayoutTable(argv[2], argv[3], messages);
        for (const auto& m : messages)
            std::cerr << m << '\n';
        return ok ? 0 : 1;
    }
    if (argc < 3) {
        std::cerr << "usage: kt4_catalogues SOURCE_DIR OUT_DIR [TABLE...]\n";
        return 2;
    }
    std::set<std::string> wanted(argv + 3, argv + argc);
    const bool all = wanted.empty();
    std::error_code ec;
    std::filesystem::create_directories(argv[2], ec);
    int failed = 0;
    for (TBearingType t = 1; t <= BearingTypeCount; ++t) {
        const std::string table = BearingTableName(t);
        if (!all && !wanted.erase(table))
            continue;
        std::vector<std::string> messages;
        if (!catalogue::BuildCatalogueTable(t, argv[1], argv[2], messages))
            ++failed;
        for (const auto& m : messages)
            std::cerr << m << '\n';
    }
    for (const auto& name : wanted) {
        std::cerr << name << ": keine Katalogtabelle\n";
        ++failed;
    }
    return failed ? 1 : 0;
}
