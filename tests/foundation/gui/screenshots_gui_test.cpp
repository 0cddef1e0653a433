// Pictures of the dialogs for a reviewer: PNG files in the build's
// artifacts folder (choice, number input, message review, explanation,
// report viewer, picture browser).
#include "foundation/codepage.h"
#include "foundation/gui/helperr_form.h"
#include "foundation/gui/hilfebild_form.h"
#include "foundation/gui/input_dialogs.h"
#include "foundation/gui/showtextfile.h"
#include "foundation/report.h"

#include "gui_helpers.h"
#include "output_fixture.h"

#include <QFileInfo>
#include <QPixmap>
#include <QTest>

using namespace kt4;
using namespace kt4::gui;
using kt4::testing::ArtifactPath;

namespace {

class Screenshots : public kt4::testing::OutputTest {
protected:
    void Save(QWidget& w, const std::string& file)
    {
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        QPixmap shot = w.grab();
        const QString path = ArtifactPath(file);
        ASSERT_TRUE(shot.save(path, "PNG")) << path.toStdString();
        EXPECT_GT(QFileInfo(path).size(), 1000);
    }
};

} // namespace

TEST_F(Screenshots, ChoiceDialog)
{
    Tin_radiodialog d;
    std::vector<std::string> lines;
    for (const auto& n : ReportDeviceNames())
        lines.push_back(OemToDisplay(n));
    d.Setup("Ausgabe auf ..", lines, 1);
    Save(d, "choice_dialog.png");
}

TEST_F(Screenshots, PictureBrowserKeepsItsSmallSize)
{
    TForm_hilfebild form;
    form.Setup({"lager   : Lage der W\u00e4lzlager", "-----  L\u00f6schen  -----"}, 1, 1);
    EXPECT_LT(form.height(), 200); // a small tool window, not 640 x 480
    Save(form, "picture_browser.png");
}

TEST_F(Screenshots, NumberInputDialog)
{
    Tin_textdialog d;
    d.Setup("Rollraddurchmesser dp [mm]", "34", 30);
    Save(d, "number_input_dialog.png");
}

TEST_F(Screenshots, MessageReview)
{
    Tin_radiodialog d;
    d.Setup("Berechnungsmodul meldet Warnungen oder Fehler, siehe Ursache und Abhilfe.",
            {"Warnung: i < 10 !", "Zulässige Drehzahl Lager 2 !", "Mindestbelastung Lager 4 ! (120>35.2)",
             "Weiter/zurück..."},
            4);
    Save(d, "message_review.png");

    Thelperr e;
    e.Setup("Warnung: i < 10 !",
            "Der Betrag der Übersetzung ist kleiner als 10. Exzentergetriebe mit so kleiner Übersetzung haben "
            "große Exzentrizität und hohe Lagerkräfte.",
            "Für kleine Übersetzungen ein anderes Getriebe wählen oder dH und dp näher zusammenlegen.");
    Save(e, "message_explanation.png");
}

TEST_F(Screenshots, ReportViewer)
{
    settings::CurrentFileName = "getriebe";
    settings::AddMessage("Warnung: i < 10 !");
    settings::PltDir = KT4_DATA_DIR;
    SetReportHeader("", "Berechnung Exzentergetriebe", "Projekt: Musterantrieb", "", "", 0);
    SetReportColumns("", "Zeichen", "Einheit", "Antrieb", "Abtrieb");
    OpenReport(DevOutDos, "getriebe");
    ReportPageHeader(0, 1);
    ReportRow5("Leistung", "P", "kW", "0.145", "0.131");
    ReportRow5("Drehzahl", "n", "1/min", "850", "-50");
    ReportRow5("Drehmoment", "T", "Nm", "1.63", "-25");
    ReportRow4("Rollraddurchmesser", "dp", "mm", "34");
    ReportRow4("Hohlraddurchmesser", "dH", "mm", "36");
    ReportRow4("\x9A" "bersetzung", "i", "", "-17");
    ReportCalcMessages();
    CloseReport();
    TForm_showtextfile form;
    form.FileName = TempFile("outwin.txt");
    form.PrintFileName = dir.File("OUTDOS.TXT");
    form.FormShow();
    form.resize(700, 560);
    Save(form, "report_viewer.png");
}
