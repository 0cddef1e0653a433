// The nine tab pages of Tconfig: their controls (named as the settings
// table names them, captions from the same table) and the buttons beside
// them. What the buttons and combo boxes do is in config_form_rules.cpp.
#include "shell/gui/config_form.h"

#include "drive/gui/string_grid.h"
#include "foundation/environment.h"
#include "foundation/gui/form_util.h"
#include "foundation/helptext.h"
#include "foundation/settings.h"
#include "shell/gui/config_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
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

namespace {

const configform::Binding& BindingOf(const QString& Tab, const QString& Name)
{
    const configform::Binding* b = configform::FindBinding(formutil::S(Tab + "/" + Name));
    if (!b)
        throw std::logic_error("no setting for " + formutil::S(Tab + "/" + Name));
    return *b;
}

// One column of label / field / buttons rows on a tab page.
class Column {
public:
    Column(QWidget* Page, QHBoxLayout* Columns) : page_(Page), grid_(new QGridLayout)
    {
        grid_->setVerticalSpacing(3);
        auto* box = new QVBoxLayout;
        box->addLayout(grid_);
        box->addStretch();
        Columns->addLayout(box);
    }

    QString Caption(const QString& Name) const { return Q(BindingOf(page_->objectName(), Name).caption); }

    // A field with its caption in front.
    template <class W>
    W* Field(const QString& Name)
    {
        auto* label = new QLabel(Caption(Name), page_);
        label->setObjectName("Label_of_" + Name);
        auto* w = Named<W>(page_, Name);
        label->setBuddy(w);
        grid_->addWidget(label, row_, 0);
        grid_->addWidget(w, row_, 1);
        ++row_;
        return w;
    }
    QLineEdit* Edit(const QString& Name) { return Field<QLineEdit>(Name); }
    QSpinBox* Spin(const QString& Name, int Lo, int Hi)
    {
        auto* s = Field<QSpinBox>(Name);
        s->setRange(Lo, Hi);
        return s;
    }
    QComboBox* Combo(const QString& Name)
    {
        auto* c = Field<QComboBox>(Name);
        for (const auto& item : BindingOf(page_->objectName(), Name).items)
            c->addItem(Q(item));
        return c;
    }
    QLabel* Value(const QString& Name)
    {
        auto* l = Field<QLabel>(Name);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        return l;
    }
    // A control over the whole row.
    template <class W>
    W* Wide(W* w)
    {
        grid_->addWidget(w, row_++, 0, 1, 2);
        return w;
    }
    QCheckBox* Check(const QString& Name)
    {
        auto* c = Wide(Named<QCheckBox>(page_, Name));
        c->setText(Caption(Name));
        return c;
    }
    RadioGroup* Radio(const QString& Name)
    {
        QStringList items;
        for (const auto& item : BindingOf(page_->objectName(), Name).items)
            items << Q(item);
        auto* r = Wide(new RadioGroup(Caption(Name), items, page_));
        r->setObjectName(Name);
        return r;
    }
    QPushButton* Button(const QString& Name, const QString& Text)
    {
        auto* b = Wide(Named<QPushButton>(page_, Name));
        b->setText(Text);
        return b;
    }
    // A small button beside the last row ("<", "...", "?").
    QPushButton* Beside(const QString& Name, const QString& Text, int Col = 2)
    {
        auto* b = Named<QPushButton>(page_, Name);
        b->setText(Text);
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(Text) + 16);
        grid_->addWidget(b, row_ - 1, Col);
        return b;
    }
    // "<" beside the last row: Button_<field without its prefix>_reset.
    QPushButton* Reset(const QString& Name)
    {
        return Beside("Button_" + Name.section('_', 1) + "_reset", "<");
    }

private:
    QWidget* page_;
    QGridLayout* grid_;
    int row_ = 0;
};

// A tab page with its columns.
class Page {
public:
    Page(QTabWidget* Tabs, const QString& Name, const QString& Caption)
        : page_(new QWidget), columns_(new QHBoxLayout(page_))
    {
        page_->setObjectName(Name);
        Tabs->addTab(page_, Caption);
    }
    ~Page() { columns_->addStretch(); }
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;
    Column Next() { return Column(page_, columns_); }
    QWidget* Widget() const { return page_; }

private:
    QWidget* page_;
    QHBoxLayout* columns_;
};

QPushButton* HelpButton(Column& c, const QString& Name, int Nr)
{
    QPushButton* b = c.Button(Name, "&Hilfe");
    QObject::connect(b, &QPushButton::clicked, b, [Nr] { ShowHelpText(static_cast<Word>(Nr), "", 1); });
    return b;
}

} // namespace

