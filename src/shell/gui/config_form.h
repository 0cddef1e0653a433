// Tconfig: the settings dialog (File > Einstellungen). Nine tab pages show
// the program-wide settings; OK takes them over, Save also writes the
// configuration file, Import shows another configuration file (taken
// over only by OK), Export writes what the form shows to another file.
// The conversions between controls and settings are the model's
// (shell/config_form_model.h); this is the window and its behaviour.
#pragma once

#include "shell/config_form_model.h"

#include <QColor>
#include <QDialog>
#include <QFont>

#include <functional>

class QLineEdit;
class QPushButton;
class QTabWidget;

namespace kt4::shell::gui {

class ColorPanel;

class Tconfig : public QDialog {
    Q_OBJECT
public:
    explicit Tconfig(QWidget* Parent = nullptr);

    // The platform dialogs the form opens (tests replace them): a colour
    // and a font; false when cancelled.
    static std::function<bool(QColor&, QWidget*)> pickColor;
    static std::function<bool(QFont&, QWidget*)> pickFont;
    // The layer colour picker (TForm_selectcolor by default).
    static std::function<bool(int&, QWidget*)> pickLayerColor;

    // A tab page by its name ("Tab_grafik"), a control inside it.
    QWidget* Tab(const QString& Name) const;
    template <class W>
    W* Control(const QString& TabName, const QString& Name) const
    {
        QWidget* tab = Tab(TabName);
        return tab ? tab->findChild<W*>(Name) : nullptr;
    }

    // The controls' values, and putting values into them.
    configform::FormValues ReadControls() const;
    void PutControls(const configform::FormValues& Values);

    QTabWidget* PageControl;
    QPushButton* Button_ok;
    QPushButton* Button_cancel;
    QPushButton* Button_save;
    QPushButton* Button_import;
    QPushButton* Button_export;

protected:
    void reject() override; // Cancel and the window's close button

private slots:
    void Button_okClick();
    void Button_saveClick();
    void Button_importClick();
    void Button_exportClick();

private:
    // tab pages (config_form_tabs.cpp)
    void BuildDirTab();
    void BuildGraphicsTab();
    void BuildCadTab();
    void BuildColorTab();
    void BuildPrinterTab();
    void BuildTextPrintTab();
    void BuildSettingsTab();
    void BuildExternTab();
    void BuildDrawingTab();

    // behaviour (config_form_rules.cpp)
    void ConnectRules();
    void ApplyRules();
    void SizeCodeChanged();
    void TitleBlockChanged();
    void MarginChanged();
    void ScreenModeChanged(int Index);
    void PickGridColor(const QString& TabName, const QString& Grid, int Col);
    void EditPlotLine(bool WithForm);
    void PickPanelColor(ColorPanel* Panel);
    void PickFont(const QString& TabName, const QString& Name, const QString& Size, const QString& Style);
    void BrowseFolderInto(QLineEdit* Edit);
    void BrowseProgramInto(QLineEdit* Edit);
    void BrowseManual();
    void ResetField(const QString& TabName, const QString& Button);
    void TempFromEnvironment();
    void DbfTempTicked(bool On);

    // GlobalsToForm: the values into the controls, the rules applied, and
    // what the controls then hold kept as what was shown.
    void GlobalsToForm();
    void ShowRefusal(const configform::FormError& Error);

    configform::ConfigEditor editor_;
    configform::FormValues shown_;
};

// Opens Tconfig modally; afterwards the main window takes the background
// colour and, after a new resolution, its size. Installed as the menu's
// configuration form.
void ShowConfigForm();
void InstallConfigForm();

} // namespace kt4::shell::gui
