// One row of a bearing catalogue table, as the catalogue selection reads it
// before it takes the row over into a bearing slot. Each of the twelve
// tables has its own field layout: text (S), real (R, held as double) and
// integer (I) fields, numbered as the table's fields. Field 1 is always the
// designation, fields 2, 3 and 4 are d, D and B.
//
// The tables "zyrolav" and "nadelv" keep their texts to the first 20
// characters; the others keep them whole.
#pragma once

#include "drive/bearing_types.h"
#include "foundation/types.h"

#include <functional>
#include <string>
#include <vector>

namespace kt4 {

// The field layout of one catalogue table.
struct CatalogueLayout {
    const char* table; // base name, as BearingTableNames
    const char* kinds; // one letter per field: 'S', 'R' or 'I'
    int textLimit;     // longest kept text, 0 = no limit
};

// The layout of a type's table; nullptr outside 1..12.
const CatalogueLayout* CatalogueLayoutOf(TBearingType Typ);

class CatalogueRecord {
public:
    CatalogueRecord() = default;
    // An empty row of the type's table (no fields outside 1..12).
    explicit CatalogueRecord(TBearingType Typ);

    TBearingType Typ() const { return typ_; }
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    // 'S', 'R', 'I', or 0 outside 1..FieldCount.
    char Kind(int N) const;

    // Field N as stored. A field of another kind, or outside the layout,
    // gives "" / 0; RealField also gives integer fields (as real).
    std::string Text(int N) const;
    double RealField(int N) const;
    Integer IntField(int N) const;

    // Stores the table's text of field N by the field's kind: texts as they
    // are (cut to the table's limit), numbers through StrToReal and
    // StrToInteger (a text that is no number gives 0). Outside the layout:
    // nothing.
    void SetFromText(int N, const std::string& S);
    // Every field empty or 0, no record number.
    void Clear();

    // The record number of the catalogue row the fields came from; 0 = none.
    Integer RecNo() const { return recNo_; }
    void SetRecNo(Integer N) { recNo_ = N; }

private:
    struct Field {
        std::string text;
        double real = 0;
        Integer integer = 0;
    };
    const Field* At(int N) const;

    TBearingType typ_ = 0;
    std::vector<Field> fields_;
    Integer recNo_ = 0;
};

// Field n (1-based) of the current catalogue row as text.
using CatalogueFieldText = std::function<std::string(int n)>;

// The reader of one catalogue table: fills that table's record buffer
// (bearings::CatalogueBuffers[type]) from the current row, each field
// through its text and the field's kind, and notes the row's record number.
// Does nothing while AbortFlag is set.
using CatRecordReader = void (*)(const CatalogueFieldText& FieldText, Integer RecNo);

// The reader of a type's table; nullptr outside 1..12.
CatRecordReader CatRecordReaderOf(TBearingType Typ);

namespace bearings {
// One record buffer per catalogue table, by type code.
extern Array1<CatalogueRecord, BearingTypeCount> CatalogueBuffers;
} // namespace bearings

} // namespace kt4
