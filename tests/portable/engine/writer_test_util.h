#pragma once
// Test helpers that take written SWF bytes apart: the header, the tags and
// bit fields, without the engine's own reader.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace writer_test {

struct TagView {
  uint16_t code = 0;
  std::vector<uint8_t> body;
  bool longHeader = false;
};

class Bits {
 public:
  explicit Bits(const std::vector<uint8_t>& Data, size_t Offset = 0) : data_(Data), byte_(Offset) {}
  uint32_t UB(int N) {
    uint32_t v = 0;
    for (int i = 0; i < N; ++i) {
      if (byte_ >= data_.size()) throw std::out_of_range("read past the end");
      v = (v << 1) | ((data_[byte_] >> (7 - bit_)) & 1u);
      if (++bit_ == 8) {
        bit_ = 0;
        ++byte_;
      }
    }
    return v;
  }
  int32_t SB(int N) {
    if (N == 0) return 0;
    uint32_t v = UB(N);
    if (v & (1u << (N - 1))) v |= ~0u << (N - 1);
    return static_cast<int32_t>(v);
  }
  void Align() {
    if (bit_) {
      bit_ = 0;
      ++byte_;
    }
  }
  uint8_t U8() {
    Align();
    if (byte_ >= data_.size()) throw std::out_of_range("read past the end");
    return data_[byte_++];
  }
  uint16_t U16() {
    uint16_t lo = U8();
    return static_cast<uint16_t>(lo | U8() << 8);
  }
  uint32_t U32() {
    uint32_t lo = U16();
    return lo | uint32_t{U16()} << 16;
  }
  size_t offset() const { return byte_; }

 private:
  const std::vector<uint8_t>& data_;
  size_t byte_ = 0;
  int bit_ = 0;
};

struct Rect4 {
  int32_t xmin, xmax, ymin, ymax;
  int bits;
};

inline Rect4 ReadRect(Bits& B) {
  Rect4 r{};
  r.bits = static_cast<int>(B.UB(5));
  r.xmin = B.SB(r.bits);
  r.xmax = B.SB(r.bits);
  r.ymin = B.SB(r.bits);
  r.ymax = B.SB(r.bits);
  B.Align();
  return r;
}

inline std::vector<uint8_t> Inflate(const uint8_t* Data, size_t Size, size_t Expected) {
  std::vector<uint8_t> out(Expected);
  uLongf n = static_cast<uLongf>(Expected);
  if (uncompress(out.data(), &n, Data, static_cast<uLong>(Size)) != Z_OK) throw std::runtime_error("bad zlib data");
  out.resize(n);
  return out;
}

// The uncompressed file (header included) of FWS or CWS bytes.
inline std::vector<uint8_t> Uncompressed(const std::vector<uint8_t>& File) {
  if (File.size() < 8) throw std::runtime_error("short file");
  if (File[0] == 'F') return File;
  uint32_t length = File[4] | File[5] << 8 | File[6] << 16 | uint32_t{File[7]} << 24;
  std::vector<uint8_t> out(File.begin(), File.begin() + 8);
  out[0] = 'F';
  std::vector<uint8_t> body = Inflate(File.data() + 8, File.size() - 8, length - 8);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

// The tags of a tag sequence starting at Offset, up to and including End.
inline std::vector<TagView> ReadTags(const std::vector<uint8_t>& Data, size_t Offset) {
  std::vector<TagView> tags;
  Bits b(Data, Offset);
  while (b.offset() < Data.size()) {
    uint16_t head = b.U16();
    TagView t;
    t.code = head >> 6;
    uint32_t len = head & 0x3f;
    if (len == 0x3f) {
      len = b.U32();
      t.longHeader = true;
    }
    size_t at = b.offset();
    if (at + len > Data.size()) throw std::runtime_error("tag runs past the end");
    t.body.assign(Data.begin() + static_cast<ptrdiff_t>(at), Data.begin() + static_cast<ptrdiff_t>(at + len));
    for (uint32_t i = 0; i < len; ++i) b.U8();
    tags.push_back(std::move(t));
    if (tags.back().code == 0) break;
  }
  return tags;
}

// The tags of a whole file, after its header.
inline std::vector<TagView> FileTags(const std::vector<uint8_t>& File) {
  std::vector<uint8_t> u = Uncompressed(File);
  Bits b(u, 8);
  ReadRect(b);
  b.U16();
  b.U16();
  return ReadTags(u, b.offset());
}

}  // namespace writer_test
