// Start state of the drawing tests: every module the drawings use at its
// start values, the headless user interface, a scratch folder as TempDir
// and output folder, the two fixture projects, and a CAD device that
// records every call of a job instead of writing it.
#pragma once

#include "drawings_start.h"

#include "cad/cad_device.h"
#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "drawings/view_dispatcher.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "drive/projectfile.h"
#include "foundation/environment.h"
#include "foundation/private_temp.h"
#include "foundation/scratch_dir.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "graphics/graph_device.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kt4::drawtest {

// One call that reached the device. Points are world millimetres.
struct Call {
    std::string op;  // header, block, endblock, entities, endblocks, line, circle, arc,
                     // text, insert, poly, vertex, seqend, layer, style, cone
    std::vector<Real> v;
    std::string s;   // text, block or insert name
    bool cw = false; // circle drawn clockwise
    Real z1 = 0, z2 = 0;
    int layer = 0;
    std::string block; // the block being defined, "" in the entities
};

// Mode RecordMode records into Calls(); PassesLeft > 0 makes the entity
// pass repeat (as STEP does); OnLayer runs when a layer is set.
inline constexpr Word RecordMode = 20;
inline std::vector<Call>& Calls()
{
    static std::vector<Call> calls;
    return calls;
}
inline int PassesLeft = 0;
inline std::function<void(int)> OnLayer;

class RecordingDevice : public cad::TCadDevice {
public:
    void Header(Real x0, Real y0, Real x1, Real y1, Real h) override { Add("header", {x0, y0, x1, y1, h}); }
    void Block(const std::string& name) override
    {
        block_ = name;
        Add("block", {}, name);
    }
    void EndBlock() override
    {
        Add("endblock", {});
        block_.clear();
    }
    void EndBlocks() override { Add("endblocks", {}); }
    void Entities() override { Add("entities", {}); }
    bool PassDone() override { return PassesLeft-- <= 0; }
    void Line(Real x1, Real y1, Real x2, Real y2) override { Add("line", {x1, y1, x2, y2}); }
    void Circle(Real x, Real y, Real r, bool cw) override { Add("circle", {x, y, r}).cw = cw; }
    void Arc(Real x, Real y, Real a1, Real a2, Real r) override { Add("arc", {x, y, a1, a2, r}); }
    void ArcDir(Real x, Real y, Real a1, Real a2, Real r, Real sweep) override
    {
        Add("arc", {x, y, a1, a2, r, sweep});
    }
    void Text(Real x, Real y, const std::string& s) override { Add("text", {x, y}, s); }
    void Insert(const std::string& name, Real x, Real y, Real a, Real sx, Real sy) override
    {
        Add("insert", {x, y, a, sx, sy}, name);
    }
    void SetLayer(int n) override
    {
        Add("layer", {Real(n)});
        if (OnLayer)
            OnLayer(n);
    }
    void SetTextStyle(Integer font, Real angle, Real height, Real width) override
    {
        Add("style", {Real(font), angle, height, width});
    }
    bool NativePolylines() const override { return true; }
    void PolylineBegin(int closed) override { Add("poly", {Real(closed)}); }
    void Vertex(Real x, Real y, Real bulge) override { Add("vertex", {x, y, bulge}); }
    void PolylineEnd() override { Add("seqend", {}); }
    bool Cone(bool reversed, Real x, Real y, Real r1, Real r2) override
    {
        Add("cone", {Real(reversed), x, y, r1, r2});
        return true;
    }

private:
    Call& Add(const char* op, std::vector<Real> v, const std::string& s = "")
    {
        Call c;
        c.op = op;
        c.v = std::move(v);
        c.s = s;
        c.z1 = cad::CadZ1;
        c.z2 = cad::CadZ2;
        c.layer = cad::CadLayer;
        c.block = block_;
        Calls().push_back(c);
        return Calls().back();
    }
    std::string block_;
};

class DrawingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui = &StartDrawingModules();
        settings::ProductName = "KT4";
        settings::BaseName = "kt4";
        settings::DataFileExt = "kt4";
        settings::ProgramVersion = "1.1";
        settings::TempDir = dir.Path();
        settings::DataDir = dir.Path();
        settings::CurrentFileName = dir.File("part");
        environment::CommandLineParams = {"a", "b"}; // no written file is opened
        graphics::GraphDevice.Clear();
        cad::RegisterCadDevice(RecordMode, [] { return std::make_unique<RecordingDevice>(); });
        Calls().clear();
        PassesLeft = 0;
        OnLayer = nullptr;
        drive::CalcDrive();
    }
    void TearDown() override
    {
        OnLayer = nullptr;
        if (cad::CadJobRunning())
            cad::c_end();
        cad::CadBatchMode = false;
        RemovePrivateTempDir();
        environment::CommandLineParams.clear();
    }

    // A fixture project (tests/drawings/fixtures), read and calculated.
    static void LoadFixture(const std::string& name)
    {
        ASSERT_TRUE(project::ReadDataFile(FixturePath(name))) << name;
        drive::CalcDrive();
        ASSERT_FALSE(settings::CalcErrorFlag) << name;
    }
    static std::string FixturePath(const std::string& name)
    {
        return std::string(KT4_SOURCE_DIR) + "/tests/drawings/fixtures/" + name + ".kt4";
    }

    // The calls of one DrawView on the recording device.
    static const std::vector<Call>& Record(drawings::TViewNo view)
    {
        Calls().clear();
        drawings::DrawView(view, RecordMode);
        return Calls();
    }
    // The calls of the entity pass (the blocks left out).
    static std::vector<Call> Entities(const std::vector<Call>& calls)
    {
        std::vector<Call> out;
        bool in = false;
        for (const Call& c : calls) {
            if (c.op == "entities")
                in = true;
            else if (c.op == "endblocks")
                in = false;
            else if (in)
                out.push_back(c);
        }
        return out;
    }
    static std::vector<Call> Only(const std::vector<Call>& calls, const std::string& op)
    {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.op == op)
                out.push_back(c);
        return out;
    }
    static std::vector<std::string> Texts(const std::vector<Call>& calls)
    {
        std::vector<std::string> out;
        for (const Call& c : Only(calls, "text"))
            out.push_back(c.s);
        return out;
    }
    static bool Near(Real a, Real b, Real tol = 1E-6L) { return std::fabs(a - b) <= tol; }

    testing::ScratchDir dir;
    HeadlessUi* ui = nullptr;
};

} // namespace kt4::drawtest
