#include "dbase/gui/dbf4_form.h"

#include "dbase/dataset/tzfds.h"
#include "dbase/engine/codepage.h"
#include "dbase/gui/dataset_model.h"
#include "dbase/gui/tzgrid.h"
#include "dbase/gui/tznavigator.h"
#include "foundation/captions.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/gui/form_placement.h"
#include "foundation/helptext.h"
#include "foundation/private_temp.h"
#include "foundation/settings.h"

#include <QAction>
#include <QPainter>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>

#include <algorithm>
#include <array>
#include <stdexcept>

namespace kt4::dbase::gui {

QPointer<Tdbf4> Dbf4Form;

namespace {

// A label that shows a text too long for it with an ellipsis at its end;
// text() stays whole.
class ElidedLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setFont(font());
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(contentsRect(), Qt::AlignLeft | Qt::AlignVCenter,
                   fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width()));
    }
};

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The browser behind DbfShow while the form exists.
class FormBrowser : public TDbf4Browser {
public:
    explicit FormBrowser(Tdbf4* form) : form_(form) {}
    void DbfSetMode(const std::string& option, TDbf4Mode mode) override
    {
        if (form_)
            form_->DbfSetMode(option, mode);
    }
    QPointer<Tdbf4> form_;
};

std::weak_ptr<FormBrowser>& Installed()
{
    static std::weak_ptr<FormBrowser> browser;
    return browser;
}

QAction* Item(QMenu* menu, const char* name, const QString& caption)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    return a;
}

QAction* Separator(QMenu* menu, const char* name)
{
    QAction* a = menu->addSeparator();
    a->setObjectName(name);
    return a;
}

bool Editing(const TTzFileDataSet& ds)
{
    return ds.State() == TDataSetState::dsEdit || ds.State() == TDataSetState::dsInsert;
}

} // namespace

Tdbf4::Tdbf4(QWidget* owner) : QDialog(owner)
{
    setObjectName("dbf4");
    setModal(true);
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName("MainMenu1");
    client_ = new QWidget(this);
    client_->setObjectName("dbf4Client");

    tzdbf0 = new DatasetModel(this);
    tzdbf0->setObjectName("tzdbf0");
    TzNavigator1 = new TTzNavigator(client_);
    TzNavigator1->setObjectName("TzNavigator1");
    TzNavigator1->move(4, 5);
    TzGrid1 = new TTzGrid(client_);
    TzGrid1->setObjectName("TzGrid1");
    TzGrid1->setGeometry(4, 36, 640, 380);
    auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromUtf8(caption), client_);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    Button_ok = button("Button_ok", "OK");
    Button_ok->setDefault(true);
    Button_cancel = button("Button_cancel", "Abbrechen");
    Button_search = button("Button_search", "&Suchen");
    Button_SearchNext = button("Button_SearchNext", "&Weitersuchen");
    Edit_recno = new QLineEdit(client_);
    Edit_recno->setObjectName("Edit_recno");
    Edit_recno->setAlignment(Qt::AlignRight);
    Label_reccount = new QLabel(client_);
    Label_reccount->setObjectName("Label_reccount");
    Label_title2 = new ElidedLabel(this);
    Label_title2->setObjectName("Label_title2");
    QFont bold = Label_title2->font();
    bold.setBold(true);
    Label_title2->setFont(bold);
    Label_title1 = new QLabel(client_);
    Label_title1->setObjectName("Label_title1");
    Label_title1->hide();
    Label_filename = new QLabel(client_);
    Label_filename->setObjectName("Label_filename");
    Label_filename->hide();

    TzGrid1->AutoAppend = true;
    TzGrid1->BooleanBox = TTzBooleanBox::bbCheckBox;
    TzGrid1->SetDepressDisabled(false);
    TzGrid1->SetDataSource(tzdbf0);
    TzNavigator1->ConfirmDelete = false;
    TzNavigator1->ConfirmRestore = false;
    TzNavigator1->SetDataSource(tzdbf0);

    BuildMenus();
    ConnectControls();
    FSearchText.clear();
    FCloseOnSelect = false;
    resize(656, 464);
    ScaleForm(this);
    TzGrid1->ApplyFonts(); // the scaling gave every control the form's font
    Label_title2->setFont(bold);
}

