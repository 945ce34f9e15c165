#include "vt_d7/pixels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numeric>
#include <random>
#include <vector>

namespace {

using vt::FillLongword;
using vt::FillLongwordRect;

constexpr uint32_t kOld = 0x11111111;
constexpr uint32_t kNew = 0xAABBCCDD;

struct Buffer {
  int32_t w, h;
  std::vector<uint32_t> px;
  Buffer(int32_t W, int32_t H) : w(W), h(H), px(static_cast<size_t>(W) * H, kOld) {}
  uint32_t at(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
  // Every pixel inside [l,r)x[t,b) is kNew, every other one kOld.
  bool Holds(int l, int t, int r, int b) const {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        bool in = x >= l && x < r && y >= t && y < b;
        if (at(x, y) != (in ? kNew : kOld)) return false;
      }
    return true;
  }
};

TEST(ColorToPixel, SwapsRedAndBlueAndMakesOpaque) {
  uint32_t p = vt::ColorToPixel(0x00332211);  // red 0x11, green 0x22, blue 0x33
  unsigned char bytes[4];
  std::memcpy(bytes, &p, 4);
  EXPECT_EQ(bytes[0], 0x33);
  EXPECT_EQ(bytes[1], 0x22);
  EXPECT_EQ(bytes[2], 0x11);
  EXPECT_EQ(bytes[3], 0xFF);
  EXPECT_EQ(vt::ColorToPixel(0xFF00FF00), 0xFF00FF00u) << "a high byte in the colour is dropped";
}

TEST(FillLongword, FillsExactlyCountAtAnyAlignment) {
  for (int offset = 0; offset < 4; ++offset)
    for (int count : {0, 1, 3, 4, 5, 15, 16, 17, 63, 64, 65, 1000}) {
      std::vector<uint32_t> v(1100, kOld);
      FillLongword(v.data() + offset, count, kNew);
      for (int i = 0; i < 1100; ++i)
        ASSERT_EQ(v[i], (i >= offset && i < offset + count) ? kNew : kOld) << offset << "/" << count << " at " << i;
    }
}

TEST(FillLongword, NegativeCountFillsNothing) {
  std::vector<uint32_t> v(8, kOld);
  FillLongword(v.data(), -5, kNew);
  EXPECT_EQ(v, std::vector<uint32_t>(8, kOld));
}

TEST(FillLongwordRect, FillsInsideAndClipsEveryEdge) {
  {
    Buffer b(10, 6);
    FillLongwordRect(b.px.data(), b.w, b.h, 2, 1, 5, 4, kNew);
    EXPECT_TRUE(b.Holds(2, 1, 5, 4));
  }
  {
    Buffer b(10, 6);  // right beyond the width stops at the row end, not in the next row
    FillLongwordRect(b.px.data(), b.w, b.h, 7, 0, 50, 2, kNew);
    EXPECT_TRUE(b.Holds(7, 0, 10, 2));
  }
  {
    Buffer b(10, 6);  // bottom beyond the height stops at the last row
    FillLongwordRect(b.px.data(), b.w, b.h, 0, 4, 3, 100, kNew);
    EXPECT_TRUE(b.Holds(0, 4, 3, 6));
  }
  {
    Buffer b(10, 6);  // negative left and top are clipped to 0
    FillLongwordRect(b.px.data(), b.w, b.h, -4, -2, 3, 2, kNew);
    EXPECT_TRUE(b.Holds(0, 0, 3, 2));
  }
}

TEST(FillLongwordRect, WholeRowsAndLongRunsStayInsideTheRectangle) {
  {
    Buffer b(100, 100);  // whole rows back to back, long enough for the string store
    FillLongwordRect(b.px.data(), b.w, b.h, 0, 10, 100, 90, kNew);
    EXPECT_TRUE(b.Holds(0, 10, 100, 90));
  }
  {
    Buffer b(5000, 3);  // long single rows, not the whole width
    FillLongwordRect(b.px.data(), b.w, b.h, 1, 1, 4999, 3, kNew);
    EXPECT_TRUE(b.Holds(1, 1, 4999, 3));
  }
  {
    std::vector<uint32_t> v(5001, kOld);
    FillLongword(v.data() + 1, 4999, kNew);
    EXPECT_EQ(v.front(), kOld);
    EXPECT_EQ(v[1], kNew);
    EXPECT_EQ(v[4999], kNew);
    EXPECT_EQ(v.back(), kOld);
  }
}

TEST(FillLongwordRect, EmptyOrOutsideRectanglesChangeNothing) {
  const int rects[][4] = {{5, 1, 5, 4}, {6, 1, 5, 4}, {1, 3, 4, 3}, {1, 4, 4, 2}, {1, 9, 4, 12},
                          {12, 0, 20, 3}, {-9, -9, -1, -1}};
  for (auto& r : rects) {
    Buffer b(10, 6);
    FillLongwordRect(b.px.data(), b.w, b.h, r[0], r[1], r[2], r[3], kNew);
    EXPECT_TRUE(b.Holds(0, 0, 0, 0)) << r[0] << "," << r[1] << "," << r[2] << "," << r[3];
  }
  FillLongwordRect(nullptr, 10, 6, 0, 0, 10, 6, kNew);  // no buffer: nothing, no crash
}

TEST(MoveLongword, CopiesOverlappingRangesLikeMemmove) {
  std::vector<uint32_t> v(10);
  std::iota(v.begin(), v.end(), 0u);
  vt::MoveLongword(v.data(), v.data() + 2, 6);
  EXPECT_EQ(v, (std::vector<uint32_t>{0, 1, 0, 1, 2, 3, 4, 5, 8, 9}));
  vt::MoveLongword(v.data() + 2, v.data(), 0);
  EXPECT_EQ(v[0], 0u);
}

TEST(RecoverAlpha, KeepsPremultipliedColourAndDerivesAlphaFromRed) {
  // Red 64 over black and 191 over white: half-transparent red, colour kept.
  EXPECT_EQ(vt::RecoverAlphaPixel(0xFF400000, 0xFFBF7F7F), 0x80400000u);
  EXPECT_EQ(vt::RecoverAlphaPixel(0xFF000000, 0xFFFFFFFF), 0x00000000u) << "nothing drawn: transparent black";
  EXPECT_EQ(vt::RecoverAlphaPixel(0xFF123456, 0xFF123456), 0xFF123456u) << "opaque content";
  // Only red decides alpha; a renderer's rounding can leave another colour
  // byte above it, which is clamped so the pixel stays premultiplied.
  EXPECT_EQ(vt::RecoverAlphaPixel(0xFF40A010, 0xFFBFFFFF), 0x80408010u);
  // White below black never happens for valid renders: opaque, not wrapped
  // round to nearly transparent.
  EXPECT_EQ(vt::RecoverAlphaPixel(0xFF0C0C0C, 0xFF0A0A0A), 0xFF0C0C0Cu);
  // The alpha byte comes from the renders, whatever the black render held.
  EXPECT_EQ(vt::RecoverAlphaPixel(0x00400000, 0xFFBF7F7F), 0x80400000u);
}

TEST(RecoverAlpha, RowMatchesThePixelRuleAtEveryLength) {
  // The row routine works four pixels at a time with a tail: every length
  // and offset must give what the single-pixel rule gives.
  std::mt19937 random(7);
  std::vector<uint32_t> black(67), white(67);
  for (size_t i = 0; i < black.size(); ++i) {
    black[i] = random();
    white[i] = random();
  }
  black[0] = 0xFF400000;  // the worked example at the start
  white[0] = 0xFFBF7F7F;
  for (int32_t count : {0, 1, 3, 4, 5, 8, 63, 66}) {
    std::vector<uint32_t> row(black.begin() + 1, black.end());
    vt::RecoverAlpha(row.data(), white.data() + 1, count);
    for (int32_t i = 0; i < static_cast<int32_t>(row.size()); ++i) {
      const uint32_t expected = i < count ? vt::RecoverAlphaPixel(black[i + 1], white[i + 1]) : black[i + 1];
      ASSERT_EQ(row[i], expected) << "count " << count << " pixel " << i;
    }
  }
  std::vector<uint32_t> row(black);
  vt::RecoverAlpha(row.data(), white.data(), 1);
  EXPECT_EQ(row[0], 0x80400000u);
  EXPECT_EQ(row[1], black[1]) << "nothing beyond Count is touched";
}

TEST(UnpremultiplyPixel, RoundsToNearestAndRoundTrips) {
  EXPECT_EQ(vt::UnpremultiplyPixel(0xFF123456u), 0xFF123456u);  // opaque unchanged
  EXPECT_EQ(vt::UnpremultiplyPixel(0x00000000u), 0x00000000u);
  EXPECT_EQ(vt::UnpremultiplyPixel(0x00FFFFFFu), 0x00000000u);  // invalid colour under zero alpha
  EXPECT_EQ(vt::UnpremultiplyPixel(0x80400000u), 0x80800000u);  // 64 * 255 / 128 = 127.5 rounds up
  EXPECT_EQ(vt::UnpremultiplyPixel(0x40010000u), 0x40040000u);  // 1 * 255 / 64 = 3.98: rounded, not truncated
  EXPECT_EQ(vt::UnpremultiplyPixel(0x80FF8000u), 0x80FFFF00u);  // colour above alpha saturates
  for (uint32_t a = 1; a < 255; ++a) {
    for (uint32_t c = 0; c <= a; ++c) {
      const uint32_t pixel = (a << 24) | (c << 16) | ((a - c) << 8) | (c / 2);
      const uint32_t straight = vt::UnpremultiplyPixel(pixel);
      ASSERT_EQ(straight >> 24, a);
      const auto expected = [a](uint32_t v) { return static_cast<uint32_t>(std::floor(v * 255.0 / a + 0.5)); };
      ASSERT_EQ((straight >> 16) & 0xFF, expected(c)) << a << " " << c;
      ASSERT_EQ((straight >> 8) & 0xFF, expected(a - c)) << a << " " << c;
      ASSERT_EQ(straight & 0xFF, expected(c / 2)) << a << " " << c;
      // Premultiplying the result again gives the original colour back.
      const uint32_t back = ((straight >> 16) & 0xFF) * a;
      ASSERT_EQ((back + 127) / 255, c) << a << " " << c;
    }
  }
}

}  // namespace
