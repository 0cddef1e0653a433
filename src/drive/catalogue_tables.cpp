#include "drive/catalogue_tables.h"

#include "dbase/dbase.h"
#include "foundation/codepage.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kt4::catalogue {

namespace {

namespace fs = std::filesystem;

std::vector<dbase::FieldDef> FieldDefs(const std::vector<TableField>& fields)
{
    std::vector<dbase::FieldDef> defs;
    for (const auto& f : fields) {
        if (f.kind == 'S')
            defs.push_back({f.name, 'C', f.width, 0});
        else if (f.kind == 'R')
            defs.push_back({f.name, 'N', RealLength, RealDecimals});
        else
            defs.push_back({f.name, 'N', IntegerLength, 0});
    }
    return defs;
}

// The engine's switches for the time of one write.
class EngineScope {
public:
    EngineScope()
    {
        dbase::InitEngine();
        exceptions_ = dbase::SetExceptionMode(false);
        version_ = dbase::CreateVersion();
        area_ = dbase::CurrentAreaNo();
    }
    ~EngineScope()
    {
        dbase::SetCreateVersion(version_);
        dbase::SetExceptionMode(exceptions_);
        dbase::Select(area_ >= 1 && area_ <= dbase::MaxUserAreas ? area_ : 1);
    }
    EngineScope(const EngineScope&) = delete;
    EngineScope& operator=(const EngineScope&) = delete;

private:
    dbase::QuietErrors quiet_;
    bool exceptions_ = false;
    std::uint8_t version_ = 0;
    int area_ = 1;
};

bool AppendRows(const CatalogueSource& Source, const std::vector<TableField>& fields)
{
    for (const CatalogueRow& row : Source.rows) {
        dbase::ClearRecord();
        dbase::TypedBuffer b = dbase::Buffer();
        for (int n = 1; n <= static_cast<int>(fields.size()); ++n) {
            switch (fields[static_cast<std::size_t>(n - 1)].kind) {
            case 'S':
                // The engine holds texts in its ANSI code page and stores them as OEM.
                b.SetText(n, dbase::OemToAnsi(DisplayToOem(row.Text(n))));
                break;
            case 'R':
                b.SetNumber(n, row.Value(n));
                break;
            default:
                b.SetInteger(n, std::llround(row.Value(n)));
                break;
            }
        }
        if (!dbase::Append())
            return false;
    }
    return true;
}

} // namespace

bool WriteCatalogueTable(const CatalogueSource& Source, const std::string& Path, std::string& Error)
{
    const auto& fields = TableFields(Source.typ);
    if (fields.empty()) {
        Error = "Lagertyp " + std::to_string(Source.typ) + " unbekannt";
        return false;
    }
    EngineScope scope;
    const std::string part = Path + ".part";
    std::error_code ec;
    fs::remove(part, ec);
    auto fail = [&](const std::string& what) {
        Error = what + ": " + dbase::LastErrorText();
        dbase::CloseCurrentArea();
        fs::remove(part, ec);
        return false;
    };
    dbase::SetCreateVersion(0x83); // dBase III; without a memo field the version byte is 0x03
    if (!dbase::CreateDbf(part, FieldDefs(fields)))
        return fail(part);
    if (!dbase::Select(0) || !dbase::UseTable({part, "KT4CATALOGUE", true}))
        return fail(part);
    if (!AppendRows(Source, fields))
        return fail(part);
    dbase::CloseCurrentArea();
    if (dbase::EngineErrorCode != 0)
        return fail(part);
    fs::rename(part, Path, ec);
    if (ec) {
        Error = Path + ": " + ec.message();
        fs::remove(part, ec);
        return false;
    }
    return true;
}

bool BuildCatalogueTable(TBearingType Typ, const std::string& SourceDir, const std::string& OutDir,
                         std::vector<std::string>& Messages)
{
    const std::string table = BearingTableName(Typ);
    const std::string source = (fs::path(SourceDir) / (table + ".csv")).string();
    std::ifstream in(source, std::ios::binary);
    std::ostringstream text;
    if (!in || !(text << in.rdbuf())) {
        Messages.push_back(source + ": nicht lesbar");
        return false;
    }
    CatalogueSource rows;
    if (!ReadCatalogueSource(Typ, text.str(), rows)) {
        for (const auto& e : rows.errors)
            Messages.push_back(source + ", " + e);
        return false;
    }
    std::string error;
    if (!WriteCatalogueTable(rows, (fs::path(OutDir) / (table + ".dbf")).string(), error)) {
        Messages.push_back(error);
        return false;
    }
    return true;
}

} // namespace kt4::catalogue
