// Loading hand-written SWF bytes: header, every supported tag, and the
// errors hostile input must end in.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "renderers/engine/reader.h"
#include "reader_bytes.h"

using namespace swftest;

namespace {

std::shared_ptr<const swf::Movie> Load(const Bytes& B, const swf::LoadLimits& L = {}) {
  return swf::LoadMovie(B.data(), B.size(), L);
}

// The message of the FormatError that loading B ends in ("" if it loads).
std::string LoadError(const Bytes& B, const swf::LoadLimits& L = {}) {
  try {
    Load(B, L);
  } catch (const swf::FormatError& e) {
    return e.what();
  }
  return "";
}

swf::Point P(double X, double Y) { return {X, Y}; }
swf::Edge Line(double X, double Y) { return {false, {}, {X, Y}}; }

const swf::Shape& ShapeOf(const swf::Movie& M, uint16_t Id) { return std::get<swf::Shape>(M.dictionary.at(Id)); }
const swf::Bitmap& BitmapOf(const swf::Movie& M, uint16_t Id) { return std::get<swf::Bitmap>(M.dictionary.at(Id)); }

// DefineShape (1): a red fill on the right and a blue line; a closed outline
// of general, vertical, horizontal and curved edges, then a run with the fill
// switched off.
Bytes Shape1() {
  Bits b;
  b.U16(1).Rect(0, 2000, 0, 1000, 13);
  b.U8(1).U8(0x00).Rgb(255, 0, 0);  // fills
  b.U8(1).U16(40).Rgb(0, 0, 255);   // lines
  b.UB(1, 4).UB(1, 4);
  b.UB(0, 1).UB(0b01101, 5).UB(12, 5).SB(100, 12).SB(200, 12).UB(1, 1).UB(1, 1);  // move, fill1, line
  b.UB(1, 1).UB(1, 1).UB(10, 4).UB(1, 1).SB(1000, 12).SB(0, 12);                  // general line
  b.UB(1, 1).UB(1, 1).UB(10, 4).UB(0, 1).UB(1, 1).SB(500, 12);                    // vertical
  b.UB(1, 1).UB(1, 1).UB(10, 4).UB(0, 1).UB(0, 1).SB(-1000, 12);                  // horizontal
  b.UB(1, 1).UB(0, 1).UB(10, 4).SB(-100, 12).SB(-250, 12).SB(100, 12).SB(-250, 12);  // curve
  b.UB(0, 1).UB(0b00100, 5).UB(0, 1);                                             // fill1 = 0
  b.UB(1, 1).UB(1, 1).UB(10, 4).UB(1, 1).SB(50, 12).SB(50, 12);
  b.UB(0, 1).UB(0, 5);
  return Tag(2, b);
}

}  // namespace

TEST(ReaderHeader, FieldsOfUncompressedAndCompressedMovies) {
  const Bytes tags = Cat({Tag(9, Bits().Rgb(10, 20, 30)), ShowFrame()});
  for (bool compressed : {false, true}) {
    auto m = Load(Movie(tags, compressed, 10, 1, (24 << 8) | 0x80));  // 24.5 frames a second
    EXPECT_EQ(m->version, 10);
    EXPECT_EQ(m->compressed, compressed);
    EXPECT_EQ(m->frameSize, (swf::Rect{0, 0, 11000, 8000}));
    EXPECT_EQ(m->frameRate, (24 << 8) | 0x80);
    EXPECT_EQ(m->frameCount, 1);
    EXPECT_EQ(m->background, (swf::RGBA{10, 20, 30, 255}));
    EXPECT_EQ(m->timeline.frames.size(), 1u);
  }
}

