#pragma once
// The colours of a gradient along part of a pixel row. Private to the
// renderer.
//
// Each pixel's gradient position comes from its own column (never by
// stepping from the start of the run), so a pixel gets the same colour
// whichever part of the row is drawn. The SSE2 path takes four pixels a
// step (the AVX2 one eight) through the same float operations as the
// portable one, in the same order, so all give the same colours.

#include <cstdint>

#include "renderers/engine/model.h"
#include "renderers/engine/src/render/cpu.h"

namespace swf::render {

enum class GradientKind { Linear, Radial, Focal };

struct GradientRow {
  GradientKind kind = GradientKind::Linear;
  SpreadMode spread = SpreadMode::Pad;
  const uint32_t* lut = nullptr;  // 256 premultiplied colours
  Point origin;                   // the centre of the row's column 0, in gradient space
  double a = 0, b = 0;            // gradient space per column
  float focal = 0;                // Focal: the focal point on the x axis, inside (-1, 1)
};

// Colours of columns X .. X+N-1.
void ShadeGradient(const GradientRow& G, int32_t X, int32_t N, uint32_t* Out);

namespace portable {
void ShadeGradient(const GradientRow& G, int32_t X, int32_t N, uint32_t* Out);
}
#if defined(__SSE2__)
namespace sse2 {
void ShadeGradient(const GradientRow& G, int32_t X, int32_t N, uint32_t* Out);
}
#endif
#if defined(VT_RENDER_AVX2)
namespace avx2 {  // eight pixels a step; only where HasAvx2()
void ShadeGradient(const GradientRow& G, int32_t X, int32_t N, uint32_t* Out);
}
#endif

}  // namespace swf::render
