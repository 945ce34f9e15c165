#include "renderers/engine/src/render/scaling_grid.h"

#include <algorithm>
#include <cmath>

namespace swf::render {

namespace {

// One axis of the grid: [lo, hi) content, [g0, g1] the grid, drawn at Scale.
struct Axis {
  double lo, hi, g0, g1, left, centre;  // left: the first part's new length; centre: the grid's

  Axis(double Lo, double Hi, double G0, double G1, double Scale) : lo(Lo), hi(Hi), g0(G0), g1(G1) {
    const double total = hi - lo, first = std::max(0.0, g0 - lo), last = std::max(0.0, hi - g1);
    left = first / Scale;
    double right = last / Scale;
    // Scaled down so far that the corners no longer fit: they shrink too.
    const double fixed = left + right;
    if (fixed > total && fixed > 0) {
      left *= total / fixed;
      right *= total / fixed;
    }
    centre = total - left - right;
  }

  double Map(double V) const {
    if (V <= g0) return lo + (V - lo) * (g0 > lo ? left / (g0 - lo) : 0);
    if (V >= g1) return hi - (hi - V) * (hi > g1 ? (hi - (lo + left + centre)) / (hi - g1) : 0);
    return lo + left + (V - g0) * centre / (g1 - g0);
  }
};

}  // namespace

bool ReshapeForGrid(const SceneNode& N, GridChildren& Out) {
  if (!N.scalingGrid || N.scalingGrid->Empty()) return false;
  const Rect& grid = *N.scalingGrid;
  const double sx = std::hypot(N.matrix.a, N.matrix.b), sy = std::hypot(N.matrix.c, N.matrix.d);
  if (!std::isfinite(sx) || !std::isfinite(sy) || sx <= 1e-6 || sy <= 1e-6) return false;
  // The content's bounds in the node's space: the shapes' declared bounds, placed.
  Rect content;
  for (const SceneNode& c : N.children)
    if (c.shape && !c.shape->bounds.Empty()) content.Include(c.matrix.Apply(c.shape->bounds));
  if (content.Empty() || grid.xmin <= content.xmin || grid.xmax >= content.xmax || grid.ymin <= content.ymin ||
      grid.ymax >= content.ymax)
    return false;  // a grid not inside the content scales the whole as usual
  const Axis ax(content.xmin, content.xmax, grid.xmin, grid.xmax, sx);
  const Axis ay(content.ymin, content.ymax, grid.ymin, grid.ymax, sy);
  const double strokeScale = 1 / std::sqrt(sx * sy);
  for (const SceneNode& c : N.children) {
    Out.nodes.push_back(c);
    if (!c.shape) continue;
    Shape s = *c.shape;
    auto map = [&](Point p) {
      const Point q = c.matrix.Apply(p);
      return Point{ax.Map(q.x), ay.Map(q.y)};
    };
    for (Path& p : s.paths) {
      p.start = map(p.start);
      for (Edge& e : p.edges) {
        e.anchor = map(e.anchor);
        if (e.curve) e.control = map(e.control);
      }
    }
    for (LineStyle& l : s.lines)
      l.width = static_cast<uint16_t>(std::clamp(std::round(l.width * strokeScale), 1.0, 65535.0));
    // Fills with their own space (gradients, bitmaps) follow the child's matrix.
    for (FillStyle& f : s.fills) f.matrix = c.matrix * f.matrix;
    s.bounds = Rect{};
    s.bounds.Include(content);
    Out.shapes.push_back(std::move(s));
    Out.nodes.back().shape = &Out.shapes.back();
    Out.nodes.back().matrix = Matrix{};
  }
  return true;
}

}  // namespace swf::render
