// Shared by the catalogue tests: the built catalogue folder, running a
// program (the table tool, Python with the peer DBF readers), reading a
// built table row by row through the catalogue record readers, the table
// access layer with no window, and small catalogues of a test's own.
#pragma once

#include "table_layer.h"

#include "common/run_program.h"
#include "dbase/peer_tools.h"

#include "dbase/dataset/tzfds.h"
#include "drive/bearing_catalogue_record.h"
#include "drive/bearing_selection.h"
#include "drive/bearing_takeover.h"
#include "drive/catalogue_tables.h"
#include "foundation/paths.h"
#include "foundation/private_temp.h"
#include "foundation/scratch_dir.h"
#include "foundation/maths.h"
#include "foundation/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kt4::drivetest {

inline const std::string CatalogueDir = KT4_CATALOGUE_DIR;

using ProgramRun = kt4::test::ToolRun; // standard output and error

inline ProgramRun RunProgram(const std::vector<std::string>& argv) { return kt4::test::RunProgram(argv, true); }

// Python with the Debian peer readers (REQUIRE_PYTHON): a missing module
// fails under ./test and CI and skips under a plain ctest run.
using dbase::test::PythonHas;

// Every row of a table file as its type's record buffer holds it (texts in
// OEM, trailing blanks of the fixed-width fields removed).
inline std::vector<CatalogueRecord> ReadTableRows(TBearingType Typ, const std::string& Path)
{
    std::vector<CatalogueRecord> rows;
    dbase::InitEngine();
    dbase::QuietErrors quiet;
    const int area = dbase::CurrentAreaNo();
    if (!dbase::Select(0) || !dbase::UseTable({Path, "CATTEST", false})) {
        ADD_FAILURE() << Path << ": " << dbase::LastErrorText();
        return rows;
    }
    auto field = [](int n) {
        std::string s = dbase::AnsiToOem(dbase::FieldText(n));
        s.erase(s.find_last_not_of(' ') + 1);
        return s;
    };
    const bool aborted = settings::AbortFlag; // the readers stop while it is set
    settings::AbortFlag = false;
    for (std::int32_t r = 1; r <= dbase::RecCount(); ++r) {
        dbase::GO(r);
        CatRecordReaderOf(Typ)(field, r);
        rows.push_back(bearings::CatalogueBuffers[Typ]);
    }
    settings::AbortFlag = aborted;
    dbase::CloseCurrentArea();
    dbase::Select(area);
    return rows;
}

// The table access layer as the program starts it, with no window: the
// engine with its expressions, indexes and datasets, the selection in its
// hooks, the catalogue folder Dir and a scratch temporary folder. Nothing
// of the engine stays open afterwards.
class CatalogueAccess {
public:
    explicit CatalogueAccess(const std::string& Dir = CatalogueDir)
    {
        StartTableLayer();
        dbase::SetDbf4Browser(nullptr);
        settings::DbfDir = AddBackslash(Dir);
        settings::TempDir = temp.Path();
        settings::DbfUseTemp = false;
        settings::DbfWriteChecked = false;
        InstallCatalogueSelection();
    }
    ~CatalogueAccess()
    {
        dbase::DbfClose();
        dbase::SetDbf4Browser(nullptr);
        CatalogueSelectionHooks() = {};
        dbase::ShutdownEngine();
        RemovePrivateTempDir();
    }
    CatalogueAccess(const CatalogueAccess&) = delete;
    CatalogueAccess& operator=(const CatalogueAccess&) = delete;

    testing::ScratchDir temp;
};

// True when no work area of the engine is open.
inline bool NoTableOpen()
{
    for (int n = 1; n <= dbase::MaxAreas; ++n)
        if (dbase::Area(n))
            return false;
    return !dbase::tzdbf || !dbase::tzdbf->Active();
}

// Writes Csv as the table of type Typ into Dir, with the factor tables of
// the built catalogue beside it.
inline void WriteTestCatalogue(TBearingType Typ, const std::string& Csv, const std::string& Dir)
{
    catalogue::CatalogueSource source;
    ASSERT_TRUE(catalogue::ReadCatalogueSource(Typ, Csv, source)) << source.errors.at(0);
    std::string error;
    ASSERT_TRUE(catalogue::WriteCatalogueTable(source, Dir + "/" + BearingTableName(Typ) + ".dbf", error)) << error;
    for (const auto& f : std::filesystem::directory_iterator(CatalogueDir))
        if (f.path().extension() == ".HDF")
            std::filesystem::copy_file(f.path(), Dir + "/" + f.path().filename().string(),
                                       std::filesystem::copy_options::overwrite_existing);
}

} // namespace kt4::drivetest
