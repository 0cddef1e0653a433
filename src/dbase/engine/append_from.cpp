// APPEND FROM: copies the visible records of another table (or of an open
// virtual file) into the current table, field by field, paired by name.
#include "dbase/engine/search.h"

#include "dbase/engine/engine_dates.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/internal.h"
#include "dbase/engine/navigation.h"
#include "dbase/engine/runtime.h"
#include "foundation/ui_service.h"

#include <cmath>
#include <filesystem>
#include <limits>

namespace fs = std::filesystem;

namespace kt4::dbase {
namespace {

char Kind(char type)
{
    return type == 'F' ? 'N' : type;
}

// Closes area 35 (when this call opened it) and selects the target again,
// on every way out.
class SourceArea {
public:
    explicit SourceArea(int target) : target_(target) {}
    ~SourceArea()
    {
        if (opened_) {
            const std::uint16_t code = EngineErrorCode;
            const std::string text = LastErrorText();
            {
                QuietErrors quiet;
                CurrentArea = FromFileArea;
                CloseCurrentArea();
            }
            if (code != 0)
                SetErrorSilent(code, text); // the run's error, not the close's
        }
        CurrentArea = target_;
    }
    void MarkOpened() { opened_ = true; }

private:
    int target_;
    bool opened_ = false;
};

std::string Trimmed(const std::string& s)
{
    return AllTrim(s);
}

// The asterisks field n of the record holds for a number its width could
// not show; "" for any other bytes.
std::string StoredAsterisks(const TWorkArea& a, int n)
{
    const std::string text = Trimmed(std::string(FieldBytes(a, n)));
    return text.find_first_not_of('*') == std::string::npos ? text : "";
}

// Converts source field s of src into target field t of dst. False when
// the field cannot be taken as it is (a character the target's code page
// lacks, a memo that cannot be copied): the error is set then.
bool ConvertField(TWorkArea& src, int s, TWorkArea& dst, int t)
{
    const TDbfFieldInfo& sf = src.fields[std::size_t(s - 1)];
    const TDbfFieldInfo& tf = dst.fields[std::size_t(t - 1)];
    TypedBuffer in(src), out(dst);
    const char from = Kind(sf.type), to = Kind(tf.type);
    // a number too wide for the source arrives as such, never as 0
    const std::string stars = from == 'N' ? StoredAsterisks(src, s) : "";
    // text between the tables' code pages, never as other characters
    auto toTargetPage = [&](std::string value, std::string& result) {
        std::string lacking;
        if (!ConvertTableText(src.TextPage(), dst.TextPage(), value, lacking)) {
            SetError(220, LackingCharsText(lacking, "", dst.TextPage().number));
            return false;
        }
        result = std::move(value);
        return true;
    };
    if (to == 'C') {
        if (from == 'C') {
            std::string value;
            if (!toTargetPage(in.Text(s).substr(0, tf.len), value))
                return false;
            out.SetText(t, value);
        } else if (from == 'N' && !stars.empty()) {
            out.SetText(t, std::string(tf.len - std::min<std::size_t>(stars.size(), tf.len), ' ') +
                               stars.substr(0, tf.len));
        } else if (from == 'N') {
            std::string text = FloatToText(tf.len, sf.dec, in.Number(s));
            out.SetText(t, text.size() > tf.len ? std::string(tf.len, '*') : text);
        } else if (from == 'L') {
            out.SetText(t, in.Logical(s) ? "T" : "F");
        } else if (from == 'D') {
            std::string text = in.Text(s);
            if (text.size() > tf.len && DateWithCentury) {
                bool century = DateWithCentury;
                DateWithCentury = false;
                text = DtosToDateTextOf(DateTextToDtosText(text));
                DateWithCentury = century;
            }
            out.SetText(t, text.substr(0, tf.len));
        }
    } else if (to == 'N') {
        if (from == 'N') {
            out.SetNumber(t, stars.empty() ? in.Number(s) : std::numeric_limits<double>::infinity());
        } else if (from == 'C') {
            double v = 0;
            if (!ParseFileNumber(in.Text(s), v))
                v = TextToFloat(in.Text(s));
            out.SetNumber(t, v);
        }
    } else if (to == 'L') {
        out.SetLogical(t, from == 'L' && in.Logical(s));
    } else if (to == 'D') {
        if (from == 'D') {
            // a date the source holds that is none ("00000000") is empty
            std::string text = in.Text(s);
            if (!ValidDateText(text))
                text = EmptyDateTemplate();
            out.SetText(t, text);
        } else if (from == 'C') {
            std::string text = Trimmed(in.Text(s));
            if (ValidDateText(text))
                out.SetText(t, text);
        }
    } else if (to == 'M' && MemoLinked()) {
        detail::KeepArea keep;
        std::string value;
        if (from == 'C' && !toTargetPage(RTrimBlanks(in.Text(s)), value))
            return false;
        CurrentArea = dst.number;
        if (from == 'C' && Memo.AddMemo)
            out.SetMemoRef(t, Memo.AddMemo(value));
        else if (from == 'M' && Memo.CopyMemo && in.MemoRef(s) != 0)
            out.SetMemoRef(t, Memo.CopyMemo(src.number, in.MemoRef(s)));
        return EngineErrorCode == 0;
    }
    return true;
}

bool IsVirtualSource(const std::string& upper)
{
    for (const char* w : {" VIRTUAL FILE", " LINKED LIST", " VIRTUAL", " LINKED"})
        if (upper.find(w) != std::string::npos)
            return true;
    return false;
}

std::string FailText(const std::string& what, const std::string& source, std::int32_t done)
{
    return what + " [AppendFrom(" + source + ")] (" + std::to_string(done) +
           " Datensätze angehängt)";
}

} // namespace

std::int32_t AppendFrom(const std::string& source, std::function<bool()> filter)
{
    EngineErrorCode = 0;
    TWorkArea* tp = RequireArea("AppendFrom");
    if (!tp)
        return 0;
    const int target = tp->number;
    SourceArea guard(target);
    int srcNo = 0;
    const std::string upper = UpperText(" " + AllTrim(source));
    if (IsVirtualSource(upper)) {
        std::string alias = UpperText(ParseUseCommand(AllTrim(source)).request.path);
        srcNo = AreaOfAlias(alias);
        if (srcNo == 0 || !Area(srcNo)->isVirtual) {
            SetError(1100, FailText("Virtual file must be open.", source, 0));
            return 0;
        }
        if (srcNo == target) {
            SetError(220, FailText("Datei kann nicht an sich selbst angehängt werden.", source, 0));
            return 0;
        }
    } else {
        std::string path = WithDefaultExtension(fs::absolute(AllTrim(source)).string(), "DBF");
        std::string found = ResolveNoCase(path);
        FileId id = FileIdOf(found.empty() ? path : found);
        if (id.Valid() && id == tp->fileKey) {
            SetError(220, FailText("Datei kann nicht an sich selbst angehängt werden.", source, 0));
            return 0;
        }
        CurrentArea = FromFileArea;
        if (!UseTable({found.empty() ? path : found, "*FROMFILE", false}))
            return 0;
        guard.MarkOpened();
        srcNo = FromFileArea;
    }
    TWorkArea& src = *Area(srcNo);
    TWorkArea& dst = *Area(target);
    std::vector<std::pair<int, int>> pairs; // source field, target field
    bool memoPairs = false;
    for (std::size_t t = 0; t < dst.fields.size(); ++t) {
        int s = FieldNoIn(src, dst.fields[t].name);
        if (s > 0) {
            pairs.emplace_back(s, int(t) + 1);
            memoPairs |= dst.fields[t].type == 'M' || src.fields[std::size_t(s - 1)].type == 'M';
        }
    }
    if (memoPairs && src.hasMemo && !MemoLinked()) {
        SetError(220, FailText("Memo-Unit ist nicht ins Programm eingebunden.", source, 0));
        return 0;
    }
    CurrentArea = srcNo;
    const std::int32_t total = RecCount(); // records added during the run are not visited
    GoTop();
    struct EndProgress {
        bool shown = false;
        ~EndProgress()
        {
            if (shown)
                Ui().ProgressEnd();
        }
    } progress;
    std::int32_t appended = 0, visited = 0;
    while (EngineErrorCode == 0 && !src.eof && src.recNo <= total) {
        if (!WhileHolds(src))
            break;
        if (!filter || filter()) {
            ClearRecordOf(dst);
            // the text below is converted into the target's page already
            dst.Mark(0, TWorkArea::MarkTextInPage);
            for (auto [s, t] : pairs) {
                bool ok;
                {
                    QuietErrors quiet;
                    ok = ConvertField(src, s, dst, t);
                }
                if (!ok) {
                    // the record is not appended
                    dst.fieldMarks.clear();
                    const std::uint16_t code = EngineErrorCode ? EngineErrorCode : 220;
                    SetError(code, FailText(TakeErrorText() + ", Datensatz " + std::to_string(src.recNo) +
                                                ", Feld " + src.fields[std::size_t(s - 1)].name,
                                            source, appended));
                    return appended;
                }
            }
            CurrentArea = target;
            bool ok;
            {
                QuietErrors quiet;
                ok = Append();
            }
            if (!ok) {
                dst.fieldMarks.clear();
                SetError(EngineErrorCode ? EngineErrorCode : 101,
                         FailText(TakeErrorText(), source, appended));
                return appended;
            }
            ++appended;
            CurrentArea = srcNo;
        }
        if (++visited % 100 == 0 && total > 0) {
            Ui().Progress("Appending...", int(std::int64_t(visited) * 100 / total));
            progress.shown = true;
        }
        SKIP(1);
    }
    return appended;
}

} // namespace kt4::dbase
