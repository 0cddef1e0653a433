// View > Animation in the main window: the dialog asks, the drive turns in
// the window, and with single step the step dialog stops every frame.
#include "shell_fixture.h"

#include "drawings/animation.h"
#include "drawings/gui/animation_form.h"
#include "graphics/gui/anistep.h"
#include "shell/gui/hh.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace kt4;
using kt4::shell::gui::Thh;

namespace {

class AnimationMenu : public shelltest::ShellTest {
protected:
    void SetUp() override
    {
        shelltest::ShellTest::SetUp();
        settings::PltDir = dir.Path(); // no start picture
        drawings::InstallAnimationForm();
    }
    void TearDown() override
    {
        drawings::AnimationDialog() = nullptr;
        shelltest::ShellTest::TearDown();
    }
};

TEST_F(AnimationMenu, SingleStepStopsAtEveryFrame)
{
    auto w = std::make_unique<Thh>();
    ASSERT_FALSE(w->FormCreate().end);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    QAction* item = w->Item("mi_viewanimation");
    ASSERT_TRUE(item->isEnabled());

    // the dialog: 4 frames, single step, OK
    QTimer::singleShot(0, [] {
        (void)QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 5000);
        QWidget* form = QApplication::activeModalWidget();
        ASSERT_EQ(form->objectName(), "TForm_ani1");
        form->findChild<QLineEdit*>("Edit_anzbild")->setText("4");
        form->findChild<QCheckBox*>("CheckBox_singlestep")->setChecked(true);
        form->findChild<QPushButton*>("Button_ok")->click();
    });
    item->trigger();
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_TRUE(w->SingleStep);
    auto step = [&] { return w->findChild<graphics::TForm_anistep*>(); };
    for (int k = 0; k < 2; ++k) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return step() && step()->isVisible(); }, 5000)) << k;
        step()->findChild<QPushButton*>("Button_nextstep")->click();
        QTest::qWait(1);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return step() && step()->isVisible(); }, 5000));
    step()->findChild<QPushButton*>("Button_endstep")->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w->Playing(); }, 5000));
    EXPECT_FALSE(w->SingleStep);
    EXPECT_EQ(std::count(w->DisplayList().begin(), w->DisplayList().end(), std::string("8;0")), 4);
}

} // namespace
