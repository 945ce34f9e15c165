// The frame-path kernels beside the memory routine that moves the same bytes,
// on warm 1920x1080 buffers: the whole frame, and a 256x256 rectangle (row by
// row, as the erase or alpha pass of a changed rectangle does).
// FillLongwordRect against memset; RecoverAlpha (two renders in, one out)
// against memcpy of one frame.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "vt_d7/pixels.h"

namespace {

constexpr int kW = 1920, kH = 1080, kRect = 256, kLeft = 600, kTop = 400;

std::vector<uint32_t>& Frame() {
  static std::vector<uint32_t> f(static_cast<size_t>(kW) * kH, 0);
  return f;
}

void BM_FillLongwordRect_Frame(benchmark::State& state) {
  auto& f = Frame();
  for (auto _ : state) {
    vt::FillLongwordRect(f.data(), kW, kH, 0, 0, kW, kH, 0xFF336699u);
    benchmark::DoNotOptimize(f.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(kW) * kH * 4);
}

void BM_Memset_Frame(benchmark::State& state) {
  auto& f = Frame();
  for (auto _ : state) {
    std::memset(f.data(), 0x66, f.size() * 4);
    benchmark::DoNotOptimize(f.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(kW) * kH * 4);
}

void BM_FillLongwordRect_256(benchmark::State& state) {
  auto& f = Frame();
  for (auto _ : state) {
    vt::FillLongwordRect(f.data(), kW, kH, kLeft, kTop, kLeft + kRect, kTop + kRect, 0xFF336699u);
    benchmark::DoNotOptimize(f.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(kRect) * kRect * 4);
}

void BM_Memset_256(benchmark::State& state) {
  auto& f = Frame();
  for (auto _ : state) {
    uint32_t* row = f.data() + size_t(kTop) * kW + kLeft;
    for (int y = 0; y < kRect; ++y, row += kW) std::memset(row, 0x66, kRect * 4);
    benchmark::DoNotOptimize(f.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(kRect) * kRect * 4);
}

// Black and white renders of a frame with varied content: random alpha per
// pixel, so a kernel that branched per pixel would show it.
struct Renders {
  std::vector<uint32_t> black, white, work;
  Renders() : black(size_t(kW) * kH), white(size_t(kW) * kH) {
    uint32_t seed = 12345;
    for (size_t i = 0; i < black.size(); ++i) {
      seed = seed * 1664525u + 1013904223u;
      const uint32_t a = seed >> 24, r = (seed >> 8) & 0xFF;
      const uint32_t red = r * a / 255;
      black[i] = 0xFF000000u | (red << 16) | (red << 8) | red;
      const uint32_t whiteRed = red + (255 - a);
      white[i] = 0xFF000000u | (whiteRed << 16) | (whiteRed << 8) | whiteRed;
    }
    work = black;
  }
};

Renders& TheRenders() {
  static Renders r;
  return r;
}

// The pass works in place on a copy of the black render; later iterations
// see its own output again, which costs the same (the pass has no branch per
// pixel).
void BM_RecoverAlpha_Frame(benchmark::State& state) {
  auto& r = TheRenders();
  for (auto _ : state) {
    vt::RecoverAlpha(r.work.data(), r.white.data(), kW * kH);
    benchmark::DoNotOptimize(r.work.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(kW) * kH * 4);
}

void BM_Memcpy_Frame(benchmark::State& state) {
  auto& r = TheRenders();
  for (auto _ : state) {
    std::memcpy(r.work.data(), r.black.data(), r.black.size() * 4);
    benchmark::DoNotOptimize(r.work.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(kW) * kH * 4);
}

// The bytes the pass moves: both renders read (and one of them written).
void BM_Memcpy_TwoFrames(benchmark::State& state) {
  auto& r = TheRenders();
  for (auto _ : state) {
    std::memcpy(r.work.data(), r.black.data(), r.black.size() * 4);
    std::memcpy(r.work.data(), r.white.data(), r.white.size() * 4);
    benchmark::DoNotOptimize(r.work.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(kW) * kH * 4);
}

void BM_RecoverAlpha_256(benchmark::State& state) {
  auto& r = TheRenders();
  const size_t origin = size_t(kTop) * kW + kLeft;
  for (auto _ : state) {
    for (int y = 0; y < kRect; ++y)
      vt::RecoverAlpha(r.work.data() + origin + size_t(y) * kW, r.white.data() + origin + size_t(y) * kW, kRect);
    benchmark::DoNotOptimize(r.work.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(kRect) * kRect * 4);
}

void BM_Memcpy_256(benchmark::State& state) {
  auto& r = TheRenders();
  const size_t origin = size_t(kTop) * kW + kLeft;
  for (auto _ : state) {
    for (int y = 0; y < kRect; ++y)
      std::memcpy(r.work.data() + origin + size_t(y) * kW, r.black.data() + origin + size_t(y) * kW, kRect * 4);
    benchmark::DoNotOptimize(r.work.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(kRect) * kRect * 4);
}

}  // namespace

BENCHMARK(BM_Memset_Frame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillLongwordRect_Frame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Memset_256)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillLongwordRect_256)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Memcpy_Frame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecoverAlpha_Frame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Memcpy_TwoFrames)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Memcpy_256)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecoverAlpha_256)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
