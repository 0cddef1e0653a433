// The configuration form on the offscreen platform: the shell's start
// state, helpers that drive the form by control name, and a configuration
// with a value other than the start value in every row of the file.
#pragma once

#include "gui_helpers.h"
#include "shell_fixture.h"

#include "cad/cad_settings.h"
#include "drive/gui/string_grid.h"
#include "foundation/printer_settings.h"
#include "foundation/settings.h"
#include "graphics/graph_settings.h"
#include "shell/config_file.h"
#include "shell/screen_defaults.h"
#include "shell/gui/config_form.h"
#include "shell/gui/config_widgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace kt4::shelltest {

using shell::gui::Tconfig;

class ConfigForm : public ShellTest {
protected:
    void TearDown() override
    {
        Tconfig::pickColor = savedColor_;
        Tconfig::pickFont = savedFont_;
        Tconfig::pickLayerColor = savedLayerColor_;
        shell::SetScreenMetrics(savedMetrics_);
        ShellTest::TearDown();
    }

    std::unique_ptr<Tconfig> Open()
    {
        auto form = std::make_unique<Tconfig>();
        form->show();
        return form;
    }

    template <class W>
    static W* Find(Tconfig& f, const char* tab, const char* name)
    {
        W* w = f.Control<W>(tab, name);
        EXPECT_NE(w, nullptr) << tab << "/" << name;
        return w;
    }
    static QString Text(Tconfig& f, const char* tab, const char* name)
    {
        auto* e = Find<QLineEdit>(f, tab, name);
        return e ? e->text() : QString();
    }
    static void Type(Tconfig& f, const char* tab, const char* name, const QString& text)
    {
        if (auto* e = Find<QLineEdit>(f, tab, name))
            e->setText(text);
    }
    static void Click(Tconfig& f, const char* tab, const char* name)
    {
        auto* b = tab ? Find<QPushButton>(f, tab, name) : f.findChild<QPushButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    // Runs Action on the next modal dialog that opens.
    static void OnModal(std::function<void(QWidget*)> Action)
    {
        QTimer::singleShot(0, [Action] {
            QWidget* w = QApplication::activeModalWidget();
            if (w)
                Action(w);
        });
    }

    // A value other than the start value in every row of the file, each
    // one the form can show, except Decimals, WindowsPrintMode and
    // TextDevice, which no item of their controls stands for.
    static void NonDefaultSettings();

private:
    shell::ScreenMetrics savedMetrics_ = shell::Screen();
    decltype(Tconfig::pickColor) savedColor_ = Tconfig::pickColor;
    decltype(Tconfig::pickFont) savedFont_ = Tconfig::pickFont;
    decltype(Tconfig::pickLayerColor) savedLayerColor_ = Tconfig::pickLayerColor;
};

inline void ConfigForm::NonDefaultSettings()
{
    using namespace settings;
    namespace c = cad;
    namespace g = graphics;
    namespace p = printer;
    for (std::size_t k = 1; k <= 5; ++k) {
        c::LayerNames[k] = "L" + std::to_string(k);
        c::LayerColors[k] = static_cast<Integer>(10 + k);
    }
    c::CadTextStyle = "ROMANS";
    c::CadTextWidthFactor = 0.9L;
    c::CadTextObliqueAngle = 15;
    CadDir = "/cad/";
    DbfDir = "/dbf/";
    HelpLevel = 2;
    PrinterPort = 2;
    PrinterType = 4;
    PrintDensity = 2;
    HardcopyRotated = 'N';
    Decimals = 8;
    PrintDensityVertical = 2;
    ColorGraphics = false;
    shell::GraphicsAspect = 1.5L;
    GraphicsMode = 3;
    GraphicsDriver = 4;
    ScreenResX = 700;
    ScreenResY = 500;
    TempDir = "/tmpx/";
    HardcopyPort = 2;
    EdiDir = "/edi/";
    PltDir = "/plt/";
    TextPrintMode = 3;
    LinesPerPage = 60;
    g::ZoomFactor = 1.5L;
    g::PanFactor = 0.05L;
    ProgramsDir = "/prog/";
    c::CadPlotLineCount = 3;
    c::CadPlotLines[1] = "plot one";
    c::CadPlotLines[2] = "plot two";
    c::CadPlotLines[3] = "plot three";
    g::BackgroundColor = 0x123456;
    WindowsPrintMode = 3;
    c::LayerMonochrome = true;
    g::GraphTextWidthFactor = 0.7L;
    g::GraphFontName = "Courier";
    for (int k = c::FirstColorLayer; k <= c::LastColorLayer; ++k) {
        c::ColorLayerColors[static_cast<std::size_t>(k)] = 32 - k;
        c::ColorLayerLineWidths[static_cast<std::size_t>(k)] = 2;
    }
    TextProgram = "/usr/bin/ed";
    DatabaseMode = 2;
    ExternalTableEditor = "/usr/bin/vi";
    p::PrintOriginX = 5;
    p::PrintOriginY = -7;
    p::PrintScale = 0.8;
    p::PrintBorder = !p::PrintBorder;
    PasswordPrompt = !PasswordPrompt;
    ArchiveMode = !ArchiveMode;
    DateFormat = 2;
    HeaderSpaceLines = 4;
    TextDevice = 9;
    TextDeviceDialog = !TextDeviceDialog;
    SmallOnlineWindow = !SmallOnlineWindow;
    EnterDiagramLimits = !EnterDiagramLimits;
    DecimalPoint = 2;
    DefaultDataDir = "/data/";
    g::GraphTextHeightFactor = 1.2L;
    InputWindowScale = 120;
    HtmlBrowser = "/usr/bin/w3m";
    p::PrintScaleY = 0.9;
    for (std::size_t k = 0; k < c::LayerLineWidths.size(); ++k)
        c::LayerLineWidths[k] = static_cast<Integer>(k + 4);
    p::GraphPrintDialog = !p::GraphPrintDialog;
    p::TextWindowRect[1] = 30;
    p::TextWindowRect[2] = 50;
    p::TextWindowRect[3] = 600;
    p::TextWindowRect[4] = 400;
    UnitSystem = 1;
    PrintHeaderMode = 2;
    p::PrintFontName = "Mono";
    p::PrintFontSize = 12;
    p::PrintFontStyle = 1;
    g::GraphFontStyle = 2;
    p::PrintOrientation = 1;
    c::Edit3DAngles = !c::Edit3DAngles;
    c::ViewDefault3D = {0.1L, 0.2L, 0.3L};
    ChangeIndexMode = 2;
    ExcelDecimalPoint = 1;
    c::ReleaseFieldText = "Frei";
    c::CadDecimals = 4;
    CadTextMode = 3;
    CharConversion = 1;
    DialogElementScale = 110;
    AngleFormat = 2;
    c::DimensionFactor = 2;
    c::ReservedOption = 2;
    LanguageId = 2;
    ScreenViewMode = 3;
    for (bool* flag : {&c::DrawTitleLine, &c::DrawFileName, &c::DrawDate, &c::DrawLogoBlock, &c::DrawingFooter,
                       &c::DrawTitleBlock, &c::CurrentFileMode, &SaveMenuLanguage, &c::Cad3DContours,
                       &c::DrawOwnerNote, &c::DrawGridBorder, &c::DrawMmScale, &c::DrawChangesBlock,
                       &c::InsertHeadBlocks, &c::InsertInsertBlocks, &HideWarnings, &c::ExportLaunchFlag,
                       &c::PolyArcToLines, &DbfUseTemp, &c::NoCoordinateCross3D, &c::StlInvert,
                       &g::ZoomMouseWheel, &c::RevisionIndexZero})
        *flag = !*flag;
    TitleBlockStandard = 1;
    for (int k = 1; k <= 16; ++k)
        g::GraphPalette[k] = g::MakeColor(k, 2 * k, 3 * k);
    ManualDir = "/manual/";
    IsoFrameMargin = 0;
    c::ArcToLinesResolution = 0.3L;
    c::StlFileType = 1;
    ScreenSizeCode = 2;
    DialogWindowSizeCode = 0;
    TextWindowSizeCode = 0;
    c::StlZSlice = 0.2L;
    c::FitClearanceShaft = 0.03L;
    c::FitClearanceBore = 0.04L;
    c::CadScale = 2;
}

} // namespace kt4::shelltest