void Tconfig::BuildDirTab()
{
    Page page(PageControl, "Tab_dir", "Directories");
    Column c = page.Next();
    for (const char* name : {"Edit_dirdbf", "Edit_dirplt", "Edit_dirtemp", "Edit_dirdata", "Edit_dircad",
                             "Edit_direxe", "Edit_diredi", "Edit_dirworking"}) {
        QLineEdit* edit = c.Edit(name);
        edit->setMinimumWidth(320);
        QPushButton* browse = c.Beside("Button_" + QString(name).section('_', 1) + "_browse", "...");
        connect(browse, &QPushButton::clicked, this, [this, edit] { BrowseFolderInto(edit); });
        if (edit->objectName() == "Edit_dirtemp")
            c.Beside("Button_dirtempenv", "<", 3);
        if (edit->objectName() == "Edit_dirworking")
            c.Beside("Button_workingDir", "?", 3);
    }
    auto* user = c.Wide(Named<QLabel>(page.Widget(), "Label_user"));
    user->setText("User: " + Q(GetEnvVar("USER")));
    c.Check("CheckBox_dbftemp");
}

void Tconfig::BuildGraphicsTab()
{
    Page page(PageControl, "Tab_grafik", "Grafik");
    Column a = page.Next();
    a.Radio("RadioGroup_bildschirmgrafik");
    a.Edit("Edit_x");
    a.Reset("Edit_x");
    a.Edit("Edit_y");
    a.Reset("Edit_y");
    a.Combo("ComboBox_screensizecode");
    a.Edit("Edit_textbreitenfaktor");
    a.Reset("Edit_textbreitenfaktor");
    a.Edit("Edit_texthoehenfaktor");
    a.Reset("Edit_texthoehenfaktor");
    a.Value("Label_font");
    a.Reset("Label_font");
    a.Value("Label_hstyle");
    a.Beside("Button_grafikfont", "Schrift...");
    auto* colour = a.Field<ColorPanel>("Panel_colour");
    connect(colour, &ColorPanel::Clicked, this, [this, colour] { PickPanelColor(colour); });
    a.Button("Button_hintergrundfarbe", "Hintergrundfarbe");
    a.Edit("Edit_zoomfaktor");
    a.Reset("Edit_zoomfaktor");
    a.Edit("Edit_panfaktor");
    a.Reset("Edit_panfaktor");
    a.Check("CheckBox_zoomMouseWheel");
    a.Check("CheckBox_umrandung");

    Column b = page.Next();
    b.Spin("SpinEdit_dialogfenster", 0, 1000);
    b.Combo("ComboBox_dialogwindowSizecode");
    b.Spin("SpinEdit_dialogelemente", 0, 1000);
    b.Reset("SpinEdit_dialogelemente");
    b.Check("CheckBox_3dxyz");
    b.Edit("Edit_3dx");
    b.Edit("Edit_3dy");
    b.Edit("Edit_3dz");
    b.Check("CheckBox_zeichfusszeile");
    HelpButton(b, "Button_grafikhilfe", 1940);
}

