#include "renderers/engine/src/render/filters.h"

#include <algorithm>
#include <cmath>
#include <variant>

namespace swf::render {

namespace {

constexpr int kMaxPasses = 15;
constexpr double kMaxBlur = 255;       // stage pixels, as the format's players allow
constexpr int32_t kMaxRadius = 256;    // target pixels, either side
constexpr int32_t kMaxOffset = 512;    // target pixels
constexpr int32_t kMaxReach = 1024;    // of a whole list, each side
constexpr uint64_t kMaxConvolutionWork = uint64_t{1} << 28;  // kernel cells times pixels

uint32_t A(uint32_t P) { return P >> 24; }
uint32_t Ch(uint32_t P, int Shift) { return P >> Shift & 0xFF; }
uint32_t Div255(uint32_t V) {
  V += 128;
  return (V + (V >> 8)) >> 8;
}
uint32_t Pack(uint32_t Av, uint32_t R, uint32_t G, uint32_t B) { return Av << 24 | R << 16 | G << 8 | B; }

// P times K/255, every channel.
uint32_t Scale(uint32_t P, uint32_t K) {
  if (K == 255) return P;
  return Pack(Div255(A(P) * K), Div255(Ch(P, 16) * K), Div255(Ch(P, 8) * K), Div255(Ch(P, 0) * K));
}

// Premultiplied source-over.
uint32_t Over(uint32_t Top, uint32_t Bottom) {
  const uint32_t keep = 255 - A(Top);
  auto ch = [&](int s) { return std::min(255u, Ch(Top, s) + Div255(Ch(Bottom, s) * keep)); };
  return Pack(ch(24), ch(16), ch(8), ch(0));
}

uint32_t Premultiply(RGBA C) {
  return Pack(C.a, Div255(C.r * uint32_t{C.a}), Div255(C.g * uint32_t{C.a}), Div255(C.b * uint32_t{C.a}));
}

RGBA Unpremultiply(uint32_t P) {
  const uint32_t a = A(P);
  if (a == 0) return {0, 0, 0, 0};
  auto ch = [a](uint32_t v) { return static_cast<uint8_t>(std::min(255u, (v * 255 + a / 2) / a)); };
  return {ch(Ch(P, 16)), ch(Ch(P, 8)), ch(Ch(P, 0)), static_cast<uint8_t>(a)};
}

bool Finite(double V) { return std::isfinite(V); }

int32_t Radius(double Blur, double Scale) {
  if (!Finite(Blur) || !Finite(Scale)) return 0;
  const double px = std::clamp(Blur, 0.0, kMaxBlur) * Scale;
  return static_cast<int32_t>(std::clamp(std::floor(px / 2), 0.0, double{kMaxRadius}));
}

int Passes(int P) { return std::clamp(P, 0, kMaxPasses); }

struct Offset {
  int32_t dx = 0, dy = 0;
};

Offset OffsetOf(double Angle, double Distance, double ScaleX, double ScaleY) {
  if (!Finite(Angle) || !Finite(Distance)) return {};
  auto px = [](double v) { return static_cast<int32_t>(std::lround(std::clamp(v, -double{kMaxOffset}, double{kMaxOffset}))); };
  return {px(std::cos(Angle) * Distance * ScaleX), px(std::sin(Angle) * Distance * ScaleY)};
}

// 8.8 strength as a factor of 256, bounded.
uint32_t Strength256(double S) { return Finite(S) ? static_cast<uint32_t>(std::clamp(S, 0.0, 255.0) * 256 + 0.5) : 0; }

// ---- Blurring a plane of bytes ----

// Running sums over a box of 2R+1; pixels outside count as zero.
void BlurRow(uint8_t* Row, int32_t W, int32_t R, std::vector<uint8_t>& Copy) {
  const uint32_t n = 2 * static_cast<uint32_t>(R) + 1, inv = (65536 + n / 2) / n;
  Copy.assign(Row, Row + W);
  uint32_t sum = 0;
  for (int32_t x = 0; x < std::min(R, W); ++x) sum += Copy[static_cast<size_t>(x)];
  for (int32_t x = 0; x < W; ++x) {
    if (x + R < W) sum += Copy[static_cast<size_t>(x + R)];
    Row[x] = static_cast<uint8_t>(std::min(255u, (sum * inv + 32768) >> 16));
    if (x - R >= 0) sum -= Copy[static_cast<size_t>(x - R)];
  }
}

// The same down the columns, a row at a time, with a sum per column.
void BlurColumns(uint8_t* P, int32_t W, int32_t H, int32_t R, std::vector<uint8_t>& Copy,
                 std::vector<uint32_t>& Sums) {
  const size_t w = static_cast<size_t>(W);
  const uint32_t n = 2 * static_cast<uint32_t>(R) + 1, inv = (65536 + n / 2) / n;
  Copy.assign(P, P + w * static_cast<size_t>(H));
  Sums.assign(w, 0);
  auto add = [&](int32_t y) {
    const uint8_t* row = Copy.data() + static_cast<size_t>(y) * w;
    for (size_t x = 0; x < w; ++x) Sums[x] += row[x];
  };
  auto sub = [&](int32_t y) {
    const uint8_t* row = Copy.data() + static_cast<size_t>(y) * w;
    for (size_t x = 0; x < w; ++x) Sums[x] -= row[x];
  };
  for (int32_t y = 0; y < std::min(R, H); ++y) add(y);
  for (int32_t y = 0; y < H; ++y) {
    if (y + R < H) add(y + R);
    uint8_t* out = P + static_cast<size_t>(y) * w;
    for (size_t x = 0; x < w; ++x) out[x] = static_cast<uint8_t>(std::min(255u, (Sums[x] * inv + 32768) >> 16));
    if (y - R >= 0) sub(y - R);
  }
}

void BlurPlane(std::vector<uint8_t>& P, int32_t W, int32_t H, int32_t Rx, int32_t Ry, int NPasses) {
  std::vector<uint8_t> copy;
  std::vector<uint32_t> sums;
  for (int pass = 0; pass < NPasses; ++pass) {
    if (Rx > 0)
      for (int32_t y = 0; y < H; ++y) BlurRow(P.data() + static_cast<size_t>(y) * static_cast<size_t>(W), W, Rx, copy);
    if (Ry > 0) BlurColumns(P.data(), W, H, Ry, copy, sums);
  }
}

std::vector<uint8_t> AlphaPlane(const Image& Img, bool Inverted) {
  std::vector<uint8_t> a(Img.pixels.size());
  for (size_t i = 0; i < a.size(); ++i) {
    const uint32_t v = A(Img.pixels[i]);
    a[i] = static_cast<uint8_t>(Inverted ? 255 - v : v);
  }
  return a;
}

// ---- Colour tables ----

using Lut = std::vector<uint32_t>;  // 256 premultiplied colours

// The gradient's colours at 0..255, interpolated unpremultiplied.
Lut GradientLut(const std::vector<GradientRecord>& G) {
  Lut lut(256, 0);
  if (G.empty()) return lut;
  for (int v = 0; v < 256; ++v) {
    size_t i = 0;
    while (i + 1 < G.size() && G[i + 1].ratio < v) ++i;
    const GradientRecord& a = G[i];
    const GradientRecord& b = i + 1 < G.size() ? G[i + 1] : G[i];
    const double t = v <= a.ratio || b.ratio <= a.ratio ? (v <= a.ratio ? 0.0 : 1.0)
                                                      : static_cast<double>(v - a.ratio) / (b.ratio - a.ratio);
    auto mix = [t](uint8_t x, uint8_t y) { return static_cast<uint8_t>(std::lround(x + (y - x) * t)); };
    lut[static_cast<size_t>(v)] = Premultiply({mix(a.color.r, b.color.r), mix(a.color.g, b.color.g),
                                               mix(a.color.b, b.color.b), mix(a.color.a, b.color.a)});
  }
  return lut;
}

Lut ColorLut(RGBA C) { return GradientLut({{0, {C.r, C.g, C.b, 0}}, {255, C}}); }

Lut BevelLut(RGBA Shadow, RGBA Highlight) {
  return GradientLut({{0, Shadow},
                      {128, {Shadow.r, Shadow.g, Shadow.b, 0}},
                      {128, {Highlight.r, Highlight.g, Highlight.b, 0}},
                      {255, Highlight}});
}

// ---- Shadows, glows and bevels ----

struct Spread {
  double blurX = 0, blurY = 0, angle = 0, distance = 0, strength = 1;
  bool inner = false, knockout = false, compositeSource = true, onTop = false;
  int passes = 1;
};

template <class F>
Spread SpreadOf(const F& f) {
  Spread s{f.blurX, f.blurY, 0, 0, f.strength, f.inner, f.knockout, f.compositeSource, false, f.passes};
  if constexpr (requires { f.angle; }) {
    s.angle = f.angle;
    s.distance = f.distance;
  }
  if constexpr (requires { f.onTop; }) s.onTop = f.onTop;
  return s;
}

// A drop shadow or glow: the blurred alpha (inverted for an inner one),
// offset, times the strength, coloured through the table; behind the
// picture, or inside it over it.
void Shadow(Image& Img, const Spread& S, const Lut& Colors, double ScaleX, double ScaleY) {
  const int32_t w = Img.width, h = Img.height;
  std::vector<uint8_t> a = AlphaPlane(Img, S.inner);
  BlurPlane(a, w, h, Radius(S.blurX, ScaleX), Radius(S.blurY, ScaleY), Passes(S.passes));
  const Offset d = OffsetOf(S.angle, S.distance, ScaleX, ScaleY);
  const uint32_t k = Strength256(S.strength);
  const uint32_t outside = S.inner ? 255 : 0;
  for (int32_t y = 0; y < h; ++y) {
    const int32_t sy = y - d.dy;
    for (int32_t x = 0; x < w; ++x) {
      const int32_t sx = x - d.dx;
      const uint32_t sample = sx >= 0 && sx < w && sy >= 0 && sy < h
                                  ? a[static_cast<size_t>(sy) * static_cast<size_t>(w) + static_cast<size_t>(sx)]
                                  : outside;
      uint32_t shadow = Colors[std::min(255u, (sample * k + 128) >> 8)];
      uint32_t& px = Img.pixels[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
      const uint32_t oa = A(px);
      if (S.inner) {
        shadow = Scale(shadow, oa);
        px = S.knockout || !S.compositeSource ? shadow : Over(shadow, px);
      } else if (S.knockout) {
        px = Scale(shadow, 255 - oa);
      } else {
        px = S.compositeSource ? Over(px, shadow) : shadow;
      }
    }
  }
}

// A bevel: the blurred alpha offset towards the light less the same offset
// away from it gives light (positive) and shade (negative), looked up in the
// table around its middle; inside the picture (inner), outside it (outer) or
// both (on top).
void Bevel(Image& Img, const Spread& S, const Lut& Colors, double ScaleX, double ScaleY) {
  const int32_t w = Img.width, h = Img.height;
  std::vector<uint8_t> a = AlphaPlane(Img, false);
  BlurPlane(a, w, h, Radius(S.blurX, ScaleX), Radius(S.blurY, ScaleY), Passes(S.passes));
  const Offset d = OffsetOf(S.angle, S.distance, ScaleX, ScaleY);
  const int32_t k = static_cast<int32_t>(Strength256(S.strength));
  auto at = [&](int32_t x, int32_t y) -> int32_t {
    return x >= 0 && x < w && y >= 0 && y < h ? a[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)]
                                              : 0;
  };
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const int32_t light = at(x + d.dx, y + d.dy) - at(x - d.dx, y - d.dy);
      const int32_t index = std::clamp(128 + light * k / 512, 0, 255);
      uint32_t bevel = Colors[static_cast<size_t>(index)];
      uint32_t& px = Img.pixels[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
      const uint32_t oa = A(px);
      const bool outer = !S.onTop && !S.inner;
      if (!S.onTop) bevel = Scale(bevel, S.inner ? oa : 255 - oa);
      if (S.knockout || !S.compositeSource)
        px = bevel;
      else
        px = outer ? Over(px, bevel) : Over(bevel, px);
    }
}

// ---- Per-pixel filters ----

void ColorMatrix(Image& Img, const ColorMatrixFilter& F) {
  for (float v : F.matrix)
    if (!std::isfinite(v)) return;
  const auto& m = F.matrix;
  for (uint32_t& px : Img.pixels) {
    const RGBA c = Unpremultiply(px);
    const float in[4] = {float(c.r), float(c.g), float(c.b), float(c.a)};
    uint8_t out[4];
    for (size_t row = 0; row < 4; ++row) {
      const float* r = &m[row * 5];
      const float v = r[0] * in[0] + r[1] * in[1] + r[2] * in[2] + r[3] * in[3] + r[4];
      out[row] = static_cast<uint8_t>(std::clamp(v, 0.0f, 255.0f) + 0.5f);
    }
    px = Premultiply({out[0], out[1], out[2], out[3]});
  }
}

void Convolution(Image& Img, const ConvolutionFilter& F) {
  const int32_t mx = F.matrixX, my = F.matrixY, w = Img.width, h = Img.height;
  if (mx == 0 || my == 0 || F.matrix.size() != static_cast<size_t>(mx * my)) return;
  if (uint64_t(mx) * uint64_t(my) * Img.pixels.size() > kMaxConvolutionWork) return;
  for (float v : F.matrix)
    if (!std::isfinite(v)) return;
  const float divisor = std::isfinite(F.divisor) && F.divisor != 0 ? F.divisor : 1.0f;
  const float bias = std::isfinite(F.bias) ? F.bias : 0.0f;
  std::vector<RGBA> src(Img.pixels.size());
  for (size_t i = 0; i < src.size(); ++i) src[i] = Unpremultiply(Img.pixels[i]);
  const RGBA fallback = F.defaultColor;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      float sum[4] = {0, 0, 0, 0};
      for (int32_t j = 0; j < my; ++j)
        for (int32_t i = 0; i < mx; ++i) {
          int32_t sx = x + i - mx / 2, sy = y + j - my / 2;
          RGBA c = fallback;
          if (F.clamp) {
            sx = std::clamp(sx, 0, w - 1);
            sy = std::clamp(sy, 0, h - 1);
          }
          if (sx >= 0 && sx < w && sy >= 0 && sy < h) c = src[static_cast<size_t>(sy) * static_cast<size_t>(w) + static_cast<size_t>(sx)];
          const float k = F.matrix[static_cast<size_t>(j * mx + i)];
          sum[0] += k * c.r;
          sum[1] += k * c.g;
          sum[2] += k * c.b;
          sum[3] += k * c.a;
        }
      auto out = [&](float v) { return static_cast<uint8_t>(std::clamp(v / divisor + bias, 0.0f, 255.0f) + 0.5f); };
      const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
      Img.pixels[i] = Premultiply({out(sum[0]), out(sum[1]), out(sum[2]), F.preserveAlpha ? src[i].a : out(sum[3])});
    }
}

// How far one filter reaches beyond the picture.
Reach OneReach(const Filter& F, double ScaleX, double ScaleY) {
  return std::visit(
      [&](const auto& f) -> Reach {
        using T = std::decay_t<decltype(f)>;
        if constexpr (std::is_same_v<T, ColorMatrixFilter>) {
          return {};
        } else if constexpr (std::is_same_v<T, ConvolutionFilter>) {
          return {f.matrixX / 2, f.matrixY / 2, f.matrixX / 2, f.matrixY / 2};
        } else {
          const int p = Passes(f.passes);
          const int32_t rx = Radius(f.blurX, ScaleX) * p, ry = Radius(f.blurY, ScaleY) * p;
          Offset d;
          if constexpr (requires { f.angle; }) d = OffsetOf(f.angle, f.distance, ScaleX, ScaleY);
          const int32_t ox = std::abs(d.dx), oy = std::abs(d.dy);
          return {rx + ox, ry + oy, rx + ox, ry + oy};
        }
      },
      F);
}

}  // namespace

