// The writer's bytes checked field by field: header and RECT packing, shape
// records, style arrays and versions, bitmaps, control tags, definition order
// and what the format cannot hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "renderers/engine/writer.h"
#include "tests/portable/engine/writer_test_util.h"

using namespace writer_test;

namespace {

swf::Movie SmallMovie() {
  swf::Movie m;
  m.version = 8;
  m.frameSize = {0, 0, 4000, 2000};
  m.frameRate = 12 << 8;
  m.background = {0x33, 0x66, 0x99, 255};
  m.timeline.frames.resize(1);
  return m;
}

swf::Shape RectShape(swf::RGBA Color, double W, double H) {
  swf::Shape s;
  s.fills.push_back({});
  s.fills[0].color = Color;
  swf::Path p;
  p.fill1 = 1;
  p.edges = {{false, {}, {W, 0}}, {false, {}, {W, H}}, {false, {}, {0, H}}, {false, {}, {0, 0}}};
  s.paths.push_back(p);
  s.bounds = {0, 0, W, H};
  return s;
}

const TagView* FindTag(const std::vector<TagView>& Tags, uint16_t Code) {
  for (const TagView& t : Tags)
    if (t.code == Code) return &t;
  return nullptr;
}

std::vector<uint16_t> Codes(const std::vector<TagView>& Tags) {
  std::vector<uint16_t> c;
  for (const TagView& t : Tags) c.push_back(t.code);
  return c;
}

}  // namespace

TEST(WriterHeader, UncompressedHeaderRectRateCountAndBackground) {
  std::vector<uint8_t> f = swf::WriteMovie(SmallMovie(), false);
  // FWS, version 8, total length; RECT of 13-bit fields 0, 4000, 0, 2000.
  const std::vector<uint8_t> expected{'F', 'W', 'S', 8, static_cast<uint8_t>(f.size()), 0, 0, 0,
                                      0x68, 0x00, 0x1f, 0x40, 0x00, 0x03, 0xe8, 0x00,
                                      0x00, 0x0c, 0x01, 0x00,          // 12.0 fps, one frame
                                      0x43, 0x02, 0x33, 0x66, 0x99,    // SetBackgroundColor
                                      0x40, 0x00, 0x00, 0x00};         // ShowFrame, End
  EXPECT_EQ(f, expected);
}

TEST(WriterHeader, RectUsesTheSmallestSignedWidth) {
  swf::Movie m = SmallMovie();
  for (auto [rect, bits] : std::vector<std::pair<swf::Rect, int>>{{{0, 0, 0, 0}, 1},
                                                                  {{0, 0, 1, 1}, 2},
                                                                  {{-1, 0, 0, 0}, 1},
                                                                  {{-20, 0, 11000, 8000}, 15},
                                                                  {{0, 0, 16383.6, 0}, 16}}) {
    m.frameSize = rect;
    std::vector<uint8_t> f = swf::WriteMovie(m, false);
    Bits b(f, 8);
    Rect4 r = ReadRect(b);
    EXPECT_EQ(r.bits, bits) << rect.xmax;
    EXPECT_EQ(r.xmin, std::lround(rect.xmin));
    EXPECT_EQ(r.xmax, std::lround(rect.xmax));
    EXPECT_EQ(r.ymax, std::lround(rect.ymax));
  }
}

TEST(WriterHeader, CompressedHasTheSameBodyAndTheUncompressedLength) {
  swf::Movie m = SmallMovie();
  m.dictionary[1] = RectShape({255, 0, 0, 255}, 200, 100);
  std::vector<uint8_t> plain = swf::WriteMovie(m, false);
  std::vector<uint8_t> packed = swf::WriteMovie(m, true);
  ASSERT_EQ(std::string(packed.begin(), packed.begin() + 3), "CWS");
  EXPECT_EQ(packed[3], 8);
  EXPECT_EQ(std::vector<uint8_t>(packed.begin() + 4, packed.begin() + 8),
            std::vector<uint8_t>(plain.begin() + 4, plain.begin() + 8));
  EXPECT_EQ(Uncompressed(packed), plain);
}

