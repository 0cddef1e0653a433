#include "shell_fixture.h"

#include "foundation/captions.h"
#include "foundation/settings.h"
#include "shell/languages.h"
#include "shell/menu_table.h"

#include <set>

using namespace kt4;
using namespace kt4::shell;

namespace {

class MenuCaptions : public shelltest::ShellTest {};

bool RecentItem(const std::string& name) { return name.rfind("mi_file", 0) == 0 && name.size() == 8; }

TEST_F(MenuCaptions, EveryLanguageOfTheHelpMenuGivesEveryCaption)
{
    for (int id : MenuLanguageIds()) {
        FreshStart();
        SetLanguageTables(id);
        EXPECT_EQ(settings::LanguageId, id);
        for (const auto& e : MenuEntries()) {
            if (e.kind == MenuKind::Separator || RecentItem(e.name))
                continue;
            EXPECT_FALSE(MenuCaption(e.name).empty()) << e.name << " in language " << id;
        }
    }
}

TEST_F(MenuCaptions, ComposedCaptions)
{
    EXPECT_EQ(MenuCaption("mi_fileopentable"), "Ö&ffnen... (&Tabelle)");
    EXPECT_EQ(MenuCaption("mi_helplanguage"), "Menü &Sprache");
    EXPECT_EQ(MenuCaption("mi_stllagerdeckelabtrieboffenduenn"), "offen dünn");
    EXPECT_EQ(MenuCaption("mi_stlLagerdeckelantrieb"), "Lagerdeckel (Antrieb)");
    EXPECT_EQ(MenuCaption("mi_helphistory"), "KT4 Info (www)");
    EXPECT_EQ(MenuCaption("mi_HelpAbout"), "KT4");
    EXPECT_EQ(MenuCaption("mi_DocumentSetup"), "Links");
    settings::MessageCount = 3;
    EXPECT_EQ(MenuCaption(ErrorMessagesItem), "&Fehlermeldungen (3)");
    EXPECT_EQ(MenuCaption("mi_helplanguageChinese"), "Chinese");
    EXPECT_EQ(MenuCaption("mi_file1"), "");
    settings::RecentFiles[1] = "/p/a.kt4";
    EXPECT_EQ(MenuCaption("mi_file1"), "&1 /p/a.kt4");
}

TEST_F(MenuCaptions, NamesAreUniqueAndParentsComeFirst)
{
    std::set<std::string> seen;
    for (const auto& e : MenuEntries()) {
        EXPECT_TRUE(seen.insert(e.name).second) << e.name;
        if (e.parent) {
            EXPECT_TRUE(seen.count(e.parent)) << e.name;
        }
    }
}

} // namespace
