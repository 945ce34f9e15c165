// Drawing a frame into a host's device context: transparent frames from the
// instance's layer, everything else rendered straight into the context.
#include "renderers/gdipaint/gdi_paint.h"

#include <algorithm>

#include "renderers/gdipaint/gdi_target.h"
#include "renderers/gdipaint/layer_paint.h"

namespace swfwin {
namespace {

void Fill(const swf::RenderTarget& T, const swf::IntRect& R, uint32_t Pixel) {
  for (int32_t y = R.top; y < R.bottom; ++y) {
    uint32_t* row =
        reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(T.pixels) + size_t(y) * T.strideBytes);
    std::fill(row + R.left, row + R.right, Pixel);
  }
}

// Background and frame into Clip of Target (movie pixels).
void Draw(const PaintJob& J, const swf::RenderTarget& T, const swf::IntRect& Clip) {
  const bool fill = !J.transparent && J.background;
  if (fill) Fill(T, Clip, *J.background);
  if (!J.movie) return;
  CountRender();
  J.movie->Render(T, Clip, J.transparent || fill);
}

bool PaintIntoDib(const PaintJob& J, const DIBSECTION& Dib, POINT Origin) {
  const swf::IntRect area = ViewportInDib(Dib, Origin, J.width, J.height);
  if (area.Empty()) return true;  // the movie lies outside the bitmap
  const swf::RenderTarget t{DibPixel(Dib, Origin.x, Origin.y), area.right, area.bottom,
                            static_cast<int32_t>(Dib.dsBm.bmWidthBytes)};
  for (const RECT& c : ClipRects(J.dc, RECT{0, 0, Dib.dsBm.bmWidth, Dib.dsBm.bmHeight})) {
    const swf::IntRect r = ToViewport(c, Origin, area);
    if (!r.Empty()) Draw(J, t, r);
  }
  return true;
}

bool PaintThroughAlphaBlend(const PaintJob& J) {
  swf::IntRect r;
  if (!ClipBoxInViewport(J.dc, POINT{J.originX, J.originY}, J.width, J.height, r)) return false;
  if (r.Empty()) return true;
  // A buffer from the movie's top left to the clip box's bottom right: the
  // engine draws in viewport pixels.
  uint32_t* bits = nullptr;
  HBITMAP dib = NewTopDownDib(r.right, r.bottom, bits);
  if (!dib) return false;
  bool ok = false;
  {
    const MemoryDc mem(J.dc, dib);
    if (mem.get()) {
      const swf::RenderTarget t{bits, r.right, r.bottom, r.right * 4};
      Draw(J, t, r);  // over fully transparent pixels: the blend composites it
      GdiFlush();
      const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
      ok = GdiAlphaBlend(J.dc, J.originX + r.left, J.originY + r.top, r.right - r.left, r.bottom - r.top,
                         mem.get(), r.left, r.top, r.right - r.left, r.bottom - r.top, blend);
    }
  }
  DeleteObject(dib);
  return ok;
}

}  // namespace

bool PaintMovie(const PaintJob& Job) {
  if (!Job.dc || Job.width <= 0 || Job.height <= 0) return false;
  if (!Job.movie && (Job.transparent || !Job.background)) return true;  // nothing to draw yet
  try {
    GdiFlush();  // GDI's own drawing is in the bits before they are read
    DIBSECTION dib{};
    POINT origin{Job.originX, Job.originY};
    LPtoDP(Job.dc, &origin, 1);
    const bool intoBits = TopDownDib(Job.dc, dib) && origin.x >= 0 && origin.y >= 0;
    // A viewport too large for a layer is rendered straight, as opaque frames are.
    if (Job.transparent && Job.movie && Job.layer && Job.layer->Resize(Job.width, Job.height))
      return intoBits ? CompositeIntoDib(Job, *Job.layer, dib, origin) : CompositeThroughAlphaBlend(Job, *Job.layer);
    return intoBits ? PaintIntoDib(Job, dib, origin) : PaintThroughAlphaBlend(Job);
  } catch (...) {
    return false;  // out of memory in the renderer: nothing more is drawn
  }
}

}  // namespace swfwin
