// Help > Demo: the guided tour. It starts a new design from fresh bearing
// slots and empty texts and documentation, loads the tour's example drive,
// and runs the main commands one after the other, each introduced by a
// step text of the tour script (foundation/tour.h) in a box with OK and
// Cancel.
// While it runs, DemoRunning is set, and the dialogs that test it close by
// themselves. Cancel anywhere asks "Demomodus beenden ?": Yes ends the
// tour, No goes on with the next step.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kt4::shell {

// The introduction; Cancel ends the tour (DemoRunning := False).
void TourStart();

// Shows the next step's text (Step counts up). A set AbortFlag before or
// after the text asks whether to end the tour; Yes clears DemoRunning and
// leaves AbortFlag set, so the caller stops.
void TourStep(int& Step);

// The tour. Unsaved input is asked about first; its Cancel changes
// nothing.
void RunGuidedTour();

// The main-menu items the tour runs, step by step.
const std::vector<std::vector<std::string>>& TourCommandItems();

// How the tour finds the command of an item (MenuCommand); an item
// without a command is skipped.
std::function<std::function<void()>(const std::string&)>& TourCommandLookup();

} // namespace kt4::shell
