#pragma once
// 4:2:0 planes to opaque 0xFFRRGGBB pixels with the BT.601 matrix over
// limited-range samples (Y 16..235, Cb and Cr 16..240), each chroma sample
// covering a 2x2 square of luma samples.

#include <cstddef>
#include <cstdint>

namespace swf::video {

struct YuvPlanes {
  int width = 0, height = 0;  // luma samples; chroma has (width + 1) / 2 x (height + 1) / 2
  const uint8_t* y = nullptr;
  const uint8_t* u = nullptr;  // Cb
  const uint8_t* v = nullptr;  // Cr
  ptrdiff_t yStride = 0, cStride = 0;
};

// Writes Planes.width x Planes.height pixels to Out, rows packed top first.
void YuvToRgb(const YuvPlanes& Planes, uint32_t* Out);

}  // namespace swf::video
