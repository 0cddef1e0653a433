#include "shell/languages.h"

#include "foundation/captions.h"
#include "foundation/settings.h"
#include "shell/vocabulary.h"

#include <array>
#include <span>
#include <string_view>

#include "language_tables.inc"

namespace kt4::shell {

namespace {

struct Variable {
    const char* name;
    std::string* value;
};

#define KT4_CAPTION_ENTRY(n) {#n, &captions::n},
#define KT4_WORD_ENTRY(n) {#n, &vocabulary::n},
constexpr Variable kVariables[] = {
    KT4_MENU_CAPTIONS(KT4_CAPTION_ENTRY)
    KT4_VOCABULARY(KT4_WORD_ENTRY)
    KT4_PART_NAMES(KT4_WORD_ENTRY)
};
#undef KT4_CAPTION_ENTRY
#undef KT4_WORD_ENTRY

// Column names of the tables and the language ids they stand for.
struct LanguageColumn {
    const char* code;
    int id;
};
constexpr LanguageColumn kColumns[] = {
    {"de", LangGerman},  {"en", LangEnglish},    {"fr", LangFrench},
    {"it", LangItalian}, {"sv", LangSwedish},    {"pt", LangPortuguese},
    {"ro", LangRomanian}, {"ko", LangKorean},    {"es", LangSpanish},
    {"zh", LangChinese},
};

// The tables are taken apart when the program is compiled, so that no
// start pays for reading them. A row: the variable's name, its index in
// kVariables (-1 when the program has no such variable) and the cells of
// the language columns ("" keeps what the variable holds).
constexpr std::size_t MaxColumns = 16;
struct Row {
    std::string_view key;
    int var = -1;
    std::array<std::string_view, MaxColumns> cells{};
};
// The language id of every column (0: the key column or a code not known).
using ColumnIds = std::array<int, MaxColumns>;

struct Table {
    const ColumnIds* ids;
    std::span<const Row> rows;
};

// Calls f for every line that is neither empty nor a comment, without its
// line end.
template <class F>
constexpr void ForEachLine(std::string_view text, F f)
{
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty() && line.front() != '#')
            f(line);
    }
}

// Calls f(column, cell) for the tab-separated cells of a line.
template <class F>
constexpr void ForEachCell(std::string_view line, F f)
{
    std::size_t start = 0;
    for (std::size_t k = 0;; ++k) {
        auto tab = line.find('\t', start);
        if (k >= MaxColumns)
            throw "a language table has more columns than MaxColumns";
        f(k, line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
}

// The rows of a table: its lines after the header.
constexpr std::size_t RowCount(std::string_view text)
{
    std::size_t lines = 0;
    ForEachLine(text, [&](std::string_view) { ++lines; });
    return lines > 0 ? lines - 1 : 0;
}

constexpr int VariableIndex(std::string_view name)
{
    for (std::size_t k = 0; k < std::size(kVariables); ++k)
        if (name == kVariables[k].name)
            return static_cast<int>(k);
    return -1;
}

constexpr ColumnIds ParseHeader(std::string_view text)
{
    ColumnIds ids{};
    bool header = true;
    ForEachLine(text, [&](std::string_view line) {
        if (!header)
            return;
        header = false;
        ForEachCell(line, [&](std::size_t k, std::string_view cell) {
            for (const auto& col : kColumns)
                if (k > 0 && cell == col.code)
                    ids[k] = col.id;
        });
    });
    return ids;
}

template <std::size_t N>
constexpr std::array<Row, N> ParseRows(std::string_view text)
{
    std::array<Row, N> rows{};
    std::size_t n = 0;
    bool header = true;
    ForEachLine(text, [&](std::string_view line) {
        if (header) {
            header = false;
            return;
        }
        Row& row = rows[n++];
        ForEachCell(line, [&](std::size_t k, std::string_view cell) {
            if (k == 0)
                row.key = cell;
            row.cells[k] = k == 0 ? std::string_view() : cell;
        });
        row.var = VariableIndex(row.key);
    });
    return rows;
}

#define KT4_LANGUAGE_TABLE(stem)                                                            \
    constexpr std::string_view kText_##stem = kLanguageTable_##stem;                       \
    constexpr ColumnIds kIds_##stem = ParseHeader(kText_##stem);                            \
    constexpr auto kRows_##stem = ParseRows<RowCount(kText_##stem)>(kText_##stem);
KT4_LANGUAGE_TABLE(menu)
KT4_LANGUAGE_TABLE(vocabulary)
KT4_LANGUAGE_TABLE(partnames)
#undef KT4_LANGUAGE_TABLE

constexpr Table MenuTable() { return {&kIds_menu, kRows_menu}; }
constexpr Table VocabularyTable() { return {&kIds_vocabulary, kRows_vocabulary}; }
constexpr Table PartNameTable() { return {&kIds_partnames, kRows_partnames}; }

// The column of a language; 0 when the table has none.
std::size_t ColumnOf(const Table& t, int Id)
{
    for (std::size_t k = 1; k < MaxColumns; ++k)
        if ((*t.ids)[k] == Id)
            return k;
    return 0;
}

void Apply(const Table& t, int Id)
{
    const std::size_t col = ColumnOf(t, Id);
    if (col == 0)
        return;
    for (const Row& row : t.rows)
        if (row.var >= 0 && !row.cells[col].empty())
            kVariables[row.var].value->assign(row.cells[col]);
}

const Table* TableNamed(const std::string& name)
{
    static constexpr Table menu = MenuTable(), words = VocabularyTable(), parts = PartNameTable();
    if (name == "menu")
        return &menu;
    if (name == "vocabulary")
        return &words;
    if (name == "partnames")
        return &parts;
    return nullptr;
}

} // namespace

const std::vector<int>& MenuLanguageIds()
{
    static const std::vector<int> ids{LangGerman, LangEnglish, LangFrench, LangKorean, LangChinese};
    return ids;
}

std::string ToolkitLanguageCode(int Id)
{
    switch (Id) {
    case LangGerman: return "de";
    case LangEnglish: return "en";
    case LangFrench: return "fr";
    case LangItalian: return "it";
    case LangSwedish: return "sv";
    case LangPortuguese: return "pt_BR";
    case LangRomanian: return "ro";
    case LangKorean: return "ko";
    case LangSpanish: return "es";
    case LangChinese: return "zh_CN";
    default: return "";
    }
}

void SetMenuLanguage(int Id) { Apply(MenuTable(), Id); }
void SetVocabulary(int Id) { Apply(VocabularyTable(), Id); }
void SetPartNames(int Id) { Apply(PartNameTable(), Id); }

void SetLanguageTables(int Id)
{
    settings::LanguageId = Id;
    SetMenuLanguage(Id);
    SetVocabulary(Id);
    SetPartNames(Id);
}

void InitLanguages()
{
    SetMenuLanguage(LangGerman);
    SetVocabulary(LangGerman);
    SetPartNames(LangGerman);
}

int RowsSetFor(const std::string& TableName, int Id)
{
    const Table* t = TableNamed(TableName);
    const std::size_t col = t ? ColumnOf(*t, Id) : 0;
    if (col == 0)
        return 0;
    int n = 0;
    for (const Row& row : t->rows)
        n += row.cells[col].empty() ? 0 : 1;
    return n;
}

std::vector<std::string> UnknownTableKeys()
{
    std::vector<std::string> unknown;
    for (const Table& t : {MenuTable(), VocabularyTable(), PartNameTable()})
        for (const Row& row : t.rows)
            if (row.var < 0)
                unknown.emplace_back(row.key);
    return unknown;
}

} // namespace kt4::shell
