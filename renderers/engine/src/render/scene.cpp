// Drawing a scene: shapes are turned into per-style coverage layers and
// composited row by row; sprites recurse; masks render into 8-bit coverage
// buffers that multiply the coverage of the siblings they mask.
//
// How a shape's styles are combined without seams: where fill layers of one
// shape meet, they are summed per pixel (coverage times premultiplied paint)
// before anything touches the target. The fills of a well-formed shape do not
// overlap, so on an edge two fills share their coverages add up to one and
// the pixel ends fully covered; compositing each fill over the target on its
// own would leave the background showing through the edge. Strokes are laid
// over that sum with source-over, in path order, and the result is composited
// once over the target (premultiplied source-over, times the mask). Where a
// single layer covers a pixel there is nothing to combine, and its spans go
// straight onto the target: that is most of any shape.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

#include "renderers/engine/render.h"
#include "renderers/engine/src/render/blend.h"
#include "renderers/engine/src/render/paint.h"
#include "renderers/engine/src/render/raster.h"

namespace swf {

namespace {

using render::CellRasterizer;
using render::CoverK8;
using render::kFullCover;
using render::kVaries;
using render::Span;
using render::Paint;

constexpr double kTolerance = 0.05;  // pixels a flattened curve or circle may stray
constexpr int kMaxCurveSegments = 512;
constexpr int kMaxCircleSegments = 256;
constexpr size_t kMaxPoints = 1u << 20;  // flattened points of one shape before curves turn into chords
constexpr int kMaxNesting = 64;  // sprites deeper than this are not drawn
constexpr double kMaxCoordinate = 1e9;
constexpr int32_t kPrefetchRows = 8;  // how far ahead the target's rows are fetched

// Pixels are written through uint32_t rows StrideBytes apart.
uint32_t* RowOf(const RenderTarget& T, int32_t Y) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(T.pixels) + static_cast<ptrdiff_t>(Y) * T.strideBytes);
}

// The cache lines of pixels Row[Lo, Hi) (Lo < Hi), as addresses to prefetch.
// (The loops that prefetch them are written out where they are used: GCC
// finds a function that only prefetches free of side effects and drops its
// calls.)
struct CacheLines {
  uintptr_t first, last;
  CacheLines(const uint32_t* Row, int32_t Lo, int32_t Hi)
      : first(reinterpret_cast<uintptr_t>(Row + Lo) & ~uintptr_t{63}), last(reinterpret_cast<uintptr_t>(Row + Hi - 1)) {}
};

// V / 255 rounded, for V <= 255 * 255.
uint32_t Div255(uint32_t V) {
  V += 128;
  return (V + (V >> 8)) >> 8;
}

// Mask value 0..255 as a factor 0..256.
inline uint32_t MaskK8(uint8_t M) { return (M * 257u + 128) >> 8; }

// A single-layer shape's rows at most this wide are composited in one run.
constexpr int32_t kOneRunWidth = 64;

double SafeCoord(double V) { return std::clamp(V, -kMaxCoordinate, kMaxCoordinate); }

int SegmentsForArc(double Radius, double Angle) {
  const double step = Radius > kTolerance ? 2 * std::acos(1 - kTolerance / Radius) : std::numbers::pi / 4;
  const double n = std::ceil(std::fabs(Angle) / std::max(step, 1e-3));
  return static_cast<int>(std::clamp(n, 1.0, static_cast<double>(kMaxCircleSegments)));
}

// The radius for the vertices of an arc of Segments steps over Angle whose
// polygon has the area of the true arc's sector (an inscribed polygon would
// make round caps and joins visibly thinner).
double AreaRadius(double Radius, double Angle, int Segments) {
  const double step = std::fabs(Angle) / Segments;
  if (step < 1e-9) return Radius;
  return Radius * std::sqrt(step / std::sin(step));
}

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

struct Layer {
  CellRasterizer rast;
  Paint paint;
  bool stroke = false;
  uint32_t line = 0;  // stroke layers: the line style
  int32_t lo = 0, hi = 0;
  bool live = false;  // has coverage in the current row
};

// A path flattened into pixel space: points [begin, end) of the shared list.
struct Polyline {
  size_t begin = 0, end = 0;
  uint32_t fill0 = 0, fill1 = 0, line = 0;
};

