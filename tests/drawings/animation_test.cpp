// The animation core: the images, pauses and erase passes it records, the
// positions and turns of the moving parts, and what it refuses.
#include "section_helpers.h"

#include "drawings/animation.h"
#include "foundation/codepage.h"
#include "foundation/maths.h"

namespace kt4::drawtest {
namespace {

using namespace drawings;

class Animation : public DrawingsTest {
protected:
    void TearDown() override
    {
        AnimationDialog() = nullptr;
        graphics::GraphDevice.Window().SingleStep = false;
        DrawingsTest::TearDown();
    }
    static std::vector<std::string> List()
    {
        const auto& l = graphics::GraphDevice.Window().DisplayList();
        return {l.begin(), l.end()};
    }
    static std::size_t Count(const std::vector<std::string>& list, const std::string& record)
    {
        return static_cast<std::size_t>(std::count(list.begin(), list.end(), record));
    }
    // The dialog answers with these values.
    static void Answer(AnimationParams p)
    {
        AnimationDialog() = [p](AnimationParams& out) {
            out = p;
            return true;
        };
    }
    std::vector<std::string> Errors() const { return ErrorTexts(*ui); }
};

TEST_F(Animation, ImagesTurnTheMovingPartsAndEraseAllButTheLast)
{
    DrawAnimation({4, 2, 7, false}, RecordMode);
    const std::vector<Call> inserts = Only(Calls(), "insert");
    // per image: H, then antr, waelz, abtr; then (but after the last) the
    // erase pass antr, waelz, abtr
    ASSERT_EQ(inserts.size(), 10u * 4 + 9 * 3);
    const Real e = drive::exz, i = drive::i;
    ASSERT_LT(i, 0);
    std::size_t k = 0;
    for (int image = 0; image < 10; ++image) {
        const Real phi = Pi / 2 * image; // the second turn goes on from 2 pi + pi/2
        EXPECT_EQ(inserts[k].s, "H");
        EXPECT_EQ(inserts[k].v[2], 0);
        ++k;
        for (int pass = 0; pass < (image < 9 ? 2 : 1); ++pass, k += 3) {
            EXPECT_EQ(inserts[k].s, "antr");
            EXPECT_EQ(inserts[k + 1].s, "waelz");
            EXPECT_EQ(inserts[k + 2].s, "abtr");
            EXPECT_TRUE(Near(inserts[k].v[2], RadToDeg(phi), 1E-9L)) << image;
            EXPECT_TRUE(Near(inserts[k + 1].v[0], e * std::cos(phi), 1E-9L)) << image;
            EXPECT_TRUE(Near(inserts[k + 1].v[1], e * std::sin(phi), 1E-9L)) << image;
            EXPECT_TRUE(Near(inserts[k + 1].v[2], RadToDeg(phi / i), 1E-9L)) << image;
            EXPECT_TRUE(Near(inserts[k + 2].v[2], RadToDeg(phi / i), 1E-9L)) << image;
            if (image > 0) {
                EXPECT_LT(inserts[k + 2].v[2] * inserts[k].v[2], 0) << "the output turns against the input";
            }
        }
    }
    for (const char* block : {"H", "antr", "waelz", "abtr"})
        EXPECT_EQ(std::count_if(Calls().begin(), Calls().end(),
                                [&](const Call& c) { return c.op == "block" && c.s == block; }),
                  1)
            << block;
}

TEST_F(Animation, TheListCarriesThePausesAndErasePasses)
{
    Answer({4, 2, 7, false});
    RunAnimation(1);
    const std::vector<std::string> list = List();
    EXPECT_EQ(Count(list, "13;7"), 9u);
    EXPECT_EQ(Count(list, "8;0"), 9u);
    for (std::size_t k = 0; k + 1 < list.size(); ++k)
        if (list[k] == "13;7") {
            EXPECT_EQ(list[k + 1], "8;0") << "an erase pass begins with the background colour";
        }
    EXPECT_FALSE(graphics::GraphDevice.Window().SingleStep);

    Answer({1, 1, 0, true});
    RunAnimation(1);
    EXPECT_TRUE(graphics::GraphDevice.Window().SingleStep);
    EXPECT_EQ(Count(List(), "13;0"), 1u) << "a pause of 0 ms is a record too";
}

TEST_F(Animation, ModeTwoShowsOneTurnInTwoImagesWithoutAsking)
{
    bool asked = false;
    AnimationDialog() = [&](AnimationParams&) { return asked = true; };
    RunAnimation(2);
    EXPECT_FALSE(asked);
    const std::vector<std::string> list = List();
    EXPECT_EQ(Count(list, "13;0"), 1u);
    EXPECT_EQ(Count(list, "8;0"), 1u);
}

TEST_F(Animation, WithoutADialogTheDefaultsAreUsed)
{
    RunAnimation(1);
    EXPECT_EQ(Count(List(), "13;0"), 20u); // 21 images
}

TEST_F(Animation, RefusesWhatItCannotShow)
{
    struct Case {
        const char* what;
        void (*spoil)();
        const char* message; // "" for the calculation's messages
    };
    const Case cases[] = {
        {"calculation error", [] { settings::CalcErrorFlag = true; }, ""},
        {"ratio 0", [] { drive::i = 0; }, "Übersetzung i = 0 : keine Animation !"},
        {"ratio no number", [] { drive::i = std::numeric_limits<Real>::quiet_NaN(); },
         "Übersetzung i = 0 : keine Animation !"},
        {"dialog values out of range", [] { Answer({0, 1, 0, false}); }, "Anzahl der Einzelbilder: 1 .. 3600 !"},
        {"cancelled", [] {
             AnimationDialog() = [](AnimationParams&) {
                 settings::AbortFlag = true;
                 return false;
             };
         }, nullptr},
    };
    for (const Case& c : cases) {
        drive::CalcDrive();
        DrawView(1, cad::cmScreen);
        const std::vector<std::string> before = List();
        ui->ClearLog();
        bool asked = false;
        if (c.message && std::string(c.message).empty())
            AnimationDialog() = [&](AnimationParams&) { return asked = true; };
        c.spoil();
        RunAnimation(1);
        EXPECT_EQ(List(), before) << c.what;
        EXPECT_FALSE(asked) << c.what;
        if (c.message && *c.message) {
            EXPECT_EQ(Errors(), std::vector<std::string>{c.message}) << c.what;
        } else {
            EXPECT_TRUE(Errors().empty()) << c.what;
        }
        settings::CalcErrorFlag = false;
        AnimationDialog() = nullptr;
    }
}

TEST_F(Animation, DialogTextsAreCheckedAsWholeNumbersInTheirRanges)
{
    struct Case {
        const char *frames, *repeats, *pause;
        AnimationField field;
    };
    for (const Case& c : {Case{"3600", "2", "10000", AnimationField::None}, Case{"1", "0", "0", AnimationField::None},
                          Case{"12.5", "1", "0", AnimationField::Frames}, Case{"", "1", "0", AnimationField::Frames},
                          Case{"10", "-1", "0", AnimationField::Repeats}, Case{"10", "1", "10001", AnimationField::Pause},
                          Case{"101", "100", "0", AnimationField::Frames}}) {
        AnimationParams p;
        AnimationField field = AnimationField::Repeats;
        const std::string message = AnimationInputError(c.frames, c.repeats, c.pause, p, field);
        EXPECT_EQ(field, c.field) << c.frames << " " << c.repeats << " " << c.pause;
        EXPECT_EQ(message.empty(), c.field == AnimationField::None) << message;
    }
}

} // namespace
} // namespace kt4::drawtest