Tdbf4::~Tdbf4()
{
    if (auto browser = Installed().lock(); browser && browser->form_ == this) {
        SetDbf4Browser(nullptr);
        Installed().reset();
    }
}

void Tdbf4::BuildMenus()
{
    using namespace captions;
    mi_file = MainMenu1->addMenu(Q(CaptionFile));
    mi_file->setObjectName("mi_file");
    mi_file->menuAction()->setObjectName("mi_file");
    mi_fileExportHtml = Item(mi_file, "mi_fileExportHtml", "Export HTML");
    mi_fileSaveAsDelimited = Item(mi_file, "mi_fileSaveAsDelimited", "Save As Delimited");
    N1 = Separator(mi_file, "N1");
    mi_fileAppenddbf = Item(mi_file, "mi_fileAppenddbf", "Append dbf");
    mi_fileAppendDelimited = Item(mi_file, "mi_fileAppendDelimited", "Append Delimited");
    N2 = Separator(mi_file, "N2");
    mi_filePrint = Item(mi_file, "mi_filePrint", Q(CaptionPrint));
    N3 = Separator(mi_file, "N3");
    mi_fileExit = Item(mi_file, "mi_fileExit", Q(CaptionExit));

    mi_edit = MainMenu1->addMenu(Q(CaptionEdit));
    mi_edit->setObjectName("mi_edit");
    mi_edit->menuAction()->setObjectName("mi_edit");
    mi_edit->setToolTipsVisible(true);
    mi_editAppend = Item(mi_edit, "mi_editAppend", "Append");
    mi_editPack = Item(mi_edit, "mi_editPack", "Pack");
    mi_editPack->setToolTip(QString::fromUtf8("Markierte Datensätze löschen"));
    mi_editPack->setStatusTip(mi_editPack->toolTip());

    mi_view = MainMenu1->addMenu(Q(CaptionView));
    mi_view->setObjectName("mi_view");
    mi_view->menuAction()->setObjectName("mi_view");
    mi_viewSearch = Item(mi_view, "mi_viewSearch", "&Suchen");
    mi_viewSearchNext = Item(mi_view, "mi_viewSearchNext", "&Weitersuchen");

    mi_Help = MainMenu1->addMenu(Q(CaptionHelp));
    mi_Help->setObjectName("mi_Help");
    mi_Help->menuAction()->setObjectName("mi_Help");
    mi_helpdbf = Item(mi_Help, "mi_helpdbf", QString());
    mi_helpCommon = Item(mi_Help, "mi_helpCommon", Q(CaptionDatabase));
    mi_helphilfebild = Item(mi_Help, "mi_helphilfebild", "Hilfe&bild");
    mi_helpDatei = Item(mi_Help, "mi_helpDatei", Q(CaptionFile));
}

