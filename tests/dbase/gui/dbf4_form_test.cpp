// The table browser driven by control name: modes, search, sorting by a
// title, the record number box, deleting and restoring, logical and date
// cells, closing, the menus and engine errors in the handlers.
#include "browser_fixture.h"

#include "foundation/helptext.h"
#include "foundation/report.h"

#include <QToolButton>

#include <fstream>
#include <functional>
#include <sstream>

namespace kt4::dbase::test {
namespace {

using gui::TNavigateBtn;

int VisibleButtons(gui::TTzNavigator* nav)
{
    int n = 0;
    for (auto* b : nav->findChildren<QToolButton*>())
        n += b->isVisibleTo(nav) ? 1 : 0;
    return n;
}

TEST_F(BrowserTest, ModesSetCaptionsButtonsMenusAndHiding)
{
    Catalogue("rikula", SampleRows());
    Open("rikula");
    const QString file = QString::fromStdString(DbfShownFile());
    struct Case {
        int mode;
        bool selection;
        int rows;
    };
    // 1 hides the deleted record, 5 keeps that, 4 shows it, 5 keeps that,
    // edit mode shows it.
    for (Case c : {Case{1, true, 4}, Case{5, true, 4}, Case{4, true, 5}, Case{5, true, 5}, Case{0, false, 5},
                   Case{1, true, 4}, Case{7, false, 5}}) {
        SCOPED_TRACE(c.mode);
        Show(c.mode);
        EXPECT_EQ(Model()->rowCount(), c.rows);
        EXPECT_EQ(form->mi_helpdbf->text(), "Rillenkugellager");
        EXPECT_EQ(form->windowTitle(), c.selection ? "Rillenkugellager   Kugellager"
                                                   : "Rillenkugellager  Kugellager  (" + file + ")");
        EXPECT_EQ(VisibleButtons(form->TzNavigator1), c.selection ? 4 : 10);
        EXPECT_EQ(form->TzNavigator1->Button(TNavigateBtn::nbLast)->isVisibleTo(form), true);
        for (const char* item : {"mi_fileAppenddbf", "mi_fileAppendDelimited", "N2", "mi_editAppend", "mi_editPack"})
            EXPECT_EQ(form->findChild<QAction*>(item)->isVisible(), !c.selection) << item;
        EXPECT_EQ(form->mi_edit->menuAction()->isVisible(), !c.selection);
        EXPECT_EQ(Grid()->Editing(), !c.selection);
        EXPECT_EQ(Grid()->selectionBehavior(), c.selection ? QAbstractItemView::SelectRows
                                                           : QAbstractItemView::SelectItems);
        EXPECT_TRUE(Model()->flags(Cell(0, 0)).testFlag(Qt::ItemIsEditable) == !c.selection);
    }
    // A table in DbfDir never gets the warning.
    EXPECT_TRUE(Logged("message").empty());
    EXPECT_TRUE(form->Label_title1->isHidden());
    EXPECT_TRUE(form->Label_filename->isHidden());
    EXPECT_EQ(form->Label_filename->text(), file);
}

TEST_F(BrowserTest, TablesInTheTemporaryFolderWarnOncePerShowingInEditMode)
{
    Catalogue("pekula", SampleRows(), "tmp");
    ASSERT_TRUE(CopyTableWithMemo(Path("tmp/pekula.dbf"), DbfCopyFolder())); // this process's copy
    DbfOpenFile(DbfCopyFolder() + "pekula.dbf");
    const std::string warning =
        "message|Meldung:|Kein Schreibrecht für dbf-Ordner !  Bearbeitung im Temporär-Ordner.";
    Show(1);
    EXPECT_TRUE(Logged("message").empty());
    Show(0);
    Show(0);
    EXPECT_EQ(Logged("message"), std::vector<std::string>(2, warning));
}

TEST_F(BrowserTest, SearchRetriesACommaAsAPointAndReportsAMiss)
{
    Catalogue("s", SampleRows());
    Open("s");
    Show(4);
    ui->Script("12,5");
    form->Button_search->click();
    EXPECT_EQ(Table().RecNo(), 3);
    EXPECT_EQ(Grid()->currentIndex().row(), 2);
    EXPECT_EQ(form->Edit_recno->text(), "3");
    EXPECT_EQ(form->FSearchText, "12,5");
    // A miss: the message, the record stays.
    ui->Script("xyz");
    Trigger("mi_viewSearch");
    EXPECT_EQ(Logged("message").back(), "message|Meldung:|xyz nicht gefunden");
    EXPECT_EQ(Table().RecNo(), 3);
    // Cancel searches nothing and keeps the text.
    ui->Script("<cancel>");
    form->Button_search->click();
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(form->FSearchText, "xyz");
    // Search next continues after the current record.
    ui->Script("20.00");
    form->Button_search->click();
    EXPECT_EQ(Table().RecNo(), 1);
    form->Button_SearchNext->click();
    EXPECT_EQ(Table().RecNo(), 4);
    Trigger("mi_viewSearchNext");
    EXPECT_EQ(Logged("message").back(), "message|Meldung:|20.00 nicht gefunden");
    EXPECT_EQ(Table().RecNo(), 4);
    EXPECT_TRUE(form->isVisible());
    // With "CLOSE" a search accepts.
    Show(4, "CLOSE");
    ui->Script("16005");
    form->Button_search->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(settings::LastKey, 13);
    EXPECT_EQ(settings::DbfSelectedRecNo, 5);
}

TEST_F(BrowserTest, RightClickOnATitleSortsByThatColumn)
{
    Catalogue("t", SampleRows());
    Open("t");
    Show(4);
    DbfGoRecord(3);
    Model()->Notify(gui::DatasetModel::Change::Position);
    auto* header = Grid()->horizontalHeader();
    auto title = [&](int column) { return QPoint(header->sectionViewportPosition(column) + 5, 5); };
    QTest::mouseClick(header->viewport(), Qt::RightButton, {}, title(0));
    EXPECT_EQ(Grid()->DepressedColumn(), 0);
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"16005", "6004", "6204", "6205", "6206"}));
    EXPECT_EQ(Table().RecNo(), 3);
    EXPECT_EQ(Grid()->currentIndex().row(), 4);
    const std::string ndx = DbfTempPath("$vlmtemp.ndx");
    ASSERT_TRUE(std::filesystem::exists(ndx));
    EXPECT_FALSE(std::filesystem::exists(Path("tmp/$vlmtemp.ndx")));
    // A second click builds the index again: a changed key is in its place.
    Table().PutFieldStr("NAME", "0001");
    Table().Post();
    QTest::mouseClick(header->viewport(), Qt::RightButton, {}, title(0));
    EXPECT_EQ(ShownNames().front(), "0001");
    EXPECT_EQ(Table().RecNo(), 3);
    // Shift + right click does nothing; sorting by DI works the same way.
    QTest::mouseClick(header->viewport(), Qt::RightButton, Qt::ShiftModifier, title(1));
    EXPECT_EQ(Grid()->DepressedColumn(), 0);
    QTest::mouseClick(header->viewport(), Qt::RightButton, {}, title(1));
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"0001", "6204", "6004", "6205", "16005"}));
    // A memo column cannot be sorted: the engine's text, and the form goes on.
    ui->ClearLog();
    QTest::mouseClick(header->viewport(), Qt::RightButton, {}, title(4));
    ASSERT_EQ(Logged("error").size(), 1u);
    EXPECT_EQ(Model()->rowCount(), 5);
    // the sort before stays with its index: so does its mark
    EXPECT_FALSE(Table().IsSequenced());
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"0001", "6204", "6004", "6205", "16005"}));
    EXPECT_EQ(Grid()->DepressedColumn(), 1);
    ClickCell(1, 0);
    EXPECT_EQ(form->Edit_recno->text(), QString::number(Table().RecNo()));

    // The mark follows the order shown: natural order again, another table.
    QTest::mouseClick(header->viewport(), Qt::RightButton, {}, title(1));
    EXPECT_EQ(Grid()->DepressedColumn(), 1);
    Table().SetIndexTo("");
    Model()->Notify(gui::DatasetModel::Change::Records);
    EXPECT_EQ(Grid()->DepressedColumn(), -1);
    QTest::mouseClick(header->viewport(), Qt::RightButton, {}, title(1));
    Catalogue("u", {{"7205", 1, true, "", false}});
    Open("u");
    Show(4);
    EXPECT_EQ(Grid()->DepressedColumn(), -1);
}

