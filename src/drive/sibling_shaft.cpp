#include "drive/sibling_shaft.h"

#include "drive/sibling_files.h"
#include "drive/drive_data.h"

namespace kt4::shaft {

TShaftData ShaftData;

namespace {

using bearings::BearingSlots;

void AddSection(Real start, Real outer, Real inner, Real radius)
{
    auto& d = ShaftData;
    d.sections.at(static_cast<std::size_t>(d.sectionCount++)) = {start, outer, outer, inner, inner, radius};
}

void AddForce(Real force, Real position, Real angle)
{
    auto& d = ShaftData;
    auto& f = d.radialForces.at(static_cast<std::size_t>(d.radialForceCount++));
    f.force = force;
    f.position = position;
    f.angle = angle;
}

void AddTorque(Real torque, Real position)
{
    auto& d = ShaftData;
    auto& t = d.torques.at(static_cast<std::size_t>(d.torqueCount++));
    t.torque = torque;
    t.position = position;
}

Real Width(Word slot) { return BearingSlots[slot].B; }
Real Corner(Word slot) { return BearingSlots[slot].rmin; }
Real Bore(Word slot) { return BearingSlots[slot].d; }

void InputShaftValues()
{
    using namespace drive;
    auto& d = ShaftData;
    Real s2 = L1 + bLg1;
    Real s3 = s2 + Width(2);
    AddSection(0, d1, 0, Corner(2) / 2);
    AddSection(s2, Bore(2), 0, Corner(3) / 2);
    AddSection(s3, Bore(3), 0, 0);
    d.totalLength = s3 + Width(3);
    AddForce(FrShaft[1], L1 / 2, 0);
    AddForce(FrLager[2], s2 + Width(2) / 2, 180);
    AddTorque(T[1] * 1000, L1 / 2);
    AddTorque(-T[1] * 1000, s2 + Width(2));
    d.bearingCount = 2;
    d.bearingPos1 = L1 + bLg1 / 2;
    d.bearingPos2 = s3 + Width(3) / 2;
    d.records[2] = BearingSlots[3];
}

void OutputShaftValues()
{
    using namespace drive;
    auto& d = ShaftData;
    Real r = Corner(4) / 2;
    AddSection(0, des, deLg3, r);
    AddSection(bLg3, des, diShaft2, r);
    AddSection(bs, d2 + 0.2L * bLg45, diShaft2, r);
    AddSection(bs + cax, d2, diShaft2, r);
    d.totalLength = bs + cax + bLg45 + L2;
    AddForce(FrShaft[2], d.totalLength - L2 / 2, 0);
    AddForce(FrLager[3], bLg3, 0);
    AddForce(FtGear, 0, 90);
    AddForce(FrGear, 0, 0);
    AddTorque(T[2] * 1000, 0);
    AddTorque(-T[2] * 1000, d.totalLength - 0.2L * L2);
    d.bearingCount = 2;
    d.bearingPos1 = bs + cax + Width(4) / 2;
    d.bearingPos2 = bs + cax + bLg45 - Width(5) / 2;
    d.records[1] = BearingSlots[4];
    d.records[2] = BearingSlots[5];
}

void PinValues()
{
    using namespace drive;
    auto& d = ShaftData;
    AddSection(0, dz, 0, 0.1L);
    d.totalLength = bP + cax;
    auto& load = d.pathLoads.at(static_cast<std::size_t>(d.pathLoadCount++));
    load.values = {d.totalLength != 0 ? FtBolt / d.totalLength : 0, 0, d.totalLength, 90};
    d.bearingCount = 1;
    d.bearingExtra = 0;
}

} // namespace

void AllocShaftData() { ResetShaftData(); }

void ResetShaftData()
{
    TShaftData fresh;
    fresh.sections.assign(MaxSections, {});
    fresh.radialForces.assign(MaxRadialForces, {});
    fresh.pathLoads.assign(MaxPathLoads, {});
    fresh.bendingMoments.assign(MaxBendingMoments, {});
    fresh.torques.assign(MaxTorques, {});
    fresh.axialLoads.assign(MaxAxialLoads, {});
    fresh.notchZones.assign(MaxNotchZones, {});
    fresh.tableA.assign(MaxTableA, {});
    fresh.tableB.assign(MaxTableB, {});
    fresh.records = BearingSlots;
    ShaftData = std::move(fresh);
}

void SetShaftExportValues(Word Shaft)
{
    ResetShaftData();
    ShaftData.mode = 3;
    switch (Shaft) {
    case InputShaft:
        InputShaftValues();
        break;
    case OutputShaft:
        OutputShaftValues();
        break;
    case Pin:
        PinValues();
        break;
    default:
        break;
    }
}

std::string WriteShaftFile(const std::string& Name)
{
    std::string path = siblings::ExportFileName(Name, "bx1");
    if (path.empty() || !siblings::WriteExportFile(path, WriteShaftBody))
        return "";
    return path;
}

void ExportShaftToSibling(Word Shaft)
{
    if (siblings::RefusedDesign())
        return;
    SetShaftExportValues(Shaft);
    std::string path = WriteShaftFile("");
    if (!path.empty())
        siblings::LaunchExportFile(path);
}

void ExportShaftToSibling(Word /*Unused*/, Word Shaft) { ExportShaftToSibling(Shaft); }

} // namespace kt4::shaft
