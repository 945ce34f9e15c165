#include "renderers/engine/src/render/gradient.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(VT_RENDER_AVX2)
#include <immintrin.h>
#endif

namespace swf::render {

namespace {

constexpr float kUnit = 1 / 16384.0f;  // the gradient square is -16384..16384
constexpr int32_t kChunk = 256;

// A double in float range (NaN stays NaN and ends at the first colour).
inline float ToFloat(double V) { return static_cast<float>(std::clamp(V, -1e30, 1e30)); }

// T (0..1 across the gradient) under a spread mode, then clamped; NaN ends at 0.
template <SpreadMode S>
inline float Spread(float T) {
  if constexpr (S == SpreadMode::Repeat) {
    T -= std::floor(T);
  } else if constexpr (S == SpreadMode::Reflect) {
    T = std::fabs(T);
    T -= 2 * std::floor(T * 0.5f);
    if (T > 1) T = 2 - T;
  }
  return T > 0 ? (T < 1 ? T : 1) : 0;
}

template <SpreadMode S>
void PortableRow(const GradientRow& G, int32_t X, int32_t N, uint32_t* Out) {
  float gx[kChunk], gy[kChunk], t[kChunk];
  for (int32_t done = 0; done < N; done += kChunk) {
    const int32_t n = std::min(kChunk, N - done);
    for (int32_t i = 0; i < n; ++i) {
      const double column = static_cast<double>(X) + done + i;
      gx[i] = ToFloat(G.origin.x + G.a * column) * kUnit;
      gy[i] = ToFloat(G.origin.y + G.b * column) * kUnit;
    }
    switch (G.kind) {
      case GradientKind::Linear:  // the square -1..1 maps to 0..1
        for (int32_t i = 0; i < n; ++i) t[i] = (gx[i] + 1) * 0.5f;
        break;
      case GradientKind::Radial:
        for (int32_t i = 0; i < n; ++i) t[i] = std::sqrt(gx[i] * gx[i] + gy[i] * gy[i]);
        break;
      case GradientKind::Focal: {
        // T is how far the point lies along the ray from the focal point F to
        // the unit circle: the point is F + T * (E - F) with E on the circle,
        // so T = |d|^2 / (-(F.d) + sqrt((F.d)^2 - |d|^2 (|F|^2 - 1))), d = P - F.
        const float f = G.focal, ff = f * f - 1.0f;  // |F|^2 - 1 < 0
        for (int32_t i = 0; i < n; ++i) {
          const float ux = gx[i] - f, uy = gy[i];
          const float dd = ux * ux + uy * uy, fd = f * ux;
          const float root = -fd + std::sqrt(fd * fd - dd * ff);
          t[i] = root > 0 ? dd / root : 0.0f;
        }
        break;
      }
    }
    for (int32_t i = 0; i < n; ++i) Out[done + i] = G.lut[static_cast<uint32_t>(Spread<S>(t[i]) * 255.0f + 0.5f)];
  }
}

#if defined(__SSE2__)
// floor() of four floats; those of 2^23 or more are whole already (and
// infinities and NaNs pass through as their sums later make them NaN either way).
inline __m128 Floor4(__m128 V) {
  const __m128 truncated = _mm_cvtepi32_ps(_mm_cvttps_epi32(V));
  const __m128 down = _mm_sub_ps(truncated, _mm_and_ps(_mm_cmpgt_ps(truncated, V), _mm_set1_ps(1.0f)));
  const __m128 whole = _mm_cmpge_ps(_mm_andnot_ps(_mm_set1_ps(-0.0f), V), _mm_set1_ps(8388608.0f));
  return _mm_or_ps(_mm_and_ps(whole, V), _mm_andnot_ps(whole, down));
}

// One coordinate of four columns, as ToFloat() then scaled to the square.
inline __m128 Coordinate4(double Origin, double Step, __m128d Columns01, __m128d Columns23) {
  const __m128d o = _mm_set1_pd(Origin), s = _mm_set1_pd(Step);
  const __m128d lo = _mm_set1_pd(-1e30), hi = _mm_set1_pd(1e30);
  // max(lo, v) and min(hi, v) return v when it is NaN, as std::clamp does.
  auto tame = [&](__m128d C) { return _mm_cvtpd_ps(_mm_min_pd(hi, _mm_max_pd(lo, _mm_add_pd(o, _mm_mul_pd(s, C))))); };
  return _mm_mul_ps(_mm_movelh_ps(tame(Columns01), tame(Columns23)), _mm_set1_ps(kUnit));
}

template <SpreadMode S>
inline __m128 Spread4(__m128 T) {
  const __m128 one = _mm_set1_ps(1.0f);
  if constexpr (S == SpreadMode::Repeat) {
    T = _mm_sub_ps(T, Floor4(T));
  } else if constexpr (S == SpreadMode::Reflect) {
    T = _mm_andnot_ps(_mm_set1_ps(-0.0f), T);
    T = _mm_sub_ps(T, _mm_mul_ps(_mm_set1_ps(2.0f), Floor4(_mm_mul_ps(T, _mm_set1_ps(0.5f)))));
    const __m128 over = _mm_cmpgt_ps(T, one);
    T = _mm_or_ps(_mm_and_ps(over, _mm_sub_ps(_mm_set1_ps(2.0f), T)), _mm_andnot_ps(over, T));
  }
  // max(T, 0) gives 0 for NaN.
  return _mm_min_ps(_mm_max_ps(T, _mm_setzero_ps()), one);
}

template <SpreadMode S>
void Sse2Row(const GradientRow& G, int32_t X, int32_t N, uint32_t* Out) {
  const __m128 f = _mm_set1_ps(G.focal), ff = _mm_set1_ps(G.focal * G.focal - 1.0f);
  const __m128 sign = _mm_set1_ps(-0.0f);
  alignas(16) int32_t index[4];
  for (int32_t i = 0; i < N; i += 4) {
    const double column = static_cast<double>(X) + i;
    const __m128d c01 = _mm_set_pd(column + 1, column), c23 = _mm_set_pd(column + 3, column + 2);
    const __m128 gx = Coordinate4(G.origin.x, G.a, c01, c23);
    __m128 t;
    if (G.kind == GradientKind::Linear) {
      t = _mm_mul_ps(_mm_add_ps(gx, _mm_set1_ps(1.0f)), _mm_set1_ps(0.5f));
    } else {
      const __m128 gy = Coordinate4(G.origin.y, G.b, c01, c23);
      if (G.kind == GradientKind::Radial) {
        t = _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(gx, gx), _mm_mul_ps(gy, gy)));
      } else {
        const __m128 ux = _mm_sub_ps(gx, f);
        const __m128 dd = _mm_add_ps(_mm_mul_ps(ux, ux), _mm_mul_ps(gy, gy)), fd = _mm_mul_ps(f, ux);
        const __m128 root = _mm_add_ps(_mm_xor_ps(fd, sign),
                                       _mm_sqrt_ps(_mm_sub_ps(_mm_mul_ps(fd, fd), _mm_mul_ps(dd, ff))));
        t = _mm_and_ps(_mm_cmpgt_ps(root, _mm_setzero_ps()), _mm_div_ps(dd, root));
      }
    }
    const __m128 scaled = _mm_add_ps(_mm_mul_ps(Spread4<S>(t), _mm_set1_ps(255.0f)), _mm_set1_ps(0.5f));
    _mm_store_si128(reinterpret_cast<__m128i*>(index), _mm_cvttps_epi32(scaled));
    const int32_t n = std::min(4, N - i);
    for (int32_t j = 0; j < n; ++j) Out[i + j] = G.lut[index[j]];
  }
}
#endif

