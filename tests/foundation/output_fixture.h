// Start state for the tests of dialogs, help, explanations and reports:
// every module initialised, the program identity of KT4, a scratch folder
// as TempDir, a fixed clock and the headless UI (quiet).
#pragma once

#include "foundation/captions.h"
#include "foundation/datetime.h"
#include "foundation/dialogs.h"
#include "foundation/helptext.h"
#include "foundation/linefile.h"
#include "foundation/printer_settings.h"
#include "foundation/private_temp.h"
#include "foundation/report.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"

#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kt4::testing {

inline void InitOutputModules()
{
    settings::InitSettings();
    captions::InitCaptions();
    printer::InitPrinterSettings();
    dialogs::InitDialogs();
    help::InitHelp();
    settings::ProductName = "KT4";
    settings::BaseName = "kt4";
    settings::DataFileExt = "kt4";
    settings::ProgramVersion = "1.1";
    settings::ProgramTitle = "Exzentergetriebe  KT4";
    report::InitReport();
}

class OutputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitOutputModules();
        ui = &UseHeadlessUi();
        settings::TempDir = dir.Path();
        settings::DataDir = dir.Path();
        SetFixedClock({2002, 3, 5, 9, 5, 0, 0});
    }
    void TearDown() override
    {
        ReportFile.Discard();
        UseSystemClock();
        RemovePrivateTempDir();
    }

    // A file of the process's private temporary folder (report copies).
    std::string TempFile(const std::string& name) const { return PrivateTempDir() + name; }
    std::string TempGet(const std::string& name) const { return ReadFileBytes(TempFile(name)); }

    // The log entries of one kind ("error", "text", ...).
    std::vector<std::string> Logged(const std::string& kind) const { return ui->Logged(kind); }

    ScratchDir dir;
    HeadlessUi* ui = nullptr;
};

// The lines of a file (CR LF or LF ends).
inline std::vector<std::string> FileLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        char c = bytes[k];
        if (c == '\r' && k + 1 < bytes.size() && bytes[k + 1] == '\n')
            continue;
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

} // namespace kt4::testing
