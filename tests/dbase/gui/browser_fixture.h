// The browser window tests: small catalogue-like tables in a private
// folder, opened through the access layer and shown in a Tdbf4 that the
// tests drive by control name (shown without its modal loop, so the test
// acts on it directly).
#pragma once

#include "access_fixture.h"

#include "dbase/gui/dataset_model.h"
#include "dbase/gui/dbf4_form.h"
#include "dbase/gui/tzgrid.h"
#include "dbase/gui/tznavigator.h"
#include "foundation/captions.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace kt4::dbase::test {

struct CatalogueRow {
    std::string name; // engine text (code page 1252)
    double di = 0;
    bool ok = false;
    std::string day;  // engine date text, "" for none
    bool deleted = false;
};

inline std::vector<CatalogueRow> SampleRows()
{
    return {{"6204", 20, true, "17.05.2024", false},
            {"6205", 25, false, "", true},
            {"6206", 12.5, true, "01.02.2023", false},
            {"6004", 20, false, "31.12.1999", false},
            {"16005", 25, true, "", false}};
}

class BrowserTest : public AccessLayerTest {
protected:
    void SetUp() override
    {
        AccessLayerTest::SetUp();
        settings::PltDir = KT4_DATA_DIR;
        settings::LastKey = 0;
        captions::InitCaptions(); // and the German captions the shell's tables give
        captions::CaptionView = "&Ansicht";
        captions::CaptionHelp = "&Hilfe";
        captions::CaptionDatabase = "Datenban&k";
        form = gui::CreateDbf4Form(nullptr);
    }
    void TearDown() override
    {
        delete form;
        AccessLayerTest::TearDown();
    }

    // dbf/<name>.dbf: NAME C12, DI N8.2, OK L, DAY D, NOTE M (dBase III).
    void Catalogue(const std::string& name, const std::vector<CatalogueRow>& rows,
                   const std::string& folder = "dbf")
    {
        ASSERT_TRUE(SetCreateVersion(0x83));
        const std::string path = Path(folder + "/" + name);
        ASSERT_TRUE(CreateDbf(path, {{"NAME", 'C', 12, 0}, {"DI", 'N', 8, 2}, {"OK", 'L', 1, 0},
                                     {"DAY", 'D', 8, 0}, {"NOTE", 'M', 10, 0}}));
        ASSERT_TRUE(USE(path + " EXCLUSIVE"));
        for (const CatalogueRow& r : rows) {
            ClearRecord();
            Buffer().SetText(1, r.name);
            Buffer().SetNumber(2, r.di);
            Buffer().SetLogical(3, r.ok);
            if (!r.day.empty())
                Buffer().SetText(4, r.day);
            Buffer().SetMemoRef(5, r.name == "6204" ? AddMemo("Notiz") : 0);
            ASSERT_TRUE(Append()) << LastErrorText();
            if (r.deleted) {
                ASSERT_TRUE(DeleteRec());
            }
        }
        USE("");
    }
    // Opens dbf/<name> through the access layer with the titles.
    void Open(const std::string& name)
    {
        DbfOpenTable(name);
        ASSERT_FALSE(settings::AbortFlag);
        DbfSetTitles("Kugellager", "Rillenkugellager");
    }
    // The form set up for the mode and shown (without its modal loop).
    void Show(int mode, const std::string& option = "")
    {
        form->PrepareMode(option, mode);
        form->show();
        QApplication::processEvents();
    }

    gui::TTzGrid* Grid() { return form->TzGrid1; }
    gui::DatasetModel* Model() { return form->tzdbf0; }
    TTzDbf& Table() { return *tzdbf; }
    QModelIndex Cell(int row, int column) { return Model()->index(row, column); }
    void ClickCell(int row, int column, Qt::MouseButton button = Qt::LeftButton)
    {
        Grid()->scrollTo(Cell(row, column));
        QTest::mouseClick(Grid()->viewport(), button, {}, Grid()->visualRect(Cell(row, column)).center());
        QApplication::processEvents();
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(Grid(), Qt::Key(key), modifiers);
        QApplication::processEvents();
    }
    void Trigger(const char* action)
    {
        auto* a = form->findChild<QAction*>(action);
        ASSERT_NE(a, nullptr) << action;
        a->trigger();
        QApplication::processEvents();
    }
    void Press(const char* button)
    {
        auto* b = form->findChild<QAbstractButton*>(button);
        ASSERT_NE(b, nullptr) << button;
        QTest::mouseClick(b, Qt::LeftButton);
        QApplication::processEvents();
    }
    // Names of the shown rows in their order.
    std::vector<std::string> ShownNames()
    {
        std::vector<std::string> out;
        for (int r = 0; r < Model()->rowCount(); ++r)
            out.push_back(Cell(r, 0).data().toString().toStdString());
        return out;
    }
    std::string ArtifactPath(const std::string& name)
    {
        QDir().mkpath(KT4_ARTIFACT_DIR);
        return std::string(KT4_ARTIFACT_DIR) + "/" + name;
    }

    gui::Tdbf4* form = nullptr;
};

} // namespace kt4::dbase::test
