// A headless user interface whose desktop opener fails: what a test sees
// when no program opens a written file. UseNoOpener installs it and
// returns it (owned by the UI service).
#pragma once

#include "foundation/ui_headless.h"

#include <memory>
#include <string>

namespace kt4::testing {

class NoOpener : public HeadlessUi {
public:
    bool OpenDocument(const std::string& path) override
    {
        HeadlessUi::OpenDocument(path);
        return false;
    }
};

inline NoOpener* UseNoOpener()
{
    auto owned = std::make_unique<NoOpener>();
    NoOpener* ui = owned.get();
    ui->quiet = true;
    SetUi(std::move(owned));
    return ui;
}

} // namespace kt4::testing
