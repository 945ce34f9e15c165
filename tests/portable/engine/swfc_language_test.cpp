// The description language construct by construct: what each statement puts
// into the movie model.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/swfc/compile.h"

namespace {

const swf::Shape& ShapeAt(const swf::Movie& M, uint16_t Id) { return std::get<swf::Shape>(M.dictionary.at(Id)); }

const swf::PlaceObject& PlaceAt(const swf::Timeline& T, size_t Frame, size_t Tag) {
  return std::get<swf::PlaceObject>(T.frames.at(Frame).tags.at(Tag));
}

// Signed area of a path's polygon through its anchors (twips squared); positive
// when clockwise on screen (y down).
double Area(const swf::Path& P) {
  double a = 0;
  swf::Point prev = P.start;
  for (const swf::Edge& e : P.edges) {
    a += prev.x * e.anchor.y - e.anchor.x * prev.y;
    prev = e.anchor;
  }
  return a / 2;
}

}  // namespace

TEST(SwfcHeader, DefaultsAndEveryHeaderStatement) {
  swf::Movie d = swfc::Parse("");
  EXPECT_EQ(d.version, 8);
  EXPECT_TRUE(d.compressed);
  EXPECT_EQ(d.frameSize, (swf::Rect{0, 0, 11000, 8000}));
  EXPECT_EQ(d.frameRate, 12 << 8);
  EXPECT_EQ(d.timeline.frames.size(), 1u);
  EXPECT_EQ(d.frameCount, 1);

  swf::Movie m = swfc::Parse(
      "# a comment line\n"
      "size 320 240   # pixels\n"
      "rate 29.97\n"
      "background #10203040\n"
      "version 6\n"
      "compress off\n");
  EXPECT_EQ(m.frameSize, (swf::Rect{0, 0, 6400, 4800}));
  EXPECT_EQ(m.frameRate, std::lround(29.97 * 256));
  EXPECT_EQ(m.background, (swf::RGBA{0x10, 0x20, 0x30, 0x40}));
  EXPECT_EQ(m.version, 6);
  EXPECT_FALSE(m.compressed);
  EXPECT_EQ(swfc::Parse("size 8000 6000 twips").frameSize, (swf::Rect{0, 0, 8000, 6000}));
  EXPECT_EQ(swfc::Parse("background red").background, (swf::RGBA{255, 0, 0, 255}));
  EXPECT_EQ(swfc::Parse("background 00ff0080").background, (swf::RGBA{0, 255, 0, 128}));
}

TEST(SwfcShape, StylesRectAndCircleAreTwoSidedAndClockwise) {
  swf::Movie m = swfc::Parse(
      "shape s\n"
      "  fill a solid #ff000080\n"
      "  fill b solid blue\n"
      "  line l 2.5 #00ff00\n"
      "  rect 10 20 30 40 fill a line l\n"
      "  rect 15 25 5 5 outside a\n"
      "  circle 100 100 50 fill b outside a\n"
      "end\n");
  const swf::Shape& s = ShapeAt(m, 1);
  ASSERT_EQ(s.fills.size(), 2u);
  EXPECT_EQ(s.fills[0].color, (swf::RGBA{255, 0, 0, 128}));
  EXPECT_EQ(s.fills[1].color, (swf::RGBA{0, 0, 255, 255}));
  ASSERT_EQ(s.lines.size(), 1u);
  EXPECT_EQ(s.lines[0].width, 50);
  ASSERT_EQ(s.paths.size(), 3u);
  const swf::Path& r = s.paths[0];
  EXPECT_EQ(r.start, (swf::Point{200, 400}));
  ASSERT_EQ(r.edges.size(), 4u);
  EXPECT_EQ(r.edges.back().anchor, r.start);  // closed
  EXPECT_EQ(r.fill1, 1u);                     // inside on the right
  EXPECT_EQ(r.fill0, 0u);
  EXPECT_EQ(r.line, 1u);
  EXPECT_GT(Area(r), 0);  // clockwise on screen, so the right side is inside
  EXPECT_DOUBLE_EQ(Area(r), 600.0 * 800.0);
  const swf::Path& hole = s.paths[1];
  EXPECT_EQ(hole.fill0, 1u);
  EXPECT_EQ(hole.fill1, 0u);
  const swf::Path& c = s.paths[2];
  EXPECT_EQ(c.fill1, 2u);
  EXPECT_EQ(c.fill0, 1u);
  ASSERT_EQ(c.edges.size(), 8u);
  EXPECT_EQ(c.edges.back().anchor, c.start);
  for (const swf::Edge& e : c.edges) {
    EXPECT_TRUE(e.curve);
    EXPECT_NEAR(std::hypot(e.anchor.x - 2000, e.anchor.y - 2000), 1000, 1e-6);
    // The arc's midpoint (t = 1/2) lies within a hundredth of the radius.
  }
  for (size_t i = 0; i < c.edges.size(); ++i) {
    swf::Point from = i ? c.edges[i - 1].anchor : c.start;
    const swf::Edge& e = c.edges[i];
    double mx = (from.x + 2 * e.control.x + e.anchor.x) / 4, my = (from.y + 2 * e.control.y + e.anchor.y) / 4;
    EXPECT_NEAR(std::hypot(mx - 2000, my - 2000), 1000, 10);
  }
  EXPECT_GT(Area(c), 0);
  // Bounds cover every path and half the widest line.
  EXPECT_DOUBLE_EQ(s.bounds.xmin, 200 - 25);
  EXPECT_DOUBLE_EQ(s.bounds.ymin, 400 - 25);
  EXPECT_GE(s.bounds.xmax, 3000);
  EXPECT_GE(s.bounds.ymax, 3000);
}

