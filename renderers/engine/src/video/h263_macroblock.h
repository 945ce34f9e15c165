#pragma once
// The H.263 macroblock layer as Sorenson H.263 sends it: whether the
// macroblock is coded at all (inter pictures), its type and coded-block
// pattern, a quantiser change, one motion vector difference (inter
// macroblocks), then the coefficients of its six 8x8 blocks (four luma,
// Cb, Cr), dequantised into raster order.

#include <cstdint>

#include "renderers/engine/src/video/h263_bits.h"

namespace swf::video {

struct H263Macroblock {
  bool skipped = false;  // not coded: the reference's pixels at the same place
  bool intra = false;
  int mvdX = 0, mvdY = 0;  // motion vector difference in half pixels (inter)
  // Blocks with coefficients: 0..3 luma (top left, top right, bottom left,
  // bottom right), 4 Cb, 5 Cr. Intra blocks always have their DC value.
  bool coded[6] = {};
  bool dcOnly[6] = {};
  // Dequantised coefficients in raster order; all zero for blocks not
  // coded. Whoever reconstructs the blocks clears them again.
  alignas(16) int16_t coefficients[6][64] = {};
};

// Reads the next macroblock into Mb (whose coefficients must be all zero).
// Quant is the quantiser so far and is updated by a change the macroblock
// sends; Version is the picture header's. Throws FormatError (through
// Bits) for a code the tables do not have, coefficients past the end of a
// block, or a kind of macroblock this format does not use.
void ReadH263Macroblock(H263BitReader& Bits, bool InterPicture, int Version, int& Quant, H263Macroblock& Mb);

}  // namespace swf::video
