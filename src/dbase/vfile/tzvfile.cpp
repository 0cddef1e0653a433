// TTzLLDataSet: a dataset over a virtual file, loaded from and saved to DBF.
#include "dbase/vfile/tzvfile.h"

#include "dbase/dataset/dataset_internal.h"
#include "dbase/engine/dbf_format.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/internal.h"
#include "dbase/engine/locking.h"
#include "dbase/engine/navigation.h"
#include "dbase/engine/runtime.h"
#include "dbase/engine/staged_file.h"
#include "foundation/ui_service.h"

#include <fstream>

namespace kt4::dbase {

using detail::EngineExceptions;

namespace {

std::uint64_t gAliasCounter = 0;

// Copies the fields of src's typed buffer into dst's, paired by name.
void CopyFields(TWorkArea& src, TWorkArea& dst)
{
    ClearRecordOf(dst);
    dst.buffer[0] = src.buffer[0];
    TypedBuffer in(src), out(dst);
    for (std::size_t t = 0; t < dst.fields.size(); ++t) {
        const TDbfFieldInfo& tf = dst.fields[t];
        const int s = FieldNoIn(src, tf.name);
        if (s == 0)
            continue;
        const int tn = int(t) + 1;
        const SlotKind from = src.fields[std::size_t(s - 1)].slot;
        switch (tf.slot) {
        case SlotKind::Text:
        case SlotKind::Date:
            if (from == SlotKind::Text || from == SlotKind::Date)
                out.SetText(tn, in.Text(s));
            break;
        case SlotKind::Double:
            out.SetNumber(tn, in.Number(s));
            break;
        case SlotKind::Int32:
        case SlotKind::Int64:
            if (from == SlotKind::Double)
                out.SetNumber(tn, in.Number(s));
            else
                out.SetInteger(tn, in.Integer(s));
            break;
        case SlotKind::Logical:
            out.SetLogical(tn, in.Logical(s));
            break;
        case SlotKind::MemoRef:
            out.SetMemoRef(tn, std::int32_t(in.Integer(s)));
            break;
        default:
            break;
        }
    }
}

bool IsDeleted(const TWorkArea& a)
{
    return a.buffer && a.buffer[0] != 0;
}

// Progress of loading and saving: every hundredth of the records.
class StepProgress {
public:
    StepProgress(bool show, std::string text, std::int32_t total)
        : show_(show && total >= 100), text_(std::move(text)), every_(std::max(total / 100, 1))
    {
        if (show_)
            Ui().Progress(text_, 0);
    }
    ~StepProgress()
    {
        if (show_)
            Ui().ProgressEnd();
    }
    void Step()
    {
        if (show_ && ++done_ % every_ == 0)
            Ui().Progress(text_, std::min(done_ / every_, 100));
    }

private:
    bool show_;
    std::string text_;
    std::int32_t every_;
    std::int32_t done_ = 0;
};

// A table opened in a free work area for loading or saving; closed and the
// dataset's area selected again on every way out.
class HelperArea {
public:
    explicit HelperArea(int back) : back_(back) {}
    ~HelperArea()
    {
        if (number_ > 0 && Area(number_)) {
            QuietErrors quiet;
            CurrentArea = number_;
            CloseCurrentArea();
        }
        CurrentArea = back_;
    }
    bool Open(const std::string& path, bool exclusive)
    {
        if (!Select(0))
            return false;
        number_ = CurrentArea;
        return UseTable({path, "*TZVF" + std::to_string(++gAliasCounter) + "*", exclusive});
    }
    // Closes it, reporting a failure of the close.
    void Close()
    {
        CurrentArea = number_;
        number_ = 0;
        CloseCurrentArea();
        CurrentArea = back_;
    }
    int Number() const { return number_; }

private:
    int back_;
    int number_ = 0;
};

} // namespace

TTzLLDataSet::TTzLLDataSet() = default;

bool TTzLLDataSet::OpenArea(const std::string&)
{
    std::vector<FieldDef> defs;
    if (!ParseDbfFields(DbfFields, true, defs))
        return false;
    if (defs.empty()) {
        DatasetMessage("FieldList.Count ist <= 0 beim Versuch, eine Datenbank zu erzeugen");
        SetError(211, "FieldList.Count ist <= 0 beim Versuch, eine Datenbank zu erzeugen [" + Name + "]");
        return false;
    }
    std::vector<TDbfFieldInfo> fields;
    for (const FieldDef& d : defs) {
        TDbfFieldInfo f;
        f.name = d.name;
        f.type = d.type;
        f.len = std::uint8_t(std::clamp(d.len, 0, 255));
        f.dec = std::uint8_t(std::clamp(d.dec, 0, 255));
        fields.push_back(f);
    }
    native_.assign(TypedBufferSize(fields), 0);
    const std::string alias = "*" + std::to_string(++gAliasCounter) + "*";
    std::string command = alias + " VIRTUAL FILE";
    if (appendMode_ == lsASCENDING)
        command += " ASCENDING";
    else if (appendMode_ == lsDESCENDING)
        command += " DESCENDING";
    if (!USE(command, native_.data(), native_.size()))
        return false;
    area_ = CurrentArea;
    return AddStru(defs);
}

std::string TTzLLDataSet::KeyOfActive()
{
    std::string key;
    if (KeyMaker) {
        KeyMaker(*this, key);
        return key;
    }
    if (FieldCount() == 0)
        return key;
    const TTzField& f = FieldAt(1);
    if (f.slot == SlotKind::Text) {
        const std::uint8_t* p = active_.data() + f.offset;
        return std::string(reinterpret_cast<const char*>(p + 1), std::min<std::size_t>(p[0], f.size - 1));
    }
    return FieldText(1);
}

void TTzLLDataSet::InstallKey()
{
    Set_VFileKey_To([this](void*) { return WithEngineRecord([this] { return KeyOfActive(); }); },
                    nullptr);
}

void TTzLLDataSet::InitFields()
{
    TTzDataSet::InitFields();
    // The ordering set-up of a freshly opened file; loading happens in FIFO
    // order for the unsorted modes.
    SelectArea("Open");
    InstallKey();
    if (PopulateFromDisk)
        LoadFromDisk();
    SelectArea("Open");
    if (appendMode_ == lsLIFO || appendMode_ == lsINSERTION)
        Set_VFileMode_To(appendMode_);
    modified_ = false;
}

void TTzLLDataSet::SetAppendMode(LStatusType mode)
{
    if (!Active()) {
        appendMode_ = mode;
        return;
    }
    CheckBrowseMode();
    EngineExceptions engine;
    SelectArea("SetAppendMode");
    if (mode == lsASCENDING || mode == lsDESCENDING) {
        InstallKey();
        SortVFile(mode);
    } else {
        Set_VFileMode_To(mode);
    }
    appendMode_ = mode;
    First();
}

void TTzLLDataSet::LoadFromDisk()
{
    std::error_code ec;
    const std::string found = DbfFileName().empty() ? std::string() : ResolveNoCase(DbfFileName());
    if (found.empty())
        return;
    EngineExceptions engine;
    SelectArea("LoadFromDisk");
    TWorkArea& v = AreaRef();
    HelperArea source(area_);
    if (!source.Open(found, false))
        return;
    TWorkArea& s = *Area(source.Number());
    StepProgress progress(ShowProgress, "Reading from disk...", s.recCount);
    dbase::GoTop();
    while (!s.eof) {
        if (!(HideDeletedRecs() && IsDeleted(s))) {
            CopyFields(s, v);
            CurrentArea = area_;
            dbase::Append();
            CurrentArea = source.Number();
        }
        progress.Step();
        SKIP(1);
    }
    source.Close();
    SelectArea("LoadFromDisk");
    dbase::GoTop();
    modified_ = false;
}

void TTzLLDataSet::SaveToDbf()
{
    if (DbfFileName().empty())
        return;
    EngineExceptions engine;
    std::vector<FieldDef> defs;
    if (!ParseDbfFields(DbfFields, false, defs))
        return;
    for (const FieldDef& d : defs) {
        if (d.type == 'M') {
            SetError(211, "Memofeld " + d.name + " kann nicht in " + DbfFileName() +
                              " gespeichert werden: eine virtuelle Datei enthält keine Memotexte [SaveToDisk]");
            return;
        }
    }
    SelectArea("SaveToDisk");
    const std::int32_t keep = dbase::RecNo();
    const std::string existing = ResolveNoCase(DbfFileName());
    const std::string target = existing.empty() ? DbfFileName() : existing;
    const std::string context = "Datei:  " + target + " [SaveToDisk]";
    // The new table is written beside the old one and replaces it whole.
    AtomicWriter writer;
    auto fail = [&] { SetError(std::uint16_t(WriterErrorCode(writer)), context); };
    if (!writer.Open(target)) {
        fail();
        return;
    }
    std::vector<std::uint8_t> image;
    std::uint8_t version = 0;
    FormatError error;
    if (!BuildDbfImage(defs, 0x83, EngineToday(), image, version, error)) {
        SetError(error.code, error.text);
        return;
    }
    // the table keeps the code page its header names
    char head[32];
    std::ifstream old(existing, std::ios::binary);
    if (!existing.empty() && old.read(head, sizeof head) && head[0] != 0x02)
        image[29] = std::uint8_t(head[29]);
    if (!writer.WriteAt(0, image.data(), image.size())) {
        fail();
        return;
    }
    {
        HelperArea table(area_);
        if (!table.Open(writer.TempPath(), true))
            return;
        TWorkArea& t = *Area(table.Number());
        TWorkArea& v = AreaRef();
        CurrentArea = area_;
        const std::int32_t count = dbase::RecCount();
        StepProgress progress(ShowProgress, "Writing to disk...", count);
        for (std::int32_t r = 1; r <= count; ++r) {
            CurrentArea = area_;
            Dbf4RawGo(r);
            if (!(HideDeletedRecs() && IsDeleted(v))) {
                CopyFields(v, t);
                // the text as the engine read it into the virtual file: kept as it stands
                t.Mark(0, TWorkArea::MarkTextInPage);
                CurrentArea = table.Number();
                if (t.buffer[0] != 0)
                    t.buffer[0] = 1;
                dbase::ALock();
                if (!dbase::Append())
                    return;
                Unlock();
            }
            progress.Step();
        }
        table.Close();
    }
    if (!writer.Commit()) {
        fail();
        return;
    }
    modified_ = false;
    SelectArea("SaveToDisk");
    if (keep >= 1)
        GoIfValid(keep);
}

void TTzLLDataSet::ClearCallbacks()
{
    if (SaveToDisk && modified_)
        SaveToDbf();
}

int TTzLLDataSet::Write(const std::function<bool()>& op, bool reposition)
{
    bool ok;
    std::uint16_t code;
    {
        QuietErrors quiet;
        ok = op();
        code = EngineErrorCode;
    }
    if (!ok)
        return code ? code : 1401;
    if (reposition)
        LeaveHiddenRecord();
    modified_ = true;
    return 0;
}

int TTzLLDataSet::s_AppendWithLock()
{
    return Write([] { return dbase::Append(); }, true);
}

int TTzLLDataSet::s_DeleteWithLock()
{
    return Write([] { return DeleteRec(); }, true);
}

int TTzLLDataSet::s_RestoreWithLock()
{
    return Write([] { return RecallRec(); }, false);
}

int TTzLLDataSet::s_ReplaceWithLock()
{
    return Write([] { return REPLACE(); }, true);
}

} // namespace kt4::dbase
