// Program entry: every module gets its start values, then the command line
// decides. The batch modes (usage, printout, CAD file, usage errors) run
// without any window, on the headless user interface, and end with their
// exit code; every other start opens the main window and runs until it
// closes.
#include "dbase/runtime.h"
#include "foundation/environment.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "shell/command_line.h"
#include "shell/config_form_model.h"
#include "shell/identity.h"
#include "shell/modules.h"
#include "shell/project_files.h"
#include "shell/services.h"
#include "shell/startup.h"

#ifdef KT4_HAVE_GUI
#include "cad/gui/cad_forms_qt.h"
#include "cad/plot_link.h"
#include "drawings/gui/animation_form.h"
#include "drive/gui/docu_forms_qt.h"
#include "foundation/gui/qt_ui.h"
#include "graphics/gui/plot_picture.h"
#include "shell/gui/hh.h"

#include <QApplication>
#endif

#include <iostream>

namespace {

using namespace kt4;

int RunBatch()
{
    UseHeadlessUi().quiet = false; // messages to stderr, the usage to stdout
    shell::ReadStartFiles();
    shell::StartResult result = shell::StartUp(shell::ProductCode);
    return result.end ? result.exitCode : 0;
}

#ifdef KT4_HAVE_GUI
// Qt must not see an exception leave an event handler: whatever escapes
// one (a menu item, a form, a paint) is told here and the program goes on
// with its data.
class GuardedApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        bool handled = false;
        shell::RunGuarded([&] { handled = QApplication::notify(receiver, event); });
        return handled;
    }
};

int RunWindow(int argc, char** argv)
{
    GuardedApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromStdString(settings::ProductName));
    gui::QtUi& ui = gui::UseQtUi();
    ui.pictureHook = graphics::ShowPlotPictureWindow;
    InstallDocuForms();
    InstallCadForms();
    drawings::InstallAnimationForm();
    shell::configform::FormHooks().plotLineForm = cad::PlotFormHook;
    auto* window = new shell::gui::Thh;
    // The start runs outside the event loop: its faults are told here,
    // while the window system is still there.
    shell::StartResult result{true, 1};
    shell::RunGuarded([&] { result = window->FormCreate(); });
    int code = result.exitCode;
    if (!result.end) {
        window->show();
        code = app.exec();
    }
    shell::RunGuarded([&] { delete window; }); // writes the session file
    return code;
}
#endif

} // namespace

int main(int argc, char** argv)
{
    int code = 1;
    // A fault that escapes everything else ends the run with its text told
    // and, with unsaved changes, the offer to save them.
    try {
        shell::InitModules();
        SetCommandLine(argc, argv);
        shell::SetProgramIdentity();
        shell::CommandLine cmd =
            shell::ParseCommandLine(environment::CommandLineParams, shell::CadOutputAvailable());
        if (shell::RunsWithoutWindow(cmd)) {
            code = RunBatch();
        } else {
#ifdef KT4_HAVE_GUI
            code = RunWindow(argc, argv);
#else
            std::cerr << "wkt4 was built without windows; only the batch modes work\n";
#endif
        }
    } catch (const std::exception& e) {
        UseHeadlessUi().quiet = false; // no window is left to show it
        shell::HandleUnexpectedError(e.what());
    }
    shell::RunGuarded([] { dbase::ShutdownEngine(); });
    return code;
}
