// Tconfig by control name: every control inside its tab, OK without edits
// changes no setting, the conversions between controls and settings,
// refused entries, the reset buttons, and what the size codes and the
// title block enable and show.
#include "config_form_fixture.h"

#include "shell/config_table.h"
#include "shell/screen_defaults.h"

#include <QLabel>
#include <QListWidget>
#include <QSpinBox>

#include <cmath>
#include <numbers>

namespace kt4::shelltest {
namespace {

namespace c = cad;
namespace g = graphics;
namespace p = printer;
using shell::ConfigLines;

TEST_F(ConfigForm, EveryControlIsFoundInsideItsTab)
{
    const std::vector<std::pair<const char*, std::vector<const char*>>> tabs = {
        {"Tab_dir",
         {"Edit_dirdbf", "Edit_dirplt", "Edit_dirtemp", "Edit_dirdata", "Edit_dircad", "Edit_direxe", "Edit_diredi",
          "Edit_dirworking", "Button_dirtempenv", "Button_workingDir", "Label_user", "CheckBox_dbftemp",
          "Button_dirdbf_browse", "Button_dirworking_browse"}},
        {"Tab_grafik",
         {"RadioGroup_bildschirmgrafik", "Edit_x", "Edit_y", "ComboBox_screensizecode", "Edit_textbreitenfaktor",
          "Edit_texthoehenfaktor", "Label_font", "Label_hstyle", "Panel_colour", "Button_hintergrundfarbe",
          "Edit_zoomfaktor", "Edit_panfaktor", "CheckBox_zoomMouseWheel", "CheckBox_umrandung",
          "SpinEdit_dialogfenster", "ComboBox_dialogwindowSizecode", "SpinEdit_dialogelemente", "CheckBox_3dxyz",
          "Edit_3dx", "Edit_3dy", "Edit_3dz", "CheckBox_zeichfusszeile", "Button_grafikhilfe", "Button_grafikfont",
          "Button_x_reset", "Button_zoomfaktor_reset", "Button_font_reset"}},
        {"Tab_cad",
         {"Edit_cadfont", "Edit_cadtextbreite", "Edit_cadtextwinkel", "CheckBox_diagrammgrenzen", "Edit_freigabefeld",
          "SpinEdit_dxfdec", "Edit_dxfscale", "radiogroupcadtexttyp", "Edit_massfaktorconfig", "CheckBox_3Dto2D",
          "CheckBox_execCadFile", "CheckBox_japolyArcToLines", "Edit_resolutionArcToLines", "ComboBox_cadstltype",
          "Edit_zslice", "CheckBox_jastlinvers", "Edit_fitclearancebore", "Edit_fitclearanceshaft",
          "StringGrid_layer", "Button_selectlayercolor", "CheckBox_layermonochrom", "Button_layerhilfe",
          "Button_helpcad", "Button_layer_reset"}},
        {"Tab_color",
         {"StringGrid_color", "Button_selectcolor", "Button_dick1", "Button_dick2", "Button_dick3", "Panel_color0",
          "Panel_color15", "Button_resetcolor", "Button_colorhilfe"}},
        {"Tab_drucker",
         {"Edit_printscale", "Edit_printscaley", "Edit_printxorigin", "Edit_printyorigin", "CheckBox_umrandung",
          "RadioGroup_printmono", "RadioGroup_orientation", "CheckBox_printerDialogbox", "ComboBox_lpt",
          "Button_helpprint"}},
        {"Tab_textdruck",
         {"RadioGroup_trenn", "RadioGroup_date", "ComboBox_ausdruckdefault", "CheckBox_ausdruckshowdialog",
          "SpinEdit_linesperpage", "SpinEdit_spacelines", "RadioGroup_ff", "Label_courier", "Label_couriersize",
          "Label_courierstyle", "Button_textfont", "Edit_left", "Edit_top", "Edit_width", "Edit_height",
          "ComboBox_textwindowsizecode", "RadioGroup_ausgrad", "Button_helpausdruck", "Button_left_reset"}},
        {"Tab_einstellung",
         {"ComboBox_precision", "ComboBox_unit", "RadioGroup_punktkomma", "RadioGroup_ExcelDot",
          "RadioGroup_hilfegrad", "CheckBox_usereingabe", "CheckBox_archivmode", "RadioGroup_chars",
          "RadioGroup_ergebnisgrafik", "CheckBox_aktuellfile", "CheckBox_saveMenuLanguage",
          "CheckBox_hidewarnings"}},
        {"Tab_extern",
         {"Edit_externhtml", "ListBox_kavolt", "Button_confkavolt", "Button_editkavoltcommandline", "Edit_externtxt",
          "Edit_handbuchdir", "Button_handbuchdir", "Button_externhtml_browse"}},
        {"Tab_zeichnung",
         {"CheckBox_zeichvelmoratitel", "CheckBox_zeichfilename", "CheckBox_zeichdatum", "CheckBox_zeichlogo",
          "CheckBox_zeichnungskopf", "ComboBox_zeichnkopf", "CheckBox_copyrightvermerk", "ComboBox_7200rand",
          "ComboBox_index", "CheckBox_abc123", "CheckBox_mmscale", "CheckBox_aenderungen", "CheckBox_zeichhead034",
          "CheckBox_zeichinsert034", "CheckBox_Neindrawcoordcross3d", "CheckBox_aendkopfindex0"}},
    };
    auto f = Open();
    EXPECT_EQ(f->windowTitle(), "Einstellungen");
    ASSERT_EQ(f->PageControl->count(), 9);
    for (const auto& [tab, names] : tabs) {
        ASSERT_NE(f->Tab(tab), nullptr) << tab;
        for (const char* name : names)
            Find<QWidget>(*f, tab, name);
    }
    EXPECT_EQ(f->PageControl->tabText(0), "Directories");
    EXPECT_EQ(f->PageControl->tabText(5), "Ausdruck");
    EXPECT_EQ(f->Button_save->text(), "&Speichern");
    EXPECT_EQ(Find<QCheckBox>(*f, "Tab_cad", "CheckBox_3Dto2D")->text(), "3D->2D DXF/IGES");
    EXPECT_EQ(Find<QComboBox>(*f, "Tab_textdruck", "ComboBox_ausdruckdefault")->itemText(0), "Bildschirm");
    EXPECT_FALSE(Find<QPushButton>(*f, "Tab_extern", "Button_confkavolt")->isEnabled()); // no plot form yet
}

// Each item of the file that holds a setting writes other lines with the
// fixture than with the start values.
TEST_F(ConfigForm, FixtureChangesEveryRow)
{
    std::vector<std::vector<std::string>> start;
    for (const auto& item : shell::config::Items()) {
        std::vector<std::string> lines;
        item.write(lines, item);
        start.push_back(lines);
    }
    NonDefaultSettings();
    std::size_t k = 0;
    std::string label;
    for (const auto& item : shell::config::Items()) {
        std::vector<std::string> lines;
        item.write(lines, item);
        if (!item.capture)
            label = lines.empty() ? "" : lines[0];
        else
            EXPECT_NE(lines, start[k]) << "item " << k << " after \"" << label << "\"";
        ++k;
    }
}

TEST_F(ConfigForm, OkWithoutEditsChangesNoSetting)
{
    for (bool fixture : {false, true}) {
        if (fixture)
            NonDefaultSettings();
        std::vector<std::string> before = ConfigLines();
        std::string working = settings::WorkingDir;
        bool border = p::DrawBorderLine;
        settings::DbfWriteChecked = true;
        auto f = Open();
        Click(*f, nullptr, "Button_ok");
        EXPECT_EQ(f->result(), QDialog::Accepted);
        EXPECT_EQ(ConfigLines(), before) << "fixture " << fixture;
        EXPECT_EQ(settings::WorkingDir, working);
        EXPECT_EQ(p::DrawBorderLine, border);
        EXPECT_TRUE(settings::DbfWriteChecked); // no folder changed
        EXPECT_FALSE(settings::AbortFlag);
    }
    // what no item stands for shows no item
    auto f = Open();
    EXPECT_EQ(Find<QComboBox>(*f, "Tab_einstellung", "ComboBox_precision")->currentIndex(), -1);
    EXPECT_EQ(Find<shell::gui::RadioGroup>(*f, "Tab_drucker", "RadioGroup_printmono")->ItemIndex(), -1);
}

TEST_F(ConfigForm, PrecisionShowsDecimalsTwoToSix)
{
    auto form = Open();
    auto* combo = Find<QComboBox>(*form, "Tab_einstellung", "ComboBox_precision");
    const char* items[] = {"-1", "0", "+1", "+2", "+3"};
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(combo->itemText(k), items[k]);
    for (int decimals = 2; decimals <= 6; ++decimals) {
        settings::Decimals = 3;
        auto f = Open();
        auto* precision = Find<QComboBox>(*f, "Tab_einstellung", "ComboBox_precision");
        EXPECT_EQ(precision->currentIndex(), 1);
        precision->setCurrentIndex(decimals - 2);
        Click(*f, nullptr, "Button_ok");
        EXPECT_EQ(settings::Decimals, decimals);
    }
}

TEST_F(ConfigForm, ConvertsBetweenControlsAndSettings)
{
    using shell::Screen;
    c::DrawingFooter = true;
    c::CurrentFileMode = false;
    c::Cad3DContours = true;
    c::ViewDefault3D[0] = -15 * std::numbers::pi_v<Real> / 180;
    c::LayerNames[5] = "Kontur";
    c::LayerColors[5] = 7;
    c::LayerLineWidths[5] = 4;
    settings::ScreenResY = 599;
    auto f = Open();
    // the inverted check boxes
    auto* footer = Find<QCheckBox>(*f, "Tab_grafik", "CheckBox_zeichfusszeile");
    auto* current = Find<QCheckBox>(*f, "Tab_einstellung", "CheckBox_aktuellfile");
    auto* to2d = Find<QCheckBox>(*f, "Tab_cad", "CheckBox_3Dto2D");
    EXPECT_FALSE(footer->isChecked());
    EXPECT_EQ(footer->text().toStdString(), "Fu\xC3\x9Fzeile mit Datum, Uhrzeit und Datei"); // what checked does
    EXPECT_TRUE(current->isChecked());
    EXPECT_FALSE(to2d->isChecked());
    footer->setChecked(true);
    current->setChecked(false);
    to2d->setChecked(true);
    // degrees on the form, radians in the settings
    EXPECT_EQ(Text(*f, "Tab_grafik", "Edit_3dx"), "-15");
    Type(*f, "Tab_grafik", "Edit_3dx", "30");
    // entries that stand for another value
    Type(*f, "Tab_grafik", "Edit_zoomfaktor", "0");
    Type(*f, "Tab_cad", "Edit_massfaktorconfig", "0,005");
    Type(*f, "Tab_cad", "Edit_zslice", "0");
    Type(*f, "Tab_grafik", "Edit_x", "800");
    EXPECT_EQ(Text(*f, "Tab_grafik", "Edit_y"), "600");
    // the text window: left, top and width outside their ranges, a height
    // below 50 from the entered y resolution
    Type(*f, "Tab_textdruck", "Edit_left", "2000");
    Type(*f, "Tab_textdruck", "Edit_top", "-1");
    Type(*f, "Tab_textdruck", "Edit_width", "20");
    Type(*f, "Tab_textdruck", "Edit_height", "10");
    // layer 5 in row 1
    auto* layers = Find<kt4::StringGrid>(*f, "Tab_cad", "StringGrid_layer");
    EXPECT_EQ(layers->Cell(1, 1), "Kontur");
    EXPECT_EQ(layers->Cell(2, 1), "7");
    EXPECT_EQ(layers->Cell(3, 1), "4");
    EXPECT_EQ(layers->Cell(1, 5), "1");
    layers->SetCell(2, 1, "9");
    Click(*f, nullptr, "Button_ok");

    EXPECT_FALSE(c::DrawingFooter);
    EXPECT_TRUE(c::CurrentFileMode);
    EXPECT_FALSE(c::Cad3DContours);
    EXPECT_NEAR(static_cast<double>(c::ViewDefault3D[0]), std::numbers::pi / 6, 1e-12);
    EXPECT_EQ(g::ZoomFactor, 1.0L);
    EXPECT_EQ(c::DimensionFactor, 1.0L);
    EXPECT_EQ(c::StlZSlice, 0.1L);
    EXPECT_EQ(settings::ScreenResX, 799);
    EXPECT_EQ(settings::ScreenResY, 599);
    EXPECT_EQ(p::TextWindowRect[1], 10);
    EXPECT_EQ(p::TextWindowRect[2], 40);
    EXPECT_EQ(p::TextWindowRect[3], 700);
    EXPECT_EQ(p::TextWindowRect[4], 600 - 20);
    EXPECT_EQ(c::LayerColors[5], 9);
    EXPECT_EQ(c::LayerNames[5], "Kontur");

    // a resolution of 0 takes the screen
    f = Open();
    Type(*f, "Tab_grafik", "Edit_x", "0");
    Click(*f, nullptr, "Button_ok");
    EXPECT_EQ(settings::ScreenResX, Screen().width - 9);
}

TEST_F(ConfigForm, RefusedEntryKeepsTheFormOpenAndChangesNothing)
{
    auto f = Open();
    f->PageControl->setCurrentIndex(0);
    Type(*f, "Tab_drucker", "Edit_printscale", "2");
    Type(*f, "Tab_grafik", "Edit_zoomfaktor", "1.2.3");
    std::vector<std::string> before = ConfigLines();
    Click(*f, nullptr, "Button_ok");
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(f->PageControl->currentWidget()->objectName(), "Tab_grafik");
    EXPECT_EQ(ConfigLines(), before);
    ASSERT_EQ(Logged("error").size(), 1u);
    EXPECT_NE(Logged("error")[0].find("Zoomfaktor"), std::string::npos);
    // a layer thickness outside 1..255
    Type(*f, "Tab_grafik", "Edit_zoomfaktor", "1.2");
    Find<kt4::StringGrid>(*f, "Tab_cad", "StringGrid_layer")->SetCell(3, 2, "0");
    Click(*f, nullptr, "Button_ok");
    EXPECT_EQ(f->PageControl->currentWidget()->objectName(), "Tab_cad");
    EXPECT_EQ(ConfigLines(), before);
}

TEST_F(ConfigForm, ResetButtonsSetTheirDefaults)
{
    struct Case {
        const char* tab;
        const char* button;
        const char* field;
        QString value;
    };
    shell::ScreenMetrics m;
    m.width = 1280;
    m.height = 1024;
    m.ppi = 120;
    shell::SetScreenMetrics(m);
    const Case cases[] = {
        {"Tab_grafik", "Button_zoomfaktor_reset", "Edit_zoomfaktor", "1.02"},
        {"Tab_grafik", "Button_panfaktor_reset", "Edit_panfaktor", "0.02"},
        {"Tab_grafik", "Button_textbreitenfaktor_reset", "Edit_textbreitenfaktor", "0.8"},
        {"Tab_grafik", "Button_texthoehenfaktor_reset", "Edit_texthoehenfaktor", "1"},
        {"Tab_grafik", "Button_x_reset", "Edit_x", "1272"},
        {"Tab_grafik", "Button_y_reset", "Edit_y", "934"},
        {"Tab_cad", "Button_cadtextbreite_reset", "Edit_cadtextbreite", "1"},
        {"Tab_cad", "Button_cadtextwinkel_reset", "Edit_cadtextwinkel", "0"},
        {"Tab_cad", "Button_freigabefeld_reset", "Edit_freigabefeld", "Frei"},
        {"Tab_cad", "Button_massfaktorconfig_reset", "Edit_massfaktorconfig", "1.0"},
        {"Tab_cad", "Button_dxfscale_reset", "Edit_dxfscale", "1"},
        {"Tab_cad", "Button_resolutionArcToLines_reset", "Edit_resolutionArcToLines", "0.1"},
        {"Tab_cad", "Button_zslice_reset", "Edit_zslice", "0.1"},
        {"Tab_cad", "Button_fitclearancebore_reset", "Edit_fitclearancebore", "0.1"},
        {"Tab_cad", "Button_fitclearanceshaft_reset", "Edit_fitclearanceshaft", "0.05"},
        {"Tab_drucker", "Button_printxorigin_reset", "Edit_printxorigin", "0"},
        {"Tab_drucker", "Button_printyorigin_reset", "Edit_printyorigin", "0"},
        {"Tab_drucker", "Button_printscale_reset", "Edit_printscale", "1.0"},
        {"Tab_drucker", "Button_printscaley_reset", "Edit_printscaley", "1.0"}, // := the x scale
        {"Tab_textdruck", "Button_left_reset", "Edit_left", "20"},
        {"Tab_textdruck", "Button_left_reset", "Edit_height", "933"},
    };
    NonDefaultSettings();
    settings::ScreenSizeCode = 0;
    settings::DialogWindowSizeCode = 0;
    settings::TextWindowSizeCode = 0;
    auto f = Open();
    for (const auto& k : cases) {
        Type(*f, k.tab, k.field, "77");
        Click(*f, k.tab, k.button);
        EXPECT_EQ(Text(*f, k.tab, k.field), k.value) << k.button;
    }
    Click(*f, "Tab_cad", "Button_dxfdec_reset");
    EXPECT_EQ(Find<QSpinBox>(*f, "Tab_cad", "SpinEdit_dxfdec")->value(), 6);
    Click(*f, "Tab_grafik", "Button_dialogelemente_reset");
    EXPECT_EQ(Find<QSpinBox>(*f, "Tab_grafik", "SpinEdit_dialogelemente")->value(), 125);
    Click(*f, "Tab_grafik", "Button_font_reset");
    EXPECT_EQ(Find<QLabel>(*f, "Tab_grafik", "Label_font")->text(), "Arial");
    EXPECT_EQ(Find<QLabel>(*f, "Tab_grafik", "Label_hstyle")->text(), "bold italic");

    Click(*f, "Tab_cad", "Button_layer_reset");
    auto* layers = Find<kt4::StringGrid>(*f, "Tab_cad", "StringGrid_layer");
    const char* rows[5][3] = {{"5", "1", "3"}, {"4", "3", "2"}, {"3", "2", "1"}, {"2", "2", "1"}, {"1", "2", "1"}};
    for (int r = 1; r <= 5; ++r)
        for (int col = 1; col <= 3; ++col)
            EXPECT_EQ(layers->Cell(col, r), rows[r - 1][col - 1]) << r << "," << col;
    Click(*f, "Tab_color", "Button_dick3");
    auto* colors = Find<kt4::StringGrid>(*f, "Tab_color", "StringGrid_color");
    for (int r = 1; r <= 16; ++r)
        EXPECT_EQ(colors->Cell(2, r), "3");
    Click(*f, "Tab_color", "Button_resetcolor");
    Click(*f, nullptr, "Button_ok");
    g::GraphColor palette[g::PaletteSize];
    std::copy(std::begin(g::GraphPalette), std::end(g::GraphPalette), palette);
    g::SetDefaultPalette();
    for (int k = 1; k <= 16; ++k)
        EXPECT_EQ(palette[k], g::GraphPalette[k]) << k;
    EXPECT_EQ(c::ColorLayerLineWidths[20], 3);
    EXPECT_EQ(c::LayerNames[5], "5");
}

TEST_F(ConfigForm, SizeCodesAndTitleBlockEnableAndShowTheirFields)
{
    settings::ScreenSizeCode = 1;
    settings::DialogWindowSizeCode = 0;
    settings::TextWindowSizeCode = 1;
    settings::TitleBlockStandard = 0;
    settings::IsoFrameMargin = 1;
    auto f = Open();
    auto enabled = [&](const char* tab, const char* name) { return Find<QWidget>(*f, tab, name)->isEnabled(); };
    auto shown = [&](const char* tab, const char* name) { return !Find<QWidget>(*f, tab, name)->isHidden(); };
    EXPECT_FALSE(enabled("Tab_grafik", "Edit_x"));
    EXPECT_FALSE(enabled("Tab_grafik", "Button_y_reset"));
    EXPECT_TRUE(enabled("Tab_grafik", "SpinEdit_dialogfenster"));
    EXPECT_FALSE(enabled("Tab_textdruck", "Edit_height"));
    Find<QComboBox>(*f, "Tab_grafik", "ComboBox_screensizecode")->setCurrentIndex(0);
    Find<QComboBox>(*f, "Tab_grafik", "ComboBox_dialogwindowSizecode")->setCurrentIndex(1);
    Find<QComboBox>(*f, "Tab_textdruck", "ComboBox_textwindowsizecode")->setCurrentIndex(0);
    EXPECT_TRUE(enabled("Tab_grafik", "Edit_x"));
    EXPECT_TRUE(enabled("Tab_grafik", "Button_y_reset"));
    EXPECT_FALSE(enabled("Tab_grafik", "SpinEdit_dialogelemente"));
    EXPECT_FALSE(enabled("Tab_grafik", "Button_dialogelemente_reset"));
    EXPECT_TRUE(enabled("Tab_textdruck", "Button_left_reset"));

    // DIN 6771: the release field and the index; the margin 0 and fixed
    auto* margin = Find<QComboBox>(*f, "Tab_zeichnung", "ComboBox_7200rand");
    EXPECT_EQ(margin->currentIndex(), 0);
    EXPECT_FALSE(margin->isEnabled());
    EXPECT_TRUE(shown("Tab_cad", "Edit_freigabefeld"));
    EXPECT_TRUE(shown("Tab_zeichnung", "ComboBox_index"));
    EXPECT_FALSE(shown("Tab_zeichnung", "CheckBox_aenderungen"));
    EXPECT_FALSE(shown("Tab_zeichnung", "CheckBox_aendkopfindex0"));
    EXPECT_FALSE(shown("Tab_zeichnung", "CheckBox_abc123"));
    // ISO 7200
    Find<QComboBox>(*f, "Tab_zeichnung", "ComboBox_zeichnkopf")->setCurrentIndex(2);
    EXPECT_TRUE(margin->isEnabled());
    EXPECT_FALSE(shown("Tab_cad", "Edit_freigabefeld"));
    EXPECT_FALSE(shown("Tab_cad", "Button_freigabefeld_reset"));
    EXPECT_TRUE(shown("Tab_zeichnung", "CheckBox_aenderungen"));
    EXPECT_TRUE(shown("Tab_zeichnung", "CheckBox_aendkopfindex0"));
    margin->setCurrentIndex(1);
    EXPECT_TRUE(shown("Tab_zeichnung", "CheckBox_abc123"));
    EXPECT_TRUE(shown("Tab_zeichnung", "CheckBox_mmscale"));
    margin->setCurrentIndex(0);
    EXPECT_FALSE(shown("Tab_zeichnung", "CheckBox_mmscale"));

    // monochrome on a black background makes it white
    g::BackgroundColor = 1;
    f = Open();
    auto* screen = Find<shell::gui::RadioGroup>(*f, "Tab_grafik", "RadioGroup_bildschirmgrafik");
    QTest::mouseClick(screen->findChildren<QAbstractButton*>()[1], Qt::LeftButton);
    EXPECT_EQ(Find<shell::gui::ColorPanel>(*f, "Tab_grafik", "Panel_colour")->Value(), 0xFFFFFF);
}

} // namespace
} // namespace kt4::shelltest
