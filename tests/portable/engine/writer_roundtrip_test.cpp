// Writer and reader together: a movie written (plain and compressed) and
// loaded again is the movie that was written, to the format's precision.
#include <gtest/gtest.h>

#include <cmath>

#include "renderers/engine/reader.h"
#include "renderers/engine/writer.h"
#include "tools/swfc/compile.h"

namespace {

// Every construct of the language in one movie.
const char* kEverything = R"(
size 400 300
rate 24.5
background #204060
version 8
bitmap tex 2 2
  ff0000 00ff00
  0000ff80 ffffff00
end
bitmap checks checker 16 16 4 white #808080
shape shapes
  fill red solid #ff0000
  fill half solid #00ff0080
  fill lin linear 0 0 100 0 spread reflect stops 0 red 128 #00ff00 255 #0000ff80
  fill rad radial 50 50 40 stops 0 white 255 black
  fill foc focal 50 50 40 focus 0.5 spread repeat stops 0 white 255 black
  fill bmp bitmap tex clipped at 10 10 scale 4
  fill rep bitmap checks nosmooth rotate 30
  line thin 1 black
  line thick 4.5 #ff000080
  rect 0 0 100 50 fill red line thin
  rect 20 10 10 10 outside red
  circle 150 150 40 fill rad outside half line thick
  path fill0 lin fill1 foc line thick
    moveto 200 0
    lineto 300 0
    curveto 320 40 300 80
    close
    moveto 210 10
    lineto 220 20
  end
  rect 300 200 40 40 fill bmp
  rect 350 200 40 40 fill rep
end
shape plain
  fill f solid blue
  rect 0 0 10 10 fill f
end
shape asked
  version 4
  fill f solid blue
  rect 0 0 10 10 fill f
end
sprite spin
  place plain 1
  show
  move 1 rotate 45
  show
  remove 1 plain
end
sprite holder
  place spin 1 name inner
  place plain 2 clip 3
end
label first
place shapes 1
place holder 2 at 100 100 scale 0.5 mult 1 1 1 0.5 add 10 0 0 0 name h version 3
place plain 3 matrix 1 0.25 -0.25 1 5 5 ratio 4
place plain 4 at 1 2 version 1 mult 0.5 1 1
action 96 04 00 00 61 00 07
show
move 2 at 200 100
remove 3
remove 4 plain
show
label last
)";

void ExpectMatrixNear(const swf::Matrix& A, const swf::Matrix& B) {
  EXPECT_NEAR(A.a, B.a, 1.0 / 65536);
  EXPECT_NEAR(A.b, B.b, 1.0 / 65536);
  EXPECT_NEAR(A.c, B.c, 1.0 / 65536);
  EXPECT_NEAR(A.d, B.d, 1.0 / 65536);
  EXPECT_NEAR(A.tx, B.tx, 0.5);
  EXPECT_NEAR(A.ty, B.ty, 0.5);
}

void ExpectPointNear(swf::Point A, swf::Point B) {
  EXPECT_NEAR(A.x, B.x, 0.5);
  EXPECT_NEAR(A.y, B.y, 0.5);
}

void ExpectRectNear(const swf::Rect& A, const swf::Rect& B) {
  EXPECT_NEAR(A.xmin, B.xmin, 0.5);
  EXPECT_NEAR(A.ymin, B.ymin, 0.5);
  EXPECT_NEAR(A.xmax, B.xmax, 0.5);
  EXPECT_NEAR(A.ymax, B.ymax, 0.5);
}