TEST(ReaderHeader, RectBitFieldsWithNegativeValuesAndOddWidths) {
  // 7 bits per value: the rectangle straddles byte boundaries.
  Bytes body = Cat({Bits().Rect(-40, 63, -64, 5, 7).U16(12 << 8).U16(1), Tag(0, {})});
  Bytes b = Cat({Bits().U8('F').U8('W').U8('S').U8(6).U32(static_cast<uint32_t>(body.size() + 8)), body});
  auto m = Load(b);
  EXPECT_EQ(m->frameSize, (swf::Rect{-40, -64, 63, 5}));
  EXPECT_EQ(m->frameRate, 12 << 8);
}

TEST(ReaderHeader, BadSignaturesAndShortInput) {
  EXPECT_NE(LoadError({'F', 'W', 'S'}), "");
  EXPECT_NE(LoadError({'G', 'W', 'S', 8, 30, 0, 0, 0, 0, 0, 0}), "");
  EXPECT_NE(LoadError({'Z', 'W', 'S', 13, 30, 0, 0, 0, 0, 0, 0}).find("LZMA"), std::string::npos);
  EXPECT_NE(LoadError({}), "");
}

TEST(ReaderHeader, TheHeadersLengthEndsTheMovie) {
  // Two frames, the length field naming the first only: the second is not
  // part of the movie. A length below the stage size: one empty frame.
  Bytes b = Movie(Cat({Tag(43, Bits().Str("one")), ShowFrame(), Tag(43, Bits().Str("two")), ShowFrame()}));
  const uint32_t first = static_cast<uint32_t>(b.size() - 6 - 2 - 2);  // up to the first ShowFrame
  for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<uint8_t>(first >> (8 * i));
  auto m = Load(b);
  ASSERT_EQ(m->timeline.frames.size(), 1u);
  EXPECT_EQ(m->timeline.frames[0].label, "one");
  for (int i = 0; i < 4; ++i) b[4 + i] = 0;
  m = Load(b);
  EXPECT_EQ(m->timeline.frames.size(), 1u);
  EXPECT_EQ(m->timeline.frames[0].label, "");
  EXPECT_EQ(m->frameSize, swf::Rect{});
}

TEST(ReaderTags, UnknownTagsAreSkippedAndTimelineHasFrames) {
  // Unknown tag 777 with a long header; control tags after the last ShowFrame
  // form no frame (the reference player never completes it), unless the
  // timeline has no other.
  auto m = Load(Movie(Cat({Tag(777, Bytes(5, 0xEE), true), ShowFrame(), Tag(43, Bits().Str("end")),
                           Tag(12, {0x07, 0x00})})));
  ASSERT_EQ(m->timeline.frames.size(), 1u);
  EXPECT_EQ(m->timeline.frames[0].label, "");
  EXPECT_TRUE(m->timeline.frames[0].actions.empty());
  m = Load(Movie(Cat({Tag(777, Bytes(5, 0xEE), true), Tag(43, Bits().Str("end"))})));
  ASSERT_EQ(m->timeline.frames.size(), 1u);
  EXPECT_EQ(m->timeline.frames[0].label, "end");
  // No tags at all: one empty frame.
  EXPECT_EQ(Load(Movie({}))->timeline.frames.size(), 1u);
}