class Renderer {
 public:
  Renderer(const Movie& M, const RenderTarget& T, IntRect Clip) : movie_(&M), target_(T), clip_(Clip) {
    clipW_ = Clip.right - Clip.left;
  }

  // Draws Nodes (in depth order) under M and Cx. Mask: the coverage of the
  // masks in force (clip-sized, nullptr for none). MaskOut: non-null to
  // render coverage into this clip-sized buffer instead of colours.
  void DrawList(const std::vector<SceneNode>& Nodes, const Matrix& M, const ColorTransform& Cx, const uint8_t* Mask,
                uint8_t* MaskOut, int Nesting);

 private:
  struct ActiveMask {
    uint16_t clipDepth;
    std::vector<uint8_t> coverage;
  };

  void DrawNode(const SceneNode& N, const Matrix& M, const ColorTransform& Cx, const uint8_t* Mask, uint8_t* MaskOut,
                int Nesting);
  void DrawShape(const Shape& S, const Matrix& M, const ColorTransform& Cx, const uint8_t* Mask, uint8_t* MaskOut);
  bool Flatten(const Shape& S, const Matrix& M, double Margin, Rect& Bounds);
  Layer& NewLayer();
  void AddPolygon(CellRasterizer& R);
  bool DiscMissesClip(Point C, double Radius) const;
  void AddCircle(CellRasterizer& R, Point C, double Radius);
  void AddStroke(CellRasterizer& R, const Polyline& P, double Radius);
  void AddSide(std::vector<Point>& Out, double Sign, bool Closed);
  void AddArc(std::vector<Point>& Out, Point C, double Radius, double From, double Delta);
  void CompositeRow(int32_t Y, int32_t Left, int32_t Lo, int32_t Hi, const uint8_t* MaskRow, uint8_t* OutRow);
  void CompositeSpans(const Layer& L, const Span* First, const Span* Last, int32_t Y, int32_t Left,
                      const uint8_t* MaskRow);
  void CompositeSpan(const Layer& L, const Span& S, int32_t Y, int32_t Left, const uint8_t* MaskRow) {
    CompositeSpans(L, &S, &S + 1, Y, Left, MaskRow);
  }
  void CompositeLayers(int32_t Y, int32_t Left, const uint8_t* MaskRow);
  void SpanCoverage(const Layer& L, const Span& S, int32_t X0, int32_t X1);
  void Accumulate(const Layer& L, int32_t X0, int32_t X1, int32_t Y, int32_t Left);

  const Movie* movie_;  // of the nodes being drawn
  RenderTarget target_;
  IntRect clip_;
  int32_t clipW_ = 0;

  // Scratch reused from shape to shape.
  std::vector<Layer> layers_;
  size_t layerCount_ = 0;
  std::vector<Point> points_;
  std::vector<Polyline> polylines_;
  std::vector<Point> polygon_;
  std::vector<Point> stroke_;   // the polyline being stroked
  std::vector<Point> normals_;  // its segments' normals, as long as the radius
  std::vector<Point> side_;
  double radius_ = 0;
  size_t arcBudget_ = 0;  // arc points a shape's strokes may still add
  std::vector<int> fillLayer_;
  std::vector<float> rowColor_;  // premultiplied 0..255, four a pixel (B, G, R, A)
  std::vector<float> rowCover_;     // masks: the shape's coverage so far
  std::vector<float> rowCoverage_;  // one layer's coverage as 0..1
  std::vector<uint32_t> shade_;
  std::vector<uint16_t> ks_;  // a span's coverage factors, one a pixel
  std::vector<size_t> cursor_;  // each layer's span at the current column
};

Layer& Renderer::NewLayer() {
  if (layerCount_ == layers_.size()) layers_.emplace_back();
  Layer& l = layers_[layerCount_++];
  l.rast.Clear();
  l.stroke = false;
  l.line = 0;
  l.live = false;
  return l;
}

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

