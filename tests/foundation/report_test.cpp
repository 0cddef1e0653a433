// The page layout of text reports: headers, rules, rows, page breaks.
#include "foundation/codepage.h"
#include "foundation/report.h"
#include "foundation/textprint.h"

#include "output_fixture.h"

#include <algorithm>

using namespace kt4;
using kt4::testing::FileLines;

namespace {

class ReportLayout : public kt4::testing::OutputTest {
protected:
    // Writes a report on device 8 ("OUTDOS.TXT") and returns its lines.
    template <class F>
    std::vector<std::string> OutDos(F body)
    {
        OpenReport(DevOutDos, "demo");
        EXPECT_FALSE(settings::AbortFlag);
        body();
        CloseReport();
        return FileLines(dir.Get("OUTDOS.TXT"));
    }
    // Writes a report on the screen device and returns the viewer's copy.
    template <class F>
    std::string Screen(F body)
    {
        OpenReport(DevScreen, "demo");
        body();
        CloseReport();
        return TempGet("outwin.txt");
    }
};

std::string Col(const std::string& line, int col, int len)
{
    return col - 1 < static_cast<int>(line.size()) ? line.substr(static_cast<std::size_t>(col - 1), len) : "";
}

// A report line without the margin of seven blanks.
std::string Body(const std::string& line) { return line.size() >= 7 ? line.substr(7) : line; }

int CountFormFeeds(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\f')); }

} // namespace

TEST_F(ReportLayout, FramedHeaderInStarMode)
{
    settings::CurrentFileName = "getriebe";
    SetReportHeader("Titel", "Zeile 1", "Zeile 2", "Zeile 3", "", 3);
    auto lines = OutDos([] {
        ReportPageHeader(0, 0);
        ReportLine("Hallo");
    });
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines[0], std::string(7, ' ') + std::string(70, '*'));
    const std::string title = Body(lines[1]);
    ASSERT_EQ(title.size(), 70u);
    EXPECT_EQ(title[0], '*');
    EXPECT_EQ(title[69], '*');
    EXPECT_EQ(Col(title, 4, 5), "Titel");
    EXPECT_EQ(Col(title, 60, 8), "Bl. 1/ 3");
    const std::string date = Body(lines[2]);
    EXPECT_EQ(Col(date, 53, 10), "2002-03-05");
    EXPECT_EQ(Col(date, 64, 4), "9:05");
    EXPECT_EQ(Col(Body(lines[3]), 4, 12 + dir.Path().size()), dir.Path() + "getriebe.kt4");
    EXPECT_EQ(Col(Body(lines[5]), 4, 7), "Zeile 1");
    // the empty fourth header line is left out
    EXPECT_EQ(Body(lines[8]), std::string(70, '*'));
    EXPECT_EQ(lines[9], "       Hallo");
    EXPECT_EQ(lines.size(), 10u);
}

TEST_F(ReportLayout, PageNumberWithoutTotalAndOverlongTitle)
{
    SetReportHeader(std::string(68, 'T'), "", "", "", "", 0);
    auto lines = OutDos([] { ReportPageHeader(0, 0); });
    const std::string title = Body(lines[1]);
    EXPECT_EQ(Col(title, 64, 5), "Bl. 1");
    EXPECT_EQ(title.find('T'), std::string::npos); // 68 characters do not fit
}

TEST_F(ReportLayout, ColumnTitlesNeverRunIntoEachOther)
{
    SetReportColumns("Gr\x94\xE1" "e", "Zeichen", "Einheit", "Antrieb", "Abtrieb");
    auto lines = OutDos([] { ReportPageHeader(0, 1); });
    auto it = std::find_if(lines.begin(), lines.end(),
                           [](const std::string& l) { return l.find("Zeichen") != std::string::npos; });
    ASSERT_NE(it, lines.end());
    const std::string headings = Body(*it);
    EXPECT_EQ(Col(headings, 3, 5), "Gr\x94\xE1" "e");
    EXPECT_EQ(Col(headings, 44, 16), "Einheit Antrieb ");
    EXPECT_EQ(Col(headings, 62, 7), "Abtrieb");
    EXPECT_EQ(headings.size(), 70u);
    // a title too long for its column pushes the next one on
    SetReportColumns("", "Zeichen", "Einheiten", "1", "2");
    lines = OutDos([] { ReportPageHeader(0, 1); });
    it = std::find_if(lines.begin(), lines.end(),
                      [](const std::string& l) { return l.find("Zeichen") != std::string::npos; });
    ASSERT_NE(it, lines.end());
    EXPECT_EQ(Col(Body(*it), 44, 14), "Einheiten 1   ");
}