TEST(WriterShape, OneRectangleRecordByRecord) {
  swf::Movie m = SmallMovie();
  m.dictionary[3] = RectShape({255, 0, 0, 255}, 200, 100);
  std::vector<TagView> tags = FileTags(swf::WriteMovie(m, false));
  ASSERT_EQ(Codes(tags), (std::vector<uint16_t>{9, 2, 1, 0}));
  const std::vector<uint8_t>& d = tags[1].body;
  Bits b(d);
  EXPECT_EQ(b.U16(), 3);
  Rect4 r = ReadRect(b);
  EXPECT_EQ(r.xmax, 200);
  EXPECT_EQ(r.ymax, 100);
  EXPECT_EQ(b.U8(), 1);      // one fill
  EXPECT_EQ(b.U8(), 0x00);   // solid
  EXPECT_EQ(b.U8(), 255);    // RGB, no alpha in DefineShape
  EXPECT_EQ(b.U8(), 0);
  EXPECT_EQ(b.U8(), 0);
  EXPECT_EQ(b.U8(), 0);      // no lines
  EXPECT_EQ(b.UB(4), 1u);    // fill bits
  EXPECT_EQ(b.UB(4), 0u);    // line bits
  // Style change: fill1 set, move to 0,0.
  EXPECT_EQ(b.UB(6), 0b000101u);
  int mb = static_cast<int>(b.UB(5));
  EXPECT_EQ(b.SB(mb), 0);
  EXPECT_EQ(b.SB(mb), 0);
  EXPECT_EQ(b.UB(1), 1u);  // fill1 = 1
  // Horizontal +200, vertical +100, horizontal -200, vertical -100.
  const int32_t deltas[4] = {200, 100, -200, -100};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(b.UB(2), 0b11u) << i;  // straight edge
    int n = static_cast<int>(b.UB(4)) + 2;
    EXPECT_EQ(b.UB(1), 0u) << i;  // not general
    EXPECT_EQ(b.UB(1), i % 2 ? 1u : 0u) << i;  // vertical flag
    EXPECT_EQ(b.SB(n), deltas[i]) << i;
  }
  EXPECT_EQ(b.UB(6), 0u);  // end of shape
  b.Align();
  EXPECT_EQ(b.offset(), d.size());
}

TEST(WriterShape, GeneralLinesCurvesAndRoundedTwips) {
  swf::Movie m = SmallMovie();
  swf::Shape s;
  s.lines.push_back({40, {0, 0, 0, 255}});
  swf::Path p;
  p.line = 1;
  p.start = {10.4, -5.6};
  p.edges = {{false, {}, {30.5, 20}}, {true, {50, 20}, {50, 60}}};
  s.paths.push_back(p);
  m.dictionary[1] = s;
  std::vector<TagView> tags = FileTags(swf::WriteMovie(m, false));
  const TagView* t = FindTag(tags, 2);
  ASSERT_TRUE(t);
  Bits b(t->body);
  b.U16();
  Rect4 r = ReadRect(b);  // computed from the edges, grown by half the line
  EXPECT_EQ(r.xmin, -10);
  EXPECT_EQ(r.ymin, -26);
  EXPECT_EQ(r.xmax, 70);
  EXPECT_EQ(r.ymax, 80);
  EXPECT_EQ(b.U8(), 0);     // no fills
  EXPECT_EQ(b.U8(), 1);     // one line
  EXPECT_EQ(b.U16(), 40);
  b.U8();
  b.U8();
  b.U8();
  EXPECT_EQ(b.UB(4), 0u);
  EXPECT_EQ(b.UB(4), 1u);
  EXPECT_EQ(b.UB(6), 0b001001u);  // line set, move
  int mb = static_cast<int>(b.UB(5));
  EXPECT_EQ(b.SB(mb), 10);
  EXPECT_EQ(b.SB(mb), -6);
  EXPECT_EQ(b.UB(1), 1u);
  EXPECT_EQ(b.UB(2), 0b11u);
  int n = static_cast<int>(b.UB(4)) + 2;
  EXPECT_EQ(b.UB(1), 1u);  // general line
  EXPECT_EQ(b.SB(n), 21);  // 10 -> 31 (30.5 rounds away from zero)
  EXPECT_EQ(b.SB(n), 26);  // -6 -> 20
  EXPECT_EQ(b.UB(2), 0b10u);  // curve
  n = static_cast<int>(b.UB(4)) + 2;
  EXPECT_EQ(b.SB(n), 19);
  EXPECT_EQ(b.SB(n), 0);
  EXPECT_EQ(b.SB(n), 0);
  EXPECT_EQ(b.SB(n), 40);
  EXPECT_EQ(b.UB(6), 0u);
}

