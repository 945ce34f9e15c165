// The movie engine's frame path on the host: a busy 1920x1080 frame of
// overlapping gradient shapes (render_scenes.h), and stepping (and
// repainting) a timeline of 100 moving sprites. Movies are built with the
// model directly.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>

#include "renderers/engine/model.h"
#include "renderers/engine/player.h"
#include "renderers/engine/render.h"
#include "tests/bench/render_scenes_engine.h"

namespace {

constexpr int32_t kWidth = 1920, kHeight = 1080;
using bench::kTw;

// The gradient scene of render_bench: 200 overlapping gradient ellipses, a
// quarter of them stroked.
void BM_Frame1080pOf200GradientShapes(benchmark::State& state) {
  static const bench::EngineScene scene(bench::GradientScene(kWidth, kHeight));
  std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
  for (auto _ : state) {
    scene.Render(pixels.data());
    benchmark::DoNotOptimize(pixels.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 200);
}
BENCHMARK(BM_Frame1080pOf200GradientShapes)->Unit(benchmark::kMillisecond);

// A root timeline of 60 frames moving 100 instances of a sprite that itself
// spins a gradient shape over 8 frames.
std::shared_ptr<const swf::Movie> SpriteMovie() {
  auto m = std::make_shared<swf::Movie>();
  m->frameSize = {0, 0, kWidth * kTw, kHeight * kTw};
  bench::Lcg r;
  // The first ellipse of the gradient scene, centred on the sprite's origin.
  bench::Item it = bench::GradientScene(kWidth, kHeight).items[0];
  it.fill.tx -= it.cx;
  it.fill.ty -= it.cy;
  it = {0, 0, 40, 25, it.fill, 2, {0, 0, 0, 255}};
  m->dictionary[1] = bench::EngineScene(bench::Scene{kWidth, kHeight, {it}}).shapes[0];

  swf::Sprite sprite;
  sprite.frameCount = 8;
  for (int f = 0; f < 8; ++f) {
    swf::PlaceObject p;
    p.depth = 1;
    p.move = f > 0;
    if (f == 0) p.characterId = 1;
    const double a = f * std::numbers::pi / 8;
    p.matrix = swf::Matrix{std::cos(a), std::sin(a), -std::sin(a), std::cos(a), 0, 0};
    sprite.timeline.frames.push_back({{p}, {}, {}, {}});
  }
  m->dictionary[2] = sprite;

  const int frames = 60;
  m->frameCount = frames;
  std::vector<double> x(100), y(100), vx(100), vy(100);
  for (int i = 0; i < 100; ++i) {
    x[i] = r.In(50, kWidth - 50);
    y[i] = r.In(50, kHeight - 50);
    vx[i] = r.In(-8, 8);
    vy[i] = r.In(-8, 8);
  }
  for (int f = 0; f < frames; ++f) {
    swf::Frame frame;
    for (int i = 0; i < 100; ++i) {
      swf::PlaceObject p;
      p.depth = static_cast<uint16_t>(i + 1);
      p.move = f > 0;
      if (f == 0) p.characterId = 2;
      p.matrix = swf::Matrix{1, 0, 0, 1, (x[i] + vx[i] * f) * kTw, (y[i] + vy[i] * f) * kTw};
      frame.tags.emplace_back(p);
    }
    m->timeline.frames.push_back(std::move(frame));
  }
  return m;
}

void BM_StepTimelineOf100Sprites(benchmark::State& state) {
  swf::MoviePlayer player(SpriteMovie());
  player.SetViewport(kWidth, kHeight);
  for (auto _ : state) benchmark::DoNotOptimize(player.NextFrame());
}
BENCHMARK(BM_StepTimelineOf100Sprites)->Unit(benchmark::kMicrosecond);

void BM_StepAndRepaintTimelineOf100Sprites(benchmark::State& state) {
  swf::MoviePlayer player(SpriteMovie());
  player.SetViewport(kWidth, kHeight);
  std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
  const swf::RenderTarget target{pixels.data(), kWidth, kHeight, kWidth * 4};
  player.Render(target, {0, 0, kWidth, kHeight}, false);
  for (auto _ : state) {
    for (const swf::IntRect& r : player.NextFrame()) player.Render(target, r, false);
    benchmark::DoNotOptimize(pixels.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_StepAndRepaintTimelineOf100Sprites)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