TEST_F(ReportLayout, FileLineOfANameGivenWithItsExtension)
{
    // started as "wkt4 beispiel1.kt4" and saved once: no "beispiel1.kt4.kt4"
    settings::CurrentFileName = "beispiel1.kt4";
    settings::FileNameHasDir = false;
    auto lines = OutDos([] { ReportPageHeader(0, 0); });
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(Col(Body(lines[3]), 4, 14 + dir.Path().size()), dir.Path() + "beispiel1.kt4 ");
    // a project read from "c.dxf" is saved there: no "c.dxf.kt4"
    dir.Put("c.dxf", "x");
    settings::CurrentFileName = "c.dxf";
    lines = OutDos([] { ReportPageHeader(0, 0); });
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(Col(Body(lines[3]), 4, 6 + dir.Path().size()), dir.Path() + "c.dxf ");
}

TEST_F(ReportLayout, BoxCharactersInMode2)
{
    settings::TextPrintMode = 2;
    SetReportHeader("Box", "", "", "", "", 0);
    auto lines = OutDos([] {
        ReportPageHeader(0, 1);
        ReportRow4("Leistung", "P", "kW", "1.5");
    });
    EXPECT_EQ(Body(lines[0]), "\xC9" + std::string(68, '\xCD') + "\xBB");
    EXPECT_EQ(Body(lines[1])[0], '\xBA');
    // Kind 1: middle rule, column headings, bottom rule, an empty line
    auto it = std::find(lines.begin(), lines.end(), "       " + std::string("\xC8") + std::string(68, '\xCD') + "\xBC");
    ASSERT_NE(it, lines.end());
    const std::string headings = Body(*(it - 1));
    EXPECT_EQ(Col(headings, 35, 7), "Zeichen");
    EXPECT_EQ(Col(headings, 44, 7), "Einheit");
    EXPECT_EQ(Col(headings, 51, 3), " 1 "); // not "Einheit1"
    EXPECT_EQ(lines.back(), "       " + std::string(70, '\xC4'));
    // the display copy carries the box lines as UTF-8
    const std::string shown = TempGet("outwin.txt");
    EXPECT_NE(shown.find("\u2554\u2550\u2550"), std::string::npos);
    EXPECT_NE(shown.find("\u2500\u2500"), std::string::npos);
}

TEST_F(ReportLayout, CompactModeHasNoRulesAndABlankLineBeforeTheHeader)
{
    settings::TextPrintMode = 4;
    SetReportHeader("Kompakt", "", "", "", "", 0);
    auto lines = OutDos([] {
        ReportPageHeader(0, 0);
        ReportRow4("Leistung", "P", "kW", "1.5");
        ReportLine(ThinRuleLine());
    });
    EXPECT_EQ(lines[0], "       ");
    for (const auto& l : lines) {
        EXPECT_EQ(l.find("$!$"), std::string::npos);
        EXPECT_EQ(l.find("**"), std::string::npos);
        EXPECT_EQ(l.find("--"), std::string::npos);
    }
    EXPECT_NE(lines.back().find("Leistung"), std::string::npos);
}

TEST_F(ReportLayout, Row4PlacesValuesByLength)
{
    auto lines = OutDos([] {
        ReportRow4("kurz", "d", "mm", "12.5");
        ReportRow4("lang", "d", "mm", "123456789012345678");
        ReportRow4("zu lang", "d", "mm", std::string(60, '1') + "ENDE" + std::string(9, '9'));
    });
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(Col(Body(lines[0]), 56, 4), "12.5");
    EXPECT_EQ(Col(Body(lines[0]), 35, 1), "d");
    EXPECT_EQ(Col(Body(lines[0]), 44, 2), "mm");
    EXPECT_EQ(lines[1], "       " + std::string(70, '-'));
    // 18 characters end at column 69
    EXPECT_EQ(Col(Body(lines[2]), 52, 18), "123456789012345678");
    EXPECT_EQ(Body(lines[2])[69], ' ');
    // a value longer than the line keeps its right end instead of vanishing
    EXPECT_NE(Body(lines[4]).find("ENDE999999999"), std::string::npos);
}

TEST_F(ReportLayout, Row5ColumnsAndHeaderLinesOnTheFrame)
{
    auto lines = OutDos([] { ReportRow5("Kraft", "F", "N", "100", "200"); });
    const std::string row = Body(lines[0]);
    EXPECT_EQ(row.size(), 71u);
    EXPECT_EQ(Col(row, 51, 3), "100");
    EXPECT_EQ(Col(row, 62, 3), "200");
}

