// What the shell's core asks of the main window. The Qt main window
// (gui/hh.h) installs itself; without one (batch runs, tests) the calls do
// nothing, so the core runs the same steps with or without a screen.
#pragma once

#include <string>

namespace kt4::shell {

class WindowLink {
public:
    virtual ~WindowLink() = default;
    // The window caption (display text).
    virtual void SetCaption(const std::string& Title) { (void)Title; }
    // The recent-file items of the File menu from RecentFiles.
    virtual void RefreshRecentFileItems() {}
    // The error-messages item: caption with the message count, enabled
    // only when there are messages; then the current view is drawn again
    // when Redraw is set.
    virtual void UpdateErrorMessagesItem(bool Redraw) { (void)Redraw; }
    // Every menu caption from the caption variables.
    virtual void SetMenuCaptions() {}
    // Size and colour of the window from the configuration.
    virtual void SetupMainForm() {}
    // "Start Excel" succeeded: the spreadsheet export item is offered.
    virtual void EnableSpreadsheetItems() {}
};

// The installed window, or one that does nothing.
WindowLink& Window();
// Installs Link (nullptr: none). The window removes itself when it goes.
void SetWindowLink(WindowLink* Link);

// UpdateWindowCaption: the caption MakeWindowTitle builds, and the
// recent-file items.
void UpdateWindowCaption();

} // namespace kt4::shell
