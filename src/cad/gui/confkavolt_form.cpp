#include "cad/gui/confkavolt_form.h"

#include "foundation/gui/qt_ui.h"
#include "cad/gui/cad_forms_qt.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/gui/form_placement.h"
#include "foundation/gui/form_util.h"
#include "foundation/helptext.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "foundation/ui_service.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kt4 {

namespace {

using formutil::Named;
using formutil::Q;
using formutil::S;

} // namespace

QGroupBox* TForm_confkavolt::RadioGroup(const char* Name, const QString& Caption,
                                        const char* const* Items, int Count, QButtonGroup*& Group)
{
    QStringList items;
    for (int k = 0; k < Count; ++k)
        items << Items[k];
    return formutil::RadioGroupBox(this, Name, Caption, items, Group);
}

TForm_confkavolt::TForm_confkavolt(const std::string& Line, QWidget* Parent) : QDialog(Parent)
{
    setObjectName("TForm_confkavolt");
    Edit_kavoltPath = Named<QLineEdit>(this, "Edit_kavoltPath");
    Button_kavoltpath = Named<QPushButton>(this, "Button_kavoltpath");
    RadioGroup_outcode = RadioGroup("RadioGroup_outcode", "Ausgabeformat", cad::PlotFormatNames.data(),
                                    cad::PlotFormatCount, outcode_);
    RadioGroup_d = RadioGroup("RadioGroup_d", "Ausgabeschnittstelle", cad::PlotInterfaceNames.data(), 3,
                              interface_);
    Edit_com = Named<QLineEdit>(this, "Edit_com");
    Edit_lpt = Named<QLineEdit>(this, "Edit_lpt");
    Edit_outdir = Named<QLineEdit>(this, "Edit_outdir");
    Button_outDir = Named<QPushButton>(this, "Button_outDir");
    Button_tempdir = Named<QPushButton>(this, "Button_tempdir");
    Edit_scale = Named<QLineEdit>(this, "Edit_scale");
    CheckBox_scale = Named<QCheckBox>(this, "CheckBox_scale");
    CheckBox_rotate = Named<QCheckBox>(this, "CheckBox_rotate");
    Edit_xnull = Named<QLineEdit>(this, "Edit_xnull");
    Edit_ynull = Named<QLineEdit>(this, "Edit_ynull");
    Edit_textbreitenfaktor = Named<QLineEdit>(this, "Edit_textbreitenfaktor");
    ComboBox_psfont = Named<QComboBox>(this, "ComboBox_psfont");
    Label_commandline = Named<QLabel>(this, "Label_commandline");
    Button_ok = Named<QPushButton>(this, "Button_ok");
    Button_cancel = Named<QPushButton>(this, "Button_cancel");
    Button_help = Named<QPushButton>(this, "Button_help");
    for (auto*& l : labels_)
        l = new QLabel(this);

    auto* path = new QHBoxLayout;
    path->addWidget(Edit_kavoltPath, 1);
    path->addWidget(Button_kavoltpath);
    auto* ports = new QGridLayout;
    ports->addWidget(labels_[1], 0, 0);
    ports->addWidget(Edit_com, 0, 1);
    ports->addWidget(labels_[2], 1, 0);
    ports->addWidget(Edit_lpt, 1, 1);
    ports->setRowStretch(2, 1);
    auto* outdir = new QHBoxLayout;
    outdir->addWidget(Button_tempdir);
    outdir->addWidget(Edit_outdir, 1);
    outdir->addWidget(Button_outDir);
    auto* groups = new QHBoxLayout;
    groups->addWidget(RadioGroup_outcode);
    groups->addWidget(RadioGroup_d);
    groups->addLayout(ports, 1);
    auto* values = new QGridLayout;
    values->addWidget(labels_[3], 0, 0);
    values->addWidget(Edit_scale, 0, 1);
    values->addWidget(CheckBox_scale, 0, 2);
    values->addWidget(labels_[4], 1, 0);
    values->addWidget(Edit_xnull, 1, 1);
    values->addWidget(CheckBox_rotate, 1, 2);
    values->addWidget(labels_[5], 2, 0);
    values->addWidget(Edit_ynull, 2, 1);
    values->addWidget(labels_[6], 3, 0);
    values->addWidget(Edit_textbreitenfaktor, 3, 1);
    values->addWidget(labels_[7], 4, 0);
    values->addWidget(ComboBox_psfont, 4, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button_ok);
    buttons->addWidget(Button_cancel);
    buttons->addWidget(Button_help);
    auto* top = new QVBoxLayout(this);
    top->addWidget(labels_[0]);
    top->addLayout(path);
    top->addLayout(groups);
    top->addLayout(outdir);
    top->addLayout(values);
    top->addWidget(Label_commandline);
    top->addLayout(buttons);

    FormCreate();
    cad::PlotFormValues v = cad::DefaultPlotForm();
    cad::ParsePlotLine(Line, v);
    Show(v);

    connect(Button_ok, &QPushButton::clicked, this, &TForm_confkavolt::Button_okClick);
    connect(Button_cancel, &QPushButton::clicked, this, &TForm_confkavolt::Button_cancelClick);
    connect(Button_help, &QPushButton::clicked, this, &TForm_confkavolt::Button_helpClick);
    connect(Button_kavoltpath, &QPushButton::clicked, this, &TForm_confkavolt::Button_kavoltpathClick);
    connect(Button_outDir, &QPushButton::clicked, this, &TForm_confkavolt::Button_outDirClick);
    connect(Button_tempdir, &QPushButton::clicked, this, &TForm_confkavolt::Button_tempdirClick);
    connect(CheckBox_scale, &QCheckBox::clicked, this, &TForm_confkavolt::CheckBox_scaleClick);
    for (auto* edit : {Edit_kavoltPath, Edit_com, Edit_lpt, Edit_outdir, Edit_scale, Edit_xnull, Edit_ynull,
                       Edit_textbreitenfaktor})
        connect(edit, &QLineEdit::textChanged, this, &TForm_confkavolt::MakeCommandLine);
    connect(outcode_, &QButtonGroup::idToggled, this, &TForm_confkavolt::MakeCommandLine);
    connect(interface_, &QButtonGroup::idToggled, this, &TForm_confkavolt::MakeCommandLine);
    connect(CheckBox_rotate, &QCheckBox::toggled, this, &TForm_confkavolt::MakeCommandLine);
    connect(CheckBox_scale, &QCheckBox::toggled, this, &TForm_confkavolt::MakeCommandLine);
    connect(ComboBox_psfont, &QComboBox::currentTextChanged, this, &TForm_confkavolt::MakeCommandLine);
}

