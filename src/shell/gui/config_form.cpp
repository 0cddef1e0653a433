#include "shell/gui/config_form.h"

#include "foundation/gui/qt_ui.h"
#include "drive/gui/string_grid.h"
#include "foundation/gui/form_placement.h"
#include "foundation/gui/form_util.h"
#include "foundation/settings.h"
#include "shell/gui/config_widgets.h"
#include "shell/gui/hh.h"
#include "shell/gui/select_color_form.h"
#include "shell/menu_commands.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kt4::shell::gui {

using formutil::Named;
using formutil::Q;
using formutil::S;

std::function<bool(QColor&, QWidget*)> Tconfig::pickColor = [](QColor& c, QWidget* parent) {
    QColor chosen = QColorDialog::getColor(c, parent);
    if (!chosen.isValid())
        return false;
    c = chosen;
    return true;
};

std::function<bool(QFont&, QWidget*)> Tconfig::pickFont = [](QFont& f, QWidget* parent) {
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, f, parent);
    if (ok)
        f = chosen;
    return ok;
};

std::function<bool(int&, QWidget*)> Tconfig::pickLayerColor = SelectColor;

namespace {

// "Tab/Control[:col:row]" split into its parts.
struct ControlKey {
    QString tab, name;
    int col = -1, row = -1;
};

ControlKey SplitKey(const std::string& Key)
{
    ControlKey k;
    QString key = Q(Key);
    k.tab = key.section('/', 0, 0);
    QString rest = key.section('/', 1);
    QStringList parts = rest.split(':');
    k.name = parts[0];
    if (parts.size() == 3) {
        k.col = parts[1].toInt();
        k.row = parts[2].toInt();
    }
    return k;
}

QStringList PlotLines(const QListWidget* List)
{
    QStringList lines;
    for (int k = 0; k < List->count(); ++k)
        lines << List->item(k)->data(Qt::UserRole).toString();
    return lines;
}

} // namespace

Tconfig::Tconfig(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("Tconfig");
    setWindowTitle("Einstellungen");
    PageControl = Named<QTabWidget>(this, "PageControl");
    Button_ok = Named<QPushButton>(this, "Button_ok");
    Button_cancel = Named<QPushButton>(this, "Button_cancel");
    Button_save = Named<QPushButton>(this, "Button_save");
    Button_import = Named<QPushButton>(this, "Button_import");
    Button_export = Named<QPushButton>(this, "Button_export");
    Button_ok->setText("OK");
    Button_ok->setDefault(true);
    Button_cancel->setText("Abbrechen");
    Button_save->setText("&Speichern");
    Button_import->setText("Import");
    Button_export->setText("Export");

    BuildDirTab();
    BuildGraphicsTab();
    BuildCadTab();
    BuildColorTab();
    BuildPrinterTab();
    BuildTextPrintTab();
    BuildSettingsTab();
    BuildExternTab();
    BuildDrawingTab();
    ConnectRules();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (auto* b : {Button_ok, Button_cancel, Button_save, Button_import, Button_export})
        buttons->addWidget(b);
    auto* top = new QVBoxLayout(this);
    top->addWidget(PageControl);
    top->addLayout(buttons);

    connect(Button_ok, &QPushButton::clicked, this, &Tconfig::Button_okClick);
    connect(Button_cancel, &QPushButton::clicked, this, &Tconfig::reject);
    connect(Button_save, &QPushButton::clicked, this, &Tconfig::Button_saveClick);
    connect(Button_import, &QPushButton::clicked, this, &Tconfig::Button_importClick);
    connect(Button_export, &QPushButton::clicked, this, &Tconfig::Button_exportClick);

    GlobalsToForm();
    CenterForm(this);
}

QWidget* Tconfig::Tab(const QString& Name) const
{
    for (int k = 0; k < PageControl->count(); ++k)
        if (PageControl->widget(k)->objectName() == Name)
            return PageControl->widget(k);
    return nullptr;
}

