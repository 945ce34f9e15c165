#pragma once
// What the two form-text converters share. Internal.

#include <cstdint>
#include <vector>

#include "framework/Classes.h"

namespace vcl::form_text {

// Objects, lists and collections nest at most this deep; deeper input is
// refused rather than recursed into.
constexpr int kMaxNesting = 256;

// Text lines end as text files do on the platform.
#ifdef _WIN32
constexpr const char* kLineBreak = "\r\n";
#else
constexpr const char* kLineBreak = "\n";
#endif

// The rest of Stream from its position, read in chunks so that a stream
// reporting a false size allocates no more than it delivers.
inline std::vector<uint8_t> ReadRest(TStream& Stream) {
  std::vector<uint8_t> Bytes;
  uint8_t Chunk[65536];
  for (int64_t Got; (Got = Stream.Read(Chunk, sizeof Chunk)) > 0;)
    Bytes.insert(Bytes.end(), Chunk, Chunk + Got);
  return Bytes;
}

}  // namespace vcl::form_text
