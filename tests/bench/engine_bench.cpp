// The movie engine's frame path on the host: a busy 1920x1080 frame of
// overlapping gradient shapes, and stepping (and repainting) a timeline of
// 100 moving sprites. Movies are built with the model directly.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>

#include "renderers/engine/model.h"
#include "renderers/engine/player.h"
#include "renderers/engine/render.h"

namespace {

constexpr int32_t kWidth = 1920, kHeight = 1080;
constexpr double kTw = 20;

// A small deterministic generator so every run draws the same scene.
struct Lcg {
  uint32_t state = 12345;
  double Next() {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) / double(1 << 24);
  }
  double In(double Lo, double Hi) { return Lo + (Hi - Lo) * Next(); }
  uint8_t Byte() { return static_cast<uint8_t>(Next() * 256); }
};

// An ellipse of eight quadratic arcs around (Cx, Cy), radii in twips.
swf::Path Ellipse(double Cx, double Cy, double Rx, double Ry, uint32_t Fill, uint32_t Line) {
  swf::Path p;
  p.fill1 = Fill;
  p.line = Line;
  p.start = {Cx + Rx, Cy};
  const double k = 1 / std::cos(std::numbers::pi / 8);
  for (int i = 1; i <= 8; ++i) {
    const double a1 = i * std::numbers::pi / 4, am = a1 - std::numbers::pi / 8;
    p.edges.push_back({true, {Cx + Rx * k * std::cos(am), Cy + Ry * k * std::sin(am)},
                       {Cx + Rx * std::cos(a1), Cy + Ry * std::sin(a1)}});
  }
  return p;
}

swf::FillStyle RandomGradient(Lcg& R, double Cx, double Cy, double Size) {
  swf::FillStyle f;
  const int kind = static_cast<int>(R.Next() * 3);
  f.type = kind == 0 ? swf::FillType::LinearGradient
           : kind == 1 ? swf::FillType::RadialGradient
                       : swf::FillType::FocalRadialGradient;
  f.focalPoint = 0.4;
  f.spread = static_cast<swf::SpreadMode>(static_cast<int>(R.Next() * 3));
  const double scale = Size / 16384, angle = R.In(0, 2 * std::numbers::pi);
  f.matrix = {scale * std::cos(angle), scale * std::sin(angle), -scale * std::sin(angle), scale * std::cos(angle), Cx, Cy};
  const int records = 2 + static_cast<int>(R.Next() * 3);
  for (int i = 0; i < records; ++i)
    f.gradient.push_back({static_cast<uint8_t>(255 * i / (records - 1)), {R.Byte(), R.Byte(), R.Byte(), static_cast<uint8_t>(R.In(128, 256))}});
  return f;
}

struct BusyScene {
  std::vector<swf::Shape> shapes;
  std::vector<swf::SceneNode> nodes;
  swf::Movie movie;
  BusyScene() {
    Lcg r;
    shapes.reserve(200);
    for (int i = 0; i < 200; ++i) {
      const double cx = r.In(0, kWidth) * kTw, cy = r.In(0, kHeight) * kTw;
      const double rx = r.In(60, 260) * kTw, ry = r.In(60, 260) * kTw;
      swf::Shape s;
      s.fills.push_back(RandomGradient(r, cx, cy, std::max(rx, ry)));
      const bool stroked = i % 4 == 0;
      if (stroked) s.lines.push_back({static_cast<uint16_t>(r.In(1, 6) * kTw), {r.Byte(), r.Byte(), r.Byte(), 255}});
      s.paths.push_back(Ellipse(cx, cy, rx, ry, 1, stroked ? 1 : 0));
      s.bounds = {cx - rx - 200, cy - ry - 200, cx + rx + 200, cy + ry + 200};
      shapes.push_back(std::move(s));
    }
    for (size_t i = 0; i < shapes.size(); ++i) {
      swf::SceneNode n;
      n.shape = &shapes[i];
      n.depth = static_cast<uint16_t>(i + 1);
      nodes.push_back(n);
    }
  }
};

void BM_Frame1080pOf200GradientShapes(benchmark::State& state) {
  static const BusyScene scene;
  std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
  const swf::RenderTarget target{pixels.data(), kWidth, kHeight, kWidth * 4};
  const swf::Matrix stage{1 / kTw, 0, 0, 1 / kTw, 0, 0};
  for (auto _ : state) {
    swf::RenderScene(scene.nodes, scene.movie, stage, target, {0, 0, kWidth, kHeight}, false, {255, 255, 255, 255});
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
  Lcg r;
  swf::Shape s;
  s.fills.push_back(RandomGradient(r, 0, 0, 40 * kTw));
  s.lines.push_back({static_cast<uint16_t>(2 * kTw), {0, 0, 0, 255}});
  s.paths.push_back(Ellipse(0, 0, 40 * kTw, 25 * kTw, 1, 1));
  s.bounds = {-45 * kTw, -30 * kTw, 45 * kTw, 30 * kTw};
  m->dictionary[1] = s;

  swf::Sprite sprite;
  sprite.frameCount = 8;
  for (int f = 0; f < 8; ++f) {
    swf::PlaceObject p;
    p.depth = 1;
    p.move = f > 0;
    if (f == 0) p.characterId = 1;
    const double a = f * std::numbers::pi / 8;
    p.matrix = swf::Matrix{std::cos(a), std::sin(a), -std::sin(a), std::cos(a), 0, 0};
    sprite.timeline.frames.push_back({{p}, {}, {}});
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