void Tdbf4::ConnectControls()
{
    connect(Button_ok, &QPushButton::clicked, this, &Tdbf4::Button_okClick);
    connect(Button_cancel, &QPushButton::clicked, this, &Tdbf4::reject);
    connect(Button_search, &QPushButton::clicked, this, &Tdbf4::Button_searchClick);
    connect(Button_SearchNext, &QPushButton::clicked, this, &Tdbf4::Button_SearchNextClick);
    connect(Edit_recno, &QLineEdit::textEdited, this, &Tdbf4::Edit_recnoChange);
    connect(TzGrid1, &QAbstractItemView::clicked, this, &Tdbf4::TzGrid1CellClick);
    TzGrid1->OnDepressTitle = [this](TTzGrid&, int column) { TzGrid1DepressTitle(column); };
    TzGrid1->OnKeyDown = [this](int key, Qt::KeyboardModifiers) {
        if (!FCloseOnSelect || (key != Qt::Key_Up && key != Qt::Key_Down))
            return false;
        AcceptSelection();
        return true;
    };
    TzGrid1->OnKeyUp = [this](int) { ShowPosition(); };
    TzNavigator1->OnClick = [this](TTzNavigator&, TNavigateBtn) { ShowPosition(); };
    // whatever moved or posted, the number and the count follow
    connect(tzdbf0, &DatasetModel::positionChanged, this, &Tdbf4::ShowPosition);

    connect(mi_fileExportHtml, &QAction::triggered, this, &Tdbf4::mi_fileExportHtmlClick);
    connect(mi_fileSaveAsDelimited, &QAction::triggered, this, &Tdbf4::mi_fileSaveAsDelimitedClick);
    connect(mi_fileAppenddbf, &QAction::triggered, this, &Tdbf4::mi_fileAppenddbfClick);
    connect(mi_fileAppendDelimited, &QAction::triggered, this, &Tdbf4::mi_fileAppendDelimitedClick);
    connect(mi_filePrint, &QAction::triggered, this, &Tdbf4::mi_filePrintClick);
    connect(mi_fileExit, &QAction::triggered, this, &Tdbf4::AcceptSelection);
    connect(mi_editAppend, &QAction::triggered, this, &Tdbf4::mi_editAppendClick);
    connect(mi_editPack, &QAction::triggered, this, &Tdbf4::mi_editPackClick);
    connect(mi_viewSearch, &QAction::triggered, this, &Tdbf4::Button_searchClick);
    connect(mi_viewSearchNext, &QAction::triggered, this, &Tdbf4::Button_SearchNextClick);
    connect(mi_helpdbf, &QAction::triggered, this, &Tdbf4::mi_helpdbfClick);
    connect(mi_helpCommon, &QAction::triggered, this, &Tdbf4::mi_helpCommonClick);
    connect(mi_helphilfebild, &QAction::triggered, this, &Tdbf4::mi_helphilfebildClick);
    connect(mi_helpDatei, &QAction::triggered, this, &Tdbf4::mi_helpDateiClick);
}

TTzFileDataSet* Tdbf4::Table() const
{
    return tzdbf;
}

void Tdbf4::BindTable()
{
    if (bound_ != tzdbf) {
        bound_ = tzdbf;
        tzdbf0->SetDataset(tzdbf);
    }
}

// ---- Layout ----

void Tdbf4::LayoutTopRow()
{
    const int top = 5, height = 25;
    int x = TzNavigator1->x() + TzNavigator1->ButtonsWidth() + 4;
    // The record number box and the count as wide as the count's digits.
    const QString count = Label_reccount->text();
    const int digits = std::max<int>(2, int(count.size()) - 1);
    const int box = Edit_recno->fontMetrics().horizontalAdvance(QString(digits, QChar('0'))) + 14;
    Edit_recno->setGeometry(x, top + 1, box, height - 2);
    x += box + 2;
    const int label = Label_reccount->fontMetrics().horizontalAdvance(count) + 2;
    Label_reccount->setGeometry(x, top, label, height);
    x += label + 4;
    // The buttons at the right; where the row is short, only as wide as
    // their captions.
    QPushButton* const buttons[] = {Button_cancel, Button_ok, Button_SearchNext, Button_search};
    auto widths = [&](bool compact) {
        std::array<int, 4> w{};
        for (std::size_t k = 0; k < 4; ++k) {
            QPushButton* b = buttons[k];
            const int least = b == Button_ok ? 56 : 64;
            const int caption = b->fontMetrics().horizontalAdvance(b->text().remove('&')) + 12;
            w[k] = compact ? std::max(b == Button_ok ? least : 40, caption)
                           : std::max(least, b->sizeHint().width());
        }
        return w;
    };
    std::array<int, 4> w = widths(false);
    int right = client_->width() - 4;
    if (right - (w[0] + w[1] + w[2] + w[3] + 9) < x)
        w = widths(true);
    for (std::size_t k = 0; k < 4; ++k) {
        right -= w[k];
        buttons[k]->setGeometry(right, top, w[k], height);
        right -= 3;
    }
    LayoutTitle();
}

