// Gradient rows: the SIMD paths give the same colours as the portable one
// for every kind and spread, near the square and far beyond it.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "renderers/engine/src/render/gradient.h"

#if defined(__SSE2__)
namespace {

using swf::SpreadMode;
using swf::render::GradientKind;
using swf::render::GradientRow;

struct Case {
  GradientKind kind;
  SpreadMode spread;
};
constexpr Case kCases[] = {
    {GradientKind::Linear, SpreadMode::Pad},     {GradientKind::Linear, SpreadMode::Reflect},
    {GradientKind::Linear, SpreadMode::Repeat},  {GradientKind::Radial, SpreadMode::Pad},
    {GradientKind::Radial, SpreadMode::Reflect}, {GradientKind::Radial, SpreadMode::Repeat},
    {GradientKind::Focal, SpreadMode::Pad},      {GradientKind::Focal, SpreadMode::Reflect},
    {GradientKind::Focal, SpreadMode::Repeat},
};

}  // namespace

TEST(GradientRow, SimdPathsMatchPortable) {
  using Shade = void (*)(const GradientRow&, int32_t, int32_t, uint32_t*);
  std::vector<std::pair<const char*, Shade>> paths{{"sse2", swf::render::sse2::ShadeGradient}};
#if defined(VT_RENDER_AVX2)
  if (swf::render::HasAvx2()) paths.emplace_back("avx2", swf::render::avx2::ShadeGradient);
#endif
  std::array<uint32_t, 256> lut;
  for (uint32_t i = 0; i < 256; ++i) lut[i] = 0xFF000000u | i << 16 | (255 - i);  // every entry distinct
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> unit(-1, 1);
  // Gradient units per column from a fine ramp to many squares a pixel, and
  // origins from inside the square to far beyond float's integers.
  const double steps[] = {3, 160, 4000, 1e6};
  const double origins[] = {0, 2e4, 3e7, 1e12, 1e40};
  for (const Case& c : kCases) {
    for (const double step : steps) {
      for (const double origin : origins) {
        GradientRow g;
        g.kind = c.kind;
        g.spread = c.spread;
        g.lut = lut.data();
        g.origin = {origin * unit(rng), origin * unit(rng)};
        g.a = step * unit(rng);
        g.b = step * unit(rng);
        g.focal = static_cast<float>(0.98 * unit(rng));
        const int32_t x = static_cast<int32_t>(rng() % 2000) - 1000, n = 1 + static_cast<int32_t>(rng() % 70);
        std::vector<uint32_t> portable(static_cast<size_t>(n));
        swf::render::portable::ShadeGradient(g, x, n, portable.data());
        for (const auto& [name, shade] : paths) {
          std::vector<uint32_t> simd(static_cast<size_t>(n) + 1, 0x12345678u);
          shade(g, x, n, simd.data());
          EXPECT_EQ(simd.back(), 0x12345678u);  // nothing written past the row
          simd.pop_back();
          ASSERT_EQ(simd, portable) << name << " " << static_cast<int>(c.kind) << " spread "
                                    << static_cast<int>(c.spread) << " step " << step << " origin " << origin;
        }
      }
    }
  }
}
#endif
