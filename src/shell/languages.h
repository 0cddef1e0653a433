// Menu languages: three tables assign the menu captions, the technical
// vocabulary and the part names for a language id. A language that a table
// does not carry, or a row left empty for a language, keeps what the
// variable held before (the previously shown language).
#pragma once

#include <string>
#include <vector>

namespace kt4::shell {

// Language ids as the configuration file stores them.
enum LanguageIdCode : int {
    LangGerman = 1,
    LangEnglish = 2,
    LangFrench = 3,
    LangItalian = 4,
    LangSwedish = 5,
    LangPortuguese = 6,
    LangRomanian = 7,
    LangKorean = 8,
    LangSpanish = 9,
    LangChinese = 12,
};

// The ids the Help menu offers, in menu order.
const std::vector<int>& MenuLanguageIds();

void SetMenuLanguage(int Id);
void SetVocabulary(int Id);
void SetPartNames(int Id);
// LanguageId := Id, then the three tables. The window then copies the
// captions into its menu (SetMenuCaptions).
void SetLanguageTables(int Id);

// The language of the toolkit's own texts (buttons, file and print dialogs)
// for a language id: "de", "en", "fr", ... as the toolkit's translation
// files name them; "" for a language it has none for (English then).
std::string ToolkitLanguageCode(int Id);

// Start values: every table run with German.
void InitLanguages();

// For checks: the number of rows a table sets for a language, and the
// variable names it does not know (empty when table and program agree).
int RowsSetFor(const std::string& Table, int Id);
std::vector<std::string> UnknownTableKeys();

} // namespace kt4::shell