void ExpectShapeNear(const swf::Shape& A, const swf::Shape& B) {
  ExpectRectNear(A.bounds, B.bounds);
  ASSERT_EQ(A.fills.size(), B.fills.size());
  for (size_t i = 0; i < A.fills.size(); ++i) {
    SCOPED_TRACE("fill " + std::to_string(i));
    const swf::FillStyle &f = A.fills[i], &g = B.fills[i];
    EXPECT_EQ(f.type, g.type);
    if (f.type == swf::FillType::Solid) {
      EXPECT_EQ(f.color, g.color);
      continue;
    }
    ExpectMatrixNear(f.matrix, g.matrix);
    EXPECT_EQ(f.gradient, g.gradient);
    EXPECT_EQ(f.spread, g.spread);
    EXPECT_NEAR(f.focalPoint, g.focalPoint, 1.0 / 256);
    EXPECT_EQ(f.bitmapId, g.bitmapId);
  }
  EXPECT_EQ(A.lines, B.lines);
  ASSERT_EQ(A.paths.size(), B.paths.size());
  for (size_t i = 0; i < A.paths.size(); ++i) {
    SCOPED_TRACE("path " + std::to_string(i));
    const swf::Path &p = A.paths[i], &q = B.paths[i];
    EXPECT_EQ(p.fill0, q.fill0);
    EXPECT_EQ(p.fill1, q.fill1);
    EXPECT_EQ(p.line, q.line);
    ExpectPointNear(p.start, q.start);
    ASSERT_EQ(p.edges.size(), q.edges.size());
    for (size_t e = 0; e < p.edges.size(); ++e) {
      EXPECT_EQ(p.edges[e].curve, q.edges[e].curve);
      if (p.edges[e].curve) ExpectPointNear(p.edges[e].control, q.edges[e].control);
      ExpectPointNear(p.edges[e].anchor, q.edges[e].anchor);
    }
  }
}

void ExpectTimelineEqual(const swf::Timeline& A, const swf::Timeline& B) {
  ASSERT_EQ(A.frames.size(), B.frames.size());
  for (size_t f = 0; f < A.frames.size(); ++f) {
    SCOPED_TRACE("frame " + std::to_string(f));
    EXPECT_EQ(A.frames[f].label, B.frames[f].label);
    EXPECT_EQ(A.frames[f].actions, B.frames[f].actions);
    ASSERT_EQ(A.frames[f].tags.size(), B.frames[f].tags.size());
    for (size_t t = 0; t < A.frames[f].tags.size(); ++t) {
      const swf::ControlTag &x = A.frames[f].tags[t], &y = B.frames[f].tags[t];
      ASSERT_EQ(x.index(), y.index());
      if (const auto* r = std::get_if<swf::RemoveObject>(&x)) {
        EXPECT_EQ(r->depth, std::get<swf::RemoveObject>(y).depth);
        EXPECT_EQ(r->characterId, std::get<swf::RemoveObject>(y).characterId);
        continue;
      }
      const swf::PlaceObject &p = std::get<swf::PlaceObject>(x), &q = std::get<swf::PlaceObject>(y);
      EXPECT_EQ(p.depth, q.depth);
      EXPECT_EQ(p.move, q.move);
      EXPECT_EQ(p.characterId, q.characterId);
      EXPECT_EQ(p.cxform, q.cxform);
      EXPECT_EQ(p.ratio, q.ratio);
      EXPECT_EQ(p.name, q.name);
      EXPECT_EQ(p.clipDepth, q.clipDepth);
      EXPECT_EQ(p.tagVersion, q.tagVersion);
      // PlaceObject always holds a matrix; the others only when one is given.
      if (p.tagVersion == 1)
        ExpectMatrixNear(p.matrix.value_or(swf::Matrix{}), q.matrix.value_or(swf::Matrix{}));
      else {
        ASSERT_EQ(p.matrix.has_value(), q.matrix.has_value());
        if (p.matrix) ExpectMatrixNear(*p.matrix, *q.matrix);
      }
    }
  }
}

}  // namespace

