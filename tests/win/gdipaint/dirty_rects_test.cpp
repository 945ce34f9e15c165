// The frame layer's dirty set: what a paint takes is exactly the dirty part
// of its area, the rest stays dirty, pieces never overlap, and folding into a
// bounding box only ever adds.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "renderers/gdipaint/dirty_rects.h"

namespace {

using swf::IntRect;
using swfwin::DirtyRects;

constexpr int kW = 48, kH = 40;

// A pixel map of the dirty set, to compare the rectangles with.
struct Model {
  std::vector<int> cells = std::vector<int>(kW * kH, 0);
  void Mark(const IntRect& R, int V) {
    const IntRect c = R.Intersect({0, 0, kW, kH});
    for (int y = c.top; y < c.bottom; ++y)
      for (int x = c.left; x < c.right; ++x) cells[y * kW + x] = V;
  }
};

// How many times each pixel is covered by Rects.
std::vector<int> Coverage(const std::vector<IntRect>& Rects) {
  std::vector<int> out(kW * kH, 0);
  for (const IntRect& r : Rects)
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) ++out[y * kW + x];
  return out;
}

TEST(DirtyRects, SubtractingAHoleLeavesTheRestOnce) {
  const struct {
    IntRect r, hole;
    size_t pieces;
  } cases[] = {
      {{0, 0, 10, 10}, {3, 3, 6, 6}, 4},     // a hole in the middle
      {{0, 0, 10, 10}, {-5, -5, 20, 20}, 0},  // covered
      {{0, 0, 10, 10}, {20, 20, 30, 30}, 1},  // apart
      {{0, 0, 10, 10}, {0, 0, 10, 4}, 1},     // the top band
      {{0, 0, 10, 10}, {5, -1, 11, 11}, 1},   // the right half
      {{0, 0, 10, 10}, {2, 2, 12, 4}, 3},
  };
  for (const auto& c : cases) {
    std::vector<IntRect> out;
    swfwin::SubtractRect(c.r, c.hole, out);
    EXPECT_EQ(out.size(), c.pieces);
    const std::vector<int> cover = Coverage(out);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 10; ++x) {
        const bool inHole = !IntRect{x, y, x + 1, y + 1}.Intersect(c.hole).Empty();
        ASSERT_EQ(cover[y * kW + x], inHole ? 0 : 1) << x << "," << y;
      }
  }
}

TEST(DirtyRects, TakesExactlyTheDirtyPartOfAnAreaAgainstAPixelModel) {
  std::mt19937 random(11);
  auto between = [&](int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(random); };
  auto rect = [&] {
    const int x = between(-4, kW), y = between(-4, kH);
    return IntRect{x, y, x + between(0, 20), y + between(0, 20)};
  };
  for (int round = 0; round < 40; ++round) {
    DirtyRects dirty;
    Model model;
    for (int step = 0; step < 30; ++step) {
      if (between(0, 2)) {
        const IntRect r = rect().Intersect({0, 0, kW, kH});
        dirty.Add(r);
        model.Mark(r, 1);
      } else {
        const IntRect area = rect();
        Model taken;
        for (const IntRect& r : dirty.Take(area)) taken.Mark(r, 1);
        // Every dirty pixel of the area is taken; what was folded in may be too.
        for (int i = 0; i < kW * kH; ++i) {
          const bool inArea = !IntRect{i % kW, i / kW, i % kW + 1, i / kW + 1}.Intersect(area).Empty();
          if (inArea && model.cells[i]) {
            ASSERT_TRUE(taken.cells[i]) << "round " << round << " step " << step;
          }
          if (!inArea) {
            ASSERT_FALSE(taken.cells[i]);
          }
        }
        model.Mark(area, 0);
      }
      const std::vector<int> cover = Coverage(dirty.rects());
      for (int i = 0; i < kW * kH; ++i) {
        ASSERT_LE(cover[i], 1) << "pieces overlap";
        if (model.cells[i]) {
          ASSERT_EQ(cover[i], 1) << "a dirty pixel was lost";
        }
      }
    }
  }
}

TEST(DirtyRects, ManyPiecesFoldIntoTheirBoundingBox) {
  DirtyRects dirty;
  for (int i = 0; i <= int(DirtyRects::kMaxRects); ++i) dirty.Add({2 * i, 0, 2 * i + 1, 1});
  ASSERT_EQ(dirty.rects().size(), 1u);
  EXPECT_EQ(dirty.rects()[0], (IntRect{0, 0, 2 * int(DirtyRects::kMaxRects) + 1, 1}));
  EXPECT_TRUE(dirty.Take({0, 0, 100, 100}).size() == 1 && dirty.Empty());
  dirty.Add({});
  EXPECT_TRUE(dirty.Empty());
}

}  // namespace
