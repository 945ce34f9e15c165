// PlaceObject3's filters, blend mode and bitmap caching, the filters of
// DefineButton2 records and DefineScalingGrid, from hand-written bytes.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

#include "renderers/engine/reader.h"
#include "renderers/engine/src/filter_list.h"
#include "reader_bytes.h"

using namespace swftest;

namespace {

Bytes Fixed(double V) { return Bits().U32(static_cast<uint32_t>(static_cast<int32_t>(V * 65536))); }
Bytes Fixed8(double V) { return Bits().U16(static_cast<uint16_t>(static_cast<int16_t>(V * 256))); }
Bytes Float(float V) { return Bits().U32(std::bit_cast<uint32_t>(V)); }

Bytes DefineRedSquare() {
  Bits b;
  b.U16(1).Rect(0, 200, 0, 200, 10).U8(1).U8(0).Rgb(255, 0, 0).U8(0);
  b.UB(1, 4).UB(0, 4);
  b.UB(0, 1).UB(0b00101, 5).UB(9, 5).SB(0, 9).SB(0, 9).UB(1, 1);  // move, fill0
  b.UB(1, 1).UB(1, 1).UB(8, 4).UB(0, 1).UB(0, 1).SB(200, 10);
  b.UB(1, 1).UB(1, 1).UB(8, 4).UB(0, 1).UB(1, 1).SB(200, 10);
  b.UB(1, 1).UB(1, 1).UB(8, 4).UB(0, 1).UB(0, 1).SB(-200, 10);
  b.UB(1, 1).UB(1, 1).UB(8, 4).UB(0, 1).UB(1, 1).SB(-200, 10);
  b.UB(0, 1).UB(0, 5);
  return Tag(2, b);
}

// PlaceObject3 of character 1 at depth 1 with Flags2 and the effect bytes
// Effects (after the identity matrix).
Bytes Place3(uint8_t Flags2, const Bytes& Effects) {
  return Cat({Bits().U8(0x06).U8(Flags2).U16(1).U16(1).Identity(), Effects});
}

struct FilterCase {
  const char* what;
  Bytes bytes;  // one filter, its id first
  swf::Filter expect;
};

std::vector<FilterCase> FilterCases() {
  std::vector<FilterCase> c;
  {
    swf::DropShadowFilter f{{1, 2, 3, 4}, 4.5, 2, 0.75, 6, 1.5, true, false, true, 3};
    c.push_back({"drop shadow", Cat({Bits().U8(0).Rgba(1, 2, 3, 4), Fixed(4.5), Fixed(2), Fixed(0.75), Fixed(6),
                                     Fixed8(1.5), Bits().U8(0xA0 | 3)}),
                 f});
  }
  c.push_back({"blur", Cat({Bits().U8(1), Fixed(8), Fixed(0.5), Bits().U8(2 << 3)}), swf::BlurFilter{8, 0.5, 2}});
  {
    swf::GlowFilter f{{255, 0, 0, 128}, 3, 3, 2, false, true, false, 31};
    c.push_back({"glow", Cat({Bits().U8(2).Rgba(255, 0, 0, 128), Fixed(3), Fixed(3), Fixed8(2), Bits().U8(0x40 | 31)}),
                 f});
  }
  {
    swf::BevelFilter f{{0, 0, 0, 255}, {255, 255, 255, 255}, 5, 5, 0.78125, 4, 1, true, false, true, true, 15};
    c.push_back({"bevel", Cat({Bits().U8(3).Rgba(0, 0, 0, 255).Rgba(255, 255, 255, 255), Fixed(5), Fixed(5),
                               Fixed(0.78125), Fixed(4), Fixed8(1), Bits().U8(0xB0 | 15)}),
                 f});
  }
  swf::GradientFilterFields g;
  g.gradient = {{0, {255, 255, 255, 0}}, {255, {0, 0, 255, 255}}};
  g.blurX = g.blurY = 6;
  g.angle = 1;
  g.distance = 2;
  g.strength = 1.25;
  g.onTop = true;
  g.passes = 1;
  const Bytes gradient = Cat({Bits().U8(2).Rgba(255, 255, 255, 0).Rgba(0, 0, 255, 255).U8(0).U8(255), Fixed(6),
                              Fixed(6), Fixed(1), Fixed(2), Fixed8(1.25), Bits().U8(0x30 | 1)});
  c.push_back({"gradient glow", Cat({Bits().U8(4), gradient}), swf::GradientGlowFilter{g}});
  c.push_back({"gradient bevel", Cat({Bits().U8(7), gradient}), swf::GradientBevelFilter{g}});
  {
    swf::ConvolutionFilter f{3, 2, 6, 0.5, {1, 1, 1, 1, 1, 1}, {9, 8, 7, 6}, true, false};
    Bytes b = Cat({Bits().U8(5).U8(3).U8(2), Float(6), Float(0.5)});
    for (int i = 0; i < 6; ++i) b = Cat({b, Float(1)});
    c.push_back({"convolution", Cat({b, Bits().Rgba(9, 8, 7, 6).U8(0x02)}), f});
  }
  {
    swf::ColorMatrixFilter f;
    Bytes b = Bits().U8(6);
    for (int i = 0; i < 20; ++i) {
      f.matrix[static_cast<size_t>(i)] = static_cast<float>(i) / 4;
      b = Cat({b, Float(static_cast<float>(i) / 4)});
    }
    c.push_back({"colour matrix", b, f});
  }
  return c;
}

const swf::PlaceObject& FirstPlace(const swf::Movie& M) {
  return std::get<swf::PlaceObject>(M.timeline.frames.at(0).tags.at(0));
}

TEST(ReaderFilters, EveryFilterKindWithBlendModeAndCache) {
  const std::vector<FilterCase> cases = FilterCases();
  const uint8_t modes[] = {0, 1, 2, 3, 8, 11, 12, 14, 200};
  const swf::BlendMode expectMode[] = {swf::BlendMode::Normal,   swf::BlendMode::Normal, swf::BlendMode::Layer,
                                       swf::BlendMode::Multiply, swf::BlendMode::Add,    swf::BlendMode::Alpha,
                                       swf::BlendMode::Erase,    swf::BlendMode::HardLight, swf::BlendMode::Normal};
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].what);
    const size_t m = i % std::size(modes);
    const Bytes body = Place3(0x07, Cat({Bits().U8(1), cases[i].bytes, Bits().U8(modes[m]).U8(1)}));
    const auto movie = swf::LoadMovie(Movie(Cat({DefineRedSquare(), Tag(70, body), ShowFrame()})).data(),
                                      Movie(Cat({DefineRedSquare(), Tag(70, body), ShowFrame()})).size());
    const swf::PlaceObject& p = FirstPlace(*movie);
    ASSERT_TRUE(p.filters.has_value());
    ASSERT_EQ(p.filters->size(), 1u);
    EXPECT_TRUE(p.filters->front() == cases[i].expect);
    EXPECT_EQ(p.blendMode, expectMode[m]);
    EXPECT_EQ(p.cacheAsBitmap, true);
    EXPECT_TRUE(movie->loadNotes.empty());
  }
}

