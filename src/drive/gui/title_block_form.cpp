#include "drive/gui/title_block_form.h"
#include "cad/cad_settings.h"

#include "drive/docu_data.h"
#include "drive/docu_forms.h"
#include "drive/docu_texts.h"
#include "drive/gui/string_grid.h"
#include "foundation/datetime.h"
#include "foundation/gui/form_util.h"
#include "foundation/helptext.h"
#include "foundation/placement.h"
#include "foundation/gui/form_placement.h"
#include "foundation/settings.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kt4 {

using namespace formutil;

namespace {

constexpr int FreeTextRows = 8;
const char* const FreeTextHeads[] = {"x", "y", "h", "phi", "Text", "Layer"};
const char* const TextModes[] = {"A4", "A3", "A4+A3", "-"};

} // namespace

TForm_zeichInfo::TForm_zeichInfo(QWidget* Parent) : QDialog(Parent), iso_(docu::IsoTitleBlock())
{
    setObjectName("TForm_zeichInfo");
    Label_ersatz_fuer = Named<QLabel>(this, "Label_ersatz_fuer");
    Label_ersetzt_durch = Named<QLabel>(this, "Label_ersetzt_durch");
    Edit_ersatzfuer = Named<QLineEdit>(this, "Edit_ersatzfuer");
    Edit_ersetztdurch = Named<QLineEdit>(this, "Edit_ersetztdurch");
    Edit_ersatzfuer->setMaxLength(docu::ReplacementMax);
    Edit_ersetztdurch->setMaxLength(docu::ReplacementMax);
    Button_ok = Named<QPushButton>(this, "Button_ok");
    Button_cancel = Named<QPushButton>(this, "Button_cancel");
    Button_help = Named<QPushButton>(this, "Button_help");
    StringGrid1 = new StringGrid(3, iso_ ? 4 : 5, this);
    StringGrid1->setObjectName("StringGrid1");
    for (int k = 0; k < 4; ++k)
        DateButtons[k] = Named<QPushButton>(this, QString("Button%1").arg(k + 1));
    StringGrid2 = new StringGrid(7, FreeTextRows + 1, this);
    StringGrid2->setObjectName("StringGrid2");
    ComboBox_zeichtextmode = Named<QComboBox>(this, "ComboBox_zeichtextmode");
    StringGrid3 = new StringGrid(2, 4, this);
    StringGrid3->setObjectName("StringGrid3");

    auto* rows = new QVBoxLayout;
    rows->setSpacing(0);
    rows->addSpacing(ScaleSize(18)); // beside the grid's rows 1 to 4
    for (auto* b : DateButtons) {
        b->setFixedHeight(ScaleSize(18));
        rows->addWidget(b);
    }
    rows->addStretch();
    auto* refs = new QGridLayout;
    refs->addWidget(Label_ersatz_fuer, 0, 0);
    refs->addWidget(Edit_ersatzfuer, 0, 1);
    refs->addWidget(Label_ersetzt_durch, 1, 0);
    refs->addWidget(Edit_ersetztdurch, 1, 1);
    refs->setRowStretch(2, 1);
    auto* upper = new QHBoxLayout;
    upper->addWidget(StringGrid1, 0, Qt::AlignTop);
    upper->addLayout(rows);
    upper->addWidget(StringGrid3, 0, Qt::AlignTop);
    upper->addLayout(refs);
    upper->addStretch();
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Button_ok);
    buttons->addWidget(Button_cancel);
    buttons->addWidget(Button_help);
    buttons->addStretch();
    upper->addLayout(buttons);
    auto* top = new QVBoxLayout(this);
    top->addLayout(upper);
    top->addWidget(ComboBox_zeichtextmode, 0, Qt::AlignLeft);
    top->addWidget(StringGrid2);
    top->addStretch();

    connect(Button_ok, &QPushButton::clicked, this, &TForm_zeichInfo::Button_okClick);
    connect(Button_cancel, &QPushButton::clicked, this, &TForm_zeichInfo::Button_cancelClick);
    connect(Button_help, &QPushButton::clicked, this, &TForm_zeichInfo::Button_helpClick);
    for (int k = 0; k < 4; ++k)
        connect(DateButtons[k], &QPushButton::clicked, this, [this, k] { DateButtonClick(k + 1); });

    FormCreate();
    connect(ComboBox_zeichtextmode, &QComboBox::currentIndexChanged, this,
            &TForm_zeichInfo::ComboBox_zeichtextmodeChange);
}

void TForm_zeichInfo::FormCreate()
{
    const docu::TDocuTexts& t = docu::DocuTexts;
    setWindowTitle(FromOem(t.drawingInfo) + (iso_ ? " ISO 7200" : " DIN 6771"));
    Button_ok->setText("OK");
    Button_ok->setDefault(true);
    Button_cancel->setText("Abbrechen");
    Button_help->setText("&Hilfe");
    Label_ersatz_fuer->setText(FromOem(t.replacementFor));
    Label_ersetzt_durch->setText(FromOem(t.replacedBy));
    QString today = "< " + Q(DateString());
    for (auto* b : DateButtons)
        b->setText(today);
    SetupDatedRows();
    SetupFreeTexts();
    CenterForm(this);
}

