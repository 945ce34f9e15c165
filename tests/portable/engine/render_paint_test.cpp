// What fills paint: gradients and their spread, bitmap sampling, colour
// transforms.

#include <gtest/gtest.h>

#include "tests/portable/engine/render_helpers.h"

using namespace render_test;
using swf::FillStyle;
using swf::FillType;
using swf::Shape;
using swf::SpreadMode;

namespace {

FillStyle Gradient(FillType Type, std::vector<swf::GradientRecord> Records, swf::Matrix M,
                   SpreadMode Spread = SpreadMode::Pad) {
  FillStyle f;
  f.type = Type;
  f.gradient = std::move(Records);
  f.matrix = M;
  f.spread = Spread;
  return f;
}

// A linear red-to-blue gradient whose square spans pixels 0..100 horizontally.
Canvas LinearStrip(SpreadMode Spread) {
  Canvas c(200, 1);
  const swf::Matrix m{100 * kTw / 32768, 0, 0, 1, 50 * kTw, 0};
  const Shape s = ShapeOf({Gradient(FillType::LinearGradient, {{0, kRed}, {255, kBlue}}, m, Spread)},
                          {Box(0, 0, 200, 1, 0, 1)});
  Draw(c, {Node(s)});
  return c;
}

}  // namespace

TEST(RenderGradient, LinearEndpointsAndPadding) {
  Canvas c = LinearStrip(SpreadMode::Pad);
  EXPECT_GE(c.red(0, 0), 252u);  // ratio 0 at the left side of the square
  EXPECT_LE(c.blue(0, 0), 3u);
  EXPECT_GE(c.blue(99, 0), 252u);  // ratio 255 at its right side
  EXPECT_NEAR(c.red(50, 0), 127, 3);  // halfway
  EXPECT_NEAR(c.blue(50, 0), 128, 3);
  EXPECT_EQ(c.at(150, 0), 0xFF0000FFu);  // padded with the last colour
  EXPECT_EQ(c.at(199, 0), 0xFF0000FFu);
  for (int x = 1; x < 100; ++x) EXPECT_LE(c.red(x, 0), c.red(x - 1, 0));  // monotonic
}

TEST(RenderGradient, RepeatAndReflectBeyondTheSquare) {
  Canvas repeat = LinearStrip(SpreadMode::Repeat);
  Canvas reflect = LinearStrip(SpreadMode::Reflect);
  // 1.9 squares along: repeating starts over (mostly blue again), reflecting
  // runs back (mostly red).
  EXPECT_GT(repeat.blue(190, 0), 220u);
  EXPECT_GT(reflect.red(190, 0), 220u);
  EXPECT_NEAR(repeat.red(120, 0), repeat.red(20, 0), 1);
  EXPECT_NEAR(reflect.red(120, 0), reflect.red(79, 0), 1);
  // Inside the square all three agree.
  Canvas pad = LinearStrip(SpreadMode::Pad);
  EXPECT_EQ(repeat.at(30, 0), pad.at(30, 0));
  EXPECT_EQ(reflect.at(30, 0), pad.at(30, 0));
}

