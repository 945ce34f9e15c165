// swfc's blend modes, filters, caching and scaling grids: the content movie
// (tests/content/effects.txt) played, and what the language refuses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "renderers/engine/player.h"
#include "renderers/engine/reader.h"
#include "renderers/engine/writer.h"
#include "tools/swfc/compile.h"

namespace {

std::string ContentText() {
  const auto dir = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "content";
  std::ifstream f(dir / "effects.txt", std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

bool Near(uint32_t A, uint32_t B) {
  for (int s = 0; s < 32; s += 8)
    if (std::abs(static_cast<int>(A >> s & 0xFF) - static_cast<int>(B >> s & 0xFF)) > 2) return false;
  return true;
}

TEST(SwfcEffects, ContentMovieShowsEachEffect) {
  const std::string text = ContentText();
  ASSERT_FALSE(text.empty());
  const std::vector<uint8_t> bytes = swfc::Compile(text);
  const auto movie = swf::LoadMovie(bytes.data(), bytes.size());
  ASSERT_EQ(movie->scalingGrids.size(), 1u);
  swf::MoviePlayer p(movie);
  p.SetViewport(200, 150);
  std::vector<uint32_t> px(200 * 150);
  p.Render({px.data(), 200, 150, 200 * 4}, {0, 0, 200, 150}, false);
  const struct {
    const char* what;
    int x, y;
    uint32_t expect;
  } cases[] = {
      {"multiply: grey over blue", 15, 15, 0xFF000080},
      {"drop shadow beside the square", 82, 15, 0xFF000000},
      {"beyond the shadow", 87, 15, 0xFFFFFFFF},
      {"glow: the square over it", 120, 20, 0xFFFF0000},
      {"colour matrix: red made blue", 20, 70, 0xFF0000FF},
      {"scaling grid: the corner keeps its size", 115, 65, 0xFFFF0000},
      {"scaling grid: past the corner", 125, 65, 0xFF0000FF},
      {"scaling grid: the panel stretched", 185, 95, 0xFF0000FF},
  };
  for (const auto& c : cases)
    EXPECT_TRUE(Near(px[static_cast<size_t>(c.y * 200 + c.x)], c.expect))
        << c.what << ": " << std::hex << px[static_cast<size_t>(c.y * 200 + c.x)];
  // The blur spreads past the square's edge; the glow lies around it in green.
  EXPECT_GT(px[15 * 200 + 162] >> 8 & 0xFF, 0u);    // white shows inside the edge
  EXPECT_LT(px[15 * 200 + 158] >> 8 & 0xFF, 255u);  // red outside it
  EXPECT_GT(px[20 * 200 + 108] >> 8 & 0xFF, px[20 * 200 + 108] >> 16 & 0xFF);
}

TEST(SwfcEffects, MistakesAreReportedWithTheirLine) {
  const std::string shapes = "shape s\n  fill f solid red\n  rect 0 0 10 10 fill f\nend\nsprite t\n  place s 1\nend\n";
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"place s 1 blend shiny\n", "unknown blend mode"},
      {"place s 1 filter sparkle\n", "unknown filter"},
      {"place s 1 filter blur 300 1\n", "outside"},
      {"place s 1 version 2 blend add\n", "version 3"},
      {"grid s 1 1 5 5\n", "only sprites and buttons"},
      {"grid t 5 5 1 1\n", "right > left"},
      {"place s 1 filter colormatrix 1 0 0\n", "colour matrix value"},
  };
  for (const auto& c : cases) {
    try {
      swfc::Parse(shapes + c.text);
      ADD_FAILURE() << c.text << " compiled";
    } catch (const swfc::CompileError& e) {
      EXPECT_EQ(e.line(), 8) << c.text;
      EXPECT_NE(e.message().find(c.message), std::string::npos) << c.text << ": " << e.message();
    }
  }
}

TEST(SwfcEffects, EffectsSurviveWritingAndReading) {
  const swf::Movie m = swfc::Parse(
      "shape s\n  fill f solid red\n  rect 0 0 10 10 fill f\nend\n"
      "place s 1 blend hardlight cache filter blur 2 3 passes 3 filter dropshadow #10203040 4 5 90 strength 1.5 "
      "inner knockout hide filter glow white 6 filter bevel black white 2 3 45 full filter colormatrix "
      "1 0 0 0 0 0 1 0 0 0 0 0 1 0 0 0 0 0 0.5 0\nmove 1 blend normal\n");
  const std::vector<uint8_t> bytes = swf::WriteMovie(m, false);
  const auto back = swf::LoadMovie(bytes.data(), bytes.size());
  const auto& tags = back->timeline.frames.at(0).tags;
  const auto& first = std::get<swf::PlaceObject>(tags.at(0));
  const auto& source = std::get<swf::PlaceObject>(m.timeline.frames.at(0).tags.at(0));
  EXPECT_EQ(first.tagVersion, 3);
  EXPECT_EQ(first.blendMode, swf::BlendMode::HardLight);
  EXPECT_EQ(first.cacheAsBitmap, true);
  ASSERT_TRUE(first.filters && source.filters);
  ASSERT_EQ(first.filters->size(), 5u);
  for (size_t i = 0; i < 5; ++i) EXPECT_TRUE(first.filters->at(i) == source.filters->at(i)) << i;
  const auto& moved = std::get<swf::PlaceObject>(tags.at(1));
  EXPECT_EQ(moved.blendMode, swf::BlendMode::Normal);
  EXPECT_FALSE(moved.filters.has_value());
}

}  // namespace
