// USE: opening a table (or a virtual file) into the current area, and
// closing areas.
#include "dbase/engine/codepage.h"
#include "dbase/engine/dbf_format.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/internal.h"
#include "dbase/engine/locking.h"
#include "dbase/engine/navigation.h"
#include "dbase/engine/pack_marker.h"
#include "dbase/engine/runtime.h"
#include "dbase/engine/workarea.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace kt4::dbase {
namespace {

struct Token {
    std::string upper;
    std::size_t start;
};

std::vector<Token> Tokens(const std::string& text)
{
    std::vector<Token> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        if (i >= text.size())
            break;
        std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        out.push_back({UpperText(text.substr(start, i - start)), start});
    }
    return out;
}

int Rank(const std::vector<std::string>& order, const std::string& word)
{
    auto it = std::find(order.begin(), order.end(), word);
    return it == order.end() ? -1 : int(it - order.begin());
}

// Pending record hooks for the next USE.
RecordHook gPendingWrite, gPendingRead;

std::string OpenContext(const std::string& file)
{
    return "Fehler beim Öffnen von " + file + " [USE/OpenDbf]";
}

bool AliasTaken(const std::string& alias)
{
    for (int i = 1; i <= MaxAreas; ++i) {
        const TWorkArea* a = Area(i);
        if (a && a->alias == alias)
            return true;
    }
    return false;
}

std::string ResolveTablePath(const std::string& given)
{
    std::error_code ec;
    std::string path = fs::absolute(fs::path(given), ec).lexically_normal().string();
    if (ec)
        path = given;
    path = WithDefaultExtension(path, "DBF");
    std::string found = ResolveNoCase(path);
    return found.empty() ? path : found;
}

bool OpenVirtual(const UseCommand& cmd, const std::string& command, void* buffer,
                 std::size_t size)
{
    if (!VFilesLinked()) {
        SetError(1101, "[USE(" + command + ")]");
        return false;
    }
    if (!buffer) {
        SetError(220, "NIL Puffer-Zeiger [USE(" + command + ",Nil," + std::to_string(size) + ")]");
        return false;
    }
    std::string alias = cmd.request.alias;
    if (alias.empty()) {
        auto t = Tokens(cmd.request.path);
        alias = t.empty() ? std::string() : t.front().upper;
    }
    alias = UpperText(alias.substr(0, 64));
    if (AliasTaken(alias)) {
        SetError(220, "Alias-Name \"" + alias + "\" bereits benutzt. [USE]");
        return false;
    }
    std::memset(buffer, 0, size);
    auto area = std::make_unique<TWorkArea>();
    TWorkArea& a = *area;
    a.number = CurrentArea;
    a.alias = alias;
    a.isVirtual = true;
    a.recLen = std::uint32_t(size);
    a.bof = a.eof = true;
    a.buffer = static_cast<std::uint8_t*>(buffer);
    a.bufSize = size;
    a.vfStorage = cmd.storage;
    a.vfAppendMode = cmd.appendMode;
    a.vfName = cmd.request.path;
    a.exclusive = true;
    a.opened = true;
    a.state = FileState::Open;
    WorkAreas[std::size_t(CurrentArea)] = std::move(area);
    EngineErrorCode = 0;
    a.vfRequest = VfCreate;
    VFiles.Request(a);
    if (EngineErrorCode != 0) {
        WorkAreas[std::size_t(CurrentArea)].reset();
        return false;
    }
    return true;
}

// The header's record count and the file's size read again, for up to a
// tenth of a second while they disagree (another program may be appending
// and write the count before the record); t's counts follow them.
RecordFit FitAgain(DbfFile& f, ParsedTable& t, std::int64_t& size)
{
    RecordFit fit = RecordFit::Short;
    for (int i = 0; i < 10 && fit != RecordFit::Whole; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::uint32_t count = 0;
        if (ReadHeaderCount(f, t.dbase2, count) && count < 0x80000000u)
            t.headerCount = count;
        size = f.Size();
        t.recCount = CountFileRecords(f, t.headerLen, t.recLen, t.headerCount, size, AutoFixRecCount,
                                      &t.padded);
        fit = FitOfRecords(t, size);
    }
    return fit;
}

