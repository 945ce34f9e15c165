#pragma once
// The variable-length codes of the H.263 macroblock and block layers as
// Sorenson H.263 uses them: the macroblock type and chroma coded-block
// pattern (one table for intra pictures, one for inter pictures), the luma
// coded-block pattern, motion vector differences and transform
// coefficients, with both escape forms (8-bit levels in format version 0,
// 7- or 11-bit levels in version 1).

#include <array>
#include <cstdint>

#include "renderers/engine/src/video/h263_bits.h"

namespace swf::video {

enum class H263MbType : uint8_t { Inter, InterQ, Inter4V, Intra, IntraQ, Stuffing };

struct H263Mcbpc {
  H263MbType type;
  uint8_t cbpc;  // bit 1: Cb has coefficients, bit 0: Cr
};

H263Mcbpc ReadIntraMcbpc(H263BitReader& Bits);
H263Mcbpc ReadInterMcbpc(H263BitReader& Bits);
// The luma pattern as intra macroblocks send it (bit 3: the top left block
// ... bit 0: the bottom right); inter macroblocks send its complement.
int ReadCbpy(H263BitReader& Bits);
// A motion vector difference in half pixels, -32..32.
int ReadMvd(H263BitReader& Bits);

struct H263Coefficient {
  bool last;  // the block's last coefficient
  int run;    // zeros before it in zigzag order
  int level;  // its quantised value, never 0
};

// One entry of the coefficient table, indexed by the next 12 bits.
struct H263TcoefEntry {
  uint8_t length;  // bits of the code without its sign; 0: no such code
  uint8_t run;
  uint8_t level;
  uint8_t last;    // 1: last; 2: the escape code
};
extern const std::array<H263TcoefEntry, 4096> kH263Tcoef;

inline H263Coefficient ReadCoefficient(H263BitReader& Bits, int Version) {
  const uint32_t next = Bits.Peek(13);
  const H263TcoefEntry& e = kH263Tcoef[next >> 1];
  if (e.last < 2) {
    if (e.length == 0) Bits.Fail("an unknown coefficient code");
    const bool negative = (next >> (12 - e.length)) & 1;
    Bits.Skip(e.length + 1);
    return {e.last != 0, e.run, negative ? -e.level : e.level};
  }
  Bits.Skip(e.length);
  H263Coefficient c{};
  if (Version == 0) {
    c.last = Bits.ReadBit();
    c.run = static_cast<int>(Bits.Read(6));
    c.level = Bits.ReadSigned(8);
  } else {
    const bool wide = Bits.ReadBit();
    c.last = Bits.ReadBit();
    c.run = static_cast<int>(Bits.Read(6));
    c.level = Bits.ReadSigned(wide ? 11 : 7);
  }
  if (c.level == 0) Bits.Fail("an escaped coefficient of level 0");
  return c;
}

}  // namespace swf::video
