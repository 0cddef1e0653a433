// Start state of the print layout tests: the settings, the table engine
// with its access layer, a quiet headless user interface, and a scratch
// folder with a layout table (dbf/), a working folder (work/) and the
// temporary folder (tmp/).
#pragma once

#include "dbase/access/table_access.h"
#include "dbase/dbase.h"
#include "drive/table_layer.h"
#include "foundation/printer_settings.h"
#include "foundation/private_temp.h"
#include "foundation/scratch_dir.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "graphics/graph_settings.h"
#include "graphics/print_layouts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kt4::graphics::test {

// Two layouts of the program's own kind.
inline std::vector<PrintLayoutRow> SampleLayouts()
{
    PrintLayoutRow a{"Quer ganz", 1.0, 1.0, 0, 0, true, false, true, true};
    PrintLayoutRow b{"Hoch Heftrand", 0.9, 0.8, 20, -7, false, true, false, true};
    return {a, b};
}

class LayoutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings::InitSettings();
        printer::InitPrinterSettings();
        InitGraphSettings();
        drivetest::StartTableLayer();
        ui = &UseHeadlessUi();
        ui->quiet = true;
        for (const char* d : {"dbf", "work", "tmp"})
            std::filesystem::create_directories(dir.File(d));
        settings::DbfDir = dir.File("dbf") + "/";
        settings::WorkingDir = dir.File("work");
        settings::TempDir = dir.File("tmp") + "/";
        settings::DbfUseTemp = false;
        settings::DbfWriteChecked = false;
        settings::ShowErrorBoxes = true;
        std::string error;
        ASSERT_TRUE(WritePrintLayoutTable(SampleLayouts(), Table(), error)) << error;
    }
    void TearDown() override
    {
        dbase::DbfClose();
        RemovePrivateTempDir();
        UseHeadlessUi();
    }

    std::string Table() const { return dir.File("dbf/printout.dbf"); }
    std::string OwnTable() const { return dir.File("work/printout.dbf"); }

    // Entries of the UI log that begin with kind ("error").
    std::vector<std::string> Logged(const std::string& kind) const { return ui->Logged(kind); }
    bool Told(const std::string& text) const
    {
        for (const auto& e : ui->Log())
            if (e.find(text) != std::string::npos)
                return true;
        return false;
    }

    kt4::testing::ScratchDir dir;
    HeadlessUi* ui = nullptr;
};

} // namespace kt4::graphics::test
