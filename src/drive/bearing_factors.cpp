#include "drive/bearing_factors.h"

#include "foundation/files.h"
#include "foundation/linefile.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"

#include <map>
#include <sys/stat.h>

namespace kt4 {

namespace {

// The pair below the first row: Fa/C0 0 with X 0.56 and Y 2.
constexpr Real StartFaC0 = 0, StartX = 0.56L, StartY = 2;

constexpr std::size_t BlockLines = 7;

const char* const ClearanceFiles[] = {"rikula_n.hdf", "rikul_c3.hdf", "rikul_c4.hdf", "rikula_u.hdf"};

bool IsBlank(const std::string& S) { return S.find_first_not_of(" \t") == std::string::npos; }

// Fa/C0, e, X and Y lie between 0 and 100 (the range the X and Y input
// takes): any other number counts as no number, so that the interpolation
// between rows never leaves the range of the numbers.
constexpr Real MaxTableValue = 100;

Real NumberLine(const std::string& S)
{
    const auto first = S.find_first_not_of(" \t");
    if (first == std::string::npos)
        return 0;
    const auto last = S.find_last_not_of(" \t");
    const Real v = StrToReal(S.substr(first, last - first + 1));
    return v >= 0 && v <= MaxTableValue ? v : 0;
}

bool IsHeaderLine(const std::string& S)
{
    const unsigned char c = S.empty() ? ' ' : static_cast<unsigned char>(S[0]);
    return c <= '0';
}

// One table row with the pair that applies to Fa/Fr.
struct Point {
    Real FaC0, X, Y, e;
};

Point PairFor(const LoadFactorRow& Row, Real Fr, Real Fa)
{
    const bool below = Fr != 0 && Row.e > Fa / Fr;
    return below ? Point{Row.FaC0, Row.XBelow, Row.YBelow, Row.e}
                 : Point{Row.FaC0, Row.XAbove, Row.YAbove, Row.e};
}

void TableMessage(const std::string& FileName, const char* what)
{
    settings::AddMessage(std::string(settings::SevFatal) + "Datei " + FileName + " " + what + " !");
}

} // namespace

const Array1<std::string, 5> ClearanceChoiceTexts = [] {
    Array1<std::string, 5> a;
    a[1] = "Radial- und Axialfaktor";
    a[2] = "Lagerluft normal (RIKULA_N.HDF)";
    a[3] = "Lagerluft C3 (RIKUL_C3.HDF)";
    a[4] = "Lagerluft C4 (RIKUL_C4.HDF)";
    a[5] = "Faktoren aus Userfile (RIKULA_U.HDF)";
    return a;
}();

std::vector<LoadFactorRow> ParseLoadFactorLines(const std::vector<std::string>& Lines)
{
    std::size_t i = 0;
    while (i < Lines.size() && IsHeaderLine(Lines[i]))
        ++i;
    ++i; // the line that ends the header
    std::size_t end = Lines.size();
    while (end > i && IsBlank(Lines[end - 1]))
        --end;

    std::vector<LoadFactorRow> rows;
    for (; i + BlockLines <= end; i += BlockLines) {
        LoadFactorRow r;
        r.FaC0 = NumberLine(Lines[i + 1]);
        r.e = NumberLine(Lines[i + 2]);
        r.XBelow = NumberLine(Lines[i + 3]);
        r.YBelow = NumberLine(Lines[i + 4]);
        r.XAbove = NumberLine(Lines[i + 5]);
        r.YAbove = NumberLine(Lines[i + 6]);
        rows.push_back(r);
    }
    return rows;
}

bool ReadLoadFactorTable(const std::string& Path, std::vector<LoadFactorRow>& Rows)
{
    // A table that cannot be read is reported by the caller; the line file's
    // own error channel (AbortFlag) must not leak into the running action.
    const std::string found = FindFileNoCase(Path);
    if (found.empty())
        return false;
    const bool abortBefore = settings::AbortFlag;
    LineFile file;
    std::vector<std::string> lines;
    bool ok = file.OpenRead(found);
    while (ok && !file.Eof()) {
        lines.push_back(file.ReadLine());
        ok = file.IoError() == IoOk;
    }
    file.Close();
    settings::AbortFlag = abortBefore;
    if (ok)
        Rows = ParseLoadFactorLines(lines);
    return ok;
}

namespace {

// The parsed tables of the last calls. Every calculation looks up the same
// few tables for up to five slots; a table is read again only when its file
// changed (time or size) or vanished.
struct CachedTable {
    std::string found;
    struct timespec mtime {};
    off_t size = -1;
    std::vector<LoadFactorRow> rows;
};

bool SameFile(const CachedTable& c, const struct stat& st)
{
    return c.mtime.tv_sec == st.st_mtim.tv_sec && c.mtime.tv_nsec == st.st_mtim.tv_nsec &&
           c.size == st.st_size;
}

} // namespace

bool ReadLoadFactorTableCached(const std::string& Path, std::vector<LoadFactorRow>& Rows)
{
    static std::map<std::string, CachedTable> cache;
    auto it = cache.find(Path);
    struct stat st {};
    if (it != cache.end() && stat(it->second.found.c_str(), &st) == 0 && SameFile(it->second, st)) {
        Rows = it->second.rows;
        return true;
    }
    if (it != cache.end())
        cache.erase(it);
    const std::string found = FindFileNoCase(Path);
    if (found.empty() || stat(found.c_str(), &st) != 0 || !ReadLoadFactorTable(found, Rows))
        return false;
    CachedTable entry;
    entry.found = found;
    entry.mtime = st.st_mtim;
    entry.size = st.st_size;
    entry.rows = Rows;
    cache[Path] = std::move(entry);
    return true;
}

void LookupXYFactors(const std::vector<LoadFactorRow>& Rows, Real& X, Real& Y, Real Fr, Real Fa,
                     Real C0)
{
    const Real q = Fa / C0;
    Point previous{StartFaC0, StartX, StartY, 0};
    Point row = previous;
    // Reading the last row reaches the end of the table: its pair holds
    // without interpolation, also for a q between the last two rows.
    bool lastRowRead = true;
    for (std::size_t k = 0; k < Rows.size(); ++k) {
        previous = row;
        row = PairFor(Rows[k], Fr, Fa);
        if (row.FaC0 >= q) {
            lastRowRead = k + 1 == Rows.size();
            break;
        }
    }

    if (q == 0) {
        X = StartX;
        Y = StartY;
    } else if (lastRowRead) {
        X = row.X;
        Y = row.Y;
    } else {
        X = Interpolate(previous.FaC0, previous.X, row.FaC0, row.X, q);
        Y = Interpolate(previous.FaC0, previous.Y, row.FaC0, row.Y, q);
    }
    if (Fr > 0 && Fa / Fr <= row.e) {
        X = 1;
        Y = 0;
    }
}

bool BearingXYFactors(const std::string& FileName, Real& X, Real& Y, Real Fr, Real Fa, Real C0)
{
    if (C0 == 0) {
        settings::AddMessage(std::string(settings::SevFatal) + "C0 = 0 !");
        return false;
    }
    if (Fr == 0 && Fa == 0) {
        settings::AddMessage(std::string(settings::SevFatal) + "Fr=0, Fa=0 !");
        return false;
    }

    std::vector<LoadFactorRow> rows;
    const std::string name = TrimBlanks(FileName);
    if (!ReadLoadFactorTableCached(name, rows)) {
        TableMessage(name, "nicht gefunden oder kein Zugriffsrecht");
    } else if (rows.empty()) {
        TableMessage(name, "ohne Tabellenzeilen");
    } else {
        LookupXYFactors(rows, X, Y, Fr, Fa, C0);
        return true;
    }
    // Without the table: pure radial load needs no table.
    if (Fa == 0) {
        X = 1;
        Y = 0;
    }
    return false;
}

std::string ClearanceFileName(Word Clearance)
{
    return Clearance >= 2 && Clearance <= 5 ? ClearanceFiles[Clearance - 2] : "";
}

std::string ClearanceFilePath(Word Clearance)
{
    const std::string name = ClearanceFileName(Clearance);
    return name.empty() ? name : AddBackslash(settings::DbfDir) + name;
}

} // namespace kt4
