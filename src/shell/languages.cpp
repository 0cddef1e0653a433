#include "shell/languages.h"

#include "foundation/captions.h"
#include "foundation/settings.h"
#include "shell/vocabulary.h"

#include <map>
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
const Variable kVariables[] = {
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
const LanguageColumn kColumns[] = {
    {"de", LangGerman},  {"en", LangEnglish},    {"fr", LangFrench},
    {"it", LangItalian}, {"sv", LangSwedish},    {"pt", LangPortuguese},
    {"ro", LangRomanian}, {"ko", LangKorean},    {"es", LangSpanish},
    {"zh", LangChinese},
};

// One parsed table: for each language id, the (variable, text) pairs it
// sets, in table order.
struct Table {
    std::map<int, std::vector<std::pair<std::string, std::string>>> rows;
};

std::vector<std::string> SplitTabs(std::string_view line)
{
    std::vector<std::string> cells;
    std::size_t start = 0;
    while (true) {
        auto tab = line.find('\t', start);
        cells.emplace_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
    return cells;
}

Table Parse(std::string_view text)
{
    Table t;
    std::vector<int> ids; // language id per column (0: key column / unknown)
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        auto cells = SplitTabs(line);
        if (ids.empty()) { // header
            for (const auto& c : cells) {
                int id = 0;
                for (const auto& col : kColumns)
                    if (c == col.code)
                        id = col.id;
                ids.push_back(id);
            }
            continue;
        }
        for (std::size_t k = 1; k < cells.size() && k < ids.size(); ++k)
            if (ids[k] != 0 && !cells[k].empty())
                t.rows[ids[k]].emplace_back(cells[0], cells[k]);
    }
    return t;
}

const Table& MenuTable()
{
    static const Table t = Parse(kLanguageTable_menu);
    return t;
}
const Table& VocabularyTable()
{
    static const Table t = Parse(kLanguageTable_vocabulary);
    return t;
}
const Table& PartNameTable()
{
    static const Table t = Parse(kLanguageTable_partnames);
    return t;
}

std::string* Find(const std::string& name)
{
    for (const auto& v : kVariables)
        if (name == v.name)
            return v.value;
    return nullptr;
}

void Apply(const Table& t, int Id)
{
    auto it = t.rows.find(Id);
    if (it == t.rows.end())
        return;
    for (const auto& [name, text] : it->second)
        if (auto* var = Find(name))
            *var = text;
}

const Table* TableNamed(const std::string& name)
{
    if (name == "menu")
        return &MenuTable();
    if (name == "vocabulary")
        return &VocabularyTable();
    if (name == "partnames")
        return &PartNameTable();
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
    if (!t)
        return 0;
    auto it = t->rows.find(Id);
    return it == t->rows.end() ? 0 : static_cast<int>(it->second.size());
}

std::vector<std::string> UnknownTableKeys()
{
    std::vector<std::string> unknown;
    for (const Table* t : {&MenuTable(), &VocabularyTable(), &PartNameTable()})
        for (const auto& [id, rows] : t->rows)
            for (const auto& row : rows)
                if (!Find(row.first))
                    unknown.push_back(row.first);
    return unknown;
}

} // namespace kt4::shell