TEST(SwfcShape, PathsWithMovesCurvesCloseVersionAndBounds) {
  swf::Movie m = swfc::Parse(
      "shape p\n"
      "  version 3\n"
      "  bounds 0 0 50 50\n"
      "  fill f solid white\n"
      "  line l 1 black\n"
      "  path fill0 f fill1 none line l\n"
      "    moveto 0 0\n"
      "    lineto 10 0\n"
      "    curveto 20 0 20 10\n"
      "    close\n"
      "    moveto 30 30\n"
      "    lineto 40.5 30.25\n"
      "  end\n"
      "end\n");
  const swf::Shape& s = ShapeAt(m, 1);
  EXPECT_EQ(s.tagVersion, 3);
  EXPECT_EQ(s.bounds, (swf::Rect{0, 0, 1000, 1000}));
  ASSERT_EQ(s.paths.size(), 2u);
  EXPECT_EQ(s.paths[0].fill0, 1u);
  EXPECT_EQ(s.paths[0].fill1, 0u);
  EXPECT_EQ(s.paths[0].line, 1u);
  ASSERT_EQ(s.paths[0].edges.size(), 3u);
  EXPECT_EQ(s.paths[0].edges[1], (swf::Edge{true, {400, 0}, {400, 200}}));
  EXPECT_EQ(s.paths[0].edges[2], (swf::Edge{false, {}, {0, 0}}));
  EXPECT_EQ(s.paths[1].start, (swf::Point{600, 600}));
  EXPECT_EQ(s.paths[1].fill0, 1u);
  EXPECT_EQ(s.paths[1].edges[0].anchor, (swf::Point{810, 605}));
}

