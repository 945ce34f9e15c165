// Static text on screen: glyphs of a square and a triangle font placed by
// their run's position, advances, height, colour and the text's matrix.
#include <gtest/gtest.h>

#include <vector>

#include "renderers/engine/player.h"
#include "renderers/engine/src/player/hit_test.h"

namespace {

using swf::RGBA;
using swf::TextRun;

swf::Shape GlyphShape(std::vector<swf::Point> Pts) {
  swf::Shape s;
  s.fills.push_back(swf::FillStyle{});
  s.fills[0].color = {255, 255, 255, 255};
  swf::Path p{0, 1, 0, Pts[0], {}};
  for (size_t i = 1; i <= Pts.size(); ++i) p.edges.push_back({false, {}, Pts[i % Pts.size()]});
  s.paths.push_back(p);
  return s;
}

// Font 1: glyph 0 a square filling the em above the baseline, glyph 1 a
// triangle with its apex at the top middle. Em square 1024.
swf::Font SquareFont() {
  swf::Font f;
  f.glyphs.resize(2);
  f.glyphs[0].shape = GlyphShape({{0, -1024}, {1024, -1024}, {1024, 0}, {0, 0}});
  f.glyphs[1].shape = GlyphShape({{0, 0}, {512, -1024}, {1024, 0}});
  return f;
}

struct Probe {
  int x, y;
  uint32_t pixel;  // premultiplied 0xAARRGGBB
};

// A 100x50 pixel stage showing text 2 at depth 1; a pixel is 20 twips.
std::vector<uint32_t> Draw(const swf::StaticText& Text) {
  swf::Movie m;
  m.frameSize = {0, 0, 2000, 1000};
  m.dictionary.emplace(1, SquareFont());
  m.dictionary.emplace(2, Text);
  swf::PlaceObject place;
  place.depth = 1;
  place.characterId = 2;
  m.timeline.frames.resize(1);
  m.timeline.frames[0].tags.push_back(place);
  m.frameCount = 1;
  swf::MoviePlayer p(std::make_shared<const swf::Movie>(m));
  p.SetViewport(100, 50);
  std::vector<uint32_t> px(100 * 50, 0);
  p.Render({px.data(), 100, 50, 400}, {0, 0, 100, 50}, true);
  return px;
}

TEST(RenderStaticText, GlyphsArePlacedScaledAndColoured) {
  const RGBA red{255, 0, 0, 255};
  struct Case {
    const char* what;
    std::vector<TextRun> runs;
    swf::Matrix matrix;
    std::vector<Probe> probes;
  };
  const uint32_t kRed = 0xFFFF0000;
  const std::vector<Case> cases = {
      {"position: the square sits on the baseline at x",
       {{1, red, 200, 400, 200, {{0, 0}}}}, {},
       {{15, 15, kRed}, {10, 10, kRed}, {19, 19, kRed}, {9, 15, 0}, {20, 15, 0}, {15, 9, 0}, {15, 20, 0}}},
      {"advance: the second glyph starts one advance on",
       {{1, red, 200, 400, 200, {{0, 400}, {0, 0}}}}, {},
       {{15, 15, kRed}, {25, 15, 0}, {30, 15, kRed}, {39, 15, kRed}, {40, 15, 0}}},
      {"height scales the em square", {{1, red, 200, 600, 400, {{0, 0}}}}, {},
       {{10, 10, kRed}, {29, 29, kRed}, {30, 15, 0}, {15, 9, 0}}},
      {"colour with alpha, premultiplied", {{1, {0, 0, 255, 128}, 200, 400, 200, {{0, 0}}}}, {},
       {{15, 15, 0x80000080}}},
      {"the text's matrix moves and scales the glyphs", {{1, red, 0, 200, 200, {{0, 0}}}}, {2, 0, 0, 1, 400, 200},
       {{20, 15, kRed}, {39, 15, kRed}, {19, 15, 0}, {40, 15, 0}}},
      {"triangle: its apex is narrow, its base wide", {{1, red, 200, 400, 200, {{1, 0}}}}, {},
       {{15, 18, kRed}, {11, 11, 0}, {19, 12, 0}, {12, 19, kRed}, {18, 19, kRed}}},
      {"a glyph past the font and a missing font draw nothing, later glyphs still do",
       {{1, red, 200, 400, 200, {{7, 400}, {0, 0}}}, {9, red, 600, 400, 200, {{0, 0}}}}, {},
       {{15, 15, 0}, {35, 15, kRed}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    swf::StaticText text;
    text.bounds = {0, -400, 2000, 1000};
    text.matrix = c.matrix;
    text.runs = c.runs;
    const auto px = Draw(text);
    for (const Probe& p : c.probes)
      EXPECT_EQ(px[static_cast<size_t>(p.y * 100 + p.x)], p.pixel) << "at " << p.x << "," << p.y;
  }
}

// Static text takes the mouse inside its bounds, through the matrix it is
// placed with; inside a button's hit state it is the button's area.
TEST(RenderStaticText, HitsFollowTheBounds) {
  swf::Movie m;
  swf::StaticText text;
  text.bounds = {0, -200, 1000, 100};
  m.dictionary.emplace(2, text);
  swf::Button button;
  swf::ButtonRecord hitArea;
  hitArea.hit = true;
  hitArea.characterId = 2;
  hitArea.matrix = {1, 0, 0, 1, 500, 0};
  button.records.push_back(hitArea);
  m.dictionary.emplace(3, button);
  const struct {
    uint16_t id;
    swf::Matrix matrix;
    swf::Point point;
    bool hit;
  } cases[] = {
      {2, {}, {10, -190}, true},      {2, {}, {990, 90}, true},       {2, {}, {1010, 0}, false},
      {2, {}, {500, -210}, false},    {2, {2, 0, 0, 2, 0, 0}, {1990, 190}, true},
      {2, {0, 0, 0, 0, 0, 0}, {0, 0}, false},  // a matrix without an inverse hits nothing
      {3, {}, {1400, 0}, true},       {3, {}, {400, 0}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(swf::detail::HitCharacter(m, c.id, c.matrix, c.point), c.hit) << c.id << " " << c.point.x << "," << c.point.y;
}

}  // namespace
