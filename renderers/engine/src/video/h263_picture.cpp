#include "renderers/engine/src/video/h263_picture.h"

namespace swf::video {
namespace {

constexpr int kStandardSizes[][2] = {{352, 288}, {176, 144}, {128, 96}, {320, 240}, {160, 120}};

}  // namespace

H263PictureHeader ReadH263PictureHeader(H263BitReader& Bits) {
  H263PictureHeader h;
  if (Bits.Read(17) != 1) Bits.Fail("no picture start code");
  h.version = static_cast<int>(Bits.Read(5));
  if (h.version > 1) Bits.Fail("unknown format version " + std::to_string(h.version));
  Bits.Skip(8);  // temporal reference
  const uint32_t size = Bits.Read(3);
  if (size == 0 || size == 1) {
    const int bits = size == 0 ? 8 : 16;
    h.width = static_cast<int>(Bits.Read(bits));
    h.height = static_cast<int>(Bits.Read(bits));
    if (h.width == 0 || h.height == 0) Bits.Fail("an empty picture");
    if (h.width > kH263MaxSide || h.height > kH263MaxSide)
      Bits.Fail("a picture of " + std::to_string(h.width) + "x" + std::to_string(h.height) + " (too large)");
  } else if (size == 7) {
    Bits.Fail("an unknown picture size code");
  } else {
    h.width = kStandardSizes[size - 2][0];
    h.height = kStandardSizes[size - 2][1];
  }
  const uint32_t type = Bits.Read(2);
  if (type == 3) Bits.Fail("an unknown picture type");
  h.type = static_cast<H263PictureType>(type);
  h.deblocking = Bits.ReadBit();
  h.quant = static_cast<int>(Bits.Read(5));
  if (h.quant == 0) Bits.Fail("a quantiser of 0");
  while (Bits.ReadBit()) Bits.Skip(8);  // extra information, not used
  return h;
}

}  // namespace swf::video
