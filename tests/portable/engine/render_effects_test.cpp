// Blend modes, filters and layers: each blend mode on a few colour and alpha
// pairs, each filter on a small square, and nodes drawn through layers.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "render_helpers.h"
#include "renderers/engine/src/render/blend_modes.h"
#include "renderers/engine/src/render/filters.h"

using namespace render_test;
using swf::BlendMode;
using swf::render::Image;

namespace {

struct BlendCase {
  BlendMode mode;
  uint32_t dst, src, expect;
};

TEST(RenderBlendModes, EachModeOnColourAndAlphaPairs) {
  const BlendCase cases[] = {
      {BlendMode::Normal, 0xFF0000FF, 0x80800000, 0xFF80007F},
      {BlendMode::Layer, 0x00000000, 0x80800000, 0x80800000},
      {BlendMode::Multiply, 0xFFFF0000, 0xFF808080, 0xFF800000},
      {BlendMode::Multiply, 0x00000000, 0xFF808080, 0xFF808080},  // nothing below: the layer
      {BlendMode::Multiply, 0xFFFFFFFF, 0x80404040, 0xFFBFBFBF},  // half covered
      {BlendMode::Screen, 0xFFFF0000, 0xFF808080, 0xFFFF8080},
      {BlendMode::Lighten, 0xFFFF0000, 0xFF808080, 0xFFFF8080},
      {BlendMode::Darken, 0xFFFF0000, 0xFF808080, 0xFF800000},
      {BlendMode::Difference, 0xFFFF0000, 0xFF808080, 0xFF7F8080},
      {BlendMode::Add, 0xFFFF4000, 0xFF808080, 0xFFFFC080},
      {BlendMode::Subtract, 0xFFFF4000, 0xFF808080, 0xFF7F0000},
      {BlendMode::Invert, 0xFFFF4000, 0xFF123456, 0xFF00BFFF},
      {BlendMode::Invert, 0xFFFF4000, 0x00000000, 0xFFFF4000},
      {BlendMode::Alpha, 0xFFFF0000, 0x80000000, 0x80800000},
      {BlendMode::Alpha, 0xFFFF0000, 0xFF000000, 0xFFFF0000},
      {BlendMode::Erase, 0xFFFF0000, 0x80000000, 0x7F7F0000},
      {BlendMode::Erase, 0xFFFF0000, 0xFF000000, 0x00000000},
      {BlendMode::Overlay, 0xFF404040, 0xFF808080, 0xFF404040},
      {BlendMode::Overlay, 0xFFC0C0C0, 0xFF808080, 0xFFC0C0C0},
      {BlendMode::HardLight, 0xFF808080, 0xFF404040, 0xFF404040},
      {BlendMode::HardLight, 0xFF808080, 0xFFC0C0C0, 0xFFC0C0C0},
  };
  for (const BlendCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.mode));
    uint32_t dst = c.dst;
    swf::render::BlendRow(c.mode, &dst, &c.src, nullptr, 1);
    for (int shift = 0; shift < 32; shift += 8)
      EXPECT_NEAR(static_cast<int>(dst >> shift & 0xFF), static_cast<int>(c.expect >> shift & 0xFF), 1)
          << std::hex << dst << " expected " << c.expect;
    // A mask of nothing leaves the target alone.
    dst = c.dst;
    const uint8_t none = 0;
    swf::render::BlendRow(c.mode, &dst, &c.src, &none, 1);
    if (c.mode != BlendMode::Alpha) {
      EXPECT_EQ(dst, c.dst);
    }
  }
}

// A 20x20 image with an opaque Colour square over [6, 10) both ways.
Image Square(uint32_t Colour = 0xFFFF0000) {
  Image img(20, 20);
  for (int y = 6; y < 10; ++y)
    for (int x = 6; x < 10; ++x) img.pixels[static_cast<size_t>(y * 20 + x)] = Colour;
  return img;
}
uint32_t At(const Image& I, int X, int Y) { return I.pixels[static_cast<size_t>(Y * I.width + X)]; }

