// Rows first, into 32-bit intermediates scaled by 8, then columns with the
// final rounding. A row (and in the second pass a column) with no AC
// coefficients is a constant, which skips most of the work for the sparse
// blocks video has. The two products by 1/sqrt(2) are taken in 64 bits:
// damaged data can hold coefficients whose sums overflow 32 bits there.
#include "renderers/engine/src/video/h263_idct.h"

#include <algorithm>
#include <cstring>

namespace swf::video {
namespace {

constexpr int W1 = 2841;  // 2048 * sqrt(2) * cos(k * pi / 16)
constexpr int W2 = 2676;
constexpr int W3 = 2408;
constexpr int W5 = 1609;
constexpr int W6 = 1108;
constexpr int W7 = 565;

int Rotate181(int A) { return static_cast<int>((int64_t{181} * A + 128) >> 8); }

void Row(const int16_t* In, int* Out) {
  int x1 = In[4] * 2048, x2 = In[6], x3 = In[2], x4 = In[1], x5 = In[7], x6 = In[5], x7 = In[3];
  if (!(x1 | x2 | x3 | x4 | x5 | x6 | x7)) {
    std::fill(Out, Out + 8, In[0] * 8);
    return;
  }
  int x0 = In[0] * 2048 + 128;
  int x8 = W7 * (x4 + x5);
  x4 = x8 + (W1 - W7) * x4;
  x5 = x8 - (W1 + W7) * x5;
  x8 = W3 * (x6 + x7);
  x6 = x8 - (W3 - W5) * x6;
  x7 = x8 - (W3 + W5) * x7;
  x8 = x0 + x1;
  x0 -= x1;
  x1 = W6 * (x3 + x2);
  x2 = x1 - (W2 + W6) * x2;
  x3 = x1 + (W2 - W6) * x3;
  x1 = x4 + x6;
  x4 -= x6;
  x6 = x5 + x7;
  x5 -= x7;
  x7 = x8 + x3;
  x8 -= x3;
  x3 = x0 + x2;
  x0 -= x2;
  x2 = Rotate181(x4 + x5);
  x4 = Rotate181(x4 - x5);
  Out[0] = (x7 + x1) >> 8;
  Out[1] = (x3 + x2) >> 8;
  Out[2] = (x0 + x4) >> 8;
  Out[3] = (x8 + x6) >> 8;
  Out[4] = (x8 - x6) >> 8;
  Out[5] = (x0 - x4) >> 8;
  Out[6] = (x3 - x2) >> 8;
  Out[7] = (x7 - x1) >> 8;
}

// Column C of the row pass's output, as residuals in Out[8 * k + C].
void Column(const int* In, int* Out) {
  int x1 = In[8 * 4] * 256, x2 = In[8 * 6], x3 = In[8 * 2], x4 = In[8 * 1], x5 = In[8 * 7], x6 = In[8 * 5],
      x7 = In[8 * 3];
  if (!(x1 | x2 | x3 | x4 | x5 | x6 | x7)) {
    const int v = (In[0] + 32) >> 6;
    for (int k = 0; k < 8; ++k) Out[8 * k] = v;
    return;
  }
  int x0 = In[0] * 256 + 8192;
  int x8 = W7 * (x4 + x5) + 4;
  x4 = (x8 + (W1 - W7) * x4) >> 3;
  x5 = (x8 - (W1 + W7) * x5) >> 3;
  x8 = W3 * (x6 + x7) + 4;
  x6 = (x8 - (W3 - W5) * x6) >> 3;
  x7 = (x8 - (W3 + W5) * x7) >> 3;
  x8 = x0 + x1;
  x0 -= x1;
  x1 = W6 * (x3 + x2) + 4;
  x2 = (x1 - (W2 + W6) * x2) >> 3;
  x3 = (x1 + (W2 - W6) * x3) >> 3;
  x1 = x4 + x6;
  x4 -= x6;
  x6 = x5 + x7;
  x5 -= x7;
  x7 = x8 + x3;
  x8 -= x3;
  x3 = x0 + x2;
  x0 -= x2;
  x2 = Rotate181(x4 + x5);
  x4 = Rotate181(x4 - x5);
  Out[8 * 0] = (x7 + x1) >> 14;
  Out[8 * 1] = (x3 + x2) >> 14;
  Out[8 * 2] = (x0 + x4) >> 14;
  Out[8 * 3] = (x8 + x6) >> 14;
  Out[8 * 4] = (x8 - x6) >> 14;
  Out[8 * 5] = (x0 - x4) >> 14;
  Out[8 * 6] = (x3 - x2) >> 14;
  Out[8 * 7] = (x7 - x1) >> 14;
}

// The residuals of Block, each within -256..255, and the block cleared.
void Transform(int16_t* Block, int* Out) {
  int rows[64];
  for (int r = 0; r < 8; ++r) Row(Block + 8 * r, rows + 8 * r);
  for (int c = 0; c < 8; ++c) Column(rows + c, Out + c);
  for (int i = 0; i < 64; ++i) Out[i] = std::clamp(Out[i], -256, 255);
  std::memset(Block, 0, 64 * sizeof *Block);
}

uint8_t Pixel(int V) { return static_cast<uint8_t>(std::clamp(V, 0, 255)); }

}  // namespace

void H263IdctPut(int16_t* Block, bool DcOnly, uint8_t* Dst, ptrdiff_t Stride) {
  if (DcOnly) {
    const uint8_t v = Pixel((Block[0] + 4) >> 3);
    Block[0] = 0;
    for (int y = 0; y < 8; ++y) std::memset(Dst + y * Stride, v, 8);
    return;
  }
  int r[64];
  Transform(Block, r);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) Dst[y * Stride + x] = Pixel(r[8 * y + x]);
}

void H263IdctAdd(int16_t* Block, bool DcOnly, uint8_t* Dst, ptrdiff_t Stride) {
  if (DcOnly) {
    const int v = std::clamp((Block[0] + 4) >> 3, -256, 255);
    Block[0] = 0;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) Dst[y * Stride + x] = Pixel(Dst[y * Stride + x] + v);
    return;
  }
  int r[64];
  Transform(Block, r);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) Dst[y * Stride + x] = Pixel(Dst[y * Stride + x] + r[8 * y + x]);
}

}  // namespace swf::video
