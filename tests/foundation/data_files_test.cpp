// The program's own data files: help texts for every help number and an
// explanation for every calculation message the code uses (the sources
// are scanned, so this stays true as code is added), the pictures of the
// picture index, and the OEM files built from their readable sources.
#include "foundation/codepage.h"
#include "foundation/explain.h"
#include "foundation/files.h"
#include "foundation/helppictures.h"
#include "foundation/helptext.h"
#include "foundation/numstr.h"
#include "foundation/strutil.h"

#include "output_fixture.h"
#include "source_scan.h"

#include <map>
#include <set>

using namespace kt4;
using namespace kt4::testing;

namespace {

const std::string DataDir = KT4_DATA_DIR;
const std::string SourceDir = std::string(KT4_SOURCE_DIR) + "/src";

// A message text found in the code: the text (OEM) and whether it is the
// whole message or only its beginning.
struct FoundMessage {
    std::string text;
    bool whole;
    std::string where;
};

bool ValidUtf8WithNonAscii(const std::string& s)
{
    bool nonAscii = false;
    for (std::size_t k = 0; k < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[k]);
        int n = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (n < 0 || k + n >= s.size() + (n == 0 ? 1 : 0))
            return false;
        for (int j = 1; j <= n; ++j)
            if ((static_cast<unsigned char>(s[k + j]) >> 6) != 2)
                return false;
        nonAscii = nonAscii || n > 0;
        k += static_cast<std::size_t>(n) + 1;
    }
    return nonAscii;
}

// Source literals are either OEM bytes (escapes) or UTF-8.
std::string AsOem(const std::string& s) { return ValidUtf8WithNonAscii(s) ? DisplayToOem(s) : s; }

bool Is(const std::vector<Token>& t, std::size_t k, Token::Kind kind, const std::string& text = "")
{
    return k < t.size() && t[k].kind == kind && (text.empty() || t[k].text == text);
}

void ScanMessages(const std::vector<Token>& t, const std::string& where, std::vector<FoundMessage>& out)
{
    static const std::map<std::string, std::string> severity{
        {"SevFatal", "Fatal  : "}, {"SevError", "Fehler : "}, {"SevWarning", "Warnung: "}};
    // functions that take a whole message or its beginning, and what they put in front
    static const std::map<std::string, std::string> takers{{"AddMessage", ""}, {"Warn", ""}, {"Fatal", "Fatal  : "}};
    for (std::size_t k = 0; k < t.size(); ++k) {
        if (t[k].kind == Token::Literal) {
            const std::string& s = t[k].text;
            for (const auto& [name, word] : severity)
                if (s.rfind(word, 0) == 0 && s.size() > word.size())
                    out.push_back({AsOem(s), false, where});
            continue;
        }
        if (t[k].kind != Token::Ident)
            continue;
        if (auto sev = severity.find(t[k].text); sev != severity.end()) {
            std::size_t j = k + 1;
            if (Is(t, j, Token::Punct, ")"))
                ++j;
            if (Is(t, j, Token::Punct, "+") && Is(t, j + 1, Token::Literal))
                out.push_back({sev->second + AsOem(t[j + 1].text), false, where});
        } else if (auto taker = takers.find(t[k].text); taker != takers.end()) {
            if (Is(t, k + 1, Token::Punct, "(") && Is(t, k + 2, Token::Literal))
                out.push_back({taker->second + AsOem(t[k + 2].text), Is(t, k + 3, Token::Punct, ")"), where});
        } else if (t[k].text == "PowerChecked") {
            if (Is(t, k + 1, Token::Punct, "(") && Is(t, k + 2, Token::Literal) && !t[k + 2].text.empty())
                out.push_back({AsOem(t[k + 2].text) + " (pow)", true, where});
        }
    }
}

void ScanHelpNumbers(const std::vector<Token>& t, const std::string& where, std::map<int, std::string>& out)
{
    static const std::set<std::string> callers{"SetHelpNumber", "SetHelpTextNumber", "ShowHelpText", "ReadHelpText",
                                               "HelpTextString"};
    for (std::size_t k = 0; k + 2 < t.size(); ++k) {
        if (t[k].kind != Token::Ident)
            continue;
        Integer n = -1;
        if (callers.count(t[k].text) && Is(t, k + 1, Token::Punct, "(") && Is(t, k + 2, Token::Number))
            TryStrToInteger(t[k + 2].text, n);
        // named help numbers: ...Help... = 2600
        else if (t[k].text.find("Help") != std::string::npos && Is(t, k + 1, Token::Punct, "=") &&
                 Is(t, k + 2, Token::Number) && TryStrToInteger(t[k + 2].text, n) && (n < 1000 || n % 5 != 0))
            n = -1;
        if (n > 0)
            out.emplace(n, where);
    }
}