TEST_F(BrowserTest, RecordNumberBoxMovesOnlyToExistingRecords)
{
    Catalogue("r", SampleRows());
    Open("r");
    Show(4);
    for (const char* text : {"0", "x", "6", "-2"}) {
        form->Edit_recno->clear();
        QTest::keyClicks(form->Edit_recno, text);
        EXPECT_EQ(Table().RecNo(), 1) << text;
    }
    form->Edit_recno->clear();
    QTest::keyClicks(form->Edit_recno, "4");
    EXPECT_EQ(Table().RecNo(), 4);
    EXPECT_EQ(Grid()->currentIndex().row(), 3);
    // A click on a cell writes the record number and the count.
    ClickCell(1, 2);
    EXPECT_EQ(form->Edit_recno->text(), "2");
    EXPECT_EQ(form->Label_reccount->text(), "/5");
    Key(Qt::Key_Down);
    EXPECT_EQ(form->Edit_recno->text(), "3");
}

// "+" leaves an empty new row; a move from it drops the row and lands where
// asked, in record and in index order: "|<" on the first row, "<" on the
// row above it (as Up goes), the number box on its record, Enter takes that
// record. Grid, dataset and number agree then and after ">", "<" and ">|";
// a new row with a text is posted by the number box and counted.
TEST_F(BrowserTest, AMoveFromANewRowLandsWhereAsked)
{
    std::vector<CatalogueRow> rows;
    for (const char* name : {"6209", "6201", "6207", "6203", "6205", "6202", "6208", "6204", "6206"})
        rows.push_back({name, 20, true, "", false});
    auto nav = [&](TNavigateBtn b) { QTest::mouseClick(form->TzNavigator1->Button(b), Qt::LeftButton); };
    auto type = [&](const char* text) { form->Edit_recno->clear(), QTest::keyClicks(form->Edit_recno, text); };
    auto lastRow = [&] { return Model()->RecordRows() - 1; };
    const struct {
        const char* move;
        std::function<void()> act;
        std::function<int()> row; // where it lands
        const char* text = "";    // typed into the new row first
    } moves[] = {
        {"|<", [&] { nav(TNavigateBtn::nbFirst); }, [] { return 0; }},
        {"<", [&] { nav(TNavigateBtn::nbPrior); }, lastRow},
        {"5", [&] { type("5"); }, [&] { return Model()->RowOfRecord(5); }},
        {"3 Enter", [&] { type("3"), QTest::keyClick(form->Edit_recno, Qt::Key_Return); },
         [&] { return Model()->RowOfRecord(3); }},
        {"4 posting", [&] { type("4"); }, [&] { return Model()->RowOfRecord(4); }, "6200"},
    };
    int n = 0;
    for (bool indexed : {false, true})
        for (const auto& m : moves) {
            SCOPED_TRACE(std::string(m.move) + (indexed ? " indexed" : ""));
            const std::string name = "m" + std::to_string(++n);
            Catalogue(name, rows);
            Open(name);
            if (indexed)
                DbfMakeIndex("NAME", name);
            Show(0);
            ClickCell(2, 0);
            nav(TNavigateBtn::nbInsert);
            ASSERT_EQ(Table().State(), TDataSetState::dsInsert);
            if (*m.text) {
                ASSERT_TRUE(Model()->setData(Cell(9, 0), m.text));
            }
            settings::DbfSelectedRecNo = 0;
            m.act();
            const int records = *m.text ? 10 : 9;
            auto agree = [&](int row) {
                EXPECT_EQ(Model()->rowCount(), records);
                EXPECT_EQ(Grid()->currentIndex().row(), row);
                EXPECT_EQ(Table().RecNo(), Model()->RecordOfRow(row));
                EXPECT_EQ(form->Edit_recno->text(), QString::number(Table().RecNo()));
                EXPECT_EQ(form->Label_reccount->text(), "/" + QString::number(records));
            };
            const int row = m.row();
            ASSERT_GE(row, 0);
            agree(row);
            if (n == 8) {
                EXPECT_TRUE(form->grab().save(QString::fromStdString(ArtifactPath("tdbf4_new_row_left_by_number.png"))));
            }
            if (std::string(m.move) == "3 Enter") {
                EXPECT_EQ(settings::DbfSelectedRecNo, 3); // OK took it
                continue;
            }
            nav(TNavigateBtn::nbNext);
            agree(std::min(row + 1, lastRow()));
            nav(TNavigateBtn::nbPrior);
            agree(row == lastRow() ? row - 1 : row);
            nav(TNavigateBtn::nbLast);
            agree(lastRow());
        }
}

