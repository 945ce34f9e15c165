// The span compositor: the SIMD paths against the portable one on odd widths
// and unaligned rows, and both against source-over computed in doubles.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "renderers/engine/src/render/blend.h"

namespace {

using swf::render::SpanSource;

// A validly premultiplied pixel (no colour above its alpha), often opaque or empty.
uint32_t RandomPixel(std::mt19937& Rng) {
  const uint32_t pick = Rng() % 4;
  const uint32_t a = pick == 0 ? 255 : pick == 1 ? 0 : Rng() % 256;
  uint32_t p = a << 24;
  for (int shift = 0; shift < 24; shift += 8) p |= (a ? Rng() % (a + 1) : 0) << shift;
  return p;
}

struct Case {
  bool colors, ks;
};
constexpr Case kCases[] = {{false, false}, {false, true}, {true, false}, {true, true}};

}  // namespace

TEST(SpanCompositor, FollowsSourceOverWithinRounding) {
  std::mt19937 rng(1);
  for (int i = 0; i < 20000; ++i) {
    const uint32_t d = RandomPixel(rng), s = RandomPixel(rng), k = rng() % 257;
    uint32_t out = d;
    SpanSource src;
    src.color = s;
    src.k = k;
    swf::render::CompositeSpan(&out, 1, src);
    const double a = (s >> 24) * k / 256.0;
    for (int shift = 0; shift < 32; shift += 8) {
      const double want = (s >> shift & 0xFF) * k / 256.0 + (d >> shift & 0xFF) * (255 - a) / 255;
      // Three roundings: the scaled colour, the scaled alpha, the kept part.
      ASSERT_NEAR(out >> shift & 0xFF, want, 1.5) << std::hex << d << " " << s << " " << k;
    }
    ASSERT_LE(out >> 16 & 0xFF, out >> 24);  // still validly premultiplied
  }
  // An opaque colour at full coverage replaces the pixel; no coverage leaves it.
  uint32_t row[3] = {0x80402010u, 0u, 0xFFFFFFFFu};
  SpanSource opaque;
  opaque.color = 0xFF123456u;
  swf::render::CompositeSpan(row, 3, opaque);
  EXPECT_EQ(row[1], 0xFF123456u);
  opaque.k = 0;
  opaque.color = 0x80000000u;
  swf::render::CompositeSpan(row, 3, opaque);
  EXPECT_EQ(row[2], 0xFF123456u);
}

#if defined(__SSE2__)
TEST(SpanCompositor, SimdPathsMatchPortableOnOddWidthsAndUnalignedRows) {
  using Composite = void (*)(uint32_t*, int32_t, const SpanSource&);
  std::vector<std::pair<const char*, Composite>> paths{{"sse2", swf::render::sse2::CompositeSpan}};
#if defined(VT_RENDER_AVX2)
  if (swf::render::HasAvx2()) paths.emplace_back("avx2", swf::render::avx2::CompositeSpan);
#endif
  std::mt19937 rng(2);
  for (const auto& [name, composite] : paths)
  for (const Case& c : kCases) {
    for (int32_t width : {1, 2, 3, 4, 5, 7, 8, 9, 11, 15, 16, 17, 31, 64, 67}) {
      for (int32_t offset : {0, 1, 2, 3}) {
        // With room after the span the last pixels take the four-pixel step;
        // the pixels past the end must come out as they were.
        const int32_t room = offset % 2 == 0 ? 3 : 0;
        std::vector<uint32_t> row(static_cast<size_t>(width + offset + 4)), colors(static_cast<size_t>(width + 3));
        std::vector<uint16_t> ks(static_cast<size_t>(width + 3));
        for (uint32_t& p : row) p = RandomPixel(rng);
        for (uint32_t& p : colors) p = RandomPixel(rng);
        for (uint16_t& k : ks) k = static_cast<uint16_t>(rng() % 4 == 0 ? 256 : rng() % 257);
        SpanSource src;
        src.color = RandomPixel(rng);
        src.k = rng() % 257;
        src.room = room;
        if (c.colors) src.colors = colors.data();
        if (c.ks) src.ks = ks.data();
        std::vector<uint32_t> portable = row, simd = row;
        swf::render::portable::CompositeSpan(portable.data() + offset, width, src);
        composite(simd.data() + offset, width, src);
        ASSERT_EQ(simd, portable) << name << " " << c.colors << c.ks << " width " << width << " offset " << offset
                                  << " room " << room;
      }
    }
  }
}
#endif
