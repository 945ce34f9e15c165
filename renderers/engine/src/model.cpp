#include "renderers/engine/model.h"

#include <algorithm>
#include <cmath>

namespace swf {

void Rect::Include(Point p) {
  if (Empty()) {
    xmin = xmax = p.x;
    ymin = ymax = p.y;
    return;
  }
  xmin = std::min(xmin, p.x);
  xmax = std::max(xmax, p.x);
  ymin = std::min(ymin, p.y);
  ymax = std::max(ymax, p.y);
}

void Rect::Include(const Rect& r) {
  if (r.Empty()) return;
  Include(Point{r.xmin, r.ymin});
  Include(Point{r.xmax, r.ymax});
}

IntRect IntRect::Intersect(const IntRect& o) const {
  IntRect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
  return r.Empty() ? IntRect{} : r;
}

IntRect IntRect::Union(const IntRect& o) const {
  if (Empty()) return o.Empty() ? IntRect{} : o;
  if (o.Empty()) return *this;
  return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right), std::max(bottom, o.bottom)};
}

Matrix Matrix::operator*(const Matrix& m) const {
  return {a * m.a + c * m.b,  b * m.a + d * m.b,  a * m.c + c * m.d,
          b * m.c + d * m.d,  a * m.tx + c * m.ty + tx, b * m.tx + d * m.ty + ty};
}

std::optional<Matrix> Matrix::Inverse() const {
  const double det = a * d - b * c;
  if (!std::isfinite(det) || std::fabs(det) < 1e-12) return std::nullopt;
  const double ia = d / det, ib = -b / det, ic = -c / det, id = a / det;
  return Matrix{ia, ib, ic, id, -(ia * tx + ic * ty), -(ib * tx + id * ty)};
}

Rect Matrix::Apply(const Rect& r) const {
  Rect out;
  if (r.Empty()) return out;
  out.Include(Apply(Point{r.xmin, r.ymin}));
  out.Include(Apply(Point{r.xmax, r.ymin}));
  out.Include(Apply(Point{r.xmin, r.ymax}));
  out.Include(Apply(Point{r.xmax, r.ymax}));
  return out;
}

namespace {
uint8_t Channel(int value, int mult, int add) { return static_cast<uint8_t>(std::clamp(value * mult / 256 + add, 0, 255)); }
int16_t Clamp16(long v) { return static_cast<int16_t>(std::clamp<long>(v, -32768, 32767)); }
}  // namespace

RGBA ColorTransform::Apply(RGBA c) const {
  return {Channel(c.r, multR, addR), Channel(c.g, multG, addG), Channel(c.b, multB, addB), Channel(c.a, multA, addA)};
}

ColorTransform ColorTransform::operator*(const ColorTransform& in) const {
  // out = (x * mi / 256 + ai) * mo / 256 + ao
  auto mult = [](int mo, int mi) { return Clamp16(static_cast<long>(mo) * mi / 256); };
  auto add = [](int mo, int ai, int ao) { return Clamp16(static_cast<long>(ai) * mo / 256 + ao); };
  return {mult(multR, in.multR), mult(multG, in.multG), mult(multB, in.multB), mult(multA, in.multA),
          add(multR, in.addR, addR), add(multG, in.addG, addG), add(multB, in.addB, addB), add(multA, in.addA, addA)};
}

}  // namespace swf