configform::FormValues Tconfig::ReadControls() const
{
    configform::FormValues values;
    for (const auto& b : configform::Bindings()) {
        ControlKey k = SplitKey(b.Key());
        QWidget* w = Control<QWidget>(k.tab, k.name);
        QString v;
        if (auto* grid = qobject_cast<StringGrid*>(w))
            v = grid->Cell(k.col, k.row);
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            v = edit->text();
        else if (auto* check = qobject_cast<QCheckBox*>(w))
            v = check->isChecked() ? "1" : "0";
        else if (auto* combo = qobject_cast<QComboBox*>(w))
            v = QString::number(combo->currentIndex());
        else if (auto* radio = qobject_cast<RadioGroup*>(w))
            v = QString::number(radio->ItemIndex());
        else if (auto* spin = qobject_cast<QSpinBox*>(w))
            v = QString::number(spin->value());
        else if (auto* panel = qobject_cast<ColorPanel*>(w))
            v = QString::number(panel->Value());
        else if (auto* label = qobject_cast<QLabel*>(w))
            v = label->text();
        else if (auto* list = qobject_cast<QListWidget*>(w))
            v = PlotLines(list).join('\n');
        else
            continue;
        values[b.Key()] = S(v);
    }
    return values;
}

void Tconfig::PutControls(const configform::FormValues& Values)
{
    for (const auto& [key, value] : Values) {
        ControlKey k = SplitKey(key);
        QWidget* w = Control<QWidget>(k.tab, k.name);
        QString v = Q(value);
        if (auto* grid = qobject_cast<StringGrid*>(w))
            grid->SetCell(k.col, k.row, v);
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            edit->setText(v);
        else if (auto* check = qobject_cast<QCheckBox*>(w))
            check->setChecked(v == "1");
        else if (auto* combo = qobject_cast<QComboBox*>(w))
            combo->setCurrentIndex(v.toInt());
        else if (auto* radio = qobject_cast<RadioGroup*>(w))
            radio->SetItemIndex(v.toInt());
        else if (auto* spin = qobject_cast<QSpinBox*>(w))
            spin->setValue(v.toInt());
        else if (auto* panel = qobject_cast<ColorPanel*>(w))
            panel->SetValue(v.toInt());
        else if (auto* label = qobject_cast<QLabel*>(w))
            label->setText(v);
        else if (auto* list = qobject_cast<QListWidget*>(w)) {
            QStringList lines = v.split('\n');
            for (int n = 0; n < list->count(); ++n) {
                QString line = n < lines.size() ? lines[n] : QString();
                list->item(n)->setData(Qt::UserRole, line);
                list->item(n)->setText(QString("%1: %2").arg(n + 1).arg(line));
            }
        }
    }
}

void Tconfig::GlobalsToForm()
{
    PutControls(editor_.Values());
    ApplyRules();
    shown_ = ReadControls();
}

void Tconfig::ShowRefusal(const configform::FormError& Error)
{
    if (QWidget* tab = Tab(Q(Error.tab)))
        PageControl->setCurrentWidget(tab);
    if (QWidget* w = Control<QWidget>(Q(Error.tab), Q(Error.control).section(':', 0, 0)))
        w->setFocus();
}

void Tconfig::Button_okClick()
{
    configform::FormError error;
    if (editor_.Ok(shown_, ReadControls(), error))
        accept();
    else
        ShowRefusal(error);
}

void Tconfig::Button_saveClick()
{
    configform::FormError error;
    configform::FormValues now = ReadControls();
    bool saved = editor_.Save(shown_, now, error);
    if (!error.control.empty()) {
        ShowRefusal(error);
        return;
    }
    // The settings are the form's now, whether or not the file was written.
    shown_ = now;
    (void)saved;
    raise();
    activateWindow();
}

void Tconfig::Button_importClick()
{
    if (editor_.Import())
        GlobalsToForm();
}

void Tconfig::Button_exportClick()
{
    configform::FormError error;
    if (!editor_.Export(shown_, ReadControls(), error) && !error.control.empty())
        ShowRefusal(error);
}

void Tconfig::reject()
{
    editor_.Cancel();
    QDialog::reject();
}

void ShowConfigForm()
{
    Word resX = settings::ScreenResX;
    Word resY = settings::ScreenResY;
    {
        Tconfig form(kt4::gui::DialogParent());
        form.exec();
    }
    if (MainForm)
        MainForm->ConfigurationChanged(resX != settings::ScreenResX || resY != settings::ScreenResY);
}

void InstallConfigForm() { FormServices().configuration = ShowConfigForm; }

} // namespace kt4::shell::gui
