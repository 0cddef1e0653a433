// Start state of the shell tests: every module at its start values, the
// program identity, a quiet headless user interface that records what it
// was asked, and a scratch folder as the configuration, start, data and
// temporary folder. XDG_CONFIG_HOME points into the scratch folder, so no
// configuration of the machine is found.
#pragma once

#include "foundation/scratch_dir.h"
#include "foundation/ui_headless.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kt4::shelltest {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Every module at its start values again (the scratch folders stay).
    void FreshStart();
    // Entries of the UI log that begin with Kind ("error", "yesnocancel").
    std::vector<std::string> Logged(const std::string& Kind) const;
    // The lines of a file, split at CR LF.
    static std::vector<std::string> Lines(const std::string& Bytes);
    // A project file of the default drive written by the program.
    std::string WriteDefaultProject(const std::string& Name);

    kt4::testing::ScratchDir dir;
    HeadlessUi* ui = nullptr;

private:
    std::string oldXdg_;
    bool hadXdg_ = false;
};

} // namespace kt4::shelltest