#if defined(VT_RENDER_AVX2)
// The SSE2 row's steps on eight columns, each the same float operation.
#define VT_AVX2 gnu::target("avx2"), gnu::always_inline
[[VT_AVX2]] inline __m256 Floor8(__m256 V) {
  const __m256 truncated = _mm256_cvtepi32_ps(_mm256_cvttps_epi32(V));
  const __m256 down =
      _mm256_sub_ps(truncated, _mm256_and_ps(_mm256_cmp_ps(truncated, V, _CMP_GT_OQ), _mm256_set1_ps(1.0f)));
  const __m256 whole =
      _mm256_cmp_ps(_mm256_andnot_ps(_mm256_set1_ps(-0.0f), V), _mm256_set1_ps(8388608.0f), _CMP_GE_OQ);
  return _mm256_or_ps(_mm256_and_ps(whole, V), _mm256_andnot_ps(whole, down));
}

[[VT_AVX2]] inline __m128 Tame4(__m256d Origin, __m256d Step, __m256d Columns) {
  const __m256d v = _mm256_add_pd(Origin, _mm256_mul_pd(Step, Columns));
  return _mm256_cvtpd_ps(_mm256_min_pd(_mm256_set1_pd(1e30), _mm256_max_pd(_mm256_set1_pd(-1e30), v)));
}

