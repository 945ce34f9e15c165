// Compositing the frame layer over a host's context.
#include "renderers/gdipaint/layer_paint.h"

#include "renderers/gdipaint/gdi_target.h"
#include "renderers/gdipaint/premultiplied_over.h"

namespace swfwin {

bool CompositeIntoDib(const PaintJob& J, FrameLayer& Layer, const DIBSECTION& Dib, POINT Origin) {
  const swf::IntRect area = ViewportInDib(Dib, Origin, J.width, J.height);
  if (area.Empty()) return true;  // the movie lies outside the bitmap
  for (const RECT& c : ClipRects(J.dc, RECT{0, 0, Dib.dsBm.bmWidth, Dib.dsBm.bmHeight})) {
    const swf::IntRect r = ToViewport(c, Origin, area);
    if (r.Empty()) continue;
    Layer.Update(*J.movie, r);
    for (int32_t y = r.top; y < r.bottom; ++y)
      CompositeOver(DibPixel(Dib, Origin.x + r.left, Origin.y + y), Layer.Row(y) + r.left, r.right - r.left);
  }
  return true;
}

bool CompositeThroughAlphaBlend(const PaintJob& J, FrameLayer& Layer) {
  swf::IntRect r;
  if (!ClipBoxInViewport(J.dc, POINT{J.originX, J.originY}, J.width, J.height, r)) return false;
  if (r.Empty()) return true;
  Layer.Update(*J.movie, r);
  const MemoryDc mem(J.dc, Layer.bitmap());
  if (!mem.get()) return false;
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  const int32_t w = r.right - r.left, h = r.bottom - r.top;
  const bool ok = GdiAlphaBlend(J.dc, J.originX + r.left, J.originY + r.top, w, h, mem.get(), r.left, r.top, w, h,
                                blend);
  GdiFlush();  // the layer's bits are written again at the next update
  return ok;
}

}  // namespace swfwin
