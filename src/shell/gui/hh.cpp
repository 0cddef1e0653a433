#include "shell/gui/hh.h"
#include "shell/gui/toolkit_language.h"

#include "dbase/gui/dbf4_form.h"
#include "foundation/dialogs.h"
#include "foundation/gui/form_placement.h"
#include "foundation/settings.h"
#include "graphics/graph_device.h"
#include "graphics/graph_settings.h"
#include "graphics/gui/painter_canvas.h"
#include "shell/exit_cleanup.h"
#include "shell/guided_tour.h"
#include "shell/gui/config_form.h"
#include "shell/gui/shell_forms_qt.h"
#include "shell/languages.h"
#include "shell/menu_commands.h"
#include "shell/menu_table.h"
#include "shell/project_files.h"
#include "shell/screen_defaults.h"
#include "shell/services.h"
#include "shell/session_file.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <set>
#include <utility>

namespace kt4::shell::gui {

QPointer<Thh> MainForm;

namespace {

QString Text(const std::string& s) { return QString::fromStdString(s); }

// Platforms whose windows have no frame of the desktop's.
bool Undecorated()
{
    const QString p = QGuiApplication::platformName();
    return p == "offscreen" || p == "minimal" || p == "eglfs" || p == "linuxfb";
}

// The usable screen area and what the window adds around its drawing area:
// the menu bar, and the frame with its title bar (measured once the window
// is shown, guessed from the style before).
void TellScreen(QMainWindow* w)
{
    QScreen* screen = w->screen();
    if (!screen)
        return;
    QRect area = screen->availableGeometry();
    ScreenMetrics m;
    m.width = area.width();
    m.height = area.height();
    m.ppi = static_cast<int>(screen->logicalDotsPerInchX() + 0.5);
    if (m.ppi <= 0)
        m.ppi = 96;
    QSize frame = w->frameGeometry().size() - w->geometry().size();
    if (!w->isVisible() && !Undecorated()) {
        const int border = 2 * w->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
        frame = QSize(border, border + w->style()->pixelMetric(QStyle::PM_TitleBarHeight));
    }
    m.frameWidth = std::max(0, frame.width());
    m.frameHeight = std::max(0, frame.height()) + w->menuBar()->sizeHint().height();
    SetScreenMetrics(m);
    settings::ScreenPPI = m.ppi;
}

} // namespace

Thh::Thh(QWidget* parent) : TFvelmgra(parent, true)
{
    setObjectName("hh");
    MainForm = this;
    InstallConfigForm();
    InstallShellForms();
    BuildMenus();
    ConnectItems();
    SetWindowLink(this);
    SetClientResizeHook([this] { FitToScreenResolution(); });
    SetPlacementMainWindow(this);
    TellScreen(this);
}

Thh::~Thh()
{
    // the end of the main window: the session file, then the hooks it set
    if (writeSessionOnEnd_)
        WriteSessionFile();
    SetClientResizeHook({});
    SetWindowLink(nullptr);
    SetPlacementMainWindow(nullptr);
    graphics::GraphDevice.Done();
}

void Thh::BuildMenus()
{
    for (const auto& e : MenuEntries()) {
        QMenu* parentMenu = e.parent ? menus_.at(e.parent) : nullptr;
        QAction* action = nullptr;
        if (e.kind == MenuKind::Menu) {
            QMenu* menu = parentMenu ? parentMenu->addMenu(e.name) : menuBar()->addMenu(e.name);
            menu->setObjectName(e.name);
            menus_[e.name] = menu;
            action = menu->menuAction();
        } else if (e.kind == MenuKind::Separator) {
            action = parentMenu->addSeparator();
        } else {
            action = parentMenu->addAction(e.name);
        }
        action->setObjectName(e.name);
        items_[e.name] = action;
    }
    Item("mi_OleExportExcel")->setEnabled(false);
    Item("mi_OleImportExcel")->setEnabled(false);
}

void Thh::ConnectItems()
{
    std::set<std::string> connected{"mi_fileexit"};
    for (int k = 1; k <= 4; ++k)
        connected.insert("mi_file" + std::to_string(k));
    for (const auto& lang : LanguageItems())
        connected.insert(lang.name);
    for (int k = 1; k <= 4; ++k)
        connect(Item("mi_file" + std::to_string(k)), &QAction::triggered, this, [k] {
            settings::AbortFlag = false;
            OpenRecentFile(k);
        });
    for (const auto& lang : LanguageItems()) {
        int id = lang.id;
        connect(Item(lang.name), &QAction::triggered, this, [this, id] { SetLanguage(id); });
    }
    connect(Item("mi_fileexit"), &QAction::triggered, this, [this] { close(); });
    // Every other item runs its command; an item whose command the program
    // does not have is shown disabled.
    for (const auto& e : MenuEntries()) {
        if (e.kind != MenuKind::Item || connected.count(e.name))
            continue;
        if (auto command = MenuCommand(e.name))
            connect(Item(e.name), &QAction::triggered, this, [command] { command(); });
        else
            Item(e.name)->setEnabled(false);
    }
}

QAction* Thh::Item(const std::string& Name) const
{
    auto it = items_.find(Name);
    return it == items_.end() ? nullptr : it->second;
}

StartResult Thh::FormCreate()
{
    SetMenuCaptions();
    graphics::GraphDevice.Init();
    ReadStartFiles();
    FillRecentFileItems();
    dbase::gui::CreateDbf4Form(this); // the table browser behind DbfShow, until the end
    StartResult result = StartUp(ProductCode);
    settings::AbortFlag = false;
    if (result.end)
        return result;
    NoteSavedValues(); // the project as the start read and calculated it
    tourIntroDue_ = result.tourIntro;
    startMessage_ = TakeStartMessage();
    SetupMainForm();
    UpdateWindowCaption();
    if (settings::LanguageId < 1) {
        SetMenuCaptions(); // the German captions of the tables
        UseToolkitLanguage(ToolkitLanguageCode(LangGerman));
    } else {
        SetLanguage(settings::LanguageId);
    }
    writeSessionOnEnd_ = true;
    return result;
}

void Thh::SetLanguage(int Id)
{
    SetLanguageTables(Id);
    UseToolkitLanguage(ToolkitLanguageCode(Id));
    SetMenuCaptions();
    UpdateWindowCaption();
}

void Thh::SetCaption(const std::string& Title) { setWindowTitle(Text(Title)); }

void Thh::FillRecentFileItems()
{
    exitIndex_ = static_cast<int>(menus_.at("mi_file")->actions().indexOf(Item("mi_fileexit")));
    RefreshRecentFileItems();
}

void Thh::RefreshRecentFileItems()
{
    Item(RecentSeparator)->setVisible(!settings::RecentFiles[1].empty());
    for (int k = 1; k <= 4; ++k) {
        QAction* a = Item("mi_file" + std::to_string(k));
        std::string caption = MenuCaption("mi_file" + std::to_string(k));
        a->setText(Text(caption));
        a->setVisible(!caption.empty());
    }
}

void Thh::UpdateErrorMessagesItem(bool Redraw)
{
    QAction* a = Item(ErrorMessagesItem);
    a->setText(Text(MenuCaption(ErrorMessagesItem)));
    a->setEnabled(settings::MessageCount >= 1);
    if (Redraw)
        RedrawCurrentView();
}

void Thh::SetMenuCaptions()
{
    for (const auto& e : MenuEntries())
        if (e.kind != MenuKind::Separator)
            Item(e.name)->setText(Text(MenuCaption(e.name)));
    RefreshRecentFileItems();
    Item(ErrorMessagesItem)->setEnabled(settings::MessageCount >= 1);
    Item("mi_fileprint")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    QAction* demo = Item("mi_helpDemo");
    demo->setCheckable(true);
    demo->setChecked(true);
    QFont bold = demo->font();
    bold.setBold(true); // the default item of its menu
    demo->setFont(bold);
    Item("mi_documentation")->setVisible(true);
    Item("mi_OLE")->setVisible(true);
}

void Thh::SetupMainForm()
{
    kt4::SetupMainForm(this, graphics::QPainterCanvas::ToQColor(graphics::BackgroundColor));
    // The background colour is the drawing's; the menu bar keeps the
    // colours of the desktop, and the drawing area (not the whole window
    // with its menu bar) gets the configured size.
    QPalette desktop = QApplication::palette(menuBar());
    for (auto role : {QPalette::Window, QPalette::WindowText, QPalette::Button,
                      QPalette::ButtonText, QPalette::Base, QPalette::Text})
        desktop.setColor(role, desktop.color(role)); // set, so not inherited
    menuBar()->setPalette(desktop);
    menuBar()->setAutoFillBackground(true);
    FitToScreenResolution();
}

void Thh::EnableSpreadsheetItems() { Item("mi_OleExportExcel")->setEnabled(true); }

void Thh::ConfigurationChanged(bool NewResolution)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, graphics::QPainterCanvas::ToQColor(graphics::BackgroundColor));
    setPalette(p);
    if (NewResolution)
        FitToScreenResolution();
    RequestRepaint(); // the picture takes the background colour anew
    if (NewResolution)
        RedrawCurrentView();
}

