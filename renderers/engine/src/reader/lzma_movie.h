#pragma once
// The body of an LZMA-compressed ("ZWS") movie.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace swf::detail {

// Data..Data+Size is the whole file: "ZWS", the version, the uncompressed
// length of the movie (header included), the compressed length, 5 bytes of
// LZMA properties and the LZMA data. Returns the movie as an uncompressed one
// would hold it: its 8-byte header, then the body, so that offsets in
// messages are offsets in the uncompressed movie. A body cut off early gives
// what it holds (Truncated); bad data and lengths past Limit throw
// FormatError.
std::vector<uint8_t> DecompressLzmaMovie(const uint8_t* Data, size_t Size, size_t Limit, bool& Truncated);

}  // namespace swf::detail
