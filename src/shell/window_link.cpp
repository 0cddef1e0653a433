#include "shell/window_link.h"

#include "foundation/dialogs.h"

namespace kt4::shell {

namespace {
WindowLink noWindow;
WindowLink* current = nullptr;
} // namespace

WindowLink& Window() { return current ? *current : noWindow; }
void SetWindowLink(WindowLink* Link) { current = Link; }

void UpdateWindowCaption()
{
    std::string title;
    MakeWindowTitle(title);
    Window().SetCaption(title);
    Window().RefreshRecentFileItems();
}

} // namespace kt4::shell