TEST(WriterShape, LongEdgesAreSplitAndStillEndExactly) {
  swf::Movie m = SmallMovie();
  swf::Shape s;
  s.lines.push_back({20, {0, 0, 0, 255}});
  swf::Path p;
  p.line = 1;
  p.edges = {{false, {}, {300001, -7}}, {true, {-200000, 150000}, {3, 2}}};
  s.paths.push_back(p);
  s.bounds = {0, 0, 1, 1};
  m.dictionary[1] = s;
  std::vector<TagView> tags = FileTags(swf::WriteMovie(m, false));
  const TagView* t = FindTag(tags, 2);
  ASSERT_TRUE(t);
  Bits b(t->body);
  b.U16();
  ReadRect(b);
  b.U8();
  b.U8();
  b.U16();
  b.U8();
  b.U8();
  b.U8();
  b.UB(4);
  b.UB(4);
  b.UB(6);
  int mb = static_cast<int>(b.UB(5));
  int64_t x = b.SB(mb), y = b.SB(mb);
  b.UB(1);
  int straight = 0, curves = 0;
  for (;;) {
    if (b.UB(1) == 0) {
      ASSERT_EQ(b.UB(5), 0u);  // only the end record follows
      break;
    }
    int n;
    if (b.UB(1) == 1) {
      n = static_cast<int>(b.UB(4)) + 2;
      if (b.UB(1)) {
        x += b.SB(n);
        y += b.SB(n);
      } else if (b.UB(1)) {
        y += b.SB(n);
      } else {
        x += b.SB(n);
      }
      ++straight;
    } else {
      n = static_cast<int>(b.UB(4)) + 2;
      x += b.SB(n);
      y += b.SB(n);
      x += b.SB(n);
      y += b.SB(n);
      ++curves;
    }
    EXPECT_LE(n, 17);
    if (curves == 0) {
      // Still on the line: every piece lands on it.
      EXPECT_NEAR(static_cast<double>(y), -7.0 * static_cast<double>(x) / 300001.0, 1.0);
    }
  }
  EXPECT_GT(straight, 4);
  EXPECT_GT(curves, 2);
  EXPECT_EQ(x, 3);
  EXPECT_EQ(y, 2);
}

