#pragma once
// Writing SWF bytes by hand in tests: bit fields, tags and a movie around them.

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace swftest {

using Bytes = std::vector<uint8_t>;

class Bits {
 public:
  Bits& UB(uint32_t V, unsigned N) {
    for (unsigned i = N; i-- > 0;) {
      if (bit_ == 0) {
        out_.push_back(0);
        bit_ = 8;
      }
      --bit_;
      if ((V >> i) & 1u) out_.back() |= static_cast<uint8_t>(1u << bit_);
    }
    return *this;
  }
  Bits& SB(int32_t V, unsigned N) { return UB(static_cast<uint32_t>(V) & (N == 32 ? ~0u : (1u << N) - 1), N); }
  Bits& Align() {
    bit_ = 0;
    return *this;
  }
  Bits& U8(uint32_t V) {
    Align();
    out_.push_back(static_cast<uint8_t>(V));
    return *this;
  }
  Bits& U16(uint32_t V) { return U8(V & 0xFF).U8(V >> 8); }
  Bits& U32(uint32_t V) { return U16(V & 0xFFFF).U16(V >> 16); }
  Bits& Raw(const Bytes& B) {
    Align();
    out_.insert(out_.end(), B.begin(), B.end());
    return *this;
  }
  Bits& Str(const std::string& S) {
    Align();
    out_.insert(out_.end(), S.begin(), S.end());
    out_.push_back(0);
    return *this;
  }
  Bits& Rgb(uint8_t R, uint8_t G, uint8_t B) { return U8(R).U8(G).U8(B); }
  Bits& Rgba(uint8_t R, uint8_t G, uint8_t B, uint8_t A) { return U8(R).U8(G).U8(B).U8(A); }
  // RECT with N bits per value.
  Bits& Rect(int32_t X0, int32_t X1, int32_t Y0, int32_t Y1, unsigned N) {
    Align();
    UB(N, 5).SB(X0, N).SB(X1, N).SB(Y0, N).SB(Y1, N);
    return Align();
  }
  // MATRIX: scale and rotate/skew in 16.16, translation in twips (20 bits each).
  Bits& Matrix(double A, double B, double C, double D, int32_t Tx, int32_t Ty) {
    Align();
    const bool scale = A != 1 || D != 1, rotate = B != 0 || C != 0;
    UB(scale, 1);
    if (scale) UB(20, 5).SB(Fixed(A), 20).SB(Fixed(D), 20);
    UB(rotate, 1);
    if (rotate) UB(20, 5).SB(Fixed(B), 20).SB(Fixed(C), 20);
    UB(20, 5).SB(Tx, 20).SB(Ty, 20);
    return Align();
  }
  Bits& Identity() { return Matrix(1, 0, 0, 1, 0, 0); }
  const Bytes& Out() const { return out_; }
  operator Bytes() const { return out_; }

 private:
  static int32_t Fixed(double V) { return static_cast<int32_t>(V * 65536); }
  Bytes out_;
  unsigned bit_ = 0;
};

inline Bytes Tag(uint16_t Code, const Bytes& Body, bool Long = false) {
  Bits b;
  if (Body.size() >= 63 || Long)
    b.U16(static_cast<uint32_t>(Code << 6 | 0x3F)).U32(static_cast<uint32_t>(Body.size()));
  else
    b.U16(static_cast<uint32_t>(Code << 6 | Body.size()));
  return b.Raw(Body);
}

inline Bytes Cat(std::initializer_list<Bytes> Parts) {
  Bytes out;
  for (const Bytes& p : Parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

inline Bytes Zlib(const Bytes& Raw) {
  uLongf size = compressBound(static_cast<uLong>(Raw.size()));
  Bytes out(size);
  compress2(out.data(), &size, Raw.data(), static_cast<uLong>(Raw.size()), 9);
  out.resize(size);
  return out;
}

// A movie of 550x400 pixels at 24 fps holding Tags (End is added).
inline Bytes Movie(const Bytes& Tags, bool Compressed = false, uint8_t Version = 8, uint16_t FrameCount = 1,
                   uint16_t Rate = 24 << 8) {
  const Bytes body = Cat({Bits().Rect(0, 11000, 0, 8000, 15).U16(Rate).U16(FrameCount), Tags, Tag(0, {})});
  Bits head;
  head.U8(Compressed ? 'C' : 'F').U8('W').U8('S').U8(Version).U32(static_cast<uint32_t>(body.size() + 8));
  return Cat({head, Compressed ? Zlib(body) : body});
}

inline Bytes ShowFrame() { return Tag(1, {}); }

}  // namespace swftest
