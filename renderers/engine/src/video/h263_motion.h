#pragma once
// Motion compensation: a block predicted from the reference picture at a
// half-pixel position, averaging two or four neighbours with the rounding
// H.263 uses ((a + b + 1) / 2, (a + b + c + d + 2) / 4).

#include <cstddef>
#include <cstdint>

namespace swf::video {

// Copies the Size x Size block (Size 16 or 8) at Src, half a pixel further
// right if HalfX and down if HalfY, to Dst. Src must have one readable
// column and row beyond the block.
void H263Predict(uint8_t* Dst, ptrdiff_t DstStride, const uint8_t* Src, ptrdiff_t SrcStride, int Size, bool HalfX,
                 bool HalfY);

// The chroma vector for a luma vector, both in half pixels: half of it,
// with quarter-pixel results moved to the half-pixel position between.
constexpr int H263ChromaVector(int Luma) { return (Luma >> 1) | (Luma & 1); }

}  // namespace swf::video