void Tdbf4::LayoutTitle()
{
    // The title in the menu bar's row right of the menus, where it has
    // room; a long one ends in an ellipsis and shows whole as its tooltip.
    const int x = MainMenu1->actionGeometry(mi_Help->menuAction()).right() + 24;
    Label_title2->setGeometry(x, 0, std::max(0, width() - x - 8), MainMenu1->height());
    Label_title2->setToolTip(Label_title2->text());
    Label_title2->raise();
}

void Tdbf4::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const int menu = MainMenu1->sizeHint().height();
    MainMenu1->setGeometry(0, 0, width(), menu);
    client_->setGeometry(0, menu, width(), std::max(0, height() - menu));
    LayoutTopRow();
    // The grid fills the client area right and below.
    TzGrid1->resize(std::max(0, client_->width() - TzGrid1->x() - 1),
                    std::max(0, client_->height() - TzGrid1->y() - 1));
}

void Tdbf4::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void Tdbf4::FormShow()
{
    if (FCloseOnSelect && settings::DbfGridCol >= 1 && settings::DbfGridCol <= tzdbf0->columnCount()) {
        const QModelIndex current = TzGrid1->currentIndex();
        const int row = current.isValid() ? current.row() : std::max(0, tzdbf0->CurrentRow());
        if (row < tzdbf0->rowCount())
            TzGrid1->setCurrentIndex(tzdbf0->index(row, settings::DbfGridCol - 1));
    }
    // The chosen row in the middle, with its neighbours above and below.
    if (TzGrid1->currentIndex().isValid())
        TzGrid1->scrollTo(TzGrid1->currentIndex(), QAbstractItemView::PositionAtCenter);
    ShowPosition();
}

void Tdbf4::ShowPosition()
{
    TTzFileDataSet* ds = Table();
    const bool active = ds && ds->Active();
    const QString count = "/" + QString::number(active ? ds->RecCount() : 0);
    const bool wider = count.size() != Label_reccount->text().size();
    Label_reccount->setText(count);
    Edit_recno->setText(active && !ds->IsEmpty() ? QString::number(ds->RecNo()) : QString());
    if (wider)
        LayoutTopRow();
}

// ---- Modes ----

void Tdbf4::PrepareMode(const std::string& option, TDbf4Mode mode)
{
    BindTable();
    selection_ = mode == 1 || mode == 4 || mode == 5;
    Label_title1->setText(Q(DbfTitle1()));
    Label_title2->setText(Q(DbfTitle2()));
    LayoutTitle();
    Label_filename->setText(Q(DbfShownFile()));
    mi_helpdbf->setText(Label_title2->text());
    if (selection_)
        setWindowTitle(Label_title2->text() + "   " + Label_title1->text());
    else
        setWindowTitle(Label_title2->text() + "  " + Label_title1->text() + "  (" +
                       Label_filename->text() + ")");
    using B = TNavigateBtn;
    if (selection_)
        TzNavigator1->SetVisibleButtons({B::nbFirst, B::nbPrior, B::nbNext, B::nbLast});
    else
        TzNavigator1->SetAllButtonsVisible();
    for (QAction* a : {mi_fileAppenddbf, mi_fileAppendDelimited, N2, mi_edit->menuAction(), mi_editPack,
                       mi_editAppend})
        a->setVisible(!selection_);
    TzGrid1->SetRowSelect(selection_);
    TzGrid1->SetEditing(!selection_);
    TTzFileDataSet* ds = Table();
    if (ds && ds->Active()) {
        Guarded([&] {
            if (mode == 1)
                ds->SetHideDeletedRecs(true);
            else if (mode == 4 || !selection_)
                ds->SetHideDeletedRecs(false);
        });
    }
    tzdbf0->Notify(DatasetModel::Change::Records);
    if (!selection_ && InPrivateTempDir(DbfShownFile()))
        MessageText(DisplayToOem("Kein Schreibrecht für dbf-Ordner !  Bearbeitung im Temporär-Ordner."));
    FCloseOnSelect = option == "CLOSE";
    LayoutTopRow();
}

