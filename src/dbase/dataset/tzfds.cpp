// TTzFileDataSet: a DBF file with its indexes and locked writes.
#include "dbase/dataset/tzfds.h"

#include "dbase/dataset/blob_stream.h"
#include "dbase/dataset/dataset_internal.h"
#include "dbase/engine/engine_files.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/internal.h"
#include "dbase/engine/locking.h"
#include "dbase/engine/navigation.h"
#include "dbase/engine/runtime.h"
#include "dbase/engine/search.h"
#include "foundation/ui_service.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace kt4::dbase {

using detail::EngineExceptions;

namespace {

struct IndexLine {
    int order = 0;
    std::string file, expression;
};

bool ParseIndexLine(const std::string& line, IndexLine& out)
{
    const std::size_t a = line.find(',');
    const std::size_t b = a == std::string::npos ? a : line.find(',', a + 1);
    if (b == std::string::npos)
        return false;
    const std::string order = AllTrim(line.substr(0, a));
    out.order = std::atoi(order.c_str());
    out.file = AllTrim(line.substr(a + 1, b - a - 1));
    out.expression = AllTrim(line.substr(b + 1)).substr(0, 100);
    return out.order >= 1 && out.order <= kMaxOrders && !out.file.empty();
}

// Sets an engine switch for a scope.
template <class T>
class Switch {
public:
    Switch(T& target, T value) : target_(target), saved_(target) { target = value; }
    ~Switch() { target_ = saved_; }

private:
    T& target_;
    T saved_;
};

// Index builds report to the UI service's progress; ended on every way out.
class IndexProgress {
public:
    IndexProgress(bool show, const std::string& file) : show_(show)
    {
        if (!show_)
            return;
        const std::string text = "Indexing " + file + "...";
        SetIndexProgress([this, text] { Ui().Progress(text, ++step_); }, 100);
        Ui().Progress(text, 0);
    }
    ~IndexProgress()
    {
        if (!show_)
            return;
        SetIndexProgress(nullptr, 0);
        Ui().ProgressEnd();
    }

private:
    bool show_;
    int step_ = 0;
};

} // namespace

void TTzFileDataSet::SetExclusive(bool on)
{
    if (on == exclusive_)
        return;
    const bool was = Active();
    if (was)
        Close();
    exclusive_ = on;
    if (was)
        Open();
}

bool TTzFileDataSet::OpenArea(const std::string& fileName)
{
    std::error_code ec;
    const std::string existing = ResolveNoCase(fileName);
    if (CreateIfNotFound && existing.empty() && !fs::exists(fileName, ec)) {
        if (!CreateFromDbfFields()) {
            DatasetMessage("Konnte \"" + fileName + "\" nicht erzeugen");
            if (EngineErrorCode == 0)
                SetErrorSilent(1401, "Konnte \"" + fileName + "\" nicht erzeugen");
            SetError(EngineErrorCode, LastErrorText());
            return false;
        }
    }
    std::string command = fileName;
    if (exclusive_)
        command += " EXCLUSIVE";
    if (!AllTrim(Name).empty())
        command += " ALIAS " + AllTrim(Name);
    bool ok;
    {
        Switch<bool> fix(dbase::AutoFixRecCount, AutoFixRecCount);
        Switch<std::uint16_t> mode(OpenModeOverride,
                                   ReadOnly ? (exclusive_ ? ModeReadExclusive : ModeReadShared)
                                            : OpenModeOverride);
        ok = USE(command, nullptr, 0, OpenWriteHook, OpenReadHook);
    }
    if (!ok || EngineErrorCode != 0)
        return false;
    area_ = CurrentArea;
    return OpenIndexList();
}

