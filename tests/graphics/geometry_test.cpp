// Plane geometry: linear systems, intersections, arc centres.
#include "graphics_fixture.h"

#include "foundation/maths.h"
#include "graphics/geometry2d.h"

#include <cmath>

using namespace kt4;
using namespace kt4::graphics;

using Geometry = GraphicsTest;

TEST_F(Geometry, LinearSystemsAndIntersections)
{
    EXPECT_EQ(Det2(1, 2, 3, 4), -2);
    Real x = 9, y = 9;
    EXPECT_TRUE(SolveLinear2(x, y, 1, 1, 3, 1, -1, 1));
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 1);
    EXPECT_FALSE(SolveLinear2(x, y, 1, 1, 2, 2, 2, 4));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);

    LineIntersection(x, y, 0, 0, 2, 2, 0, 2, 2, 0);
    EXPECT_NEAR(double(x), 1, 1e-15);
    EXPECT_NEAR(double(y), 1, 1e-15);
    LineIntersection(x, y, 3, 0, 4, 0, 0, 1, 1, 1); // parallel: the first point
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 0);
}

TEST_F(Geometry, RotationAboutAPoint)
{
    Real x, y;
    RotateAbout(x, y, Pi / 2, 1, 1, 2, 1);
    EXPECT_NEAR(double(x), 1, 1e-15);
    EXPECT_NEAR(double(y), 2, 1e-15);
}

TEST_F(Geometry, ArcCentreOfHalfAndQuarterCircles)
{
    Real cx, cy, a1, r, a2;
    EXPECT_TRUE(GetArcCenter(cx, cy, a1, r, a2, 0, 0, 2, 0, Pi));
    EXPECT_NEAR(double(cx), 1, 1e-15);
    EXPECT_NEAR(double(cy), 0, 1e-15);
    EXPECT_NEAR(double(r), 1, 1e-15);

    EXPECT_TRUE(GetArcCenter(cx, cy, a1, r, a2, 1, 0, 0, 1, Pi / 2));
    EXPECT_NEAR(double(cx), 0, 1e-15);
    EXPECT_NEAR(double(cy), 0, 1e-15);
    EXPECT_NEAR(double(r), 1, 1e-15);
    EXPECT_NEAR(double(a1), 0, 1e-15);
    EXPECT_NEAR(double(a2), double(Pi / 2), 1e-15);

    // clockwise: the angles come back counter-clockwise from GetArcCenter,
    // as computed from GetArcCenterXY
    EXPECT_TRUE(GetArcCenter(cx, cy, a1, r, a2, 0, 1, 1, 0, -Pi / 2));
    EXPECT_NEAR(double(a1), 0, 1e-15);
    EXPECT_NEAR(double(a2), double(Pi / 2), 1e-15);
    EXPECT_TRUE(GetArcCenterXY(cx, cy, a1, r, a2, 0, 1, 1, 0, -Pi / 2));
    EXPECT_NEAR(double(a1), double(Pi / 2), 1e-15);
    EXPECT_NEAR(double(a2), 0, 1e-15);

    EXPECT_TRUE(GetArcCenter(cx, cy, a1, r, a2, 5, 6, 5, 6, 2 * Pi));
    EXPECT_EQ(cx, 5);
    EXPECT_EQ(cy, 6);
    EXPECT_EQ(r, 0);
}

TEST_F(Geometry, ZeroSweepGivesTheStraightSegmentAndOneMessage)
{
    Real cx = 99, cy = 99, a1 = 99, r = 99, a2 = 99;
    EXPECT_FALSE(GetArcCenter(cx, cy, a1, r, a2, 0, 0, 4, 0, 0));
    EXPECT_EQ(cx, 2);
    EXPECT_EQ(cy, 0);
    EXPECT_EQ(r, 2);
    EXPECT_NEAR(double(a1), double(Pi), 1e-15);
    EXPECT_EQ(a2, 0);
    EXPECT_FALSE(GetArcCenterXY(cx, cy, a1, r, a2, 0, 0, 4, 0, 0));
    EXPECT_EQ(settings::MessageCount, 1);
    EXPECT_EQ(settings::MessageTexts[1], "Fehler in GetArcCenter (dphi = 0 ! ");

    settings::ClearMessages();
    settings::HideWarnings = true;
    EXPECT_FALSE(GetArcCenter(cx, cy, a1, r, a2, 0, 0, 4, 0, 0));
    EXPECT_EQ(settings::MessageCount, 0);
}

TEST_F(Geometry, QuadraticRoots)
{
    Real x1, x2;
    std::uint8_t none = 9;
    QuadraticRoots(x1, x2, none, 1, -3, 2);
    EXPECT_EQ(none, 0);
    EXPECT_EQ(x1, 2);
    EXPECT_EQ(x2, 1);
    QuadraticRoots(x1, x2, none, 1, 0, 1);
    EXPECT_EQ(none, 1);
    EXPECT_EQ(x1, 0);
    EXPECT_EQ(x2, 0);
}

TEST_F(Geometry, LineAndCircle)
{
    Real xa, ya, xb, yb;
    std::uint8_t none = 9;
    LineCircleIntersection(xa, ya, xb, yb, none, -5, 0, 5, 0, 0, 0, 1);
    EXPECT_EQ(none, 0);
    EXPECT_EQ(xa, 1);
    EXPECT_EQ(xb, -1);
    // a tangent gives the touching point twice
    LineCircleIntersection(xa, ya, xb, yb, none, -5, 1, 5, 1, 0, 0, 1);
    EXPECT_EQ(none, 0);
    EXPECT_EQ(xa, xb);
    EXPECT_EQ(ya, yb);
    EXPECT_EQ(ya, 1);
    // vertical lines
    LineCircleIntersection(xa, ya, xb, yb, none, 0.5L, -3, 0.5L, 3, 0, 0, 1);
    EXPECT_EQ(none, 0);
    EXPECT_NEAR(double(ya), std::sqrt(0.75), 1e-15);
    EXPECT_NEAR(double(yb), -std::sqrt(0.75), 1e-15);
    LineCircleIntersection(xa, ya, xb, yb, none, 2, -3, 2, 3, 0, 0, 1);
    EXPECT_EQ(none, 1);
    // a line that misses
    LineCircleIntersection(xa, ya, xb, yb, none, -5, 2, 5, 2, 0, 0, 1);
    EXPECT_EQ(none, 1);
    EXPECT_EQ(xa, 0);
    EXPECT_EQ(yb, 0);
}
