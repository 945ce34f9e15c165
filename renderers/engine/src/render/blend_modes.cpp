#include "renderers/engine/src/render/blend_modes.h"

#include <algorithm>
#include <cstdlib>

namespace swf::render {

namespace {

inline uint32_t Div255(uint32_t V) {
  V += 128;
  return (V + (V >> 8)) >> 8;
}

// One channel of a separable mode: S and D premultiplied, Sa and Da their
// alphas; returns as * ab * B(d, s) times 255 * 255.
template <BlendMode M>
inline int32_t Mix(int32_t S, int32_t D, int32_t Sa, int32_t Da) {
  if constexpr (M == BlendMode::Multiply) return S * D;
  if constexpr (M == BlendMode::Screen) return S * Da + D * Sa - S * D;
  if constexpr (M == BlendMode::Lighten) return std::max(S * Da, D * Sa);
  if constexpr (M == BlendMode::Darken) return std::min(S * Da, D * Sa);
  if constexpr (M == BlendMode::Difference) return std::abs(S * Da - D * Sa);
  if constexpr (M == BlendMode::Add) return std::min(Sa * Da, S * Da + D * Sa);
  if constexpr (M == BlendMode::Subtract) return std::max(0, D * Sa - S * Da);
  if constexpr (M == BlendMode::HardLight || M == BlendMode::Overlay) {
    // Hard light lights by the layer; overlay is hard light with the roles swapped.
    const bool hard = M == BlendMode::HardLight;
    const int32_t top = hard ? S : D, topA = hard ? Sa : Da, under = hard ? D : S, underA = hard ? Da : Sa;
    return 2 * top <= topA ? 2 * top * under : Sa * Da - 2 * (topA - top) * (underA - under);
  }
  return S * Da;  // Normal, Layer: the layer's colour
}

template <BlendMode M>
void Separable(uint32_t* Dst, const uint32_t* Src, const uint8_t* Mask, int32_t N) {
  for (int32_t i = 0; i < N; ++i) {
    uint32_t s = Src[i];
    if (Mask) {
      const uint32_t k = Mask[i];
      s = Div255((s >> 24) * k) << 24 | Div255((s >> 16 & 0xFF) * k) << 16 | Div255((s >> 8 & 0xFF) * k) << 8 |
          Div255((s & 0xFF) * k);
    }
    if ((s >> 24) == 0) continue;
    const uint32_t d = Dst[i];
    const int32_t sa = static_cast<int32_t>(s >> 24), da = static_cast<int32_t>(d >> 24);
    uint32_t out = static_cast<uint32_t>(sa + da) - Div255(static_cast<uint32_t>(sa * da));
    out <<= 24;
    for (int shift = 0; shift < 24; shift += 8) {
      const int32_t sc = static_cast<int32_t>(s >> shift & 0xFF), dc = static_cast<int32_t>(d >> shift & 0xFF);
      const int32_t v = (255 - da) * sc + (255 - sa) * dc + Mix<M>(sc, dc, sa, da);
      out |= static_cast<uint32_t>(std::clamp((v + 127) / 255, 0, static_cast<int32_t>(out >> 24))) << shift;
    }
    Dst[i] = out;
  }
}

// The target's pixel scaled by Keep (0..255) in every channel.
inline uint32_t Keep(uint32_t D, uint32_t K) {
  return Div255((D >> 24) * K) << 24 | Div255((D >> 16 & 0xFF) * K) << 16 | Div255((D >> 8 & 0xFF) * K) << 8 |
         Div255((D & 0xFF) * K);
}

void OnTarget(BlendMode Mode, uint32_t* Dst, const uint32_t* Src, const uint8_t* Mask, int32_t N) {
  for (int32_t i = 0; i < N; ++i) {
    uint32_t sa = Src[i] >> 24;
    if (Mask) sa = Div255(sa * Mask[i]);
    const uint32_t d = Dst[i];
    if (Mode == BlendMode::Alpha) {
      Dst[i] = Keep(d, sa);
    } else if (Mode == BlendMode::Erase) {
      Dst[i] = Keep(d, 255 - sa);
    } else {  // Invert: the colours under the layer become their inverse
      const uint32_t da = d >> 24;
      uint32_t out = da << 24;
      for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t dc = d >> shift & 0xFF;
        out |= std::min(da, Div255((255 - sa) * dc + sa * (da - std::min(da, dc)))) << shift;
      }
      Dst[i] = out;
    }
  }
}

}  // namespace

void BlendRow(BlendMode Mode, uint32_t* Dst, const uint32_t* Src, const uint8_t* Mask, int32_t N) {
  switch (Mode) {
    case BlendMode::Multiply: return Separable<BlendMode::Multiply>(Dst, Src, Mask, N);
    case BlendMode::Screen: return Separable<BlendMode::Screen>(Dst, Src, Mask, N);
    case BlendMode::Lighten: return Separable<BlendMode::Lighten>(Dst, Src, Mask, N);
    case BlendMode::Darken: return Separable<BlendMode::Darken>(Dst, Src, Mask, N);
    case BlendMode::Difference: return Separable<BlendMode::Difference>(Dst, Src, Mask, N);
    case BlendMode::Add: return Separable<BlendMode::Add>(Dst, Src, Mask, N);
    case BlendMode::Subtract: return Separable<BlendMode::Subtract>(Dst, Src, Mask, N);
    case BlendMode::Overlay: return Separable<BlendMode::Overlay>(Dst, Src, Mask, N);
    case BlendMode::HardLight: return Separable<BlendMode::HardLight>(Dst, Src, Mask, N);
    case BlendMode::Invert:
    case BlendMode::Alpha:
    case BlendMode::Erase: return OnTarget(Mode, Dst, Src, Mask, N);
    default: return Separable<BlendMode::Normal>(Dst, Src, Mask, N);
  }
}

}  // namespace swf::render
