// Helpers of the bearing section tests: the rows of our catalogue sources
// taken over into a slot, one slot drawn alone in a recorded job, and the
// recorded geometry as points (arcs, circles and bulges flattened).
#pragma once

#include "drawings_fixture.h"

#include "cad/hatch.h"
#include "drawings/bearing_section.h"
#include "foundation/maths.h"
#include "graphics/geometry2d.h"

#include <map>

namespace kt4::drawtest {

// The rows of type Typ's catalogue source (data/catalogues).
inline const std::vector<catalogue::CatalogueRow>& CatalogueRows(TBearingType Typ)
{
    static std::map<TBearingType, catalogue::CatalogueSource> sources;
    auto it = sources.find(Typ);
    if (it == sources.end()) {
        catalogue::CatalogueSource source;
        EXPECT_TRUE(ReadCatalogue(Typ, source)) << BearingTableName(Typ);
        it = sources.emplace(Typ, std::move(source)).first;
    }
    return it->second.rows;
}

// Row k (0-based) of type Typ's catalogue, taken over into Slot as the
// catalogue selection does.
inline void TakeRow(Word Slot, TBearingType Typ, std::size_t k)
{
    TakeOverRow(Slot, Typ, CatalogueRows(Typ).at(k), k);
}

// The row of Typ whose designation is Designation.
inline void TakeRow(Word Slot, TBearingType Typ, const std::string& Designation)
{
    const auto& rows = CatalogueRows(Typ);
    for (std::size_t k = 0; k < rows.size(); ++k)
        if (rows[k].Text(1) == Designation)
            return TakeRow(Slot, Typ, k);
    ADD_FAILURE() << Designation << " is not in " << BearingTableName(Typ);
}

// A recorded job whose entity pass the test fills; the layer is CallerLayer
// when the test begins to draw.
class RecordedJob {
public:
    static constexpr Integer CallerLayer = 7;
    RecordedJob()
    {
        cad::c_begin(RecordMode);
        cad::c_header(-500, -500, 500, 500, 0);
        cad::c_tables(2);
        cad::c_blocks();
        cad::c_endblocks();
        cad::c_entities();
        cad::c_setlayer(CallerLayer);
        Calls().clear();
    }
    ~RecordedJob()
    {
        if (cad::CadJobRunning()) {
            cad::c_endblocks();
            cad::c_end();
        }
    }
};

// The calls of DrawBearing(Slot, Mode) in a job of its own, or of the
// routine alone when Routine is given.
inline std::vector<Call> DrawAlone(Word Slot, Word Mode = 2, drawings::TSectionRoutine Routine = nullptr)
{
    RecordedJob job;
    if (Routine)
        Routine(Slot, Mode);
    else
        drawings::DrawBearing(Slot, Mode);
    std::vector<Call> calls = Calls();
    return calls;
}

struct Pt {
    Real x, y;
    int layer;
};

// n + 1 points of the arc about (cx, cy) from a1 over the signed sweep
// (radians).
inline void ArcPoints(std::vector<Pt>& out, Real cx, Real cy, Real r, Real a1, Real sweep, int layer, int n = 12)
{
    for (int k = 0; k <= n; ++k) {
        const Real a = a1 + sweep * k / n;
        out.push_back({cx + r * std::cos(a), cy + r * std::sin(a), layer});
    }
}

// The recorded geometry as points: line ends, arcs, circles and polyline
// bulges flattened; texts left out.
inline std::vector<Pt> Points(const std::vector<Call>& calls)
{
    std::vector<Pt> out;
    const Call* prev = nullptr; // the previous vertex of the open polyline
    for (const Call& c : calls) {
        const auto& v = c.v;
        if (c.op == "line") {
            out.push_back({v[0], v[1], c.layer});
            out.push_back({v[2], v[3], c.layer});
        } else if (c.op == "circle") {
            ArcPoints(out, v[0], v[1], v[2], 0, 2 * Pi, c.layer, 24);
        } else if (c.op == "arc") {
            Real a1 = DegToRad(v[2]), sweep;
            if (v.size() > 5) {
                sweep = DegToRad(v[5]);
            } else {
                sweep = DegToRad(v[3] - v[2]);
                while (sweep < 0)
                    sweep += 2 * Pi;
                while (sweep > 2 * Pi)
                    sweep -= 2 * Pi;
            }
            ArcPoints(out, v[0], v[1], v[4], a1, sweep, c.layer);
        } else if (c.op == "poly") {
            prev = nullptr;
        } else if (c.op == "vertex") {
            if (prev && prev->v[2] != 0) {
                Real cx, cy, a1, r, a2;
                const Real dphi = 4 * std::atan(prev->v[2]);
                if (graphics::GetArcCenterXY(cx, cy, a1, r, a2, prev->v[0], prev->v[1], v[0], v[1], dphi))
                    ArcPoints(out, cx, cy, r, a1, dphi, c.layer);
            }
            out.push_back({v[0], v[1], c.layer});
            prev = &c;
        }
    }
    return out;
}

inline bool AllFinite(const std::vector<Call>& calls)
{
    for (const Call& c : calls)
        for (Real x : c.v)
            if (!std::isfinite(x))
                return false;
    return true;
}

// True when the message list holds a text that begins with Start.
inline bool HasMessage(const std::string& Start)
{
    for (Word k = 1; k <= settings::MessageCount; ++k)
        if (settings::MessageTexts[k].rfind(Start, 0) == 0)
            return true;
    return false;
}

// The texts of the error boxes the headless interface was shown.
inline std::vector<std::string> ErrorTexts(const HeadlessUi& ui)
{
    std::vector<std::string> out;
    for (const std::string& l : ui.Log())
        if (l.rfind("error|", 0) == 0)
            out.push_back(l.substr(l.rfind('|') + 1));
    return out;
}

inline std::vector<Call> OpsOnLayer(const std::vector<Call>& calls, const std::string& op, int layer)
{
    std::vector<Call> out;
    for (const Call& c : calls)
        if (c.op == op && c.layer == layer)
            out.push_back(c);
    return out;
}

// The polylines, each as its vertices.
inline std::vector<std::vector<Call>> Polylines(const std::vector<Call>& calls)
{
    std::vector<std::vector<Call>> out;
    for (const Call& c : calls) {
        if (c.op == "poly")
            out.emplace_back();
        else if (c.op == "vertex" && !out.empty())
            out.back().push_back(c);
    }
    return out;
}

} // namespace kt4::drawtest