TEST(WriterShape, VersionFollowsContent) {
  auto version = [](const swf::Shape& S) {
    swf::Movie m = SmallMovie();
    m.dictionary[1] = S;
    std::vector<TagView> tags = FileTags(swf::WriteMovie(m, false));
    for (const TagView& t : tags)
      if (t.code == 2) return 1;
      else if (t.code == 22) return 2;
      else if (t.code == 32) return 3;
      else if (t.code == 83) return 4;
    return 0;
  };
  swf::Shape plain = RectShape({1, 2, 3, 255}, 20, 20);
  EXPECT_EQ(version(plain), 1);
  swf::Shape alpha = RectShape({1, 2, 3, 128}, 20, 20);
  EXPECT_EQ(version(alpha), 3);
  swf::Shape lineAlpha = plain;
  lineAlpha.lines.push_back({20, {0, 0, 0, 10}});
  EXPECT_EQ(version(lineAlpha), 3);
  swf::Shape gradAlpha = plain;
  gradAlpha.fills[0].type = swf::FillType::LinearGradient;
  gradAlpha.fills[0].gradient = {{0, {0, 0, 0, 255}}, {255, {0, 0, 0, 0}}};
  EXPECT_EQ(version(gradAlpha), 3);
  swf::Shape focal = plain;
  focal.fills[0].type = swf::FillType::FocalRadialGradient;
  focal.fills[0].gradient = {{0, {0, 0, 0, 255}}};
  focal.fills[0].focalPoint = -0.5;
  EXPECT_EQ(version(focal), 4);
  swf::Shape many = plain;
  many.fills.resize(300, plain.fills[0]);
  EXPECT_EQ(version(many), 2);
  swf::Shape asked = plain;
  asked.tagVersion = 4;
  EXPECT_EQ(version(asked), 4);
}

TEST(WriterShape, ExtendedStyleCountsAndWideStyleIndexes) {
  swf::Movie m = SmallMovie();
  swf::Shape s = RectShape({9, 9, 9, 255}, 20, 20);
  s.fills.resize(300, s.fills[0]);
  s.paths[0].fill1 = 300;
  m.dictionary[1] = s;
  std::vector<TagView> tags = FileTags(swf::WriteMovie(m, false));
  const TagView* t = FindTag(tags, 22);
  ASSERT_TRUE(t);
  Bits b(t->body);
  b.U16();
  ReadRect(b);
  EXPECT_EQ(b.U8(), 0xff);
  EXPECT_EQ(b.U16(), 300);
  for (int i = 0; i < 300; ++i) {
    b.U8();
    b.U8();
    b.U8();
    b.U8();
  }
  EXPECT_EQ(b.U8(), 0);
  EXPECT_EQ(b.UB(4), 9u);  // 300 needs 9 bits
  EXPECT_EQ(b.UB(4), 0u);
  EXPECT_EQ(b.UB(6), 0b000101u);
  int mb = static_cast<int>(b.UB(5));
  b.SB(mb);
  b.SB(mb);
  EXPECT_EQ(b.UB(9), 300u);
}