TEST_F(BrowserTest, DeletingRestoringAndLogicalCells)
{
    Catalogue("d", SampleRows());
    Open("d");
    Show(0);
    auto* del = form->TzNavigator1->Button(TNavigateBtn::nbDelete);
    ClickCell(0, 0);
    QTest::mouseClick(del, Qt::LeftButton);
    EXPECT_TRUE(Table().Deleted());
    EXPECT_TRUE(Cell(0, 0).data(gui::DatasetModel::DeletedRole).toBool());
    QTest::mouseClick(del, Qt::LeftButton);
    EXPECT_FALSE(Table().Deleted());
    // With ConfirmDelete, Cancel keeps the record.
    form->TzNavigator1->ConfirmDelete = true;
    ui->Script("<cancel>");
    QTest::mouseClick(del, Qt::LeftButton);
    EXPECT_FALSE(Table().Deleted());
    EXPECT_EQ(Logged("okcancel").back(), "okcancel|" + settings::ProductName + "|Datensatz löschen ?");
    form->TzNavigator1->ConfirmDelete = false;
    // Ctrl+Delete restores a deleted record (and deletes another one).
    ClickCell(1, 0);
    ASSERT_TRUE(Table().Deleted());
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_FALSE(Table().Deleted());
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(Table().Deleted());
    // Logical cells toggle between "wahr" and "falsch" ...
    ClickCell(2, 2);
    EXPECT_EQ(Cell(2, 2).data().toString(), "Falsch");
    EXPECT_FALSE(Table().AsBoolean(3));
    ClickCell(2, 2);
    EXPECT_EQ(Cell(2, 2).data().toString(), "Wahr");
    // ... or between their display values; typed letters are ignored.
    Model()->SetDisplayValues(3, "J;N");
    EXPECT_EQ(Cell(2, 2).data().toString(), "J");
    ClickCell(2, 2);
    EXPECT_EQ(Cell(2, 2).data().toString(), "N");
    QTest::keyClicks(Grid(), "jJ");
    EXPECT_EQ(Cell(2, 2).data().toString(), "N");
    auto* editor = Grid()->findChild<QLineEdit*>("TzGridEditor");
    EXPECT_TRUE(!editor || !editor->isVisible());
    Key(Qt::Key_Down); // leaving the row posts
    EXPECT_EQ(Table().State(), TDataSetState::dsBrowse);
    DbfGoRecord(3);
    EXPECT_FALSE(Table().AsBoolean(3));
    EXPECT_EQ(Table().RecCount(), 5);
}

