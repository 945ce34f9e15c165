// FillLongwordRect against memset of the same bytes, on a warm 1920x1080
// buffer: the whole frame, and a 256x256 rectangle (row by row, as an erase
// of a changed rectangle does).
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

}  // namespace

BENCHMARK(BM_Memset_Frame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillLongwordRect_Frame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Memset_256)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillLongwordRect_256)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