void TForm_confkavolt::FormCreate()
{
    setWindowTitle("KAVOLT");
    Button_ok->setText("OK");
    Button_ok->setDefault(true);
    Button_cancel->setText("Abbrechen");
    Button_help->setText("&Hilfe");
    Button_kavoltpath->setText("...");
    Button_outDir->setText("...");
    Button_tempdir->setText("<");
    Button_tempdir->setFixedWidth(Button_tempdir->fontMetrics().horizontalAdvance("<<<<"));
    labels_[0]->setText("KAVOLT Programmverzeichnis");
    labels_[1]->setText("COM");
    labels_[2]->setText("LPT");
    labels_[3]->setText(Q(OemToDisplay("Ma\xE1stab")));
    labels_[4]->setText("Nullpunktverschiebung in x-Richtung");
    labels_[5]->setText("Nullpunktverschiebung in y-Richtung");
    labels_[6]->setText("Textbreitenfaktor");
    labels_[7]->setText("Postscript-Zeichensatz");
    CheckBox_scale->setText(Q(OemToDisplay("Ma\xE1stab anpassen ?")));
    CheckBox_rotate->setText("Plot um 90 Grad drehen ?");
    ComboBox_psfont->setEditable(true);
    for (const char* font : cad::PostScriptFontNames)
        ComboBox_psfont->addItem(font);
    Label_commandline->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (settings::HelpLevel > 0) {
        auto hint = [](QWidget* w, Word n) { w->setToolTip(Q(HelpTextString(n))); };
        hint(RadioGroup_outcode, 2090);
        hint(RadioGroup_d, 2120);
        hint(Edit_scale, 2140);
        hint(CheckBox_scale, 2140);
        hint(Edit_com, 2120);
        hint(Edit_lpt, 2120);
        hint(Edit_outdir, 2130);
        hint(ComboBox_psfont, 2280);
        hint(CheckBox_rotate, 2145);
        hint(Edit_xnull, 2150);
        hint(Edit_ynull, 2150);
        hint(Edit_textbreitenfaktor, 2160);
        hint(Edit_kavoltPath, 2080);
    }
    CenterForm(this);
}

