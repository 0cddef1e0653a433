// Building an index file in one pass over the table: every record's key is
// computed, the (key, record number) pairs are sorted, and the tree is
// written bottom-up with full nodes, page 1 first, so that the root is the
// last page. The file is written under a unique name beside the target and
// renamed over it only when complete, so a failed build leaves the old file
// (or none); the builder keeps it open, share-locked before the rename, so
// the new index is never opened by name again. A file another program has
// open is never replaced.
#include "dbase/engine/codepage.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/runtime.h"
#include "dbase/engine/staged_file.h"
#include "dbase/ndx/ndx_internal.h"
#include "dbase/ndx/ndx_sort.h"
#include "foundation/private_temp.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace kt4::dbase {

namespace {

std::function<void()> gProgress;
int gProgressSteps = 0;

} // namespace

void SetIndexProgress(std::function<void()> callback, int steps)
{
    gProgress = std::move(callback);
    gProgressSteps = gProgress ? std::max(steps, 0) : 0;
}

namespace ndx {

namespace {

// Calls the progress callback every `every` units, `steps` times in all.
class Progress {
public:
    explicit Progress(std::int64_t records)
    {
        if (gProgress && gProgressSteps > 0)
            every_ = std::max<std::int64_t>(2, 2 * (records / gProgressSteps));
    }
    void Tick()
    {
        if (every_ == 0 || ++units_ % every_ != 0 || calls_ >= gProgressSteps)
            return;
        ++calls_;
        gProgress();
    }
    void Done()
    {
        while (every_ > 0 && calls_ < gProgressSteps) {
            ++calls_;
            gProgress();
        }
    }

private:
    std::int64_t every_ = 0, units_ = 0;
    int calls_ = 0;
};

// The new file, written beside the target and renamed over it by
// CommitInto (page 0 is written last, at its place).
class PageFile {
public:
    bool Create(const std::string& target)
    {
        static const Page empty{};
        return writer_.Open(target) && writer_.Write(empty.data(), kPageSize);
    }
    bool Write(std::int64_t offset, const void* data, std::size_t n)
    {
        return offset == 0 ? writer_.WriteAt(0, data, n) : writer_.Write(data, n);
    }
    // Takes the share lock of an open index on the new file, renames it
    // over the target and hands it over open: nobody can replace it between
    // the rename and its use.
    bool CommitInto(DbfFile& file)
    {
        DbfFile view;
        view.Adopt(writer_.Fd(), false, writer_.Target());
        const int err = view.Lock(LockKind::Read, ShareLockOffset, 1);
        view.Release();
        if (err != 0) {
            lockError_ = err;
            return false;
        }
        const int fd = writer_.CommitAndRelease();
        if (fd < 0)
            return false;
        file.Adopt(fd, false, writer_.Target());
        return true;
    }
    int Error() const
    {
        if (lockError_ != 0)
            return ErrnoToEngineCode(lockError_);
        return WriterErrorCode(writer_);
    }

private:
    AtomicWriter writer_;
    int lockError_ = 0;
};

// Writes the tree bottom-up: a leaf that is full is completed (it gets the
// next page number) and announced to its parent, which takes its last key
// while it has room and otherwise takes the page as its trailing child and
// is completed in turn.
class TreeWriter {
public:
    TreeWriter(const NdxHeader& h, PageFile& file) : h_(h), file_(file)
    {
        buffer_.reserve(256 * kPageSize);
        levels_.emplace_back();
    }
    bool Add(const std::uint8_t* key, std::uint32_t rec)
    {
        if (View(0).Count() >= h_.keysPerPage && !Complete(0))
            return false;
        NodeView v = View(0);
        const unsigned n = v.Count();
        std::uint8_t* e = v.Entry(n);
        PutU32(e, 0);
        PutU32(e + 4, rec);
        std::memcpy(e + 8, key, h_.keyLen);
        v.SetCount(n + 1);
        return true;
    }
    // Writes the open nodes; returns the root page (0 after an error).
    std::uint32_t Finish()
    {
        if (!Emit(levels_[0]))
            return 0;
        for (std::size_t l = 1; l < levels_.size(); ++l) {
            NodeView v = View(l);
            if (v.Count() == 0)
                continue;
            v.SetChild(v.Count(), last_);
            if (!Emit(levels_[l]))
                return 0;
        }
        return Flush() ? last_ : 0;
    }

private:
    NodeView View(std::size_t level) { return NodeView{levels_[level].data(), h_.recSize}; }

