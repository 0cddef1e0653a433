#include "drive/bearing_catalogue_record.h"

#include "foundation/numstr.h"
#include "foundation/settings.h"

#include <cstring>

namespace kt4 {

namespace {

constexpr CatalogueLayout Layouts[BearingTypeCount] = {
    {"rikula", "SRRRRIIIIRRRRRRS", 0},
    {"pekula", "SRRRIIIIRRRRRRRRRRRRRRS", 0},
    {"nadelhul", "SRRRRRIIRIIRS", 0},
    {"nalaoi", "SRRRRIIRIIRRRRS", 0},
    {"zyrola", "SRRRIIRIIRRRRRRRRRRRRS", 0},
    {"kerola", "SRRRIIRIIRRRRRRRRRRRRRRRRRRRRRRS", 0},
    {"perola", "SRRRIIRIIRRRRRRRRRRRRRS", 0},
    {"schrkula", "SRRRIIIIIRRRRRRRRRRS", 0},
    {"schrku2", "SRRRIIIIIIRRRRRRRRRRS", 0},
    {"nadelk", "SRRRIIIIIRRS", 0},
    {"zyrolav", "SRRRIIIRRRRIRS", 20},
    {"nadelv", "SRRRRIIIRRR", 20},
};

} // namespace

namespace bearings {
Array1<CatalogueRecord, BearingTypeCount> CatalogueBuffers;
} // namespace bearings

const CatalogueLayout* CatalogueLayoutOf(TBearingType Typ)
{
    return Typ >= 1 && Typ <= BearingTypeCount ? &Layouts[Typ - 1] : nullptr;
}

CatalogueRecord::CatalogueRecord(TBearingType Typ)
{
    if (const auto* layout = CatalogueLayoutOf(Typ)) {
        typ_ = Typ;
        fields_.resize(std::strlen(layout->kinds));
    }
}

char CatalogueRecord::Kind(int N) const
{
    return At(N) ? CatalogueLayoutOf(typ_)->kinds[N - 1] : 0;
}

const CatalogueRecord::Field* CatalogueRecord::At(int N) const
{
    return N >= 1 && N <= FieldCount() ? &fields_[N - 1] : nullptr;
}

std::string CatalogueRecord::Text(int N) const
{
    return Kind(N) == 'S' ? fields_[N - 1].text : std::string();
}

double CatalogueRecord::RealField(int N) const
{
    switch (Kind(N)) {
    case 'R':
        return fields_[N - 1].real;
    case 'I':
        return fields_[N - 1].integer;
    default:
        return 0;
    }
}

Integer CatalogueRecord::IntField(int N) const
{
    return Kind(N) == 'I' ? fields_[N - 1].integer : 0;
}

void CatalogueRecord::SetFromText(int N, const std::string& S)
{
    const char kind = Kind(N);
    if (kind == 0)
        return;
    Field& f = fields_[N - 1];
    switch (kind) {
    case 'S': {
        const int limit = CatalogueLayoutOf(typ_)->textLimit;
        f.text = limit > 0 && static_cast<int>(S.size()) > limit ? S.substr(0, limit) : S;
        break;
    }
    case 'R':
        f.real = static_cast<double>(StrToReal(S));
        break;
    case 'I':
        f.integer = StrToInteger(S);
        break;
    default:
        break;
    }
}

void CatalogueRecord::Clear()
{
    for (auto& f : fields_)
        f = Field{};
    recNo_ = 0;
}

namespace {

template <TBearingType Typ>
void ReadCatalogueRow(const CatalogueFieldText& FieldText, Integer RecNo)
{
    if (settings::AbortFlag)
        return;
    CatalogueRecord& buffer = bearings::CatalogueBuffers[Typ];
    if (buffer.Typ() != Typ)
        buffer = CatalogueRecord(Typ);
    for (int n = 1; n <= buffer.FieldCount(); ++n)
        buffer.SetFromText(n, FieldText(n));
    buffer.SetRecNo(RecNo);
}

constexpr CatRecordReader Readers[BearingTypeCount] = {
    ReadCatalogueRow<1>, ReadCatalogueRow<2>,  ReadCatalogueRow<3>,  ReadCatalogueRow<4>,
    ReadCatalogueRow<5>, ReadCatalogueRow<6>,  ReadCatalogueRow<7>,  ReadCatalogueRow<8>,
    ReadCatalogueRow<9>, ReadCatalogueRow<10>, ReadCatalogueRow<11>, ReadCatalogueRow<12>,
};

} // namespace

CatRecordReader CatRecordReaderOf(TBearingType Typ)
{
    return Typ >= 1 && Typ <= BearingTypeCount ? Readers[Typ - 1] : nullptr;
}

} // namespace kt4
