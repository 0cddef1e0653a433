// Memo text: reading a memo as lines, adding a memo, writing an edited one.
#include "dbase/memo/memo.h"
#include "dbase/memo/memo_internal.h"

#include "dbase/engine/codepage.h"
#include "dbase/engine/engine_files.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/internal.h"

namespace kt4::dbase {

using namespace memo;

namespace memo {

// Stored bytes (after the area's read hook) in the engine's text.
std::string StoredToEngine(TWorkArea& a, std::string bytes)
{
    if (a.readHook && !bytes.empty())
        a.readHook(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size());
    return a.oem ? OemToAnsi(bytes) : bytes;
}

// Engine text in the stored form (then the area's write hook).
std::string EngineToStored(TWorkArea& a, std::string text)
{
    if (a.oem)
        text = AnsiToOem(text);
    if (a.writeHook && !text.empty())
        a.writeHook(reinterpret_cast<std::uint8_t*>(text.data()), text.size());
    return text;
}

namespace {

// False (error 220) when the table's page lacks a character of 1252 text
// a caller writes as a memo; text the engine converted itself passes.
bool PageHolds(const TWorkArea& a, const std::string& text, const char* operation)
{
    const TableCodePage& page = a.TextPage();
    if (a.Marked(0, TWorkArea::MarkTextInPage) ||
        page.HoldsAs1252(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()))
        return true;
    SetError(220, LackingCharsText(CharsLackedAs1252(page, text), "im Memo von " + a.fileName, page.number,
                                   operation));
    return false;
}

std::size_t LineWidth()
{
    return MemoWidthOn && MemoWidth > 0 ? std::size_t(MemoWidth) + 1 : 254;
}

// Splits stored text into lines; each line is converted to engine text.
void SplitLines(TWorkArea& a, const std::string& raw, TMemoLines& out, int lineLimit)
{
    const std::size_t width = LineWidth();
    std::string cur;
    auto full = [&] { return lineLimit > 0 && int(out.lines.size()) >= lineLimit; };
    auto push = [&](const std::string& line, TMemoLineEnd end) {
        out.lines.push_back(a.oem ? OemToAnsi(line) : line);
        out.ends.push_back(end);
    };
    std::size_t i = 0;
    for (; i < raw.size() && !full(); ++i) {
        const unsigned char c = static_cast<unsigned char>(raw[i]);
        if (c == 13 || c == 141) {
            push(cur, c == 13 ? TMemoLineEnd::Hard : TMemoLineEnd::Soft);
            cur.clear();
            if (i + 1 < raw.size() && raw[i + 1] == '\n')
                ++i;
            continue;
        }
        cur += char(c);
        if (cur.size() > width) {
            const std::size_t blank = cur.find_last_of(' ', width - 1);
            const std::size_t cut = blank == std::string::npos ? width : blank + 1;
            push(cur.substr(0, cut), TMemoLineEnd::Wrapped);
            cur.erase(0, cut);
        }
    }
    if (full()) {
        out.cut = i < raw.size() || !cur.empty();
        return;
    }
    if (!cur.empty())
        push(cur, TMemoLineEnd::None);
}

std::string EndBytes(TMemoLineEnd end)
{
    switch (end) {
    case TMemoLineEnd::Hard:
        return "\r\n";
    case TMemoLineEnd::Soft:
        return std::string("\x8D\n");
    default:
        return "";
    }
}

std::int32_t WriteNewMemo(TWorkArea& a, TMemoFile& m, const std::string& stored,
                          std::int32_t oldBlock, const std::string& operation)
{
    if (!CheckReplacedMemo(m, a, oldBlock, operation))
        return 0;
    std::int64_t pos = 0;
    if (!LockMemoPadAndSeekEOF(a, m, operation, pos))
        return 0;
    const std::int64_t block = pos / m.blockSize;
    if (block > INT32_MAX) {
        UnlockMemo(m);
        SetError(1004, m.name + " [" + operation + "]");
        return 0;
    }
    if (!WriteStoredMemo(m, pos, stored, false, m.name + " [" + operation + "]")) {
        UnlockMemo(m);
        return 0;
    }
    if (!UpdateMemoHeader(m))
        return 0;
    return std::int32_t(block);
}

// False (1003, naming the record) for a memo read as text that holds
// zero bytes (kZerosInText). In a dBase III file, whose memos end at their
// end mark, that is a lost end mark: the memo file then takes no memo
// until the field is blanked. A length-headed memo (dBase IV, FoxPro) with
// zeros may be binary data of a sound file: only its reading as text is
// refused.
bool IsText(const TWorkArea& a, TMemoFile& m, std::int32_t block, const StoredMemo& stored, const std::string& text)
{
    if (text.find('\0') == std::string::npos)
        return true;
    const MemoSource at = SourceOf(a, block);
    if (!stored.binary && m.kind() == Kind::DBase3)
        NoteDamage(m, at, block, kZerosInText);
    SetError(1003, MemoErrorText(m, at, kZerosInText, "GetMemo"));
    return false;
}

} // namespace

bool ReadMemoLinesHook(int areaNo, std::int32_t block, std::vector<std::string>& lines)
{
    lines.clear();
    detail::KeepArea keep;
    CurrentArea = areaNo;
    QuietErrors quiet;
    TMemoLines text;
    if (!GetMemo(block, text))
        return false;
    lines = std::move(text.lines);
    return true;
}

} // namespace memo

bool GetMemo(std::int32_t block, TMemoLines& out, int lineLimit)
{
    EngineErrorCode = 0;
    out = TMemoLines{};
    TWorkArea* a = nullptr;
    TMemoFile* m = RequireMemo("GetMemo", &a);
    if (!m)
        return false;
    StoredMemo stored;
    if (!ReadStoredMemo(*m, block, stored, SourceOf(*a, block), "GetMemo"))
        return false;
    std::string raw = std::move(stored.bytes);
    if (a->readHook && !raw.empty())
        a->readHook(reinterpret_cast<std::uint8_t*>(raw.data()), raw.size());
    if (!IsText(*a, *m, block, stored, raw))
        return false;
    SplitLines(*a, raw, out, lineLimit);
    return true;
}

bool GetMemoText(std::int32_t block, std::string& text)
{
    text.clear();
    EngineErrorCode = 0;
    TWorkArea* a = nullptr;
    TMemoFile* m = RequireMemo("GetMemo", &a);
    if (!m)
        return false;
    StoredMemo stored;
    if (!ReadStoredMemo(*m, block, stored, SourceOf(*a, block), "GetMemo"))
        return false;
    std::string read = StoredToEngine(*a, std::move(stored.bytes));
    if (!IsText(*a, *m, block, stored, read))
        return false;
    text = std::move(read);
    return true;
}

std::int32_t AddMemo(const std::string& text)
{
    EngineErrorCode = 0;
    TWorkArea* a = nullptr;
    TMemoFile* m = RequireMemo("AddMemo()", &a);
    if (!m)
        return 0;
    const std::string trimmed = RTrimText(text);
    if (trimmed.empty() || !PageHolds(*a, trimmed, "AddMemo()"))
        return 0;
    return WriteNewMemo(*a, *m, EngineToStored(*a, trimmed), 0, "AddMemo()");
}

std::int32_t EditMemo(std::int32_t oldBlock, const TMemoLines& lines)
{
    EngineErrorCode = 0;
    TWorkArea* a = nullptr;
    TMemoFile* m = RequireMemo("EditMemo/CloseMemo", &a);
    if (!m)
        return 0;
    if (lines.cut) {
        SetError(220, "Memo nur teilweise gelesen, wird nicht zurückgeschrieben: " + m->name +
                          " [EditMemo/CloseMemo]");
        return 0;
    }
    std::string stored;
    for (std::size_t i = 0; i < lines.lines.size(); ++i) {
        if (!PageHolds(*a, lines.lines[i], "EditMemo/CloseMemo"))
            return 0;
        stored += a->oem ? AnsiToOem(lines.lines[i]) : lines.lines[i];
        stored += EndBytes(i < lines.ends.size() ? lines.ends[i] : TMemoLineEnd::Hard);
    }
    if (RTrimText(stored).empty())
        return 0;
    if (a->writeHook)
        a->writeHook(reinterpret_cast<std::uint8_t*>(stored.data()), stored.size());
    const std::int64_t kb = std::int64_t(stored.size() / 1024 + 1);
    if (kb >= DiskFreeKB(m->name)) {
        SetError(1004, m->name);
        return 0;
    }
    // an old reference that is no block number has no memo to replace
    const std::int32_t old = oldBlock == InvalidMemoRef ? 0 : oldBlock < 0 ? -oldBlock : oldBlock;
    return WriteNewMemo(*a, *m, stored, old, "EditMemo/CloseMemo");
}

} // namespace kt4::dbase
