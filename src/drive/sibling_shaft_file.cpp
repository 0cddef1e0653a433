#include "drive/doclinks.h"
#include "drive/docu_data.h"
#include "drive/docu_sections.h"
#include "drive/project_layout.h"
#include "drive/sibling_shaft.h"
#include "foundation/linefile.h"

namespace kt4::shaft {

namespace {

using bearings::BearingSlots;

void Real1(Real X) { WriteReportReal(X); }
void Int1(std::int64_t N) { WriteReportInt(N); }
void Text1(const std::string& S) { WriteReportLine(S); }
// A character line: one raw byte (0 or 1 here) and the line end.
void Byte1(char C) { ReportFile.WriteLine(std::string(1, C)); }

std::size_t Rows(Integer count) { return count > 0 ? static_cast<std::size_t>(count) : 0; }

void Heading(const char* title, const char* rule)
{
    Text1(title);
    Text1(rule);
}

void SectionsAndLoads(const TShaftData& d)
{
    Heading("Shaft", "-----");
    Int1(d.sectionCount);
    for (std::size_t k = 0; k < Rows(d.sectionCount); ++k) {
        const ShaftSection& s = d.sections.at(k);
        Real1(s.start);
        Real1(s.outerLeft);
        Real1(s.innerLeft);
        Real1(0);
        Real1(s.radius);
    }
    Text1("Length");
    Real1(d.totalLength);
    Heading("Radial Forces", "-------------");
    Int1(d.radialForceCount);
    for (std::size_t k = 0; k < Rows(d.radialForceCount); ++k) {
        const RadialForce& f = d.radialForces.at(k);
        Real1(f.force);
        Real1(f.position);
        Real1(f.angle);
    }
    Heading("Path Load", "---------");
    Int1(d.pathLoadCount);
    for (std::size_t k = 0; k < Rows(d.pathLoadCount); ++k)
        for (Real v : d.pathLoads.at(k).values)
            Real1(v);
    Heading("Bending Moment", "--------------");
    Int1(d.bendingMomentCount);
    for (std::size_t k = 0; k < Rows(d.bendingMomentCount); ++k)
        for (Real v : d.bendingMoments.at(k).values)
            Real1(v);
    Heading("Torque", "------");
    Int1(d.torqueCount);
    for (std::size_t k = 0; k < Rows(d.torqueCount); ++k) {
        Real1(d.torques.at(k).torque);
        Real1(d.torques.at(k).position);
    }
    Heading("Axial Load", "----------");
    Int1(d.axialLoadCount);
    for (std::size_t k = 0; k < Rows(d.axialLoadCount); ++k)
        for (Real v : d.axialLoads.at(k).values)
            Real1(v);
    Heading("Bearings", "--------");
    Int1(d.bearingCount);
    Real1(d.bearingPos1);
    Real1(d.bearingPos2);
    Real1(d.bearingExtra);
}

void Material(const TShaftData& d)
{
    Heading("Material", "--------");
    Text1(d.materialName);
    Real1(d.elasticModulus);
    Real1(d.materialValue1);
    Real1(d.materialValue2);
    Text1("-----");
    Real1(0);
    for (int k = 0; k < 4; ++k)
        Text1("-----");
    Real1(0);
    Real1(15);
    Int1(1);
    Int1(d.tableBCount);
    for (std::size_t k = 0; k < Rows(d.tableBCount); ++k) {
        const TableBRow& r = d.tableB.at(k);
        for (Real v : r.first)
            Real1(v);
        Int1(r.code1);
        for (Real v : r.second)
            Real1(v);
    }
    for (std::size_t k = 0; k < Rows(d.tableBCount); ++k)
        Int1(d.tableB.at(k).code2);
    Real1(d.shearModulus);
    Int1(d.tableACount);
    for (std::size_t k = 0; k < Rows(d.tableACount); ++k)
        for (Real v : d.tableA.at(k).values)
            Real1(v);
    for (std::size_t k = 0; k < Rows(d.tableACount); ++k)
        Real1(d.tableA.at(k).extra);
    Heading("Kerbzonen", "---------");
    Int1(d.notchZoneCount);
    for (std::size_t k = 0; k < Rows(d.notchZoneCount); ++k)
        for (Real v : d.notchZones.at(k).values)
            Real1(v);
    Heading("Faktoren", "--------");
    Int1(3);
    Real1(1);
    Text1("0");
}

void BearingsAndProject(const TShaftData& d)
{
    Int1(BearingSlots[1].Opt1);
    project::WriteBearingMain(d.records[1], 1);
    project::WriteBearingMain(d.records[2], 2);
    Real1(d.density);
    Text1(docu::ZeichName);
    Text1(docu::ZeichNr);
    Int1(BearingSlots[1].Clearance);
    Int1(BearingSlots[2].Clearance);
    Int1(BearingSlots[1].Opt1);
    for (Real v : {0, 10, 0, 10})
        Real1(v);
    Int1(1);
    for (std::size_t k = 0; k < Rows(d.sectionCount); ++k)
        Real1(d.sections.at(k).outerRight);
    Int1(d.mode);
    Int1(0);
    Byte1(0);
    Byte1(0);
    Real1(0);
    project::WriteBearingMain(d.records[3], 3);
    Int1(BearingSlots[3].Clearance);
    Byte1(0);
    Byte1(0);
    for (Word k = 1; k <= 3; ++k)
        Int1(BearingSlots[k].LifeMethod);
}

void Texts(const TShaftData& d)
{
    for (std::size_t k = 0; k < Rows(d.radialForceCount); ++k)
        Text1(d.radialForces.at(k).text);
    for (std::size_t k = 0; k < Rows(d.pathLoadCount); ++k)
        Text1(d.pathLoads.at(k).text);
    for (std::size_t k = 0; k < Rows(d.bendingMomentCount); ++k)
        Text1(d.bendingMoments.at(k).text);
    for (std::size_t k = 0; k < Rows(d.torqueCount); ++k)
        Text1(d.torques.at(k).text);
    for (std::size_t k = 0; k < Rows(d.axialLoadCount); ++k)
        Text1(d.axialLoads.at(k).text);
    for (std::size_t k = 0; k < Rows(d.notchZoneCount); ++k)
        Text1(d.notchZones.at(k).text);
    for (std::size_t k = 0; k < Rows(d.tableACount); ++k)
        Text1(d.tableA.at(k).text);
}

void RemainingBearings(const TShaftData& d)
{
    Real1(0);
    project::WriteBearingMain(d.records[4], 4);
    Real1(0);
    project::WriteBearingMain(d.records[5], 5);
    Int1(BearingSlots[4].LifeMethod);
    Int1(BearingSlots[5].LifeMethod);
    Real1(0.001L);
    Int1(1000);
    Int1(1);
    Byte1(0);
    Int1(3);
    Int1(1);
    Byte1(1);
    Byte1(0);
    Byte1(0);
    Int1(2);
    Byte1(1);
    Real1(0.15L);
    Byte1(0);
    for (int k = 0; k < 5; ++k)
        Real1(50000);
    Byte1(0);
}

void Tail(const TShaftData& d)
{
    docu::WriteChangesSection();
    docu::WriteDokumenteSection();
    Text1(docu::ZeichName2);
    Int1(4);
    WriteReportBool(false);
    for (Real v : {3.5L, 5.0L, 10.0L, 1.0L})
        Real1(v);
    Real1(0);
    Int1(0);
    Text1(d.tailText);
    for (std::size_t k = 0; k < Rows(d.sectionCount); ++k)
        Real1(d.sections.at(k).innerRight);
    for (Word k = 1; k <= BearingSlotCount; ++k)
        project::WriteBearingLife(k);
    Int1(3);
    Int1(0);
    docu::WriteIso7200Section();
    for (Word k = 1; k <= BearingSlotCount; ++k)
        WriteReportBool(BearingSlots[k].EP);
    Int1(0);
    for (Word k = 1; k <= BearingSlotCount; ++k)
        project::WriteBearingElements(k);
    for (Real v : {-1, 0, 0})
        Real1(v);
}

} // namespace

void WriteShaftBody()
{
    const TShaftData& d = ShaftData;
    WriteFileHeader();
    SectionsAndLoads(d);
    Material(d);
    BearingsAndProject(d);
    Texts(d);
    RemainingBearings(d);
    Tail(d);
}

} // namespace kt4::shaft
