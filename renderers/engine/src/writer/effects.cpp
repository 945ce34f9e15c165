#include "renderers/engine/src/writer/effects.h"

#include <bit>
#include <cmath>
#include <variant>

#include <algorithm>

namespace swf::writer {

namespace {

void Fixed16(BitWriter& W, double V) {
  const double v = std::isfinite(V) ? std::clamp(std::round(V * 65536), -2147483648.0, 2147483647.0) : 0;
  W.U32(static_cast<uint32_t>(static_cast<int32_t>(v)));
}
void Fixed8(BitWriter& W, double V) {
  const double v = std::isfinite(V) ? std::clamp(std::round(V * 256), -32768.0, 32767.0) : 0;
  W.U16(static_cast<uint16_t>(static_cast<int16_t>(v)));
}
void Float(BitWriter& W, float V) { W.U32(std::bit_cast<uint32_t>(V)); }
void Rgba(BitWriter& W, RGBA C) {
  W.U8(C.r);
  W.U8(C.g);
  W.U8(C.b);
  W.U8(C.a);
}

template <class F>
void Flags(BitWriter& W, const F& f, bool HasOnTop) {
  uint8_t v = static_cast<uint8_t>((f.inner ? 0x80 : 0) | (f.knockout ? 0x40 : 0) | (f.compositeSource ? 0x20 : 0));
  if constexpr (requires { f.onTop; }) v |= f.onTop ? 0x10 : 0;
  W.U8(static_cast<uint8_t>(v | (f.passes & (HasOnTop ? 0x0F : 0x1F))));
}

void WriteGradient(BitWriter& W, const GradientFilterFields& G) {
  if (G.gradient.size() > 255) throw FormatError("a gradient filter has more than 255 colours");
  W.U8(static_cast<uint8_t>(G.gradient.size()));
  for (const GradientRecord& r : G.gradient) Rgba(W, r.color);
  for (const GradientRecord& r : G.gradient) W.U8(r.ratio);
  for (double v : {G.blurX, G.blurY, G.angle, G.distance}) Fixed16(W, v);
  Fixed8(W, G.strength);
  Flags(W, G, true);
}

void WriteFilter(BitWriter& W, const Filter& F) {
  W.U8(static_cast<uint8_t>(F.index()));
  if (const auto* f = std::get_if<DropShadowFilter>(&F)) {
    Rgba(W, f->color);
    for (double v : {f->blurX, f->blurY, f->angle, f->distance}) Fixed16(W, v);
    Fixed8(W, f->strength);
    Flags(W, *f, false);
  } else if (const auto* f = std::get_if<BlurFilter>(&F)) {
    Fixed16(W, f->blurX);
    Fixed16(W, f->blurY);
    W.U8(static_cast<uint8_t>((f->passes & 0x1F) << 3));
  } else if (const auto* f = std::get_if<GlowFilter>(&F)) {
    Rgba(W, f->color);
    Fixed16(W, f->blurX);
    Fixed16(W, f->blurY);
    Fixed8(W, f->strength);
    Flags(W, *f, false);
  } else if (const auto* f = std::get_if<BevelFilter>(&F)) {
    Rgba(W, f->shadowColor);
    Rgba(W, f->highlightColor);
    for (double v : {f->blurX, f->blurY, f->angle, f->distance}) Fixed16(W, v);
    Fixed8(W, f->strength);
    Flags(W, *f, true);
  } else if (const auto* f = std::get_if<GradientGlowFilter>(&F)) {
    WriteGradient(W, *f);
  } else if (const auto* f = std::get_if<GradientBevelFilter>(&F)) {
    WriteGradient(W, *f);
  } else if (const auto* f = std::get_if<ConvolutionFilter>(&F)) {
    if (f->matrix.size() != size_t{f->matrixX} * f->matrixY)
      throw FormatError("a convolution filter's matrix does not have matrixX * matrixY values");
    W.U8(f->matrixX);
    W.U8(f->matrixY);
    Float(W, f->divisor);
    Float(W, f->bias);
    for (float v : f->matrix) Float(W, v);
    Rgba(W, f->defaultColor);
    W.U8(static_cast<uint8_t>((f->clamp ? 0x02 : 0) | (f->preserveAlpha ? 0x01 : 0)));
  } else if (const auto* f = std::get_if<ColorMatrixFilter>(&F)) {
    for (float v : f->matrix) Float(W, v);
  }
}

}  // namespace

uint8_t EffectFlags(const PlaceObject& P) {
  return static_cast<uint8_t>((P.filters ? 0x01 : 0) | (P.blendMode ? 0x02 : 0) | (P.cacheAsBitmap ? 0x04 : 0));
}

void WriteEffects(BitWriter& W, const PlaceObject& P) {
  if (P.filters) {
    if (P.filters->size() > 255) throw FormatError("a placement has more than 255 filters");
    W.U8(static_cast<uint8_t>(P.filters->size()));
    for (const Filter& f : *P.filters) WriteFilter(W, f);
  }
  if (P.blendMode) W.U8(static_cast<uint8_t>(*P.blendMode));
  if (P.cacheAsBitmap) W.U8(*P.cacheAsBitmap ? 1 : 0);
}

std::vector<uint8_t> ScalingGridBody(uint16_t Id, const Rect& Grid) {
  BitWriter w;
  w.U16(Id);
  WriteRect(w, Grid);
  return w.bytes();
}

}  // namespace swf::writer
