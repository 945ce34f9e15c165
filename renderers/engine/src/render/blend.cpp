#include "renderers/engine/src/render/blend.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(VT_RENDER_AVX2)
#include <immintrin.h>
#endif

namespace swf::render {

namespace {

// One pixel, two channels at a time in the halves of 32-bit words (each
// lane stays below 2^16, so the sums are the per-channel ones).
inline uint32_t BlendPixel(uint32_t D, uint32_t S, uint32_t K) {
  constexpr uint32_t kLanes = 0x00FF00FFu, kHalf = 0x00800080u;
  const uint32_t srb = ((S & kLanes) * K + kHalf) >> 8 & kLanes;
  const uint32_t sag = ((S >> 8 & kLanes) * K + kHalf) >> 8 & kLanes;
  const uint32_t inv = 255 - (sag >> 16);
  uint32_t drb = (D & kLanes) * inv + kHalf;
  uint32_t dag = (D >> 8 & kLanes) * inv + kHalf;
  drb = (drb + (drb >> 8 & kLanes)) >> 8 & kLanes;  // each lane / 255, rounded
  dag = (dag + (dag >> 8 & kLanes)) >> 8 & kLanes;
  // Sums up to 510 per lane; those of 256 or more are capped at 255.
  auto cap = [](uint32_t V) { return (V | ((V >> 8 & 0x00010001u) * 0xFF)) & kLanes; };
  return cap(srb + drb) | cap(sag + dag) << 8;
}

// Pixels [From, N) one at a time.
void BlendTail(uint32_t* Dst, int32_t From, int32_t N, const SpanSource& S) {
  for (int32_t i = From; i < N; ++i)
    Dst[i] = BlendPixel(Dst[i], S.colors ? S.colors[i] : S.color, S.ks ? S.ks[i] : S.k);
}

// A single opaque colour at full coverage replaces what is there; nothing
// at all leaves it.
bool Trivial(uint32_t* Dst, int32_t N, const SpanSource& S) {
  if (S.colors || S.ks) return false;
  if (S.k >= 256 && S.color >> 24 == 255) {
    std::fill(Dst, Dst + N, S.color);
    return true;
  }
  return S.k == 0;
}

#if defined(__SSE2__)
// Four pixels: two in each half, one channel a 16-bit lane.
template <bool kColors, bool kKs>
void Blend4(uint32_t* Dst, int32_t N, const SpanSource& S) {
  const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128), full = _mm_set1_epi16(255);
  const __m128i color = _mm_set1_epi32(static_cast<int32_t>(S.color));
  const __m128i k = _mm_set1_epi16(static_cast<int16_t>(S.k));
  auto half4 = [&](__m128i D, __m128i Src, __m128i K) {
    const __m128i s = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(Src, K), half), 8);
    const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
    __m128i d = _mm_add_epi16(_mm_mullo_epi16(D, _mm_sub_epi16(full, a)), half);
    d = _mm_srli_epi16(_mm_add_epi16(d, _mm_srli_epi16(d, 8)), 8);
    return _mm_add_epi16(s, d);
  };
  // Four pixels from I; the lanes of pixels past the span are masked out of
  // the coverage (Keep), which leaves those pixels exactly as they were.
  auto step = [&](int32_t I, __m128i KeepLo, __m128i KeepHi) {
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Dst + I));
    __m128i src = color;
    if constexpr (kColors) src = _mm_loadu_si128(reinterpret_cast<const __m128i*>(S.colors + I));
    __m128i klo = k, khi = k;
    if constexpr (kKs) {
      const __m128i ks = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(S.ks + I));
      const __m128i pairs = _mm_unpacklo_epi16(ks, ks);
      klo = _mm_unpacklo_epi32(pairs, pairs);
      khi = _mm_unpackhi_epi32(pairs, pairs);
    }
    const __m128i lo = half4(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(src, zero), _mm_and_si128(klo, KeepLo));
    const __m128i hi = half4(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(src, zero), _mm_and_si128(khi, KeepHi));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Dst + I), _mm_packus_epi16(lo, hi));
  };
  // Lanes of no pixel, of the first of two, of both.
  static const int16_t kKeep[3][8] = {{}, {-1, -1, -1, -1, 0, 0, 0, 0}, {-1, -1, -1, -1, -1, -1, -1, -1}};
  auto keep = [](int Which) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(kKeep[Which])); };
  const __m128i all = keep(2);
  int32_t i = 0;
  for (; i + 4 <= N; i += 4) step(i, all, all);
  if (i == N) return;
  if (i + 4 > N + S.room) {
    BlendTail(Dst, i, N, S);
    return;
  }
  // The last one to three pixels, with the room after them.
  const int32_t rest = N - i;
  step(i, keep(rest >= 2 ? 2 : 1), keep(rest == 3 ? 1 : 0));
}
#endif

