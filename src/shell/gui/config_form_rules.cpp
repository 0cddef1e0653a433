// What Tconfig's buttons, combo boxes and panels do: reset values,
// choosers, colour and font dialogs, the layer and colour grids, the plot
// command lines, and which fields the size codes and the title block
// enable or show.
#include "shell/gui/config_form.h"

#include "cad/cad_settings.h"
#include "drive/gui/string_grid.h"
#include "foundation/dialogs.h"
#include "foundation/environment.h"
#include "foundation/files.h"
#include "foundation/fontstyle.h"
#include "foundation/gui/form_util.h"
#include "foundation/helptext.h"
#include "foundation/paths.h"
#include "foundation/printer_settings.h"
#include "foundation/settings.h"
#include "foundation/ui_service.h"
#include "graphics/graph_settings.h"
#include "graphics/gui/painter_canvas.h"
#include "shell/gui/config_widgets.h"
#include "shell/screen_defaults.h"
#include "shell/stored_names.h"
#include "shell/work_folders.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

#include <filesystem>
#include <map>
#include <unistd.h>

namespace kt4::shell::gui {

using formutil::Q;
using formutil::S;

namespace {

// The layer rows 1..5 (layers 5..1) as they come: name, colour, thickness.
struct LayerRow {
    const char* name;
    int color, width;
};
constexpr LayerRow DefaultLayers[5] = {{"5", 1, 3}, {"4", 3, 2}, {"3", 2, 1}, {"2", 2, 1}, {"1", 2, 1}};

// Fixed reset values of "<" buttons by their field.
const std::map<QString, QString>& FixedResets()
{
    static const std::map<QString, QString> values = {
        {"Edit_zoomfaktor", "1.02"},       {"Edit_panfaktor", "0.02"},
        {"Edit_textbreitenfaktor", "0.8"}, {"Edit_texthoehenfaktor", "1"},
        {"Edit_cadtextbreite", "1"},       {"Edit_cadtextwinkel", "0"},
        {"Edit_printxorigin", "0"},        {"Edit_printyorigin", "0"},
        {"Edit_printscale", "1.0"},        {"Edit_freigabefeld", "Frei"},
        {"SpinEdit_dxfdec", "6"},          {"Edit_massfaktorconfig", "1.0"},
        {"Edit_dxfscale", "1"},            {"Edit_resolutionArcToLines", "0.1"},
        {"Edit_zslice", "0.1"},            {"Edit_fitclearancebore", "0.1"},
        {"Edit_fitclearanceshaft", "0.05"}};
    return values;
}

void SetText(QWidget* W, const QString& Text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(W))
        edit->setText(Text);
    else if (auto* spin = qobject_cast<QSpinBox*>(W))
        spin->setValue(Text.toInt());
    else if (auto* label = qobject_cast<QLabel*>(W))
        label->setText(Text);
}

QString StyleWords(Word Code)
{
    std::string text;
    FontStyleName(Code, text);
    return Q(text);
}

// A field with its caption and its "<" button.
template <class Fn>
void ForField(QWidget* Tab, const QString& Name, Fn Do)
{
    for (const QString& n : {Name, "Label_of_" + Name, "Button_" + Name.section('_', 1) + "_reset"})
        if (auto* w = Tab->findChild<QWidget*>(n))
            Do(w);
}

void ShowField(QWidget* Tab, const QString& Name, bool Show)
{
    ForField(Tab, Name, [Show](QWidget* w) { w->setVisible(Show); });
}

void EnableField(QWidget* Tab, const QString& Name, bool On)
{
    ForField(Tab, Name, [On](QWidget* w) { w->setEnabled(On); });
}

} // namespace

