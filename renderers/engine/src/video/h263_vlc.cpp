// The code tables as lookup tables built at compile time: each code of
// length L fills the 2^(N-L) entries of an N-bit table that start with it,
// so one peek of N bits finds any code. Building them also proves each
// table prefix-free (an overlap stops the compile).
#include "renderers/engine/src/video/h263_vlc.h"

#include <array>
#include <cstddef>

namespace swf::video {
namespace {

struct Code {
  uint16_t bits;
  uint8_t length;
  uint8_t a, b, c;  // what the code stands for
};

template <int N, typename Entry, size_t K, typename Make>
constexpr std::array<Entry, size_t{1} << N> Build(const std::array<Code, K>& Codes, Make MakeEntry) {
  std::array<Entry, size_t{1} << N> table{};
  std::array<bool, size_t{1} << N> used{};
  for (const Code& code : Codes) {
    const size_t first = size_t{code.bits} << (N - code.length), count = size_t{1} << (N - code.length);
    for (size_t i = first; i < first + count; ++i) {
      if (used[i]) throw "overlapping codes";
      used[i] = true;
      table[i] = MakeEntry(code);
    }
  }
  return table;
}

struct Small {
  uint8_t length = 0;  // 0: no such code
  uint8_t value = 0;
  uint8_t extra = 0;
};

constexpr Small MakeSmall(const Code& C) { return {C.length, C.a, C.b}; }

constexpr uint8_t kInter = 0, kInterQ = 1, kInter4V = 2, kIntra = 3, kIntraQ = 4, kStuffing = 5;

// Macroblock type and chroma pattern in intra pictures.
constexpr auto kIntraMcbpc = Build<9, Small>(std::array<Code, 9>{{
    {0b1, 1, kIntra, 0, 0}, {0b001, 3, kIntra, 1, 0}, {0b010, 3, kIntra, 2, 0}, {0b011, 3, kIntra, 3, 0},
    {0b0001, 4, kIntraQ, 0, 0}, {0b000001, 6, kIntraQ, 1, 0}, {0b000010, 6, kIntraQ, 2, 0},
    {0b000011, 6, kIntraQ, 3, 0}, {0b000000001, 9, kStuffing, 0, 0},
}}, MakeSmall);

// ... and in inter pictures.
constexpr auto kInterMcbpc = Build<9, Small>(std::array<Code, 21>{{
    {0b1, 1, kInter, 0, 0}, {0b0011, 4, kInter, 1, 0}, {0b0010, 4, kInter, 2, 0}, {0b000101, 6, kInter, 3, 0},
    {0b011, 3, kInterQ, 0, 0}, {0b0000111, 7, kInterQ, 1, 0}, {0b0000110, 7, kInterQ, 2, 0},
    {0b000000101, 9, kInterQ, 3, 0},
    {0b010, 3, kInter4V, 0, 0}, {0b0000101, 7, kInter4V, 1, 0}, {0b0000100, 7, kInter4V, 2, 0},
    {0b00000101, 8, kInter4V, 3, 0},
    {0b00011, 5, kIntra, 0, 0}, {0b00000100, 8, kIntra, 1, 0}, {0b00000011, 8, kIntra, 2, 0},
    {0b0000011, 7, kIntra, 3, 0},
    {0b000100, 6, kIntraQ, 0, 0}, {0b000000100, 9, kIntraQ, 1, 0}, {0b000000011, 9, kIntraQ, 2, 0},
    {0b000000010, 9, kIntraQ, 3, 0},
    {0b000000001, 9, kStuffing, 0, 0},
}}, MakeSmall);

constexpr auto kCbpy = Build<6, Small>(std::array<Code, 16>{{
    {0b0011, 4, 0, 0, 0}, {0b00101, 5, 1, 0, 0}, {0b00100, 5, 2, 0, 0}, {0b1001, 4, 3, 0, 0},
    {0b00011, 5, 4, 0, 0}, {0b0111, 4, 5, 0, 0}, {0b000010, 6, 6, 0, 0}, {0b1011, 4, 7, 0, 0},
    {0b00010, 5, 8, 0, 0}, {0b000011, 6, 9, 0, 0}, {0b0101, 4, 10, 0, 0}, {0b1010, 4, 11, 0, 0},
    {0b0100, 4, 12, 0, 0}, {0b1000, 4, 13, 0, 0}, {0b0110, 4, 14, 0, 0}, {0b11, 2, 15, 0, 0},
}}, MakeSmall);

// Magnitudes of motion vector differences in half pixels; a sign bit
// follows every code but the one for 0.
constexpr auto kMvd = Build<12, Small>(std::array<Code, 33>{{
    {1, 1, 0, 0, 0}, {1, 2, 1, 0, 0}, {1, 3, 2, 0, 0}, {1, 4, 3, 0, 0}, {3, 6, 4, 0, 0},
    {5, 7, 5, 0, 0}, {4, 7, 6, 0, 0}, {3, 7, 7, 0, 0}, {11, 9, 8, 0, 0}, {10, 9, 9, 0, 0},
    {9, 9, 10, 0, 0}, {17, 10, 11, 0, 0}, {16, 10, 12, 0, 0}, {15, 10, 13, 0, 0}, {14, 10, 14, 0, 0},
    {13, 10, 15, 0, 0}, {12, 10, 16, 0, 0}, {11, 10, 17, 0, 0}, {10, 10, 18, 0, 0}, {9, 10, 19, 0, 0},
    {8, 10, 20, 0, 0}, {7, 10, 21, 0, 0}, {6, 10, 22, 0, 0}, {5, 10, 23, 0, 0}, {4, 10, 24, 0, 0},
    {7, 11, 25, 0, 0}, {6, 11, 26, 0, 0}, {5, 11, 27, 0, 0}, {4, 11, 28, 0, 0}, {3, 11, 29, 0, 0},
    {2, 11, 30, 0, 0}, {3, 12, 31, 0, 0}, {2, 12, 32, 0, 0},
}}, MakeSmall);

// Transform coefficients: code (without its sign bit), length, then last,
// run and level; last 2 marks the escape code.
constexpr std::array<Code, 103> kTcoefCodes{{
    {0x2, 2, 0, 0, 1}, {0xf, 4, 0, 0, 2}, {0x15, 6, 0, 0, 3}, {0x17, 7, 0, 0, 4}, {0x1f, 8, 0, 0, 5},
    {0x25, 9, 0, 0, 6}, {0x24, 9, 0, 0, 7}, {0x21, 10, 0, 0, 8}, {0x20, 10, 0, 0, 9}, {0x7, 11, 0, 0, 10},
    {0x6, 11, 0, 0, 11}, {0x20, 11, 0, 0, 12},
    {0x6, 3, 0, 1, 1}, {0x14, 6, 0, 1, 2}, {0x1e, 8, 0, 1, 3}, {0xf, 10, 0, 1, 4}, {0x21, 11, 0, 1, 5},
    {0x50, 12, 0, 1, 6},
    {0xe, 4, 0, 2, 1}, {0x1d, 8, 0, 2, 2}, {0xe, 10, 0, 2, 3}, {0x51, 12, 0, 2, 4},
    {0xd, 5, 0, 3, 1}, {0x23, 9, 0, 3, 2}, {0xd, 10, 0, 3, 3},
    {0xc, 5, 0, 4, 1}, {0x22, 9, 0, 4, 2}, {0x52, 12, 0, 4, 3},
    {0xb, 5, 0, 5, 1}, {0xc, 10, 0, 5, 2}, {0x53, 12, 0, 5, 3},
    {0x13, 6, 0, 6, 1}, {0xb, 10, 0, 6, 2}, {0x54, 12, 0, 6, 3},
    {0x12, 6, 0, 7, 1}, {0xa, 10, 0, 7, 2},
    {0x11, 6, 0, 8, 1}, {0x9, 10, 0, 8, 2},
    {0x10, 6, 0, 9, 1}, {0x8, 10, 0, 9, 2},
    {0x16, 7, 0, 10, 1}, {0x55, 12, 0, 10, 2},
    {0x15, 7, 0, 11, 1}, {0x14, 7, 0, 12, 1}, {0x1c, 8, 0, 13, 1}, {0x1b, 8, 0, 14, 1}, {0x21, 9, 0, 15, 1},
    {0x20, 9, 0, 16, 1}, {0x1f, 9, 0, 17, 1}, {0x1e, 9, 0, 18, 1}, {0x1d, 9, 0, 19, 1}, {0x1c, 9, 0, 20, 1},
    {0x1b, 9, 0, 21, 1}, {0x1a, 9, 0, 22, 1}, {0x22, 11, 0, 23, 1}, {0x23, 11, 0, 24, 1}, {0x56, 12, 0, 25, 1},
    {0x57, 12, 0, 26, 1},
    {0x7, 4, 1, 0, 1}, {0x19, 9, 1, 0, 2}, {0x5, 11, 1, 0, 3},
    {0xf, 6, 1, 1, 1}, {0x4, 11, 1, 1, 2},
    {0xe, 6, 1, 2, 1}, {0xd, 6, 1, 3, 1}, {0xc, 6, 1, 4, 1}, {0x13, 7, 1, 5, 1}, {0x12, 7, 1, 6, 1},
    {0x11, 7, 1, 7, 1}, {0x10, 7, 1, 8, 1}, {0x1a, 8, 1, 9, 1}, {0x19, 8, 1, 10, 1}, {0x18, 8, 1, 11, 1},
    {0x17, 8, 1, 12, 1}, {0x16, 8, 1, 13, 1}, {0x15, 8, 1, 14, 1}, {0x14, 8, 1, 15, 1}, {0x13, 8, 1, 16, 1},
    {0x18, 9, 1, 17, 1}, {0x17, 9, 1, 18, 1}, {0x16, 9, 1, 19, 1}, {0x15, 9, 1, 20, 1}, {0x14, 9, 1, 21, 1},
    {0x13, 9, 1, 22, 1}, {0x12, 9, 1, 23, 1}, {0x11, 9, 1, 24, 1}, {0x7, 10, 1, 25, 1}, {0x6, 10, 1, 26, 1},
    {0x5, 10, 1, 27, 1}, {0x4, 10, 1, 28, 1}, {0x24, 11, 1, 29, 1}, {0x25, 11, 1, 30, 1}, {0x26, 11, 1, 31, 1},
    {0x27, 11, 1, 32, 1}, {0x58, 12, 1, 33, 1}, {0x59, 12, 1, 34, 1}, {0x5a, 12, 1, 35, 1}, {0x5b, 12, 1, 36, 1},
    {0x5c, 12, 1, 37, 1}, {0x5d, 12, 1, 38, 1}, {0x5e, 12, 1, 39, 1}, {0x5f, 12, 1, 40, 1},
    {0x3, 7, 2, 0, 0},
}};


H263Mcbpc Mcbpc(H263BitReader& Bits, const std::array<Small, 512>& Table) {
  const Small& e = Table[Bits.Peek(9)];
  if (e.length == 0) Bits.Fail("an unknown macroblock type code");
  Bits.Skip(e.length);
  return {static_cast<H263MbType>(e.value), e.extra};
}

}  // namespace

constinit const std::array<H263TcoefEntry, 4096> kH263Tcoef = Build<12, H263TcoefEntry>(
    kTcoefCodes, [](const Code& C) { return H263TcoefEntry{C.length, C.b, C.c, C.a}; });

H263Mcbpc ReadIntraMcbpc(H263BitReader& Bits) { return Mcbpc(Bits, kIntraMcbpc); }
H263Mcbpc ReadInterMcbpc(H263BitReader& Bits) { return Mcbpc(Bits, kInterMcbpc); }

int ReadCbpy(H263BitReader& Bits) {
  const Small& e = kCbpy[Bits.Peek(6)];
  if (e.length == 0) Bits.Fail("an unknown coded block pattern");
  Bits.Skip(e.length);
  return e.value;
}

int ReadMvd(H263BitReader& Bits) {
  const Small& e = kMvd[Bits.Peek(12)];
  if (e.length == 0) Bits.Fail("an unknown motion vector code");
  Bits.Skip(e.length);
  if (e.value == 0) return 0;
  return Bits.ReadBit() ? -e.value : e.value;
}

}  // namespace swf::video
