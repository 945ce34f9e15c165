// Coverage and winding of the rasteriser: edges on and between pixels,
// holes, fills sharing edges, curves and strokes.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tests/portable/engine/render_helpers.h"

using namespace render_test;
using swf::Path;
using swf::SceneNode;
using swf::Shape;

TEST(RenderCoverage, RectangleOnPixelEdgesCoversWholePixelsOnly) {
  Canvas c(10, 10);
  const Shape s = ShapeOf({Solid(kRed)}, {Box(2, 3, 6, 7, 0, 1)});
  Draw(c, {Node(s)});
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 2 && x < 6 && y >= 3 && y < 7;
      ASSERT_EQ(c.at(x, y), inside ? 0xFFFF0000u : 0u) << x << "," << y;
    }
}

TEST(RenderCoverage, RectangleOnHalfAndQuarterPixelsCoversFractions) {
  Canvas c(10, 10);
  // x from 2.5 to 6.5, y from 3.25 to 7.
  const Shape s = ShapeOf({Solid(kWhite)}, {Box(2.5, 3.25, 6.5, 7, 0, 1)});
  Draw(c, {Node(s)});
  EXPECT_NEAR(c.alpha(2, 5), 128, 1);  // half a pixel wide
  EXPECT_NEAR(c.alpha(6, 5), 128, 1);
  EXPECT_NEAR(c.alpha(4, 3), 191, 1);  // three quarters high
  EXPECT_NEAR(c.alpha(2, 3), 96, 1);   // a corner: half times three quarters
  EXPECT_EQ(c.alpha(4, 5), 255u);
  EXPECT_EQ(c.alpha(1, 5), 0u);
  EXPECT_EQ(c.alpha(7, 5), 0u);
  EXPECT_EQ(c.alpha(4, 7), 0u);
  // Premultiplied: white at partial coverage has colour equal to alpha.
  EXPECT_EQ(c.red(2, 5), c.alpha(2, 5));
}

TEST(RenderCoverage, EitherEdgeDirectionAndSideFillsTheSame) {
  // The same rectangle traced the other way with its fill on the left.
  Canvas a(8, 8), b(8, 8);
  const Shape s1 = ShapeOf({Solid(kRed)}, {Box(1.3, 1.6, 6.2, 5.1, 0, 1)});
  const Shape s2 = ShapeOf({Solid(kRed)}, {Polygon({{1.3, 1.6}, {1.3, 5.1}, {6.2, 5.1}, {6.2, 1.6}}, 0, 1)});
  const Shape s3 = ShapeOf({Solid(kRed)}, {Box(1.3, 1.6, 6.2, 5.1, 1, 0)});
  Draw(a, {Node(s1)});
  Draw(b, {Node(s2)});
  EXPECT_EQ(a.px, b.px);
  Canvas d(8, 8);
  Draw(d, {Node(s3)});
  EXPECT_EQ(a.px, d.px);
}

TEST(RenderCoverage, ContourWithTheStyleOnItsOtherSideIsAHole) {
  Canvas c(12, 12);
  // The inner square goes the same way round as the outer one but has the
  // fill on its left: the inside of the inner square is outside the shape.
  const Shape s = ShapeOf({Solid(kBlue)}, {Box(1, 1, 11, 11, 0, 1), Box(4, 4, 8, 8, 1, 0)});
  Draw(c, {Node(s)});
  EXPECT_EQ(c.alpha(2, 2), 255u);
  EXPECT_EQ(c.alpha(3, 6), 255u);
  EXPECT_EQ(c.alpha(8, 6), 255u);
  EXPECT_EQ(c.alpha(5, 5), 0u);
  EXPECT_EQ(c.alpha(7, 7), 0u);
  EXPECT_EQ(c.alpha(0, 0), 0u);
  EXPECT_NEAR(c.AlphaSum(), 100 - 16, 0.01);
}

TEST(RenderCoverage, SameFillOnBothSidesDrawsNothing) {
  Canvas c(8, 8);
  const Shape s = ShapeOf({Solid(kBlue)}, {Box(1, 1, 6, 6, 1, 1)});
  Draw(c, {Node(s)});
  EXPECT_EQ(c.AlphaSum(), 0);
}

