// A host's device context as the painting paths see it.
#include "renderers/gdipaint/gdi_target.h"

#include <algorithm>
#include <cstring>

namespace swfwin {

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

namespace {

// GetObject reports every DIB section's height as positive, so the order of
// its rows is found by looking: the first pixel of the first and of the last
// row in memory are given different values for a moment, and the bitmap's
// top left pixel is read back through GDI (GetBitmapBits hands rows out top
// first, and reads a bitmap that is selected into a context).
bool RowsRunDown(HBITMAP Bitmap, const DIBSECTION& Dib) {
  const int32_t height = Dib.dsBm.bmHeight;
  if (height < 2) return true;  // one row reads the same either way
  auto* first = static_cast<uint32_t*>(Dib.dsBm.bmBits);
  auto* last = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(Dib.dsBm.bmBits) +
                                           size_t(height - 1) * size_t(Dib.dsBm.bmWidthBytes));
  const uint32_t keepFirst = *first, keepLast = *last;
  *first = 1;
  *last = 2;
  uint32_t topLeft = 0;
  const LONG read = GetBitmapBits(Bitmap, sizeof topLeft, &topLeft);
  *first = keepFirst;
  *last = keepLast;
  return read == sizeof topLeft && topLeft == 1;
}

}  // namespace

bool TopDownDib(HDC Dc, DIBSECTION& Dib) {
  HGDIOBJ bitmap = GetCurrentObject(Dc, OBJ_BITMAP);
  if (!bitmap || GetObjectW(bitmap, sizeof Dib, &Dib) != sizeof Dib) return false;
  return Dib.dsBm.bmBits && Dib.dsBm.bmBitsPixel == 32 && Dib.dsBmih.biCompression == BI_RGB &&
         Dib.dsBm.bmWidth > 0 && Dib.dsBm.bmHeight > 0 && Dib.dsBm.bmWidthBytes >= Dib.dsBm.bmWidth * 4 &&
         RowsRunDown(static_cast<HBITMAP>(bitmap), Dib);
}

swf::IntRect ViewportInDib(const DIBSECTION& Dib, POINT Origin, int32_t Width, int32_t Height) {
  return swf::IntRect{0, 0, std::min<int32_t>(Width, Dib.dsBm.bmWidth - Origin.x),
                      std::min<int32_t>(Height, Dib.dsBm.bmHeight - Origin.y)}
      .Intersect({0, 0, Width, Height});
}

HBITMAP NewTopDownDib(int32_t Width, int32_t Height, uint32_t*& Bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = Width;
  info.bmiHeader.biHeight = -Height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib && !bits) {
    DeleteObject(dib);
    dib = nullptr;
  }
  Bits = static_cast<uint32_t*>(bits);
  return dib;
}

bool ClipBoxInViewport(HDC Dc, POINT Origin, int32_t Width, int32_t Height, swf::IntRect& Out) {
  RECT box;
  const int kind = GetClipBox(Dc, &box);
  Out = {};
  if (kind == ERROR) return false;
  if (kind != NULLREGION) Out = ToViewport(box, Origin, {0, 0, Width, Height});
  return true;
}

MemoryDc::MemoryDc(HDC Like, HBITMAP Bitmap) : dc_(CreateCompatibleDC(Like)) {
  if (dc_) old_ = SelectObject(dc_, Bitmap);
}

MemoryDc::~MemoryDc() {
  if (!dc_) return;
  SelectObject(dc_, old_);
  DeleteDC(dc_);
}

}  // namespace swfwin
