// The animation dialog driven by its control names, three frames of the
// default drive as the window shows them while it plays, and the twelve
// bearing sections in one picture; all grabbed to build-test/artifacts.
#include "section_helpers.h"

#include "drawings/animation.h"
#include "drawings/gui/animation_form.h"
#include "foundation/gui/gui_helpers.h"
#include "graphics/gui/anistep.h"
#include "graphics/gui/fvelmgra.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTest>

namespace kt4::drawtest {
namespace {

using kt4::testing::Find;
using namespace drawings;

class AnimationGui : public DrawingsTest {
protected:
    void TearDown() override
    {
        AnimationDialog() = nullptr;
        DrawingsTest::TearDown();
    }
    static void Type(QWidget* form, const char* edit, const char* text)
    {
        auto* e = Find<QLineEdit>(form, edit);
        e->clear();
        QTest::keyClicks(e, text);
    }
    std::vector<std::string> Errors() const { return ErrorTexts(*ui); }
};

TEST_F(AnimationGui, DialogControlsDefaultsAndButtons)
{
    TForm_ani1 form;
    form.show();
    form.adjustSize();
    ASSERT_TRUE(form.grab().save(kt4::testing::ArtifactPath("animation_dialog.png")));
    EXPECT_EQ(form.windowTitle(), "Animation");
    struct Text {
        const char* name;
        const char* text;
    };
    for (const Text& t : {Text{"Label_anzbild", "Anzahl der Einzelbilder"}, Text{"Label_anzwdh", "Anzahl der Wiederholungen"},
                          Text{"Label_ms", "Pause nach jedem Einzelbild"}, Text{"Label1", "ms"}})
        EXPECT_EQ(Find<QLabel>(&form, t.name)->text().toStdString(), t.text) << t.name;
    EXPECT_EQ(Find<QCheckBox>(&form, "CheckBox_singlestep")->text(), "Pause nach jedem Einzelbild ?");
    EXPECT_FALSE(Find<QCheckBox>(&form, "CheckBox_singlestep")->isChecked());
    for (const Text& t : {Text{"Button_ok", "OK"}, Text{"Button_cancel", "Abbrechen"}, Text{"Button_help", "&Hilfe"}})
        EXPECT_EQ(Find<QPushButton>(&form, t.name)->text().toStdString(), t.text) << t.name;
    struct Field {
        const char* edit;
        const char* button;
        const char* initial;
        const char* preset;
    };
    for (const Field& f : {Field{"Edit_anzbild", "Button_anzbild", "90", "360"},
                           Field{"Edit_anzwdh", "Button_anzwdh", "1", "1"}, Field{"Edit_ms", "Button_ms", "10", "50"}}) {
        auto* edit = Find<QLineEdit>(&form, f.edit);
        EXPECT_EQ(edit->text().toStdString(), f.initial) << f.edit;
        Type(&form, f.edit, "7");
        auto* button = Find<QPushButton>(&form, f.button);
        EXPECT_EQ(button->text(), "<");
        button->click();
        EXPECT_EQ(edit->text().toStdString(), f.preset) << f.button;
    }

    Find<QCheckBox>(&form, "CheckBox_singlestep")->setChecked(true);
    settings::AbortFlag = true;
    Find<QPushButton>(&form, "Button_ok")->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(form.Values.frames, 360);
    EXPECT_EQ(form.Values.repeats, 1);
    EXPECT_EQ(form.Values.pauseMs, 50);
    EXPECT_TRUE(form.Values.singleStep);
}

TEST_F(AnimationGui, InvalidEntriesAreRefusedAndTheDialogStaysOnTheField)
{
    struct Case {
        const char* frames;
        const char* repeats;
        const char* pause;
        const char* message;
        const char* field;
    };
    const Case cases[] = {
        {"abc", "1", "10", "Anzahl der Einzelbilder: 1 .. 3600 !", "Edit_anzbild"},
        {"0", "1", "10", "Anzahl der Einzelbilder: 1 .. 3600 !", "Edit_anzbild"},
        {"3601", "1", "10", "Anzahl der Einzelbilder: 1 .. 3600 !", "Edit_anzbild"},
        {"90", "101", "10", "Anzahl der Wiederholungen: 0 .. 100 !", "Edit_anzwdh"},
        {"90", "1", "-1", "Pause: 0 .. 10000 ms !", "Edit_ms"},
        {"90", "1", "2,5", "Pause: 0 .. 10000 ms !", "Edit_ms"},
        {"200", "100", "10", "Einzelbilder x Wiederholungen: höchstens 10000 !", "Edit_anzbild"},
    };
    for (const Case& c : cases) {
        TForm_ani1 form;
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        Type(&form, "Edit_anzbild", c.frames);
        Type(&form, "Edit_anzwdh", c.repeats);
        Type(&form, "Edit_ms", c.pause);
        ui->ClearLog();
        Find<QPushButton>(&form, "Button_ok")->click();
        EXPECT_TRUE(form.isVisible()) << c.frames << " " << c.repeats << " " << c.pause;
        ASSERT_EQ(Errors().size(), 1u) << c.frames;
        EXPECT_EQ(Errors()[0], c.message);
        EXPECT_EQ(QApplication::focusWidget(), Find<QLineEdit>(&form, c.field)) << c.message;
    }
}

TEST_F(AnimationGui, CancelLeavesThePictureAsItWas)
{
    graphics::TFvelmgra w;
    w.show();
    drawings::DrawView(1, 3);
    const std::vector<std::string> before(w.DisplayList().begin(), w.DisplayList().end());
    InstallAnimationForm();
    kt4::testing::ModalScript script;
    script.Then([](QWidget* form) { Find<QPushButton>(form, "Button_cancel")->click(); });
    settings::AbortFlag = false;
    RunAnimation(1);
    EXPECT_EQ(script.Left(), 0u);
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(std::vector<std::string>(w.DisplayList().begin(), w.DisplayList().end()), before);
    EXPECT_FALSE(w.SingleStep);
}

// Three frames of the default drive as the window shows them: single step
// holds each one on the screen until the step dialog is answered.
TEST_F(AnimationGui, FramesOfTheDefaultDrive)
{
    graphics::TFvelmgra w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    AnimationDialog() = [](AnimationParams& p) {
        p = {12, 1, 0, true};
        return true;
    };
    RunAnimation(1);
    EXPECT_TRUE(w.Playing());
    std::vector<QImage> frames;
    for (int k = 0; k < 3; ++k) {
        auto step = [&] { return w.findChild<graphics::TForm_anistep*>(); };
        ASSERT_TRUE(QTest::qWaitFor([&] { return step() && step()->isVisible(); }, 5000)) << k;
        frames.push_back(w.RenderImage());
        Find<QPushButton>(step(), "Button_nextstep")->click();
        QTest::qWait(1);
    }
    EXPECT_NE(frames[0], frames[1]);
    EXPECT_NE(frames[1], frames[2]);
    auto step = [&] { return w.findChild<graphics::TForm_anistep*>(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return step() && step()->isVisible(); }, 5000));
    Find<QPushButton>(step(), "Button_endstep")->click(); // the rest plays on
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.Playing(); }, 5000));
    EXPECT_FALSE(w.SingleStep);

    QImage strip(3 * frames[0].width() + 20, frames[0].height(), QImage::Format_RGB32);
    strip.fill(Qt::white);
    QPainter p(&strip);
    for (int k = 0; k < 3; ++k)
        p.drawImage(k * (frames[0].width() + 10), 0, frames[std::size_t(k)]);
    p.end();
    ASSERT_TRUE(strip.save(kt4::testing::ArtifactPath("animation_frames.png")));
}