TEST_F(BrowserTest, DatesAreTypedThroughTheMask)
{
    Catalogue("dt", SampleRows());
    Open("dt");
    Show(0);
    auto typeDate = [&](int row, const char* digits) {
        Grid()->setCurrentIndex(Cell(row, 3));
        Grid()->edit(Cell(row, 3));
        auto* editor = Grid()->findChild<QLineEdit*>("TzGridEditor");
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->inputMask(), "99.99.9999");
        editor->selectAll();
        QTest::keyClicks(editor, digits);
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
        Key(Qt::Key_Up); // leaving the row posts
    };
    typeDate(4, "03042025");
    EXPECT_TRUE(Logged("message").empty());
    DbfGoRecord(5);
    EXPECT_EQ(Table().AsString(4), "03.04.2025");
    typeDate(3, "31022024");
    ASSERT_FALSE(Logged("message").empty());
    EXPECT_EQ(Logged("message").back(), "message|Meldung:|        Invalid date       ");
    DbfGoRecord(4);
    EXPECT_TRUE(Table().IsNull(4));
}

TEST_F(BrowserTest, ClosingSetsTheOutcome)
{
    Catalogue("c", SampleRows());
    Open("c");
    struct Case {
        const char* how;
        int lastKey;
    };
    for (Case c : {Case{"Button_ok", 13}, Case{"mi_fileExit", 13}, Case{"Enter", 13}, Case{"Button_cancel", 27},
                   Case{"Esc", 27}, Case{"close", 27}}) {
        SCOPED_TRACE(c.how);
        settings::LastKey = 13; // a previous pick must not survive a close
        settings::AbortFlag = c.lastKey == 13;
        Show(4);
        ClickCell(2, 1);
        if (std::string(c.how) == "Esc")
            QTest::keyClick(Grid(), Qt::Key_Escape);
        else if (std::string(c.how) == "Enter")
            QTest::keyClick(Grid(), Qt::Key_Return);
        else if (std::string(c.how) == "close")
            form->close();
        else if (std::string(c.how) == "mi_fileExit")
            Trigger("mi_fileExit");
        else
            Press(c.how);
        QApplication::processEvents();
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(settings::LastKey, c.lastKey);
        EXPECT_EQ(settings::AbortFlag, c.lastKey == 27);
        if (c.lastKey == 13) {
            EXPECT_EQ(settings::DbfSelectedRecNo, 3);
            EXPECT_EQ(settings::DbfGridRow, 3);
            EXPECT_EQ(settings::DbfGridCol, 2);
        }
    }
    // "CLOSE": a cell click, Up and Down accept the current record.
    for (const char* how : {"click", "up", "down"}) {
        SCOPED_TRACE(how);
        settings::LastKey = 0;
        const int column = settings::DbfGridCol - 1;
        Show(1, "CLOSE");
        EXPECT_EQ(Grid()->currentIndex().column(), column); // the column of the last pick
        if (std::string(how) == "click")
            ClickCell(3, 0);
        else
            Key(std::string(how) == "up" ? Qt::Key_Up : Qt::Key_Down);
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(settings::LastKey, 13);
    }
    EXPECT_EQ(settings::DbfSelectedRecNo, 5); // row 4 of mode 1 is record 5
}