TEST(RenderGradient, RadialAndFocalRadial) {
  // Radius 16384 in gradient space is 10 pixels, centred on (20, 20).
  const swf::Matrix m{10 * kTw / 16384, 0, 0, 10 * kTw / 16384, 20 * kTw, 20 * kTw};
  const std::vector<swf::GradientRecord> g{{0, kWhite}, {255, kBlack}};
  Canvas c(40, 40);
  const Shape radial = ShapeOf({Gradient(FillType::RadialGradient, g, m)}, {Box(0, 0, 40, 40, 0, 1)});
  Draw(c, {Node(radial)});
  EXPECT_NEAR(c.red(20, 20), 255 * (1 - 0.707 / 10), 2);  // 0.7 pixels from the centre
  EXPECT_NEAR(c.red(25, 20), c.red(20, 25), 1);  // symmetric
  EXPECT_NEAR(c.red(24, 20), 255 * (1 - 4.5 / 10), 4);  // linear in the distance
  EXPECT_EQ(c.at(35, 20), 0xFF000000u);  // outside the circle: padded
  EXPECT_EQ(c.at(20, 20) >> 24, 255u);

  // Focal point halfway to the right edge (25, 20): the first colour sits
  // there, and towards the left the ramp is stretched over 15 pixels.
  FillStyle f = Gradient(FillType::FocalRadialGradient, g, m);
  f.focalPoint = 0.5;
  Canvas d(40, 40);
  Draw(d, {Node(ShapeOf({f}, {Box(0, 0, 40, 40, 0, 1)}))});
  EXPECT_NEAR(d.red(25, 20), 255 * (1 - 0.707 / 5.82), 2);  // 0.7 from the focal point, 5.8 to the circle
  EXPECT_NEAR(d.red(19, 19), 255 * (1 - 5.7 / 15), 6);
  EXPECT_NEAR(d.red(28, 19), 255 * (1 - 3.5 / 5), 8);
  EXPECT_EQ(d.at(35, 20), 0xFF000000u);
}

TEST(RenderGradient, SeveralRecordsWithAlphaArePremultiplied) {
  Canvas c(100, 1);
  const swf::Matrix m{100 * kTw / 32768, 0, 0, 1, 50 * kTw, 0};
  const Shape s = ShapeOf(
      {Gradient(FillType::LinearGradient, {{0, kRed}, {128, {0, 255, 0, 0}}, {255, {0, 0, 255, 255}}}, m)},
      {Box(0, 0, 100, 1, 0, 1)});
  Draw(c, {Node(s)});
  EXPECT_LE(c.alpha(50, 0), 3u);  // near the transparent middle record
  EXPECT_LE(c.green(50, 0), c.alpha(50, 0));  // premultiplied: no colour without alpha
  EXPECT_NEAR(c.alpha(25, 0), 128, 3);  // interpolated straight, then premultiplied
  EXPECT_NEAR(c.red(25, 0), 64, 3);
  EXPECT_NEAR(c.green(25, 0), 64, 3);
}

namespace {

swf::Movie MovieWithBitmap() {
  swf::Movie m;
  swf::Bitmap b;
  b.width = 2;
  b.height = 2;
  b.pixels = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};  // red green / blue white
  m.dictionary[7] = b;
  return m;
}

Canvas BitmapFilled(FillType Type, uint16_t Id = 7, swf::ColorTransform Cx = {}) {
  FillStyle f;
  f.type = Type;
  f.bitmapId = Id;
  f.matrix = {2 * kTw, 0, 0, 2 * kTw, 0, 0};  // a bitmap pixel is 2 x 2 screen pixels
  static const swf::Movie movie = MovieWithBitmap();
  Canvas c(8, 8);
  const Shape s = ShapeOf({f}, {Box(0, 0, 8, 8, 0, 1)});
  swf::SceneNode n = Node(s);
  n.cxform = Cx;
  Draw(c, {n}, movie);
  return c;
}

}  // namespace