TEST(RenderFilters, BlurSpreadsAndKeepsTheTotal) {
  for (int passes : {1, 2, 3}) {
    Image img = Square(0xFFFFFFFF);
    swf::render::ApplyFilter(swf::BlurFilter{4, 2, static_cast<uint8_t>(passes)}, img, 1, 1);
    double total = 0;
    for (uint32_t p : img.pixels) total += p >> 24;
    EXPECT_NEAR(total, 16 * 255, 16 * 255 * 0.03) << passes;
    // A radius of 2 across and 1 down a pass.
    EXPECT_GT(At(img, 6 - 2 * passes, 7) >> 24, 0u) << passes;
    EXPECT_EQ(At(img, 5 - 2 * passes, 7) >> 24, 0u) << passes;
    EXPECT_GT(At(img, 7, 6 - passes) >> 24, 0u) << passes;
    EXPECT_EQ(At(img, 7, 5 - passes) >> 24, 0u) << passes;
    EXPECT_LT(At(img, 7, 7) >> 24, 255u);
    for (uint32_t p : img.pixels) EXPECT_EQ(p & 0xFF, p >> 24);  // stays validly premultiplied grey
  }
}

struct ShadowCase {
  const char* what;
  swf::DropShadowFilter filter;
  // Pixels along row 7 at x = 5, 7, 8, 11, 13.
  uint32_t expect[5];
};

TEST(RenderFilters, DropShadowOffsetInnerKnockoutAndHidden) {
  const uint32_t R = 0xFFFF0000, K = 0xFF000000, O = 0;
  swf::DropShadowFilter base;
  base.color = {0, 0, 0, 255};
  base.distance = 3;  // angle 0: to the right
  const auto with = [&](bool inner, bool knockout, bool composite, double distance) {
    swf::DropShadowFilter f = base;
    f.inner = inner;
    f.knockout = knockout;
    f.compositeSource = composite;
    f.distance = distance;
    return f;
  };
  const ShadowCase cases[] = {
      {"outer", with(false, false, true, 3), {O, R, R, K, O}},
      {"outer knockout", with(false, true, true, 3), {O, O, O, K, O}},
      {"outer hidden object", with(false, false, false, 3), {O, O, O, K, O}},
      {"inner", with(true, false, true, 2), {O, K, R, O, O}},
      {"inner knockout", with(true, true, true, 2), {O, K, O, O, O}},
  };
  for (const ShadowCase& c : cases) {
    SCOPED_TRACE(c.what);
    Image img = Square();
    swf::render::ApplyFilter(c.filter, img, 1, 1);
    const int xs[] = {5, 7, 8, 11, 13};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(At(img, xs[i], 7), c.expect[i]) << "x " << xs[i];
  }
  // Filter sizes follow the stage's scale: at twice the size the shadow lies twice as far.
  Image img = Square();
  swf::render::ApplyFilter(with(false, true, true, 3), img, 2, 2);
  EXPECT_EQ(At(img, 11, 7), O);
  EXPECT_EQ(At(img, 14, 7), K);
}

TEST(RenderFilters, GlowAndBevelLightTheirSides) {
  swf::GlowFilter glow;
  glow.color = {0, 255, 0, 255};
  glow.blurX = glow.blurY = 4;
  Image img = Square();
  swf::render::ApplyFilter(glow, img, 1, 1);
  EXPECT_EQ(At(img, 7, 7), 0xFFFF0000u);       // the square over its glow
  EXPECT_GT(At(img, 5, 7) >> 8 & 0xFF, 0u);    // green around it
  EXPECT_EQ(At(img, 5, 7) >> 16 & 0xFF, 0u);
  EXPECT_EQ(At(img, 2, 7), 0u);                // beyond its reach

  swf::BevelFilter bevel;
  bevel.highlightColor = {255, 255, 255, 255};
  bevel.shadowColor = {0, 0, 0, 255};
  bevel.blurX = bevel.blurY = 2;
  bevel.distance = 1;
  bevel.angle = 0.785398;  // light from the top left
  bevel.inner = true;
  bevel.knockout = true;
  img = Square(0xFF808080);
  swf::render::ApplyFilter(bevel, img, 1, 1);
  EXPECT_GT(At(img, 6, 6) & 0xFF, 128u);  // highlight: white
  EXPECT_LT(At(img, 9, 9) & 0xFF, 10u);   // shade: black
  EXPECT_GT(At(img, 9, 9) >> 24, 0u);
  EXPECT_EQ(At(img, 4, 4), 0u);           // an inner bevel stays inside
}

