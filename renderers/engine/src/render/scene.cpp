// Drawing a scene: the display list is walked in depth order; a shape is
// flattened into pixel space and its fills and strokes become coverage
// layers (composite.h draws them); sprites recurse; masks render into 8-bit
// coverage buffers that multiply the coverage of the siblings they mask.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>

#include "renderers/engine/render.h"
#include "renderers/engine/src/render/composite.h"
#include "renderers/engine/src/render/layers.h"
#include "renderers/engine/src/render/raster.h"
#include "renderers/engine/src/render/scaling_grid.h"
#include "renderers/engine/src/render/stroke.h"

namespace swf {

namespace {

using render::CacheLines;
using render::CellRasterizer;
using render::kPrefetchRows;
using render::Layer;
using render::RowOf;

constexpr int kMaxCurveSegments = 512;
constexpr size_t kMaxPoints = 1u << 20;  // flattened points of one shape before curves turn into chords
constexpr int kMaxNesting = 64;  // sprites deeper than this are not drawn
constexpr double kMaxCoordinate = 1e9;

// V / 255 rounded, for V <= 255 * 255.
uint32_t Div255(uint32_t V) {
  V += 128;
  return (V + (V >> 8)) >> 8;
}

double SafeCoord(double V) { return std::clamp(V, -kMaxCoordinate, kMaxCoordinate); }

// Half the on-screen width of a line style: at least a one-pixel line.
double StrokeRadius(const LineStyle& L, const Matrix& M) {
  const double scale = std::sqrt(std::fabs(M.a * M.d - M.b * M.c));
  const double w = L.width * scale;
  return (std::isfinite(w) ? std::max(1.0, std::min(w, kMaxCoordinate)) : 1.0) / 2;
}

IntRect ToPixels(const Rect& R, double Grow) {
  if (R.Empty() || !std::isfinite(R.xmin) || !std::isfinite(R.xmax) || !std::isfinite(R.ymin) ||
      !std::isfinite(R.ymax))
    return {};
  constexpr double lim = 1 << 30;
  auto lo = [&](double v) { return static_cast<int32_t>(std::clamp(std::floor(v - Grow), -lim, lim)); };
  auto hi = [&](double v) { return static_cast<int32_t>(std::clamp(std::ceil(v + Grow), -lim, lim)); };
  return {lo(R.xmin), lo(R.ymin), hi(R.xmax), hi(R.ymax)};
}

// Conservative: the declared bounds and every point of the paths (control
// points included), through M, widened by the thickest stroke.
IntRect ShapePixelBounds(const Shape& S, const Matrix& M) {
  if (S.paths.empty()) return {};
  Rect r = S.bounds;
  double radius = 0;
  auto include = [&r](Point p) {
    r.xmin = std::min(r.xmin, p.x);
    r.xmax = std::max(r.xmax, p.x);
    r.ymin = std::min(r.ymin, p.y);
    r.ymax = std::max(r.ymax, p.y);
  };
  if (r.Empty()) r = {S.paths[0].start.x, S.paths[0].start.y, S.paths[0].start.x, S.paths[0].start.y};
  for (const Path& p : S.paths) {
    include(p.start);
    for (const Edge& e : p.edges) {
      include(e.anchor);
      if (e.curve) include(e.control);
    }
    if (p.line >= 1 && p.line <= S.lines.size()) radius = std::max(radius, StrokeRadius(S.lines[p.line - 1], M));
  }
  return ToPixels(M.Apply(r), radius + 1);
}

// A path flattened into pixel space: points [begin, end) of the shared list.
struct Polyline {
  size_t begin = 0, end = 0;
  uint32_t fill0 = 0, fill1 = 0, line = 0;
};

class Renderer {
 public:
  Renderer(const Movie& M, const RenderTarget& T, IntRect Clip)
      : movie_(&M), target_(T), clip_(Clip), clipW_(Clip.right - Clip.left), layers_(T, Clip), outliner_(Clip) {}

  // Draws Nodes (in depth order) under M and Cx. Mask: the coverage of the
  // masks in force (clip-sized, nullptr for none). MaskOut: non-null to
  // render coverage into this clip-sized buffer instead of colours.
  void DrawList(const std::vector<SceneNode>& Nodes, const Matrix& M, const ColorTransform& Cx, const uint8_t* Mask,
                uint8_t* MaskOut, int Nesting);
  // How big filters are drawn, how many layers this one lies in, and the
  // frame's filter budget (shared by the layers inside).
  void SetLayering(render::FilterScale Scale, int Layers, int64_t* Budget) {
    scale_ = Scale;
    layers_deep_ = Layers;
    budget_ = Budget;
  }