// Opens the file and reads its header; fills the area. Reports its own
// errors. note receives what the caller is told after a successful open
// (a table opened without its unfinished last record).
bool OpenTableFile(TWorkArea& a, const std::string& file, bool exclusive, bool readOnly,
                   std::string& note)
{
    int code = OpenWithShareLock(a.file, file, !readOnly, true,
                                 exclusive ? Share::Exclusive : Share::Shared);
    if (code != 0) {
        SetError(std::uint16_t(code), OpenContext(file));
        return false;
    }
    const std::int64_t size = a.file.Size();
    std::vector<std::uint8_t> head(std::size_t(std::clamp<std::int64_t>(size, 0, MaxHeaderRead)));
    long long got = a.file.ReadAt(0, head.data(), head.size());
    ParsedTable t;
    FormatError e;
    if (got < 0 || !ParseDbfHeader(head.data(), std::size_t(std::max(got, 0LL)), size, file, t, e)) {
        a.file.Close();
        if (got < 0)
            SetError(100, "Fehler beim Lesen von " + file + " [Use/OpenDbf]");
        else
            SetError(e.code, e.text);
        return false;
    }
    // The header's count, and the records after it that another program's
    // append or one of ours left before its count; padding is none.
    t.recCount = CountFileRecords(a.file, t.headerLen, t.recLen, t.headerCount, size, AutoFixRecCount,
                                  &t.padded);
    // A file that ends before the records its header counts is refused: a
    // lower count would be written with the next append. Only the last
    // record may be missing (an append another program has not finished),
    // or, with the recount switch, every one the file lacks.
    std::int64_t fitSize = size;
    RecordFit fit = FitOfRecords(t, fitSize);
    if (fit != RecordFit::Whole && !exclusive)
        fit = FitAgain(a.file, t, fitSize);
    if (fit == RecordFit::Misfit || (fit == RecordFit::Short && !AutoFixRecCount)) {
        a.file.Close();
        SetError(210, RecordFitText(t, fit, fitSize, file) + " [USE/OpenDBF]");
        return false;
    }
    if (fit != RecordFit::Whole)
        note = RecordFitText(t, fit, fitSize, file) + "; geöffnet mit " + std::to_string(t.recCount) +
               " Datensätzen [USE/OpenDBF]";
    a.fileName = file;
    a.fileKey = a.file.Id();
    a.header = t.header;
    a.version = t.version;
    a.dbase2 = t.dbase2;
    a.level7 = t.level7;
    a.hasMemo = t.hasMemo;
    a.headerLen = t.headerLen;
    a.recLen = t.recLen;
    a.fields = std::move(t.fields);
    a.lastUpdate = t.lastUpdate;
    a.recCount = t.recCount;
    a.native.assign(a.recLen, ' ');
    a.state = FileState::Open;
    a.exclusive = exclusive;
    return true;
}

void ReleaseArea(int n)
{
    WorkAreas[std::size_t(n)].reset();
}

bool OpenMemo(TWorkArea& a, const std::string& command, std::size_t size)
{
    if (!a.hasMemo || !MemoLinked())
        return true;
    std::string memo = WithExtension(a.fileName, MemoExtensionOf(a.version));
    std::string found = ResolveNoCase(memo);
    a.memoPath = found.empty() ? memo : found;
    EngineErrorCode = 0;
    bool ok;
    {
        QuietErrors quiet;
        ok = Memo.OpenMemoFile(a.number, a.memoPath);
    }
    if (!ok) {
        std::uint16_t code = EngineErrorCode ? EngineErrorCode : 2;
        CloseCurrentArea();
        SetError(code, "Problem beim Öffnen der Memo-Datei [USE(" + command + ", " +
                           std::to_string(size) + ")]");
        return false;
    }
    return true;
}

} // namespace

UseCommand ParseUseCommand(const std::string& command)
{
    static const std::vector<std::string> kModes = {"FIFO", "LIFO", "INSERTION", "ASCENDING",
                                                    "DESCENDING"};
    static const std::vector<std::string> kStorage = {"EMS", "EXT", "XMS", "HEAP", "BIGGEST"};
    static const std::uint8_t kStorageCode[] = {2, 3, 3, 1, 5};
    UseCommand cmd;
    const std::string text = AllTrim(command);
    auto tokens = Tokens(text);
    std::size_t end = tokens.size(); // tokens [0, end) are still the path
    int modeRank = -1, storageRank = -1;
    while (end > 1) {
        const std::string& last = tokens[end - 1].upper;
        const std::string prev = end >= 2 ? tokens[end - 2].upper : "";
        int r;
        if ((r = Rank(kModes, last)) >= 0) {
            if (r > modeRank)
                modeRank = r;
            end -= 1;
        } else if (prev == "TO" && (r = Rank(kStorage, last)) >= 0 && end > 2) {
            if (r > storageRank)
                storageRank = r;
            end -= 2;
        } else if (((prev == "LINKED" && last == "LIST") || (prev == "VIRTUAL" && last == "FILE")) &&
                   end > 2) {
            cmd.isVirtual = true;
            end -= 2;
        } else if (last == "EXCLUSIVE") {
            cmd.request.exclusive = true;
            end -= 1;
        } else if (prev == "ALIAS" && end > 2) {
            cmd.request.alias = text.substr(tokens[end - 1].start, last.size()).substr(0, 64);
            end -= 2;
        } else {
            break;
        }
    }
    if (modeRank >= 0)
        cmd.appendMode = std::uint8_t(modeRank);
    if (storageRank >= 0)
        cmd.storage = kStorageCode[storageRank];
    std::size_t pathEnd = end < tokens.size() ? tokens[end].start : text.size();
    cmd.request.path = AllTrim(text.substr(0, pathEnd));
    return cmd;
}