TEST(RenderFilters, ColourMatrixAndConvolution) {
  const uint32_t half = 0x80400000;  // half-transparent red
  Image img = Square();
  img.pixels[0] = half;
  swf::render::ApplyFilter(swf::ColorMatrixFilter{}, img, 1, 1);
  EXPECT_EQ(At(img, 7, 7), 0xFFFF0000u);
  EXPECT_NEAR(static_cast<double>(img.pixels[0] >> 16 & 0xFF), 0x40, 1);
  swf::ColorMatrixFilter swap;  // red and blue swapped, alpha halved
  swap.matrix = {0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0.5f, 0};
  swf::render::ApplyFilter(swap, img, 1, 1);
  EXPECT_NEAR(static_cast<double>(At(img, 7, 7) >> 24), 128, 1);
  EXPECT_NEAR(static_cast<double>(At(img, 7, 7) & 0xFF), 128, 1);
  EXPECT_EQ(At(img, 7, 7) >> 16 & 0xFF, 0u);

  swf::ConvolutionFilter identity{3, 3, 1, 0, {0, 0, 0, 0, 1, 0, 0, 0, 0}, {0, 0, 0, 0}, true, false};
  img = Square();
  const Image before = img;
  swf::render::ApplyFilter(identity, img, 1, 1);
  EXPECT_EQ(img.pixels, before.pixels);
  swf::ConvolutionFilter box{3, 3, 9, 0, std::vector<float>(9, 1), {0, 0, 0, 0}, false, false};
  swf::render::ApplyFilter(box, img, 1, 1);
  EXPECT_EQ(At(img, 7, 7), 0xFFFF0000u);                                  // inside: unchanged
  EXPECT_NEAR(static_cast<double>(At(img, 5, 5) >> 24), 255.0 / 9, 1);   // a corner's neighbour
  EXPECT_NEAR(static_cast<double>(At(img, 6, 6) >> 24), 255.0 * 4 / 9, 1);
}

// ---- Through the scene ----

const swf::Shape& RedSquare() {
  static const swf::Shape s = ShapeOf({Solid(kRed)}, {Box(10, 10, 20, 20, 0, 1)});
  return s;
}

swf::SceneNode Sprite(std::vector<swf::SceneNode> Children, uint16_t Depth = 1) {
  swf::SceneNode n;
  n.children = std::move(Children);
  n.depth = Depth;
  return n;
}

