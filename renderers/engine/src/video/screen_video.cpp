// Screen Video packets: a 4-byte header (block width and height in 16-pixel
// steps, and the picture's size in 12 bits each), then each block from the
// bottom left, left to right and upwards: a 16-bit size and that many bytes
// of zlib data holding the block's BGR rows, bottom row first. Blocks at the
// right and top edges are cut to the picture.
#include "renderers/engine/src/video/screen_video.h"

#include <zlib.h>

#include <algorithm>
#include <string>
#include <vector>

namespace swf::video {
namespace {

[[noreturn]] void Fail(const std::string& What, size_t Offset) {
  throw FormatError("Screen Video: " + What + " at offset " + std::to_string(Offset));
}

}  // namespace

void ScreenVideoDecoder::Decode(const uint8_t* Data, size_t Size) {
  if (Size < 4) Fail("the packet is cut off before its header", 0);
  const int blockWidth = ((Data[0] >> 4) + 1) * 16;
  const int width = (Data[0] & 0x0F) << 8 | Data[1];
  const int blockHeight = ((Data[2] >> 4) + 1) * 16;
  const int height = (Data[2] & 0x0F) << 8 | Data[3];
  if (width == 0 || height == 0) Fail("the picture is empty", 0);
  if (picture_.width != width || picture_.height != height) {
    // A new size starts a new picture; blocks the packet does not send stay black.
    picture_.width = width;
    picture_.height = height;
    picture_.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0xFF000000u);
  }
  std::vector<uint8_t> block(static_cast<size_t>(blockWidth) * static_cast<size_t>(blockHeight) * 3);
  size_t pos = 4;
  for (int bottom = 0; bottom < height; bottom += blockHeight) {
    for (int left = 0; left < width; left += blockWidth) {
      if (Size - pos < 2) Fail("the packet is cut off before a block", pos);
      const size_t length = static_cast<size_t>(Data[pos] << 8 | Data[pos + 1]);
      pos += 2;
      if (length == 0) continue;  // unchanged since the last frame
      if (Size - pos < length) Fail("a block's data runs past the end", pos);
      const int w = std::min(blockWidth, width - left), h = std::min(blockHeight, height - bottom);
      const uLongf want = static_cast<uLongf>(w) * static_cast<uLongf>(h) * 3;
      uLongf got = want;
      if (uncompress(block.data(), &got, Data + pos, static_cast<uLong>(length)) != Z_OK || got != want)
        Fail("a block does not inflate to its " + std::to_string(w) + "x" + std::to_string(h) + " pixels", pos);
      pos += length;
      const uint8_t* p = block.data();
      for (int row = 0; row < h; ++row) {
        uint32_t* out = picture_.pixels.data() + static_cast<size_t>(height - 1 - bottom - row) * static_cast<size_t>(width) +
                        static_cast<size_t>(left);
        for (int x = 0; x < w; ++x, p += 3) out[x] = 0xFF000000u | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
      }
    }
  }
}

}  // namespace swf::video