bool TTzFileDataSet::OpenIndexList()
{
    if (IndexList.empty())
        return true;
    TWorkArea* a = Current();
    TCreateIndexType mode = CreateIndex;
    std::error_code ec;
    const std::string semaphore = fs::path(a->fileName).replace_extension(".@S@").string();
    if ((mode == TCreateIndexType::ciAlways || mode == TCreateIndexType::ciVerifyHeader) &&
        (fs::exists(semaphore, ec) || !ResolveNoCase(semaphore).empty()))
        mode = TCreateIndexType::ciNotFound;
    std::vector<IndexLine> lines;
    for (const std::string& text : IndexList) {
        IndexLine line;
        if (!ParseIndexLine(text, line)) {
            SetError(220, "Ungültige Zeile in IndexList: \"" + text + "\" [" + Name + ".OpenIndexes]");
            return false;
        }
        lines.push_back(line);
    }
    QuietErrors quiet;
    for (const IndexLine& line : lines) {
        EngineErrorCode = 0;
        bool missing = false;
        if (mode == TCreateIndexType::ciAlways) {
            missing = true;
        } else if (mode == TCreateIndexType::ciVerifyHeader) {
            TIndexInfo info;
            const bool read = IndexInfo(line.file, info) ||
                              IndexInfo(fs::path(a->fileName).parent_path() / line.file, info);
            missing = !read || info.recordCount != dbase::RecCount();
            EngineErrorCode = 0;
        }
        if (!missing && !dbase::SetIndexTo(line.file, line.order)) {
            const std::uint16_t code = EngineErrorCode;
            // 212: a file that does not belong to the table as it is (one a
            // PACK marked out of date, a stale one): built anew as well
            missing = mode != TCreateIndexType::ciNever &&
                      (code == 2 || code == 212 || code == 222 || code == 223);
            if (!missing) {
                SetError(code, LastErrorText());
                return false;
            }
        }
        if (missing) {
            EngineErrorCode = 0;
            bool build = true;
            if (OnBeforeMakeIndex)
                OnBeforeMakeIndex(*this, line.file, build);
            if (build) {
                IndexProgress progress(ShowProgress, line.file);
                if (!Index_On(line.expression, line.file)) {
                    SetError(EngineErrorCode ? EngineErrorCode : 222, LastErrorText());
                    return false;
                }
            }
            if (OnAfterMakeIndex && build)
                OnAfterMakeIndex(*this, line.file);
        }
        CloseIndexes();
    }
    // Every index into its order slot, in the order of the list.
    for (const IndexLine& line : lines) {
        if (!dbase::SetIndexTo(line.file, line.order)) {
            SetError(EngineErrorCode ? EngineErrorCode : 222, LastErrorText());
            return false;
        }
    }
    Set_Order_To(lines.front().order);
    if (EngineErrorCode != 0) {
        SetError(EngineErrorCode, LastErrorText());
        return false;
    }
    dbase::GoTop();
    return true;
}

int TTzFileDataSet::LockedWrite(bool append, const char* word, const TTzLockFailedEvent& event,
                                const std::function<bool()>& write, bool reposition)
{
    for (;;) {
        bool locked;
        {
            QuietErrors quiet;
            locked = append ? dbase::ALock() : dbase::RLock();
        }
        if (locked) {
            bool ok;
            std::uint16_t code;
            {
                QuietErrors quiet;
                ok = write();
                code = EngineErrorCode;
            }
            TWorkArea& a = AreaRef();
            if (!ok) {
                UnlockArea(a);
                return code ? code : 1200;
            }
            if (!reposition || !LeaveHiddenRecord())
                UnlockArea(a);
            return 0;
        }
        bool retry = false;
        if (event)
            event(*this, retry);
        else
            Ui().MessageBox("Fehler : ", std::string("Sperren fehlgeschlagen [") + word + "]",
                            BoxKind::Error);
        if (!retry) {
            SetErrorSilent(1200, std::string("Sperren fehlgeschlagen [") + word + "] " +
                                     AreaRef().fileName);
            return 1200;
        }
    }
}

int TTzFileDataSet::s_AppendWithLock()
{
    return LockedWrite(true, "Insert", OnALockFailedOnInsert, [] { return dbase::Append(); }, true);
}

int TTzFileDataSet::s_DeleteWithLock()
{
    return LockedWrite(false, "Delete", OnRLockFailedOnDelete, [] { return DeleteRec(); }, true);
}

int TTzFileDataSet::s_RestoreWithLock()
{
    return LockedWrite(false, "Restore", OnRLockFailedOnRestore, [] { return RecallRec(); }, false);
}

int TTzFileDataSet::s_ReplaceWithLock()
{
    return LockedWrite(false, "Post", OnRLockFailedOnPost, [] { return REPLACE(); }, true);
}

void TTzFileDataSet::Peek(int fieldNo, std::int32_t recNo, std::string& text)
{
    EngineExceptions engine;
    SelectArea("Peek");
    dbase::Peek(fieldNo, recNo, text);
}

std::int32_t TTzFileDataSet::AppendFromDelimited(const std::string& fileName)
{
    CheckBrowseMode();
    EngineExceptions engine;
    Sync("AppendFromDelimited");
    std::int32_t n = 0;
    try {
        n = dbase::AppendFromDelimited(fileName);
    } catch (...) {
        Ui().ProgressEnd();
        throw;
    }
    Ui().ProgressEnd();
    Resync();
    return n;
}

bool TTzFileDataSet::CopyToDelimited(const std::string& fileName)
{
    CheckBrowseMode();
    EngineExceptions engine;
    Sync("CopyToDelimited");
    const std::int32_t keep = dbase::RecNo();
    const bool ok = dbase::CopyToDelimited(fileName);
    GoIfValid(keep);
    Resync();
    return ok;
}

bool TTzFileDataSet::ALock()
{
    EngineExceptions engine;
    SelectArea("ALock");
    QuietErrors quiet;
    return dbase::ALock();
}

bool TTzFileDataSet::FLock()
{
    EngineExceptions engine;
    SelectArea("FLock");
    QuietErrors quiet;
    return dbase::FLock();
}