TEST(RenderLayers, BlendModesFiltersAndParentLayers) {
  // Multiply over blue: black where the red square is.
  {
    Canvas c(32, 32, 0xFF0000FF);
    swf::SceneNode n = Node(RedSquare());
    n.blendMode = BlendMode::Multiply;
    Draw(c, {n});
    EXPECT_EQ(c.at(15, 15), 0xFF000000u);
    EXPECT_EQ(c.at(5, 5), 0xFF0000FFu);
  }
  // A drop shadow falls outside the shape's own bounds, and those bounds
  // (for repainting) grow to hold it; at twice the stage scale it lies twice as far.
  {
    Canvas c(40, 40);
    swf::SceneNode n = Node(RedSquare());
    swf::DropShadowFilter f;
    f.distance = 4;
    n.filters = std::make_shared<const std::vector<swf::Filter>>(std::vector<swf::Filter>{f});
    Draw(c, {n});
    EXPECT_EQ(c.at(22, 15), 0xFF000000u);
    EXPECT_EQ(c.at(15, 15), 0xFFFF0000u);
    EXPECT_GE(swf::NodePixelBounds(n, kStage).right, 24);
    Canvas big(60, 60);
    swf::RenderScene({n}, {}, {2 / kTw, 0, 0, 2 / kTw, 0, 0}, big.target(), {0, 0, 60, 60}, true, {});
    EXPECT_EQ(big.at(41, 30), 0xFF000000u);
    EXPECT_EQ(big.at(44, 30), 0xFF000000u);
  }
  // Erase acts on its parent's layer: it cuts a hole in the red square and
  // the blue below shows; at the root it draws nothing.
  {
    const swf::Shape hole = ShapeOf({Solid(kBlack)}, {Box(12, 12, 16, 16, 0, 1)});
    swf::SceneNode cut = Node(hole, 2);
    cut.blendMode = BlendMode::Erase;
    Canvas c(32, 32, 0xFF0000FF);
    Draw(c, {Sprite({Node(RedSquare(), 1), cut})});
    EXPECT_EQ(c.at(14, 14), 0xFF0000FFu);
    EXPECT_EQ(c.at(18, 18), 0xFFFF0000u);
    Canvas root(32, 32, 0xFF0000FF);
    Draw(root, {Node(RedSquare(), 1), cut});
    EXPECT_EQ(root.at(14, 14), 0xFFFF0000u);
  }
  // A cached bitmap is drawn at whole pixels: a square at x = 10.5 has no
  // half-covered column.
  {
    Canvas c(32, 32);
    swf::SceneNode n = Node(RedSquare());
    n.matrix.tx = 10;  // half a pixel, in twips
    n.cacheAsBitmap = true;
    Draw(c, {n});
    EXPECT_TRUE(c.alpha(10, 15) == 255 || c.alpha(10, 15) == 0);
    EXPECT_TRUE(c.alpha(20, 15) == 255 || c.alpha(20, 15) == 0);
  }
}

}  // namespace

namespace {

// A 40x40 panel: blue with a red 10x10 corner at its top left; its grid
// leaves 10 pixels on each side.
struct GridScene {
  swf::Shape panel = ShapeOf({Solid(kBlue)}, {Box(0, 0, 40, 40, 0, 1)});
  swf::Shape corner = ShapeOf({Solid(kRed)}, {Box(0, 0, 10, 10, 0, 1)});
  swf::Rect grid{10 * kTw, 10 * kTw, 30 * kTw, 30 * kTw};
  swf::SceneNode Placed(double Sx, double Sy, bool WithGrid) {
    swf::SceneNode n = Sprite({Node(panel, 1), Node(corner, 2)});
    n.matrix = {Sx, 0, 0, Sy, 0, 0};
    if (WithGrid) n.scalingGrid = &grid;
    return n;
  }
};

TEST(RenderScalingGrid, UnscaledAsDrawnScaledCornersKeepTheirSize) {
  GridScene g;
  Canvas plain(130, 130), grid(130, 130);
  Draw(plain, {g.Placed(1, 1, false)});
  Draw(grid, {g.Placed(1, 1, true)});
  EXPECT_EQ(plain.px, grid.px);

  Canvas scaled(130, 130);
  Draw(scaled, {g.Placed(2, 3, true)});
  EXPECT_EQ(scaled.at(5, 5), 0xFFFF0000u);
  EXPECT_EQ(scaled.at(9, 9), 0xFFFF0000u);
  EXPECT_EQ(scaled.at(11, 5), 0xFF0000FFu);  // the corner did not stretch
  EXPECT_EQ(scaled.at(5, 11), 0xFF0000FFu);
  EXPECT_EQ(scaled.at(79, 119), 0xFF0000FFu);  // the whole still fills 80x120
  EXPECT_EQ(scaled.at(81, 60), 0u);
  EXPECT_EQ(scaled.at(40, 121), 0u);
}

}  // namespace