TEST(ReaderTags, CutOffMoviesPlayWhatTheyHold) {
  // A tag claiming 50 bytes with 4 present ends the movie there, with a note
  // naming the tag and its offset (the first tag sits at offset 21).
  Bytes b = Movie(Cat({ShowFrame(), Bits().U16(9 << 6 | 0x3F).U32(50).Rgb(1, 2, 3)}));
  b.resize(b.size() - 2);  // drop the End tag as well
  auto m = Load(b);
  EXPECT_EQ(m->timeline.frames.size(), 1u);
  ASSERT_EQ(m->loadNotes.size(), 1u);
  EXPECT_NE(m->loadNotes[0].find("tag 9 runs past"), std::string::npos) << m->loadNotes[0];
  EXPECT_NE(m->loadNotes[0].find("offset 23"), std::string::npos) << m->loadNotes[0];

  // Every strict prefix of a valid movie (compressed or not) is refused only
  // while its header is incomplete; after that it loads the frames it holds.
  const Bytes tags = Cat({Shape1(), Tag(26, Bits().U8(0x06).U16(1).U16(1).Identity()), ShowFrame()});
  for (bool compressed : {false, true}) {
    const Bytes whole = Movie(tags, compressed);
    ASSERT_EQ(LoadError(whole), "");
    ASSERT_TRUE(Load(whole)->loadNotes.empty());
    size_t firstLoaded = whole.size();
    for (size_t n = 0; n < whole.size(); ++n) {
      const Bytes cut(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(n));
      if (!LoadError(cut).empty()) {
        EXPECT_LT(n, firstLoaded) << "a longer prefix was refused after a shorter one loaded: " << n;
        continue;
      }
      firstLoaded = std::min(firstLoaded, n);
      const auto part = Load(cut);
      EXPECT_FALSE(part->loadNotes.empty()) << "prefix of " << n << " bytes";
      EXPECT_LE(part->timeline.frames.size(), 1u);
    }
    EXPECT_GE(firstLoaded, 8u + 5u) << "a prefix without its header loaded";
    EXPECT_LT(firstLoaded, whole.size() - 2) << "the movie without its End tag was refused";
  }
}

TEST(ReaderTags, CompressionBombAndSizeLimits) {
  // 4 MB of unknown-tag payload inflating from a few kilobytes.
  const Bytes big = Movie(Tag(777, Bytes(4u << 20, 0)), true);
  ASSERT_LT(big.size(), 64u << 10);
  swf::LoadLimits tight;
  tight.maxUncompressedBytes = 1u << 20;
  EXPECT_NE(LoadError(big, tight).find("size limit"), std::string::npos);
  EXPECT_EQ(LoadError(big), "");  // within the default limits
  swf::LoadLimits unlimited;
  unlimited.maxUncompressedBytes = SIZE_MAX;
  EXPECT_EQ(LoadError(big, unlimited), "");
  // An uncompressed movie larger than the limit.
  EXPECT_NE(LoadError(Movie(Tag(777, Bytes(2u << 20, 0))), tight), "");
  // Garbage instead of zlib data.
  Bytes bad = Movie({}, true);
  bad[9] ^= 0xFF;
  EXPECT_NE(LoadError(bad), "");
}

TEST(ReaderShapes, EdgesOfEveryKindMakeRunsOfPaths) {
  auto m = Load(Movie(Shape1()));
  const swf::Shape& s = ShapeOf(*m, 1);
  EXPECT_EQ(s.tagVersion, 1);
  EXPECT_EQ(s.bounds, (swf::Rect{0, 0, 2000, 1000}));
  ASSERT_EQ(s.fills.size(), 1u);
  EXPECT_EQ(s.fills[0].type, swf::FillType::Solid);
  EXPECT_EQ(s.fills[0].color, (swf::RGBA{255, 0, 0, 255}));
  ASSERT_EQ(s.lines.size(), 1u);
  EXPECT_EQ(s.lines[0], (swf::LineStyle{40, {0, 0, 255, 255}}));
  ASSERT_EQ(s.paths.size(), 2u);
  const swf::Path first{0, 1, 1, P(100, 200),
                        {Line(1100, 200), Line(1100, 700), Line(100, 700), {true, P(0, 450), P(100, 200)}}};
  EXPECT_EQ(s.paths[0], first);
  const swf::Path second{0, 0, 1, P(100, 200), {Line(150, 250)}};
  EXPECT_EQ(s.paths[1], second);
}