bool USE(const std::string& command, void* buffer, std::size_t size, RecordHook writeHook,
         RecordHook readHook)
{
    gPendingWrite = std::move(writeHook);
    gPendingRead = std::move(readHook);
    bool ok = USE(command, buffer, size);
    gPendingWrite = nullptr;
    gPendingRead = nullptr;
    return ok;
}

bool USE(const std::string& command, void* buffer, std::size_t size)
{
    EngineErrorCode = 0;
    CloseCurrentArea();
    if (EngineErrorCode != 0)
        return false;
    const UseCommand cmd = ParseUseCommand(command);
    if (cmd.request.path.empty() && !cmd.isVirtual)
        return true;
    if (cmd.isVirtual)
        return OpenVirtual(cmd, AllTrim(command), buffer, size);
    return UseTable(cmd.request, buffer, size);
}

namespace {
bool OpenTable(const OpenRequest& request, void* buffer, std::size_t size);
} // namespace

bool UseTable(const OpenRequest& request, void* buffer, std::size_t size)
{
    try {
        return OpenTable(request, buffer, size);
    } catch (const std::bad_alloc&) {
        WorkAreas[std::size_t(CurrentArea)].reset();
        SetError(217, "Zu wenig Speicherplatz zum Öffnen von " + request.path + " [Use/OpenDbf]");
        return false;
    }
}

namespace {
bool OpenTable(const OpenRequest& request, void* buffer, std::size_t size)
{
    EngineErrorCode = 0;
    CloseCurrentArea();
    if (EngineErrorCode != 0)
        return false;
    if (AllTrim(request.path).empty())
        return true;
    const std::string command = request.path;
    if ((!buffer && size != 0) || (buffer && size == 0)) {
        SetError(220, "Puffer ist NIL oder Größe ist Null beim Öffnen von " + command + " [USE]");
        return false;
    }
    std::uint16_t mode = (request.exclusive || SharedOpenMode == ModeReadWriteExclusive || !MultiUser)
                             ? ModeReadWriteExclusive
                             : SharedOpenMode;
    if (OpenModeOverride != 65535)
        mode = OpenModeOverride & 0xFF;
    const bool readOnly = (mode & 3) == 0;
    const std::uint16_t sharing = mode & 0x70;
    const bool exclusive = sharing != 0x40 && sharing != 0; // 0x10..0x30 deny others

    const std::string file = ResolveTablePath(AllTrim(request.path));
    std::string alias = request.alias.empty() ? BaseNameOf(file) : request.alias;
    alias = UpperText(alias.substr(0, 64));

    if (!FinishTableWithMemo(file))
        return false;
    auto area = std::make_unique<TWorkArea>();
    TWorkArea& a = *area;
    a.number = CurrentArea;
    a.openMode = mode;
    std::string note;
    if (!OpenTableFile(a, file, exclusive, readOnly, note))
        return false;
    a.alias = alias;
    // The page the header's mark names; an unmarked table is OEM or ANSI by
    // the setting.
    std::uint16_t refused = 0;
    a.codePage = a.dbase2 ? nullptr : CodePageOfMark(a.header.bytes[29], refused);
    if (refused != 0) {
        SetError(1300, "Codepage " + std::to_string(refused) + " wird nicht unterstützt: " + file +
                           " [USE/OpenDbf]");
        return false;
    }
    if (!a.codePage)
        a.codePage = TableIsAnsi ? &AnsiCodePage() : &OemCodePage();
    a.oem = a.codePage->oem;
    a.opened = true;
    const std::size_t computed = TypedBufferSize(a.fields);
    if (buffer && size != computed) {
        SetError(266, "Ungleiche Puffer- und Datensatzgröße der Datenbank: " + command +
                          " [USE()]\n\rRecord Size=" + std::to_string(computed) +
                          ", Buffer Size=" + std::to_string(size));
        return false;
    }
    if (AliasTaken(alias)) {
        SetError(220, "Alias-Name \"" + alias + "\" bereits benutzt. [USE]");
        return false;
    }
    if (buffer) {
        a.buffer = static_cast<std::uint8_t*>(buffer);
    } else {
        a.ownedBuffer.assign(computed, 0);
        a.buffer = a.ownedBuffer.data();
    }
    a.bufSize = computed;
    a.second.assign(computed, 0);
    a.writeHook = gPendingWrite;
    a.readHook = gPendingRead;
    if (a.codePage->staged) {
        // The page's stage into its base joins the caller's hooks, so every
        // reader and writer of stored bytes passes it.
        const TableCodePage* page = a.codePage;
        a.writeHook = [page, user = std::move(a.writeHook)](std::uint8_t* text, std::size_t n) {
            for (std::size_t i = 0; i < n; ++i)
                text[i] = page->fromBase[text[i]];
            if (user)
                user(text, n);
        };
        a.readHook = [page, user = std::move(a.readHook)](std::uint8_t* text, std::size_t n) {
            if (user)
                user(text, n);
            for (std::size_t i = 0; i < n; ++i)
                text[i] = page->toBase[text[i]];
        };
    }
    WorkAreas[std::size_t(CurrentArea)] = std::move(area);
    TWorkArea& opened = *WorkAreas[std::size_t(CurrentArea)];
    if (opened.recCount == 0) {
        std::fill(opened.buffer, opened.buffer + opened.bufSize, 0);
        ClearRecordOf(opened);
        opened.recNo = 0;
        opened.bof = opened.eof = true;
    } else {
        GoTop();
    }
    if (!OpenMemo(opened, command, size))
        return false;
    if (!note.empty())
        SetError(0, note); // told, not an error: the code stays 0
    return true;
}
} // namespace

