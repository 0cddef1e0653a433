// The fixture of the BearingSelection suite: the drive at its start values
// and the table access layer with no window over the built catalogues.
#pragma once

#include "catalogue_support.h"
#include "drive_fixture.h"

#include "foundation/ui_headless.h"

#include <algorithm>
#include <initializer_list>
#include <memory>

namespace kt4::drivetest {

class BearingSelection : public DriveTest {
protected:
    void SetUp() override
    {
        DriveTest::SetUp();
        ui = &UseHeadlessUi();
        ui->quiet = true;
        access = std::make_unique<CatalogueAccess>();
    }
    void TearDown() override { access.reset(); }

    void Script(std::initializer_list<const char*> answers)
    {
        ui->ClearScript();
        for (const char* a : answers)
            ui->Script(a);
    }
    bool ErrorShown(const std::string& part) const
    {
        return std::any_of(ui->Log().begin(), ui->Log().end(), [&](const std::string& e) {
            return e.rfind("error|", 0) == 0 && e.find(part) != std::string::npos;
        });
    }
    static WaelzLagerTyp& Slot(Word k) { return bearings::BearingSlots[k]; }

    HeadlessUi* ui = nullptr;
    std::unique_ptr<CatalogueAccess> access;
};

} // namespace kt4::drivetest