TEST(ReaderShapes, NewStylesAppendAndOffsetIndexes) {
  Bits b;
  b.U16(3).Rect(0, 100, 0, 100, 9);
  b.U8(1).U8(0x00).Rgba(1, 2, 3, 4);  // one fill
  b.U8(0);                            // no lines
  b.UB(2, 4).UB(0, 4);
  b.UB(0, 1).UB(0b00011, 5).UB(1, 5).SB(0, 1).SB(0, 1).UB(1, 2);  // move to 0,0, fill0 = 1
  b.UB(1, 1).UB(1, 1).UB(10, 4).UB(1, 1).SB(100, 12).SB(0, 12);
  // New styles; fill1 = 2 read with the old two bits, meaning the new array's second fill.
  b.UB(0, 1).UB(0b10100, 5).UB(2, 2);
  b.U8(2).U8(0x00).Rgba(5, 6, 7, 8).U8(0x00).Rgba(9, 10, 11, 12);
  b.U8(1).U16(20).Rgba(0, 0, 0, 255);
  b.UB(2, 4).UB(1, 4);
  b.UB(1, 1).UB(1, 1).UB(10, 4).UB(0, 1).UB(1, 1).SB(100, 12);
  b.UB(0, 1).UB(0b01000, 5).UB(1, 1);  // line 1 of the new array
  b.UB(1, 1).UB(1, 1).UB(10, 4).UB(0, 1).UB(0, 1).SB(-100, 12);
  b.UB(0, 1).UB(0, 5);
  auto m = Load(Movie(Tag(32, b)));
  const swf::Shape& s = ShapeOf(*m, 3);
  ASSERT_EQ(s.fills.size(), 3u);
  EXPECT_EQ(s.fills[2].color, (swf::RGBA{9, 10, 11, 12}));
  ASSERT_EQ(s.lines.size(), 1u);
  ASSERT_EQ(s.paths.size(), 3u);
  EXPECT_EQ(s.paths[0], (swf::Path{1, 0, 0, P(0, 0), {Line(100, 0)}}));
  EXPECT_EQ(s.paths[1], (swf::Path{0, 3, 0, P(100, 0), {Line(100, 100)}}));  // fill0 does not carry over
  EXPECT_EQ(s.paths[2], (swf::Path{0, 3, 1, P(100, 100), {Line(0, 100)}}));
}