int64_t FilterCost(const Filter& F, const Image& Img) {
  const int64_t pixels = static_cast<int64_t>(Img.pixels.size());
  if (const auto* c = std::get_if<ConvolutionFilter>(&F)) return pixels * (1 + int64_t{c->matrixX} * c->matrixY);
  if (std::holds_alternative<ColorMatrixFilter>(F)) return pixels * 4;
  const int passes = std::visit(
      [](const auto& f) {
        if constexpr (requires { f.passes; }) return Passes(f.passes);
        return 0;
      },
      F);
  const int planes = std::holds_alternative<BlurFilter>(F) ? 4 : 1;
  return pixels * (4 + int64_t{planes} * 2 * passes);
}

Reach FilterReach(const std::vector<Filter>& Filters, double ScaleX, double ScaleY) {
  Reach r;
  for (const Filter& f : Filters) {
    const Reach o = OneReach(f, ScaleX, ScaleY);
    r.left = std::min(kMaxReach, r.left + o.left);
    r.top = std::min(kMaxReach, r.top + o.top);
    r.right = std::min(kMaxReach, r.right + o.right);
    r.bottom = std::min(kMaxReach, r.bottom + o.bottom);
  }
  return r;
}

void BoxBlur(Image& Img, int32_t RadiusX, int32_t RadiusY, int NPasses) {
  const int32_t rx = std::clamp(RadiusX, 0, kMaxRadius), ry = std::clamp(RadiusY, 0, kMaxRadius);
  const int passes = Passes(NPasses);
  if ((rx == 0 && ry == 0) || passes == 0 || Img.pixels.empty()) return;
  std::vector<uint8_t> plane(Img.pixels.size());
  std::vector<uint32_t> out(Img.pixels.size(), 0);
  for (int shift = 0; shift < 32; shift += 8) {
    for (size_t i = 0; i < plane.size(); ++i) plane[i] = static_cast<uint8_t>(Img.pixels[i] >> shift);
    BlurPlane(plane, Img.width, Img.height, rx, ry, passes);
    for (size_t i = 0; i < plane.size(); ++i) out[i] |= uint32_t{plane[i]} << shift;
  }
  // Rounding may leave a colour a step above its alpha.
  for (size_t i = 0; i < out.size(); ++i) {
    const uint32_t p = out[i], a = A(p);
    Img.pixels[i] = Pack(a, std::min(a, Ch(p, 16)), std::min(a, Ch(p, 8)), std::min(a, Ch(p, 0)));
  }
}

