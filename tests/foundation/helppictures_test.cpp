// The help-picture index and browser.
#include "foundation/helppictures.h"
#include "foundation/printer_settings.h"

#include "output_fixture.h"

using namespace kt4;
using kt4::testing::FileLines;

namespace {

class HelpPictures : public kt4::testing::OutputTest {
protected:
    void SetUp() override
    {
        OutputTest::SetUp();
        settings::PltDir = dir.Path();
        dir.Put("kt4.dbh", "\"start\",\"Startbild\"\r\n\"getriebe\",\"Getriebe\"\r\n\"langername\",\"Langer Name\"\r\n");
        dir.Put("getriebe.plt", "IN;SP1;PU0,0;PD100,100;");
        dir.Put("langername.plt", "IN;PU0,0;");
    }
    std::vector<std::string> Index() const { return FileLines(dir.Get("kt4.dbh")); }
};

} // namespace

TEST_F(HelpPictures, ReadsTheIndexAndBuildsTheList)
{
    std::vector<PictureIndexEntry> e;
    bool malformed = true;
    ASSERT_TRUE(ReadPictureIndex(PictureIndexName(), e, malformed));
    EXPECT_FALSE(malformed);
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[1].key, "getriebe");
    EXPECT_EQ(e[1].title, "Getriebe");
    auto lines = PictureListLines(e);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], "start   : Startbild");
    EXPECT_EQ(lines[2], "langername: Langer Name");
    EXPECT_EQ(lines[3], "-----  Erweitern  -----");
    EXPECT_EQ(lines[7], "-----  HP-GL/2 drucken/plotten  ------");
}

TEST_F(HelpPictures, QuotesInTitlesCannotSplitAField)
{
    EXPECT_EQ(DbhEntryLine("a\"b", "Titel \"x\""), "\"a'b\",\"Titel 'x'\"");
    dir.Put("kt4.dbh", "\"gut\",\"Titel\"\r\nkaputt,\"x\"\r\n\"ohne Ende\r\n");
    std::vector<PictureIndexEntry> e;
    bool malformed = false;
    ReadPictureIndex(PictureIndexName(), e, malformed);
    EXPECT_TRUE(malformed);
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[1].key, "kaputt");
    EXPECT_EQ(e[2].key, "ohne Ende");
    // the browser tells it once
    ui->Script("1");
    ui->Script("ok");
    HelpPicturesMenu();
    EXPECT_EQ(Logged("error").size(), 1u);
}

TEST_F(HelpPictures, BrowserDrawsStepsAndEnds)
{
    ui->Script("2");      // getriebe
    ui->Script("next 2"); // to langername
    ui->Script("next 3"); // stays on the last picture
    ui->Script("prev 1"); // stays on the first
    ui->Script("ok");
    HelpPicturesMenu();
    auto pics = Logged("picture");
    ASSERT_EQ(pics.size(), 4u);
    EXPECT_EQ(pics[0], "picture||" + dir.Path() + "getriebe.plt");
    EXPECT_EQ(pics[1], "picture||" + dir.Path() + "langername.plt");
    EXPECT_EQ(pics[2], "picture||" + dir.Path() + "langername.plt");
    EXPECT_EQ(pics[3], "picture||" + dir.Path() + "start.plt");
    EXPECT_TRUE(settings::AbortFlag); // OK ends the browser with the flag set
    EXPECT_EQ(help::HelpNumber, 2300);
}

TEST_F(HelpPictures, ShowingAPictureLeavesTheCadLogoModeAlone)
{
    printer::CadLogoMode = 2;
    ShowHelpPicture("START");
    EXPECT_EQ(printer::CadLogoMode, 2);
    EXPECT_EQ(Logged("picture")[0], "picture||" + dir.Path() + "start.plt");
}

TEST_F(HelpPictures, DeleteOnlyOnYes)
{
    ui->Script("delete");
    ui->Script("2");  // line to delete
    ui->Script("N");  // no
    ui->Script("delete");
    ui->Script("2");
    ui->Script("J");
    ui->Script("ok");
    HelpPicturesMenu();
    auto idx = Index();
    ASSERT_EQ(idx.size(), 2u);
    EXPECT_EQ(idx[1], "\"langername\",\"Langer Name\"");
}

TEST_F(HelpPictures, ExtendInsertAndChange)
{
    ui->Script("new");
    ui->Script(dir.File("kraft.plt"));
    ui->Script("Kraft \"fluss\"");
    ui->Script("insert");
    ui->Script("1");
    ui->Script(dir.File("vorne.plt"));
    ui->Script("Vorne");
    ui->Script("change");
    ui->Script("2");
    ui->Script("beginn");
    ui->Script("Beginn");
    ui->Script("ok");
    HelpPicturesMenu();
    auto idx = Index();
    ASSERT_EQ(idx.size(), 5u);
    EXPECT_EQ(idx[0], "\"vorne\",\"Vorne\"");
    EXPECT_EQ(idx[1], "\"beginn\",\"Beginn\"");
    EXPECT_EQ(idx[4], "\"kraft\",\"Kraft 'fluss'\"");
}

TEST_F(HelpPictures, EditsKeepEntriesBeyondTheListedOnes)
{
    std::string big;
    for (int k = 1; k <= 140; ++k)
        big += "\"b" + std::to_string(k) + "\",\"Bild " + std::to_string(k) + "\"\r\n";
    dir.Put("kt4.dbh", big);
    std::vector<PictureIndexEntry> e;
    bool malformed = false;
    ReadPictureIndex(PictureIndexName(), e, malformed);
    EXPECT_EQ(PictureListLines(e).size(), 135u); // 130 pictures and 5 commands
    ui->Script("delete");
    ui->Script("1");
    ui->Script("J");
    ui->Script("ok");
    HelpPicturesMenu();
    auto idx = Index();
    ASSERT_EQ(idx.size(), 139u);
    EXPECT_EQ(idx.back(), "\"b140\",\"Bild 140\"");
    EXPECT_EQ(Logged("pictures")[0], "pictures|130|135");
}

TEST_F(HelpPictures, PrintSendsTheWholeKeyWithControlSequences)
{
    report::PrinterPortPaths[2] = dir.File("lpt2");
    ui->Script("print");
    ui->Script("3");  // langername: longer than eight characters
    ui->Script("2");  // port
    ui->Script("J");  // control sequences
    ui->Script("ok");
    HelpPicturesMenu();
    EXPECT_EQ(dir.Get("lpt2"), "\x1B" "E\x1B%0BIN;PU0,0;\x1B%0A\x1B" "E");
    EXPECT_EQ(Logged("text")[0], "text|Druckerschnittstelle (max = 3, default=1)|1");

    EXPECT_FALSE(SendPictureToPort("fehlt", 2, false));
    EXPECT_NE(Logged("error").back().find("fehlt.plt nicht gefunden"), std::string::npos);
}

TEST_F(HelpPictures, MissingIndexAsksForThePictureFolder)
{
    std::filesystem::create_directory(dir.File("bilder"));
    settings::PltDir = dir.File("leer");
    ui->Script(dir.File("bilder/x.plt"));
    ui->Script("ok");
    HelpPicturesMenu();
    EXPECT_EQ(settings::PltDir, dir.File("bilder"));
    ui->ClearLog();
    settings::PltDir = dir.File("leer");
    HelpPicturesMenu(); // cancelled
    EXPECT_EQ(Logged("pictures").size(), 0u);
}
