// Delimited text: one line per record, "," between the fields, character
// fields in double quotes (a quote inside is doubled). The import reads what
// the export writes; numbers always have "." as the point.
#include "dbase/engine/search.h"

#include "dbase/engine/engine_dates.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/navigation.h"
#include "dbase/engine/runtime.h"
#include "dbase/engine/staged_file.h"
#include "foundation/ui_service.h"

#include <cstdio>
#include <fstream>

namespace kt4::dbase {
namespace {

constexpr char kSeparator = ',';
constexpr char kQuote = '"';

std::string QuoteText(const std::string& text)
{
    std::string out(1, kQuote);
    for (char c : text) {
        if (c == kQuote)
            out.push_back(kQuote);
        out.push_back(c);
    }
    out.push_back(kQuote);
    return out;
}

std::string ExportLine(const TWorkArea& a)
{
    std::string line;
    bool first = true;
    for (std::size_t k = 0; k < a.fields.size(); ++k) {
        const TDbfFieldInfo& f = a.fields[k];
        if (f.type == 'M')
            continue;
        std::string raw(FieldBytes(a, int(k) + 1));
        if (!first)
            line.push_back(kSeparator);
        first = false;
        switch (f.type) {
        case 'C':
            line += QuoteText(RTrimText(raw));
            break;
        case 'N':
        case 'F':
            line += LTrimText(raw);
            break;
        case 'D':
            line += AllTrim(raw);
            break;
        default:
            line += raw.substr(0, 1);
            break;
        }
    }
    return line + "\r\n";
}

// Streaming reader of delimited lines.
class DelimitedReader {
public:
    explicit DelimitedReader(std::istream& in) : in_(in) {}
    // Next line's fields; false at the end.
    bool Next(std::vector<std::string>& fields)
    {
        fields.clear();
        if (done_)
            return false;
        std::string field;
        bool quoted = false, any = false, started = false;
        for (;;) {
            int c = in_.get();
            if (c == EOF || c == 0x1A) {
                done_ = true;
                break;
            }
            if (quoted) {
                if (c == kQuote) {
                    if (in_.peek() == kQuote) {
                        in_.get();
                        field.push_back(kQuote);
                    } else {
                        quoted = false;
                    }
                } else {
                    field.push_back(char(c));
                }
                continue;
            }
            if (c == '\r' || c == '\n') {
                if (c == '\r' && in_.peek() == '\n')
                    in_.get();
                if (!any && !started)
                    continue; // empty line
                break;
            }
            any = true;
            if (c == kSeparator) {
                fields.push_back(std::move(field));
                field.clear();
                started = false;
            } else if (!started && (c == ' ' || c == '\t')) {
                // blanks before a field
            } else if (!started && c == kQuote) {
                quoted = true;
                started = true;
            } else {
                started = true;
                field.push_back(char(c));
            }
        }
        if (any || started)
            fields.push_back(std::move(field));
        return !fields.empty() || !done_;
    }

private:
    std::istream& in_;
    bool done_ = false;
};

void AssignField(TWorkArea& a, int n, const std::string& text)
{
    const TDbfFieldInfo& f = a.fields[std::size_t(n - 1)];
    TypedBuffer b(a);
    switch (f.type) {
    case 'C':
        b.SetText(n, text);
        break;
    case 'N':
    case 'F': {
        double v = 0;
        if (ParseFileNumber(text, v))
            b.SetNumber(n, v);
        break;
    }
    case 'L': {
        char c = text.empty() ? ' ' : text[0];
        b.SetLogical(n, c == 'T' || c == 't' || c == 'Y' || c == 'y');
        break;
    }
    case 'D': {
        std::string t = AllTrim(text);
        bool digits = t.find_first_not_of("0123456789") == std::string::npos;
        // digits are YYYYMMDD; a date that does not exist is read as empty
        std::string date = digits ? DtosToDateTextOf(t.size() == 8 ? t : std::string()) : t;
        if (t.empty() || !ValidDateText(date))
            date = EmptyDateTemplate();
        b.SetText(n, date);
        break;
    }
    default:
        break;
    }
}

} // namespace

bool CopyToDelimited(const std::string& path)
{
    EngineErrorCode = 0;
    TWorkArea* ap = RequireArea("CopyToDelimited");
    if (!ap)
        return false;
    const int number = ap->number;
    const std::string context = "Fehler beim Schreiben von " + path + " [CopyToDelimited]";
    StagedFile out;
    int code = out.Open(path);
    if (code == 0) {
        GoTop();
        while (code == 0 && EngineErrorCode == 0 && !dEOF()) {
            code = out.Write(ExportLine(*Area(number)));
            SKIP(1);
        }
    }
    static const std::uint8_t eof = 0x1A;
    if (code == 0 && EngineErrorCode == 0)
        code = out.Write(&eof, 1);
    if (code == 0 && EngineErrorCode == 0)
        code = out.Commit();
    if (code != 0) {
        SetError(std::uint16_t(code), context);
        return false;
    }
    return EngineErrorCode == 0;
}

std::int32_t AppendFromDelimited(const std::string& path)
{
    EngineErrorCode = 0;
    TWorkArea* ap = RequireArea("AppendFromDelimited");
    if (!ap)
        return 0;
    TWorkArea& a = *ap;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        SetError(2, "Datei:  " + path + " [AppendFromDelimited]");
        return 0;
    }
    std::vector<int> targets; // fields in order, memo fields left out
    for (std::size_t k = 0; k < a.fields.size(); ++k)
        if (a.fields[k].type != 'M')
            targets.push_back(int(k) + 1);
    DelimitedReader reader(in);
    std::vector<std::string> fields;
    std::int32_t appended = 0;
    while (reader.Next(fields)) {
        if (fields.empty())
            continue;
        ClearRecordOf(a);
        for (std::size_t i = 0; i < fields.size() && i < targets.size(); ++i)
            AssignField(a, targets[i], fields[i]);
        bool ok;
        {
            QuietErrors quiet;
            ok = Append();
        }
        if (!ok) {
            // the run stops at the record that cannot be stored, naming it
            const std::uint16_t code = EngineErrorCode ? EngineErrorCode : 101;
            SetError(code, TakeErrorText() + ", Datensatz " + std::to_string(appended + 1) + " von " + path +
                               " [AppendFromDelimited] (" + std::to_string(appended) +
                               " Datensätze angehängt)");
            return appended;
        }
        ++appended;
        if (appended % 100 == 0)
            Ui().Progress("Appending...", -1);
    }
    return appended;
}

} // namespace kt4::dbase
