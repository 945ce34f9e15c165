// Layer effects on a 640x480 layer: the box blur (one and three passes), a
// drop shadow (the blur of alpha and the composite around it), and the
// multiply blend of a layer over a frame.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "renderers/engine/src/render/blend_modes.h"
#include "renderers/engine/src/render/filters.h"

namespace {

constexpr int kW = 640, kH = 480;

// Varied content: a pseudo-random premultiplied pixel each, a quarter of
// them transparent.
swf::render::Image Busy() {
  swf::render::Image img(kW, kH);
  uint32_t seed = 12345;
  for (uint32_t& p : img.pixels) {
    seed = seed * 1664525u + 1013904223u;
    const uint32_t a = (seed >> 24) < 64 ? 0 : seed >> 24, c = (seed >> 8 & 0xFF) * a / 255;
    p = a << 24 | c << 16 | (c / 2) << 8 | c / 3;
  }
  return img;
}

void BM_BoxBlur(benchmark::State& state) {
  const swf::render::Image source = Busy();
  swf::render::Image img = source;
  const int passes = static_cast<int>(state.range(0));
  for (auto _ : state) {
    img.pixels = source.pixels;
    swf::render::BoxBlur(img, 4, 4, passes);
    benchmark::DoNotOptimize(img.pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
}

void BM_DropShadow(benchmark::State& state) {
  const swf::render::Image source = Busy();
  swf::render::Image img = source;
  swf::DropShadowFilter f;
  f.blurX = f.blurY = 8;
  f.distance = 4;
  f.angle = 0.785;
  for (auto _ : state) {
    img.pixels = source.pixels;
    swf::render::ApplyFilter(f, img, 1, 1);
    benchmark::DoNotOptimize(img.pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
}

void BM_BlendMultiply(benchmark::State& state) {
  const swf::render::Image layer = Busy();
  std::vector<uint32_t> frame(static_cast<size_t>(kW) * kH, 0xFF806040u);
  for (auto _ : state) {
    for (int y = 0; y < kH; ++y)
      swf::render::BlendRow(swf::BlendMode::Multiply, frame.data() + static_cast<size_t>(y) * kW,
                            layer.pixels.data() + static_cast<size_t>(y) * kW, nullptr, kW);
    benchmark::DoNotOptimize(frame.data());
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
}

}  // namespace

BENCHMARK(BM_BoxBlur)->Arg(1)->Arg(3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DropShadow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BlendMultiply)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
