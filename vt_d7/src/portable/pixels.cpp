#include "vt_d7/pixels.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vt {

void MoveLongword(const uint32_t* Source, uint32_t* Dest, int32_t Count) {
  if (Count <= 0) return;
  std::memmove(Dest, Source, static_cast<size_t>(Count) * sizeof(uint32_t));
}

namespace {

// Fills N values. Long runs use the string store, which the processor turns
// into full-line writes (as memset does); shorter ones use aligned SSE2
// stores. A plain loop is not vectorised at -O2 and runs at two thirds of
// memset.
void Fill(uint32_t* Dest, size_t n, uint32_t Value) {
#if defined(__x86_64__) && defined(__GNUC__)
  if (n >= 4096) {
    asm volatile("rep stosl" : "+D"(Dest), "+c"(n) : "a"(Value) : "memory");
    return;
  }
#endif
#if defined(__SSE2__)
  while (n > 0 && (reinterpret_cast<uintptr_t>(Dest) & 15) != 0) {
    *Dest++ = Value;
    --n;
  }
  const __m128i v = _mm_set1_epi32(static_cast<int>(Value));
  while (n >= 16) {
    _mm_store_si128(reinterpret_cast<__m128i*>(Dest), v);
    _mm_store_si128(reinterpret_cast<__m128i*>(Dest + 4), v);
    _mm_store_si128(reinterpret_cast<__m128i*>(Dest + 8), v);
    _mm_store_si128(reinterpret_cast<__m128i*>(Dest + 12), v);
    Dest += 16;
    n -= 16;
  }
  while (n >= 4) {
    _mm_store_si128(reinterpret_cast<__m128i*>(Dest), v);
    Dest += 4;
    n -= 4;
  }
#endif
  while (n > 0) {
    *Dest++ = Value;
    --n;
  }
}

}  // namespace

void FillLongword(uint32_t* Dest, int32_t Count, uint32_t Value) {
  if (Count > 0) Fill(Dest, static_cast<size_t>(Count), Value);
}

void FillLongwordRect(uint32_t* Dest, int32_t Width, int32_t Height, int32_t Left, int32_t Top, int32_t Right,
                      int32_t Bottom, uint32_t Value) {
  if (!Dest || Width <= 0 || Height <= 0) return;
  Right = std::min(Right, Width);
  Bottom = std::min(Bottom, Height);
  Left = std::max(Left, 0);
  Top = std::max(Top, 0);
  if (Right <= Left || Bottom <= Top) return;
  const size_t count = static_cast<size_t>(Right - Left);
  const size_t stride = static_cast<size_t>(Width);
  uint32_t* row = Dest + static_cast<size_t>(Top) * stride + static_cast<size_t>(Left);
  if (count == stride) {  // whole rows lie back to back: one run
    Fill(row, count * static_cast<size_t>(Bottom - Top), Value);
    return;
  }
  for (int32_t y = Top; y < Bottom; ++y, row += stride) Fill(row, count, Value);
}

uint32_t RecoverAlphaPixel(uint32_t OverBlack, uint32_t OverWhite) {
  // What shows through is the difference of the two renders in red. White
  // below black (only a renderer's rounding does that) reads as opaque.
  const uint32_t blackRed = (OverBlack >> 16) & 0xFFu;
  const uint32_t whiteRed = (OverWhite >> 16) & 0xFFu;
  const uint32_t alpha = 255u - (whiteRed > blackRed ? whiteRed - blackRed : 0u);
  uint32_t result = alpha << 24;
  for (int shift = 0; shift <= 16; shift += 8) result |= std::min((OverBlack >> shift) & 0xFFu, alpha) << shift;
  return result;
}

void RecoverAlpha(uint32_t* OverBlack, const uint32_t* OverWhite, int32_t Count) {
  if (Count <= 0) return;
  size_t n = static_cast<size_t>(Count);
#if defined(__SSE2__)
  // Eight, then four pixels at a time, with no branch per pixel: the
  // saturating difference of the renders, masked to red, is multiplied by
  // 0x0101 into both bytes of the low word and shifted into the high word;
  // its complement is the alpha in every byte. The minimum with the black
  // render (its alpha byte forced to 255) clamps the colour bytes and writes
  // the alpha byte in one step.
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const __m128i redMask = _mm_set1_epi32(0x00FF0000);
  const __m128i spreadRed = _mm_set1_epi32(0x01010000);  // words (0, 0x0101)
  const __m128i allOnes = _mm_set1_epi32(-1);
  auto pass = [&](uint32_t* Black, const uint32_t* White) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Black));
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(White));
    const __m128i red = _mm_madd_epi16(_mm_and_si128(_mm_subs_epu8(w, b), redMask), spreadRed);
    const __m128i alpha = _mm_xor_si128(_mm_or_si128(red, _mm_slli_epi32(red, 16)), allOnes);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Black), _mm_min_epu8(_mm_or_si128(b, opaque), alpha));
  };
  for (; n >= 8; n -= 8, OverBlack += 8, OverWhite += 8) {
    pass(OverBlack, OverWhite);
    pass(OverBlack + 4, OverWhite + 4);
  }
  for (; n >= 4; n -= 4, OverBlack += 4, OverWhite += 4) pass(OverBlack, OverWhite);
#endif
  for (; n > 0; --n, ++OverBlack, ++OverWhite) *OverBlack = RecoverAlphaPixel(*OverBlack, *OverWhite);
}

uint32_t UnpremultiplyPixel(uint32_t Pixel) {
  const uint32_t a = Pixel >> 24;
  if (a == 0) return 0;
  if (a == 255) return Pixel;
  auto channel = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
  const uint32_t r = channel((Pixel >> 16) & 0xFF);
  const uint32_t g = channel((Pixel >> 8) & 0xFF);
  const uint32_t b = channel(Pixel & 0xFF);
  return (a << 24) | (r << 16) | (g << 8) | b;
}

}  // namespace vt