void Tconfig::BuildCadTab()
{
    Page page(PageControl, "Tab_cad", "CAD");
    Column a = page.Next();
    a.Edit("Edit_cadfont");
    a.Edit("Edit_cadtextbreite");
    a.Reset("Edit_cadtextbreite");
    a.Edit("Edit_cadtextwinkel");
    a.Reset("Edit_cadtextwinkel");
    a.Check("CheckBox_diagrammgrenzen");
    a.Edit("Edit_freigabefeld");
    a.Reset("Edit_freigabefeld");
    a.Spin("SpinEdit_dxfdec", 1, 32);
    a.Reset("SpinEdit_dxfdec");
    a.Edit("Edit_dxfscale");
    a.Reset("Edit_dxfscale");
    a.Radio("radiogroupcadtexttyp");
    a.Edit("Edit_massfaktorconfig");
    a.Reset("Edit_massfaktorconfig");

    Column b = page.Next();
    b.Check("CheckBox_3Dto2D");
    b.Check("CheckBox_execCadFile");
    b.Check("CheckBox_japolyArcToLines");
    b.Edit("Edit_resolutionArcToLines");
    b.Reset("Edit_resolutionArcToLines");
    b.Combo("ComboBox_cadstltype");
    b.Edit("Edit_zslice");
    b.Reset("Edit_zslice");
    b.Check("CheckBox_jastlinvers");
    b.Edit("Edit_fitclearancebore");
    b.Reset("Edit_fitclearancebore");
    b.Edit("Edit_fitclearanceshaft");
    b.Reset("Edit_fitclearanceshaft");

    Column g = page.Next();
    auto* grid = g.Wide(new StringGrid(4, 6, page.Widget()));
    grid->setObjectName("StringGrid_layer");
    const char* heads[] = {"Layer", "Name", "Farbe", "Dicke"};
    for (int col = 0; col < 4; ++col)
        grid->SetCell(col, 0, heads[col]);
    const char* rows[] = {"Ausgezogene  Linie   0.50 mm", "Ausgezogene  Linie   0.35 mm",
                          "Ausgezogene  Linie   0.25 mm", "Gestrichelte Linie   0.25 mm",
                          "Mittellinie          0.25 mm"};
    QFont fixed("Monospace");
    fixed.setStyleHint(QFont::TypeWriter);
    for (int row = 1; row <= 5; ++row) {
        grid->SetCell(0, row, rows[row - 1]);
        grid->item(row, 0)->setFont(fixed);
    }
    grid->SetRowHeight(20);
    grid->SetColWidths(48);
    grid->setColumnWidth(0, QFontMetrics(fixed).horizontalAdvance(rows[0]) + 12);
    grid->FitToCells();
    connect(grid, &StringGrid::cellDoubleClicked, this, [this](int row, int col) {
        if (row >= 1 && col == 2)
            PickGridColor("Tab_cad", "StringGrid_layer", 2);
    });
    g.Button("Button_selectlayercolor", "Farbe...");
    g.Button("Button_layer_reset", "< Standard-Layer");
    g.Check("CheckBox_layermonochrom");
    HelpButton(g, "Button_layerhilfe", 1910);
    HelpButton(g, "Button_helpcad", 1920)->setText("Hilfe CAD");
}

void Tconfig::BuildColorTab()
{
    Page page(PageControl, "Tab_color", "Farbe");
    Column a = page.Next();
    auto* grid = a.Wide(new StringGrid(3, 17, page.Widget()));
    grid->setObjectName("StringGrid_color");
    grid->SetCell(0, 0, "Layer");
    grid->SetCell(1, 0, "Farbe");
    grid->SetCell(2, 0, "Dicke");
    for (int row = 1; row <= 16; ++row)
        grid->SetCell(0, row, QString::number(15 + row));
    grid->SetRowHeight(18);
    grid->SetColWidths(56);
    grid->FitToCells();
    connect(grid, &StringGrid::cellDoubleClicked, this, [this](int row, int) {
        if (row >= 1)
            PickGridColor("Tab_color", "StringGrid_color", 1);
    });

    Column b = page.Next();
    b.Button("Button_selectcolor", "Farbe...");
    for (int k = 1; k <= 3; ++k)
        b.Button(QString("Button_dick%1").arg(k), QString("=%1").arg(k));
    auto* panels = new QWidget(page.Widget());
    auto* panelGrid = new QGridLayout(panels);
    panelGrid->setSpacing(2);
    for (int k = 0; k < 16; ++k) {
        auto* panel = Named<ColorPanel>(panels, QString("Panel_color%1").arg(k));
        panel->SetCaption(QString::number(k + 1));
        panel->setMinimumSize(36, 28);
        panelGrid->addWidget(panel, k / 4, k % 4);
        connect(panel, &ColorPanel::Clicked, this, [this, panel] { PickPanelColor(panel); });
    }
    b.Wide(panels);
    b.Button("Button_resetcolor", "< Standardfarben");
    HelpButton(b, "Button_colorhilfe", 1555);
}

void Tconfig::BuildPrinterTab()
{
    Page page(PageControl, "Tab_drucker", "Drucker");
    Column a = page.Next();
    a.Edit("Edit_printscale");
    a.Reset("Edit_printscale");
    a.Edit("Edit_printscaley");
    a.Reset("Edit_printscaley");
    a.Edit("Edit_printxorigin");
    a.Reset("Edit_printxorigin");
    a.Edit("Edit_printyorigin");
    a.Reset("Edit_printyorigin");
    a.Check("CheckBox_umrandung");
    a.Check("CheckBox_printerDialogbox");
    a.Combo("ComboBox_lpt");
    Column b = page.Next();
    b.Radio("RadioGroup_printmono");
    b.Radio("RadioGroup_orientation");
    HelpButton(b, "Button_helpprint", 1935);
}