    bool Emit(Page& node)
    {
        ++last_;
        buffer_.insert(buffer_.end(), node.begin(), node.end());
        node.fill(0);
        return buffer_.size() < 256 * kPageSize || Flush();
    }
    bool Flush()
    {
        if (buffer_.empty())
            return true;
        const std::int64_t first = std::int64_t(last_) + 1 - std::int64_t(buffer_.size() / kPageSize);
        const bool ok = file_.Write(first * std::int64_t(kPageSize), buffer_.data(), buffer_.size());
        buffer_.clear();
        return ok;
    }
    bool Complete(std::size_t level)
    {
        if (level == 0) {
            NodeView leaf = View(0);
            lastKey_.assign(leaf.Key(leaf.Count() - 1), leaf.Key(leaf.Count() - 1) + h_.keyLen);
        }
        if (!Emit(levels_[level]))
            return false;
        if (level + 1 == levels_.size())
            levels_.emplace_back();
        NodeView parent = View(level + 1);
        const unsigned n = parent.Count();
        parent.SetChild(n, last_);
        if (n < h_.keysPerPage) {
            std::memcpy(parent.Entry(n) + 8, lastKey_.data(), h_.keyLen);
            parent.SetCount(n + 1);
            return true;
        }
        return Complete(level + 1);
    }

