// Decodes arbitrary bytes as two Screen Video frames in a row (the first
// byte says where to cut): each ends in a picture or a FormatError, never a
// crash, a hang or unbounded memory.
#include <cstddef>
#include <cstdint>
#include <utility>

#include "renderers/engine/src/video/screen_video.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size == 0) return 0;
  const size_t cut = Data[0] % Size;
  swf::video::ScreenVideoDecoder d;
  for (auto [at, n] : {std::pair<size_t, size_t>{1, cut}, {1 + cut, Size - 1 - cut}}) {
    // Large pictures run the same code, only slower: keep the runs quick.
    if (n >= 4 && ((Data[at] & 0x0F) << 8 | Data[at + 1]) * ((Data[at + 2] & 0x0F) << 8 | Data[at + 3]) > 1 << 16)
      continue;
    try {
      d.Decode(Data + at, n);
    } catch (const swf::FormatError&) {
    }
  }
  return 0;
}