void ApplyFilter(const Filter& F, Image& Img, double ScaleX, double ScaleY) {
  if (Img.pixels.empty()) return;
  if (const auto* f = std::get_if<BlurFilter>(&F)) {
    BoxBlur(Img, Radius(f->blurX, ScaleX), Radius(f->blurY, ScaleY), f->passes);
  } else if (const auto* f = std::get_if<DropShadowFilter>(&F)) {
    Shadow(Img, SpreadOf(*f), ColorLut(f->color), ScaleX, ScaleY);
  } else if (const auto* f = std::get_if<GlowFilter>(&F)) {
    Shadow(Img, SpreadOf(*f), ColorLut(f->color), ScaleX, ScaleY);
  } else if (const auto* f = std::get_if<GradientGlowFilter>(&F)) {
    Shadow(Img, SpreadOf(*f), GradientLut(f->gradient), ScaleX, ScaleY);
  } else if (const auto* f = std::get_if<BevelFilter>(&F)) {
    Bevel(Img, SpreadOf(*f), BevelLut(f->shadowColor, f->highlightColor), ScaleX, ScaleY);
  } else if (const auto* f = std::get_if<GradientBevelFilter>(&F)) {
    Bevel(Img, SpreadOf(*f), GradientLut(f->gradient), ScaleX, ScaleY);
  } else if (const auto* f = std::get_if<ColorMatrixFilter>(&F)) {
    ColorMatrix(Img, *f);
  } else if (const auto* f = std::get_if<ConvolutionFilter>(&F)) {
    Convolution(Img, *f);
  }
}

void TransformColors(Image& Img, const ColorTransform& Cx) {
  if (Cx.IsIdentity()) return;
  for (uint32_t& px : Img.pixels) {
    if (px == 0 && Cx.addA <= 0) continue;
    px = Premultiply(Cx.Apply(Unpremultiply(px)));
  }
}

}  // namespace swf::render