[[VT_AVX2]] inline __m256 Coordinate8(double Origin, double Step, __m256d Columns0123, __m256d Columns4567) {
  const __m256d o = _mm256_set1_pd(Origin), s = _mm256_set1_pd(Step);
  return _mm256_mul_ps(_mm256_set_m128(Tame4(o, s, Columns4567), Tame4(o, s, Columns0123)), _mm256_set1_ps(kUnit));
}

template <SpreadMode S>
[[VT_AVX2]] inline __m256 Spread8(__m256 T) {
  const __m256 one = _mm256_set1_ps(1.0f);
  if constexpr (S == SpreadMode::Repeat) {
    T = _mm256_sub_ps(T, Floor8(T));
  } else if constexpr (S == SpreadMode::Reflect) {
    T = _mm256_andnot_ps(_mm256_set1_ps(-0.0f), T);
    T = _mm256_sub_ps(T, _mm256_mul_ps(_mm256_set1_ps(2.0f), Floor8(_mm256_mul_ps(T, _mm256_set1_ps(0.5f)))));
    const __m256 over = _mm256_cmp_ps(T, one, _CMP_GT_OQ);
    T = _mm256_or_ps(_mm256_and_ps(over, _mm256_sub_ps(_mm256_set1_ps(2.0f), T)), _mm256_andnot_ps(over, T));
  }
  return _mm256_min_ps(_mm256_max_ps(T, _mm256_setzero_ps()), one);
}