TEST_F(BrowserTest, ARefusedPostKeepsTheFormOpenWithTheEdit)
{
    Catalogue("lock", SampleRows());
    Open("lock");
    Show(0);
    Grid()->setCurrentIndex(Cell(0, 0));
    Grid()->edit(Cell(0, 0));
    auto* editor = Grid()->findChild<QLineEdit*>("TzGridEditor");
    ASSERT_NE(editor, nullptr);
    editor->setText("6204-2RS");
    // Another work area holds the record lock (locks exclude across areas).
    const int own = CurrentArea;
    ASSERT_TRUE(Select(0));
    ASSERT_TRUE(USE(DbfShownFile() + " ALIAS OTHER"));
    GO(1);
    ASSERT_TRUE(RLock());
    const int other = CurrentArea;
    CurrentArea = own;
    // Another row cannot be reached while the edit cannot be written.
    ClickCell(2, 0);
    EXPECT_EQ(Grid()->currentIndex().row(), 0);
    EXPECT_EQ(Table().RecNo(), 1);
    Press("Button_ok");
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Table().State(), TDataSetState::dsEdit);
    EXPECT_EQ(Cell(0, 0).data().toString(), "6204-2RS");
    EXPECT_FALSE(Logged("error").empty());
    // OK tries again once the lock is gone.
    CurrentArea = other;
    USE("");
    CurrentArea = own;
    Press("Button_ok");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(settings::LastKey, 13);
    DbfGoRecord(1);
    EXPECT_EQ(DbfFieldText(1), "6204-2RS");
    // Cancel discards an edit.
    Show(0);
    ClickCell(0, 0);
    Table().PutFieldStr("NAME", "weg");
    Press("Button_cancel");
    EXPECT_EQ(Table().State(), TDataSetState::dsBrowse);
    EXPECT_EQ(DbfFieldText(1), "6204-2RS");
}

