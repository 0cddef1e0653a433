// The CAD layer's windows on the offscreen platform: the plot program's
// form driven by control name, and the sample drawing on the graphics
// window; both grabbed to PNG.
#include "cad/cad_device.h"
#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "cad/gui/cad_forms_qt.h"
#include "cad/gui/confkavolt_form.h"
#include "cad/plot_link.h"
#include "foundation/gui/gui_helpers.h"
#include "foundation/printer_settings.h"
#include "foundation/private_temp.h"
#include "foundation/scratch_dir.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "graphics/graph_settings.h"
#include "graphics/gui/fvelmgra.h"
#include "sample_drawing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace kt4 {
namespace {

using kt4::testing::Find;

class CadGui : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings::InitSettings();
        graphics::InitGraphSettings();
        printer::InitPrinterSettings();
        cad::InitCadSettings();
        UseHeadlessUi().quiet = true;
        settings::TempDir = dir.Path();
    }
    void TearDown() override { RemovePrivateTempDir(); }
    kt4::testing::ScratchDir dir;
};

TEST_F(CadGui, PlotFormBuildsTheLineFromItsControls)
{
    TForm_confkavolt form("");
    form.show();
    auto* label = Find<QLabel>(&form, "Label_commandline");
    EXPECT_EQ(label->text().toStdString(), "c:\\kavolt\\wkavolt " + dir.Path() + "kavolt /CHPL");
    auto* path = Find<QLineEdit>(&form, "Edit_kavoltPath");
    path->clear();
    QTest::keyClicks(path, "/opt/kavolt/wkavolt");
    EXPECT_EQ(label->text().toStdString(), "/opt/kavolt/wkavolt " + dir.Path() + "kavolt /CHPL");

    auto* font = Find<QComboBox>(&form, "ComboBox_psfont");
    EXPECT_FALSE(font->isEnabled());
    EXPECT_EQ(font->count(), 35);
    QTest::mouseClick(Find<QRadioButton>(Find<QGroupBox>(&form, "RadioGroup_outcode"), "RadioGroup_outcode_1"),
                      Qt::LeftButton);
    EXPECT_TRUE(font->isEnabled()) << "PostScript";
    font->setCurrentText("Courier");
    Find<QRadioButton>(&form, "RadioGroup_d_0")->click(); // serial
    EXPECT_TRUE(Find<QLineEdit>(&form, "Edit_com")->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>(&form, "Edit_lpt")->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>(&form, "Edit_outdir")->isEnabled());
    Find<QLineEdit>(&form, "Edit_com")->setText("2");
    auto* fit = Find<QCheckBox>(&form, "CheckBox_scale");
    QTest::mouseClick(fit, Qt::LeftButton);
    EXPECT_FALSE(Find<QLineEdit>(&form, "Edit_scale")->isEnabled());
    EXPECT_EQ(Find<QLineEdit>(&form, "Edit_scale")->text(), "0");
    QTest::mouseClick(Find<QCheckBox>(&form, "CheckBox_rotate"), Qt::LeftButton);
    EXPECT_TRUE(label->text().endsWith(" /CPS /D1 /P3 /M* /R /TCourier")) << label->text().toStdString();
    form.adjustSize();
    ASSERT_TRUE(form.grab().save(kt4::testing::ArtifactPath("plot_form.png")));

    QTest::mouseClick(Find<QPushButton>(&form, "Button_ok"), Qt::LeftButton);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.PlotCommandLine, label->text().toStdString());
}

TEST_F(CadGui, CancelKeepsTheStoredLine)
{
    InstallCadForms();
    cad::CadPlotLines[1] = "/opt/kavolt/wkavolt /t/kavolt /CPLT /M2";
    std::string line = cad::CadPlotLines[1];
    kt4::testing::ModalScript script;
    script.Then([](QWidget* w) {
        // the stored line is shown in the controls
        EXPECT_EQ(Find<QLineEdit>(w, "Edit_kavoltPath")->text(), "/opt/kavolt/wkavolt");
        EXPECT_EQ(Find<QLineEdit>(w, "Edit_scale")->text(), "2");
        Find<QLineEdit>(w, "Edit_scale")->setText("3");
        QTest::mouseClick(Find<QPushButton>(w, "Button_cancel"), Qt::LeftButton);
    });
    EXPECT_FALSE(cad::PlotFormHook(line));
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(line, cad::CadPlotLines[1]);
    cad::PlotFormHook = nullptr;
}

TEST_F(CadGui, SampleDrawingOnTheGraphicsWindow)
{
    settings::CurrentFileName = "sample";
    settings::DataDir = "/home/user/kt4";
    graphics::TFvelmgra w;
    w.resize(960, 720);
    w.show();
    cadtest::DrawSampleDrawing(cad::cmScreen);
    EXPECT_FALSE(settings::AbortFlag);
    const auto& list = w.DisplayList();
    std::vector<std::string> records(list.begin(), list.end());
    auto has = [&](const std::string& prefix) {
        return std::any_of(records.begin(), records.end(), [&](const std::string& r) { return r.rfind(prefix, 0) == 0; });
    };
    EXPECT_TRUE(has("6;0.8;0.24;")) << "the title line";
    EXPECT_TRUE(has("11;2")) << "layer 1 dash-dot";
    EXPECT_TRUE(has("11;3")) << "layer 2 dashed";
    // the blocks replayed: the bolt's circle and text, the flange's arc
    // turned by 45 degrees and scaled by 1.5
    EXPECT_TRUE(has("3;120;90;3"));
    EXPECT_TRUE(has("6;124;94;B"));
    EXPECT_TRUE(has("5;31;71;49;89;"));
    QImage img = w.DrawingArea()->grab().toImage();
    ASSERT_TRUE(img.save(kt4::testing::ArtifactPath("cad_sample_screen.png")));
}

} // namespace
} // namespace kt4
