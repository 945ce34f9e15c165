#pragma once
// The transparent paint from a frame layer: the dirty parts the clip needs
// rendered into the layer, then the layer composited over the context.

#include <windows.h>

#include "renderers/gdipaint/frame_layer.h"
#include "renderers/gdipaint/gdi_paint.h"

namespace swfwin {

// Straight into the bits of a top-down DIB section, the movie at Origin
// (device pixels, not negative), clip rectangle by clip rectangle.
bool CompositeIntoDib(const PaintJob& Job, FrameLayer& Layer, const DIBSECTION& Dib, POINT Origin);
// Any other context: the clip box through AlphaBlend.
bool CompositeThroughAlphaBlend(const PaintJob& Job, FrameLayer& Layer);

}  // namespace swfwin
