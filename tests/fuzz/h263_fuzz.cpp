// Decodes arbitrary bytes as a run of Sorenson H.263 packets, each behind a
// 2-byte big-endian length, into one decoder (so inter pictures reach a
// reference): each packet ends in a picture or a FormatError, never a
// crash, a hang or unbounded memory.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "renderers/engine/src/video/h263_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  swf::video::H263Decoder d;
  for (size_t at = 0; at + 2 <= Size;) {
    const size_t n = std::min<size_t>(size_t{Data[at]} << 8 | Data[at + 1], Size - at - 2);
    const uint8_t* packet = Data + at + 2;
    at += 2 + n;
    try {
      // Large pictures run the same code, only slower: keep the runs quick.
      std::vector<uint8_t> padded(packet, packet + n);
      padded.resize(n + swf::video::H263BitReader::kPadding);
      swf::video::H263BitReader bits(padded.data(), n);
      const swf::video::H263PictureHeader h = swf::video::ReadH263PictureHeader(bits);
      if (h.width * h.height > 256 * 256) continue;
      d.Decode(packet, n);
    } catch (const swf::FormatError&) {
    }
    const swf::Bitmap& picture = d.Picture();
    if (picture.pixels.size() != static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height)) __builtin_trap();
  }
  return 0;
}
