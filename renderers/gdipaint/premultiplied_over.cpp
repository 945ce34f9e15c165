// The row loop of the layer composite, on the frame path of every
// transparent paint: no branch per pixel. With SSE2 (every x86-64) four
// pixels go at once, each channel in a 16-bit lane, with the same rounding
// as OverPixel; the pack's saturation holds a sum at 255.
#include "renderers/gdipaint/premultiplied_over.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace swfwin {

#if defined(__SSE2__)
namespace {

// Two pixels, one channel a 16-bit lane.
inline __m128i OverTwo(__m128i Source, __m128i Dest) {
  const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(Source, 0xFF), 0xFF);
  __m128i t = _mm_add_epi16(_mm_mullo_epi16(Dest, _mm_sub_epi16(_mm_set1_epi16(255), alpha)), _mm_set1_epi16(128));
  t = _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
  return _mm_add_epi16(Source, t);
}

}  // namespace
#endif

void CompositeOver(uint32_t* __restrict Dest, const uint32_t* __restrict Source, int32_t Count) {
  int32_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; i + 4 <= Count; i += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Source + i));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Dest + i));
    const __m128i lo = OverTwo(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
    const __m128i hi = OverTwo(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Dest + i), _mm_packus_epi16(lo, hi));
  }
#endif
  for (; i < Count; ++i) Dest[i] = OverPixel(Source[i], Dest[i]);
}

}  // namespace swfwin