TEST(ReaderFilters, AllFiltersInOneListThenVisibilityAndClipActions) {
  const std::vector<FilterCase> cases = FilterCases();
  Bytes list = Bits().U8(8);
  for (const FilterCase& c : cases) list = Cat({list, c.bytes});
  // Visible and an opaque background (newer movies), then clip actions the
  // reader passes over.
  const Bytes body = Place3(0x01 | 0x02 | 0x20 | 0x40, Cat({list, Bits().U8(4).U8(1).Rgba(1, 2, 3, 4).U16(0).U32(0)}));
  const Bytes movie = Movie(Cat({DefineRedSquare(), Tag(70, body), ShowFrame()}), false, 11);
  const auto m = swf::LoadMovie(movie.data(), movie.size());
  const swf::PlaceObject& p = FirstPlace(*m);
  ASSERT_EQ(p.filters->size(), 8u);
  for (size_t i = 0; i < 8; ++i) EXPECT_TRUE(p.filters->at(i) == cases[i].expect) << cases[i].what;
  EXPECT_EQ(p.blendMode, swf::BlendMode::Screen);
  EXPECT_FALSE(p.cacheAsBitmap.has_value());
}

TEST(ReaderFilters, EveryPrefixOfAPlacementLoadsOrFailsCleanly) {
  Bytes list = Bits().U8(8);
  for (const FilterCase& c : FilterCases()) list = Cat({list, c.bytes});
  const Bytes body = Place3(0x07, Cat({list, Bits().U8(3).U8(1)}));
  size_t loaded = 0;
  for (size_t n = 0; n < body.size(); ++n) {
    const Bytes prefix(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(n));
    const Bytes movie = Movie(Cat({DefineRedSquare(), Tag(70, prefix), ShowFrame()}));
    try {
      const auto m = swf::LoadMovie(movie.data(), movie.size());
      ++loaded;
      const swf::PlaceObject& p = FirstPlace(*m);
      // Cut in the filters: none kept, and a note says so. Cut before the
      // cache byte: the flag alone means cached.
      EXPECT_EQ(p.filters.has_value(), n >= body.size() - 2) << n;
      EXPECT_EQ(m->loadNotes.empty(), n == body.size() - 1) << n;
      EXPECT_EQ(p.cacheAsBitmap.has_value(), n == body.size() - 1) << n;
    } catch (const swf::FormatError&) {
      EXPECT_LT(n, 12u) << "only a cut before the filters is an error";
    }
  }
  EXPECT_EQ(loaded, body.size() - 12);
}

