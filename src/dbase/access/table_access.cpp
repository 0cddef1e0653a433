// The table access layer over the program's one table dataset.
#include "dbase/access/table_access.h"

#include "dbase/dataset/dataset.h"
#include "dbase/dataset/tzfds.h"
#include "dbase/engine/codepage.h"
#include "dbase/engine/engine_files.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/runtime.h"
#include "dbase/expr/expr.h"
#include "dbase/memo/memo.h"
#include "dbase/ndx/ndx.h"
#include "dbase/vfile/vfile.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"
#include "foundation/ui_service.h"

#include <unistd.h>

namespace kt4::dbase {

TTzDbf* tzdbf = nullptr;

namespace {

std::shared_ptr<TDbf4Browser> gBrowser;
std::string gTitle1, gTitle2, gShownFile;
bool gFound = false;

enum class Kind { Dbf, Database };

void Report(Kind kind, int code, const std::string& text)
{
    const std::string head = (kind == Kind::Dbf ? "DBF Error " : "Database #") + std::to_string(code);
    ErrorBox(DisplayToOem(head + "\r\n" + text));
    settings::AbortFlag = true;
}

// Runs f; an engine or dataset error becomes the box and AbortFlag.
template <class R, class F>
R Guarded(Kind kind, R fallback, F&& f)
{
    try {
        return f();
    } catch (const EZodarError& e) {
        Report(kind, e.Code(), e.what());
    } catch (const EDatasetError& e) {
        Report(kind, e.Code(), e.what());
    } catch (const std::exception& e) {
        Report(kind, EngineErrorCode, e.what());
    }
    return fallback;
}

template <class F>
void Guarded(Kind kind, F&& f)
{
    Guarded(kind, 0, [&] {
        f();
        return 0;
    });
}

TTzDbf& Table()
{
    if (!tzdbf)
        InitTableAccess();
    return *tzdbf;
}

bool Editing()
{
    return Table().State() == TDataSetState::dsEdit || Table().State() == TDataSetState::dsInsert;
}

// The browser without a window: answers from the headless UI's script.
class HeadlessBrowser : public TDbf4Browser {
public:
    void DbfSetMode(const std::string& option, TDbf4Mode mode) override
    {
        (void)option;
        TTzDbf& t = Table();
        if (!t.Active()) {
            Cancel();
            return;
        }
        if (mode == 1)
            t.SetHideDeletedRecs(true);
        else if (mode == 4 || (mode != 5 && mode != 1))
            t.SetHideDeletedRecs(false);
        for (;;) {
            std::string answer;
            if (!Ui().TextInput("DbfShow " + gTitle2, answer, 20)) {
                Cancel();
                return;
            }
            answer = TrimBlanks(answer);
            if (answer != "ok" && answer != "OK") {
                char* end = nullptr;
                const long n = std::strtol(answer.c_str(), &end, 10);
                if (answer.empty() || *end != '\0' || n < 1 || n > t.RecordCount()) {
                    Cancel();
                    return;
                }
                t.Go(std::int32_t(n));
            }
            if (DbfAcceptSelection(t.RowOfRecord(t.RecNo()), 1))
                return;
        }
    }

private:
    static void Cancel()
    {
        if (Editing())
            Table().Cancel();
        settings::AbortFlag = true;
        settings::LastKey = 27;
    }
};

TDbf4Browser& Browser()
{
    static HeadlessBrowser headless;
    return gBrowser ? *gBrowser : headless;
}

// Posts a pending edit; a failure is shown, AbortFlag set, the edit kept.
bool PostPending(Kind kind)
{
    if (!Table().Active() || !Editing())
        return true;
    bool ok = false;
    Guarded(kind, [&] {
        Table().Post();
        ok = true;
    });
    return ok;
}

} // namespace

void InitTableAccess()
{
    delete tzdbf;
    tzdbf = new TTzDbf;
    tzdbf->Name = "tzdbf";
    tzdbf->TableLanguage = TTzTableLanguage::tlOem;
    tzdbf->ReadOnly = false;
    tzdbf->CreateIndex = TCreateIndexType::ciNotFound;
    gTitle1.clear();
    gTitle2.clear();
    gShownFile.clear();
    gFound = false;
}

void StartTableEngine()
{
    InitEngine();
    InitExpressions();
    IndexInit();
    MemoInit();
    VFilesInit();
    InitDatasets();
    InitTableAccess();
}

void SetDbf4Browser(std::shared_ptr<TDbf4Browser> browser)
{
    gBrowser = std::move(browser);
}

const std::string& DbfTitle1() { return gTitle1; }
const std::string& DbfTitle2() { return gTitle2; }
const std::string& DbfShownFile() { return gShownFile; }

bool DbfAcceptSelection(std::int32_t gridRow, std::int32_t gridCol)
{
    settings::AbortFlag = false;
    if (!PostPending(Kind::Dbf))
        return false;
    settings::LastKey = 13;
    settings::DbfSelectedRecNo = Table().RecNo();
    settings::DbfGridRow = gridRow;
    settings::DbfGridCol = gridCol;
    return true;
}

// ---- Opening, showing, closing ----

void DbfOpenTable(const std::string& name)
{
    using namespace settings;
    const std::string folder = DbfUseTemp ? DbfCopyFolder() : DbfDir;
    const std::string file = NameHasDot(name) ? name : name + ".dbf";
    std::string path = AddBackslash(folder) + file;
    if (const std::string found = FindFileNoCase(path); !found.empty())
        path = found;
    if (!FileReadable(path)) {
        ErrorBox(DisplayToOem("File " + path + " not found."));
        AbortFlag = true;
        return;
    }
    const std::string part = FileNamePart(path);
    bool copy = false;
    const bool abortBefore = AbortFlag;
    AbortFlag = false;
    if (DbfWriteCheck(folder, part)) {
        copy = ::access(path.c_str(), W_OK) != 0;
    } else {
        if (AbortFlag) // the check could not read the file
            return;
        copy = true;
    }
    AbortFlag = abortBefore;
    if (copy) {
        std::string source = FindFileNoCase(AddBackslash(DbfDir) + part);
        if (source.empty())
            source = path;
        const std::string copies = DbfCopyFolder();
        if (copies.empty() || !CopyTableWithMemo(source, copies)) {
            Report(Kind::Dbf, ErrnoToEngineCode(errno ? errno : EIO),
                   "Kopieren von " + source + " nach " + (copies.empty() ? TempDir : copies) + " fehlgeschlagen");
            return;
        }
        path = copies + FileNamePart(source);
    }
    DbfOpenFile(path);
}

void DbfOpenFile(const std::string& path)
{
    HourglassCursor();
    Guarded(Kind::Dbf, [&] {
        TTzDbf& t = Table();
        {
            // The new table must open before the old one is given up.
            TTzDbf probe;
            probe.Name = "TZPROBE";
            probe.TableLanguage = t.TableLanguage;
            probe.CreateIfNotFound = false;
            probe.ShowProgress = false;
            probe.SetDbfFileName(path);
            probe.Open();
            probe.Close();
        }
        if (t.Active()) {
            PostPending(Kind::Dbf);
            t.Close();
        }
        t.SetDbfFileName(path);
        t.Open();
        gShownFile = t.DbfFileName();
    });
    NormalCursor();
}

void DbfSetTitles(const std::string& title1, const std::string& title2)
{
    gTitle1 = OemToDisplay(title1);
    gTitle2 = OemToDisplay(title2);
}

void DbfShow(const std::string& option, TDbf4Mode mode)
{
    Guarded(Kind::Dbf, [&] { Browser().DbfSetMode(option, mode); });
}

void DbfClose()
{
    if (tzdbf && tzdbf->Active()) {
        PostPending(Kind::Dbf);
        Guarded(Kind::Dbf, [] { Table().Close(); });
    }
    NormalCursor();
}

// ---- Navigation ----

void DbfGoTop()
{
    Guarded(Kind::Database, [] { Table().GoTop(); });
}

void DbfGoRecord(std::int32_t n)
{
    const std::int32_t count = DbfRecCount();
    if (n > count) {
        settings::AddMessage("DBF #" + std::to_string(n) + " not found.");
        n = count;
    }
    DbfGoOrFirst(n);
}

void DbfGoOrFirst(std::int32_t n)
{
    Guarded(Kind::Database, [&] {
        TTzDbf& t = Table();
        const std::int32_t count = t.RecCount();
        if (count == 0)
            return;
        t.Go(n >= 1 && n <= count ? n : 1);
    });
}

void DbfSkip(std::int32_t n)
{
    Guarded(Kind::Database, [&] { Table().Skip(n); });
}

bool DbfEof()
{
    return Table().Eof();
}

std::int32_t DbfRecNo()
{
    return Table().RecNo();
}

std::int32_t DbfRecCount()
{
    return Guarded(Kind::Database, std::int32_t(0), [] { return Table().RecCount(); });
}

std::int32_t DbfAppendRec()
{
    return Guarded(Kind::Dbf, std::int32_t(0), [] {
        TTzDbf& t = Table();
        if (!t.Active() || !t.ALock())
            return std::int32_t(0);
        // Values set and not yet posted belong to the new record.
        const std::vector<TPendingField> pending = t.TakePendingFields();
        const bool ok = t.AppendRec(pending);
        t.UnLock();
        return ok ? t.RecNo() : std::int32_t(0);
    });
}

// ---- Fields ----

std::string DbfFieldName(int n)
{
    TTzDbf& t = Table();
    if (!t.Active() || n < 1 || n > t.FieldCount())
        return {};
    return t.Field(n);
}

std::string DbfFieldText(int n)
{
    return Guarded(Kind::Dbf, std::string(), [&] { return Table().SField(n); });
}

std::string DbfFieldOemText(int n, bool& lost)
{
    return Guarded(Kind::Dbf, std::string(),
                   [&] { return TableTextToOem(Table().TextPage(), Table().SField(n), lost); });
}

std::int32_t DbfFieldAsInteger(const std::string& fieldName)
{
    return Guarded(Kind::Dbf, std::int32_t(0),
                   [&] { return std::int32_t(Table().GetFieldInt(fieldName.substr(0, 10))); });
}

void DbfSetFieldString(const std::string& fieldName, const std::string& value)
{
    Guarded(Kind::Dbf, [&] { Table().PutFieldStr(fieldName.substr(0, 10), value); });
}

void DbfSetFieldFloat(const std::string& fieldName, double value)
{
    Guarded(Kind::Dbf, [&] { Table().PutFieldFloat(fieldName.substr(0, 10), value); });
}

void DbfSetFieldInteger(const std::string& fieldName, std::int32_t value)
{
    Guarded(Kind::Dbf, [&] { Table().PutFieldInt(fieldName.substr(0, 10), value); });
}

void DbfSetFieldBoolean(const std::string& fieldName, bool value)
{
    Guarded(Kind::Dbf, [&] { Table().PutFieldBool(fieldName.substr(0, 10), value); });
}

// ---- Indexes and keys ----

void DbfIndexOn(const std::string& keyExpr, const std::string& indexFile)
{
    HourglassCursor();
    Guarded(Kind::Dbf, [&] { Table().IndexOn(keyExpr, indexFile); });
    NormalCursor();
}

void DbfMakeIndex(const std::string& keyExpr, const std::string& indexName)
{
    const std::string path = DbfTempPath(indexName);
    if (path.empty()) {
        Report(Kind::Dbf, 3, "Kein privater Ordner für Indexdateien unter " + settings::TempDir);
        return;
    }
    const bool before = settings::AbortFlag;
    settings::AbortFlag = false;
    DbfIndexOn(keyExpr, path);
    if (settings::AbortFlag)
        return;
    settings::AbortFlag = before;
    HourglassCursor();
    Guarded(Kind::Dbf, [&] { Table().SetIndexTo(ShortPathOf(path + ".ndx")); });
    NormalCursor();
}

void DbfFindKey(const std::string& key)
{
    HourglassCursor();
    Guarded(Kind::Dbf, [&] {
        TTzDbf& t = Table();
        gFound = false;
        const std::string k = key.substr(0, 255);
        gFound = t.Find(k);
        if (!gFound && CountChar(',', k) == 1)
            gFound = t.Find(DecimalPointStr(k));
    });
    NormalCursor();
}

bool DbfFound()
{
    return gFound;
}

} // namespace kt4::dbase
