// The main menu of the main window as data: every item with its name (the
// object name of its action), the menu it belongs to, and the rule that
// composes its caption from the caption, vocabulary and part-name
// variables of the current language.
#pragma once

#include <string>
#include <vector>

namespace kt4::shell {

enum class MenuKind { Menu, Item, Separator };

struct MenuEntry {
    const char* name;
    const char* parent; // nullptr: the menu bar
    MenuKind kind;
};

// Every entry in menu order.
const std::vector<MenuEntry>& MenuEntries();

// The caption of an item in the current language: the error-messages item
// with the message count, a recent-file item with its entry ("" for an
// empty one), "" for separators.
std::string MenuCaption(const std::string& Name);

// The item whose caption carries the message count.
inline constexpr const char* ErrorMessagesItem = "mi_viewErrorMessages";
// The separator before mi_fileexit that closes the recent-file items.
inline constexpr const char* RecentSeparator = "mi_fileSepRecent";

// The language items of the Help menu and the ids they choose.
struct LanguageItem {
    const char* name;
    const char* caption;
    int id;
};
const std::vector<LanguageItem>& LanguageItems();

} // namespace kt4::shell
