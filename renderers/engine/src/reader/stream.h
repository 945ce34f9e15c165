#pragma once
// A bounded reader over the bytes of one tag (or the whole movie): bytes,
// little-endian integers, bit fields read most significant bit first, and
// NUL-terminated strings. Every read is checked against the end; reading past
// it throws FormatError naming the absolute offset in the movie.

#include <cstddef>
#include <cstdint>
#include <string>

#include "renderers/engine/model.h"

namespace swf::detail {

[[noreturn]] void Fail(const std::string& What, size_t Offset);

class Stream {
 public:
  // Data..Data+Size are the readable bytes; Base is the offset of Data in the
  // (uncompressed) movie, used in error messages.
  Stream(const uint8_t* Data, size_t Size, size_t Base) : data_(Data), size_(Size), base_(Base) {}

  size_t Offset() const { return base_ + pos_; }  // absolute, of the next whole byte
  size_t Remaining() const { return size_ - pos_; }
  bool AtEnd() const { return pos_ >= size_; }
  const uint8_t* Here() const { return data_ + pos_; }

  void Align() { bit_ = 0; }

  uint8_t U8() {
    Align();
    Need(1);
    return data_[pos_++];
  }
  uint16_t U16() {
    Align();
    Need(2);
    uint16_t v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  uint32_t U32() {
    Align();
    Need(4);
    uint32_t v = static_cast<uint32_t>(data_[pos_]) | (static_cast<uint32_t>(data_[pos_ + 1]) << 8) |
                 (static_cast<uint32_t>(data_[pos_ + 2]) << 16) | (static_cast<uint32_t>(data_[pos_ + 3]) << 24);
    pos_ += 4;
    return v;
  }
  void Skip(size_t N) {
    Align();
    Need(N);
    pos_ += N;
  }

  // Unsigned bit field of Bits (0..32) bits.
  uint32_t UB(unsigned Bits) {
    uint32_t v = 0;
    for (unsigned i = 0; i < Bits; ++i) {
      if (bit_ == 0) {
        Need(1);
        cur_ = data_[pos_++];
        bit_ = 8;
      }
      --bit_;
      v = (v << 1) | ((cur_ >> bit_) & 1u);
    }
    return v;
  }
  // Signed (two's complement) bit field of Bits (0..32) bits.
  int32_t SB(unsigned Bits) {
    if (Bits == 0) return 0;
    const int64_t u = UB(Bits);
    const int64_t half = int64_t{1} << (Bits - 1);
    return static_cast<int32_t>(u >= half ? u - 2 * half : u);
  }
  // 16.16 fixed point bit field.
  double FB(unsigned Bits) { return SB(Bits) / 65536.0; }

  // NUL-terminated string; the terminator must lie inside the stream.
  std::string String();

  Rect ReadRect();
  Matrix ReadMatrix();
  ColorTransform ReadCxform(bool WithAlpha);
  RGBA ReadRGB();
  RGBA ReadRGBA();

 private:
  void Need(size_t N) const {
    if (N > size_ - pos_) Fail("unexpected end of data", base_ + size_);
  }

  const uint8_t* data_;
  size_t size_;
  size_t base_;
  size_t pos_ = 0;
  uint8_t cur_ = 0;
  unsigned bit_ = 0;  // bits of cur_ not yet read
};

}  // namespace swf::detail
