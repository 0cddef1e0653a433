#include "foundation/captions.h"
#include "foundation/settings.h"
#include "shell/languages.h"
#include "shell/vocabulary.h"

#include <gtest/gtest.h>

#include <map>

using namespace kt4;
using namespace kt4::shell;

namespace {

std::map<std::string, std::string> Snapshot()
{
    std::map<std::string, std::string> all;
#define KT4_SNAP_C(n) all[#n] = captions::n;
#define KT4_SNAP_V(n) all[#n] = vocabulary::n;
    KT4_MENU_CAPTIONS(KT4_SNAP_C)
    KT4_VOCABULARY(KT4_SNAP_V)
    KT4_PART_NAMES(KT4_SNAP_V)
#undef KT4_SNAP_C
#undef KT4_SNAP_V
    return all;
}

class Languages : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings::InitSettings();
        InitLanguages();
    }
};

} // namespace

TEST_F(Languages, TablesAndProgramNameTheSameVariables)
{
    EXPECT_TRUE(UnknownTableKeys().empty());
    // German sets every variable
    EXPECT_EQ(RowsSetFor("menu", LangGerman), 69);
    EXPECT_EQ(RowsSetFor("vocabulary", LangGerman), 77);
    EXPECT_EQ(RowsSetFor("partnames", LangGerman), 15);
    for (const auto& [name, text] : Snapshot())
        EXPECT_FALSE(text.empty()) << name;
    EXPECT_EQ(captions::CaptionFile, "&Datei");
    EXPECT_EQ(captions::CaptionExit, "&Beenden       ");
    EXPECT_EQ(captions::CaptionSelectAll, "Alles aus&wählen");
    EXPECT_EQ(vocabulary::PartAntriebswelle, "&Antriebswelle");
}

TEST_F(Languages, RowCountsPerLanguage)
{
    EXPECT_EQ(RowsSetFor("menu", LangSwedish), 66);
    EXPECT_EQ(RowsSetFor("menu", LangPortuguese), 66);
    EXPECT_EQ(RowsSetFor("menu", LangRomanian), 67);
    for (int id : {LangEnglish, LangFrench, LangItalian, LangKorean, LangSpanish, LangChinese})
        EXPECT_EQ(RowsSetFor("menu", id), 69) << id;
    EXPECT_EQ(RowsSetFor("vocabulary", LangEnglish), 77);
    for (int id : {LangPortuguese, LangRomanian, LangKorean})
        EXPECT_EQ(RowsSetFor("vocabulary", id), 72) << id;
    EXPECT_EQ(RowsSetFor("vocabulary", LangChinese), 71);
    EXPECT_EQ(RowsSetFor("vocabulary", LangFrench), 0);
    EXPECT_EQ(RowsSetFor("partnames", LangEnglish), 15);
    EXPECT_EQ(RowsSetFor("partnames", LangKorean), 0);
}

TEST_F(Languages, MissingRowsKeepThePreviousLanguage)
{
    SetLanguageTables(LangEnglish);
    SetLanguageTables(LangSwedish);
    EXPECT_EQ(captions::CaptionCopy, "Copy");
    EXPECT_EQ(captions::CaptionPaste, "Paste");
    EXPECT_EQ(captions::CaptionSideView, "&Side view");
    EXPECT_EQ(captions::CaptionLanguage, "&Språk");
    EXPECT_EQ(settings::LanguageId, LangSwedish);

    SetLanguageTables(LangGerman);
    SetLanguageTables(LangChinese);
    EXPECT_EQ(vocabulary::VocMehrstufig, "&mehrstufig");
    EXPECT_EQ(vocabulary::VocWelle, "轴(&W)");
}

TEST_F(Languages, FrenchHasMenuCaptionsOnly)
{
    SetLanguageTables(LangEnglish);
    SetLanguageTables(LangFrench);
    EXPECT_EQ(captions::CaptionManual, "Manuel");
    EXPECT_EQ(vocabulary::VocWelle, "&Shaft");
    EXPECT_EQ(vocabulary::PartRolle, "Roller");
}

TEST_F(Languages, GermanKoreanGermanRestoresEverything)
{
    const auto german = Snapshot();
    SetLanguageTables(LangKorean);
    EXPECT_NE(Snapshot(), german);
    SetLanguageTables(LangGerman);
    EXPECT_EQ(Snapshot(), german);
}

TEST_F(Languages, EveryMenuLanguageGivesEveryCaption)
{
    for (int id : MenuLanguageIds()) {
        InitLanguages();
        SetLanguageTables(id);
        for (const auto& [name, text] : Snapshot())
            EXPECT_FALSE(text.empty()) << name << " in " << id;
    }
}

TEST_F(Languages, UnknownIdChangesNothing)
{
    const auto before = Snapshot();
    SetLanguageTables(10);
    EXPECT_EQ(Snapshot(), before);
}