TEST(ReaderFilters, MalformedFilterKindIsNotedAndTheRestPlays) {
  const Bytes body = Place3(0x03, Bits().U8(1).U8(9).U8(0).U8(0).U8(0));
  const Bytes movie = Movie(Cat({DefineRedSquare(), Tag(70, body), ShowFrame()}));
  const auto m = swf::LoadMovie(movie.data(), movie.size());
  EXPECT_FALSE(FirstPlace(*m).filters.has_value());
  EXPECT_FALSE(FirstPlace(*m).blendMode.has_value());
  ASSERT_EQ(m->loadNotes.size(), 1u);
  EXPECT_NE(m->loadNotes[0].find("unknown filter kind 9"), std::string::npos);
}

TEST(ReaderFilters, ButtonRecordFiltersAndScalingGrid) {
  const FilterCase glow = FilterCases()[2];
  Bits button;
  button.U16(5).U8(0).U16(0);  // id, flags, no actions
  button.U8(0x30 | 0x01).U16(1).U16(1).Identity();
  button.UB(0, 1).UB(0, 1).UB(1, 4).Align();  // identity colour transform
  button.Raw(Cat({Bits().U8(1), glow.bytes})).U8(5).U8(0);
  const Bytes grid = Bits().U16(5).Rect(100, 1900, 200, 1800, 13);
  const Bytes movie = Movie(Cat({DefineRedSquare(), Tag(34, button), Tag(78, grid), ShowFrame()}));
  const auto m = swf::LoadMovie(movie.data(), movie.size());
  const auto& r = std::get<swf::Button>(m->dictionary.at(5)).records.at(0);
  const std::vector<swf::Filter> filters = swf::detail::ParseFilterList(r.filters);
  ASSERT_EQ(filters.size(), 1u);
  EXPECT_TRUE(filters[0] == glow.expect);
  EXPECT_EQ(r.blendMode, 5);
  EXPECT_EQ(m->scalingGrids.at(5), (swf::Rect{100, 200, 1900, 1800}));
}

}  // namespace