TEST(ReaderShapes, GradientsBitmapFillsExtendedCountsAndLineStyle2) {
  Bits b;
  b.U16(4).Rect(0, 100, 0, 100, 9).Rect(0, 100, 0, 100, 9).U8(0);
  b.U8(3);
  b.U8(0x13).Matrix(0.5, 0, 0, 0.5, 10, -10);
  b.UB(1, 2).UB(0, 2).UB(2, 4).U8(255).Rgba(0, 0, 255, 255).U8(0).Rgba(255, 0, 0, 128);  // unsorted ratios
  b.U16(0xFF80);                                                                        // focal -0.5
  b.U8(0x41).U16(7).Matrix(2, 0, 0, 2, 0, 0);
  b.U8(0x10).Identity().UB(2, 2).UB(0, 2).UB(1, 4).U8(128).Rgba(1, 1, 1, 1);
  b.U8(2);
  b.U16(60).UB(0, 2).UB(2, 2).UB(0, 1).UB(0, 3).UB(0, 5).UB(0, 1).UB(0, 2).U16(3 << 8).Rgba(10, 20, 30, 40);
  b.U16(20).UB(0, 2).UB(0, 2).UB(1, 1).UB(0, 3).UB(0, 5).UB(0, 1).UB(0, 2).U8(0x00).Rgba(9, 8, 7, 6);
  b.UB(2, 4).UB(2, 4);
  b.UB(0, 1).UB(0b01011, 5).UB(1, 5).SB(0, 1).SB(0, 1).UB(1, 2).UB(2, 2);
  b.UB(1, 1).UB(1, 1).UB(10, 4).UB(1, 1).SB(100, 12).SB(0, 12);
  b.UB(0, 1).UB(0, 5);
  auto m = Load(Movie(Tag(83, b)));
  const swf::Shape& s = ShapeOf(*m, 4);
  EXPECT_EQ(s.tagVersion, 4);
  ASSERT_EQ(s.fills.size(), 3u);
  const swf::FillStyle& focal = s.fills[0];
  EXPECT_EQ(focal.type, swf::FillType::FocalRadialGradient);
  EXPECT_EQ(focal.matrix, (swf::Matrix{0.5, 0, 0, 0.5, 10, -10}));
  EXPECT_EQ(focal.spread, swf::SpreadMode::Reflect);
  ASSERT_EQ(focal.gradient.size(), 2u);
  EXPECT_EQ(focal.gradient[0], (swf::GradientRecord{0, {255, 0, 0, 128}}));
  EXPECT_EQ(focal.gradient[1], (swf::GradientRecord{255, {0, 0, 255, 255}}));
  EXPECT_DOUBLE_EQ(focal.focalPoint, -0.5);
  EXPECT_EQ(s.fills[1].type, swf::FillType::ClippedBitmap);
  EXPECT_EQ(s.fills[1].bitmapId, 7);
  EXPECT_EQ(s.fills[1].matrix, (swf::Matrix{2, 0, 0, 2, 0, 0}));
  EXPECT_EQ(s.fills[2].type, swf::FillType::LinearGradient);
  EXPECT_EQ(s.fills[2].spread, swf::SpreadMode::Repeat);
  ASSERT_EQ(s.lines.size(), 2u);
  EXPECT_EQ(s.lines[0], (swf::LineStyle{60, {10, 20, 30, 40}}));  // after the miter limit
  EXPECT_EQ(s.lines[1], (swf::LineStyle{20, {9, 8, 7, 6}}));      // colour of its solid fill
  ASSERT_EQ(s.paths.size(), 1u);
  EXPECT_EQ(s.paths[0], (swf::Path{1, 0, 2, P(0, 0), {Line(100, 0)}}));

  // DefineShape2: 300 fills through the extended count.
  Bits e;
  e.U16(5).Rect(0, 1, 0, 1, 2).U8(0xFF).U16(300);
  for (int i = 0; i < 300; ++i) e.U8(0).Rgb(static_cast<uint8_t>(i), 0, 0);
  e.U8(0).UB(9, 4).UB(0, 4);
  e.UB(0, 1).UB(0b00010, 5).UB(300, 9).UB(1, 1).UB(1, 1).UB(0, 4).UB(1, 1).SB(1, 2).SB(1, 2).UB(0, 1).UB(0, 5);
  auto m2 = Load(Movie(Tag(22, e)));
  const swf::Shape& s2 = ShapeOf(*m2, 5);
  ASSERT_EQ(s2.fills.size(), 300u);
  EXPECT_EQ(s2.fills[299].color.r, 299 % 256);
  ASSERT_EQ(s2.paths.size(), 1u);
  EXPECT_EQ(s2.paths[0].fill0, 300u);
}

TEST(ReaderShapes, BadShapesAreRefused) {
  auto shape = [](uint32_t FillIndex, int Edges, uint8_t FillType) {
    Bits b;
    b.U16(1).Rect(0, 1, 0, 1, 2).U8(1).U8(FillType).Rgb(0, 0, 0).U8(0).UB(2, 4).UB(0, 4);
    b.UB(0, 1).UB(0b00010, 5).UB(FillIndex, 2);
    for (int i = 0; i < Edges; ++i) b.UB(1, 1).UB(1, 1).UB(0, 4).UB(1, 1).SB(1, 2).SB(1, 2);
    b.UB(0, 1).UB(0, 5);
    return Movie(Tag(2, b));
  };
  EXPECT_EQ(LoadError(shape(1, 3, 0)), "");
  EXPECT_NE(LoadError(shape(2, 3, 0)).find("out of range"), std::string::npos);
  EXPECT_NE(LoadError(shape(1, 3, 0x77)).find("fill style type"), std::string::npos);
  swf::LoadLimits l;
  l.maxEdgesPerShape = 2;
  EXPECT_NE(LoadError(shape(1, 3, 0), l).find("edges"), std::string::npos);
  // Shape records running past the tag.
  Bytes cut = Bits().U16(1).Rect(0, 1, 0, 1, 2).U8(0).U8(0).UB(0, 4).UB(0, 4).UB(1, 1).UB(1, 1);
  EXPECT_NE(LoadError(Movie(Tag(2, cut))), "");
  // The same character id twice.
  EXPECT_NE(LoadError(Movie(Cat({Shape1(), Shape1()}))).find("twice"), std::string::npos);
}