void Tdbf4::DbfSetMode(const std::string& option, TDbf4Mode mode)
{
    PrepareMode(option, mode);
    if (!Table() || !Table()->Active()) {
        settings::AbortFlag = true;
        settings::LastKey = 27;
        return;
    }
    exec();
}

// ---- Closing ----

void Tdbf4::AcceptSelection()
{
    TTzFileDataSet* ds = Table();
    if (!ds || !ds->Active()) {
        reject();
        return;
    }
    TzGrid1->CommitEdit();
    if (ds->State() == TDataSetState::dsInsert) {
        bool changed = false;
        for (int n = 1; n <= ds->FieldCount() && !changed; ++n)
            changed = ds->FieldChanged(n);
        if (!changed)
            Guarded([&] { ds->Cancel(); });
    }
    const QModelIndex current = TzGrid1->currentIndex();
    const int column = current.isValid() ? current.column() + 1 : 1;
    const bool accepted = DbfAcceptSelection(tzdbf0->CurrentRow() + 1, column);
    tzdbf0->Notify(DatasetModel::Change::Values);
    if (!accepted)
        return; // the edit stays, with its message; OK tries again
    settings::DbfGridRow = tzdbf0->CurrentRow() + 1;
    accept();
}

void Tdbf4::Button_cancelClick()
{
    reject();
}

void Tdbf4::reject()
{
    TzGrid1->DiscardEdit();
    TTzFileDataSet* ds = Table();
    if (ds && ds->Active() && Editing(*ds)) {
        Guarded([&] { ds->Cancel(); });
        tzdbf0->Notify(DatasetModel::Change::Values);
    }
    settings::AbortFlag = true;
    settings::LastKey = 27;
    QDialog::reject();
}

// ---- Search ----

void Tdbf4::RunSearch(bool fromTop)
{
    TTzFileDataSet* ds = Table();
    if (!ds || !ds->Active())
        return;
    TzGrid1->CommitEdit();
    HourglassCursor();
    const std::string text = OemToAnsi(FSearchText);
    bool found = false;
    Guarded([&] {
        tzdbf0->LeaveRecord();
        const std::int32_t from = ds->RecNo();
        auto once = [&](const std::string& t) {
            if (!fromTop) {
                if (ds->IsEmpty() || from >= ds->RecCount())
                    return false;
                ds->Go(from + 1); // continue after the current record
            }
            int field = 0;
            return ds->Search(t, field, fromTop) && field != 0;
        };
        found = once(text);
        if (!found) {
            std::string point = text;
            std::replace(point.begin(), point.end(), ',', '.');
            found = once(point);
        }
        if (!found && !fromTop && from >= 1)
            ds->Go(from);
    });
    NormalCursor();
    tzdbf0->Notify(DatasetModel::Change::Position);
    ShowPosition();
    if (!found)
        MessageText(FSearchText + " " + "nicht gefunden");
}

void Tdbf4::Button_searchClick()
{
    const Word saved = help::HelpNumber;
    SetHelpNumber(2450);
    InputText("Suchbegriff eingeben", 50, FSearchText);
    if (settings::AbortFlag)
        settings::AbortFlag = false;
    else
        RunSearch(true);
    SetHelpNumber(saved);
    if (FCloseOnSelect)
        AcceptSelection();
}

void Tdbf4::Button_SearchNextClick()
{
    RunSearch(false);
    if (FCloseOnSelect)
        AcceptSelection();
}

// ---- Grid and record number ----

