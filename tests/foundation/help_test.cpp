// Numbered help texts: the two files, the entry layout, the display.
#include "foundation/helptext.h"

#include "output_fixture.h"

using namespace kt4;

namespace {

class HelpTexts : public kt4::testing::OutputTest {
protected:
    void SetUp() override
    {
        OutputTest::SetUp();
        settings::PltDir = dir.Path();
        dir.Put("velmora.hlp", "Kopfzeile ohne Nummer\r\n"
                               "0100:bild1\r\nText hundert\r\n"
                               "0101\r\nText hunderteins\r\n"
                               "0103\r\nText hundertdrei\r\n"
                               "0105\r\nNaechster Eintrag\r\n"
                               "3055\r\nSchon da\r\n"
                               "3056\r\nZweite Zeile\r\n"
                               "freie Zeile\r\n"
                               "3995\r\nLetzter gemeinsamer\r\n");
        dir.Put("KT4.HLP", "4000:getriebe\r\nUebersetzung\r\n");
    }
};

} // namespace

TEST_F(HelpTexts, EntryLinesByKey)
{
    HelpEntry e = ReadHelpEntry(100);
    EXPECT_TRUE(e.found);
    EXPECT_EQ(e.picture, "bild1");
    EXPECT_EQ(e.lines[1], "Text hundert");
    EXPECT_EQ(e.lines[2], "Text hunderteins");
    EXPECT_EQ(e.lines[3], ""); // 0103 is the second pair after 100, not 102
    EXPECT_EQ(e.lines[4], "");
    EXPECT_TRUE(e.endsAtKey);
}

TEST_F(HelpTexts, LinesWithoutKeyAndTheLastEntryOfAFile)
{
    HelpEntry e = ReadHelpEntry(3055);
    EXPECT_EQ(e.picture, "NULL");
    EXPECT_EQ(e.lines[2], "Zweite Zeile");
    EXPECT_EQ(e.lines[3], "freie Zeile");
    HelpEntry last = ReadHelpEntry(3995);
    EXPECT_TRUE(last.found);
    EXPECT_EQ(last.lines[1], "Letzter gemeinsamer");
    EXPECT_FALSE(last.endsAtKey);
}

TEST_F(HelpTexts, FourThousandAndUpFromTheProductFile)
{
    HelpEntry e = ReadHelpEntry(4000);
    EXPECT_TRUE(e.found);
    EXPECT_EQ(e.lines[1], "Uebersetzung");
    EXPECT_EQ(HelpFileName(3995), dir.Path() + "velmora.hlp");
    EXPECT_EQ(HelpFileName(4000), dir.Path() + "KT4.HLP"); // found whatever the case
}

TEST_F(HelpTexts, MissingEntryAndMissingFile)
{
    settings::AbortFlag = true;
    ShowHelpText(105 + 5, "", 0);
    EXPECT_FALSE(settings::AbortFlag);
    ASSERT_EQ(ui->Log().size(), 2u);
    EXPECT_EQ(ui->Log()[0], "help|HILFETEXT Nr.110|Hilfetext Nr 110: keine Hilfe vorhanden.     ");
    EXPECT_EQ(ui->Log()[1], "picture||" + dir.Path() + "null.plt"); // the picture "null" is drawn

    std::filesystem::remove(dir.File("KT4.HLP"));
    ShowHelpText(4000, "", 1);
    EXPECT_EQ(ui->Log()[2], "help|HILFETEXT Nr.4000|Datei " + dir.Path() + "kt4.hlp nicht gefunden !     ");
}

TEST_F(HelpTexts, ModesAndTheCurrentNumber)
{
    SetHelpNumber(100);
    ShowHelpText(0, "", 1);
    ShowHelpText(0, "", 2);
    ShowHelpText(3055, "", 0); // no picture named: only the cleared page
    const auto& log = ui->Log();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0], "help|HILFETEXT Nr.100|Text hundert Text hunderteins    ");
    EXPECT_EQ(log[1], "picture||" + dir.Path() + "bild1.plt");
    EXPECT_EQ(log[3], "picture||");
}

TEST_F(HelpTexts, HintsKeepTheAbortFlag)
{
    settings::AbortFlag = true;
    EXPECT_EQ(HelpTextString(110), "Hilfetext Nr 110: keine Hilfe vorhanden.    ");
    EXPECT_TRUE(settings::AbortFlag);
    settings::AbortFlag = false;
    EXPECT_EQ(HelpTextString(4000), "Uebersetzung    ");
    EXPECT_FALSE(settings::AbortFlag);
    settings::HelpLevel = 2;
    EXPECT_EQ(HelpTextString(100), "Text hundert Text hunderteins    (100)");
    EXPECT_EQ(HelpTextString(3995), "Letzter gemeinsamer    ");
}

TEST(HelpKeys, ParseKeyLines)
{
    Integer nr = 0;
    std::string pic;
    ParseHelpKey("1050:ausgabe", nr, pic);
    EXPECT_EQ(nr, 1050);
    EXPECT_EQ(pic, "ausgabe");
    ParseHelpKey("0095", nr, pic);
    EXPECT_EQ(nr, 95);
    EXPECT_EQ(pic, "NULL");
    ParseHelpKey("Text: mit Doppelpunkt", nr, pic);
    EXPECT_EQ(nr, -1);
    ParseHelpKey("12", nr, pic);
    EXPECT_EQ(nr, -1);
    ParseHelpKey("$1A2", nr, pic);
    EXPECT_EQ(nr, -1);
    std::string s;
    NoHelpText(2070, s);
    EXPECT_EQ(s, "Hilfetext Nr 2070: keine Hilfe vorhanden.");
}