// The twelve types from representative rows of our catalogues, one tile
// each, drawn on the screen as the bearing blocks are.
TEST_F(AnimationGui, BearingSectionsPicture)
{
    graphics::TFvelmgra w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    std::vector<QImage> tiles;
    for (TBearingType typ = 1; typ <= BearingTypeCount; ++typ) {
        TakeRow(1, typ, CatalogueRows(typ).size() / 2);
        settings::ClearMessages();
        const WaelzLagerTyp& b = bearings::BearingSlots[1];
        const Real W = typ == TaperedRoller ? b.T() : b.B, R = b.D / 2;
        const Real half = 0.6L * std::max(W, 2 * R);
        cad::c_begin(cad::cmScreen);
        cad::c_header(W / 2 - 4 * half / 3, -half, W / 2 + 4 * half / 3, half, 0); // the tile is 4:3
        cad::c_tables(2);
        cad::c_blocks();
        cad::c_endblocks();
        cad::c_entities();
        cad::c_setlayer(5);
        DrawBearing(1, 2);
        cad::c_endblocks();
        cad::c_end();
        EXPECT_EQ(settings::MessageCount, 0) << typ;
        QApplication::processEvents();
        tiles.push_back(w.RenderImage());
    }
    const int tw = tiles[0].width(), th = tiles[0].height();
    QImage sheet(4 * tw, 3 * th, QImage::Format_RGB32);
    sheet.fill(Qt::darkGray);
    QPainter p(&sheet);
    for (std::size_t k = 0; k < tiles.size(); ++k)
        p.drawImage(int(k % 4) * tw, int(k / 4) * th, tiles[k].copy(1, 1, tw - 2, th - 2));
    p.end();
    ASSERT_TRUE(sheet.save(kt4::testing::ArtifactPath("bearing_sections.png")));
}

} // namespace
} // namespace kt4::drawtest
