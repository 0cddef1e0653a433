// Thh: the main window. It is the graphics window (TFvelmgra) with the
// program's menu bar; its creation runs the start-up (configuration and
// session files, command line, default files, first calculation, start
// picture), closing it asks to save changes, and its end writes the
// session file.
#pragma once

#include "graphics/gui/fvelmgra.h"
#include "shell/startup.h"
#include "shell/window_link.h"

#include <QPointer>

#include <map>
#include <string>

class QAction;
class QCloseEvent;
class QShowEvent;
class QMenu;

namespace kt4::shell::gui {

class Thh : public graphics::TFvelmgra, public WindowLink {
    Q_OBJECT
public:
    explicit Thh(QWidget* parent = nullptr);
    ~Thh() override;

    // The creation sequence: menus in German, graphics device, start files,
    // recent-file items, the table browser, start-up, window size, caption,
    // saved language.
    // A result with end set means the program ends here (no session file
    // is written then).
    StartResult FormCreate();

    // LanguageId := Id, the three language tables, the menu captions and
    // the window caption.
    void SetLanguage(int Id);

    // After the configuration form: the background colour, and with a new
    // resolution the drawing area's size and a redraw.
    void ConfigurationChanged(bool NewResolution);

    // SIGTERM, SIGINT, SIGHUP: the window closes as when the user closes it,
    // without questions (open dialogs are closed unanswered), and the
    // program ends. Nothing while the start still runs.
    void EndBySignal();

    // The action of a menu item by its name; nullptr when there is none.
    QAction* Item(const std::string& Name) const;

    // WindowLink
    void SetCaption(const std::string& Title) override;
    void RefreshRecentFileItems() override;
    void UpdateErrorMessagesItem(bool Redraw) override;
    void SetMenuCaptions() override;
    void SetupMainForm() override;
    void EnableSpreadsheetItems() override;

protected:
    // The window closes only when the save question let it.
    void closeEvent(QCloseEvent* e) override;
    // The first show checks that the window, frame included, fits on the
    // screen; after a DEMO start the tour's introduction then shows over
    // it.
    void showEvent(QShowEvent* e) override;

private:
    void BuildMenus();
    // True when it sized the window anew (and drew its view again).
    bool KeepOnScreen();
    void ConnectItems();
    void FillRecentFileItems();

    std::map<std::string, QAction*> items_;
    std::map<std::string, QMenu*> menus_;
    int exitIndex_ = -1;           // position of mi_fileexit in the File menu
    bool writeSessionOnEnd_ = false;
    bool shownOnce_ = false;
    bool tourIntroDue_ = false;   // a DEMO start: the introduction after the first show
    std::string startMessage_;    // told after the first show
    bool endingBySignal_ = false; // closing asks nothing
};

// The one main window while it exists.
extern QPointer<Thh> MainForm;

} // namespace kt4::shell::gui
