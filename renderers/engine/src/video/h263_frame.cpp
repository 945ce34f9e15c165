#include "renderers/engine/src/video/h263_frame.h"

#include <cstring>

namespace swf::video {
namespace {

// Repeats the edge pixels of the W x H plane at Top (rows Stride apart)
// over a border of B pixels on every side.
void Extend(uint8_t* Top, ptrdiff_t Stride, int W, int H, int B) {
  for (int y = 0; y < H; ++y) {
    uint8_t* row = Top + y * Stride;
    std::memset(row - B, row[0], static_cast<size_t>(B));
    std::memset(row + W, row[W - 1], static_cast<size_t>(B));
  }
  const size_t full = static_cast<size_t>(W + 2 * B);
  for (int y = 1; y <= B; ++y) std::memcpy(Top - y * Stride - B, Top - B, full);
  const uint8_t* last = Top + (H - 1) * Stride - B;
  for (int y = H; y < H + B; ++y) std::memcpy(Top + y * Stride - B, last, full);
}

}  // namespace

void H263Frame::Resize(int Width, int Height) {
  width_ = Width;
  height_ = Height;
  yStride_ = MbWidth() * 16 + 2 * kLumaBorder;
  cStride_ = MbWidth() * 8 + 2 * kChromaBorder;
  y_.assign(static_cast<size_t>(yStride_) * static_cast<size_t>(MbHeight() * 16 + 2 * kLumaBorder), 16);
  u_.assign(static_cast<size_t>(cStride_) * static_cast<size_t>(MbHeight() * 8 + 2 * kChromaBorder), 128);
  v_.assign(u_.size(), 128);
}

void H263Frame::ExtendEdges() {
  if (width_ == 0) return;
  // The whole macroblocks count, also where they reach past the picture's
  // size: a vector pointing there reads what was decoded there.
  Extend(Y(), yStride_, MbWidth() * 16, MbHeight() * 16, kLumaBorder);
  Extend(U(), cStride_, MbWidth() * 8, MbHeight() * 8, kChromaBorder);
  Extend(V(), cStride_, MbWidth() * 8, MbHeight() * 8, kChromaBorder);
}

}  // namespace swf::video
