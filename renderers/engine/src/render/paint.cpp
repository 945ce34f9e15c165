#include "renderers/engine/src/render/paint.h"

#include <algorithm>
#include <cmath>

#include "renderers/engine/src/render/gradient.h"

namespace swf::render {

namespace {

uint32_t Pack(uint32_t A, uint32_t R, uint32_t G, uint32_t B) { return A << 24 | R << 16 | G << 8 | B; }

uint8_t Mul255(uint32_t V, uint32_t A) { return static_cast<uint8_t>((V * A + 127) / 255); }

// A premultiplied pixel through a colour transform: unpremultiplied first,
// transformed, premultiplied again.
uint32_t TransformPremultiplied(uint32_t P, const ColorTransform& Cx) {
  const uint32_t a = P >> 24;
  RGBA c{0, 0, 0, static_cast<uint8_t>(a)};
  if (a != 0) {
    auto un = [a](uint32_t v) { return static_cast<uint8_t>(std::min<uint32_t>(255, (v * 255 + a / 2) / a)); };
    c.r = un(P >> 16 & 0xFF);
    c.g = un(P >> 8 & 0xFF);
    c.b = un(P & 0xFF);
  }
  return Premultiply(Cx.Apply(c));
}

// Repeats or clamps a sample coordinate into 0..Size-1.
int32_t Wrap(int64_t I, int32_t Size, bool Repeat) {
  if (Repeat) {
    const int64_t m = I % Size;
    return static_cast<int32_t>(m < 0 ? m + Size : m);
  }
  return static_cast<int32_t>(std::clamp<int64_t>(I, 0, Size - 1));
}

// A coordinate brought into a range where it converts to an integer safely;
// repeating coordinates keep their position within the period.
double Tame(double U, int32_t Size, bool Repeat) {
  if (!std::isfinite(U)) return 0;
  if (Repeat) return U - std::floor(U / Size) * Size;
  return std::clamp(U, -2.0, Size + 2.0);
}

}  // namespace

uint32_t Premultiply(RGBA C) { return Pack(C.a, Mul255(C.r, C.a), Mul255(C.g, C.a), Mul255(C.b, C.a)); }

void Paint::SetSolid(RGBA Color, const ColorTransform& Cx) {
  kind_ = Kind::Solid;
  solid_ = Premultiply(Cx.Apply(Color));
}

bool Paint::Set(const FillStyle& Fill, const Matrix& ShapeToPixels, const ColorTransform& Cx, const Movie& Movie) {
  cx_ = Cx;
  cxIdentity_ = Cx.IsIdentity();
  bitmap_ = nullptr;
  switch (Fill.type) {
    case FillType::Solid:
      SetSolid(Fill.color, Cx);
      return true;
    case FillType::LinearGradient:
    case FillType::RadialGradient:
    case FillType::FocalRadialGradient: {
      if (Fill.gradient.empty()) return false;
      kind_ = Fill.type == FillType::LinearGradient   ? Kind::Linear
              : Fill.type == FillType::RadialGradient ? Kind::Radial
                                                      : Kind::Focal;
      spread_ = Fill.spread;
      // Keeps the focal point strictly inside the circle so every ray from it
      // meets the circle once.
      focal_ = std::isfinite(Fill.focalPoint) ? std::clamp(Fill.focalPoint, -0.98, 0.98) : 0.0;
      const auto& g = Fill.gradient;
      size_t k = 0;
      for (int i = 0; i < 256; ++i) {
        while (k < g.size() && g[k].ratio < i) ++k;
        RGBA c;
        if (k == 0) {
          c = g.front().color;
        } else if (k == g.size()) {
          c = g.back().color;
        } else {
          const GradientRecord& p = g[k - 1];
          const GradientRecord& n = g[k];
          const int span = n.ratio - p.ratio, at = i - p.ratio;
          auto mix = [&](uint8_t x, uint8_t y) {
            return static_cast<uint8_t>((x * (span - at) + y * at + span / 2) / span);
          };
          c = {mix(p.color.r, n.color.r), mix(p.color.g, n.color.g), mix(p.color.b, n.color.b),
               mix(p.color.a, n.color.a)};
        }
        lut_[i] = Premultiply(Cx.Apply(c));
      }
      break;
    }
    case FillType::RepeatingBitmap:
    case FillType::ClippedBitmap:
    case FillType::NonSmoothedRepeatingBitmap:
    case FillType::NonSmoothedClippedBitmap: {
      auto it = Movie.dictionary.find(Fill.bitmapId);
      if (it == Movie.dictionary.end()) return false;
      const Bitmap* b = std::get_if<Bitmap>(&it->second);
      if (!b || b->width <= 0 || b->height <= 0 ||
          b->pixels.size() < static_cast<size_t>(b->width) * static_cast<size_t>(b->height))
        return false;
      kind_ = Kind::Bitmap;
      bitmap_ = b;
      repeat_ = Fill.type == FillType::RepeatingBitmap || Fill.type == FillType::NonSmoothedRepeatingBitmap;
      smooth_ = Fill.type == FillType::RepeatingBitmap || Fill.type == FillType::ClippedBitmap;
      break;
    }
    default:
      return false;
  }
  auto inverse = (ShapeToPixels * Fill.matrix).Inverse();
  if (!inverse) return false;
  inverse_ = *inverse;
  return true;
}

uint32_t Paint::Texel(int32_t X, int32_t Y) const {
  return bitmap_->pixels[static_cast<size_t>(Y) * static_cast<size_t>(bitmap_->width) + static_cast<size_t>(X)];
}

uint32_t Paint::SampleBitmap(double U, double V) const {
  const int32_t w = bitmap_->width, h = bitmap_->height;
  uint32_t p;
  if (!smooth_) {
    U = Tame(U, w, repeat_);
    V = Tame(V, h, repeat_);
    p = Texel(Wrap(static_cast<int64_t>(std::floor(U)), w, repeat_), Wrap(static_cast<int64_t>(std::floor(V)), h, repeat_));
  } else {
    U = Tame(U - 0.5, w, repeat_);
    V = Tame(V - 0.5, h, repeat_);
    const double fu = std::floor(U), fv = std::floor(V);
    const int64_t iu = static_cast<int64_t>(fu), iv = static_cast<int64_t>(fv);
    const uint32_t wx = static_cast<uint32_t>((U - fu) * 256.0 + 0.5), wy = static_cast<uint32_t>((V - fv) * 256.0 + 0.5);
    const int32_t x0 = Wrap(iu, w, repeat_), x1 = Wrap(iu + 1, w, repeat_);
    const int32_t y0 = Wrap(iv, h, repeat_), y1 = Wrap(iv + 1, h, repeat_);
    const uint32_t p00 = Texel(x0, y0), p10 = Texel(x1, y0), p01 = Texel(x0, y1), p11 = Texel(x1, y1);
    p = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const uint32_t top = (p00 >> shift & 0xFF) * (256 - wx) + (p10 >> shift & 0xFF) * wx;
      const uint32_t bottom = (p01 >> shift & 0xFF) * (256 - wx) + (p11 >> shift & 0xFF) * wx;
      const uint32_t v = (top * (256 - wy) + bottom * wy + 32768) >> 16;
      p |= std::min<uint32_t>(v, 255) << shift;
    }
  }
  if (!cxIdentity_) return TransformPremultiplied(p, cx_);
  // Colour above alpha (possible in a bitmap from a file) would overflow
  // when composited.
  const uint32_t a = p >> 24;
  return a << 24 | std::min(a, p >> 16 & 0xFF) << 16 | std::min(a, p >> 8 & 0xFF) << 8 | std::min(a, p & 0xFF);
}

void Paint::Shade(int32_t X, int32_t Y, int32_t N, uint32_t* Out) const {
  if (kind_ == Kind::Solid) {
    std::fill(Out, Out + N, solid_);
    return;
  }
  const Point origin = inverse_.Apply(Point{0.5, Y + 0.5});  // centre of the row's column 0
  if (kind_ == Kind::Bitmap) {
    for (int32_t i = 0; i < N; ++i) {
      const double column = static_cast<double>(X) + i;
      Out[i] = SampleBitmap(origin.x + inverse_.a * column, origin.y + inverse_.b * column);
    }
    return;
  }
  GradientRow g;
  g.kind = kind_ == Kind::Linear ? GradientKind::Linear : kind_ == Kind::Radial ? GradientKind::Radial : GradientKind::Focal;
  g.spread = spread_;
  g.lut = lut_.data();
  g.origin = origin;
  g.a = inverse_.a;
  g.b = inverse_.b;
  g.focal = static_cast<float>(focal_);
  ShadeGradient(g, X, N, Out);
}

}  // namespace swf::render
