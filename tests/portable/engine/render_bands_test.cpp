// A frame split over threads: any number of threads, and a frame drawn as
// changed rectangles, give the pixels of one thread drawing it whole.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "renderers/engine/render_bands.h"
#include "tests/portable/engine/render_helpers.h"

namespace {

using namespace render_test;

// Overlapping translucent shapes with a gradient and strokes over a 640x320
// target, large enough to be split in three.
struct BusyFrame {
  std::vector<swf::Shape> shapes;
  std::vector<swf::SceneNode> nodes;
  BusyFrame() {
    swf::FillStyle radial;
    radial.type = swf::FillType::RadialGradient;
    radial.spread = swf::SpreadMode::Repeat;
    radial.gradient = {{0, {250, 200, 10, 160}}, {255, {10, 40, 230, 230}}};
    shapes.reserve(12);
    for (int i = 0; i < 12; ++i) {
      const double x = 47.3 * i, y = 13.9 * i;
      radial.matrix = {0.01, 0.002, -0.002, 0.01, (x + 60) * kTw, (y + 40) * kTw};
      shapes.push_back(ShapeOf({i % 2 ? radial : Solid({uint8_t(6 * i), 90, 200, 170})},
                               {Polygon({{x, y}, {x + 160.4, y + 20.2}, {x + 90.7, y + 150.9}}, 0, 1, 1)},
                               {{uint16_t(30 + i), {0, 0, 0, 200}}}));
    }
    for (size_t i = 0; i < shapes.size(); ++i) nodes.push_back(Node(shapes[i], uint16_t(i + 1)));
  }
  void Draw(Canvas& C, swf::IntRect Clip) const {
    swf::RenderSceneInBands(nodes, {}, kStage, C.target(), Clip, false, kWhite);
  }
};

TEST(RenderBands, ThreadsAndChangedRectanglesGiveThePixelsOfOneThread) {
  const BusyFrame frame;
  swf::SetRenderThreads(1);
  Canvas one(640, 320, 0, 3);
  frame.Draw(one, {0, 0, 640, 320});
  for (const int threads : {3, 0}) {
    SCOPED_TRACE(threads);
    swf::SetRenderThreads(threads);
    Canvas many(640, 320, 0, 3), pieces(640, 320, 0, 3);
    frame.Draw(many, {0, 0, 640, 320});
    // Changed rectangles of odd sizes, each split again.
    for (const swf::IntRect r : {swf::IntRect{0, 0, 333, 171}, {333, 0, 640, 171}, {0, 171, 640, 320}})
      frame.Draw(pieces, r);
    EXPECT_EQ(many.px, one.px);
    EXPECT_EQ(pieces.px, one.px);
  }
  swf::SetRenderThreads(0);
}

}  // namespace