TEST(WriterShape, GradientBitmapAndLineStyle2Encodings) {
  swf::Movie m = SmallMovie();
  swf::Shape s;
  swf::FillStyle g;
  g.type = swf::FillType::FocalRadialGradient;
  g.matrix = {0.5, 0, 0, 0.5, 100, 200};
  g.spread = swf::SpreadMode::Reflect;
  g.gradient = {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 128}}};
  g.focalPoint = 0.75;
  swf::FillStyle bm;
  bm.type = swf::FillType::NonSmoothedClippedBitmap;
  bm.bitmapId = 0xffff;
  bm.matrix = {20, 0, 0, 20, 0, 0};
  s.fills = {g, bm};
  s.lines = {{60, {1, 2, 3, 4}}};
  m.dictionary[1] = s;
  std::vector<TagView> tags = FileTags(swf::WriteMovie(m, false));
  const TagView* t = FindTag(tags, 83);
  ASSERT_TRUE(t);
  Bits b(t->body);
  b.U16();
  ReadRect(b);
  ReadRect(b);  // edge bounds
  EXPECT_EQ(b.U8(), 0);
  EXPECT_EQ(b.U8(), 2);
  EXPECT_EQ(b.U8(), 0x13);
  // MATRIX: scale 0.5 both, no rotation, translate 100, 200.
  EXPECT_EQ(b.UB(1), 1u);
  int n = static_cast<int>(b.UB(5));
  EXPECT_EQ(b.SB(n), 32768);
  EXPECT_EQ(b.SB(n), 32768);
  EXPECT_EQ(b.UB(1), 0u);
  n = static_cast<int>(b.UB(5));
  EXPECT_EQ(b.SB(n), 100);
  EXPECT_EQ(b.SB(n), 200);
  b.Align();
  EXPECT_EQ(b.UB(2), 1u);  // reflect
  EXPECT_EQ(b.UB(2), 0u);
  EXPECT_EQ(b.UB(4), 2u);
  EXPECT_EQ(b.U8(), 0);
  EXPECT_EQ(b.U32(), 0xff0000ffu);  // bytes ff 00 00 ff
  EXPECT_EQ(b.U8(), 255);
  EXPECT_EQ(b.U32(), 0x80ff0000u);  // bytes 00 00 ff 80
  EXPECT_EQ(b.U16(), 192);          // 0.75 in 8.8
  EXPECT_EQ(b.U8(), 0x43);
  EXPECT_EQ(b.U16(), 0xffff);
  EXPECT_EQ(b.UB(1), 1u);
  n = static_cast<int>(b.UB(5));
  EXPECT_EQ(b.SB(n), 20 << 16);
  EXPECT_EQ(b.SB(n), 20 << 16);
  EXPECT_EQ(b.UB(1), 0u);
  EXPECT_EQ(b.UB(5), 0u);  // no translation
  b.Align();
  EXPECT_EQ(b.U8(), 1);   // one LINESTYLE2
  EXPECT_EQ(b.U16(), 60);
  EXPECT_EQ(b.U16(), 0);  // round caps and joins, no fill
  EXPECT_EQ(b.U32(), 0x04030201u);
}

TEST(WriterBitmap, OpaqueBitmapsAreLossless1AndTranslucentOnesLossless2) {
  swf::Movie m = SmallMovie();
  m.dictionary[1] = swf::Bitmap{2, 1, {0xff112233, 0xff445566}};
  m.dictionary[2] = swf::Bitmap{1, 2, {0x80402010, 0x00000000}};
  std::vector<TagView> tags = FileTags(swf::WriteMovie(m, false));
  ASSERT_EQ(Codes(tags), (std::vector<uint16_t>{9, 20, 36, 1, 0}));
  for (int i : {1, 2}) {
    const TagView& t = tags[static_cast<size_t>(i)];
    EXPECT_TRUE(t.longHeader);
    Bits b(t.body);
    EXPECT_EQ(b.U16(), i);
    EXPECT_EQ(b.U8(), 5);
    uint16_t w = b.U16(), h = b.U16();
    EXPECT_EQ(w * h, 2);
    std::vector<uint8_t> px = Inflate(t.body.data() + 7, t.body.size() - 7, 8);
    if (i == 1)
      EXPECT_EQ(px, (std::vector<uint8_t>{0, 0x11, 0x22, 0x33, 0, 0x44, 0x55, 0x66}));
    else
      EXPECT_EQ(px, (std::vector<uint8_t>{0x80, 0x40, 0x20, 0x10, 0, 0, 0, 0}));
  }
}