void Thh::showEvent(QShowEvent* e)
{
    TFvelmgra::showEvent(e);
    if (!e->spontaneous() && !shownOnce_) {
        shownOnce_ = true;
        QTimer::singleShot(0, this, [this] {
            // a drawing again has told its failure itself
            const bool redrawn = KeepOnScreen();
            if (const std::string text = std::exchange(startMessage_, {}); !text.empty() && !redrawn)
                ErrorBox(text);
            if (std::exchange(tourIntroDue_, false)) {
                DemoStartIntroduction(ProductCode);
                settings::AbortFlag = false;
            }
        });
    }
}

bool Thh::KeepOnScreen()
{
    // The frame is known now: a window sized to the screen that does not
    // fit on it takes the size again with the frame as it is.
    if (settings::ScreenSizeCode != 1 && settings::ScreenSizeCode != 2)
        return false;
    QScreen* screen = this->screen();
    if (!screen || screen->availableGeometry().contains(frameGeometry()))
        return false;
    TellScreen(this);
    ApplyScreenDefaults();
    move(screen->availableGeometry().topLeft());
    RedrawCurrentView();
    return true;
}

void Thh::EndBySignal()
{
    // a few at most: each close ends one dialog's wait
    for (int k = 0; k < 16; ++k) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            break;
        modal->close();
    }
    if (!isVisible())
        return;
    endingBySignal_ = true;
    close();
    QCoreApplication::exit(0);
}

void Thh::closeEvent(QCloseEvent* e)
{
    settings::AbortFlag = false;
    if (!endingBySignal_)
        AskSaveChanges();
    if (settings::AbortFlag) {
        e->ignore();
        return;
    }
    ExitCleanup();
    e->accept();
}

} // namespace kt4::shell::gui