namespace {

Bytes Lossless(int Version, uint16_t Id, uint8_t Format, uint16_t W, uint16_t H, const Bytes& Data, int Palette = -1) {
  Bits b;
  b.U16(Id).U8(Format).U16(W).U16(H);
  if (Palette >= 0) b.U8(static_cast<uint32_t>(Palette));
  b.Raw(Zlib(Data));
  return Tag(Version == 1 ? 20 : 36, b);
}

}  // namespace

TEST(ReaderBitmaps, EveryLosslessFormat) {
  const Bytes tags = Cat({
      // 3x2 colour-mapped, rows padded to 4 bytes; index 5 is past the palette.
      Lossless(1, 1, 3, 3, 2, {255, 0, 0, 0, 0, 255, /**/ 0, 1, 0, 9, /**/ 1, 1, 5, 9}, 1),
      Lossless(2, 2, 3, 1, 1, {128, 64, 0, 128, 200, 0, 0, 100, /**/ 1, 0, 0, 0}, 1),
      // RGB15: 0 11111 00000 10000, padded to 4 bytes.
      Lossless(1, 3, 4, 1, 1, {0x7C, 0x10, 0, 0}),
      Lossless(1, 4, 5, 2, 1, {0, 1, 2, 3, 77, 4, 5, 6}),
      // Premultiplied ARGB; the second pixel's colour exceeds its alpha and is clamped.
      Lossless(2, 5, 5, 2, 1, {128, 100, 50, 0, 10, 200, 5, 20}),
  });
  auto m = Load(Movie(tags));
  EXPECT_EQ(BitmapOf(*m, 1).width, 3);
  EXPECT_EQ(BitmapOf(*m, 1).height, 2);
  EXPECT_EQ(BitmapOf(*m, 1).pixels,
            (std::vector<uint32_t>{0xFFFF0000, 0xFF0000FF, 0xFFFF0000, 0xFF0000FF, 0xFF0000FF, 0}));
  EXPECT_EQ(BitmapOf(*m, 2).pixels, (std::vector<uint32_t>{0x64640000}));
  EXPECT_EQ(BitmapOf(*m, 3).pixels, (std::vector<uint32_t>{0xFFFF0084}));
  EXPECT_EQ(BitmapOf(*m, 4).pixels, (std::vector<uint32_t>{0xFF010203, 0xFF040506}));
  EXPECT_EQ(BitmapOf(*m, 5).pixels, (std::vector<uint32_t>{0x80643200, 0x0A0A050A}));
}

TEST(ReaderBitmaps, LimitsAndShortData) {
  swf::LoadLimits l;
  l.maxBitmapPixels = 100;
  l.maxTotalBitmapPixels = 150;
  const Bytes ten = Lossless(2, 1, 5, 10, 10, Bytes(400, 0));
  EXPECT_EQ(LoadError(Movie(ten), l), "");
  EXPECT_NE(LoadError(Movie(Lossless(2, 1, 5, 11, 10, Bytes(440, 0))), l).find("too large"), std::string::npos);
  EXPECT_NE(LoadError(Movie(Cat({ten, Lossless(2, 2, 5, 10, 10, Bytes(400, 0))})), l).find("together"),
            std::string::npos);
  // A huge declared size with little data: refused by the limit, not allocated.
  EXPECT_NE(LoadError(Movie(Lossless(2, 1, 5, 65535, 65535, Bytes(4, 0)))), "");
  EXPECT_NE(LoadError(Movie(Lossless(2, 1, 5, 10, 10, Bytes(399, 0)))).find("truncated"), std::string::npos);
  EXPECT_NE(LoadError(Movie(Lossless(2, 1, 4, 1, 1, Bytes(4, 0)))), "");  // RGB15 has no alpha form
  EXPECT_NE(LoadError(Movie(Lossless(1, 1, 7, 1, 1, Bytes(4, 0)))), "");
}

