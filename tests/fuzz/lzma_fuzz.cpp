// The engine's LZMA decoder against liblzma on the same data: 5 property
// bytes (the dictionary kept small), 2 bytes of output size, then the data.
// Where liblzma decodes, ours gives the same bytes; where the data is cut
// off, the same whole symbols; where liblzma finds it bad, ours either does
// too or gives at least what liblzma gave before it stopped.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "renderers/engine/model.h"
#include "renderers/engine/src/reader/lzma.h"
#include "tests/host/engine/lzma_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 7) return 0;
  uint8_t props[5];
  std::memcpy(props, Data, 5);
  props[4] = 0;
  props[3] &= 0x0F;  // at most 1 MiB of dictionary for liblzma to allocate
  const size_t size = size_t{Data[5]} | size_t{Data[6]} << 8;
  const uint8_t* data = Data + 7;
  const size_t length = Size - 7;

  const lzmaref::Decoded ref = lzmaref::Decompress(props, data, length, size);
  swf::detail::LzmaOutput ours;
  try {
    ours = swf::detail::DecodeLzma(props, data, length, size, 0);
  } catch (const swf::FormatError&) {
    if (!ref.dataError) __builtin_trap();  // liblzma decoded what we call bad
    return 0;
  }
  // liblzma may wait for more data after the last byte, for an end marker.
  const bool refWhole = ref.ok || (!ref.dataError && ref.bytes.size() == size);
  if (ours.bytes.size() > size) __builtin_trap();
  if (refWhole && (ours.bytes != ref.bytes || ours.cutOff)) __builtin_trap();
  if (!refWhole && !ref.dataError && (!ours.cutOff || ours.bytes != ref.bytes)) __builtin_trap();
  if (ref.dataError &&
      (ours.bytes.size() < ref.bytes.size() || !std::equal(ref.bytes.begin(), ref.bytes.end(), ours.bytes.begin())))
    __builtin_trap();
  return 0;
}