void TForm_zeichInfo::SetupDatedRows()
{
    const docu::TDocuTexts& t = docu::DocuTexts;
    docu::TitleBlockValues v = docu::LoadTitleBlock();
    Edit_ersatzfuer->setText(Q(v.replacementFor));
    Edit_ersetztdurch->setText(Q(v.replacedBy));
    StringGrid1->SetRowHeight(18);
    if (iso_) {
        StringGrid1->SetCell(1, 0, " (" + FromOem(t.date) + ")");
        StringGrid1->SetCell(0, 1, FromOem(t.isoCreatedBy));
        StringGrid1->SetCell(0, 2, FromOem(t.isoApprovedBy));
        StringGrid1->SetCell(0, 3, FromOem(t.isoTechnicalReference));
        StringGrid1->SetColWidth(0, 128);
        StringGrid1->SetColWidth(1, 64);
        StringGrid1->SetColWidth(2, 128);
    } else {
        StringGrid1->SetCell(1, 0, FromOem(t.date));
        StringGrid1->SetCell(0, 1, FromOem(t.row1));
        StringGrid1->SetCell(0, 2, FromOem(t.row2));
        StringGrid1->SetCell(0, 3, FromOem(t.row3));
        StringGrid1->SetCell(0, 4, FromOem(cad::ReleaseFieldText));
        StringGrid1->SetColWidths(64);
    }
    StringGrid1->SetCell(2, 0, FromOem(t.name));
    int rows = iso_ ? 3 : 4;
    for (int r = 1; r <= rows; ++r) {
        StringGrid1->SetCell(1, r, Q(v.dates[r - 1]));
        StringGrid1->SetCell(2, r, Q(v.names[r - 1]));
    }
    for (int c = 0; c < 3; ++c)
        StringGrid1->FitColumn(c, "0000-00-00");
    StringGrid1->FitToCells();

    StringGrid3->SetRowHeight(16);
    StringGrid3->SetColWidths(128);
    StringGrid3->SetCell(0, 1, FromOem(t.isoResponsibleDept));
    StringGrid3->SetCell(0, 2, FromOem(t.isoDocumentType));
    StringGrid3->SetCell(0, 3, FromOem(t.isoDocumentStatus));
    for (int r = 1; r <= 3; ++r)
        StringGrid3->SetCell(1, r, Q(v.isoFields[r - 1]));
    StringGrid3->FitColumn(0);
    StringGrid3->FitColumn(1);
    StringGrid3->FitToCells();

    StringGrid3->setVisible(iso_);
    for (auto* w : {static_cast<QWidget*>(Label_ersatz_fuer), static_cast<QWidget*>(Label_ersetzt_durch),
                    static_cast<QWidget*>(Edit_ersatzfuer), static_cast<QWidget*>(Edit_ersetztdurch)})
        w->setVisible(!iso_);
    for (auto* b : DateButtons)
        b->setVisible(!iso_);
}

void TForm_zeichInfo::SetupFreeTexts()
{
    docu::TitleBlockValues v = docu::LoadTitleBlock();
    StringGrid2->SetRowHeight(16);
    StringGrid2->SetColWidths(32);
    StringGrid2->SetColWidth(5, 320);
    for (int c = 1; c <= 6; ++c)
        StringGrid2->SetCell(c, 0, FreeTextHeads[c - 1]);
    for (int r = 1; r <= FreeTextRows; ++r) {
        const docu::FreeTextRow& row = v.freeTexts[static_cast<std::size_t>(r - 1)];
        StringGrid2->SetCell(0, r, QString::number(r));
        const std::string* cells[] = {&row.x, &row.y, &row.h, &row.phi, &row.text, &row.layer};
        for (int c = 1; c <= 6; ++c)
            StringGrid2->SetCell(c, r, Q(*cells[c - 1]));
    }
    StringGrid2->FitColumn(6);
    StringGrid2->FitToCells();
    for (const char* mode : TextModes)
        ComboBox_zeichtextmode->addItem(mode);
    ComboBox_zeichtextmode->setToolTip(Q(HelpTextString(3020)));
    ComboBox_zeichtextmode->setCurrentIndex(std::clamp(v.textMode, 0, 3));
}

void TForm_zeichInfo::ComboBox_zeichtextmodeChange(int Index)
{
    StringGrid2->setVisible(Index != docu::ZeichTextNone);
}

void TForm_zeichInfo::DateButtonClick(int Row) { StringGrid1->SetCell(1, Row, Q(DateString())); }

void TForm_zeichInfo::Button_okClick()
{
    settings::AbortFlag = false;
    docu::TitleBlockValues v;
    v.iso = iso_;
    v.replacementFor = S(Edit_ersatzfuer->text());
    v.replacedBy = S(Edit_ersetztdurch->text());
    for (int r = 1; r <= 4; ++r) {
        v.dates[static_cast<std::size_t>(r - 1)] = S(StringGrid1->Cell(1, r));
        v.names[static_cast<std::size_t>(r - 1)] = S(StringGrid1->Cell(2, r));
    }
    for (int r = 1; r <= FreeTextRows; ++r) {
        auto cell = [&](int c) { return S(StringGrid2->Cell(c, r)); };
        v.freeTexts[static_cast<std::size_t>(r - 1)] = {cell(1), cell(2), cell(3), cell(4), cell(5), cell(6)};
    }
    v.textMode = ComboBox_zeichtextmode->currentIndex();
    for (int r = 1; r <= 3; ++r)
        v.isoFields[static_cast<std::size_t>(r - 1)] = S(StringGrid3->Cell(1, r));
    if (docu::StoreTitleBlock(v))
        accept();
}

void TForm_zeichInfo::Button_cancelClick()
{
    settings::AbortFlag = true;
    reject();
}

void TForm_zeichInfo::Button_helpClick() { ShowHelpText(3010, "", 0); }

} // namespace kt4
