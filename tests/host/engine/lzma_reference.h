#pragma once
// liblzma as the reference for the engine's LZMA decoder (host only): its
// LZMA1 "alone" encoder and decoder.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lzmaref {

using Bytes = std::vector<uint8_t>;

// Data compressed with the given literal context/position bits and position
// bits: 5 property bytes, then the LZMA data (ending with an end marker).
Bytes Compress(const Bytes& Data, uint32_t Lc = 3, uint32_t Lp = 0, uint32_t Pb = 2, uint32_t Dictionary = 1u << 16);

struct Decoded {
  Bytes bytes;     // what liblzma gave before it stopped
  bool ok = false;  // it reached Size bytes (or the end marker) without error
  bool dataError = false;  // it found the data bad (rather than cut off)
};
// Decodes raw LZMA data of Size bytes (Properties: 5 bytes).
Decoded Decompress(const uint8_t* Properties, const uint8_t* Data, size_t Length, uint64_t Size);

}  // namespace lzmaref