void Renderer::DrawNode(const SceneNode& N, const Matrix& M, const ColorTransform& Cx, const uint8_t* Mask,
                        uint8_t* MaskOut, int Nesting) {
  const Matrix m = M * N.matrix;
  const ColorTransform cx = Cx * N.cxform;
  if (N.shape) DrawShape(*N.shape, m, cx, Mask, MaskOut);
  if (N.children.empty() || Nesting >= kMaxNesting) return;
  const Movie* outer = movie_;
  if (N.movie) movie_ = N.movie;
  DrawList(N.children, m, cx, Mask, MaskOut, Nesting + 1);
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
        const double n = std::ceil(std::sqrt(deviation / kTolerance));
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

void Renderer::AddPolygon(CellRasterizer& R) {
  // Wound the same way as the stroke outlines (positive area), so dots and
  // outlines in one stroke add up under the non-zero rule.
  const size_t n = polygon_.size();
  if (n < 3) return;
  double area = 0;
  for (size_t i = 0; i < n; ++i) {
    const Point& p = polygon_[i];
    const Point& q = polygon_[(i + 1) % n];
    area += p.x * q.y - q.x * p.y;
  }
  if (area == 0) return;
  for (size_t i = 0; i < n; ++i) {
    const Point& p = polygon_[i];
    const Point& q = polygon_[(i + 1) % n];
    if (area > 0)
      R.AddLine(p, q);
    else
      R.AddLine(q, p);
  }
}

bool Renderer::DiscMissesClip(Point C, double Radius) const {
  return C.x + Radius < clip_.left - 1 || C.x - Radius > clip_.right + 1 || C.y + Radius < clip_.top - 1 ||
         C.y - Radius > clip_.bottom + 1;
}

void Renderer::AddCircle(CellRasterizer& R, Point C, double Radius) {
  // A disc away from the clip needs no roundness: its winding is all that counts.
  const bool coarse = arcBudget_ == 0 || DiscMissesClip(C, Radius);
  const int n = coarse ? 8 : std::max(8, SegmentsForArc(Radius, 2 * std::numbers::pi));
  arcBudget_ -= std::min(arcBudget_, static_cast<size_t>(n));
  const double r = AreaRadius(Radius, 2 * std::numbers::pi, n);
  polygon_.clear();
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * i / n;
    polygon_.push_back({C.x + r * std::cos(a), C.y + r * std::sin(a)});
  }
  AddPolygon(R);
}

void Renderer::AddArc(std::vector<Point>& Out, Point C, double Radius, double From, double Delta) {
  // The points strictly inside the arc; its ends are placed by the caller.
  // An arc whose disc misses the clip is drawn as its chord: where it runs
  // outside the clip only its net winding counts, and the chord's is the same.
  if (DiscMissesClip(C, Radius)) return;
  const int segments = arcBudget_ > 0 ? SegmentsForArc(Radius, Delta) : 2;
  arcBudget_ -= std::min(arcBudget_, static_cast<size_t>(segments));
  const double r = AreaRadius(Radius, Delta, segments);
  for (int j = 1; j < segments; ++j) {
    const double a = From + Delta * j / segments;
    Out.push_back({C.x + r * std::cos(a), C.y + r * std::sin(a)});
  }
}

void Renderer::AddSide(std::vector<Point>& Out, double Sign, bool Closed) {
  // One side of the stroke (Sign +1: the side the normals point to), in path
  // order, offset by the radius. At a join the side either runs round the
  // outside of the turn on an arc or, on the inside, through the vertex
  // itself. Taken as chains, the outline these sides make is the sum of the
  // boundaries of every segment's rectangle, every join's wedge and the
  // caps, all wound the same way; so its winding number is positive exactly
  // on their union and never cancels, and the non-zero rule fills the
  // stroke with far fewer edges than the pieces would have.
  const size_t m = stroke_.size() - 1;  // segments
  auto offset = [&](size_t v, size_t seg) {
    return Point{stroke_[v].x + Sign * normals_[seg].x, stroke_[v].y + Sign * normals_[seg].y};
  };
  auto join = [&](size_t v, size_t in, size_t out) {
    Out.push_back(offset(v, in));
    const double a1 = std::atan2(Sign * normals_[in].y, Sign * normals_[in].x);
    const double delta = std::remainder(std::atan2(normals_[out].y, normals_[out].x) -
                                            std::atan2(normals_[in].y, normals_[in].x),
                                        2 * std::numbers::pi);
    // The normals are the directions turned by +90 degrees: a positive turn
    // bends towards them, leaving the opposite side outside.
    const bool outer = Sign < 0 ? delta > 0 : delta < 0;
    if (std::fabs(delta) > 1e-9) {
      if (outer)
        AddArc(Out, stroke_[v], radius_, a1, delta);
      else
        Out.push_back(stroke_[v]);
    }
    Out.push_back(offset(v, out));
  };
  if (Closed) {
    for (size_t v = 0; v < m; ++v) join(v, (v + m - 1) % m, v);
    return;
  }
  Out.push_back(offset(0, 0));
  for (size_t v = 1; v < m; ++v) join(v, v - 1, v);
  Out.push_back(offset(m, m - 1));
}