TEST(WriterTimeline, PlaceRemoveLabelActionForms) {
  swf::Movie m = SmallMovie();
  m.dictionary[1] = RectShape({1, 1, 1, 255}, 20, 20);
  swf::PlaceObject p1;
  p1.tagVersion = 1;
  p1.characterId = 1;
  p1.depth = 2;
  p1.cxform = swf::ColorTransform{128, 256, 256, 256, 0, 0, 10, 0};
  swf::PlaceObject p2;
  p2.characterId = 1;
  p2.depth = 3;
  p2.matrix = swf::Matrix{1, 0, 0, 1, -40, 60};
  p2.name = "box";
  p2.clipDepth = 9;
  p2.ratio = 7;
  swf::PlaceObject mv;
  mv.move = true;
  mv.depth = 3;
  mv.tagVersion = 3;
  mv.cxform = swf::ColorTransform{256, 256, 256, 128, 0, 0, 0, -5};
  swf::PlaceObject v1Moving = mv;  // asks for version 1 but cannot be one
  v1Moving.tagVersion = 1;
  m.timeline.frames.resize(2);
  m.timeline.frames[0].label = "start";
  m.timeline.frames[0].tags = {p1, p2};
  m.timeline.frames[0].actions = {{0x07, 0x00}};
  m.timeline.frames[1].tags = {mv, v1Moving, swf::RemoveObject{2, 1}, swf::RemoveObject{3, std::nullopt}};
  std::vector<TagView> tags = FileTags(swf::WriteMovie(m, false));
  ASSERT_EQ(Codes(tags), (std::vector<uint16_t>{9, 2, 43, 4, 26, 12, 1, 70, 26, 5, 28, 1, 0}));

  EXPECT_EQ(tags[2].body, (std::vector<uint8_t>{'s', 't', 'a', 'r', 't', 0}));
  {  // PlaceObject: id, depth, identity matrix, CXFORM without alpha
    Bits b(tags[3].body);
    EXPECT_EQ(b.U16(), 1);
    EXPECT_EQ(b.U16(), 2);
    EXPECT_EQ(b.UB(7), 0u);  // no scale, no rotate, 0 translate bits
    b.Align();
    EXPECT_EQ(b.UB(1), 1u);  // add terms
    EXPECT_EQ(b.UB(1), 1u);  // mult terms
    int n = static_cast<int>(b.UB(4));
    EXPECT_EQ(b.SB(n), 128);
    EXPECT_EQ(b.SB(n), 256);
    EXPECT_EQ(b.SB(n), 256);
    EXPECT_EQ(b.SB(n), 0);
    EXPECT_EQ(b.SB(n), 0);
    EXPECT_EQ(b.SB(n), 10);
    b.Align();
    EXPECT_EQ(b.offset(), tags[3].body.size());
  }
  {  // PlaceObject2 with character, matrix, ratio, name and clip depth
    Bits b(tags[4].body);
    EXPECT_EQ(b.U8(), 0x40 | 0x20 | 0x10 | 0x04 | 0x02);
    EXPECT_EQ(b.U16(), 3);
    EXPECT_EQ(b.U16(), 1);
    EXPECT_EQ(b.UB(2), 0u);
    int n = static_cast<int>(b.UB(5));
    EXPECT_EQ(b.SB(n), -40);
    EXPECT_EQ(b.SB(n), 60);
    EXPECT_EQ(b.U16(), 7);
    for (char c : std::string("box")) EXPECT_EQ(b.U8(), c);
    EXPECT_EQ(b.U8(), 0);
    EXPECT_EQ(b.U16(), 9);
  }
  EXPECT_EQ(tags[5].body, (std::vector<uint8_t>{0x07, 0x00}));
  {  // PlaceObject3 move with an alpha colour transform
    Bits b(tags[7].body);
    EXPECT_EQ(b.U8(), 0x08 | 0x01);
    EXPECT_EQ(b.U8(), 0);
    EXPECT_EQ(b.U16(), 3);
    EXPECT_EQ(b.UB(1), 1u);
    EXPECT_EQ(b.UB(1), 1u);
    int n = static_cast<int>(b.UB(4));
    for (int v : {256, 256, 256, 128, 0, 0, 0, -5}) EXPECT_EQ(b.SB(n), v);
  }
  EXPECT_EQ(tags[9].body, (std::vector<uint8_t>{1, 0, 2, 0}));
  EXPECT_EQ(tags[10].body, (std::vector<uint8_t>{3, 0}));
}