void Tdbf4::Edit_recnoChange()
{
    TTzFileDataSet* ds = Table();
    if (!ds || !ds->Active())
        return;
    bool ok = false;
    const long long n = Edit_recno->text().trimmed().toLongLong(&ok);
    if (!ok || n < 1 || n > ds->RecCount() || n == ds->RecNo())
        return;
    if (ds->HideDeletedRecs() && tzdbf0->RowOfRecord(int(n)) < 0)
        return; // a hidden record is not picked this way
    TzGrid1->CommitEdit();
    Guarded([&] {
        tzdbf0->LeaveRecord();
        ds->Go(std::int32_t(n));
    });
    tzdbf0->Notify(DatasetModel::Change::Position);
}

void Tdbf4::TzGrid1CellClick()
{
    ShowPosition();
    if (FCloseOnSelect)
        AcceptSelection();
}

void Tdbf4::TzGrid1DepressTitle(int column)
{
    TTzFileDataSet* ds = Table();
    if (!ds || !ds->Active() || column < 0 || column >= ds->FieldCount())
        return;
    TzGrid1->CommitEdit();
    const bool sorted = Guarded([&] {
        tzdbf0->LeaveRecord();
        settings::DbfSelectedRecNo = ds->RecNo();
        const std::string path = DbfTempPath("$vlmtemp");
        if (path.empty())
            throw std::runtime_error("Kein privater Ordner für Indexdateien unter " + settings::TempDir);
        ds->IndexOn(ds->Field(column + 1), path);
        ds->SetIndexTo(path + ".ndx");
        if (settings::DbfSelectedRecNo >= 1)
            ds->Go(settings::DbfSelectedRecNo);
    });
    if (!sorted) // the rows keep their order, and the title its mark
        TzGrid1->RestoreDepressedColumn();
    tzdbf0->Notify(DatasetModel::Change::Records);
    ShowPosition();
}

// ---- Edit menu ----

void Tdbf4::mi_editAppendClick()
{
    TTzFileDataSet* ds = Table();
    if (!ds || !ds->Active())
        return;
    TzGrid1->CommitEdit();
    Guarded([&] {
        tzdbf0->LeaveRecord();
        if (!ds->ALock())
            throw std::runtime_error("Sperren fehlgeschlagen [Append] " + ds->DbfFileName());
        try {
            ds->AppendRec();
        } catch (...) {
            ds->UnLock();
            throw;
        }
        ds->UnLock();
    });
    tzdbf0->Notify(DatasetModel::Change::Records);
    ShowPosition();
}

void Tdbf4::mi_editPackClick()
{
    TTzFileDataSet* ds = Table();
    if (!ds || !ds->Active())
        return;
    const bool yes = YesNoCancelBox("Pack ?");
    settings::AbortFlag = false;
    if (!yes)
        return;
    TzGrid1->CommitEdit();
    HourglassCursor();
    Guarded([&] {
        tzdbf0->LeaveRecord();
        ds->Pack();
    });
    NormalCursor();
    tzdbf0->Notify(DatasetModel::Change::Records);
    ShowPosition();
}

// ---- Help menu ----

void Tdbf4::mi_helpdbfClick()
{
    ShowHelpText(0, "", 1);
    settings::AbortFlag = false;
}

void Tdbf4::mi_helpCommonClick()
{
    ShowHelpText(3210, "", 1);
    settings::AbortFlag = false;
}

void Tdbf4::mi_helphilfebildClick()
{
    ShowHelpText(0, "", 2);
    raise();
    activateWindow();
    settings::AbortFlag = false;
}

void Tdbf4::mi_helpDateiClick()
{
    MessageText(DisplayToOem(Label_filename->text().toStdString()));
}

// ---- The one form ----

Tdbf4* CreateDbf4Form(QWidget* owner)
{
    auto* form = new Tdbf4(owner);
    Dbf4Form = form;
    auto browser = std::make_shared<FormBrowser>(form);
    Installed() = browser;
    SetDbf4Browser(browser);
    return form;
}

} // namespace kt4::dbase::gui
