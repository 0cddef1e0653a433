#include "shell/gui/preview_form.h"

#include "foundation/captions.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/gui/form_placement.h"
#include "foundation/gui/form_util.h"
#include "foundation/helppictures.h"
#include "foundation/helptext.h"
#include "foundation/placement.h"
#include "foundation/settings.h"
#include "shell/preview_grid.h"
#include "shell/spreadsheet_link.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kt4::shell::gui {

namespace {

using formutil::Named;
using formutil::Q;

QAction* NamedAction(QMenu* Menu, const char* Name, const QString& Caption)
{
    QAction* a = Menu->addAction(Caption);
    a->setObjectName(Name);
    return a;
}

} // namespace

TForm_Suchen::TForm_Suchen(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("Form_Suchen");
    setWindowTitle("Search");
    Label_suchen = Named<QLabel>(this, "Label_suchen");
    Label_suchen->setText("Search for");
    Edit_suchbegriff = Named<QLineEdit>(this, "Edit_suchbegriff");
    Edit_suchbegriff->setMinimumWidth(ScaleSize(240));
    Button_search = Named<QPushButton>(this, "Button_search");
    Button_search->setText("Search");
    Button_search->setDefault(true);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Label_suchen);
    layout->addWidget(Edit_suchbegriff, 1);
    layout->addWidget(Button_search);
    connect(Button_search, &QPushButton::clicked, this, &QDialog::accept);
    CenterForm(this);
}

TForm_preview::TForm_preview(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("Form_preview");
    MainMenu1 = Named<QMenuBar>(this, "MainMenu1");
    mi_File = MainMenu1->addMenu("File");
    mi_File->setObjectName("mi_File");
    mi_fileExportExcel = NamedAction(mi_File, "mi_fileExportExcel", "Export Excel");
    mi_fileExit = NamedAction(mi_File, "mi_fileExit", "E&xit");
    mi_edit = MainMenu1->addMenu("edit");
    mi_edit->setObjectName("mi_edit");
    mi_editsearch = NamedAction(mi_edit, "mi_editsearch", "&Search");
    mi_editsearch->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    SearchNext1 = NamedAction(mi_edit, "SearchNext1", "Search &Next");
    SearchNext1->setShortcut(QKeySequence(Qt::Key_F3));
    mi_Help = MainMenu1->addMenu("Help");
    mi_Help->setObjectName("mi_Help");
    mi_HelpHelp = NamedAction(mi_Help, "mi_HelpHelp", "Help");
    for (QAction* a : {mi_editsearch, SearchNext1})
        a->setShortcutContext(Qt::WindowShortcut);

    StringGrid1 = Named<QTableWidget>(this, "StringGrid1");
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setSectionsClickable(false);
    StringGrid1->horizontalHeader()->setHighlightSections(false);
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    StringGrid1->horizontalHeader()->viewport()->installEventFilter(this);
    StringGrid1->installEventFilter(this);

    Button_ok = Named<QPushButton>(this, "Button_ok");
    Button_cancel = Named<QPushButton>(this, "Button_cancel");
    Button_help = Named<QPushButton>(this, "Button_help");
    Button_hilfebild = Named<QPushButton>(this, "Button_hilfebild");
    Button_ok->setText("OK");
    Button_cancel->setText("Abbrechen");
    Button_help->setText("Hilfe");
    Button_hilfebild->setText("Hilfebild");
    for (QPushButton* b : {Button_ok, Button_cancel, Button_help, Button_hilfebild})
        b->setAutoDefault(false); // Enter belongs to the grid

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(StringGrid1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button_ok);
    buttons->addWidget(Button_cancel);
    buttons->addWidget(Button_help);
    buttons->addWidget(Button_hilfebild);
    buttons->addStretch();
    layout->addLayout(buttons);

    connect(Button_ok, &QPushButton::clicked, this, &TForm_preview::CloseAborted);
    connect(Button_cancel, &QPushButton::clicked, this, &TForm_preview::CloseAborted);
    connect(mi_fileExit, &QAction::triggered, this, &TForm_preview::CloseAborted);
    connect(Button_help, &QPushButton::clicked, this, &TForm_preview::HelpClick);
    connect(mi_HelpHelp, &QAction::triggered, this, &TForm_preview::HelpClick);
    connect(Button_hilfebild, &QPushButton::clicked, this, [this] {
        HelpPicturesMenu();
        raise();
        activateWindow();
        settings::AbortFlag = false;
    });
    connect(mi_fileExportExcel, &QAction::triggered, this, &TForm_preview::ExportExcel);
    connect(mi_editsearch, &QAction::triggered, this, &TForm_preview::Search);
    connect(SearchNext1, &QAction::triggered, this, &TForm_preview::SearchNext);
    connect(StringGrid1, &QTableWidget::cellClicked, this, &TForm_preview::CellChosen);
    connect(StringGrid1, &QTableWidget::currentCellChanged, this, [this](int row, int col) {
        if (grid_ && row >= 0) {
            grid_->Row = row + 1;
            grid_->Col = col;
        }
    });
    FormCreate();
}

void TForm_preview::FormCreate()
{
    using namespace captions;
    mi_File->setTitle(Q(CaptionFile));
    mi_fileExit->setText(Q(CaptionExit));
    mi_Help->setTitle(Q(CaptionHelp));
    mi_HelpHelp->setText(Q(CaptionHelp));
    mi_edit->setTitle(Q(CaptionEdit));
    mi_editsearch->setText("Search");
    StringGrid1->horizontalHeader()->setDefaultSectionSize(ScaleSize(48));
    const int rowHeight = std::max(ScaleSize(16), StringGrid1->fontMetrics().height() + 4);
    StringGrid1->verticalHeader()->setDefaultSectionSize(rowHeight);
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setSizeGripEnabled(true);
    resize(ScaleSize(960), ScaleSize(480));
    CenterForm(this);
}