TEST(WriterRoundTrip, EveryConstructSurvivesWritingAndLoading) {
  const swf::Movie m = swfc::Parse(kEverything);
  for (bool compressed : {false, true}) {
    SCOPED_TRACE(compressed ? "compressed" : "plain");
    std::vector<uint8_t> bytes = swf::WriteMovie(m, compressed);
    std::shared_ptr<const swf::Movie> l = swf::LoadMovie(bytes.data(), bytes.size());
    EXPECT_EQ(l->version, 8);
    EXPECT_EQ(l->compressed, compressed);
    EXPECT_EQ(l->frameSize, m.frameSize);
    EXPECT_EQ(l->frameRate, m.frameRate);
    EXPECT_EQ(l->frameCount, 3);
    EXPECT_EQ(l->background, (swf::RGBA{0x20, 0x40, 0x60, 255}));
    ASSERT_EQ(l->dictionary.size(), m.dictionary.size());
    for (const auto& [id, c] : m.dictionary) {
      SCOPED_TRACE("character " + std::to_string(id));
      const swf::Character& d = l->dictionary.at(id);
      ASSERT_EQ(c.index(), d.index());
      if (const auto* s = std::get_if<swf::Shape>(&c)) {
        ExpectShapeNear(std::get<swf::Shape>(d), *s);
      } else if (const auto* b = std::get_if<swf::Bitmap>(&c)) {
        const swf::Bitmap& e = std::get<swf::Bitmap>(d);
        EXPECT_EQ(e.width, b->width);
        EXPECT_EQ(e.height, b->height);
        EXPECT_EQ(e.pixels, b->pixels);
      } else {
        EXPECT_EQ(std::get<swf::Sprite>(d).frameCount, std::get<swf::Sprite>(c).frameCount);
        ExpectTimelineEqual(std::get<swf::Sprite>(d).timeline, std::get<swf::Sprite>(c).timeline);
      }
    }
    ExpectTimelineEqual(l->timeline, m.timeline);
  }
}

TEST(WriterRoundTrip, ShapeVersionsAsLoaded) {
  const swf::Movie m = swfc::Parse(kEverything);
  std::vector<uint8_t> bytes = swf::WriteMovie(m, true);
  std::shared_ptr<const swf::Movie> l = swf::LoadMovie(bytes.data(), bytes.size());
  EXPECT_EQ(std::get<swf::Shape>(l->dictionary.at(3)).tagVersion, 4);  // focal gradient
  EXPECT_EQ(std::get<swf::Shape>(l->dictionary.at(4)).tagVersion, 1);
  EXPECT_EQ(std::get<swf::Shape>(l->dictionary.at(5)).tagVersion, 4);  // asked for
}

TEST(WriterRoundTrip, LongEdgesAndManyStylesLoadBackExactly) {
  swf::Movie m;
  m.frameSize = {0, 0, 20, 20};
  swf::Shape s;
  s.fills.resize(400);
  for (size_t i = 0; i < s.fills.size(); ++i) s.fills[i].color = {static_cast<uint8_t>(i), 0, 0, 255};
  swf::Path p;
  p.fill1 = 399;
  p.start = {-500000, 3};
  p.edges = {{false, {}, {500000, 7}}, {true, {0, 400000}, {-500000, 3}}};
  s.paths.push_back(p);
  s.bounds = {-500000, 0, 500000, 400000};
  m.dictionary[1] = s;
  m.timeline.frames.resize(1);
  std::vector<uint8_t> bytes = swf::WriteMovie(m, false);
  std::shared_ptr<const swf::Movie> l = swf::LoadMovie(bytes.data(), bytes.size());
  const swf::Shape& r = std::get<swf::Shape>(l->dictionary.at(1));
  EXPECT_EQ(r.tagVersion, 2);
  EXPECT_EQ(r.fills, s.fills);
  // The long edges come back in pieces that end where the originals did.
  swf::Point end = r.paths.back().edges.back().anchor;
  EXPECT_EQ(end, (swf::Point{-500000, 3}));
  size_t curves = 0;
  for (const swf::Path& q : r.paths) {
    EXPECT_EQ(q.fill1, 399u);
    for (const swf::Edge& e : q.edges) curves += e.curve;
  }
  EXPECT_GT(curves, 1u);
}
