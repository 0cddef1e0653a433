// Start state shared by the graphics tests.
#pragma once

#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "graphics/graph_settings.h"
#include "graphics/hpgl.h"
#include "graphics/recording_canvas.h"
#include "graphics/replay.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class GraphicsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        kt4::settings::InitSettings();
        kt4::graphics::InitGraphSettings();
        kt4::graphics::InitHpgl();
        ui = &kt4::UseHeadlessUi();
        ui->quiet = true;
    }
    kt4::HeadlessUi* ui = nullptr;
};

// The figures a full replay of w draws, in window pixels.
inline std::vector<std::string> Figures(kt4::graphics::TGraphWindow& w)
{
    kt4::graphics::RecordingCanvas c;
    kt4::graphics::DisplayReplay(w, c).RunAll();
    return c.Figures();
}

// Everything a full replay does, colours and styles included.
inline std::vector<std::string> ReplayLog(kt4::graphics::TGraphWindow& w)
{
    kt4::graphics::RecordingCanvas c;
    kt4::graphics::DisplayReplay(w, c).RunAll();
    return c.Log;
}
