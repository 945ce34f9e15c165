#pragma once
// What the painting paths share about a host's device context: its clip
// rectangles, whether it holds a 32-bit top-down DIB section whose bits can
// be written straight, and a memory context to blend from.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "renderers/engine/model.h"

namespace swfwin {

// The context's clip region as rectangles in device pixels; Whole when it has none.
std::vector<RECT> ClipRects(HDC Dc, const RECT& Whole);

// The 32-bit top-down DIB section selected into Dc, if that is what it holds.
bool TopDownDib(HDC Dc, DIBSECTION& Dib);

inline uint32_t* DibPixel(const DIBSECTION& Dib, int32_t X, int32_t Y) {
  return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(Dib.dsBm.bmBits) + size_t(Y) * Dib.dsBm.bmWidthBytes +
                                     size_t(X) * 4);
}

// A Width x Height viewport at Origin (device pixels, not negative) cut to
// the bitmap: viewport pixels.
swf::IntRect ViewportInDib(const DIBSECTION& Dib, POINT Origin, int32_t Width, int32_t Height);

// The clip rectangle C of the context in viewport pixels, inside Area.
inline swf::IntRect ToViewport(const RECT& C, POINT Origin, const swf::IntRect& Area) {
  return swf::IntRect{C.left - Origin.x, C.top - Origin.y, C.right - Origin.x, C.bottom - Origin.y}.Intersect(Area);
}

// A 32-bit top-down DIB section of Width x Height; null when none can be had.
HBITMAP NewTopDownDib(int32_t Width, int32_t Height, uint32_t*& Bits);

// The context's clip box in viewport pixels (the viewport Width x Height at
// Origin, logical units), cut to the viewport; false when the context has no
// clip box to give.
bool ClipBoxInViewport(HDC Dc, POINT Origin, int32_t Width, int32_t Height, swf::IntRect& Out);

// A memory context compatible with Like holding Bitmap for its lifetime.
class MemoryDc {
 public:
  MemoryDc(HDC Like, HBITMAP Bitmap);
  ~MemoryDc();
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

}  // namespace swfwin