 private:
  struct ActiveMask {
    uint16_t clipDepth;
    std::vector<uint8_t> coverage;
  };

  void DrawNode(const SceneNode& N, const Matrix& M, const ColorTransform& Cx, const uint8_t* Mask, uint8_t* MaskOut,
                int Nesting);
  void DrawContent(const SceneNode& N, const Matrix& M, const ColorTransform& Cx, const uint8_t* Mask,
                   uint8_t* MaskOut, int Nesting);
  void DrawLayer(const SceneNode& N, const Matrix& M, const ColorTransform& Cx, const uint8_t* Mask, int Nesting);
  void DrawShape(const Shape& S, const Matrix& M, const ColorTransform& Cx, const uint8_t* Mask, uint8_t* MaskOut);
  bool Flatten(const Shape& S, const Matrix& M, double Margin, Rect& Bounds);

  const Movie* movie_;  // of the nodes being drawn
  RenderTarget target_;
  IntRect clip_;
  int32_t clipW_ = 0;

  // Scratch reused from shape to shape.
  render::LayerCompositor layers_;
  render::StrokeOutliner outliner_;
  std::vector<Point> points_;
  std::vector<Polyline> polylines_;
  std::vector<int> fillLayer_;

  render::FilterScale scale_;
  int layers_deep_ = 0;
  int64_t* budget_ = nullptr;
};

void Renderer::DrawList(const std::vector<SceneNode>& Nodes, const Matrix& M, const ColorTransform& Cx,
                        const uint8_t* Mask, uint8_t* MaskOut, int Nesting) {
  std::vector<ActiveMask> masks;  // masks opened in this list, still in force
  std::vector<uint8_t> combined;
  const uint8_t* effective = Mask;
  const size_t area = static_cast<size_t>(clipW_) * static_cast<size_t>(clip_.bottom - clip_.top);

  auto recombine = [&] {
    if (masks.empty()) {
      effective = Mask;
      return;
    }
    combined.assign(area, 255);
    if (Mask) std::memcpy(combined.data(), Mask, area);
    for (const ActiveMask& m : masks)
      for (size_t i = 0; i < area; ++i) combined[i] = static_cast<uint8_t>(Div255(combined[i] * m.coverage[i]));
    effective = combined.data();
  };

  for (const SceneNode& n : Nodes) {
    const size_t before = masks.size();
    std::erase_if(masks, [&](const ActiveMask& m) { return m.clipDepth < n.depth; });
    if (masks.size() != before) recombine();
    if (n.clipDepth != 0) {
      if (n.clipDepth <= n.depth) continue;  // masks nothing
      ActiveMask m{n.clipDepth, std::vector<uint8_t>(area, 0)};
      DrawNode(n, M, Cx, nullptr, m.coverage.data(), Nesting);
      masks.push_back(std::move(m));
      recombine();
      continue;
    }
    DrawNode(n, M, Cx, effective, MaskOut, Nesting);
  }
}

IntRect NodeBounds(const SceneNode& N, const Matrix& M, int Nesting, render::FilterScale Scale);

void Renderer::DrawNode(const SceneNode& N, const Matrix& M, const ColorTransform& Cx, const uint8_t* Mask,
                        uint8_t* MaskOut, int Nesting) {
  Matrix m = M * N.matrix;
  // A cached bitmap is drawn at whole pixels.
  if (N.cacheAsBitmap && std::isfinite(m.tx) && std::isfinite(m.ty)) m = {m.a, m.b, m.c, m.d, std::round(m.tx), std::round(m.ty)};
  if (!MaskOut && render::DrawsThroughLayer(N) && layers_deep_ < render::kMaxLayerNesting) {
    if (render::ActsOnParent(N.blendMode) && layers_deep_ == 0) return;
    DrawLayer(N, m, Cx * N.cxform, Mask, Nesting);
    return;
  }
  DrawContent(N, m, Cx * N.cxform, Mask, MaskOut, Nesting);
}

void Renderer::DrawLayer(const SceneNode& N, const Matrix& M, const ColorTransform& Cx, const uint8_t* Mask,
                         int Nesting) {
  const IntRect at = render::LayerRect(NodeBounds(N, M, Nesting, scale_), render::NodeReach(N, scale_), clip_);
  if (at.Empty()) return;
  // Making, clearing and compositing the layer counts against the frame's
  // budget too; past it, nodes are drawn plainly.
  const int64_t cost = render::LayerCost(at);
  if (render::TooLarge(at) || cost > *budget_) {
    DrawContent(N, M, Cx, Mask, nullptr, Nesting);
    return;
  }
  *budget_ -= cost;
  render::Image layer(at.right - at.left, at.bottom - at.top);
  Renderer inner(*movie_, {layer.pixels.data(), layer.width, layer.height, layer.width * 4},
                 {0, 0, layer.width, layer.height});
  inner.SetLayering(scale_, layers_deep_ + 1, budget_);
  const Matrix shift{1, 0, 0, 1, -static_cast<double>(at.left), -static_cast<double>(at.top)};
  inner.DrawContent(N, shift * M, ColorTransform{}, nullptr, nullptr, Nesting);
  render::FinishLayer(layer, at, N, Cx, scale_, target_, clip_, Mask, *budget_);
}

void Renderer::DrawContent(const SceneNode& N, const Matrix& m, const ColorTransform& cx, const uint8_t* Mask,
                           uint8_t* MaskOut, int Nesting) {
  if (N.shape) DrawShape(*N.shape, m, cx, Mask, MaskOut);
  if (N.children.empty() || Nesting >= kMaxNesting) return;
  const Movie* outer = movie_;
  if (N.movie) movie_ = N.movie;
  render::GridChildren grid;
  DrawList(render::ReshapeForGrid(N, grid) ? grid.nodes : N.children, m, cx, Mask, MaskOut, Nesting + 1);
  movie_ = outer;
}

bool Renderer::Flatten(const Shape& S, const Matrix& M, double Margin, Rect& Bounds) {
  // Curves whose control triangle lies wholly above, below, left or right
  // of the clip (widened by Margin for strokes) change nothing inside it
  // when replaced by their chord: above and below no row sees them, to the
  // left only their net winding counts, to the right nothing is drawn.
  const double left = clip_.left - Margin, right = clip_.right + Margin;
  const double top = clip_.top - Margin, bottom = clip_.bottom + Margin;
  points_.clear();
  polylines_.clear();
  bool finite = true;
  Point lo{INFINITY, INFINITY}, hi{-INFINITY, -INFINITY};  // of the points
  auto push = [&](Point p) {
    finite = finite && std::isfinite(p.x) && std::isfinite(p.y);
    p = {SafeCoord(p.x), SafeCoord(p.y)};
    points_.push_back(p);
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
  };
  for (const Path& path : S.paths) {
    Polyline pl{points_.size(), 0, path.fill0, path.fill1, path.line};
    Point cur = M.Apply(path.start);
    push(cur);
    for (const Edge& e : path.edges) {
      const Point a = M.Apply(e.anchor);
      if (e.curve) {
        const Point c = M.Apply(e.control);
        const bool outside = std::max({cur.x, c.x, a.x}) < left || std::min({cur.x, c.x, a.x}) > right ||
                             std::max({cur.y, c.y, a.y}) < top || std::min({cur.y, c.y, a.y}) > bottom;
        const double dx = cur.x - 2 * c.x + a.x, dy = cur.y - 2 * c.y + a.y;
        const double deviation = std::sqrt(dx * dx + dy * dy) / 4;  // of the chord at the middle
        const double n = std::ceil(std::sqrt(deviation / render::kCurveTolerance));
        // Past the point budget curves become chords: a bound on memory and
        // time for shapes of absurd size.
        const int segments = outside || !std::isfinite(n) || points_.size() > kMaxPoints
                                 ? 1
                                 : static_cast<int>(std::clamp(n, 1.0, double{kMaxCurveSegments}));
        for (int i = 1; i < segments; ++i) {
          const double t = static_cast<double>(i) / segments, u = 1 - t;
          push({u * u * cur.x + 2 * t * u * c.x + t * t * a.x, u * u * cur.y + 2 * t * u * c.y + t * t * a.y});
        }
      }
      push(a);
      cur = a;
    }
    pl.end = points_.size();
    polylines_.push_back(pl);
  }
  if (!points_.empty()) {
    Bounds.Include(lo);
    Bounds.Include(hi);
  }
  return finite;
}

void Renderer::DrawShape(const Shape& S, const Matrix& M, const ColorTransform& Cx, const uint8_t* Mask,
                         uint8_t* MaskOut) {
  // Shapes wholly outside the clip are skipped before any flattening. The
  // first rows of the others are fetched now, to arrive while the shape is
  // flattened (the row loop fetches the later ones).
  const IntRect bounds = ShapePixelBounds(S, M).Intersect(clip_);
  if (bounds.Empty()) return;
  if (!MaskOut)
    for (int32_t y = bounds.top; y < std::min(bounds.bottom, bounds.top + kPrefetchRows); ++y) {
      const CacheLines lines(RowOf(target_, y), bounds.left, bounds.right);
      for (uintptr_t a = lines.first; a <= lines.last; a += 64) __builtin_prefetch(reinterpret_cast<const void*>(a));
    }
  double maxRadius = 0;
  for (const Path& p : S.paths)
    if (p.line >= 1 && p.line <= S.lines.size()) maxRadius = std::max(maxRadius, StrokeRadius(S.lines[p.line - 1], M));
  Rect geometry;
  if (!Flatten(S, M, maxRadius + 1, geometry) || geometry.Empty()) return;
  const bool colour = MaskOut == nullptr;
  outliner_.SetArcBudget(kMaxPoints);
  const IntRect box = ToPixels(geometry, maxRadius + 1).Intersect(clip_);
  if (box.Empty()) return;

  // One layer per fill style, its edges directed so the style lies on the
  // same side of all of them (fill1 is on the right: fill0 edges reversed).
  layers_.Clear();
  fillLayer_.assign(S.fills.size() + 1, -1);
  for (const Polyline& p : polylines_) {
    if (p.fill0 == p.fill1) continue;  // the same fill on both sides: no boundary
    for (const uint32_t f : {p.fill0, p.fill1}) {
      if (f == 0 || f > S.fills.size()) continue;
      int& index = fillLayer_[f];
      if (index == -1) {
        Layer& l = layers_.Push();
        const bool paints = l.paint.Set(S.fills[f - 1], M, Cx, *movie_);
        if (colour && !paints) {
          layers_.Pop();
          index = -2;
        } else {
          index = static_cast<int>(layers_.size() - 1);
        }
      }
      if (index < 0) continue;
      CellRasterizer& r = layers_[static_cast<size_t>(index)].rast;
      for (size_t i = p.begin; i + 1 < p.end; ++i) {
        if (f == p.fill1)
          r.AddLine(points_[i], points_[i + 1]);
        else
          r.AddLine(points_[i + 1], points_[i]);
      }
    }
  }
  // Strokes over the fills in path order; consecutive paths with the same
  // line style form one stroke, so its overlaps are not painted twice.
  for (const Polyline& p : polylines_) {
    if (p.line == 0 || p.line > S.lines.size()) continue;
    const LineStyle& style = S.lines[p.line - 1];
    Layer* l = layers_.size() > 0 ? &layers_[layers_.size() - 1] : nullptr;
    if (!l || !l->stroke || l->line != p.line) {
      l = &layers_.Push();
      l->stroke = true;
      l->line = p.line;
      l->paint.SetSolid(style.color, Cx);
    }
    outliner_.Add(l->rast, std::span(points_).subspan(p.begin, p.end - p.begin), StrokeRadius(style, M));
  }
  layers_.Draw(box, Mask, MaskOut);
}

// The content of N (under M, its own matrix included), without the reach
// of N's own filters; its children's filters are included.
IntRect NodeBounds(const SceneNode& N, const Matrix& M, int Nesting, render::FilterScale Scale) {
  IntRect r = N.shape ? ShapePixelBounds(*N.shape, M) : IntRect{};
  if (Nesting < kMaxNesting)
    for (const SceneNode& c : N.children)
      r = r.Union(render::Grow(NodeBounds(c, M * c.matrix, Nesting + 1, Scale), render::NodeReach(c, Scale)));
  return r;
}

}  // namespace

void RenderScene(const std::vector<SceneNode>& Scene, const Movie& Movie, const Matrix& StageToPixels,
                 const RenderTarget& Target, IntRect Clip, bool Transparent, RGBA Background) {
  if (!Target.pixels || Target.width <= 0 || Target.height <= 0 || Target.strideBytes % 4 != 0 ||
      Target.strideBytes / 4 < Target.width)
    return;
  const IntRect clip = Clip.Intersect({0, 0, Target.width, Target.height})
                           .Intersect({0, 0, render::kGuardPixels, render::kGuardPixels});
  if (clip.Empty()) return;
  if (!Transparent) {
    const uint32_t bg = 0xFF000000u | uint32_t{Background.r} << 16 | uint32_t{Background.g} << 8 | Background.b;
    for (int32_t y = clip.top; y < clip.bottom; ++y) std::fill(RowOf(Target, y) + clip.left, RowOf(Target, y) + clip.right, bg);
  }
  Renderer r(Movie, Target, clip);
  int64_t budget = std::max(render::kMinFilterBudget, render::LayerCost(clip) / 8 * render::kFilterStepsPerPixel);
  r.SetLayering(render::FilterScaleOf(StageToPixels), 0, &budget);
  r.DrawList(Scene, StageToPixels, ColorTransform{}, nullptr, nullptr, 0);
}

IntRect NodePixelBounds(const SceneNode& Node, const Matrix& StageToPixels) {
  const render::FilterScale scale = render::FilterScaleOf(StageToPixels);
  return render::Grow(NodeBounds(Node, StageToPixels * Node.matrix, 0, scale), render::NodeReach(Node, scale));
}

}  // namespace swf