TEST(SwfcShape, GradientAndBitmapFills) {
  swf::Movie m = swfc::Parse(
      "bitmap tex 2 1\n"
      "  ff0000 0000ff80\n"
      "end\n"
      "shape g\n"
      "  fill lin linear 0 0 100 0 stops 0 red 255 #0000ff80\n"
      "  fill rad radial 50 50 25 spread reflect stops 0 white 128 gray 255 black\n"
      "  fill foc focal 50 50 25 focus -0.5 spread repeat stops 0 white 255 black\n"
      "  fill raw linear matrix 0.1 0 0 0.2 5 6 stops 0 white\n"
      "  fill bm bitmap tex clipped nosmooth at 10 20 scale 2\n"
      "  fill bm2 bitmap tex\n"
      "  rect 0 0 100 100 fill lin\n"
      "end\n");
  ASSERT_EQ(m.dictionary.size(), 2u);
  const swf::Bitmap& bmp = std::get<swf::Bitmap>(m.dictionary.at(1));
  EXPECT_EQ(bmp.width, 2);
  EXPECT_EQ(bmp.height, 1);
  // Straight colours in the text, premultiplied in the model.
  EXPECT_EQ(bmp.pixels, (std::vector<uint32_t>{0xffff0000, 0x80000080}));

  const swf::Shape& s = ShapeAt(m, 2);
  ASSERT_EQ(s.fills.size(), 6u);
  const swf::FillStyle& lin = s.fills[0];
  EXPECT_EQ(lin.type, swf::FillType::LinearGradient);
  // The gradient square's -16384..16384 maps onto x 0..100 pixels.
  EXPECT_NEAR(lin.matrix.Apply(swf::Point{-16384, 0}).x, 0, 1e-9);
  EXPECT_NEAR(lin.matrix.Apply(swf::Point{16384, 0}).x, 2000, 1e-9);
  EXPECT_NEAR(lin.matrix.Apply(swf::Point{16384, 0}).y, 0, 1e-9);
  ASSERT_EQ(lin.gradient.size(), 2u);
  EXPECT_EQ(lin.gradient[1], (swf::GradientRecord{255, {0, 0, 255, 128}}));
  const swf::FillStyle& rad = s.fills[1];
  EXPECT_EQ(rad.type, swf::FillType::RadialGradient);
  EXPECT_EQ(rad.spread, swf::SpreadMode::Reflect);
  EXPECT_NEAR(rad.matrix.Apply(swf::Point{16384, 0}).x, 1500, 1e-9);
  EXPECT_NEAR(rad.matrix.Apply(swf::Point{0, 0}).y, 1000, 1e-9);
  EXPECT_EQ(rad.gradient.size(), 3u);
  const swf::FillStyle& foc = s.fills[2];
  EXPECT_EQ(foc.type, swf::FillType::FocalRadialGradient);
  EXPECT_EQ(foc.spread, swf::SpreadMode::Repeat);
  EXPECT_DOUBLE_EQ(foc.focalPoint, -0.5);
  EXPECT_EQ(s.fills[3].matrix, (swf::Matrix{0.1, 0, 0, 0.2, 100, 120}));
  const swf::FillStyle& bm = s.fills[4];
  EXPECT_EQ(bm.type, swf::FillType::NonSmoothedClippedBitmap);
  EXPECT_EQ(bm.bitmapId, 1);
  EXPECT_EQ(bm.matrix, (swf::Matrix{40, 0, 0, 40, 200, 400}));
  EXPECT_EQ(s.fills[5].type, swf::FillType::RepeatingBitmap);
  EXPECT_EQ(s.fills[5].matrix, (swf::Matrix{20, 0, 0, 20, 0, 0}));
}

TEST(SwfcBitmap, GeneratedPatterns) {
  swf::Movie m = swfc::Parse(
      "bitmap c checker 4 3 2 white #00000000\n"
      "bitmap s solid 2 2 #ff000080\n");
  const swf::Bitmap& c = std::get<swf::Bitmap>(m.dictionary.at(1));
  ASSERT_EQ(c.pixels.size(), 12u);
  const uint32_t W = 0xffffffff, T = 0;
  EXPECT_EQ(c.pixels, (std::vector<uint32_t>{W, W, T, T, W, W, T, T, T, T, W, W}));
  const swf::Bitmap& s = std::get<swf::Bitmap>(m.dictionary.at(2));
  EXPECT_EQ(s.pixels, (std::vector<uint32_t>(4, 0x80800000)));
}

