// Compositing into the target: transparent versus opaque, the clip
// rectangle, the stride, and masks.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/portable/engine/render_helpers.h"

using namespace render_test;
using swf::SceneNode;
using swf::Shape;

TEST(RenderComposite, TransparentBlendsOverTheTargetOpaqueOverTheBackground) {
  const Shape s = ShapeOf({Solid({255, 0, 0, 128})}, {Box(1, 1, 2, 2, 0, 1)});
  const uint32_t under = 0x80402010u;  // valid premultiplied
  Canvas t(3, 3, under);
  Draw(t, {Node(s)});
  // Source (128, 0, 0, 128) premultiplied over the old pixel.
  EXPECT_NEAR(t.alpha(1, 1), 128 + 0x80 * 127 / 255.0, 1);
  EXPECT_NEAR(t.red(1, 1), 128 + 0x40 * 127 / 255.0, 1);
  EXPECT_NEAR(t.green(1, 1), 0x20 * 127 / 255.0, 1);
  EXPECT_NEAR(t.blue(1, 1), 0x10 * 127 / 255.0, 1);
  EXPECT_EQ(t.at(0, 0), under);  // untouched where nothing is drawn

  Canvas o(3, 3, under);
  Draw(o, {Node(s)}, {}, false, {0, 0, 3, 3}, {0, 0, 255, 128});
  EXPECT_EQ(o.at(0, 0), 0xFF0000FFu);  // the background, opaque whatever its alpha
  EXPECT_EQ(o.alpha(1, 1), 255u);
  EXPECT_NEAR(o.red(1, 1), 128, 1);
  EXPECT_NEAR(o.blue(1, 1), 127, 1);
}

TEST(RenderComposite, NothingIsWrittenOutsideTheClipOrTheRows) {
  const Shape s = ShapeOf({Solid(kRed)}, {Box(-5, -5, 50, 50, 0, 1)});
  const uint32_t sentinel = 0x12345678u;
  // Rows three pixels longer than the width: the padding must survive.
  Canvas c(10, 8, sentinel, 3);
  Draw(c, {Node(s)}, {}, true, {2, 3, 6, 5});
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 13; ++x) {
      const bool inside = x >= 2 && x < 6 && y >= 3 && y < 5;
      ASSERT_EQ(c.at(x, y), inside ? 0xFFFF0000u : sentinel) << x << "," << y;
    }
  // Opaque mode fills only the clip too; a clip beyond the target is cut to it.
  Canvas o(10, 8, sentinel, 3);
  Draw(o, {}, {}, false, {7, -4, 40, 2}, kBlue);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 13; ++x) {
      const bool inside = x >= 7 && x < 10 && y < 2;
      ASSERT_EQ(o.at(x, y), inside ? 0xFF0000FFu : sentinel) << x << "," << y;
    }
  // A target that is not a buffer is left alone.
  swf::RenderTarget bad = c.target();
  bad.strideBytes = 4;  // shorter than a row
  swf::RenderScene({Node(s)}, {}, kStage, bad, {0, 0, 10, 8}, false, kBlue);
  EXPECT_EQ(c.at(0, 0), sentinel);
}

TEST(RenderComposite, ClippedRenderingMatchesTheWholeFrame) {
  // Rendering a frame in pieces gives the same pixels as rendering it whole.
  Shape s = ShapeOf({Solid({10, 200, 30, 200}), Solid(kBlue)},
                    {Box(1.3, 2.7, 17.2, 13.9, 0, 1), Box(5.5, 4.1, 11.6, 9.4, 1, 2)},
                    {{30, {0, 0, 0, 180}}});
  s.paths[0].line = 1;
  // Curves reaching out of the pieces and out of the target, stroked.
  swf::Path blob{0, 1, 1, P(-6, 8), {Curve(10, -12, 26, 8), Curve(10, 30, -6, 8)}};
  swf::FillStyle radial;
  radial.type = swf::FillType::FocalRadialGradient;
  radial.focalPoint = -0.3;
  radial.spread = swf::SpreadMode::Reflect;
  radial.gradient = {{0, {200, 30, 30, 150}}, {255, {20, 30, 200, 250}}};
  radial.matrix = {0.013, 0.004, -0.004, 0.013, 9 * kTw, 8 * kTw};
  const Shape curves = ShapeOf({radial}, {blob}, {{45, {0, 0, 90, 200}}});
  const std::vector<SceneNode> scene{Node(s, 1), Node(curves, 2)};
  Canvas whole(20, 16, 0xFF808080u), parts(20, 16, 0xFF808080u);
  Draw(whole, scene);
  Draw(parts, scene, {}, true, {0, 0, 7, 16});
  Draw(parts, scene, {}, true, {7, 0, 20, 5});
  Draw(parts, scene, {}, true, {7, 5, 20, 16});
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 20; ++x) EXPECT_EQ(whole.at(x, y), parts.at(x, y)) << x << "," << y;
}

namespace {

// A 10 x 4 scene: a mask at depth 1 over the left 5.5 pixels (drawn in
// green, which must never show), red everywhere at depth 2, blue over the
// bottom two rows at depth 3.
struct MaskScene {
  Shape mask = ShapeOf({Solid(kGreen)}, {Box(0, 0, 5.5, 4, 0, 1)});
  Shape red = ShapeOf({Solid(kRed)}, {Box(0, 0, 10, 4, 0, 1)});
  Shape blue = ShapeOf({Solid(kBlue)}, {Box(0, 2, 10, 4, 0, 1)});
  std::vector<SceneNode> Nodes(uint16_t ClipDepth) const {
    SceneNode m = Node(mask, 1);
    m.clipDepth = ClipDepth;
    return {m, Node(red, 2), Node(blue, 3)};
  }
};

}  // namespace