TEST_F(ReportLayout, PagesBreakWithRepeatedHeaders)
{
    settings::LinesPerPage = 30;
    SetReportHeader("Seiten", "", "", "", "", 0);
    std::string text = Screen([] {
        ReportPageHeader(0, 0);
        for (int k = 1; k <= 60; ++k)
            ReportLine("Zeile " + std::to_string(k));
    });
    auto pages = SplitTextPages(FileLines(text));
    ASSERT_GE(pages.size(), 3u);
    for (std::size_t p = 0; p < pages.size(); ++p) {
        EXPECT_LE(static_cast<int>(pages[p].size()), 30) << "page " << p + 1;
        EXPECT_EQ(pages[p][0], "       " + std::string(70, '*')) << "page " << p + 1;
        EXPECT_NE(pages[p][1].find("Bl. " + std::to_string(p + 1)), std::string::npos);
    }
    // every line arrives, in order
    std::string all = text;
    for (int k = 1; k <= 60; ++k)
        EXPECT_NE(all.find("Zeile " + std::to_string(k) + "\r\n"), std::string::npos) << k;
}

TEST_F(ReportLayout, HeaderOnceInHeaderMode2WithAClosingFormFeed)
{
    settings::LinesPerPage = 25;
    settings::PrintHeaderMode = 2;
    std::string text = Screen([] {
        ReportPageHeader(0, 0);
        for (int k = 1; k <= 40; ++k)
            ReportLine("Zeile " + std::to_string(k));
    });
    EXPECT_EQ(CountFormFeeds(text), 2); // one break and the closing form feed
    auto lines = FileLines(text);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "       " + std::string(70, '*')), 3); // the three rules of one frame
    EXPECT_EQ(text.back(), '\n');
}

TEST_F(ReportLayout, LinesPerPageZeroOrTinyGivesASanePage)
{
    for (Integer lpp : {0, 1, 5, -3}) {
        settings::LinesPerPage = lpp;
        settings::HeaderSpaceLines = -4;
        EXPECT_EQ(EffectiveLinesPerPage(), 21) << lpp;
        std::string text = Screen([] {
            ReportPageHeader(0, 1);
            for (int k = 1; k <= 100; ++k)
                ReportLine("Zeile " + std::to_string(k));
        });
        auto pages = SplitTextPages(FileLines(text));
        EXPECT_GE(pages.size(), 5u) << lpp;
        EXPECT_LE(pages.size(), 40u) << lpp;
        for (const auto& p : pages)
            EXPECT_LE(static_cast<int>(p.size()), 21);
        EXPECT_NE(text.find("Zeile 100\r\n"), std::string::npos);
    }
    settings::HeaderSpaceLines = 30;
    EXPECT_EQ(EffectiveLinesPerPage(), 51);
}

TEST_F(ReportLayout, NeedLinesStartsAPageNearTheEnd)
{
    settings::LinesPerPage = 40;
    std::string text = Screen([] {
        ReportPageHeader(0, 0);
        for (int k = 0; k < 25; ++k)
            ReportLine("x");
        ReportNeedLines(0); // 25 + header lines > 30: new page
        ReportLine("danach");
    });
    auto pages = SplitTextPages(FileLines(text));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[1].back(), "       danach");
}

TEST_F(ReportLayout, WrappedTextOnlyAbove72Characters)
{
    std::string shortText(72, 'a');
    std::string longText;
    for (int k = 0; k < 60; ++k)
        longText += "Wort" + std::to_string(k) + " ";
    auto lines = OutDos([&] {
        ReportWrappedText("");
        ReportWrappedText(shortText);
        ReportWrappedText(longText);
    });
    EXPECT_EQ(lines[0], "       " + shortText);
    ASSERT_GT(lines.size(), 6u); // far more than five wrapped lines
    std::string joined;
    for (std::size_t k = 1; k < lines.size(); ++k) {
        EXPECT_LE(Body(lines[k]).size(), 64u);
        joined += Body(lines[k]);
    }
    EXPECT_EQ(joined, longText);
}

TEST(TextPages, FormFeedsEndPagesAndALastPageWithoutOneCounts)
{
    using V = std::vector<std::string>;
    EXPECT_TRUE(SplitTextPages({}).empty());
    EXPECT_EQ(SplitTextPages(V{"eine Zeile"}).size(), 1u); // no form feed: one page
    EXPECT_EQ(SplitTextPages(V{"a", "\f"}).size(), 1u);
    EXPECT_EQ(SplitTextPages(V{"a", "\f", "  ", ""}).size(), 1u); // blank rest is no page
    auto p = SplitTextPages(V{"a", "\f", "b", "\fc", "d"});
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[1], V{"b"});
    EXPECT_EQ(p[2], (V{"c", "d"})); // text behind a form feed starts the next page
    EXPECT_EQ(SplitTextPages(V{"\f", "\f", "x"}).size(), 3u);
    // far more than 255 pages
    V many;
    for (int k = 0; k < 300; ++k) {
        many.push_back("Seite " + std::to_string(k + 1));
        many.push_back("\f");
    }
    EXPECT_EQ(SplitTextPages(many).size(), 300u);
}