template <SpreadMode S>
[[gnu::target("avx2")]] void Avx2Row(const GradientRow& G, int32_t X, int32_t N, uint32_t* Out) {
  const __m256 f = _mm256_set1_ps(G.focal), ff = _mm256_set1_ps(G.focal * G.focal - 1.0f);
  const __m256 sign = _mm256_set1_ps(-0.0f);
  const __m256d steps0123 = _mm256_set_pd(3, 2, 1, 0), steps4567 = _mm256_set_pd(7, 6, 5, 4);
  alignas(32) uint32_t colors[8];
  for (int32_t i = 0; i < N; i += 8) {
    const __m256d column = _mm256_set1_pd(static_cast<double>(X) + i);
    const __m256d c0123 = _mm256_add_pd(column, steps0123), c4567 = _mm256_add_pd(column, steps4567);
    const __m256 gx = Coordinate8(G.origin.x, G.a, c0123, c4567);
    __m256 t;
    if (G.kind == GradientKind::Linear) {
      t = _mm256_mul_ps(_mm256_add_ps(gx, _mm256_set1_ps(1.0f)), _mm256_set1_ps(0.5f));
    } else {
      const __m256 gy = Coordinate8(G.origin.y, G.b, c0123, c4567);
      if (G.kind == GradientKind::Radial) {
        t = _mm256_sqrt_ps(_mm256_add_ps(_mm256_mul_ps(gx, gx), _mm256_mul_ps(gy, gy)));
      } else {
        const __m256 ux = _mm256_sub_ps(gx, f);
        const __m256 dd = _mm256_add_ps(_mm256_mul_ps(ux, ux), _mm256_mul_ps(gy, gy)), fd = _mm256_mul_ps(f, ux);
        const __m256 root = _mm256_add_ps(_mm256_xor_ps(fd, sign),
                                          _mm256_sqrt_ps(_mm256_sub_ps(_mm256_mul_ps(fd, fd), _mm256_mul_ps(dd, ff))));
        t = _mm256_and_ps(_mm256_cmp_ps(root, _mm256_setzero_ps(), _CMP_GT_OQ), _mm256_div_ps(dd, root));
      }
    }
    const __m256 scaled = _mm256_add_ps(_mm256_mul_ps(Spread8<S>(t), _mm256_set1_ps(255.0f)), _mm256_set1_ps(0.5f));
    const __m256i picked =
        _mm256_i32gather_epi32(reinterpret_cast<const int*>(G.lut), _mm256_cvttps_epi32(scaled), 4);
    if (N - i >= 8) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(Out + i), picked);
    } else {
      _mm256_store_si256(reinterpret_cast<__m256i*>(colors), picked);
      std::copy(colors, colors + (N - i), Out + i);
    }
  }
  _mm256_zeroupper();  // for the SSE2 code that follows
}
#undef VT_AVX2
#endif

template <template <SpreadMode> class Row>
void BySpread(const GradientRow& G, int32_t X, int32_t N, uint32_t* Out) {
  switch (G.spread) {
    case SpreadMode::Repeat:
      Row<SpreadMode::Repeat>::Run(G, X, N, Out);
      break;
    case SpreadMode::Reflect:
      Row<SpreadMode::Reflect>::Run(G, X, N, Out);
      break;
    default:
      Row<SpreadMode::Pad>::Run(G, X, N, Out);
      break;
  }
}

template <SpreadMode S>
struct Portable {
  static void Run(const GradientRow& G, int32_t X, int32_t N, uint32_t* Out) { PortableRow<S>(G, X, N, Out); }
};
#if defined(__SSE2__)
template <SpreadMode S>
struct Sse2 {
  static void Run(const GradientRow& G, int32_t X, int32_t N, uint32_t* Out) { Sse2Row<S>(G, X, N, Out); }
};
#endif

#if defined(VT_RENDER_AVX2)
template <SpreadMode S>
struct Avx2 {
  static void Run(const GradientRow& G, int32_t X, int32_t N, uint32_t* Out) { Avx2Row<S>(G, X, N, Out); }
};
#endif

}  // namespace

namespace portable {
void ShadeGradient(const GradientRow& G, int32_t X, int32_t N, uint32_t* Out) { BySpread<Portable>(G, X, N, Out); }
}  // namespace portable

#if defined(__SSE2__)
namespace sse2 {
void ShadeGradient(const GradientRow& G, int32_t X, int32_t N, uint32_t* Out) { BySpread<Sse2>(G, X, N, Out); }
}  // namespace sse2
#endif

#if defined(VT_RENDER_AVX2)
namespace avx2 {
void ShadeGradient(const GradientRow& G, int32_t X, int32_t N, uint32_t* Out) { BySpread<Avx2>(G, X, N, Out); }
}  // namespace avx2
#endif

void ShadeGradient(const GradientRow& G, int32_t X, int32_t N, uint32_t* Out) {
#if defined(VT_RENDER_AVX2)
  if (HasAvx2()) return avx2::ShadeGradient(G, X, N, Out);
#endif
#if defined(__SSE2__)
  sse2::ShadeGradient(G, X, N, Out);
#else
  portable::ShadeGradient(G, X, N, Out);
#endif
}

}  // namespace swf::render
