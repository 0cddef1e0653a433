// Program entry: every module gets its start values, then the command line
// decides. The batch modes (usage, printout, CAD file, usage errors) run
// without any window, on the headless user interface, and end with their
// exit code; every other start opens the main window and runs until it
// closes.
//
// This entry is built twice: as wkt4-gui with the windows (KT4_HAVE_GUI)
// and as the command wkt4 without them, so that a batch run loads no
// window toolkit at all. For the window the command replaces itself with
// wkt4-gui from its own folder (KT4_WINDOW_PROGRAM), on the same arguments
// and environment, which then starts over as above.
//
// SIGTERM, SIGINT and SIGHUP end a batch run at once, with its private
// folder removed and exit code 1; the window ends as when the user closes
// it, without questions, and writes its session file.
#include "dbase/engine/runtime.h"
#include "foundation/environment.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "shell/command_line.h"
#include "shell/exit_cleanup.h"
#include "shell/identity.h"
#include "shell/modules.h"
#include "shell/project_files.h"
#include "shell/services.h"
#include "shell/startup.h"

#ifdef KT4_HAVE_GUI
#include "cad/gui/cad_forms_qt.h"
#include "cad/plot_link.h"
#include "dbase/gui/tzmsg.h"
#include "drawings/gui/animation_form.h"
#include "drive/gui/docu_forms_qt.h"
#include "drive/gui/drive_forms_qt.h"
#include "foundation/gui/qt_ui.h"
#include "graphics/gui/plot_picture.h"
#include "graphics/gui/printconf_form.h"
#include "shell/config_form_model.h"
#include "shell/gui/hh.h"
#include "shell/menu_commands.h"

#include <QApplication>
#endif

#include <iostream>
#include <new>
#include <unistd.h>

#ifdef KT4_WINDOW_PROGRAM
#include "foundation/private_temp.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>
#endif

namespace {

using namespace kt4;

int RunBatch()
{
    UseHeadlessUi().quiet = false; // messages to stderr, the usage to stdout
    shell::ReadStartFiles();
    shell::StartResult result = shell::StartUp(shell::ProductCode);
    const int code = result.end ? result.exitCode : 0;
    // a run that told an error never ends as if all went well
    return code == 0 && !UseHeadlessUi().Logged("error").empty() ? 1 : code;
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

// A signal closes the window from its event loop, open dialogs first.
void PostEndBySignal()
{
    QMetaObject::invokeMethod(qApp, [] {
        if (shell::gui::MainForm)
            shell::gui::MainForm->EndBySignal();
    }, Qt::QueuedConnection);
}

int RunWindow(int argc, char** argv)
{
    // A signal is still only noted (main set that): the start ends after it.
    GuardedApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromStdString(settings::ProductName));
    gui::QtUi& ui = gui::UseQtUi();
    ui.pictureHook = graphics::ShowPlotPictureWindow;
    ui.progressHook = dbase::gui::ShowProgress100;
    ui.progressEndHook = dbase::gui::EndProgress100;
    // The Qt forms of the subsystems: every form hook is installed here.
    InstallDocuForms();
    InstallDriveForms(shell::FormServices());
    InstallCadForms();
    drawings::InstallAnimationForm();
    shell::configform::FormHooks().plotLineForm = cad::PlotFormHook;
    shell::FormServices().printSetup = [] { graphics::ShowPrintForm(shell::gui::MainForm); };
    auto* window = new shell::gui::Thh;
    shell::SetExitSignalAction(PostEndBySignal);
    if (shell::ExitSignalReceived())
        PostEndBySignal(); // ends dialogs of the start
    // The start runs outside the event loop: its faults are told here,
    // while the window system is still there.
    shell::StartResult result{true, 1};
    shell::RunGuarded([&] { result = window->FormCreate(); });
    int code = result.exitCode;
    if (!result.end && !shell::ExitSignalReceived()) {
        window->show();
        code = app.exec();
    } else if (!result.end) {
        shell::ExitCleanup();
        code = 0;
    }
    shell::SetExitSignalAction([] {}); // the program ends by itself now
    shell::RunGuarded([&] { delete window; }); // writes the session file
    return code;
}
#elif defined(KT4_WINDOW_PROGRAM)
// Replaces this process with the window program beside it; returns only
// by an exception when that cannot be started.
int RunWindow(int, char** argv)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        throw std::runtime_error(std::string("wkt4: ") + ec.message());
    const std::string program = (self.parent_path() / KT4_WINDOW_PROGRAM).string();
    // nothing of this process may be lost or left behind by the exec
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    RemovePrivateTempDir();
    ::execv(program.c_str(), argv);
    throw std::runtime_error(program + ": " + std::strerror(errno));
}
#endif

// Memory ran out where nothing else caught it: the program's words on the
// error output, as they are, for nothing more can be had now.
void TellOutOfMemory()
{
    static const char caption[] = "Fehler : ", text[] = " Zu wenig Speicher.\n";
    [[maybe_unused]] ssize_t n = ::write(2, caption, sizeof caption - 1);
    n = ::write(2, text, sizeof text - 1);
}

} // namespace

int main(int argc, char** argv)
{
    // Before anything is opened: no file of the run may take the number of
    // a closed standard descriptor (its messages would be written into it).
    if (!OpenClosedStandardDescriptors())
        return 1;
    int code = 1;
#ifdef KT4_HAVE_GUI
    // Until the command line tells the kind of run, a signal is noted: a
    // window start then ends as when closed, a batch run at once. Set
    // before the signals are caught, so that none finds no action yet.
    shell::SetExitSignalAction([] {});
#endif
    shell::InstallExitSignals();
    // A fault that escapes everything else ends the run with its text told
    // and, with unsaved changes, the offer to save them.
    try {
        shell::InitModules();
        SetCommandLine(argc, argv);
        shell::SetProgramIdentity();
        shell::CommandLine cmd =
            shell::ParseCommandLine(environment::CommandLineParams, shell::CadOutputAvailable());
        if (shell::RunsWithoutWindow(cmd)) {
            shell::SetExitSignalAction(nullptr);
            code = shell::ExitSignalReceived() ? 1 : RunBatch();
        } else {
#if defined(KT4_HAVE_GUI) || defined(KT4_WINDOW_PROGRAM)
            code = RunWindow(argc, argv);
#else
            std::cerr << "wkt4 was built without windows; only the batch modes work\n";
#endif
        }
    } catch (const std::bad_alloc&) {
        TellOutOfMemory();
    } catch (const std::exception& e) {
        UseHeadlessUi().quiet = false; // no window is left to show it
        shell::HandleUnexpectedError(e.what());
    }
    shell::RunGuarded([] { dbase::ShutdownEngine(); });
    return code;
}