TEST(RenderMask, MasksTheDepthsUpToItsClipDepth) {
  MaskScene scene;
  Canvas c(10, 4);
  Draw(c, scene.Nodes(2));
  EXPECT_EQ(c.at(2, 0), 0xFFFF0000u);
  EXPECT_NEAR(c.alpha(5, 0), 128, 1);  // the mask's anti-aliased edge
  EXPECT_EQ(c.at(7, 0), 0u);
  EXPECT_EQ(c.at(7, 2), 0xFF0000FFu);  // depth 3 is beyond the clip depth
  EXPECT_EQ(c.at(2, 3), 0xFF0000FFu);
  for (uint32_t p : c.px) EXPECT_EQ(p >> 8 & 0xFF, 0u);  // the mask is not drawn

  Canvas d(10, 4);
  Draw(d, scene.Nodes(3));  // now both are masked
  EXPECT_EQ(d.at(7, 2), 0u);
  EXPECT_EQ(d.at(2, 3), 0xFF0000FFu);
}

TEST(RenderMask, MasksNestInsideSprites) {
  // Outer mask: the left 5 pixels. Inside the masked sprite its own mask
  // keeps the top two rows. Red shows only where both allow.
  const Shape left = ShapeOf({Solid(kGreen)}, {Box(0, 0, 5, 4, 0, 1)});
  const Shape top = ShapeOf({Solid(kGreen)}, {Box(0, 0, 10, 2, 0, 1)});
  const Shape red = ShapeOf({Solid(kRed)}, {Box(0, 0, 10, 4, 0, 1)});
  SceneNode outer = Node(left, 1);
  outer.clipDepth = 5;
  SceneNode sprite;
  sprite.depth = 2;
  SceneNode inner = Node(top, 1);
  inner.clipDepth = 2;
  sprite.children = {inner, Node(red, 2)};
  Canvas c(10, 4);
  Draw(c, {outer, sprite});
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(c.at(x, y), x < 5 && y < 2 ? 0xFFFF0000u : 0u) << x << "," << y;

  // A mask inside a masked range masks only within the outer one.
  SceneNode innerSibling = Node(top, 3);
  innerSibling.clipDepth = 4;
  Canvas d(10, 4);
  Draw(d, {outer, Node(red, 2), innerSibling, Node(red, 4)});
  EXPECT_EQ(d.at(2, 3), 0xFFFF0000u);  // depth 2: outer mask only
  EXPECT_EQ(d.at(7, 0), 0u);           // depth 4 needs both masks
}

TEST(RenderMask, SpriteMasksAndTranslucentMaskFillsMaskByShape) {
  // A mask that is a sprite masks with the union of its shapes; a mask
  // shape's fill colour and alpha play no part.
  const Shape a = ShapeOf({Solid({0, 0, 0, 10})}, {Box(0, 0, 3, 4, 0, 1)});
  const Shape b = ShapeOf({Solid({0, 0, 0, 10})}, {Box(7, 0, 10, 4, 0, 1)});
  const Shape red = ShapeOf({Solid(kRed)}, {Box(0, 0, 10, 4, 0, 1)});
  SceneNode mask;
  mask.depth = 1;
  mask.clipDepth = 2;
  mask.children = {Node(a, 1), Node(b, 2)};
  Canvas c(10, 4);
  Draw(c, {mask, Node(red, 2)});
  EXPECT_EQ(c.at(1, 1), 0xFFFF0000u);
  EXPECT_EQ(c.at(8, 1), 0xFFFF0000u);
  EXPECT_EQ(c.at(5, 1), 0u);
}

TEST(RenderComposite, AStrokeChangesOnlyThePixelsItReaches) {
  // A translucent quadrilateral with anti-aliased sides, stroked along its
  // top side only: every pixel the stroke does not come near is the same as
  // with no stroke at all, edges included; where it does, it shows.
  const std::vector<swf::Point> corners{{2.3, 3.6}, {17.7, 2.2}, {16.4, 13.1}, {3.2, 12.8}};
  auto shape = [&](bool Stroked) {
    std::vector<swf::Path> paths;
    for (size_t i = 0; i < corners.size(); ++i) {
      const swf::Point a = corners[i], b = corners[(i + 1) % corners.size()];
      paths.push_back({0, 1, Stroked && i == 0 ? 1u : 0u, P(a.x, a.y), {Line(b.x, b.y)}});
    }
    return ShapeOf({Solid({200, 40, 90, 160})}, paths, {{static_cast<uint16_t>(2 * kTw), {10, 10, 250, 200}}});
  };
  const Shape plain = shape(false), stroked = shape(true);
  Canvas a(20, 16, 0xFF808080u), b(20, 16, 0xFF808080u);
  Draw(a, {Node(plain)});
  Draw(b, {Node(stroked)});
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 20; ++x) {
      // Distance of the pixel's centre from the top side's line.
      const double dx = corners[1].x - corners[0].x, dy = corners[1].y - corners[0].y;
      const double d = std::fabs((x + 0.5 - corners[0].x) * dy - (y + 0.5 - corners[0].y) * dx) / std::hypot(dx, dy);
      if (d > 2.5) {
        EXPECT_EQ(b.at(x, y), a.at(x, y)) << x << "," << y;
      }
      if (d < 0.5 && x > 3 && x < 17) {
        EXPECT_GT(b.blue(x, y), 120u) << x << "," << y;
      }
    }
}