TEST_F(BrowserTest, NavigatorAppendsAndAnUnchangedAppendIsCancelled)
{
    Catalogue("a", SampleRows());
    Open("a");
    Show(0);
    ClickCell(4, 0);
    Key(Qt::Key_Down); // AutoAppend: a new row
    EXPECT_EQ(Table().State(), TDataSetState::dsInsert);
    EXPECT_EQ(Model()->rowCount(), 6);
    Key(Qt::Key_Up); // left without a change: cancelled
    EXPECT_EQ(Table().State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Model()->rowCount(), 5);
    EXPECT_EQ(Table().RecCount(), 5);
    QTest::mouseClick(form->TzNavigator1->Button(TNavigateBtn::nbInsert), Qt::LeftButton);
    ASSERT_EQ(Model()->rowCount(), 6);
    EXPECT_EQ(Grid()->currentIndex().row(), 5);
    ASSERT_TRUE(Model()->setData(Cell(5, 0), "6300"));
    QTest::mouseClick(form->TzNavigator1->Button(TNavigateBtn::nbPost), Qt::LeftButton);
    EXPECT_EQ(Table().RecCount(), 6);
    EXPECT_EQ(ShownNames().back(), "6300");
    // A text for the appended row once the append has ended (a view hands
    // over its editor while the row leaves it, or later) is no record's.
    const std::vector<std::uint8_t> before = ReadBytes(DbfShownFile());
    for (bool leaving : {true, false}) {
        SCOPED_TRACE(leaving);
        QTest::mouseClick(form->TzNavigator1->Button(TNavigateBtn::nbInsert), Qt::LeftButton);
        const QModelIndex appended = Cell(6, 0);
        bool taken = true;
        const auto during = QObject::connect(Model(), &QAbstractItemModel::rowsAboutToBeRemoved, [&] {
            if (leaving)
                taken = Model()->setData(appended, "3");
        });
        QTest::mouseClick(form->TzNavigator1->Button(TNavigateBtn::nbCancel), Qt::LeftButton);
        QObject::disconnect(during);
        if (!leaving)
            taken = Model()->setData(appended, "3");
        EXPECT_FALSE(taken);
        EXPECT_EQ(Table().State(), TDataSetState::dsBrowse);
        EXPECT_EQ(Model()->rowCount(), 6);
    }
    QTest::mouseClick(form->TzNavigator1->Button(TNavigateBtn::nbFirst), Qt::LeftButton);
    EXPECT_EQ(ReadBytes(DbfShownFile()), before);
    // In a selection mode Down on the last row appends nothing.
    Show(4);
    ClickCell(5, 0);
    Key(Qt::Key_Down);
    EXPECT_EQ(Table().State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Model()->rowCount(), 6);
}

