#pragma once
// One decoded Sorenson H.263 picture as 4:2:0 planes, with a border around
// each plane wide enough for any motion vector the format can send: motion
// compensation reads blocks that lie partly outside the picture straight
// from the border, which repeats the picture's edge pixels.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace swf::video {

class H263Frame {
 public:
  static constexpr int kLumaBorder = 32;  // vectors reach 16.5 pixels past a block
  static constexpr int kChromaBorder = 16;

  // Sizes the planes for a Width x Height picture (its macroblocks cover
  // whole 16x16 squares); the pixels are then black.
  void Resize(int Width, int Height);
  // Repeats the edge pixels of the macroblocks over the border, as
  // references need.
  void ExtendEdges();

  int Width() const { return width_; }
  int Height() const { return height_; }
  int ChromaWidth() const { return (width_ + 1) / 2; }
  int ChromaHeight() const { return (height_ + 1) / 2; }
  int MbWidth() const { return (width_ + 15) / 16; }
  int MbHeight() const { return (height_ + 15) / 16; }
  ptrdiff_t LumaStride() const { return yStride_; }
  ptrdiff_t ChromaStride() const { return cStride_; }

  // The top left pixel of each plane.
  uint8_t* Y() { return y_.data() + kLumaBorder * yStride_ + kLumaBorder; }
  uint8_t* U() { return u_.data() + kChromaBorder * cStride_ + kChromaBorder; }
  uint8_t* V() { return v_.data() + kChromaBorder * cStride_ + kChromaBorder; }
  const uint8_t* Y() const { return y_.data() + kLumaBorder * yStride_ + kLumaBorder; }
  const uint8_t* U() const { return u_.data() + kChromaBorder * cStride_ + kChromaBorder; }
  const uint8_t* V() const { return v_.data() + kChromaBorder * cStride_ + kChromaBorder; }

 private:
  int width_ = 0, height_ = 0;
  ptrdiff_t yStride_ = 0, cStride_ = 0;
  std::vector<uint8_t> y_, u_, v_;
};

}  // namespace swf::video
