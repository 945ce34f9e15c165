// Changed rectangles are joined where that repaints no more pixels.
#include <gtest/gtest.h>

#include "renderers/engine/src/player/player_state.h"

namespace {

using swf::IntRect;
using swf::detail::MergeRects;

TEST(MergeRects, JoinsOverlapsAndNeighboursButNotDistantRectangles) {
  std::vector<IntRect> r{{0, 0, 10, 10}, {5, 5, 15, 15}, {100, 100, 110, 110}};
  MergeRects(r);
  // The union of the first two (225 px) paints more than the two apart (200 px): kept apart.
  EXPECT_EQ(r.size(), 3u);

  r = {{0, 0, 10, 10}, {2, 0, 12, 10}, {100, 100, 110, 110}};
  MergeRects(r);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0], (IntRect{0, 0, 12, 10}));
  EXPECT_EQ(r[1], (IntRect{100, 100, 110, 110}));

  r = {{0, 0, 10, 10}, {10, 0, 20, 10}, {0, 10, 20, 20}};  // tiles of one square
  MergeRects(r);
  EXPECT_EQ(r, (std::vector<IntRect>{{0, 0, 20, 20}}));

  r = {{0, 0, 100, 100}, {10, 10, 20, 20}};  // inside another
  MergeRects(r);
  EXPECT_EQ(r, (std::vector<IntRect>{{0, 0, 100, 100}}));
}

TEST(MergeRects, ManyRectanglesBecomeTheirBoundingBox) {
  std::vector<IntRect> r;
  for (int i = 0; i < 300; ++i) r.push_back({i * 20, 0, i * 20 + 5, 5});
  MergeRects(r);
  EXPECT_EQ(r, (std::vector<IntRect>{{0, 0, 299 * 20 + 5, 5}}));
  std::vector<IntRect> none;
  MergeRects(none);
  EXPECT_TRUE(none.empty());
}

}  // namespace
