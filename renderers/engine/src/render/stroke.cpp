#include "renderers/engine/src/render/stroke.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace swf::render {

namespace {

constexpr int kMaxCircleSegments = 256;

int SegmentsForArc(double Radius, double Angle) {
  const double step = Radius > kCurveTolerance ? 2 * std::acos(1 - kCurveTolerance / Radius) : std::numbers::pi / 4;
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

}  // namespace

void StrokeOutliner::AddPolygon(CellRasterizer& R) {
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

bool StrokeOutliner::DiscMissesClip(Point C, double Radius) const {
  return C.x + Radius < clip_.left - 1 || C.x - Radius > clip_.right + 1 || C.y + Radius < clip_.top - 1 ||
         C.y - Radius > clip_.bottom + 1;
}

void StrokeOutliner::AddCircle(CellRasterizer& R, Point C, double Radius) {
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

void StrokeOutliner::AddArc(std::vector<Point>& Out, Point C, double Radius, double From, double Delta) {
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

void StrokeOutliner::AddSide(std::vector<Point>& Out, double Sign, bool Closed) {
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

void StrokeOutliner::Add(CellRasterizer& R, std::span<const Point> Line, double Radius) {
  stroke_.clear();
  for (const Point p : Line) {
    if (stroke_.empty() || std::hypot(p.x - stroke_.back().x, p.y - stroke_.back().y) > 1e-9) stroke_.push_back(p);
  }
  if (stroke_.empty()) return;
  if (stroke_.size() == 1) {
    if (Line.size() > 1) AddCircle(R, stroke_[0], Radius);  // a line of no length shows as a dot
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

}  // namespace swf::render