// "3" typed into an open cell editor of an appended or an existing record,
// then a navigator button: the table's bytes change as that button says
// (Cancel: none; Post and a move: the record with "3"), also after the
// moves, the click and the post that follow it.
TEST_F(BrowserTest, NavigatorButtonsWithAnOpenCellEditorWriteOnlyWhatTheyMean)
{
    constexpr std::size_t kHeader = 32 + 5 * 32 + 1, kRecord = 40;
    const std::string typed = "3           "; // NAME C12
    // A user's clicks: a disabled button takes none.
    auto click = [&](const char* button) {
        auto* b = form->TzNavigator1->findChild<QToolButton*>(button);
        ASSERT_NE(b, nullptr) << button;
        QTest::mouseClick(b, Qt::LeftButton);
        QApplication::processEvents();
    };
    struct Case {
        const char* button; // nullptr: Escape in the editor
        bool appended;
        bool writes;
    };
    int n = 0;
    for (Case c : {Case{"nbCancel", true, false}, Case{"nbCancel", false, false}, Case{"nbPost", true, true},
                   Case{"nbPost", false, true}, Case{"nbFirst", true, true}, Case{"nbFirst", false, true},
                   Case{nullptr, true, false}, Case{nullptr, false, false}}) {
        SCOPED_TRACE(testing::Message() << (c.button ? c.button : "Escape")
                                        << (c.appended ? " appended" : " existing"));
        const std::string name = "nav" + std::to_string(++n);
        Catalogue(name, SampleRows());
        Open(name);
        Show(0);
        const std::string file = DbfShownFile();
        const std::vector<std::uint8_t> before = ReadBytes(file);
        ASSERT_EQ(before.size(), kHeader + 5 * kRecord + 1);
        ClickCell(2, 1);
        if (c.appended)
            click("nbInsert");
        const int row = c.appended ? 5 : 2;
        ClickCell(row, 0);
        Key('3');
        QStringList open;
        for (auto* e : Grid()->findChildren<QLineEdit*>("TzGridEditor"))
            if (e->isVisible())
                open << e->text();
        ASSERT_EQ(open, QStringList{"3"});
        EXPECT_TRUE(form->TzNavigator1->Button(TNavigateBtn::nbCancel)->isEnabled());
        if (n == 2) {
            const std::string png = ArtifactPath("tdbf4_typing_in_a_record.png");
            EXPECT_TRUE(form->grab().save(QString::fromStdString(png)));
        }
        if (c.button)
            click(c.button);
        else
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        for (auto* e : Grid()->findChildren<QLineEdit*>("TzGridEditor"))
            EXPECT_FALSE(e->isVisible()) << "still open: " << e->text().toStdString();
        if (!c.button && !c.appended) {
            EXPECT_EQ(Table().State(), TDataSetState::dsBrowse);
            EXPECT_FALSE(form->TzNavigator1->Button(TNavigateBtn::nbPost)->isEnabled());
        }
        if (n == 1) {
            EXPECT_TRUE(form->grab().save(QString::fromStdString(ArtifactPath("tdbf4_cancelled_append.png"))));
        }
        // whatever comes next writes nothing of its own
        click("nbLast");
        ClickCell(0, 0);
        click("nbNext");
        click("nbPost");
        EXPECT_EQ(Table().State(), TDataSetState::dsBrowse);
        std::vector<std::uint8_t> expected = before;
        if (c.writes && c.appended) {
            expected[4] = 6; // the record count
            const std::string record = " " + typed + "    0.00F" + std::string(18, ' ');
            expected.insert(expected.end() - 1, record.begin(), record.end());
        } else if (c.writes) {
            std::copy(typed.begin(), typed.end(), expected.begin() + kHeader + 2 * kRecord + 1);
        }
        DbfClose(); // the header's count and the end mark are final
        const std::vector<std::uint8_t> after = ReadBytes(file);
        EXPECT_EQ(std::string(after.begin(), after.end()), std::string(expected.begin(), expected.end()));
    }
}

// An appended record left by any way of the user's is posted and shows at
// its place in the NAME order, and the grid stands on the record the
// dataset moved to.
TEST_F(BrowserTest, APostedRecordShowsAtItsPlaceInTheIndexOrder)
{
    auto nav = [&](TNavigateBtn b) { QTest::mouseClick(form->TzNavigator1->Button(b), Qt::LeftButton); };
    const std::pair<const char*, std::function<void()>> leaves[] = {
        {"first", [&] { nav(TNavigateBtn::nbFirst); }},
        {"prior", [&] { nav(TNavigateBtn::nbPrior); }},
        {"click", [&] { ClickCell(3, 0); }},
        {"search", [&] { ui->Script("6004"), Press("Button_search"); }},
        {"recno", [&] { form->Edit_recno->clear(), QTest::keyClicks(form->Edit_recno, "4"); }},
        {"delimited", [&] { ui->Script(Path("n.txt")), Trigger("mi_fileSaveAsDelimited"); }},
    };
    for (const auto& [name, leave] : leaves) {
        Catalogue(name, SampleRows());
        Open(name);
        DbfMakeIndex("NAME", name);
        Show(0);
        nav(TNavigateBtn::nbInsert);
        ASSERT_TRUE(Model()->setData(Cell(5, 0), "5000")) << name;
        leave();
        EXPECT_EQ(Table().RecCount(), 6) << name;
        EXPECT_EQ(ShownNames(), (std::vector<std::string>{"16005", "5000", "6004", "6204", "6205", "6206"}))
            << name;
        EXPECT_EQ(Grid()->currentIndex().row(), Model()->RowOfRecord(Table().RecNo())) << name;
        if (std::string(name) == "prior") {
            EXPECT_TRUE(form->grab().save(QString::fromStdString(ArtifactPath("tdbf4_posted_in_order.png"))));
        }
        DbfClose();
    }
}

