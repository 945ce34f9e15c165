#pragma once
// Compositing a layer's row onto the target with a blend mode. Private to
// the renderer.
//
// Colours are premultiplied. The separable modes follow one rule: where the
// layer (alpha as) covers the target (alpha ab), the result is
//   (1 - ab) * S + (1 - as) * D + as * ab * B(d, s)
// with B the mode's function of the unpremultiplied colours; its alpha is
// source-over's. Invert, Alpha and Erase act on the target only: Invert
// inverts its colours under the layer, Alpha keeps it where the layer is
// opaque, Erase where the layer is transparent.

#include <cstdint>

#include "renderers/engine/model.h"

namespace swf::render {

// Src over Dst (N pixels) with Mode; Mask (0..255 a pixel, nullptr for
// none) scales the layer first.
void BlendRow(BlendMode Mode, uint32_t* Dst, const uint32_t* Src, const uint8_t* Mask, int32_t N);

}  // namespace swf::render