TEST(RenderBitmap, NearestSamplingClippedAndRepeating) {
  Canvas c = BitmapFilled(FillType::NonSmoothedClippedBitmap);
  EXPECT_EQ(c.at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(c.at(1, 1), 0xFFFF0000u);
  EXPECT_EQ(c.at(2, 0), 0xFF00FF00u);
  EXPECT_EQ(c.at(1, 3), 0xFF0000FFu);
  EXPECT_EQ(c.at(3, 3), 0xFFFFFFFFu);
  EXPECT_EQ(c.at(7, 0), 0xFF00FF00u);  // beyond the bitmap its edge pixels extend
  EXPECT_EQ(c.at(7, 7), 0xFFFFFFFFu);
  EXPECT_EQ(c.at(0, 6), 0xFF0000FFu);

  Canvas r = BitmapFilled(FillType::NonSmoothedRepeatingBitmap);
  EXPECT_EQ(r.at(4, 0), 0xFFFF0000u);  // tiles again
  EXPECT_EQ(r.at(6, 1), 0xFF00FF00u);
  EXPECT_EQ(r.at(7, 7), 0xFFFFFFFFu);
  EXPECT_EQ(r.at(5, 6), 0xFF0000FFu);
}

TEST(RenderBitmap, SmoothedSamplingIsBilinear) {
  Canvas c = BitmapFilled(FillType::ClippedBitmap);
  EXPECT_EQ(c.at(0, 0), 0xFFFF0000u);  // clamped at the edge: pure
  // Pixel (1, 0) samples a quarter of the way from red to green.
  EXPECT_NEAR(c.red(1, 0), 191, 1);
  EXPECT_NEAR(c.green(1, 0), 64, 1);
  EXPECT_EQ(c.alpha(1, 0), 255u);
  // Pixel (1, 1) mixes all four.
  EXPECT_NEAR(c.red(1, 1), 255 * (0.5625 + 0.0625), 1);
  EXPECT_NEAR(c.blue(1, 1), 255 * (0.1875 + 0.0625), 1);

  // Repeating, the left edge blends with the right column of the tile.
  Canvas r = BitmapFilled(FillType::RepeatingBitmap);
  EXPECT_NE(r.at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(r.at(2, 2), c.at(2, 2));  // away from the edges both agree
  EXPECT_GT(r.green(0, 0), 40u);
}

TEST(RenderBitmap, UnknownBitmapDrawsNothingAndTransformsApply) {
  Canvas c = BitmapFilled(FillType::ClippedBitmap, 99);
  EXPECT_EQ(c.AlphaSum(), 0);
  swf::ColorTransform half;
  half.multA = 128;
  half.multR = 0;
  Canvas t = BitmapFilled(FillType::NonSmoothedClippedBitmap, 7, half);
  EXPECT_EQ(t.at(0, 0), 0x7F000000u);  // red removed, half transparent
  EXPECT_EQ(t.at(7, 7), 0x7F007F7Fu);  // white -> cyan at half alpha, premultiplied
}

TEST(RenderColorTransform, AppliedBeforePremultiplyAndAccumulatedDownTheTree) {
  const Shape s = ShapeOf({Solid({200, 100, 50, 255})}, {Box(0, 0, 2, 2, 0, 1)});
  swf::ColorTransform cx;
  cx.multR = 128;
  cx.addG = 20;
  cx.multA = 128;
  Canvas c(2, 2);
  swf::SceneNode n = Node(s);
  n.cxform = cx;
  Draw(c, {n});
  // (100, 120, 50, 127) premultiplied.
  EXPECT_EQ(c.alpha(0, 0), 127u);
  EXPECT_NEAR(c.red(0, 0), 50, 1);
  EXPECT_NEAR(c.green(0, 0), 60, 1);
  EXPECT_NEAR(c.blue(0, 0), 25, 1);

  // A sprite's transform applies after its child's own.
  swf::SceneNode sprite;
  swf::ColorTransform outer;
  outer.addR = -100;
  sprite.cxform = outer;
  swf::SceneNode child = Node(s);
  child.cxform.multR = 128;  // 200 -> 100, then -100 -> 0
  sprite.children.push_back(child);
  Canvas d(2, 2);
  Draw(d, {sprite});
  EXPECT_EQ(d.at(1, 1), 0xFF006432u);
  // Strokes take the transform too.
  const Shape line = ShapeOf({}, {swf::Path{0, 0, 1, P(0, 1), {Line(4, 1)}}}, {{40, kWhite}});
  swf::SceneNode ln = Node(line);
  ln.cxform.multB = 0;
  Canvas e(4, 3);
  Draw(e, {ln});
  EXPECT_EQ(e.at(2, 1), 0xFFFFFF00u);
}
