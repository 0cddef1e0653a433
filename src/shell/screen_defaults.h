// Settings that follow from the screen: the main window's size, the text
// window rectangle and the scaling of dialogs. The window layer tells the
// screen's metrics (SetScreenMetrics); without windows the defaults of a
// 1024 x 768 screen at 96 pixels per inch hold.
#pragma once

#include <functional>

namespace kt4::shell {

struct ScreenMetrics {
    int width = 1024;      // usable screen area, pixels
    int height = 768;
    int ppi = 96;          // logical pixels per inch
    int windowHeight = 0;  // the main window with its frame and menu (0: none yet)
    int clientHeight = 0;  // its drawing area
    // What the main window adds around its drawing area: frame, title bar
    // and menu bar.
    int frameWidth = 0;
    int frameHeight = 0;
};

void SetScreenMetrics(const ScreenMetrics& m);
const ScreenMetrics& Screen();

// Called when a setting changes the size of the main window's drawing
// area (ScreenResX + 1 by ScreenResY + 1); the window layer sets it.
void SetClientResizeHook(std::function<void()> hook);
const std::function<void()>& ClientResizeHook();

// ScreenResX := screen width - 9 and ScreenResY := screen height - 91
// where they are 0 or 65535.
void DefaultScreenResolution();
// The text window: left 20, top 40, the width of 70 characters of the
// printer font (at most the screen width), 95 % of the screen height - 40.
void DefaultTextWindowRect();
// By ScreenSizeCode: 2 the whole screen, 1 the largest 4:3 area, 0 the
// resolution as configured; then the dialog scale by DialogWindowSizeCode.
// "The screen" is the usable area less the window's frame and menu bar,
// and the drawing area (ScreenResX + 1 by ScreenResY + 1) takes it, so
// the whole window fits on the screen.
void ApplyScreenDefaults();

} // namespace kt4::shell