struct Scan {
    std::vector<FoundMessage> messages;
    std::map<int, std::string> helpNumbers;
};

const Scan& ScanProgram()
{
    static Scan scan = [] {
        Scan s;
        for (const auto& f : ProgramSources(SourceDir)) {
            auto tokens = Tokenize(ReadAll(f));
            std::string where = std::filesystem::relative(f, SourceDir).string();
            ScanMessages(tokens, where, s.messages);
            ScanHelpNumbers(tokens, where, s.helpNumbers);
        }
        return s;
    }();
    return scan;
}

class DataFiles : public OutputTest {
protected:
    void SetUp() override
    {
        OutputTest::SetUp();
        settings::PltDir = DataDir;
    }
};

std::vector<std::string> ExplanationRecords(std::vector<std::string>& lines)
{
    EXPECT_TRUE(ReadExplanationLines(ExplanationFileName(), lines));
    std::vector<std::string> keys;
    for (std::size_t k = 0; k + 2 < lines.size(); k += 3)
        keys.push_back(lines[k].substr(0, ExplanationKeyLength));
    return keys;
}

} // namespace

TEST(SourceScan, FindsLiteralsAndSkipsComments)
{
    auto t = Tokenize("// AddMessage(\"nein\")\nAddMessage(\"Zul\\x84\" \"ssig\"); /* \"x\" */ Fatal(\"d = 0 !\");"
                      "AddMessage(std::string(settings::SevFatal) + \"C0\"); x = PowerChecked(\"aISO\", b, e);"
                      "SetHelpNumber(2070); constexpr Word ChangesHelp = 2600;");
    std::vector<FoundMessage> m;
    ScanMessages(t, "", m);
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[0].text, "Zul\x84ssig");
    EXPECT_TRUE(m[0].whole);
    EXPECT_EQ(m[1].text, "Fatal  : d = 0 !");
    EXPECT_EQ(m[2].text, "Fatal  : C0");
    EXPECT_FALSE(m[2].whole);
    EXPECT_EQ(m[3].text, "aISO (pow)");
    std::map<int, std::string> h;
    ScanHelpNumbers(t, "", h);
    EXPECT_EQ(h.size(), 2u);
    EXPECT_EQ(AsOem("Zulässig"), "Zul\x84ssig");
}

// A comment that names an event handler of a window (a form's create, close
// or resize handler, a control's click or key handler) names one this code
// has: such a word in a comment is a word of the code too.
TEST(SourceScan, CommentsNameOnlyHandlersTheCodeHas)
{
    auto words = [](const std::string& s) {
        std::vector<std::string> out(1);
        for (char c : s)
            if (std::isalnum(static_cast<unsigned char>(c)) || c == '_')
                out.back() += c;
            else if (!out.back().empty())
                out.emplace_back();
        return out;
    };
    auto handler = [](const std::string& w) { // the event after a name ending in a small letter or digit
        for (std::string end : {"Create", "Destroy", "Show", "Activate", "Resize", "CloseQuery", "Close", "Click",
                                "KeyPress", "KeyDown", "KeyUp", "Change", "Timer", "Paint", "Form"})
            if (w.size() > end.size() + 1 && w.ends_with(end) &&
                !std::isupper(static_cast<unsigned char>(w[w.size() - end.size() - 1])))
                return true;
        return false;
    };
    std::set<std::string> code;
    std::vector<std::pair<std::string, std::string>> named; // word, file
    for (const char* dir : {"/src", "/tests"})
        for (const auto& f : ProgramSources(std::string(KT4_SOURCE_DIR) + dir)) {
            std::istringstream in(ReadAll(f));
            for (std::string line; std::getline(in, line);) {
                const auto slash = line.find("//");
                for (const auto& w : words(line.substr(0, slash)))
                    code.insert(w);
                if (slash != std::string::npos)
                    for (const auto& w : words(line.substr(slash)))
                        if (handler(w))
                            named.emplace_back(w, f.filename().string());
            }
        }
    EXPECT_GT(code.size(), 5000u);
    for (const auto& [word, file] : named)
        EXPECT_TRUE(code.count(word)) << file << " names " << word << ", which the code does not have";
}