void Tconfig::BuildTextPrintTab()
{
    Page page(PageControl, "Tab_textdruck", "Ausdruck");
    Column a = page.Next();
    a.Radio("RadioGroup_trenn");
    a.Radio("RadioGroup_date");
    a.Combo("ComboBox_ausdruckdefault");
    a.Check("CheckBox_ausdruckshowdialog");
    a.Spin("SpinEdit_linesperpage", 0, 9999);
    a.Spin("SpinEdit_spacelines", 0, 30);
    a.Radio("RadioGroup_ff");
    Column b = page.Next();
    b.Value("Label_courier");
    b.Value("Label_couriersize");
    b.Value("Label_courierstyle");
    b.Button("Button_textfont", "Schrift...");
    b.Edit("Edit_left");
    b.Reset("Edit_left");
    b.Edit("Edit_top");
    b.Edit("Edit_width");
    b.Edit("Edit_height");
    b.Combo("ComboBox_textwindowsizecode");
    b.Radio("RadioGroup_ausgrad");
    HelpButton(b, "Button_helpausdruck", 1930);
}

void Tconfig::BuildSettingsTab()
{
    Page page(PageControl, "Tab_einstellung", "Einstellungen");
    Column a = page.Next();
    a.Combo("ComboBox_precision");
    a.Combo("ComboBox_unit");
    a.Radio("RadioGroup_punktkomma");
    a.Radio("RadioGroup_ExcelDot");
    a.Radio("RadioGroup_hilfegrad");
    Column b = page.Next();
    b.Check("CheckBox_usereingabe");
    b.Check("CheckBox_archivmode");
    b.Radio("RadioGroup_chars");
    b.Radio("RadioGroup_ergebnisgrafik");
    b.Check("CheckBox_aktuellfile");
    b.Check("CheckBox_saveMenuLanguage");
    b.Check("CheckBox_hidewarnings");
}

void Tconfig::BuildExternTab()
{
    Page page(PageControl, "Tab_extern", "Extern");
    Column a = page.Next();
    QLineEdit* html = a.Edit("Edit_externhtml");
    html->setMinimumWidth(320);
    connect(a.Beside("Button_externhtml_browse", "..."), &QPushButton::clicked, this,
            [this, html] { BrowseProgramInto(html); });
    auto* list = a.Wide(Named<QListWidget>(page.Widget(), "ListBox_kavolt"));
    for (int k = 1; k <= 5; ++k)
        list->addItem(QString("%1: ").arg(k));
    list->setFixedHeight(list->sizeHintForRow(0) * 5 + 2 * list->frameWidth() + 4);
    connect(list, &QListWidget::itemDoubleClicked, this, [this] { EditPlotLine(true); });
    a.Button("Button_confkavolt", "KAVOLT...");
    a.Button("Button_editkavoltcommandline", "KAVOLT Command Line");
    QLineEdit* txt = a.Edit("Edit_externtxt");
    connect(a.Beside("Button_externtxt_browse", "..."), &QPushButton::clicked, this,
            [this, txt] { BrowseProgramInto(txt); });
    a.Edit("Edit_handbuchdir");
    a.Beside("Button_handbuchdir", "...");
    if (auto* label = page.Widget()->findChild<QLabel*>("Label_of_Edit_handbuchdir"))
        label->setText(" E-Manual (" + Q(settings::BaseName) + ".htm)");
}

void Tconfig::BuildDrawingTab()
{
    Page page(PageControl, "Tab_zeichnung", "Zeichnung");
    Column a = page.Next();
    for (const char* name : {"CheckBox_zeichvelmoratitel", "CheckBox_zeichfilename", "CheckBox_zeichdatum",
                             "CheckBox_zeichlogo", "CheckBox_zeichnungskopf"})
        a.Check(name);
    // the logo block comes from the temporary folder
    auto* logo = page.Widget()->findChild<QCheckBox*>("CheckBox_zeichlogo");
    logo->setText(logo->text() + "  (" + Q(settings::TempDir) + ")");
    a.Combo("ComboBox_zeichnkopf");
    a.Check("CheckBox_copyrightvermerk");
    a.Combo("ComboBox_7200rand");
    a.Combo("ComboBox_index");
    Column b = page.Next();
    for (const char* name : {"CheckBox_abc123", "CheckBox_mmscale", "CheckBox_aenderungen",
                             "CheckBox_zeichhead034", "CheckBox_zeichinsert034",
                             "CheckBox_Neindrawcoordcross3d", "CheckBox_aendkopfindex0"})
        b.Check(name);
}

} // namespace kt4::shell::gui
