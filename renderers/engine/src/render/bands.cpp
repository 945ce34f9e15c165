#include "renderers/engine/render_bands.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

namespace swf {

namespace {

std::atomic<int> g_threads{0};
// A band below this many pixels is not worth a thread of its own.
constexpr int64_t kMinBandPixels = 64 * 1024;
constexpr int kMaxThreads = 8;

int ThreadsFor(const IntRect& Clip) {
  const int wanted = RenderThreads();
  const int64_t pixels = int64_t(Clip.right - Clip.left) * (Clip.bottom - Clip.top);
  const int64_t byArea = pixels / kMinBandPixels;
  return static_cast<int>(std::clamp<int64_t>(std::min<int64_t>(byArea, Clip.bottom - Clip.top), 1, wanted));
}

}  // namespace

void SetRenderThreads(int Count) { g_threads = std::clamp(Count, 0, kMaxThreads); }

int RenderThreads() {
  const int set = g_threads;
  if (set > 0) return set;
  return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, unsigned(kMaxThreads)));
}

void RenderSceneInBands(const std::vector<SceneNode>& Scene, const Movie& Movie, const Matrix& StageToPixels,
                        const RenderTarget& Target, IntRect Clip, bool Transparent, RGBA Background) {
  Clip = Clip.Intersect({0, 0, Target.width, Target.height});
  const int bands = Clip.Empty() ? 1 : ThreadsFor(Clip);
  if (bands <= 1) return RenderScene(Scene, Movie, StageToPixels, Target, Clip, Transparent, Background);
  const int32_t height = Clip.bottom - Clip.top;
  auto band = [&](int I) {
    IntRect r = Clip;
    r.top = Clip.top + static_cast<int32_t>(int64_t(height) * I / bands);
    r.bottom = Clip.top + static_cast<int32_t>(int64_t(height) * (I + 1) / bands);
    RenderScene(Scene, Movie, StageToPixels, Target, r, Transparent, Background);
  };
  std::vector<std::exception_ptr> failures(static_cast<size_t>(bands));
  auto guarded = [&](int I) {
    try {
      band(I);
    } catch (...) {
      failures[static_cast<size_t>(I)] = std::current_exception();
    }
  };
  {
    std::vector<std::jthread> workers;
    workers.reserve(static_cast<size_t>(bands - 1));
    for (int i = 1; i < bands; ++i) workers.emplace_back(guarded, i);
    guarded(0);
  }  // joined here
  for (const std::exception_ptr& f : failures)
    if (f) std::rethrow_exception(f);
}

}  // namespace swf
