// The toolkit's own texts (the buttons of message boxes, the file, print
// and overwrite dialogs) in the menu language, from the toolkit's
// translation files (Debian: qt6-translations-l10n).
#pragma once

#include <string>

namespace kt4::shell::gui {

// Installs the toolkit translation for Code ("de", "fr", "pt_BR", ...) in
// place of the one before. English, an empty code or a language without a
// translation file leave the toolkit in English; false then (true for
// "en" and for a loaded translation).
bool UseToolkitLanguage(const std::string& Code);

} // namespace kt4::shell::gui
