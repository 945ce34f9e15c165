// Feeds arbitrary bytes to the FLV reader in two pieces (the first byte
// says where to cut) and reads every script tag as metadata: each must end
// in tags or a FormatError, never a crash, a hang or unbounded memory.
#include <cstddef>
#include <cstdint>

#include "renderers/engine/model.h"
#include "renderers/engine/src/video/flv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size == 0) return 0;
  const size_t cut = Data[0] % Size;
  swf::video::FlvReader r;
  try {
    auto tags = r.Append(Data + 1, cut);
    auto more = r.Append(Data + 1 + cut, Size - 1 - cut);
    tags.insert(tags.end(), more.begin(), more.end());
    for (const auto& t : tags) {
      try {
        swf::video::ReadMetaData(t);
      } catch (const swf::FormatError&) {
      }
    }
  } catch (const swf::FormatError&) {
  }
  return 0;
}
