#include "renderers/engine/src/reader/lzma_movie.h"

#include <algorithm>

#include "renderers/engine/src/reader/lzma.h"
#include "renderers/engine/src/reader/stream.h"

namespace swf::detail {

std::vector<uint8_t> DecompressLzmaMovie(const uint8_t* Data, size_t Size, size_t Limit, bool& Truncated) {
  constexpr size_t kHeader = 17;  // signature, version, two lengths, properties
  if (Size < kHeader) Fail("LZMA movie header is truncated", Size);
  const size_t declared = size_t{Data[4]} | size_t{Data[5]} << 8 | size_t{Data[6]} << 16 | size_t{Data[7]} << 24;
  if (declared > Limit) Fail("movie inflates past the size limit", Limit);
  if (declared < 8) Fail("LZMA movie declares no body", 4);
  // The compressed length (bytes 8 to 11) is not needed: decoding stops at
  // the declared length, and is cut off where the file ends.
  LzmaOutput body = DecodeLzma(Data + 12, Data + kHeader, Size - kHeader, declared - 8, 8);
  Truncated = body.cutOff || body.endMarker;
  // The header goes in front of the body, so offsets in messages are
  // offsets in the uncompressed movie.
  std::vector<uint8_t> out(8 + body.bytes.size());
  std::copy(Data, Data + 8, out.begin());
  std::copy(body.bytes.begin(), body.bytes.end(), out.begin() + 8);
  return out;
}

}  // namespace swf::detail
