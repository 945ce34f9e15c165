#include "renderers/engine/src/video/h263_macroblock.h"

#include <algorithm>

#include "renderers/engine/src/video/h263_vlc.h"

namespace swf::video {
namespace {

constexpr uint8_t kZigzag[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

constexpr int kDquant[4] = {-1, -2, 1, 2};

// Reads coefficients from zigzag position Start until the one marked last;
// returns the raster index of the last one.
int ReadBlock(H263BitReader& Bits, int Version, int Quant, int Start, int16_t* Block) {
  // |value| = Quant * (2 |level| + 1), one less for an even quantiser.
  const int add = (Quant - 1) | 1, mul = 2 * Quant;
  int i = Start, raster = 0;
  for (;;) {
    const H263Coefficient c = ReadCoefficient(Bits, Version);
    i += c.run;
    if (i > 63) Bits.Fail("coefficients past the end of a block");
    const int magnitude = std::min(mul * (c.level < 0 ? -c.level : c.level) + add, 2048);
    raster = kZigzag[i];
    Block[raster] = static_cast<int16_t>(c.level < 0 ? -magnitude : std::min(magnitude, 2047));
    if (c.last) return raster;
    ++i;
  }
}

}  // namespace

void ReadH263Macroblock(H263BitReader& Bits, bool InterPicture, int Version, int& Quant, H263Macroblock& Mb) {
  H263Mcbpc mcbpc;
  for (;;) {  // stuffing codes may come before the macroblock
    if (InterPicture && Bits.ReadBit()) {
      Mb.skipped = true;
      Mb.intra = false;
      Mb.mvdX = Mb.mvdY = 0;
      std::fill(std::begin(Mb.coded), std::end(Mb.coded), false);
      return;
    }
    mcbpc = InterPicture ? ReadInterMcbpc(Bits) : ReadIntraMcbpc(Bits);
    if (mcbpc.type != H263MbType::Stuffing) break;
  }
  if (mcbpc.type == H263MbType::Inter4V) Bits.Fail("a macroblock with four motion vectors");
  Mb.skipped = false;
  Mb.intra = mcbpc.type == H263MbType::Intra || mcbpc.type == H263MbType::IntraQ;
  int cbpy = ReadCbpy(Bits);
  if (!Mb.intra) cbpy ^= 15;
  if (mcbpc.type == H263MbType::InterQ || mcbpc.type == H263MbType::IntraQ)
    Quant = std::clamp(Quant + kDquant[Bits.Read(2)], 1, 31);
  Mb.mvdX = Mb.mvdY = 0;
  if (!Mb.intra) {
    Mb.mvdX = ReadMvd(Bits);
    Mb.mvdY = ReadMvd(Bits);
  }
  const int cbp = cbpy << 2 | mcbpc.cbpc;
  for (int b = 0; b < 6; ++b) {
    int16_t* block = Mb.coefficients[b];
    const bool coded = (cbp >> (5 - b)) & 1;
    if (Mb.intra) {
      const uint32_t dc = Bits.Read(8);
      if (dc == 0 || dc == 128) Bits.Fail("an intra DC value of " + std::to_string(dc));
      block[0] = static_cast<int16_t>(dc == 255 ? 1024 : dc * 8);
      Mb.coded[b] = true;
      Mb.dcOnly[b] = !coded || ReadBlock(Bits, Version, Quant, 1, block) == 0;
    } else {
      Mb.coded[b] = coded;
      Mb.dcOnly[b] = coded && ReadBlock(Bits, Version, Quant, 0, block) == 0;
    }
  }
}

}  // namespace swf::video