TEST(WriterDictionary, DefinitionsComeBeforeWhatUsesThem) {
  swf::Movie m = SmallMovie();
  swf::Sprite inner;
  swf::PlaceObject p;
  p.characterId = 9;  // a shape defined with a higher id
  p.depth = 1;
  inner.timeline.frames.resize(1);
  inner.timeline.frames[0].tags = {p};
  m.dictionary[1] = inner;
  swf::Shape filled = RectShape({0, 0, 0, 255}, 20, 20);
  filled.fills[0].type = swf::FillType::RepeatingBitmap;
  filled.fills[0].bitmapId = 12;
  m.dictionary[9] = filled;
  m.dictionary[12] = swf::Bitmap{1, 1, {0xffffffff}};
  swf::Sprite outer;
  p.characterId = 1;
  outer.timeline.frames.resize(1);
  outer.timeline.frames[0].tags = {p};
  m.dictionary[0] = outer;
  std::vector<TagView> tags = FileTags(swf::WriteMovie(m, false));
  std::vector<uint16_t> ids;
  for (const TagView& t : tags)
    if (t.code == 2 || t.code == 20 || t.code == 39) ids.push_back(static_cast<uint16_t>(t.body[0] | t.body[1] << 8));
  EXPECT_EQ(ids, (std::vector<uint16_t>{12, 9, 1, 0}));
  // The sprite's own tags: frame count, PlaceObject2, ShowFrame, End.
  const TagView* sprite = FindTag(tags, 39);
  ASSERT_TRUE(sprite);
  EXPECT_EQ(sprite->body[2], 1);
  EXPECT_EQ(Codes(ReadTags(sprite->body, 4)), (std::vector<uint16_t>{26, 1, 0}));
}

TEST(WriterRefuses, WhatTheFormatCannotHold) {
  auto fails = [](const swf::Movie& M) {
    EXPECT_THROW(swf::WriteMovie(M, false), swf::FormatError);
  };
  swf::Movie cyc = SmallMovie();
  swf::Sprite a, b;
  swf::PlaceObject p;
  p.depth = 1;
  p.characterId = 2;
  a.timeline.frames = {swf::Frame{{p}, "", {}, {}}};
  p.characterId = 1;
  b.timeline.frames = {swf::Frame{{p}, "", {}, {}}};
  cyc.dictionary[1] = a;
  cyc.dictionary[2] = b;
  fails(cyc);

  swf::Movie m = SmallMovie();
  m.dictionary[1] = swf::Bitmap{2, 2, {0xffffffff}};
  fails(m);  // fewer pixels than width x height

  m = SmallMovie();
  swf::Shape s = RectShape({0, 0, 0, 255}, 20, 20);
  s.paths[0].fill0 = 2;
  m.dictionary[1] = s;
  fails(m);  // a style number beyond the styles

  s = RectShape({0, 0, 0, 255}, 20, 20);
  s.fills[0].type = swf::FillType::LinearGradient;
  m.dictionary[1] = s;
  fails(m);  // a gradient without records
  s.fills[0].gradient.resize(16);
  m.dictionary[1] = s;
  fails(m);  // more records than even DefineShape4 holds

  s = RectShape({0, 0, 0, 255}, 20, 20);
  s.paths[0].edges[0].anchor.x = std::numeric_limits<double>::quiet_NaN();
  m.dictionary[1] = s;
  fails(m);
  s.paths[0].edges[0].anchor.x = 3e9;
  m.dictionary[1] = s;
  fails(m);

  m = SmallMovie();
  swf::PlaceObject bad;
  bad.characterId = 1;
  bad.depth = 1;
  bad.cxform = swf::ColorTransform{20000, 256, 256, 256, 0, 0, 0, 0};
  m.timeline.frames[0].tags = {bad};
  fails(m);

  m = SmallMovie();
  m.timeline.frames[0].label = std::string("a\0b", 3);
  fails(m);
  m = SmallMovie();
  m.timeline.frames.resize(70000);
  fails(m);
}
