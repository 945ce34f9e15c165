#pragma once
// Compositing a span of a shape onto a row of the target: premultiplied
// source-over of its colours scaled by its coverage. Private to the renderer.
//
// Each channel is S * K / 256 (rounded) plus D * (255 - that alpha) / 255
// (rounded), capped at 255. The SSE2 path does four pixels a step in 16-bit
// lanes with the same arithmetic as the portable one, so both give the same
// bytes; the portable one also finishes the last few pixels of a span.

#include <cstdint>

#include "renderers/engine/src/render/cpu.h"

namespace swf::render {

// A span's colours (premultiplied 0xAARRGGBB, validly: no colour above its
// alpha): one each, or Color for all; and its coverage as factors 0..256:
// one each, or K for all.
struct SpanSource {
  const uint32_t* colors = nullptr;
  uint32_t color = 0;
  const uint16_t* ks = nullptr;
  uint32_t k = 256;
  // Pixels past the span's end the SSE2 path may read and write back
  // unchanged (Colors and Ks are readable that far too), so that a span's
  // last one to three pixels take the four-pixel step, at no coverage.
  int32_t room = 0;
};

// Source-over of S onto Dst[0..N). A single opaque colour at full coverage
// is a fill.
void CompositeSpan(uint32_t* Dst, int32_t N, const SpanSource& S);

namespace portable {
void CompositeSpan(uint32_t* Dst, int32_t N, const SpanSource& S);
}
#if defined(__SSE2__)
namespace sse2 {
void CompositeSpan(uint32_t* Dst, int32_t N, const SpanSource& S);
}
#endif
#if defined(VT_RENDER_AVX2)
namespace avx2 {  // eight pixels a step; only where HasAvx2()
void CompositeSpan(uint32_t* Dst, int32_t N, const SpanSource& S);
}
#endif

}  // namespace swf::render
