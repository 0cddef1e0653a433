// Start state of the project-file, documentation and sibling-file tests:
// the program identity, a fixed date, the drive, bearing, documentation and
// sibling-program data at their start values, a headless user interface
// that records what it was asked, and a scratch folder as DataDir.
#pragma once

#include "foundation/scratch_dir.h"
#include "foundation/ui_headless.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kt4::projtest {

// A headless user interface that keeps the argument vectors of started
// programs and opened documents and can make them fail.
class RecordingUi : public HeadlessUi {
public:
    bool OpenDocument(const std::string& path) override;
    bool StartProgram(const std::string& program, const std::vector<std::string>& args) override;

    std::vector<std::vector<std::string>> started; // program, then its arguments
    std::vector<std::string> opened;
    bool fail = false;
};

class ProjectTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The default drive after the calculation.
    void ScenarioA();
    // The lines of a file (without their CR LF); the file must end in CR LF.
    static std::vector<std::string> FileLines(const std::string& bytes);
    // Entries of the UI log that begin with Kind ("error", "start", ...).
    std::vector<std::string> Logged(const std::string& Kind) const;
    static std::string Golden(const std::string& Name);
    // Compares with the golden file; KT4_UPDATE_GOLDEN=1 writes it instead.
    static void ExpectGolden(const std::string& Bytes, const std::string& Name);

    kt4::testing::ScratchDir dir;
    RecordingUi* ui = nullptr;
};

} // namespace kt4::projtest