void Tconfig::ConnectRules()
{
    auto button = [this](const QString& tab, const QString& name) {
        auto* b = Control<QPushButton>(tab, name);
        if (!b)
            throw std::logic_error("no button " + S(name));
        return b;
    };
    for (int k = 0; k < PageControl->count(); ++k) {
        QWidget* tab = PageControl->widget(k);
        for (auto* b : tab->findChildren<QPushButton*>())
            if (b->objectName().endsWith("_reset") && b->objectName() != "Button_layer_reset")
                connect(b, &QPushButton::clicked, this,
                        [this, t = tab->objectName(), n = b->objectName()] { ResetField(t, n); });
    }
    connect(button("Tab_dir", "Button_dirtempenv"), &QPushButton::clicked, this, &Tconfig::TempFromEnvironment);
    connect(button("Tab_dir", "Button_workingDir"), &QPushButton::clicked, this,
            [] { ShowHelpText(1605, "", 1); });
    connect(Control<QCheckBox>("Tab_dir", "CheckBox_dbftemp"), &QCheckBox::clicked, this,
            &Tconfig::DbfTempTicked);

    connect(Control<RadioGroup>("Tab_grafik", "RadioGroup_bildschirmgrafik"), &RadioGroup::Changed, this,
            &Tconfig::ScreenModeChanged);
    connect(button("Tab_grafik", "Button_hintergrundfarbe"), &QPushButton::clicked, this,
            [this] { PickPanelColor(Control<ColorPanel>("Tab_grafik", "Panel_colour")); });
    connect(button("Tab_grafik", "Button_grafikfont"), &QPushButton::clicked, this,
            [this] { PickFont("Tab_grafik", "Label_font", "", "Label_hstyle"); });
    connect(button("Tab_textdruck", "Button_textfont"), &QPushButton::clicked, this,
            [this] { PickFont("Tab_textdruck", "Label_courier", "Label_couriersize", "Label_courierstyle"); });
    for (auto [tab, combo] : {std::pair{"Tab_grafik", "ComboBox_screensizecode"},
                              std::pair{"Tab_grafik", "ComboBox_dialogwindowSizecode"},
                              std::pair{"Tab_textdruck", "ComboBox_textwindowsizecode"}})
        connect(Control<QComboBox>(tab, combo), &QComboBox::currentIndexChanged, this, &Tconfig::SizeCodeChanged);
    connect(Control<QComboBox>("Tab_zeichnung", "ComboBox_zeichnkopf"), &QComboBox::currentIndexChanged, this,
            &Tconfig::TitleBlockChanged);
    connect(Control<QComboBox>("Tab_zeichnung", "ComboBox_7200rand"), &QComboBox::currentIndexChanged, this,
            &Tconfig::MarginChanged);

    connect(button("Tab_cad", "Button_selectlayercolor"), &QPushButton::clicked, this,
            [this] { PickGridColor("Tab_cad", "StringGrid_layer", 2); });
    connect(button("Tab_cad", "Button_layer_reset"), &QPushButton::clicked, this, [this] {
        auto* grid = Control<StringGrid>("Tab_cad", "StringGrid_layer");
        for (int row = 1; row <= 5; ++row) {
            const LayerRow& l = DefaultLayers[row - 1];
            grid->SetCell(1, row, l.name);
            grid->SetCell(2, row, QString::number(l.color));
            grid->SetCell(3, row, QString::number(l.width));
        }
    });
    connect(button("Tab_color", "Button_selectcolor"), &QPushButton::clicked, this,
            [this] { PickGridColor("Tab_color", "StringGrid_color", 1); });
    for (int k = 1; k <= 3; ++k)
        connect(button("Tab_color", QString("Button_dick%1").arg(k)), &QPushButton::clicked, this, [this, k] {
            auto* grid = Control<StringGrid>("Tab_color", "StringGrid_color");
            for (int row = 1; row <= 16; ++row)
                grid->SetCell(2, row, QString::number(k));
        });
    connect(button("Tab_color", "Button_resetcolor"), &QPushButton::clicked, this, [this] {
        graphics::GraphColor live[graphics::PaletteSize];
        std::copy(std::begin(graphics::GraphPalette), std::end(graphics::GraphPalette), live);
        graphics::SetDefaultPalette();
        for (int k = 0; k < 16; ++k)
            Control<ColorPanel>("Tab_color", QString("Panel_color%1").arg(k))->SetValue(graphics::GraphPalette[k + 1]);
        std::copy(std::begin(live), std::end(live), graphics::GraphPalette);
    });

    QPushButton* form = button("Tab_extern", "Button_confkavolt");
    form->setEnabled(static_cast<bool>(configform::FormHooks().plotLineForm));
    connect(form, &QPushButton::clicked, this, [this] { EditPlotLine(true); });
    connect(button("Tab_extern", "Button_editkavoltcommandline"), &QPushButton::clicked, this,
            [this] { EditPlotLine(false); });
    connect(button("Tab_extern", "Button_handbuchdir"), &QPushButton::clicked, this, &Tconfig::BrowseManual);
}

void Tconfig::ApplyRules()
{
    SizeCodeChanged();
    TitleBlockChanged();
    MarginChanged();
}

