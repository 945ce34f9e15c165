// Filter lists (PlaceObject3 and DefineButton2 records), blend mode bytes and
// DefineScalingGrid.
#include <bit>
#include <string>

#include "renderers/engine/src/filter_list.h"
#include "renderers/engine/src/reader/loader.h"

namespace swf::detail {

namespace {

double Fixed16(Stream& S) { return static_cast<int32_t>(S.U32()) / 65536.0; }
double Fixed8(Stream& S) { return static_cast<int16_t>(S.U16()) / 256.0; }
float Float(Stream& S) { return std::bit_cast<float>(S.U32()); }

// The flag byte that ends most filters: InnerShadow, Knockout,
// CompositeSource, then OnTop and four bits of passes, or five bits of passes.
template <class F>
void ReadFlags(Stream& S, F& Out, bool HasOnTop) {
  const uint8_t f = S.U8();
  Out.inner = f & 0x80;
  Out.knockout = f & 0x40;
  Out.compositeSource = f & 0x20;
  if constexpr (requires { Out.onTop; }) Out.onTop = HasOnTop && (f & 0x10);
  Out.passes = static_cast<uint8_t>(f & (HasOnTop ? 0x0F : 0x1F));
}

GradientFilterFields ReadGradientFilter(Stream& S) {
  GradientFilterFields g;
  const uint8_t n = S.U8();
  g.gradient.resize(n);
  for (GradientRecord& r : g.gradient) r.color = S.ReadRGBA();
  for (GradientRecord& r : g.gradient) r.ratio = S.U8();
  g.blurX = Fixed16(S);
  g.blurY = Fixed16(S);
  g.angle = Fixed16(S);
  g.distance = Fixed16(S);
  g.strength = Fixed8(S);
  ReadFlags(S, g, true);
  return g;
}

Filter ReadFilter(Stream& S, size_t At) {
  const uint8_t kind = S.U8();
  switch (kind) {
    case 0: {
      DropShadowFilter f;
      f.color = S.ReadRGBA();
      f.blurX = Fixed16(S);
      f.blurY = Fixed16(S);
      f.angle = Fixed16(S);
      f.distance = Fixed16(S);
      f.strength = Fixed8(S);
      ReadFlags(S, f, false);
      return f;
    }
    case 1: {
      BlurFilter f;
      f.blurX = Fixed16(S);
      f.blurY = Fixed16(S);
      f.passes = static_cast<uint8_t>(S.U8() >> 3);
      return f;
    }
    case 2: {
      GlowFilter f;
      f.color = S.ReadRGBA();
      f.blurX = Fixed16(S);
      f.blurY = Fixed16(S);
      f.strength = Fixed8(S);
      ReadFlags(S, f, false);
      return f;
    }
    case 3: {
      BevelFilter f;
      f.shadowColor = S.ReadRGBA();
      f.highlightColor = S.ReadRGBA();
      f.blurX = Fixed16(S);
      f.blurY = Fixed16(S);
      f.angle = Fixed16(S);
      f.distance = Fixed16(S);
      f.strength = Fixed8(S);
      ReadFlags(S, f, true);
      return f;
    }
    case 4: return GradientGlowFilter{ReadGradientFilter(S)};
    case 5: {
      ConvolutionFilter f;
      f.matrixX = S.U8();
      f.matrixY = S.U8();
      f.divisor = Float(S);
      f.bias = Float(S);
      f.matrix.resize(size_t{f.matrixX} * f.matrixY);
      for (float& v : f.matrix) v = Float(S);
      f.defaultColor = S.ReadRGBA();
      const uint8_t flags = S.U8();
      f.clamp = flags & 0x02;
      f.preserveAlpha = flags & 0x01;
      return f;
    }
    case 6: {
      ColorMatrixFilter f;
      for (float& v : f.matrix) v = Float(S);
      return f;
    }
    case 7: return GradientBevelFilter{ReadGradientFilter(S)};
    default: Fail("unknown filter kind " + std::to_string(kind), At);
  }
}

size_t FilterBytes(const Filter& F) {
  if (const auto* g = std::get_if<GradientGlowFilter>(&F)) return g->gradient.size() * sizeof(GradientRecord);
  if (const auto* g = std::get_if<GradientBevelFilter>(&F)) return g->gradient.size() * sizeof(GradientRecord);
  if (const auto* c = std::get_if<ConvolutionFilter>(&F)) return c->matrix.size() * sizeof(float);
  return 0;
}

}  // namespace

std::vector<Filter> ParseFilterList(const std::vector<uint8_t>& Bytes) {
  try {
    Stream s(Bytes.data(), Bytes.size(), 0);
    std::vector<Filter> out(s.U8());
    for (Filter& f : out) f = ReadFilter(s, s.Offset());
    return out;
  } catch (const FormatError&) {
    return {};
  }
}

std::vector<Filter> ReadFilterList(Stream& S, LoadState& L) {
  const size_t at = S.Offset();
  const uint8_t count = S.U8();
  std::vector<Filter> out;
  out.reserve(count);
  for (unsigned i = 0; i < count; ++i) {
    out.push_back(ReadFilter(S, S.Offset()));
    L.Charge(sizeof(Filter) + FilterBytes(out.back()), at);
  }
  return out;
}

void ReadScalingGrid(Stream& S, LoadState& L, size_t At) {
  const uint16_t id = S.U16();
  const Rect grid = S.ReadRect();
  L.Charge(sizeof(Rect) + 64, At);
  L.movie->scalingGrids[id] = grid;
}

}  // namespace swf::detail