void TForm_preview::ShowGrid(PreviewGrid& Grid)
{
    if (grid_ != &Grid) {
        grid_ = &Grid;
        Fill();
    }
    setWindowTitle(Q(Grid.Caption())); // the grid's caption at every showing
    ShowCurrentCell();
    exec();
}

void TForm_preview::Fill()
{
    const QSignalBlocker block(StringGrid1);
    const int rows = std::max(grid_->RowCount() - 1, 0);
    const int cols = grid_->ColCount();
    StringGrid1->clear();
    StringGrid1->setColumnCount(cols);
    StringGrid1->setRowCount(rows);
    QStringList header;
    for (int c = 0; c < cols; ++c)
        header << Q(grid_->Cell(c, 0));
    StringGrid1->setHorizontalHeaderLabels(header);
    for (int r = 1; r <= rows; ++r)
        for (int c = 0; c < cols; ++c) {
            auto* item = new QTableWidgetItem(Q(grid_->Cell(c, r)));
            if (static_cast<std::size_t>(c) < grid_->RightAligned.size() &&
                grid_->RightAligned[static_cast<std::size_t>(c)])
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            StringGrid1->setItem(r - 1, c, item);
        }
    // The design widths; narrow columns (dates, numbers) grow to their
    // texts, which the screen's font may make wider than designed.
    for (int c = 0; c < cols; ++c) {
        int design = c == 0 ? 120 : c == 1 ? 72 : 48;
        if (static_cast<std::size_t>(c) < grid_->ColWidths.size() &&
            grid_->ColWidths[static_cast<std::size_t>(c)] > 0)
            design = grid_->ColWidths[static_cast<std::size_t>(c)];
        int width = ScaleSize(design);
        if (design < 100) {
            StringGrid1->resizeColumnToContents(c);
            width = std::max(width, StringGrid1->columnWidth(c));
        }
        StringGrid1->setColumnWidth(c, width);
    }
}

void TForm_preview::ShowCurrentCell()
{
    if (grid_ && grid_->Row >= 1 && grid_->Row < grid_->RowCount())
        StringGrid1->setCurrentCell(grid_->Row - 1, std::clamp(grid_->Col, 0, grid_->ColCount() - 1));
}

void TForm_preview::CellChosen(int TableRow, int Col)
{
    const int row = TableRow + 1;
    if (!grid_ || TableRow < 0 || row == grid_->SelectedRow)
        return;
    grid_->SelectedRow = grid_->Row = row;
    grid_->Col = Col;
    settings::AbortFlag = false;
    done(QDialog::Accepted);
}

void TForm_preview::CloseAborted()
{
    settings::AbortFlag = true;
    done(QDialog::Rejected);
}

void TForm_preview::reject() { CloseAborted(); }

void TForm_preview::SortByColumn(int Col)
{
    if (!grid_)
        return;
    grid_->SortByColumn(Col);
    const QSignalBlocker block(StringGrid1);
    for (int r = 1; r < grid_->RowCount(); ++r)
        for (int c = 0; c < grid_->ColCount(); ++c)
            StringGrid1->item(r - 1, c)->setText(Q(grid_->Cell(c, r)));
    ShowCurrentCell();
}

void TForm_preview::Found(bool Hit)
{
    if (Hit)
        ShowCurrentCell();
    else
        MessageText(DisplayToOem(grid_->SearchText + " not found."));
}

void TForm_preview::Search()
{
    if (!grid_)
        return;
    TForm_Suchen dialog(this);
    dialog.Edit_suchbegriff->setText(Q(grid_->SearchText));
    dialog.Edit_suchbegriff->selectAll();
    const bool accepted = dialog.exec() == QDialog::Accepted;
    activateWindow(); // the grid's keys (F3, Enter) again
    if (!accepted)
        return;
    grid_->SearchText = dialog.Edit_suchbegriff->text().toStdString();
    grid_->SearchRow = 0;
    Found(grid_->FindNext());
}

void TForm_preview::SearchNext()
{
    if (!grid_)
        return;
    grid_->SearchRow = grid_->Row;
    Found(grid_->FindNext());
}

void TForm_preview::ExportExcel()
{
    if (grid_)
        ExportGridToSpreadsheet(*grid_);
}

void TForm_preview::HelpClick()
{
    ShowHelpText(3400, "", 1);
    settings::AbortFlag = false;
}

bool TForm_preview::eventFilter(QObject* Watched, QEvent* Event)
{
    QHeaderView* header = StringGrid1->horizontalHeader();
    if (Watched == header->viewport() && Event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(Event);
        if (mouse->button() != Qt::RightButton)
            return false;
        const QPoint at = mouse->position().toPoint();
        const int col = header->logicalIndexAt(at.x());
        if (col >= 0) {
            const int left = header->sectionViewportPosition(col);
            const int right = left + header->sectionSize(col) - 1;
            if (at.x() > left && at.x() < right && at.y() > 0 && at.y() < header->height() - 1)
                SortByColumn(col);
        }
        return true;
    }
    if (Watched == StringGrid1 && Event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(Event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            CellChosen(StringGrid1->currentRow(), StringGrid1->currentColumn());
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

} // namespace kt4::shell::gui