void TForm_confkavolt::Show(const cad::PlotFormValues& V)
{
    Edit_kavoltPath->setText(Q(V.programPath));
    if (auto* b = outcode_->button(V.format))
        b->setChecked(true);
    if (auto* b = interface_->button(V.port))
        b->setChecked(true);
    Edit_com->setText(Q(V.com));
    Edit_lpt->setText(Q(V.lpt));
    Edit_outdir->setText(Q(V.outDir));
    Edit_scale->setText(Q(V.fit ? "0" : V.scale));
    CheckBox_scale->setChecked(V.fit);
    CheckBox_rotate->setChecked(V.rotate);
    Edit_xnull->setText(Q(V.xShift));
    Edit_ynull->setText(Q(V.yShift));
    Edit_textbreitenfaktor->setText(Q(V.textWidth));
    ComboBox_psfont->setCurrentText(Q(V.psFont));
    MakeCommandLine();
}

cad::PlotFormValues TForm_confkavolt::Values() const
{
    cad::PlotFormValues v;
    v.programPath = S(Edit_kavoltPath->text());
    v.format = std::max(outcode_->checkedId(), 0);
    v.port = interface_->checkedId() < 0 ? 1 : interface_->checkedId();
    v.com = S(Edit_com->text());
    v.lpt = S(Edit_lpt->text());
    v.outDir = S(Edit_outdir->text());
    v.scale = S(Edit_scale->text());
    v.fit = CheckBox_scale->isChecked();
    v.rotate = CheckBox_rotate->isChecked();
    v.xShift = S(Edit_xnull->text());
    v.yShift = S(Edit_ynull->text());
    v.textWidth = S(Edit_textbreitenfaktor->text());
    v.psFont = S(ComboBox_psfont->currentText());
    return v;
}

void TForm_confkavolt::MakeCommandLine()
{
    cad::PlotFormValues v = Values();
    cad::PlotFormEnabled e = cad::EnabledControls(v);
    ComboBox_psfont->setEnabled(e.psFont);
    Edit_com->setEnabled(e.com);
    Edit_lpt->setEnabled(e.lpt);
    Edit_outdir->setEnabled(e.outDir);
    Button_outDir->setEnabled(e.outDir);
    Button_tempdir->setEnabled(e.outDir);
    Edit_scale->setEnabled(e.scale);
    PlotCommandLine = cad::MakeCommandLine(v);
    Label_commandline->setText(Q(PlotCommandLine));
}

void TForm_confkavolt::CheckBox_scaleClick(bool Checked)
{
    if (Checked)
        Edit_scale->setText("0");
    MakeCommandLine();
}

void TForm_confkavolt::Button_kavoltpathClick()
{
    std::string path = S(Edit_kavoltPath->text());
    std::string dir = StripBackslash(FilePathPart(path));
    if (Ui().OpenFileDialog("", dir, "*|*", path))
        Edit_kavoltPath->setText(Q(path));
}

void TForm_confkavolt::Button_outDirClick()
{
    std::string dir;
    BrowseFolder(S(Edit_outdir->text()), dir);
    Edit_outdir->setText(Q(dir));
}

void TForm_confkavolt::Button_tempdirClick() { Edit_outdir->setText(Q(settings::TempDir)); }

void TForm_confkavolt::Button_okClick()
{
    MakeCommandLine();
    settings::AbortFlag = false;
    accept();
}

void TForm_confkavolt::Button_cancelClick()
{
    settings::AbortFlag = true;
    reject();
}

void TForm_confkavolt::Button_helpClick() { ShowHelpText(cad::PlotFormHelp, "", 0); }

void InstallCadForms()
{
    cad::PlotFormHook = [](std::string& Line) {
        TForm_confkavolt form(Line, kt4::gui::DialogParent());
        if (form.exec() != QDialog::Accepted)
            return false;
        Line = form.PlotCommandLine;
        return true;
    };
}

} // namespace kt4