TEST_F(DataFiles, EveryHelpNumberOfTheCodeHasItsText)
{
    const auto& scan = ScanProgram();
    EXPECT_GE(scan.helpNumbers.size(), 10u);
    // and the numbers the program's dialogs are known to use
    std::map<int, std::string> numbers = scan.helpNumbers;
    for (int n : {1030, 1040, 1050, 1060, 1070, 1120, 1210, 1555, 1605, 1910, 1920, 1930, 1935, 1940, 2050, 2055,
                  2060, 2070, 2080, 2090, 2110, 2120, 2130, 2140, 2145, 2150, 2160, 2280, 2300, 2310, 2320, 2330,
                  2340, 2350, 2360, 2365, 2370, 2450, 2600, 2710, 2720, 2730, 2900, 3000, 3010, 3020, 3055, 3210,
                  3400, 4000, 4010, 4100, 4110, 4120, 5500, 5600, 8200, 8260, 8500})
        numbers.emplace(n, "known");
    for (int typ = 1; typ <= 12; ++typ)
        numbers.emplace(8500 + 5 * typ, "bearing catalogue");
    for (const auto& [n, where] : numbers) {
        HelpEntry e = ReadHelpEntry(static_cast<Word>(n));
        EXPECT_TRUE(e.found) << "help number " << n << " (" << where << ")";
        EXPECT_FALSE(TrimBlanks(e.lines[1]).empty()) << n;
        if (e.found && e.picture != "NULL") {
            EXPECT_FALSE(FindFileNoCase(DataDir, e.picture + ".plt").empty()) << n << ": " << e.picture;
        }
    }
}

TEST_F(DataFiles, EveryCalculationMessageOfTheCodeHasItsExplanation)
{
    std::vector<std::string> lines;
    auto keys = ExplanationRecords(lines);
    EXPECT_EQ(lines.size() % 3, 0u) << "records of three lines";
    const auto& scan = ScanProgram();
    EXPECT_GE(scan.messages.size(), 5u);
    for (const auto& m : scan.messages) {
        const std::string key = m.text.substr(0, ExplanationKeyLength);
        bool found = false;
        for (const auto& k : keys)
            found = found || (m.whole || key.size() == ExplanationKeyLength ? k == key : k.rfind(key, 0) == 0);
        EXPECT_TRUE(found) << "no explanation for \"" << OemToDisplay(m.text) << "\" (" << m.where << ")";
    }
}

TEST_F(DataFiles, ExplanationRecordsAreWellFormed)
{
    std::vector<std::string> lines;
    auto keys = ExplanationRecords(lines);
    std::set<std::string> unique(keys.begin(), keys.end());
    EXPECT_EQ(unique.size(), keys.size()) << "two records with the same 15 characters";
    for (std::size_t k = 0; k + 2 < lines.size(); k += 3) {
        EXPECT_FALSE(TrimBlanks(lines[k + 1]).empty()) << lines[k];
        EXPECT_FALSE(TrimBlanks(lines[k + 2]).empty()) << lines[k];
        // a cause or remedy must never be taken for a message
        EXPECT_EQ(unique.count(lines[k + 1].substr(0, ExplanationKeyLength)), 0u) << lines[k + 1];
        EXPECT_EQ(unique.count(lines[k + 2].substr(0, ExplanationKeyLength)), 0u) << lines[k + 2];
    }
    // the messages of the calculation as they appear, a few spot checks
    for (const char* message :
         {"Fatal  : di > de ! (input shaft)", "Zul\x84ssige Drehzahl Lager 3 !", "Error: ArcSin -1.5",
          "Fatal  : C0 < 0 ! (Lager 4)", "Fatal  : C0 = 0 ! (Lager 2)", "Fatal  : B = 0 ! (Lager 5)",
          "Fatal  : B < 0 ! (Lager 1)", "Fatal  : a23 < 0 ! (Lager 3)", "Fatal  : aISO < 0 ! (Lager 3)",
          "Fatal  : etaproz > 100 !", "Fatal  : etaproz < 0 !", "Fatal  : dHe <= dLkS+dS !"})
        settings::AddMessage(message);
    for (Word i = 1; i <= settings::MessageCount; ++i) {
        std::string cause;
        MessageCause(i, cause);
        EXPECT_NE(cause, NoExplanationText) << settings::MessageTexts[i];
    }
}

TEST_F(DataFiles, PictureIndexNamesPicturesThatExist)
{
    std::vector<PictureIndexEntry> entries;
    bool malformed = true;
    ASSERT_TRUE(ReadPictureIndex(PictureIndexName(), entries, malformed));
    EXPECT_FALSE(malformed);
    EXPECT_GE(entries.size(), 4u);
    for (const auto& e : entries)
        EXPECT_FALSE(FindFileNoCase(DataDir, e.key + ".plt").empty()) << e.key;
    EXPECT_FALSE(FindFileNoCase(DataDir, "null.plt").empty());
}

TEST(DataSources, OemFilesAreBuiltFromTheirSources)
{
    for (const char* name : {"velmora.hlp", "kt4.hlp", "kt4.err", "kt4.dbh"}) {
        std::string source = ReadAll(DataDir + "/src/" + name + ".txt");
        std::string expected;
        for (const auto& line : FileLines(source))
            expected += DisplayToOem(line) + "\r\n";
        EXPECT_EQ(ReadAll(DataDir + "/" + name), expected) << name << ": run data/make_oem.sh";
    }
}
