// Start state of the CAD tests: every setting at its start value, the
// headless user interface, a scratch folder as TempDir and as the folder
// of the output files, and helpers that run a job and read what it wrote.
#pragma once

#include "cad/block_reader.h"
#include "cad/cad_device.h"
#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "cad/plot_link.h"
#include "foundation/codepage.h"
#include "foundation/datetime.h"
#include "foundation/environment.h"
#include "foundation/printer_settings.h"
#include "foundation/private_temp.h"
#include "foundation/scratch_dir.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "graphics/graph_device.h"
#include "graphics/graph_settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace kt4::cadtest {

class CadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings::InitSettings();
        graphics::InitGraphSettings();
        printer::InitPrinterSettings();
        cad::InitCadSettings();
        ui = &UseHeadlessUi();
        settings::TempDir = dir.Path();
        settings::CurrentFileName = dir.File("part");
        settings::ProductName = "KT4";
        settings::ProgramVersion = "1.1";
        environment::CommandLineParams = {"a", "b"}; // no file is opened
        graphics::GraphDevice.Clear();
    }
    void TearDown() override
    {
        if (cad::CadJobRunning())
            cad::c_end();
        RemovePrivateTempDir();
        environment::CommandLineParams.clear();
    }

    // The file written by a job of mode on dir/part.<ext>.
    std::string Path(const std::string& ext) const { return dir.File("part." + ext); }
    // The drawing of the last plot job (in the private folder).
    static std::string PlotFile() { return kt4::testing::ReadFileBytes(cad::PlotFileName()); }

    // A whole job on mode with the default page: entities drawn in the
    // entity pass; blocks (when given) in the blocks section.
    void Job(Word mode, const std::function<void()>& entities,
             const std::function<void()>& blocks = {})
    {
        cad::CadBatchMode = true;
        settings::CurrentFileName = dir.File("part");
        cad::c_begin(mode);
        ASSERT_FALSE(settings::AbortFlag) << "c_begin";
        cad::c_setlayer(0);
        cad::c_header_default();
        cad::c_tables(2);
        cad::c_blocks();
        if (blocks)
            blocks();
        cad::c_endblocks();
        cad::c_entities();
        entities();
        cad::c_endblocks();
        cad::c_end();
        cad::CadBatchMode = false;
    }

    // The value lines of a DXF text after its ENTITIES marker, as
    // "code value" items; the section frame and EOF left out.
    static std::vector<std::string> DxfEntities(const std::string& dxf)
    {
        std::vector<std::string> lines = Lines(dxf);
        std::vector<std::string> out;
        std::size_t k = 0;
        while (k + 1 < lines.size() && !(lines[k] == "  2" && lines[k + 1] == "ENTITIES"))
            ++k;
        for (k += 2; k + 1 < lines.size(); k += 2) {
            if (lines[k] == "  0" && (lines[k + 1] == "ENDSEC" || lines[k + 1] == "EOF"))
                break;
            std::string code = lines[k];
            code.erase(0, code.find_first_not_of(' '));
            out.push_back(code + " " + lines[k + 1]);
        }
        return out;
    }

    static std::vector<std::string> Lines(const std::string& text)
    {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string l; std::getline(in, l);) {
            if (!l.empty() && l.back() == '\r')
                l.pop_back();
            lines.push_back(l);
        }
        return lines;
    }

    // The display list of the window without screen.
    static std::vector<std::string> Records()
    {
        const auto& list = graphics::ActiveGraphWindow().DisplayList();
        return {list.begin(), list.end()};
    }
    static std::vector<std::string> RecordsOf(int op)
    {
        std::vector<std::string> out;
        std::string prefix = std::to_string(op) + ";";
        for (const auto& r : Records())
            if (r.rfind(prefix, 0) == 0)
                out.push_back(r);
        return out;
    }

    // The block file of a block of the running job ("" when there is none).
    static std::string ReadBlock(const std::string& name)
    {
        std::ifstream in(cad::FindBlockFile(name), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::vector<std::string> Logged(const std::string& kind) const
    {
        std::vector<std::string> out;
        for (const auto& e : ui->Log())
            if (e.rfind(kind + "|", 0) == 0)
                out.push_back(e);
        return out;
    }

    testing::ScratchDir dir;
    HeadlessUi* ui = nullptr;
};

// The tests of the writers whose goldens hold the time they were written.
class GoldenClockTest : public CadTest {
protected:
    void SetUp() override
    {
        CadTest::SetUp();
        SetFixedClock({2026, 3, 14, 9, 26, 53, 0});
    }
    void TearDown() override
    {
        UseSystemClock();
        CadTest::TearDown();
    }
};

} // namespace kt4::cadtest