void Tconfig::SizeCodeChanged()
{
    bool screen = Control<QComboBox>("Tab_grafik", "ComboBox_screensizecode")->currentIndex() == 0;
    bool dialogs = Control<QComboBox>("Tab_grafik", "ComboBox_dialogwindowSizecode")->currentIndex() == 0;
    bool text = Control<QComboBox>("Tab_textdruck", "ComboBox_textwindowsizecode")->currentIndex() == 0;
    QWidget* grafik = Tab("Tab_grafik");
    QWidget* textTab = Tab("Tab_textdruck");
    for (const char* name : {"Edit_x", "Edit_y"})
        EnableField(grafik, name, screen);
    for (const char* name : {"SpinEdit_dialogfenster", "SpinEdit_dialogelemente"})
        EnableField(grafik, name, dialogs);
    for (const char* name : {"Edit_left", "Edit_top", "Edit_width", "Edit_height"})
        EnableField(textTab, name, text);
}

void Tconfig::TitleBlockChanged()
{
    int standard = Control<QComboBox>("Tab_zeichnung", "ComboBox_zeichnkopf")->currentIndex();
    bool iso = standard == 1 || standard == 2;
    QWidget* drawing = Tab("Tab_zeichnung");
    ShowField(Tab("Tab_cad"), "Edit_freigabefeld", !iso);
    ShowField(drawing, "ComboBox_index", !iso);
    auto* margin = Control<QComboBox>("Tab_zeichnung", "ComboBox_7200rand");
    if (!iso)
        margin->setCurrentIndex(0);
    EnableField(drawing, "ComboBox_7200rand", iso);
    for (const char* name : {"CheckBox_aenderungen", "CheckBox_aendkopfindex0"})
        ShowField(drawing, name, iso);
}

void Tconfig::MarginChanged()
{
    bool wide = Control<QComboBox>("Tab_zeichnung", "ComboBox_7200rand")->currentIndex() == 1;
    for (const char* name : {"CheckBox_abc123", "CheckBox_mmscale"})
        ShowField(Tab("Tab_zeichnung"), name, wide);
}

void Tconfig::ScreenModeChanged(int Index)
{
    auto* panel = Control<ColorPanel>("Tab_grafik", "Panel_colour");
    if (Index == 1 && panel->Value() < 2)
        panel->SetValue(graphics::MakeColor(255, 255, 255));
}

void Tconfig::ResetField(const QString& TabName, const QString& Button)
{
    QWidget* tab = Tab(TabName);
    QString suffix = Button.section('_', 1).chopped(6); // between "Button_" and "_reset"
    QWidget* field = nullptr;
    for (const char* prefix : {"Edit_", "SpinEdit_", "Label_"})
        if ((field = tab->findChild<QWidget*>(QString(prefix) + suffix)))
            break;
    if (!field)
        return;
    QString name = field->objectName();
    auto fixed = FixedResets().find(name);
    if (fixed != FixedResets().end()) {
        SetText(field, fixed->second);
    } else if (name == "Edit_x") {
        SetText(field, QString::number(Screen().width - 9 + 1));
    } else if (name == "Edit_y") {
        SetText(field, QString::number(Screen().height - 91 + 1));
    } else if (name == "Edit_printscaley") {
        SetText(field, Control<QLineEdit>(TabName, "Edit_printscale")->text());
    } else if (name == "SpinEdit_dialogelemente") {
        SetText(field, QString::number(Screen().ppi * 100 / 96));
    } else if (name == "Label_font") {
        SetText(field, "Arial");
        SetText(tab->findChild<QLabel*>("Label_hstyle"), StyleWords(FontBold | FontItalic));
    } else if (name == "Edit_left") {
        Array1<Integer, 4> live = printer::TextWindowRect;
        DefaultTextWindowRect();
        const char* fields[] = {"Edit_left", "Edit_top", "Edit_width", "Edit_height"};
        for (std::size_t k = 1; k <= 4; ++k)
            SetText(tab->findChild<QLineEdit*>(fields[k - 1]), QString::number(printer::TextWindowRect[k]));
        printer::TextWindowRect = live;
    }
}

void Tconfig::TempFromEnvironment()
{
    std::string temp = GetEnvVar("TMPDIR");
    if (temp.empty())
        temp = std::filesystem::temp_directory_path().string();
    if (DirExists(temp))
        Control<QLineEdit>("Tab_dir", "Edit_dirtemp")->setText(Q(AddBackslash(temp)));
}