TEST_F(BrowserTest, EditMenuAppendsAndPacksOnlyOnYes)
{
    Catalogue("p", SampleRows());
    Open("p");
    Show(0);
    Trigger("mi_editAppend");
    EXPECT_EQ(Table().RecCount(), 6);
    EXPECT_EQ(Table().RecNo(), 6);
    EXPECT_EQ(Grid()->currentIndex().row(), 5);
    EXPECT_EQ(form->mi_editPack->toolTip(), "Markierte Datensätze löschen");
    for (const char* answer : {"N", "<cancel>"}) {
        ui->Script(answer);
        Trigger("mi_editPack");
        EXPECT_EQ(Table().RecCount(), 6);
    }
    EXPECT_TRUE(Logged("yesnocancel").back().ends_with("|Pack ?"));
    ui->Script("J");
    Trigger("mi_editPack");
    EXPECT_EQ(Table().RecCount(), 5);
    EXPECT_EQ(Model()->rowCount(), 5);
    EXPECT_EQ(ShownNames()[1], "6206");
}

TEST_F(BrowserTest, FileMenuImportsExportsAndPrints)
{
    Catalogue("f", SampleRows());
    Catalogue("more", {{"7000", 1, true, "", false}, {"7001", 2, false, "", true}});
    Open("f");
    Show(0);
    // Append dbf (every record, deleted ones too, as APPEND FROM does)
    ui->Script(Path("dbf/more"));
    Trigger("mi_fileAppenddbf");
    EXPECT_NE(ui->Log().back().find("*.dbf|*.dbf"), std::string::npos);
    const std::int32_t afterDbf = Table().RecCount();
    EXPECT_GE(afterDbf, 6);
    EXPECT_EQ(Model()->rowCount(), afterDbf);
    // Save As Delimited, then Append Delimited reads it back.
    const std::string txt = Path("f.txt");
    ui->Script(txt);
    Trigger("mi_fileSaveAsDelimited");
    std::ifstream in(txt);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first.substr(0, 14), "\"6204\",20.00,T");
    ui->Script(txt);
    Trigger("mi_fileAppendDelimited");
    EXPECT_EQ(Table().RecCount(), 2 * afterDbf);
    // A cancelled dialog changes nothing.
    ui->Script("<cancel>");
    Trigger("mi_fileAppenddbf");
    EXPECT_EQ(Table().RecCount(), 2 * afterDbf);
    // A file that is no table: the engine's text, the table as it was.
    WriteBytes(Path("junk.dbf"), {'x', 'y'});
    ui->ClearLog();
    ui->Script(Path("junk.dbf"));
    Trigger("mi_fileAppenddbf");
    EXPECT_EQ(Logged("error").size(), 1u);
    EXPECT_EQ(Table().RecCount(), 2 * afterDbf);
    // Print on the file device: every record in record order.
    settings::TextDevice = DevFile;
    settings::TextDeviceDialog = false;
    const std::string printed = Path("print.txt");
    ui->Script(printed);
    Trigger("mi_filePrint");
    std::ifstream p(printed);
    std::stringstream all;
    all << p.rdbuf();
    EXPECT_NE(all.str().find("6205"), std::string::npos);
    EXPECT_NE(all.str().find("7001"), std::string::npos);
    EXPECT_NE(all.str().find("Kugellager"), std::string::npos);
    std::filesystem::copy_file(printed, ArtifactPath("tdbf4_print.txt"),
                               std::filesystem::copy_options::overwrite_existing);
}

TEST_F(BrowserTest, HelpItems)
{
    Catalogue("h", SampleRows());
    Open("h");
    Show(4);
    SetHelpNumber(2450);
    Trigger("mi_helpdbf");
    EXPECT_NE(Logged("help").back().find("Tabellenansicht"), std::string::npos);
    Trigger("mi_helpCommon");
    EXPECT_NE(Logged("help").back().find("Tabellen bearbeiten"), std::string::npos);
    ui->ClearLog();
    Trigger("mi_helphilfebild");
    EXPECT_TRUE(Logged("help").empty());
    Trigger("mi_helpDatei");
    EXPECT_EQ(Logged("message").back(), "message|Meldung:|" + DbfShownFile());
    EXPECT_FALSE(settings::AbortFlag);
}

} // namespace
} // namespace kt4::dbase::test
