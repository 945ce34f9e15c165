// Video decoding on the frame path: a 640x480 Screen Video keyframe (every
// block inflated and converted to 32-bit pixels) and an inter frame that
// sends one block in eight.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <vector>

#include "renderers/engine/src/video/screen_video.h"

namespace {

constexpr int kWidth = 640, kHeight = 480, kBlock = 64;

// A packet of a moving gradient with some noise (as screen content
// compresses: long runs broken by detail); Every: send one block in Every.
std::vector<uint8_t> Packet(int Frame, int Every) {
  std::vector<uint8_t> b = {static_cast<uint8_t>((kBlock / 16 - 1) << 4 | kWidth >> 8), static_cast<uint8_t>(kWidth & 0xFF),
                            static_cast<uint8_t>((kBlock / 16 - 1) << 4 | kHeight >> 8), static_cast<uint8_t>(kHeight & 0xFF)};
  int index = 0;
  for (int bottom = 0; bottom < kHeight; bottom += kBlock)
    for (int left = 0; left < kWidth; left += kBlock, ++index) {
      if (index % Every) {
        b.push_back(0), b.push_back(0);
        continue;
      }
      std::vector<uint8_t> raw;
      for (int y = 0; y < std::min(kBlock, kHeight - bottom); ++y)
        for (int x = 0; x < std::min(kBlock, kWidth - left); ++x) {
          const int X = left + x, Y = bottom + y;
          raw.push_back(static_cast<uint8_t>(X + Frame)), raw.push_back(static_cast<uint8_t>(Y));
          raw.push_back(static_cast<uint8_t>((X * Y) % 7 == 0 ? 255 : X ^ Y));
        }
      uLongf n = compressBound(raw.size());
      std::vector<uint8_t> z(n);
      compress(z.data(), &n, raw.data(), raw.size());
      b.push_back(static_cast<uint8_t>(n >> 8)), b.push_back(static_cast<uint8_t>(n & 0xFF));
      b.insert(b.end(), z.begin(), z.begin() + static_cast<std::ptrdiff_t>(n));
    }
  return b;
}

void BM_ScreenVideoKeyframe640x480(benchmark::State& state) {
  const std::vector<uint8_t> key = Packet(0, 1);
  swf::video::ScreenVideoDecoder d;
  for (auto _ : state) {
    d.Decode(key.data(), key.size());
    benchmark::DoNotOptimize(d.Picture().pixels.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ScreenVideoKeyframe640x480)->Unit(benchmark::kMicrosecond);

void BM_ScreenVideoInterFrame640x480(benchmark::State& state) {
  const std::vector<uint8_t> key = Packet(0, 1), inter = Packet(1, 8);
  swf::video::ScreenVideoDecoder d;
  d.Decode(key.data(), key.size());
  for (auto _ : state) {
    d.Decode(inter.data(), inter.size());
    benchmark::DoNotOptimize(d.Picture().pixels.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ScreenVideoInterFrame640x480)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