    const NdxHeader& h_;
    PageFile& file_;
    std::vector<Page> levels_;
    std::vector<std::uint8_t> buffer_;
    std::vector<std::uint8_t> lastKey_;
    std::uint32_t last_ = 0; // pages start at 1
};

// The right to replace the target: nobody else has it open (its share byte
// can be locked exclusively), or else nobody else has the table open. An
// index of the area open on the target holds the share byte itself: it
// takes it alone for the time, and shares it again afterwards.
class ReplaceRight {
public:
    ~ReplaceRight()
    {
        if (TWorkArea* a = upgraded_ ? Area(area_) : nullptr)
            a->file.Lock(LockKind::Read, ShareLockOffset, 1);
        if (ownHeld_)
            own_->Lock(LockKind::Read, ShareLockOffset, 1);
    }
    bool Acquire(TWorkArea& a, const std::string& target, DbfFile* own)
    {
        std::error_code ec;
        if (!MultiUser || !fs::exists(target, ec))
            return true;
        if (own) {
            own_ = own;
            ownHeld_ = own->Lock(LockKind::Write, ShareLockOffset, 1) == 0;
            if (ownHeld_)
                return true;
        } else if (OpenWithShareLock(old_, target, true, true, Share::Exclusive) == 0) {
            return true;
        }
        old_.Close();
        if (a.exclusive)
            return true;
        if (a.file.Lock(LockKind::Write, ShareLockOffset, 1) == 0) {
            upgraded_ = true;
            area_ = a.number;
            return true;
        }
        SetError(225, "Exklusiver Zugriff erforderlich zum Indizieren von " + a.fileName);
        return false;
    }

private:
    DbfFile old_;
    DbfFile* own_ = nullptr;
    bool ownHeld_ = false;
    bool upgraded_ = false;
    int area_ = 0;
};

// Keeps the area's current record over the build.
class KeepRecord {
public:
    explicit KeepRecord(TWorkArea& a)
        : a_(a), native_(a.native), typed_(a.buffer, a.buffer + a.bufSize), recNo_(a.recNo),
          eof_(a.eof), bof_(a.bof)
    {
    }
    ~KeepRecord()
    {
        a_.native = native_;
        std::copy(typed_.begin(), typed_.end(), a_.buffer);
        a_.recNo = recNo_;
        a_.eof = eof_;
        a_.bof = bof_;
    }

private:
    TWorkArea& a_;
    std::vector<std::uint8_t> native_, typed_;
    std::int32_t recNo_;
    bool eof_, bof_;
};

bool CollectKeys(TWorkArea& a, Descriptor& d, KeySorter& sorter, Progress& progress)
{
    KeepRecord keep(a);
    const std::size_t perBlock = std::max<std::size_t>(1, (std::size_t{1} << 20) / a.recLen);
    std::vector<std::uint8_t> block;
    for (std::int32_t first = 1; first <= a.recCount; first += std::int32_t(perBlock)) {
        const std::size_t count = std::min<std::size_t>(perBlock, std::size_t(a.recCount - first + 1));
        block.resize(count * a.recLen);
        if (a.file.ReadAt(a.RecordOffset(first), block.data(), block.size()) !=
            static_cast<long long>(block.size())) {
            SetError(a.file.LastError() ? std::uint16_t(a.file.LastError()) : 213,
                     "Datei:  " + a.fileName + " [MakeIndex]");
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            std::uint8_t* rec = block.data() + i * a.recLen;
            if (a.readHook)
                a.readHook(rec + 1, a.recLen - 1);
            if (a.oem)
                OemToAnsiCopy(rec, a.native.data(), a.recLen);
            else
                std::memcpy(a.native.data(), rec, a.recLen);
            a.recNo = first + std::int32_t(i);
            if (d.keyMaker)
                RecordToBuffer(a); // a key maker reads the typed buffer
            const std::string key = RecordKey(a, d);
            if (!sorter.Add(reinterpret_cast<const std::uint8_t*>(key.data()), std::uint32_t(a.recNo)))
                return false;
            progress.Tick();
        }
    }
    return true;
}

std::string Tag(const std::string& file)
{
    return " [MakeIndex(<...>," + file + ")]";
}

bool Build(TWorkArea& a, const BuildRequest& r, Descriptor& d, const std::string& expr, DbfFile* own,
           DbfFile& built)
{
    NdxHeader& h = d.hdr;
    h.keyLen = std::uint16_t(d.CharKey() ? 0 : 8);
    if (d.CharKey()) {
        std::size_t len;
        if (d.keyMaker)
            len = d.soundex ? 4 : d.keyMaker(d.keyData, d.order).size();
        else {
            Evaluate(*d.compiled);
            len = d.compiled->Text().size();
        }
        if (len < 1 || len > kMaxKeyLength) {
            SetError(266, "Ungültige Schlüssellänge von anwender-definiertem KeyMaker geliefert.");
            return false;
        }
        h.keyLen = std::uint16_t(len);
    }
    h.recSize = RecordSizeFor(h.keyLen);
    h.keysPerPage = std::uint16_t(504 / h.recSize);
    h.keyType = d.CharKey() ? 0 : 1;
    h.unique = r.unique;
    RefreshRecCount(a);
    // Room for the file and, when the keys do not fit the budget, the runs.
    const std::uint64_t keys = std::uint64_t(std::max(a.recCount, 0));
    std::uint64_t pages = 2, level = keys;
    while (level > 0) {
        level /= h.keysPerPage;
        pages += level + 1;
    }
    pages += keys / h.keysPerPage;
    const std::uint64_t needIndex = pages * kPageSize;
    const std::uint64_t needSort = keys * (h.keyLen + 4u);
    const std::string folder = fs::path(r.file).parent_path().string();
    const std::uint64_t freeIndex = FreeBytes(folder);
    const bool spills = keys * (h.keyLen + 4u + 16u) > IndexSortBudget;
    // the runs go to the private folder, in the folder chosen for it
    const std::string temp = spills ? PrivateTempBase() : std::string();
    const std::uint64_t freeTemp = temp.empty() ? UINT64_MAX : FreeBytes(temp);
    if (needIndex > freeIndex || needSort > freeTemp) {
        const std::uint64_t freeKb = std::min(freeIndex, freeTemp) / 1024;
        const std::uint64_t needKb = (needIndex > freeIndex ? needIndex : needSort) / 1024;
        SetError(227, "Verfügbarer Plattenplatz: " + std::to_string(freeKb) + " KBytes;" +
                          "benötigt: " + std::to_string(needKb) + " KBytes [MakeIndex]");
        return false;
    }
    Progress progress(a.recCount);
    KeySorter sorter(h.keyLen, !d.CharKey(), IndexSortBudget);
    sorter.Reserve(std::size_t(keys));
    if (!CollectKeys(a, d, sorter, progress) || !sorter.Finish())
        return false;
    ReplaceRight right;
    if (!right.Acquire(a, r.file, own))
        return false;
    PageFile file;
    if (!file.Create(r.file)) {
        SetError(std::uint16_t(file.Error()), "Datei nicht geöffnet" + r.file);
        return false;
    }
    TreeWriter writer(h, file);
    std::vector<std::uint8_t> previous;
    for (;;) {
        const std::uint8_t* key = nullptr;
        std::uint32_t rec = 0;
        bool end = false;
        if (!sorter.Next(key, rec, end))
            return false;
        if (end)
            break;
        progress.Tick();
        if (h.unique) {
            if (!previous.empty() && CompareKeys(d, key, previous.data(), h.keyLen) == 0)
                continue;
            previous.assign(key, key + h.keyLen);
        }
        if (!writer.Add(key, rec)) {
            SetError(std::uint16_t(file.Error()), "Datei:  " + r.file + " [MakeIndex]");
            return false;
        }
    }
    const std::uint32_t root = writer.Finish();
    Page anchor{};
    if (root != 0) {
        h.root = root;
        h.pageCount = root + 1;
        ComposeAnchor(h, expr, a.recCount, a.fileName, a.oem, anchor);
    }
    if (root == 0 || !file.Write(0, anchor.data(), kPageSize) || !file.CommitInto(built)) {
        SetError(std::uint16_t(file.Error()), "Datei:  " + r.file + " [MakeIndex]");
        return false;
    }
    progress.Done();
    return true;
}

} // namespace

bool MayReplace(TWorkArea& a, const std::string& file)
{
    ReplaceRight right;
    Descriptor* own = FindIndexOpenOn(a.number, FileIdOf(file));
    return right.Acquire(a, file, own ? &own->file : nullptr);
}

bool MakeIndex(const BuildRequest& r, DbfFile& built)
{
    const std::string file = AllTrim(r.file);
    TWorkArea* a = Current();
    if (file.empty()) {
        SetError(220, "Index-Dateiname nicht angegeben [MakeIndex()]");
        return false;
    }
    if (!a) {
        SetError(215, "Datenbank nicht geöffnet beim Indizieren von" + file + ".");
        return false;
    }
    Descriptor d;
    d.area = a->number;
    d.order = r.order;
    d.path = file;
    std::string stored;
    if (r.keyMaker) {
        d.keyMaker = r.keyMaker;
        d.keyData = r.keyData;
        d.soundex = r.soundex;
        d.descending = r.descending;
        d.type = 'C';
        stored = KeyMakerMarker();
    } else {
        const std::string expr = AllTrim(r.expression);
        if (expr.empty()) {
            SetError(254, "Weder Ausdruck noch KeyMaker sind definiert" + Tag(file));
            return false;
        }
        if (!ParserLinked()) {
            SetError(221, "TZParser-Unit nicht eingebunden. [MakeIndex]");
            return false;
        }
        if (expr.size() > kMaxKeyLength) {
            SetError(300, "Index-Ausdruck länger als 100 Bytes" + Tag(file));
            return false;
        }
        d.compiled = CompileExpr(expr);
        if (!d.compiled)
            return false;
        const char t = d.compiled->Type();
        if (t != 'C' && t != 'D' && t != 'N' && t != 'F') {
            SetError(254, "Ungültiger Parser-Return-Typ" + Tag(file));
            return false;
        }
        d.type = t == 'F' ? 'N' : t;
        stored = NormalizeExpression(expr);
    }
    d.hdr.typeLetter = std::uint8_t(r.keyMaker ? 'C' : d.compiled->Type());
    // The area's own index on the file stays open through the build (its
    // caller opens the new file in its place); another area's is in the way.
    const FileId id = FileIdOf(file);
    for (int n = 1; n <= MaxAreas && id.Valid(); ++n)
        for (const auto& slot : StateOf(n).slots)
            if (slot && slot->file.Id() == id && n != a->number) {
                SetError(214, file + Tag(file));
                return false;
            }
    bool ok;
    {
        QuietErrors quiet;
        EngineErrorCode = 0;
        Descriptor* own = FindIndexOpenOn(a->number, id);
        ok = Build(*a, r, d, stored, own ? &own->file : nullptr, built);
    }
    if (!ok)
        SetError(EngineErrorCode ? EngineErrorCode : 31, LastErrorText() + Tag(file));
    return ok;
}

} // namespace ndx
} // namespace kt4::dbase
