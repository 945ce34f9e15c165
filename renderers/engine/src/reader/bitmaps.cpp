// DefineBitsLossless 1 and 2: colour-mapped (8 bit), RGB15 and 32-bit pixels,
// zlib-compressed, turned into premultiplied 0xAARRGGBB.
#include <zlib.h>

#include <algorithm>
#include <vector>

#include "renderers/engine/src/reader/loader.h"

namespace swf::detail {
namespace {

uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return (a << 24) | (r << 16) | (g << 8) | b; }

// Premultiplied input whose colour exceeds its alpha is invalid; clamp it so
// the compositor never sees a channel above alpha.
uint32_t PackPremultiplied(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return Pack(a, std::min(r, a), std::min(g, a), std::min(b, a));
}

// Inflates exactly Size bytes; less data than that is an error, more is ignored.
std::vector<uint8_t> InflateExactly(const uint8_t* Data, size_t Length, size_t Size, size_t Offset) {
  std::vector<uint8_t> out(Size);
  if (Size == 0) return out;
  z_stream z{};
  if (inflateInit(&z) != Z_OK) Fail("zlib cannot start", Offset);
  z.next_in = const_cast<Bytef*>(Data);
  z.avail_in = static_cast<uInt>(std::min<size_t>(Length, UINT32_MAX));
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(Size);
  const int rc = inflate(&z, Z_FINISH);
  const size_t produced = Size - z.avail_out;
  inflateEnd(&z);
  if (produced == Size) return out;
  Fail(rc == Z_DATA_ERROR || rc == Z_NEED_DICT || rc == Z_MEM_ERROR ? "bitmap data is not valid zlib data"
                                                                     : "bitmap data truncated",
       Offset);
}

}  // namespace

Bitmap ReadLosslessBitmap(Stream& S, int Version, LoadState& L) {
  const size_t at = S.Offset();
  const uint8_t format = S.U8();
  const uint32_t width = S.U16(), height = S.U16();
  if (format != 3 && format != 4 && format != 5) Fail("unknown bitmap format " + std::to_string(format), at);
  if (format == 4 && Version == 2) Fail("15-bit bitmaps have no alpha form", at);
  const size_t pixels = size_t{width} * height;
  if (pixels > L.limits.maxBitmapPixels) Fail("bitmap too large", at);
  if (pixels > L.limits.maxTotalBitmapPixels - std::min(L.totalBitmapPixels, L.limits.maxTotalBitmapPixels))
    Fail("bitmaps too large together", at);
  L.totalBitmapPixels += pixels;
  const size_t paletteSize = format == 3 ? size_t{S.U8()} + 1 : 0;

  const size_t entry = Version == 2 ? 4 : 3;
  size_t rowBytes = 0;
  if (format == 3) rowBytes = (size_t{width} + 3) & ~size_t{3};
  if (format == 4) rowBytes = (size_t{width} * 2 + 3) & ~size_t{3};
  if (format == 5) rowBytes = size_t{width} * 4;
  const size_t paletteBytes = paletteSize * entry;
  const std::vector<uint8_t> raw =
      InflateExactly(S.Here(), S.Remaining(), paletteBytes + rowBytes * height, S.Offset());

  Bitmap bmp;
  bmp.width = static_cast<int32_t>(width);
  bmp.height = static_cast<int32_t>(height);
  bmp.pixels.resize(pixels);
  std::vector<uint32_t> palette(paletteSize);
  for (size_t i = 0; i < paletteSize; ++i) {
    const uint8_t* p = &raw[i * entry];
    palette[i] = Version == 2 ? PackPremultiplied(p[3], p[0], p[1], p[2]) : Pack(255, p[0], p[1], p[2]);
  }
  const uint8_t* rows = raw.data() + paletteBytes;
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* row = rows + rowBytes * y;
    uint32_t* out = bmp.pixels.data() + size_t{width} * y;
    for (uint32_t x = 0; x < width; ++x) {
      if (format == 3) {
        const uint8_t index = row[x];
        out[x] = index < paletteSize ? palette[index] : 0;  // an index past the palette is transparent
      } else if (format == 4) {
        const uint32_t v = (uint32_t{row[2 * x]} << 8) | row[2 * x + 1];
        const uint32_t r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        out[x] = Pack(255, (r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2));
      } else {
        const uint8_t* p = row + 4 * x;
        out[x] = Version == 2 ? PackPremultiplied(p[0], p[1], p[2], p[3]) : Pack(255, p[1], p[2], p[3]);
      }
    }
  }
  return bmp;
}

}  // namespace swf::detail
