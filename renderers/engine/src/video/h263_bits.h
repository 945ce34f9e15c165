#pragma once
// Reads a Sorenson H.263 packet most significant bit first. The packet is
// copied into a buffer with zero bytes after it, so a read near the end
// loads whole 64-bit words without a branch per bit; any read that starts
// past the packet's last bit is an error naming the bit it stopped at.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "renderers/engine/model.h"

namespace swf::video {

class H263BitReader {
 public:
  // Bytes that must follow the packet's data in its buffer (readable, zero).
  static constexpr size_t kPadding = 16;

  H263BitReader(const uint8_t* Data, size_t Size) : data_(Data), limit_(Size * 8) {}

  // The next N bits (1..32) without consuming them.
  uint32_t Peek(int N) const {
    if (pos_ > limit_) Fail("the packet is cut off");
    uint64_t w;
    std::memcpy(&w, data_ + (pos_ >> 3), sizeof w);
    if constexpr (std::endian::native == std::endian::little) w = __builtin_bswap64(w);
    return static_cast<uint32_t>((w << (pos_ & 7)) >> (64 - N));
  }
  void Skip(int N) { pos_ += static_cast<size_t>(N); }
  uint32_t Read(int N) {
    const uint32_t v = Peek(N);
    pos_ += static_cast<size_t>(N);
    return v;
  }
  bool ReadBit() { return Read(1) != 0; }
  // An N-bit two's complement number.
  int32_t ReadSigned(int N) {
    const uint32_t v = Read(N);
    return static_cast<int32_t>(v) - static_cast<int32_t>((v >> (N - 1)) << N);
  }

  size_t Position() const { return pos_; }
  // True once a read has gone past the packet's last bit.
  bool Overrun() const { return pos_ > limit_; }

  [[noreturn]] void Fail(const std::string& What) const {
    throw FormatError("Sorenson H.263: " + What + " at bit " + std::to_string(pos_));
  }

 private:
  const uint8_t* data_;
  size_t limit_;
  size_t pos_ = 0;
};

}  // namespace swf::video
