// The cell rasteriser against the sampled reference on random shapes, its
// independence of the swept box, and lines far outside the picture.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "renderers/engine/src/render/raster.h"
#include "tests/portable/engine/reference_raster.h"

namespace {

using swf::IntRect;
using swf::Point;
using swf::render::CellRasterizer;
using swf::render::kFullCover;
using swf::render::kVaries;

constexpr int32_t kSize = 40;

// Coverage of every pixel of Box as 0..255, row by row; with Kinds, also
// how each pixel was handed on: 0 in no span, 1 in a run, 2 a pixel of its own.
std::vector<int> Coverage(CellRasterizer& R, IntRect Box, std::vector<int>* Kinds = nullptr) {
  const int32_t w = Box.right - Box.left;
  std::vector<int> out(static_cast<size_t>(w * (Box.bottom - Box.top)), 0);
  if (Kinds) Kinds->assign(out.size(), 0);
  R.Begin(Box);
  for (int32_t y = Box.top; y < Box.bottom; ++y) {
    if (!R.Row(y)) continue;
    int32_t last = 0;
    for (const swf::render::Span& s : R.spans()) {
      EXPECT_LE(last, s.x0);  // in order, apart
      EXPECT_LT(s.x0, s.x1);
      last = s.x1;
      for (int32_t x = s.x0; x < s.x1; ++x) {
        const int32_t c = s.cover == kVaries ? R.coverage()[x] : s.cover;
        out[static_cast<size_t>((y - Box.top) * w + x)] =
            static_cast<int>((int64_t{c} * 255 + kFullCover / 2) / kFullCover);
        if (Kinds) (*Kinds)[static_cast<size_t>((y - Box.top) * w + x)] = s.cover == kVaries ? 2 : 1;
      }
    }
  }
  return out;
}

std::vector<int> ReferenceCoverage(render_test::SampledRasterizer& R, IntRect Box) {
  const int32_t w = Box.right - Box.left;
  std::vector<int> out(static_cast<size_t>(w * (Box.bottom - Box.top)), 0);
  R.Begin(Box.left, Box.right, Box.top);
  for (int32_t y = Box.top; y < Box.bottom; ++y) {
    int32_t lo = 0, hi = 0;
    if (!R.Row(y, lo, hi)) continue;
    for (int32_t x = lo; x < hi; ++x)
      out[static_cast<size_t>((y - Box.top) * w + x)] =
          static_cast<int>((int64_t{R.coverage()[x]} * 255 + R.fullCover() / 2) / R.fullCover());
  }
  return out;
}

// A simple polygon around a random centre (one vertex in each of N equal
// sectors, so the centre is inside and no edges cross), wound either way,
// its vertices on the fixed-point grid when Snap.
std::vector<Point> RandomPolygon(std::mt19937& Rng, bool Snap) {
  std::uniform_real_distribution<double> centre(8, kSize - 8), radius(0.3, 12), within(0, 0.9);
  const Point c{centre(Rng), centre(Rng)};
  std::vector<double> angles(3 + Rng() % 10);
  for (size_t i = 0; i < angles.size(); ++i) angles[i] = 2 * std::numbers::pi * (i + within(Rng)) / angles.size();
  if (Rng() % 2) std::reverse(angles.begin(), angles.end());
  std::vector<Point> pts;
  for (double a : angles) {
    const double r = radius(Rng);
    Point p{c.x + r * std::cos(a), c.y + r * std::sin(a)};
    if (Snap) p = {std::round(p.x * 256) / 256, std::round(p.y * 256) / 256};
    pts.push_back(p);
  }
  return pts;
}

template <typename R>
void AddPolygon(R& Rast, const std::vector<Point>& Pts) {
  for (size_t i = 0; i < Pts.size(); ++i) Rast.AddLine(Pts[i], Pts[(i + 1) % Pts.size()]);
}

}  // namespace

TEST(CellRasterizer, MatchesTheSampledReferenceOnRandomPolygons) {
  // The reference samples 256 lines a pixel row and places their crossings
  // to 1/256 pixel; the cells give the exact area of the polygon with its
  // crossings on the 1/256 grid. The two differ by less than one part in 255
  // of a pixel, so after rounding to 8 bits by at most one.
  // Narrow boxes keep their cells in place, wide ones sort them: both.
  std::mt19937 rng(7);
  for (const IntRect box : {IntRect{0, 0, kSize, kSize}, IntRect{-60, 0, kSize + 60, kSize}}) {
    const int32_t w = box.right - box.left;
    for (int shape = 0; shape < 60; ++shape) {
      CellRasterizer cells;
      render_test::SampledRasterizer reference(256);
      const auto pts = RandomPolygon(rng, shape % 2 == 0);
      AddPolygon(cells, pts);
      AddPolygon(reference, pts);
      const auto got = Coverage(cells, box), want = ReferenceCoverage(reference, box);
      for (size_t i = 0; i < got.size(); ++i)
        ASSERT_NEAR(got[i], want[i], 1) << "width " << w << " shape " << shape << " pixel " << i % w << "," << i / w;
    }
  }
}