void TTzFileDataSet::UnLock()
{
    EngineExceptions engine;
    SelectArea("UnLock");
    Unlock();
}

bool TTzFileDataSet::Find(const std::string& key)
{
    CheckBrowseMode();
    EngineExceptions engine;
    Sync("Find");
    const bool found = dbase::Find(key.substr(0, kMaxKeyLength));
    if (dEOF())
        Last();
    else
        Resync();
    return found;
}

bool TTzFileDataSet::FindExact(const std::string& key)
{
    const bool saved = IndexExact;
    IndexExact = true;
    try {
        const bool found = Find(key);
        IndexExact = saved;
        return found;
    } catch (...) {
        IndexExact = saved;
        throw;
    }
}

void TTzFileDataSet::IndexOn(const std::string& keyExpr, const std::string& indexFile)
{
    CheckBrowseMode();
    EngineExceptions engine;
    Sync("IndexOn");
    {
        IndexProgress progress(ShowProgress, indexFile);
        Index_On(keyExpr, indexFile);
    }
    Resync();
}

KeyMakerProc TTzFileDataSet::KeyMakerOf(TTzIndexKeyFunc keyFunc)
{
    return [this, keyFunc](void* data, int) { return WithEngineRecord([&] { return keyFunc(data); }); };
}

void TTzFileDataSet::IndexOnCB(const std::string& indexFile, TTzIndexKeyFunc keyFunc, void* data)
{
    CheckBrowseMode();
    EngineExceptions engine;
    Sync("IndexOnCB");
    {
        IndexProgress progress(ShowProgress, indexFile);
        Index_On(indexFile, KeyMakerOf(std::move(keyFunc)), data);
    }
    Resync();
}

void TTzFileDataSet::SetIndexTo(const std::string& indexFiles)
{
    CheckBrowseMode();
    EngineExceptions engine;
    Sync("SetIndexTo");
    SetIndexToList(ShortPathOf(indexFiles));
    Resync();
}

void TTzFileDataSet::SetIndexToCB(const std::string& indexFile, int slot, TTzIndexKeyFunc keyFunc,
                                  void* data)
{
    CheckBrowseMode();
    EngineExceptions engine;
    Sync("SetIndexToCB");
    dbase::SetIndexToCB(indexFile, slot, KeyMakerOf(std::move(keyFunc)), data);
    Resync();
}

void TTzFileDataSet::SetIndexToLFN(const std::string& indexFile, int slot)
{
    CheckBrowseMode();
    EngineExceptions engine;
    Sync("SetIndexToLFN");
    dbase::SetIndexTo(indexFile, slot);
    Resync();
}

bool TTzFileDataSet::IsSequenced()
{
    EngineExceptions engine;
    SelectArea("IsSequenced");
    return !(IndexLinked() && Index.IndexActive()) || CurrentOrder() == 0;
}

bool TTzFileDataSet::Locate(const std::string& fields, const std::vector<std::string>& values,
                            unsigned options)
{
    if (!IsSequenced() && fields.find(';') == std::string::npos && values.size() == 1) {
        SelectArea("Locate");
        TIndexInfo info;
        bool usable = false;
        {
            QuietErrors quiet;
            usable = IndexInfo(IndexFileName(1), info);
        }
        const std::string field = UpperText(AllTrim(fields));
        usable = usable && UpperText(AllTrim(info.expression)) == field &&
                 (info.keyType != 'C' || (options & loCaseInsensitive) != 0);
        if (usable) {
            const std::int32_t keep = RecNo();
            const std::string key = values.front().substr(0, 255);
            const bool found = (options & loPartialKey) ? Find(key) : FindExact(key);
            if (!found && keep > 0)
                GotoBookmark(keep);
            return found;
        }
    }
    return TTzCDataSet::Locate(fields, values, options);
}

std::string TTzFileDataSet::MemoText(int field)
{
    TTzBlobStream stream(*this, field, TBlobMode::Read);
    std::string text;
    char buf[4096];
    for (std::int64_t n; (n = stream.Read(buf, sizeof buf)) > 0;)
        text.append(buf, std::size_t(n));
    stream.Close();
    return text;
}

void TTzFileDataSet::SetMemoText(int field, const std::string& text)
{
    // refused before the stream would empty the field
    const TableCodePage& page = TextPage();
    if (TableLanguage == TTzTableLanguage::tlOem &&
        !page.HoldsAs1252(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()))
        throw EDatasetError(220, detail::LackingCharsText(CharsLackedAs1252(page, text), FieldAt(field).name,
                                                          AreaRef()));
    TTzBlobStream stream(*this, field, TBlobMode::Write, std::int64_t(text.size()));
    if (!text.empty())
        stream.Write(text.data(), std::int64_t(text.size()));
    stream.Close();
}

} // namespace kt4::dbase