TEST(SwfcTimeline, PlaceMoveRemoveLabelActionAndFrames) {
  swf::Movie m = swfc::Parse(
      "shape a\n  fill f solid red\n  rect 0 0 10 10 fill f\nend\n"
      "shape b\n  fill f solid blue\n  rect 0 0 10 10 fill f\nend\n"
      "label start\n"
      "place a 1\n"
      "place b 2 at 10 20 scale 2 3 rotate 90 mult 1 0.5 0 0.25 add 10 -20 30 40 name \"my box\" version 3\n"
      "place a 3 matrix 1 0.5 -0.5 1 7 8 clip 5 ratio 9\n"
      "place a 4 at 1 1 version 1\n"
      "action 96 0400 07 00\n"
      "action 07\n"
      "show\n"
      "move 2 at 50 50 char a\n"
      "remove 1\n"
      "remove 3 a\n"
      "show\n"
      "show\n"
      "label last\n");
  const swf::Timeline& t = m.timeline;
  ASSERT_EQ(t.frames.size(), 4u);  // the trailing label opens a fourth frame
  EXPECT_EQ(m.frameCount, 4);
  EXPECT_EQ(t.frames[0].label, "start");
  EXPECT_EQ(t.frames[3].label, "last");
  EXPECT_TRUE(t.frames[2].tags.empty());
  ASSERT_EQ(t.frames[0].tags.size(), 4u);

  const swf::PlaceObject& a = PlaceAt(t, 0, 0);
  EXPECT_EQ(a.characterId, 1);
  EXPECT_EQ(a.depth, 1);
  EXPECT_FALSE(a.move);
  EXPECT_FALSE(a.matrix);
  EXPECT_FALSE(a.cxform);

  const swf::PlaceObject& b = PlaceAt(t, 0, 1);
  EXPECT_EQ(b.characterId, 2);
  ASSERT_TRUE(b.matrix);
  // Scale, then rotate 90 degrees clockwise on screen, then translate.
  swf::Point p = b.matrix->Apply(swf::Point{20, 0});
  EXPECT_NEAR(p.x, 200, 1e-9);
  EXPECT_NEAR(p.y, 400 + 40, 1e-9);
  p = b.matrix->Apply(swf::Point{0, 20});
  EXPECT_NEAR(p.x, 200 - 60, 1e-9);
  EXPECT_NEAR(p.y, 400, 1e-9);
  ASSERT_TRUE(b.cxform);
  EXPECT_EQ(*b.cxform, (swf::ColorTransform{256, 128, 0, 64, 10, -20, 30, 40}));
  EXPECT_EQ(b.name, "my box");
  EXPECT_EQ(b.tagVersion, 3);

  const swf::PlaceObject& c = PlaceAt(t, 0, 2);
  EXPECT_EQ(c.matrix, (swf::Matrix{1, 0.5, -0.5, 1, 140, 160}));
  EXPECT_EQ(c.clipDepth, 5);
  EXPECT_EQ(c.ratio, 9);
  EXPECT_EQ(PlaceAt(t, 0, 3).tagVersion, 1);

  ASSERT_EQ(t.frames[0].actions.size(), 2u);
  EXPECT_EQ(t.frames[0].actions[0], (std::vector<uint8_t>{0x96, 0x04, 0x00, 0x07, 0x00}));
  EXPECT_EQ(t.frames[0].actions[1], (std::vector<uint8_t>{0x07}));

  const swf::PlaceObject& mv = PlaceAt(t, 1, 0);
  EXPECT_TRUE(mv.move);
  EXPECT_EQ(mv.depth, 2);
  EXPECT_EQ(mv.characterId, 1);
  EXPECT_EQ(mv.matrix, (swf::Matrix{1, 0, 0, 1, 1000, 1000}));
  const auto& r1 = std::get<swf::RemoveObject>(t.frames[1].tags[1]);
  EXPECT_EQ(r1.depth, 1);
  EXPECT_FALSE(r1.characterId);
  const auto& r2 = std::get<swf::RemoveObject>(t.frames[1].tags[2]);
  EXPECT_EQ(r2.characterId, 1);
}

TEST(SwfcTimeline, SpritesHaveTheirOwnFramesAndNest) {
  swf::Movie m = swfc::Parse(
      "shape dot\n  fill f solid red\n  circle 0 0 5 fill f\nend\n"
      "sprite inner\n"
      "  place dot 1\n"
      "  show\n"
      "  move 1 at 5 0\n"
      "  show\n"
      "  remove 1\n"
      "end\n"
      "sprite outer\n"
      "  place inner 1 name in\n"
      "end\n"
      "sprite empty\n"
      "end\n"
      "place outer 1\n");
  const swf::Sprite& inner = std::get<swf::Sprite>(m.dictionary.at(2));
  EXPECT_EQ(inner.frameCount, 3);
  ASSERT_EQ(inner.timeline.frames.size(), 3u);
  EXPECT_TRUE(std::holds_alternative<swf::RemoveObject>(inner.timeline.frames[2].tags[0]));
  const swf::Sprite& outer = std::get<swf::Sprite>(m.dictionary.at(3));
  EXPECT_EQ(outer.frameCount, 1);
  EXPECT_EQ(PlaceAt(outer.timeline, 0, 0).characterId, 2);
  const swf::Sprite& empty = std::get<swf::Sprite>(m.dictionary.at(4));
  EXPECT_EQ(empty.timeline.frames.size(), 1u);
  EXPECT_EQ(PlaceAt(m.timeline, 0, 0).characterId, 3);
}

TEST(SwfcCompile, CompressionFollowsTheDescription) {
  std::vector<uint8_t> packed = swfc::Compile("size 10 10\n");
  ASSERT_GE(packed.size(), 8u);
  EXPECT_EQ(std::string(packed.begin(), packed.begin() + 3), "CWS");
  EXPECT_EQ(packed[3], 8);
  std::vector<uint8_t> plain = swfc::Compile("compress off\nversion 5\n");
  EXPECT_EQ(std::string(plain.begin(), plain.begin() + 3), "FWS");
  EXPECT_EQ(plain[3], 5);
  EXPECT_EQ(plain.size(), plain[4] | plain[5] << 8);
}