#if defined(VT_RENDER_AVX2)
// Half4 on eight pixels: two in each 64-bit quarter.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i Half8(__m256i D, __m256i Src, __m256i K) {
  const __m256i half = _mm256_set1_epi16(128), full = _mm256_set1_epi16(255);
  const __m256i s = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(Src, K), half), 8);
  const __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s, 0xFF), 0xFF);
  __m256i d = _mm256_add_epi16(_mm256_mullo_epi16(D, _mm256_sub_epi16(full, a)), half);
  d = _mm256_srli_epi16(_mm256_add_epi16(d, _mm256_srli_epi16(d, 8)), 8);
  return _mm256_add_epi16(s, d);
}

// Eight pixels a step, four in each 128-bit half arranged as Blend4 does;
// the last few go to Blend4.
template <bool kColors, bool kKs>
[[gnu::target("avx2")]] void Blend8(uint32_t* Dst, int32_t N, const SpanSource& S) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i color = _mm256_set1_epi32(static_cast<int32_t>(S.color));
  const __m256i k = _mm256_set1_epi16(static_cast<int16_t>(S.k));
  int32_t i = 0;
  for (; i + 8 <= N; i += 8) {
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Dst + i));
    __m256i src = color;
    if constexpr (kColors) src = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(S.colors + i));
    __m256i klo = k, khi = k;
    if constexpr (kKs) {
      const __m128i ks = _mm_loadu_si128(reinterpret_cast<const __m128i*>(S.ks + i));
      const __m128i first = _mm_unpacklo_epi16(ks, ks), second = _mm_unpackhi_epi16(ks, ks);
      klo = _mm256_set_m128i(_mm_unpacklo_epi32(second, second), _mm_unpacklo_epi32(first, first));
      khi = _mm256_set_m128i(_mm_unpackhi_epi32(second, second), _mm_unpackhi_epi32(first, first));
    }
    const __m256i lo = Half8(_mm256_unpacklo_epi8(d, zero), _mm256_unpacklo_epi8(src, zero), klo);
    const __m256i hi = Half8(_mm256_unpackhi_epi8(d, zero), _mm256_unpackhi_epi8(src, zero), khi);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(Dst + i), _mm256_packus_epi16(lo, hi));
  }
  if (i == N) return;
  // The SSE2 code after this must not find the wide registers' upper halves
  // in use (which slows every SSE2 instruction until they are cleared).
  _mm256_zeroupper();
  SpanSource rest = S;
  if constexpr (kColors) rest.colors += i;
  if constexpr (kKs) rest.ks += i;
  Blend4<kColors, kKs>(Dst + i, N - i, rest);
}
#endif

#if defined(__SSE2__)
// The step for the span's kind of colours and coverage.
template <template <bool, bool> class Step>
void ByKind(uint32_t* Dst, int32_t N, const SpanSource& S) {
  if (Trivial(Dst, N, S)) return;
  if (S.colors)
    S.ks ? Step<true, true>::Run(Dst, N, S) : Step<true, false>::Run(Dst, N, S);
  else
    S.ks ? Step<false, true>::Run(Dst, N, S) : Step<false, false>::Run(Dst, N, S);
}
template <bool kColors, bool kKs>
struct Four {
  static void Run(uint32_t* Dst, int32_t N, const SpanSource& S) { Blend4<kColors, kKs>(Dst, N, S); }
};
#endif
#if defined(VT_RENDER_AVX2)
template <bool kColors, bool kKs>
struct Eight {
  static void Run(uint32_t* Dst, int32_t N, const SpanSource& S) { Blend8<kColors, kKs>(Dst, N, S); }
};
#endif

}  // namespace

namespace portable {
void CompositeSpan(uint32_t* Dst, int32_t N, const SpanSource& S) {
  if (!Trivial(Dst, N, S)) BlendTail(Dst, 0, N, S);
}
}  // namespace portable

#if defined(__SSE2__)
namespace sse2 {
void CompositeSpan(uint32_t* Dst, int32_t N, const SpanSource& S) { ByKind<Four>(Dst, N, S); }
}  // namespace sse2
#endif

#if defined(VT_RENDER_AVX2)
namespace avx2 {
void CompositeSpan(uint32_t* Dst, int32_t N, const SpanSource& S) { ByKind<Eight>(Dst, N, S); }
}  // namespace avx2
#endif

void CompositeSpan(uint32_t* Dst, int32_t N, const SpanSource& S) {
#if defined(VT_RENDER_AVX2)
  if (HasAvx2()) return avx2::CompositeSpan(Dst, N, S);
#endif
#if defined(__SSE2__)
  sse2::CompositeSpan(Dst, N, S);
#else
  portable::CompositeSpan(Dst, N, S);
#endif
}

}  // namespace swf::render
