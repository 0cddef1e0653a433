// Services of modules that the shell calls but that come later: the view
// dispatcher of the drawings. Until a module fills its entry, the call
// does nothing (RedrawCurrentView leaves the window as it is), and
// CadOutputAvailable() tells the command line that no CAD file can be
// written.
#pragma once

#include <functional>

namespace kt4::shell {

struct LaterServices {
    std::function<void()> redrawCurrentView; // the current view on the screen
    std::function<void(int view, int device)> drawCadView; // a view on a CAD device
};
LaterServices& Services();

void RedrawCurrentView();
bool CadOutputAvailable();
// True when "/CADi" can write device i: a file device (1, 2, 4, 5, 6, 7)
// whose writer the CAD layer has.
bool CadOutputAvailable(int device);

} // namespace kt4::shell