namespace {

Bytes Place2(uint16_t Depth, uint16_t Id) { return Tag(26, Bits().U8(0x06).U16(Depth).U16(Id).Identity()); }

Bytes Sprite(uint16_t Id, const Bytes& Tags, uint16_t Frames = 1) {
  return Tag(39, Cat({Bits().U16(Id).U16(Frames), Tags, Tag(0, {})}));
}

}  // namespace

TEST(ReaderControlTags, PlaceRemoveLabelsAndActions) {
  Bits po1;
  po1.U16(1).U16(3).Matrix(2, 0, 0, 2, 100, 200);
  po1.UB(1, 1).UB(1, 1).UB(10, 4).SB(128, 10).SB(256, 10).SB(-256, 10).SB(1, 10).SB(2, 10).SB(-3, 10);
  Bits po2;
  po2.U8(0xFF & ~0x80).U16(4).U16(1).Matrix(1, 0.5, -0.25, 1, -20, 0);
  po2.UB(1, 1).UB(1, 1).UB(10, 4).SB(256, 10).SB(0, 10).SB(0, 10).SB(128, 10);
  po2.SB(0, 10).SB(0, 10).SB(0, 10).SB(-255, 10);
  po2.U16(7).Str("inst").U16(9);
  Bits po3;  // move with a class name, then filters and a blend mode that are skipped
  po3.U8(0x05).U8(0x08 | 0x02 | 0x01).U16(4).Str("Some.Class").Identity().U8(1).U8(0).U8(0).U8(5);
  const Bytes tags = Cat({Shape1(), Tag(43, Bits().Str("start")), Tag(4, po1), Tag(26, po2), Tag(12, {0x07, 0x00}),
                          ShowFrame(), Tag(70, po3), Tag(5, Bits().U16(1).U16(3)), Tag(28, Bits().U16(4)),
                          ShowFrame()});
  auto m = Load(Movie(tags));
  ASSERT_EQ(m->timeline.frames.size(), 2u);
  const swf::Frame& f0 = m->timeline.frames[0];
  EXPECT_EQ(f0.label, "start");
  ASSERT_EQ(f0.actions.size(), 1u);
  EXPECT_EQ(f0.actions[0], (std::vector<uint8_t>{0x07, 0x00}));
  ASSERT_EQ(f0.tags.size(), 2u);
  const auto& a = std::get<swf::PlaceObject>(f0.tags[0]);
  EXPECT_EQ(a.tagVersion, 1);
  EXPECT_FALSE(a.move);
  EXPECT_EQ(a.depth, 3);
  EXPECT_EQ(a.characterId, 1);
  EXPECT_EQ(a.matrix, (swf::Matrix{2, 0, 0, 2, 100, 200}));
  EXPECT_EQ(a.cxform, (swf::ColorTransform{128, 256, -256, 256, 1, 2, -3, 0}));
  const auto& b = std::get<swf::PlaceObject>(f0.tags[1]);
  EXPECT_TRUE(b.move);
  EXPECT_EQ(b.depth, 4);
  EXPECT_EQ(b.matrix, (swf::Matrix{1, 0.5, -0.25, 1, -20, 0}));
  EXPECT_EQ(b.cxform, (swf::ColorTransform{256, 0, 0, 128, 0, 0, 0, -255}));
  EXPECT_EQ(b.ratio, 7);
  EXPECT_EQ(b.name, "inst");
  EXPECT_EQ(b.clipDepth, 9);
  const swf::Frame& f1 = m->timeline.frames[1];
  ASSERT_EQ(f1.tags.size(), 3u);
  const auto& c = std::get<swf::PlaceObject>(f1.tags[0]);
  EXPECT_EQ(c.tagVersion, 3);
  EXPECT_TRUE(c.move);
  EXPECT_FALSE(c.characterId);
  EXPECT_EQ(c.matrix, swf::Matrix{});
  EXPECT_FALSE(c.cxform);
  const auto& r1 = std::get<swf::RemoveObject>(f1.tags[1]);
  EXPECT_EQ(r1.depth, 3);
  EXPECT_EQ(r1.characterId, 1);
  const auto& r2 = std::get<swf::RemoveObject>(f1.tags[2]);
  EXPECT_EQ(r2.depth, 4);
  EXPECT_FALSE(r2.characterId);

  // A name without its terminator runs past the tag.
  EXPECT_NE(LoadError(Movie(Tag(26, Bits().U8(0x20).U16(1).U8('x').U8('y')))), "");
}

