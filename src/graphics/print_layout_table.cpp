// The program's own layout table "printout.dbf", built from its readable
// source data/src/printout.csv by the build step of the catalogues.
#include "graphics/print_layouts.h"

#include "dbase/dbase.h"
#include "dbase/engine/codepage.h"
#include "foundation/codepage.h"
#include "foundation/numstr.h"
#include "foundation/strutil.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace kt4::graphics {

namespace {

// One CSV line split at commas; a field in double quotes may hold commas,
// and "" in it stands for one quote.
std::vector<std::string> SplitCsv(const std::string& line)
{
    std::vector<std::string> out(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"')
                out.back() += line[++i];
            else if (c == '"')
                quoted = false;
            else
                out.back() += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

bool ParseLogical(const std::string& text, bool& b)
{
    const std::string t = UpperStr(TrimBlanks(text));
    if (t == "T" || t == "Y" || t == "J")
        b = true;
    else if (t == "F" || t == "N")
        b = false;
    else
        return false;
    return true;
}

std::string ReadRow(const std::vector<std::string>& f, PrintLayoutRow& row)
{
    if (f.size() != 9)
        return "9 Felder erwartet, " + std::to_string(f.size()) + " gefunden";
    row.name = TrimBlanks(f[0]);
    if (row.name.empty() || DisplayToOem(row.name).size() > std::size_t(LayoutNameWidth))
        return "Name leer oder l\xC3\xA4nger als 25 Zeichen";
    Real sx = 0, sy = 0;
    if (!TryStrToReal(TrimBlanks(f[1]), sx) || !TryStrToReal(TrimBlanks(f[2]), sy) ||
        !PrintScaleInRange(sx) || !PrintScaleInRange(sy))
        return "Ma\xC3\x9Fstab keine Zahl in (0, 100]";
    if (!TryStrToInteger(TrimBlanks(f[3]), row.xorigin) || !TryStrToInteger(TrimBlanks(f[4]), row.yorigin) ||
        !PrintOriginInRange(row.xorigin) || !PrintOriginInRange(row.yorigin))
        return "Ursprung keine ganze Zahl in -1000 .. 1000";
    row.xscale = double(sx);
    row.yscale = double(sy);
    if (!ParseLogical(f[5], row.landscape) || !ParseLogical(f[6], row.monochrom) ||
        !ParseLogical(f[7], row.variable) || !ParseLogical(f[8], row.borderline))
        return "logisches Feld nicht T oder F";
    return {};
}

} // namespace

bool ReadPrintLayoutSource(const std::string& text, std::vector<PrintLayoutRow>& rows,
                           std::vector<std::string>& errors)
{
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (number == 1 || TrimBlanks(line).empty())
            continue; // the heading
        PrintLayoutRow row;
        const std::string error = ReadRow(SplitCsv(line), row);
        if (error.empty())
            rows.push_back(row);
        else
            errors.push_back("Zeile " + std::to_string(number) + ": " + error);
    }
    if (rows.empty() && errors.empty())
        errors.push_back("keine Layouts");
    return errors.empty();
}

bool WritePrintLayoutTable(const std::vector<PrintLayoutRow>& rows, const std::string& path,
                           std::string& error)
{
    namespace fs = std::filesystem;
    dbase::InitEngine();
    dbase::QuietErrors quiet;
    const bool exceptions = dbase::SetExceptionMode(false);
    const std::uint8_t version = dbase::CreateVersion();
    const int area = dbase::CurrentAreaNo();
    const std::string part = path + ".part";
    std::error_code ec;
    fs::remove(part, ec);
    bool ok = dbase::SetCreateVersion(0x83) && // dBase III; without memo the version byte is 0x03
              dbase::CreateDbf(part, {{"NAME", 'C', LayoutNameWidth, 0},
                                      {"XSCALE", 'N', 10, 4},
                                      {"YSCALE", 'N', 10, 4},
                                      {"XORIGIN", 'N', 5, 0},
                                      {"YORIGIN", 'N', 5, 0},
                                      {"LANDSCAPE", 'L', 1, 0},
                                      {"MONOCHROM", 'L', 1, 0},
                                      {"VARIABLE", 'L', 1, 0},
                                      {"BORDERLINE", 'L', 1, 0}}) &&
              dbase::Select(0) && dbase::UseTable({part, "KT4PRINTOUT", true});
    for (std::size_t i = 0; ok && i < rows.size(); ++i) {
        const PrintLayoutRow& r = rows[i];
        dbase::ClearRecord();
        dbase::TypedBuffer b = dbase::Buffer();
        b.SetText(1, dbase::OemToAnsi(DisplayToOem(r.name))); // stored as OEM
        b.SetNumber(2, r.xscale);
        b.SetNumber(3, r.yscale);
        b.SetInteger(4, r.xorigin);
        b.SetInteger(5, r.yorigin);
        b.SetLogical(6, r.landscape);
        b.SetLogical(7, r.monochrom);
        b.SetLogical(8, r.variable);
        b.SetLogical(9, r.borderline);
        ok = dbase::Append();
    }
    if (!ok)
        error = part + ": " + dbase::LastErrorText();
    dbase::CloseCurrentArea();
    if (ok && dbase::EngineErrorCode != 0) {
        error = part + ": " + dbase::LastErrorText();
        ok = false;
    }
    dbase::SetCreateVersion(version);
    dbase::SetExceptionMode(exceptions);
    dbase::Select(area >= 1 && area <= dbase::MaxUserAreas ? area : 1);
    if (ok) {
        fs::rename(part, path, ec);
        if (ec) {
            error = path + ": " + ec.message();
            ok = false;
        }
    }
    if (!ok)
        fs::remove(part, ec);
    return ok;
}

bool BuildPrintLayoutTable(const std::string& source, const std::string& path,
                           std::vector<std::string>& messages)
{
    std::ifstream in(source, std::ios::binary);
    std::ostringstream text;
    if (!in || !(text << in.rdbuf())) {
        messages.push_back(source + ": nicht lesbar");
        return false;
    }
    std::vector<PrintLayoutRow> rows;
    std::vector<std::string> errors;
    if (!ReadPrintLayoutSource(text.str(), rows, errors)) {
        for (const auto& e : errors)
            messages.push_back(source + ", " + e);
        return false;
    }
    std::string error;
    if (!WritePrintLayoutTable(rows, path, error)) {
        messages.push_back(error);
        return false;
    }
    return true;
}

} // namespace kt4::graphics
