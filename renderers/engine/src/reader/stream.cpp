#include "renderers/engine/src/reader/stream.h"

#include <cstring>

namespace swf::detail {

void Fail(const std::string& What, size_t Offset) {
  throw FormatError(What + " at offset " + std::to_string(Offset));
}

std::string Stream::String() {
  Align();
  const void* nul = std::memchr(data_ + pos_, 0, size_ - pos_);
  if (!nul) Fail("string without terminator", Offset());
  const size_t len = static_cast<size_t>(static_cast<const uint8_t*>(nul) - (data_ + pos_));
  std::string s(reinterpret_cast<const char*>(data_ + pos_), len);
  pos_ += len + 1;
  return s;
}

Rect Stream::ReadRect() {
  Align();
  const unsigned bits = UB(5);
  Rect r;
  r.xmin = SB(bits);
  r.xmax = SB(bits);
  r.ymin = SB(bits);
  r.ymax = SB(bits);
  Align();
  return r;
}

Matrix Stream::ReadMatrix() {
  Align();
  Matrix m;
  if (UB(1)) {
    const unsigned bits = UB(5);
    m.a = FB(bits);
    m.d = FB(bits);
  }
  if (UB(1)) {
    const unsigned bits = UB(5);
    m.b = FB(bits);
    m.c = FB(bits);
  }
  const unsigned bits = UB(5);
  m.tx = SB(bits);
  m.ty = SB(bits);
  Align();
  return m;
}

ColorTransform Stream::ReadCxform(bool WithAlpha) {
  Align();
  const bool hasAdd = UB(1) != 0;
  const bool hasMult = UB(1) != 0;
  const unsigned bits = UB(4);  // at most 15 bits: every value fits int16
  ColorTransform c;
  if (hasMult) {
    c.multR = static_cast<int16_t>(SB(bits));
    c.multG = static_cast<int16_t>(SB(bits));
    c.multB = static_cast<int16_t>(SB(bits));
    if (WithAlpha) c.multA = static_cast<int16_t>(SB(bits));
  }
  if (hasAdd) {
    c.addR = static_cast<int16_t>(SB(bits));
    c.addG = static_cast<int16_t>(SB(bits));
    c.addB = static_cast<int16_t>(SB(bits));
    if (WithAlpha) c.addA = static_cast<int16_t>(SB(bits));
  }
  Align();
  return c;
}

RGBA Stream::ReadRGB() {
  RGBA c;
  c.r = U8();
  c.g = U8();
  c.b = U8();
  c.a = 255;
  return c;
}

RGBA Stream::ReadRGBA() {
  RGBA c = ReadRGB();
  c.a = U8();
  return c;
}

}  // namespace swf::detail