void Renderer::AddStroke(CellRasterizer& R, const Polyline& P, double Radius) {
  stroke_.clear();
  for (size_t i = P.begin; i < P.end; ++i) {
    const Point p = points_[i];
    if (stroke_.empty() || std::hypot(p.x - stroke_.back().x, p.y - stroke_.back().y) > 1e-9) stroke_.push_back(p);
  }
  if (stroke_.empty()) return;
  if (stroke_.size() == 1) {
    if (P.end - P.begin > 1) AddCircle(R, stroke_[0], Radius);  // a line of no length shows as a dot
    return;
  }
  const size_t n = stroke_.size();
  radius_ = Radius;
  normals_.clear();
  for (size_t i = 0; i + 1 < n; ++i) {  // unit normals of the segments, times the radius
    const double dx = stroke_[i + 1].x - stroke_[i].x, dy = stroke_[i + 1].y - stroke_[i].y;
    const double len = std::hypot(dx, dy);
    normals_.push_back({-dy / len * Radius, dx / len * Radius});
  }
  auto addLoop = [&R](const std::vector<Point>& L, bool Reversed) {
    for (size_t i = 0; i < L.size(); ++i) {
      const Point& p = L[i];
      const Point& q = L[(i + 1) % L.size()];
      if (Reversed)
        R.AddLine(q, p);
      else
        R.AddLine(p, q);
    }
  };
  const bool closed = n > 3 && std::hypot(stroke_[0].x - stroke_[n - 1].x, stroke_[0].y - stroke_[n - 1].y) <= 1e-9;
  polygon_.clear();
  AddSide(polygon_, -1, closed);
  if (closed) {
    // Two loops: one side forwards, the other backwards.
    addLoop(polygon_, false);
    polygon_.clear();
    AddSide(polygon_, +1, true);
    addLoop(polygon_, true);
    return;
  }
  // One loop: a side forwards, round the end, the other side backwards and
  // round the start (caps turn through half a circle the positive way).
  const Point& nl = normals_.back();
  AddArc(polygon_, stroke_[n - 1], Radius, std::atan2(-nl.y, -nl.x), std::numbers::pi);
  side_.clear();
  AddSide(side_, +1, false);
  polygon_.insert(polygon_.end(), side_.rbegin(), side_.rend());
  AddArc(polygon_, stroke_[0], Radius, std::atan2(normals_[0].y, normals_[0].x), std::numbers::pi);
  addLoop(polygon_, false);
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
  arcBudget_ = kMaxPoints;
  const IntRect box = ToPixels(geometry, maxRadius + 1).Intersect(clip_);
  if (box.Empty()) return;

  // One layer per fill style, its edges directed so the style lies on the
  // same side of all of them (fill1 is on the right: fill0 edges reversed).
  layerCount_ = 0;
  fillLayer_.assign(S.fills.size() + 1, -1);
  for (const Polyline& p : polylines_) {
    if (p.fill0 == p.fill1) continue;  // the same fill on both sides: no boundary
    for (const uint32_t f : {p.fill0, p.fill1}) {
      if (f == 0 || f > S.fills.size()) continue;
      int& index = fillLayer_[f];
      if (index == -1) {
        Layer& l = NewLayer();
        const bool paints = l.paint.Set(S.fills[f - 1], M, Cx, *movie_);
        if (colour && !paints) {
          --layerCount_;
          index = -2;
        } else {
          index = static_cast<int>(layerCount_ - 1);
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
    Layer* l = layerCount_ > 0 ? &layers_[layerCount_ - 1] : nullptr;
    if (!l || !l->stroke || l->line != p.line) {
      l = &NewLayer();
      l->stroke = true;
      l->line = p.line;
      l->paint.SetSolid(style.color, Cx);
    }
    AddStroke(l->rast, p, StrokeRadius(style, M));
  }
  if (layerCount_ == 0) return;

  const int32_t left = box.left, width = box.right - box.left;
  for (size_t i = 0; i < layerCount_; ++i) layers_[i].rast.Begin(box);
  if (rowColor_.size() < static_cast<size_t>(width) * 4) rowColor_.resize(static_cast<size_t>(width) * 4, 0.0f);
  if (rowCover_.size() < static_cast<size_t>(width)) rowCover_.resize(static_cast<size_t>(width), 0.0f);
  if (rowCoverage_.size() < static_cast<size_t>(width)) rowCoverage_.resize(static_cast<size_t>(width));
  // Three more than a row: a span's last pixels may be composited four at a time.
  if (shade_.size() < static_cast<size_t>(width) + 3) shade_.resize(static_cast<size_t>(width) + 3);
  if (ks_.size() < static_cast<size_t>(width) + 3) ks_.resize(static_cast<size_t>(width) + 3);

  for (int32_t y = box.top; y < box.bottom; ++y) {
    const size_t maskOffset = static_cast<size_t>(y - clip_.top) * static_cast<size_t>(clipW_) +
                              static_cast<size_t>(left - clip_.left);
    const uint8_t* maskRow = Mask ? Mask + maskOffset : nullptr;
    uint8_t* outRow = MaskOut ? MaskOut + maskOffset : nullptr;
    int32_t lo = width, hi = 0;
    size_t live = 0;
    Layer* only = nullptr;
    for (size_t i = 0; i < layerCount_; ++i) {
      Layer& l = layers_[i];
      l.live = l.rast.Row(y);
      if (!l.live) continue;
      l.lo = l.rast.spans().front().x0;
      l.hi = l.rast.spans().back().x1;
      ++live;
      only = &l;
      lo = std::min(lo, l.lo);
      hi = std::max(hi, l.hi);
    }
    if (live == 0) continue;

    if (colour) {
      // The target's rows lie a page or more apart, beyond what the
      // hardware fetches ahead on its own: ask for a later row's part now,
      // so it is in cache when that row is drawn.
      if (y + kPrefetchRows < box.bottom && lo < hi) {
        const CacheLines lines(RowOf(target_, y + kPrefetchRows) + left, lo, hi);
        for (uintptr_t a = lines.first; a <= lines.last; a += 64) __builtin_prefetch(reinterpret_cast<const void*>(a));
      }
      if (layerCount_ == 1) {
        // A short row goes in one run: fewer calls and short ends for small
        // shapes; a long one span by span, so long runs of one coverage stay
        // cheap.
        const std::vector<Span>& spans = only->rast.spans();
        if (spans.back().x1 - spans.front().x0 <= kOneRunWidth)
          CompositeSpans(*only, spans.data(), spans.data() + spans.size(), y, left, maskRow);
        else
          for (const Span& s : spans) CompositeSpan(*only, s, y, left, maskRow);
      } else {
        CompositeLayers(y, left, maskRow);
      }
      continue;
    }
    // Masks: the coverage of all layers together.
    for (size_t i = 0; i < layerCount_; ++i) {
      Layer& l = layers_[i];
      if (!l.live) continue;
      std::fill(rowCoverage_.begin() + l.lo, rowCoverage_.begin() + l.hi, 0.0f);
      for (const Span& s : l.rast.spans()) SpanCoverage(l, s, s.x0, s.x1);
      for (int32_t x = l.lo; x < l.hi; ++x) {
        float& c = rowCover_[static_cast<size_t>(x)];
        const float k = rowCoverage_[static_cast<size_t>(x)];
        c = l.stroke ? k + c * (1 - k) : c + k;
      }
    }
    CompositeRow(y, left, lo, hi, maskRow, outRow);
  }
}

void Renderer::SpanCoverage(const Layer& L, const Span& S, int32_t X0, int32_t X1) {
  const int32_t* cov = L.rast.coverage();
  for (int32_t x = X0; x < X1; ++x)
    rowCoverage_[static_cast<size_t>(x)] = static_cast<float>(S.cover == kVaries ? cov[x] : S.cover) * (1.0f / kFullCover);
}

void Renderer::CompositeLayers(int32_t Y, int32_t Left, const uint8_t* MaskRow) {
  // The layers' spans are walked together. Where one layer alone covers a
  // pixel its span goes straight onto the target; only where two or more
  // meet (fills along a shared edge, a stroke over a fill) are they summed
  // and laid over each other first. Which way a pixel goes depends only on
  // which layers cover it, never on the clip, so the pixels do not either.
  cursor_.assign(layerCount_, 0);
  int32_t x = INT32_MAX;
  for (size_t i = 0; i < layerCount_; ++i)
    if (layers_[i].live) x = std::min(x, layers_[i].lo);
  for (;;) {
    int32_t next = INT32_MAX;
    size_t covering = 0, which = 0;
    for (size_t i = 0; i < layerCount_; ++i) {
      if (!layers_[i].live) continue;
      const std::vector<Span>& spans = layers_[i].rast.spans();
      size_t& c = cursor_[i];
      while (c < spans.size() && spans[c].x1 <= x) ++c;
      if (c == spans.size()) continue;
      if (spans[c].x0 <= x) {
        ++covering;
        which = i;
        next = std::min(next, spans[c].x1);
      } else {
        next = std::min(next, spans[c].x0);
      }
    }
    if (next == INT32_MAX) return;
    if (covering == 1) {
      Span piece = layers_[which].rast.spans()[cursor_[which]];
      piece.x0 = x;
      piece.x1 = next;
      CompositeSpan(layers_[which], piece, Y, Left, MaskRow);
    } else if (covering > 1) {
      for (size_t i = 0; i < layerCount_; ++i) {
        const Layer& l = layers_[i];
        if (!l.live || cursor_[i] == l.rast.spans().size() || l.rast.spans()[cursor_[i]].x0 > x) continue;
        SpanCoverage(l, l.rast.spans()[cursor_[i]], x, next);
        Accumulate(l, x, next, Y, Left);
      }
      CompositeRow(Y, Left, x, next, MaskRow, nullptr);
    }
    x = next;
  }
}

void Renderer::Accumulate(const Layer& L, int32_t X0, int32_t X1, int32_t Y, int32_t Left) {
  // Fills add up (premultiplied colour times coverage); strokes go over
  // what is there.
  const float* cov = rowCoverage_.data();
  if (L.stroke) {
    const uint32_t s = L.paint.solidColor();
    const float sb = static_cast<float>(s & 0xFF), sg = static_cast<float>(s >> 8 & 0xFF),
                sr = static_cast<float>(s >> 16 & 0xFF), sa = static_cast<float>(s >> 24);
    for (int32_t x = X0; x < X1; ++x) {
      const float c = cov[x];
      if (c <= 0) continue;
      float* p = &rowColor_[static_cast<size_t>(x) * 4];
      const float keep = 1 - sa * c * (1.0f / 255);
      p[0] = sb * c + p[0] * keep;
      p[1] = sg * c + p[1] * keep;
      p[2] = sr * c + p[2] * keep;
      p[3] = sa * c + p[3] * keep;
    }
    return;
  }
  L.paint.Shade(Left + X0, Y, X1 - X0, shade_.data());
  for (int32_t x = X0; x < X1; ++x) {
    const float c = cov[x];
    if (c <= 0) continue;
    const uint32_t s = shade_[static_cast<size_t>(x - X0)];
    float* p = &rowColor_[static_cast<size_t>(x) * 4];
    p[0] += static_cast<float>(s & 0xFF) * c;
    p[1] += static_cast<float>(s >> 8 & 0xFF) * c;
    p[2] += static_cast<float>(s >> 16 & 0xFF) * c;
    p[3] += static_cast<float>(s >> 24) * c;
  }
}

void Renderer::CompositeRow(int32_t Y, int32_t Left, int32_t Lo, int32_t Hi, const uint8_t* MaskRow, uint8_t* OutRow) {
  if (OutRow) {
    for (int32_t x = Lo; x < Hi; ++x) {
      float& c = rowCover_[static_cast<size_t>(x)];
      float k = std::min(c, 1.0f) * (MaskRow ? MaskRow[x] * (1.0f / 255) : 1.0f);
      c = 0;
      if (k <= 0) continue;
      const float o = OutRow[x];
      OutRow[x] = static_cast<uint8_t>(std::min(255.0f, o + k * (255 - o) + 0.5f));
    }
    return;
  }
  // The sum, packed and validly premultiplied, goes over the target as one
  // span; pixels the layers leave (nearly) transparent get no coverage.
  const int32_t n = Hi - Lo;
  for (int32_t i = 0; i < n; ++i) {
    float* p = &rowColor_[static_cast<size_t>(Lo + i) * 4];
    const float a = std::min(p[3] + 0.5f, 255.0f);
    uint16_t k = 0;
    if (a >= 1.0f) {
      const uint32_t sa = static_cast<uint32_t>(a);
      auto ch = [sa](float v) { return std::min(sa, static_cast<uint32_t>(std::max(v, 0.0f) + 0.5f)); };
      shade_[static_cast<size_t>(i)] = sa << 24 | ch(p[2]) << 16 | ch(p[1]) << 8 | ch(p[0]);
      k = static_cast<uint16_t>(MaskRow ? MaskK8(MaskRow[Lo + i]) : 256);
    }
    ks_[static_cast<size_t>(i)] = k;
    p[0] = p[1] = p[2] = p[3] = 0;
  }
  render::SpanSource src;
  src.colors = shade_.data();
  src.ks = ks_.data();
  render::CompositeSpan(RowOf(target_, Y) + Left + Lo, n, src);
}

void Renderer::CompositeSpans(const Layer& L, const Span* First, const Span* Last, int32_t Y, int32_t Left,
                              const uint8_t* MaskRow) {
  // One layer's spans straight onto the target in one run, from the first's
  // start to the last's end: its paint times its coverage (times the mask);
  // pixels between the spans get none, which leaves them as they are.
  const int32_t x0 = First->x0, n = (Last - 1)->x1 - x0;
  render::SpanSource src;
  if (L.paint.solid()) {
    src.color = L.paint.solidColor();
  } else {
    L.paint.Shade(Left + x0, Y, n, shade_.data());
    src.colors = shade_.data();
  }
  if (Last - First == 1 && First->cover != kVaries && !MaskRow) {
    src.k = CoverK8(First->cover);
  } else {
    const int32_t* cov = L.rast.coverage();
    uint16_t* ks = ks_.data();
    int32_t x = x0;
    for (const Span* s = First; s != Last; ++s) {
      std::fill(ks + (x - x0), ks + (s->x0 - x0), uint16_t{0});
      x = s->x0;
      if (MaskRow) {
        for (; x < s->x1; ++x) {
          const uint32_t c = static_cast<uint32_t>(s->cover == kVaries ? cov[x] : s->cover);
          ks[x - x0] = static_cast<uint16_t>((c * MaskK8(MaskRow[x]) + kFullCover / 2) / kFullCover);
        }
      } else if (s->cover == kVaries) {
        for (; x < s->x1; ++x) ks[x - x0] = static_cast<uint16_t>(CoverK8(cov[x]));
      } else {
        std::fill(ks + (x - x0), ks + (s->x1 - x0), static_cast<uint16_t>(CoverK8(s->cover)));
        x = s->x1;
      }
    }
    src.ks = ks;
  }
  // The target's pixels up to the clip's right edge are this call's to touch.
  src.room = std::min(3, clip_.right - (Left + x0 + n));
  render::CompositeSpan(RowOf(target_, Y) + Left + x0, n, src);
}

IntRect NodeBounds(const SceneNode& N, const Matrix& M, int Nesting) {
  IntRect r = N.shape ? ShapePixelBounds(*N.shape, M) : IntRect{};
  if (Nesting < kMaxNesting)
    for (const SceneNode& c : N.children) r = r.Union(NodeBounds(c, M * c.matrix, Nesting + 1));
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
  r.DrawList(Scene, StageToPixels, ColorTransform{}, nullptr, nullptr, 0);
}

IntRect NodePixelBounds(const SceneNode& Node, const Matrix& StageToPixels) {
  return NodeBounds(Node, StageToPixels * Node.matrix, 0);
}

}  // namespace swf
