#pragma once
// The 8x8 inverse transform of H.263 blocks in integers (a separable
// Chen-Wang factorisation with 11-bit constants, accurate to the rounding
// of the exact transform for nearly every block), written straight into a
// picture: intra blocks replace their pixels, inter blocks add to the
// prediction already there. Both clear the coefficients they used, so the
// next block starts from zeros.

#include <cstddef>
#include <cstdint>

namespace swf::video {

// Block: 64 dequantised coefficients in raster order, each within
// -2048..2047. DcOnly: no coefficient but the first is nonzero (the block is
// then one flat value, filled without the transform).
void H263IdctPut(int16_t* Block, bool DcOnly, uint8_t* Dst, ptrdiff_t Stride);
void H263IdctAdd(int16_t* Block, bool DcOnly, uint8_t* Dst, ptrdiff_t Stride);

}  // namespace swf::video