TEST(RenderCoverage, FillsSharingAnEdgeLeaveNoSeam) {
  // Two opaque fills meet on a vertical edge between pixels and on a
  // diagonal; every pixel along the edges must end fully opaque, split
  // between the two colours by area.
  Canvas c(12, 12);
  std::vector<Path> paths;
  paths.push_back(Polygon({{5.3, 1}, {1, 1}, {1, 11}, {5.3, 11}}, 1, 0));  // left outline (fill 1 right of it)
  paths.back() = Polygon({{5.3, 11}, {1, 11}, {1, 1}, {5.3, 1}}, 0, 1);
  paths.back().edges.pop_back();  // the closing edge is the shared one below
  paths.push_back(Polygon({{5.3, 1}, {11, 1}, {11, 11}, {5.3, 11}}, 0, 2));
  paths.back().edges.pop_back();
  Path shared{1, 2, 0, P(5.3, 11), {Line(5.3, 1)}};  // upwards: fill 1 on the left, fill 2 on the right
  paths.push_back(shared);
  const Shape s = ShapeOf({Solid(kRed), Solid(kBlue)}, paths);
  Draw(c, {Node(s)});
  for (int y = 1; y < 11; ++y) {
    ASSERT_EQ(c.alpha(5, y), 255u) << y;
    EXPECT_NEAR(c.red(5, y), 0.3 * 255, 1.5);
    EXPECT_NEAR(c.blue(5, y), 0.7 * 255, 1.5);
  }

  Canvas d(12, 12);
  // A square split along its diagonal into two triangles.
  const Shape t = ShapeOf({Solid(kRed), Solid(kGreen)},
                          {Path{0, 1, 0, P(1, 1), {Line(11, 1), Line(11, 11)}},
                           Path{0, 2, 0, P(11, 11), {Line(1, 11), Line(1, 1)}},
                           Path{2, 1, 0, P(11, 11), {Line(1, 1)}}});
  Draw(d, {Node(t)});
  for (int y = 1; y < 11; ++y)
    for (int x = 1; x < 11; ++x) ASSERT_EQ(d.alpha(x, y), 255u) << x << "," << y;
  EXPECT_NEAR(d.red(4, 4) + d.green(4, 4), 255, 1);
}

TEST(RenderCoverage, QuadraticCurvesFollowTheCircle) {
  // A circle of radius 8 from eight quadratic arcs (control points on the
  // tangents), centred on (10, 10).
  Canvas c(20, 20);
  const double r = 8, k = r * std::tan(std::numbers::pi / 8);
  Path p{0, 1, 0, P(10 + r, 10), {}};
  for (int i = 1; i <= 8; ++i) {
    const double a0 = (i - 1) * std::numbers::pi / 4, a1 = i * std::numbers::pi / 4, am = (a0 + a1) / 2;
    const double rc = std::hypot(r, k);
    p.edges.push_back(Curve(10 + rc * std::cos(am), 10 + rc * std::sin(am), 10 + r * std::cos(a1), 10 + r * std::sin(a1)));
  }
  const Shape s = ShapeOf({Solid(kBlack)}, {p});
  Draw(c, {Node(s)});
  // Quadratic arcs stray by well under a pixel from the true circle.
  EXPECT_NEAR(c.AlphaSum(), std::numbers::pi * r * r, 1.0);
  EXPECT_EQ(c.alpha(10, 10), 255u);
  EXPECT_EQ(c.alpha(10, 3), 255u);  // just inside the top
  EXPECT_EQ(c.alpha(10, 1), 0u);    // just outside
  EXPECT_EQ(c.alpha(3, 3), 0u);     // outside on the diagonal: 8.5 from the centre
  // The pixel on the circle's edge at 45 degrees is partly covered.
  const int e = static_cast<int>(10 + r / std::sqrt(2.0));
  EXPECT_GT(c.alpha(e, e), 40u);
  EXPECT_LT(c.alpha(e, e), 215u);
}

