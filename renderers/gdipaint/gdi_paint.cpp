// Drawing a frame into a host's device context.
#include "renderers/gdipaint/gdi_paint.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace swfwin {
namespace {

// The context's clip region as rectangles in device pixels; Whole when it has none.
std::vector<RECT> ClipRects(HDC Dc, const RECT& Whole) {
  std::vector<RECT> out;
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  if (!rgn) return out;
  const int has = GetClipRgn(Dc, rgn);
  if (has == 0) {
    out.push_back(Whole);
  } else if (has == 1) {
    const DWORD size = GetRegionData(rgn, 0, nullptr);
    std::vector<uint8_t> buffer(size);
    if (size >= sizeof(RGNDATAHEADER) &&
        GetRegionData(rgn, size, reinterpret_cast<RGNDATA*>(buffer.data())) == size) {
      RGNDATAHEADER header;
      std::memcpy(&header, buffer.data(), sizeof header);
      const size_t count = std::min<size_t>(header.nCount, (size - sizeof header) / sizeof(RECT));
      out.resize(count);
      if (count) std::memcpy(out.data(), buffer.data() + sizeof header, count * sizeof(RECT));
    }
  }
  DeleteObject(rgn);
  return out;
}

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
  if (J.movie) J.movie->Render(T, Clip, J.transparent || fill);
}

// The 32-bit top-down DIB section selected into Dc, if that is what it holds.
bool TopDownDib(HDC Dc, DIBSECTION& Dib) {
  HGDIOBJ bitmap = GetCurrentObject(Dc, OBJ_BITMAP);
  if (!bitmap || GetObjectW(bitmap, sizeof Dib, &Dib) != sizeof Dib) return false;
  return Dib.dsBm.bmBits && Dib.dsBm.bmBitsPixel == 32 && Dib.dsBmih.biHeight < 0 &&
         Dib.dsBmih.biCompression == BI_RGB && Dib.dsBm.bmWidthBytes >= Dib.dsBm.bmWidth * 4;
}

bool PaintIntoDib(const PaintJob& J, const DIBSECTION& Dib, POINT Origin) {
  const int32_t bw = Dib.dsBm.bmWidth, bh = Dib.dsBm.bmHeight;
  if (Origin.x >= bw || Origin.y >= bh) return true;  // the movie lies outside the bitmap
  const int32_t stride = Dib.dsBm.bmWidthBytes;
  swf::RenderTarget t;
  t.pixels = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(Dib.dsBm.bmBits) + size_t(Origin.y) * stride +
                                         size_t(Origin.x) * 4);
  t.width = std::min<int32_t>(J.width, bw - Origin.x);
  t.height = std::min<int32_t>(J.height, bh - Origin.y);
  t.strideBytes = stride;
  const swf::IntRect area{0, 0, t.width, t.height};
  for (const RECT& c : ClipRects(J.dc, RECT{0, 0, bw, bh})) {
    const swf::IntRect r =
        swf::IntRect{c.left - Origin.x, c.top - Origin.y, c.right - Origin.x, c.bottom - Origin.y}.Intersect(
            area);
    if (!r.Empty()) Draw(J, t, r);
  }
  return true;
}

bool PaintThroughAlphaBlend(const PaintJob& J) {
  RECT box;
  const int kind = GetClipBox(J.dc, &box);
  if (kind == ERROR) return false;
  if (kind == NULLREGION) return true;
  const swf::IntRect r =
      swf::IntRect{box.left - J.originX, box.top - J.originY, box.right - J.originX, box.bottom - J.originY}
          .Intersect({0, 0, J.width, J.height});
  if (r.Empty()) return true;
  // A buffer from the movie's top left to the clip box's bottom right: the
  // engine draws in viewport pixels.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = r.right;
  info.bmiHeader.biHeight = -r.bottom;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib) return false;
  bool ok = false;
  if (HDC mem = CreateCompatibleDC(J.dc)) {
    HGDIOBJ old = SelectObject(mem, dib);
    swf::RenderTarget t{static_cast<uint32_t*>(bits), r.right, r.bottom, r.right * 4};
    Draw(J, t, r);  // over fully transparent pixels: the blend composites it
    GdiFlush();
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ok = GdiAlphaBlend(J.dc, J.originX + r.left, J.originY + r.top, r.right - r.left, r.bottom - r.top, mem,
                       r.left, r.top, r.right - r.left, r.bottom - r.top, blend);
    SelectObject(mem, old);
    DeleteDC(mem);
  }
  DeleteObject(dib);
  return ok;
}

}  // namespace

bool PaintMovie(const PaintJob& Job) {
  if (!Job.dc || Job.width <= 0 || Job.height <= 0) return false;
  if (!Job.movie && (Job.transparent || !Job.background)) return true;  // nothing to draw yet
  GdiFlush();  // GDI's own drawing is in the bits before the engine reads them
  DIBSECTION dib{};
  POINT origin{Job.originX, Job.originY};
  LPtoDP(Job.dc, &origin, 1);
  if (TopDownDib(Job.dc, dib) && origin.x >= 0 && origin.y >= 0) return PaintIntoDib(Job, dib, origin);
  return PaintThroughAlphaBlend(Job);
}

}  // namespace swfwin
