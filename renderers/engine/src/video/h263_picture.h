#pragma once
// The picture header Sorenson H.263 puts before each frame's macroblocks:
// a 17-bit start code, the format version (0 or 1: how coefficients are
// escaped), a temporal reference, the size (one of five standard sizes or
// given in 8 or 16 bits a side), the picture type, a deblocking flag (an
// encoder hint this decoder does not need), the quantiser, and optional
// extra bytes.

#include "renderers/engine/src/video/h263_bits.h"

namespace swf::video {

enum class H263PictureType : uint8_t { Intra, Inter, DisposableInter };

struct H263PictureHeader {
  int version = 0;
  int width = 0, height = 0;
  H263PictureType type = H263PictureType::Intra;
  bool deblocking = false;
  int quant = 1;  // 1..31
};

// Pictures larger than this on either side are refused (no stream of this
// format needs more, and it bounds the memory a damaged header can claim).
inline constexpr int kH263MaxSide = 4096;

// Reads the header from the start of a packet; throws FormatError (through
// Bits) for a missing start code, an unknown version, size or picture
// type, or a zero quantiser.
H263PictureHeader ReadH263PictureHeader(H263BitReader& Bits);

}  // namespace swf::video