TEST(RenderStroke, WidthAndRoundCaps) {
  Canvas c(24, 20);
  // 4 pixels wide, from (6, 10) to (16, 10).
  const Shape s = ShapeOf({}, {Path{0, 0, 1, P(6, 10), {Line(16, 10)}}}, {{static_cast<uint16_t>(4 * kTw), kBlack}});
  Draw(c, {Node(s)});
  for (int y = 8; y < 12; ++y) EXPECT_EQ(c.alpha(11, y), 255u) << y;
  EXPECT_EQ(c.alpha(11, 7), 0u);
  EXPECT_EQ(c.alpha(11, 12), 0u);
  // The caps are half circles of radius 2 beyond the ends.
  EXPECT_EQ(c.alpha(5, 10), 255u);  // the pixel before the start
  EXPECT_EQ(c.alpha(16, 9), 255u);  // the pixel after the end
  EXPECT_GT(c.alpha(4, 10), 200u);
  EXPECT_EQ(c.alpha(3, 10), 0u);     // beyond the cap
  EXPECT_LT(c.alpha(4, 8), 160u);    // the cap's rounded corner
  EXPECT_NEAR(c.AlphaSum(), 10 * 4 + std::numbers::pi * 4, 0.3);
}

TEST(RenderStroke, HairlinesAreAtLeastOnePixelAndJoinsAreRound) {
  Canvas c(30, 30);
  // Width 0 and a width that is a tenth of a pixel on screen: both one pixel.
  const Shape s = ShapeOf({},
                          {Path{0, 0, 1, P(5, 5.5), {Line(25, 5.5)}}, Path{0, 0, 2, P(5, 10.5), {Line(25, 10.5)}}},
                          {{0, kBlack}, {2, kBlack}});
  Draw(c, {Node(s)});
  EXPECT_EQ(c.alpha(15, 5), 255u);
  EXPECT_EQ(c.alpha(15, 4), 0u);
  EXPECT_EQ(c.alpha(15, 6), 0u);
  EXPECT_EQ(c.alpha(15, 10), 255u);

  // A right-angle corner: the outer corner is rounded (radius 3 around (10, 20)).
  Canvas d(30, 30);
  const Shape j = ShapeOf({}, {Path{0, 0, 1, P(20, 20), {Line(10, 20), Line(10, 28)}}}, {{static_cast<uint16_t>(6 * kTw), kBlack}});
  Draw(d, {Node(j)});
  EXPECT_EQ(d.alpha(10, 20), 255u);
  EXPECT_EQ(d.alpha(8, 18), 255u);  // inside the round join (about 1.6 from the corner)
  EXPECT_LT(d.alpha(7, 17), 20u);   // a mitre would cover this; the round join only touches it
  // A stroke drawn with one semi-transparent style is not darker where its
  // segments overlap at the join.
  Canvas e(30, 30);
  const Shape t = ShapeOf({}, {Path{0, 0, 1, P(20, 20), {Line(10, 20), Line(10, 28)}}},
                          {{static_cast<uint16_t>(6 * kTw), {0, 0, 0, 128}}});
  Draw(e, {Node(t)});
  EXPECT_EQ(e.alpha(10, 20), e.alpha(15, 20));
  EXPECT_EQ(e.alpha(10, 20), e.alpha(10, 25));
}

