#include "renderers/engine/src/player/morph.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <variant>

#include "renderers/engine/src/player/display_list.h"

namespace swf::detail {
namespace {

double Mix(double A, double B, double T) { return A + (B - A) * T; }

uint8_t Mix8(uint8_t A, uint8_t B, double T) { return static_cast<uint8_t>(std::lround(Mix(A, B, T))); }

RGBA Mix(RGBA A, RGBA B, double T) { return {Mix8(A.r, B.r, T), Mix8(A.g, B.g, T), Mix8(A.b, B.b, T), Mix8(A.a, B.a, T)}; }

Point Mix(Point A, Point B, double T) { return {Mix(A.x, B.x, T), Mix(A.y, B.y, T)}; }

Rect Mix(const Rect& A, const Rect& B, double T) {
  return {Mix(A.xmin, B.xmin, T), Mix(A.ymin, B.ymin, T), Mix(A.xmax, B.xmax, T), Mix(A.ymax, B.ymax, T)};
}

Matrix Mix(const Matrix& A, const Matrix& B, double T) {
  return {Mix(A.a, B.a, T), Mix(A.b, B.b, T), Mix(A.c, B.c, T), Mix(A.d, B.d, T), Mix(A.tx, B.tx, T), Mix(A.ty, B.ty, T)};
}

FillStyle Mix(const FillStyle& A, const FillStyle& B, double T) {
  FillStyle f = A;
  f.color = Mix(A.color, B.color, T);
  f.matrix = Mix(A.matrix, B.matrix, T);
  f.focalPoint = Mix(A.focalPoint, B.focalPoint, T);
  for (size_t i = 0; i < f.gradient.size() && i < B.gradient.size(); ++i) {
    f.gradient[i].ratio = Mix8(A.gradient[i].ratio, B.gradient[i].ratio, T);
    f.gradient[i].color = Mix(A.gradient[i].color, B.gradient[i].color, T);
  }
  // The rasteriser relies on ascending ratios; records that cross keep their order.
  std::stable_sort(f.gradient.begin(), f.gradient.end(),
                   [](const GradientRecord& a, const GradientRecord& b) { return a.ratio < b.ratio; });
  return f;
}

Path Mix(const Path& A, const Path& B, double T) {
  Path p{A.fill0, A.fill1, A.line, Mix(A.start, B.start, T), A.edges};
  for (size_t i = 0; i < p.edges.size() && i < B.edges.size(); ++i) {
    p.edges[i].control = Mix(A.edges[i].control, B.edges[i].control, T);
    p.edges[i].anchor = Mix(A.edges[i].anchor, B.edges[i].anchor, T);
  }
  return p;
}

}  // namespace

Shape MorphAt(const MorphShape& M, double T) {
  T = std::isnan(T) ? 0.0 : std::clamp(T, 0.0, 1.0);
  Shape s;
  s.tagVersion = 3;  // colours with alpha
  s.bounds = Mix(M.startBounds, M.endBounds, T);
  s.fills.reserve(M.fills.size());
  for (const MorphFillStyle& f : M.fills) s.fills.push_back(Mix(f.start, f.end, T));
  s.lines.reserve(M.lines.size());
  for (const MorphLineStyle& l : M.lines)
    s.lines.push_back({static_cast<uint16_t>(std::lround(Mix(l.start.width, l.end.width, T))),
                       Mix(l.start.color, l.end.color, T)});
  s.paths.reserve(M.startPaths.size());
  for (size_t i = 0; i < M.startPaths.size(); ++i)
    s.paths.push_back(i < M.endPaths.size() ? Mix(M.startPaths[i], M.endPaths[i], T) : M.startPaths[i]);
  return s;
}

void UpdateMorph(Instance& I) {
  const auto* m = std::get_if<MorphShape>(I.character);
  if (!m || (I.morphed && I.morphRatio == I.placement.ratio)) return;
  I.morphRatio = I.placement.ratio;
  I.morphed = std::make_shared<const Shape>(MorphAt(*m, MorphPosition(I.morphRatio)));
}

const Shape* InstanceShape(const Instance& I) {
  if (const auto* shape = std::get_if<Shape>(I.character)) return shape;
  return I.morphed.get();
}

}  // namespace swf::detail
