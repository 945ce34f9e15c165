#pragma once
// A screen picture in the X window dump format (XWD, version 7), as Xvfb keeps
// its frame buffer (-fbdir) and xwd writes it. Only what a screen holds is
// read: Z-pixmaps of 24 or 32 bits per pixel in a TrueColor or DirectColor
// visual. Malformed or unsupported files raise vcl::EReadError.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace xdisplay {

class XwdImage {
 public:
  static XwdImage Read(std::vector<uint8_t> Bytes);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // The colour at (X, Y) as 0xRRGGBB; std::out_of_range outside the picture.
  uint32_t Pixel(int X, int Y) const;

 private:
  struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;  // mask >> shift
  };
  XwdImage() = default;
  uint8_t Component(uint32_t Value, const Channel& C, int Which) const;

  std::vector<uint8_t> bytes_;
  int width_ = 0;
  int height_ = 0;
  size_t pixels_ = 0;        // offset of the first row
  size_t bytesPerLine_ = 0;
  int bytesPerPixel_ = 0;
  bool msbFirst_ = false;
  Channel red_, green_, blue_;
  // DirectColor: each channel value indexes the colour map (16-bit levels).
  std::vector<uint16_t> map_[3];
};

}  // namespace xdisplay
