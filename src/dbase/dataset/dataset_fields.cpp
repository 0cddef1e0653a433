// Field definitions as text lines, the dataset layer's messages and the
// unit's start-up.
#include "dbase/dataset/dataset.h"

#include "dbase/engine/engine_text.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/runtime.h"
#include "foundation/ui_service.h"

#include <charconv>

namespace kt4::dbase {

std::string LogicalYesText = "ja";
std::string LogicalNoText = "nein";
std::string LogicalTrueText = "Wahr";
std::string LogicalFalseText = "Falsch";

namespace {

std::uint8_t gMessageMode = 2;

bool ReadInt(const std::string& text, int& value)
{
    const std::string t = AllTrim(text);
    auto r = std::from_chars(t.data(), t.data() + t.size(), value);
    return !t.empty() && r.ec == std::errc() && r.ptr == t.data() + t.size();
}

} // namespace

std::uint8_t DatasetMessageMode(std::uint8_t newMode)
{
    if (newMode != 0)
        gMessageMode = newMode;
    return gMessageMode;
}

void DatasetMessage(const std::string& text)
{
    if (gMessageMode == 2)
        Ui().MessageBox("Meldung:", text, BoxKind::Message);
}

void InitDatasets()
{
    LogicalYesText = "ja";
    LogicalNoText = "nein";
    LogicalTrueText = "Wahr";
    LogicalFalseText = "Falsch";
    gMessageMode = 2;
    // The German layout with four-digit years; numbers keep the point.
    SetDateFormat(5);
    DateWithCentury = true;
    DecimalSeparator = '.';
    ThousandsSeparator = ',';
}

bool NormalizeFieldDef(FieldDef& def)
{
    const FieldDef old = def;
    char t = UpperChar(def.type);
    if (t == 'B' || t == 'G' || t == 'P')
        t = 'M';
    if (t != 'C' && t != 'D' && t != 'F' && t != 'L' && t != 'M' && t != 'N')
        t = 'C';
    def.type = t;
    if (t == 'N') {
        if (def.len >= 21)
            def.len = 20;
        if (def.dec >= 19)
            def.dec = 18;
        if (def.dec > 0 && def.len - def.dec < 2)
            def.dec = std::max(def.len - 2, 0);
    }
    if (t == 'C' && def.len >= 255) {
        def.len = 254;
        def.dec = 0;
    }
    return def.type != old.type || def.len != old.len || def.dec != old.dec;
}

std::string FieldDefLine(const FieldDef& def)
{
    return def.name + "," + std::string(1, def.type) + "," + std::to_string(def.len) + ", " +
           std::to_string(def.dec);
}

bool ParseDbfFields(const std::vector<std::string>& lines, bool memoAsInteger,
                    std::vector<FieldDef>& defs)
{
    defs.clear();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const std::string where = "Zeile " + std::to_string(i + 1) + " \"" + line + "\"";
        if (std::count(line.begin(), line.end(), ',') != 3) {
            SetError(211, "Ungültige Felddefinition in " + where + " [DbfFields]");
            return false;
        }
        std::string part[4];
        std::size_t start = 0;
        for (int p = 0; p < 4; ++p) {
            const std::size_t comma = line.find(',', start);
            part[p] = line.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            start = comma + 1;
        }
        FieldDef def;
        def.name = UpperText(AllTrim(part[0]).substr(0, 10));
        const std::string type = AllTrim(part[1]);
        def.type = type.empty() ? ' ' : UpperChar(type[0]);
        if (def.type == 'X')
            continue;
        if (def.name.empty() || !ReadInt(part[2], def.len) || !ReadInt(part[3], def.dec)) {
            SetError(211, "Ungültige Felddefinition in " + where + " [DbfFields]");
            return false;
        }
        if (memoAsInteger && def.type == 'M') {
            def.type = 'N';
            def.len = 10;
            def.dec = 0;
        }
        NormalizeFieldDef(def);
        defs.push_back(def);
    }
    return true;
}

} // namespace kt4::dbase