TEST(CellRasterizer, AxisAlignedRectanglesOnTheGridMatchExactly) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> at(-300, kSize * 256 + 300);
  for (int shape = 0; shape < 40; ++shape) {
    const double x0 = at(rng) / 256.0, x1 = at(rng) / 256.0, y0 = at(rng) / 256.0, y1 = at(rng) / 256.0;
    const std::vector<Point> pts{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    CellRasterizer cells;
    render_test::SampledRasterizer reference(256);
    AddPolygon(cells, pts);
    AddPolygon(reference, pts);
    ASSERT_EQ(Coverage(cells, {0, 0, kSize, kSize}), ReferenceCoverage(reference, {0, 0, kSize, kSize})) << shape;
  }
}

TEST(CellRasterizer, PiecesOfTheBoxGiveTheSamePixelsAsTheWhole) {
  // Polygons reaching far out of the box on every side, swept whole (wide:
  // cells sorted) and in pieces (narrow ones: cells in place; one wide):
  // every pixel must be the same, and handed on the same way.
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> far(-3 * kSize, 4 * kSize);
  constexpr int32_t kWide = 100;
  const IntRect pieces[] = {{0, 0, 13, kSize}, {13, 0, kWide, 9}, {13, 9, 14, kSize}, {14, 9, 60, kSize},
                            {60, 9, kWide, kSize}};
  for (int shape = 0; shape < 30; ++shape) {
    CellRasterizer r;
    std::vector<Point> pts(3 + rng() % 6);
    for (Point& p : pts) p = {far(rng), far(rng)};
    AddPolygon(r, pts);
    AddPolygon(r, RandomPolygon(rng, false));
    std::vector<int> wholeKinds, partKinds;
    const auto whole = Coverage(r, {0, 0, kWide, kSize}, &wholeKinds);
    for (const IntRect& p : pieces) {
      const auto part = Coverage(r, p, &partKinds);
      const int32_t w = p.right - p.left;
      for (int32_t y = p.top; y < p.bottom; ++y)
        for (int32_t x = p.left; x < p.right; ++x) {
          const size_t i = static_cast<size_t>((y - p.top) * w + x - p.left), j = static_cast<size_t>(y * kWide + x);
          ASSERT_EQ(part[i], whole[j]) << "shape " << shape << " pixel " << x << "," << y;
          ASSERT_EQ(partKinds[i], wholeKinds[j]) << "shape " << shape << " pixel " << x << "," << y;
        }
    }
  }
}

TEST(CellRasterizer, LinesFarOutsideKeepTheirWinding) {
  // Triangles whose corners lie far beyond the guard still cover the box
  // exactly as their geometry says: fully inside, nothing beyond the edge.
  struct Case {
    std::vector<Point> pts;
    int inside, outside;  // coverage at (5, 5) and at (35, 35)
  };
  const Case cases[] = {
      {{{-1e9, -1e9}, {1e9 + 40, -1e9}, {-1e9, 1e9 + 40}}, 255, 0},  // the diagonal passes through the box
      {{{-1e12, -5}, {1e12, -5}, {0, 1e12}}, 255, 255},      // covers all of it
      {{{-1e9, 20.5}, {-1e9, 30}, {-2e9, 25}}, 0, 0},        // wholly left
      {{{10, -1e9}, {10.001, 1e9}, {-1e9, 0}}, 255, 0},     // an edge through the box, ends far above and below
  };
  for (const Case& c : cases) {
    for (const bool reversed : {false, true}) {
      CellRasterizer r;
      std::vector<Point> pts = c.pts;
      if (reversed) std::reverse(pts.begin(), pts.end());
      AddPolygon(r, pts);
      const auto cov = Coverage(r, {0, 0, kSize, kSize});
      EXPECT_EQ(cov[5 * kSize + 5], c.inside) << c.pts[0].x;
      EXPECT_EQ(cov[35 * kSize + 35], c.outside) << c.pts[0].x;
    }
  }
}