TEST(ReaderSprites, NestedTimelinesAndTheirLimits) {
  const Bytes tags = Cat({Shape1(), Sprite(2, Cat({Place2(1, 1), ShowFrame(), ShowFrame()}), 2),
                          Sprite(3, Cat({Place2(1, 2), ShowFrame()})), Place2(1, 3), ShowFrame()});
  auto m = Load(Movie(tags));
  const auto& inner = std::get<swf::Sprite>(m->dictionary.at(2));
  EXPECT_EQ(inner.frameCount, 2);
  ASSERT_EQ(inner.timeline.frames.size(), 2u);
  EXPECT_EQ(std::get<swf::PlaceObject>(inner.timeline.frames[0].tags[0]).characterId, 1);
  const auto& outer = std::get<swf::Sprite>(m->dictionary.at(3));
  EXPECT_EQ(outer.timeline.frames.size(), 1u);

  swf::LoadLimits l;
  l.maxSpriteNesting = 2;
  EXPECT_EQ(LoadError(Movie(tags), l), "");
  l.maxSpriteNesting = 1;
  EXPECT_NE(LoadError(Movie(tags), l).find("nest"), std::string::npos);

  // A sprite placing itself, or a character not defined before it: the
  // placement places nothing (so no cycle can form), noted once.
  for (const Bytes& movie : {Movie(Sprite(5, Cat({Place2(1, 5), ShowFrame(), Place2(2, 5), ShowFrame()}))),
                             Movie(Cat({Sprite(5, Place2(1, 6)), Sprite(6, Place2(1, 5))}))}) {
    const auto cyclic = Load(movie);
    const auto& five = std::get<swf::Sprite>(cyclic->dictionary.at(5));
    for (const swf::Frame& f : five.timeline.frames) EXPECT_TRUE(f.tags.empty());
    ASSERT_EQ(cyclic->loadNotes.size(), 1u);
    EXPECT_NE(cyclic->loadNotes[0].find("not defined before"), std::string::npos);
  }
  // A sprite whose body lacks its End tag ends with its body.
  const auto open = Load(Movie(Tag(39, Bits().U16(5).U16(1).Raw(ShowFrame()))));
  EXPECT_EQ(std::get<swf::Sprite>(open->dictionary.at(5)).timeline.frames.size(), 1u);
  ASSERT_EQ(open->loadNotes.size(), 1u);
  EXPECT_NE(open->loadNotes[0].find("sprite 5 ends without an End tag"), std::string::npos);
  // Too many frames in a sprite or the root.
  l = {};
  l.maxFrames = 3;
  EXPECT_EQ(LoadError(Movie(Sprite(5, Cat({ShowFrame(), ShowFrame(), ShowFrame()}))), l), "");
  EXPECT_NE(LoadError(Movie(Sprite(5, Cat({ShowFrame(), ShowFrame(), ShowFrame(), ShowFrame()}))), l), "");
  EXPECT_NE(LoadError(Movie(Cat({ShowFrame(), ShowFrame(), ShowFrame(), ShowFrame()})), l), "");
}