void Tconfig::DbfTempTicked(bool On)
{
    if (!On)
        return;
    // the tables are copied now, by the settings as they are
    bool live = settings::DbfUseTemp;
    settings::DbfUseTemp = true;
    CheckWorkFolders();
    settings::DbfUseTemp = live;
}

void Tconfig::PickGridColor(const QString& TabName, const QString& Grid, int Col)
{
    auto* grid = Control<StringGrid>(TabName, Grid);
    int row = grid->currentRow() >= 1 ? grid->currentRow() : 1;
    int color = grid->Cell(Col, row).toInt();
    if (pickLayerColor(color, this))
        grid->SetCell(Col, row, QString::number(color));
}

void Tconfig::PickPanelColor(ColorPanel* Panel)
{
    QColor c = graphics::QPainterCanvas::ToQColor(Panel->Value());
    if (pickColor(c, this))
        Panel->SetValue(graphics::MakeColor(c.red(), c.green(), c.blue()));
}

void Tconfig::PickFont(const QString& TabName, const QString& Name, const QString& Size, const QString& Style)
{
    auto* name = Control<QLabel>(TabName, Name);
    auto* size = Size.isEmpty() ? nullptr : Control<QLabel>(TabName, Size);
    auto* style = Control<QLabel>(TabName, Style);
    QFont f(name->text());
    if (size && size->text().toInt() > 0)
        f.setPointSize(size->text().toInt());
    FontStyleSet bits = 0;
    CodeToFontStyle(configform::StyleCode(S(style->text())), bits);
    f.setBold(bits & FontBold);
    f.setItalic(bits & FontItalic);
    f.setUnderline(bits & FontUnderline);
    f.setStrikeOut(bits & FontStrikeOut);
    if (!pickFont(f, this))
        return;
    name->setText(f.family());
    if (size)
        size->setText(QString::number(f.pointSize()));
    FontStyleSet chosen = (f.bold() ? FontBold : 0u) | (f.italic() ? FontItalic : 0u) |
                          (f.underline() ? FontUnderline : 0u) | (f.strikeOut() ? FontStrikeOut : 0u);
    style->setText(StyleWords(FontStyleToCode(chosen)));
}

void Tconfig::BrowseFolderInto(QLineEdit* Edit)
{
    std::string dir = S(Edit->text());
    std::string chosen;
    BrowseFolder(dir, chosen);
    if (chosen != dir)
        Edit->setText(Q(AddBackslash(chosen)));
}

void Tconfig::BrowseProgramInto(QLineEdit* Edit)
{
    std::string path;
    if (!Ui().OpenFileDialog("", StripBackslash(FilePathPart(S(Edit->text()))), "Programme|*", path) ||
        path.empty())
        return;
    if (std::filesystem::is_directory(path) || ::access(path.c_str(), X_OK) != 0) {
        ErrorBoxAlways(DisplayToOem("Kein ausf\xC3\xBChrbares Programm: " + path));
        return;
    }
    Edit->setText(Q(path));
}

void Tconfig::BrowseManual()
{
    auto* edit = Control<QLineEdit>("Tab_extern", "Edit_handbuchdir");
    std::string manual = settings::BaseName + ".htm";
    std::string path;
    if (Ui().OpenFileDialog("", StripBackslash(S(edit->text())), manual + "|" + manual, path) && !path.empty())
        edit->setText(Q(FilePathPart(path)));
}

void Tconfig::EditPlotLine(bool WithForm)
{
    auto* list = Control<QListWidget>("Tab_extern", "ListBox_kavolt");
    int row = list->currentRow() >= 0 ? list->currentRow() : 0;
    QListWidgetItem* item = list->item(row);
    std::string line = S(item->data(Qt::UserRole).toString());
    settings::AbortFlag = false;
    if (WithForm) {
        const auto& form = configform::FormHooks().plotLineForm;
        if (!form || !form(line) || settings::AbortFlag)
            return;
    } else {
        std::string oem = NameToFile(line);
        if (!InputTextDialog("KAVOLT Command Line", oem, 80))
            return;
        line = NameFromFile(oem);
    }
    item->setData(Qt::UserRole, Q(line));
    item->setText(QString("%1: %2").arg(row + 1).arg(Q(line)));
}

} // namespace kt4::shell::gui
