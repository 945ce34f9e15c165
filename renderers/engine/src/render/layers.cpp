#include "renderers/engine/src/render/layers.h"

#include <algorithm>
#include <cmath>

#include "renderers/engine/src/render/blend_modes.h"
#include "renderers/engine/src/render/composite.h"

namespace swf::render {

FilterScale FilterScaleOf(const Matrix& S) {
  auto sane = [](double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 64.0) : 1.0; };
  return {sane(20 * std::hypot(S.a, S.b)), sane(20 * std::hypot(S.c, S.d))};
}

bool ActsOnParent(BlendMode Mode) { return Mode == BlendMode::Alpha || Mode == BlendMode::Erase; }

bool DrawsThroughLayer(const SceneNode& N) {
  if (N.filters && !N.filters->empty()) return true;
  if (N.blendMode != BlendMode::Normal && N.blendMode != BlendMode::Layer) return true;
  if (N.blendMode == BlendMode::Layer && !N.children.empty() && !N.cxform.IsIdentity()) return true;
  return std::any_of(N.children.begin(), N.children.end(),
                     [](const SceneNode& c) { return ActsOnParent(c.blendMode); });
}

Reach NodeReach(const SceneNode& N, FilterScale S) {
  return N.filters ? FilterReach(*N.filters, S.x, S.y) : Reach{};
}

IntRect Grow(const IntRect& R, const Reach& By) {
  if (R.Empty()) return R;
  return {R.left - By.left, R.top - By.top, R.right + By.right, R.bottom + By.bottom};
}

IntRect LayerRect(const IntRect& Content, const Reach& By, const IntRect& Clip) {
  // Content beyond the clip still matters within the reach of the filters.
  return Grow(Content, By).Intersect(Grow(Clip, By));
}

int64_t LayerCost(const IntRect& R) { return (int64_t{R.right} - R.left) * (int64_t{R.bottom} - R.top) * 8; }

bool TooLarge(const IntRect& R) {
  const int64_t w = int64_t{R.right} - R.left, h = int64_t{R.bottom} - R.top;
  return w > kMaxLayerSide || h > kMaxLayerSide || w * h > kMaxLayerPixels;
}

void FinishLayer(Image& Layer, const IntRect& At, const SceneNode& N, const ColorTransform& Cx, FilterScale S,
                 const RenderTarget& Target, const IntRect& Clip, const uint8_t* Mask, int64_t& Budget) {
  if (N.filters)
    for (const Filter& f : *N.filters) {
      const int64_t cost = FilterCost(f, Layer);
      if (cost > Budget) continue;
      Budget -= cost;
      ApplyFilter(f, Layer, S.x, S.y);
    }
  TransformColors(Layer, Cx);
  const IntRect r = At.Intersect(Clip);
  if (r.Empty()) return;
  const int32_t clipW = Clip.right - Clip.left;
  for (int32_t y = r.top; y < r.bottom; ++y) {
    const uint32_t* src = Layer.pixels.data() + static_cast<size_t>(y - At.top) * static_cast<size_t>(Layer.width) +
                          static_cast<size_t>(r.left - At.left);
    const uint8_t* mask = Mask ? Mask + static_cast<size_t>(y - Clip.top) * static_cast<size_t>(clipW) +
                                     static_cast<size_t>(r.left - Clip.left)
                               : nullptr;
    BlendRow(N.blendMode, RowOf(Target, y) + r.left, src, mask, r.right - r.left);
  }
}

}  // namespace swf::render