TEST(RenderStroke, ClosedOutlinesKeepTheirHoleAndTightTurnsHaveNone) {
  // A closed square outline 2 pixels wide: the band is covered, the inside
  // is not, the corners are rounded on the outside only.
  Canvas c(20, 20);
  const Shape sq = ShapeOf({}, {Path{0, 0, 1, P(4, 4), {Line(16, 4), Line(16, 16), Line(4, 16), Line(4, 4)}}},
                           {{static_cast<uint16_t>(2 * kTw), kBlack}});
  Draw(c, {Node(sq)});
  EXPECT_EQ(c.alpha(10, 3), 255u);
  EXPECT_EQ(c.alpha(10, 4), 255u);
  EXPECT_EQ(c.alpha(4, 4), 255u);  // inner corner
  EXPECT_EQ(c.alpha(10, 10), 0u);
  EXPECT_EQ(c.alpha(5, 5), 0u);
  EXPECT_LT(c.alpha(2, 2), 30u);   // beyond the rounded outer corner
  EXPECT_NEAR(c.AlphaSum(), 14 * 14 - (4 - std::numbers::pi) - 10 * 10, 0.2);

  // A wide stroke along a curve much tighter than its width, and a path that
  // doubles back and crosses itself: every pixel near the path is covered.
  Canvas d(40, 40);
  const Shape tight = ShapeOf({}, {Path{0, 0, 1, P(10, 20), {Curve(20, 10, 12, 22), Line(30, 20), Line(8, 21), Line(20, 30)}}},
                              {{static_cast<uint16_t>(10 * kTw), kBlack}});
  Draw(d, {Node(tight)});
  for (int y = 18; y < 23; ++y)
    for (int x = 8; x < 30; ++x) ASSERT_EQ(d.alpha(x, y), 255u) << x << "," << y;
  EXPECT_EQ(d.alpha(20, 28), 255u);
}

TEST(RenderStroke, StrokesDrawOverTheFills) {
  Canvas c(12, 12);
  Shape s = ShapeOf({Solid(kRed)}, {Box(2, 2, 10, 10, 0, 1)}, {{static_cast<uint16_t>(2 * kTw), kBlue}});
  s.paths[0].line = 1;
  Draw(c, {Node(s)});
  EXPECT_EQ(c.at(2, 5), 0xFF0000FFu);  // stroke over the fill's edge
  EXPECT_EQ(c.at(1, 5), 0xFF0000FFu);  // stroke outside the fill
  EXPECT_EQ(c.at(5, 5), 0xFFFF0000u);  // fill
}

TEST(RenderBounds, NodePixelBoundsAreConservative) {
  const Shape s = ShapeOf({Solid(kRed)}, {Box(2.5, 3, 6, 7.2, 0, 1)});
  SceneNode n = Node(s);
  n.matrix.tx = 10 * kTw;
  const swf::IntRect b = swf::NodePixelBounds(n, kStage);
  EXPECT_EQ(b, (swf::IntRect{11, 2, 17, 9}));
  // A sprite's bounds cover its children; strokes widen them.
  Shape stroked = ShapeOf({}, {Path{0, 0, 1, P(0, 0), {Line(10, 0)}}}, {{static_cast<uint16_t>(8 * kTw), kBlack}});
  SceneNode sprite;
  sprite.children.push_back(Node(stroked));
  sprite.matrix.ty = 20 * kTw;
  EXPECT_EQ(swf::NodePixelBounds(sprite, kStage), (swf::IntRect{-5, 15, 15, 25}));
  EXPECT_TRUE(swf::NodePixelBounds(SceneNode{}, kStage).Empty());
  // Every drawn pixel lies inside the bounds.
  Canvas c(30, 12);
  Draw(c, {n});
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 30; ++x) {
      if (c.alpha(x, y)) {
        EXPECT_TRUE(x >= b.left && x < b.right && y >= b.top && y < b.bottom);
      }
    }
}

TEST(RenderRobustness, DegenerateAndHugeGeometryIsHarmless) {
  Canvas c(16, 16, 0x11223344u);
  const Shape huge = ShapeOf({Solid(kRed)}, {Box(-1e7, -1e7, 1e7, 1e7, 0, 1)});
  const Shape flat = ShapeOf({Solid(kRed)}, {Box(2, 2, 2, 9, 0, 1)});
  Shape badStyles = ShapeOf({Solid(kRed)}, {Box(2, 2, 9, 9, 7, 9)});
  badStyles.paths[0].line = 5;
  SceneNode singular = Node(flat);
  singular.matrix = {0, 0, 0, 0, 0, 0};
  Draw(c, {Node(flat), Node(badStyles), singular});
  EXPECT_EQ(c.at(5, 5), 0x11223344u);
  Draw(c, {Node(huge)});
  EXPECT_EQ(c.at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(c.at(15, 15), 0xFFFF0000u);
}
