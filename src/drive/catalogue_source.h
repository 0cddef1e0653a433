// The readable sources of the twelve bearing catalogue tables and the rules
// that make table rows of them.
//
// A source is a CSV text (UTF-8, "," between the columns, "." as the
// decimal point, one header line with the column names). Its columns are
// fields of the table, by their names, and the rolling-element set the row
// is rated with: Z (elements per row), DW (element diameter), LWE (effective
// roller length, roller and needle types), ALPHA (contact angle in degrees,
// where the type has one) and REIHEN (rows, full-complement cylindrical
// roller bearings). Every table field that the source does not give is
// derived: the load ratings C, C0 and Cu, the speed ratings, the mass, the
// shoulder, abutment and corner dimensions, the load factors e and Y and
// the price (0). data/catalogues/README.md gives the rules in words.
#pragma once

#include "drive/bearing_types.h"

#include <string>
#include <string_view>
#include <vector>

namespace kt4::catalogue {

// One field of a catalogue table. Texts are C(width), reals N(12,4) and
// integers N(10,0).
struct TableField {
    const char* name; // dBase field name: at most 10 characters, unique without regard to case
    char kind;        // 'S', 'R' or 'I', as CatalogueLayoutOf
    int width;        // characters of a text field
};

inline constexpr int RealLength = 12;
inline constexpr int RealDecimals = 4;
inline constexpr int IntegerLength = 10;

// The fields of type Typ's table in table order; empty outside 1..12.
const std::vector<TableField>& TableFields(TBearingType Typ);

// One table row. For field n (1-based): Text(n) of a text field (UTF-8),
// Value(n) of a number field, already rounded to what the table holds.
struct CatalogueRow {
    int line = 0; // line of the source (the header is line 1)
    std::vector<std::string> texts;
    std::vector<double> values;
    const std::string& Text(int n) const { return texts[static_cast<std::size_t>(n - 1)]; }
    double Value(int n) const { return values[static_cast<std::size_t>(n - 1)]; }
};

struct CatalogueSource {
    TBearingType typ = 0;
    std::vector<CatalogueRow> rows;  // by d, then the width of field 4, then D
    std::vector<std::string> errors; // "Zeile 7: ..." for each line left out
};

// Reads type Typ's source. A line that cannot be read (a missing or
// unreadable value, a rolling-element set that does not fit the section, a
// text beyond its field or outside code page 850) is left out and named in
// the errors; a header that lacks a column the table needs, or names an
// unknown one, leaves the table empty. True when nothing was refused.
bool ReadCatalogueSource(TBearingType Typ, std::string_view Csv, CatalogueSource& Out);

} // namespace kt4::catalogue
