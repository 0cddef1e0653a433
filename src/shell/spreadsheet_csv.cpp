#include "shell/spreadsheet_csv.h"

#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "foundation/unique_file.h"

#include <cstring>

namespace kt4::shell {

namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }

// Moves p past the digits; false when there is none.
bool Digits(std::string_view s, std::size_t& p)
{
    const std::size_t start = p;
    while (p < s.size() && Digit(s[p]))
        ++p;
    return p > start;
}

std::string WithDecimalComma(const std::string& Field)
{
    if (!IsDecimalNumber(Field))
        return Field;
    std::string out = Field;
    out[out.find('.')] = ',';
    return out;
}

std::string CsvField(const std::string& S, char Separator)
{
    if (S.find_first_of(std::string{Separator, '"', '\r', '\n'}) == std::string::npos)
        return S;
    std::string out = "\"";
    for (char c : S) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

} // namespace

char CsvSeparator() { return settings::ExcelDecimalPoint == 1 ? ',' : ';'; }

bool IsDecimalNumber(std::string_view Field)
{
    const std::size_t first = Field.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return false;
    const std::string_view s = Field.substr(first, Field.find_last_not_of(' ') - first + 1);
    std::size_t p = 0;
    if (s[p] == '+' || s[p] == '-')
        ++p;
    if (!Digits(s, p) || p >= s.size() || s[p] != '.')
        return false;
    ++p;
    if (!Digits(s, p))
        return false;
    if (p < s.size() && (s[p] == 'E' || s[p] == 'e')) {
        ++p;
        if (p < s.size() && (s[p] == '+' || s[p] == '-'))
            ++p;
        if (!Digits(s, p))
            return false;
    }
    return p == s.size();
}

std::string CsvText(const CsvRows& Rows, char Separator)
{
    const bool decimalComma = Separator == ';';
    std::string out = "\xEF\xBB\xBF";
    for (const auto& row : Rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0)
                out += Separator;
            out += CsvField(decimalComma ? WithDecimalComma(row[c]) : row[c], Separator);
        }
        out += "\r\n";
    }
    return out;
}

std::string WriteCsvFile(const std::string& Stem, const CsvRows& Rows)
{
    int err = 0;
    const std::string name =
        WriteUniqueFile(settings::TempDir, Stem, "csv", CsvText(Rows, CsvSeparator()), err);
    if (!name.empty())
        return name;
    ErrorBox(DisplayToOem("Datei " + AddBackslash(settings::TempDir) + Stem + "-XXXXXX.csv kann nicht geschrieben werden ! (" +
                          std::strerror(err) + ")"));
    settings::AbortFlag = true;
    return "";
}

} // namespace kt4::shell
