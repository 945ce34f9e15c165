#pragma once
// Decoding raw LZMA data (as "ZWS" movies hold it, without the .lzma file
// header): a range decoder over literals, matches and repeated matches.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace swf::detail {

struct LzmaOutput {
  std::vector<uint8_t> bytes;
  bool cutOff = false;     // the data ended before Size bytes: bytes holds every whole symbol before that
  bool endMarker = false;  // an end marker came before Size bytes
};

// Decodes up to Size bytes from Data. Properties: the 5 property bytes (the
// lc/lp/pb byte and the little-endian dictionary size). Data that cannot be
// LZMA (bad properties, a distance before the start or past the dictionary)
// throws FormatError with an offset of Base plus the position in Data.
LzmaOutput DecodeLzma(const uint8_t* Properties, const uint8_t* Data, size_t Length, size_t Size, size_t Base);

}  // namespace swf::detail