namespace {

// The shared close: under the append lock, the count is the larger of our
// own and the file's, and the end mark goes after the last whole record.
// Without the lock both are left alone: another program is appending, and
// the header and the end mark are its to write when it finishes (each
// shared append has already written the count).
void FinishSharedFile(TWorkArea& a)
{
    bool locked = false;
    for (int i = 0; i < 100 && !locked; ++i) {
        locked = a.file.Lock(LockKind::Write, LockBase + 1, 1) == 0;
        if (!locked)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!locked)
        return;
    a.recCount = std::max(a.recCount, FileRecordCount(a));
    if (UpdateDbfHeader(a) && a.state == FileState::Appended) {
        static const std::uint8_t eof = 0x1A;
        if (!a.file.WriteAt(a.RecordOffset(a.recCount + 1), &eof, 1))
            SetError(std::uint16_t(a.file.LastError()),
                     "Datei:  " + a.fileName + " [CloseDbf(" + a.fileName + ")]");
    }
    a.file.Lock(LockKind::Unlock, LockBase + 1, 1);
}

void FinishExclusiveFile(TWorkArea& a)
{
    if (!UpdateDbfHeader(a) || a.state != FileState::Appended)
        return;
    static const std::uint8_t eof = 0x1A;
    if (!a.file.WriteAt(a.RecordOffset(a.recCount + 1), &eof, 1))
        SetError(std::uint16_t(a.file.LastError()),
                 "Datei:  " + a.fileName + " [CloseDbf(" + a.fileName + ")]");
}

struct FirstError {
    std::uint16_t code = 0;
    std::string text;
    void Take()
    {
        if (code == 0 && EngineErrorCode != 0) {
            code = EngineErrorCode;
            text = LastErrorText();
        }
        EngineErrorCode = 0;
    }
};

} // namespace

void CloseCurrentArea()
{
    TWorkArea* a = Current();
    if (!a)
        return;
    FirstError first;
    {
        // Every step runs whatever the one before it reported.
        QuietErrors quiet;
        EngineErrorCode = 0;
        if (IndexLinked() && Index.CloseIndexes) {
            Index.CloseIndexes();
            first.Take();
        }
        if (!a->isVirtual) {
            if (a->state == FileState::Modified || a->state == FileState::Appended) {
                if (a->Shared())
                    FinishSharedFile(*a);
                else
                    FinishExclusiveFile(*a);
                first.Take();
            }
            UnlockArea(*a);
            first.Take();
        }
        if (a->hasMemo && MemoLinked() && Memo.CloseMemoFile && !a->memoPath.empty()) {
            Memo.CloseMemoFile(a->number);
            first.Take();
        }
        detail::DropPeekCacheFor(a->alias);
        detail::ForgetLocateFor(*a);
        detail::FreeConditions(*a);
        if (a->isVirtual && VFilesLinked()) {
            a->vfRequest = VfClose;
            VFiles.Request(*a);
            first.Take();
        }
        a->file.Close();
        a->state = FileState::Closed;
        ReleaseArea(CurrentArea);
    }
    if (first.code != 0)
        SetError(first.code, first.text);
}

void CloseAll()
{
    for (int n = 1; n <= MaxUserAreas; ++n) {
        CurrentArea = n;
        CloseCurrentArea();
    }
    CurrentArea = 1;
}

} // namespace kt4::dbase
