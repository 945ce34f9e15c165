#include "xwd_image.h"

#include <bit>
#include <stdexcept>
#include <string>

#include "framework/SysUtils.h"

namespace xdisplay {
namespace {

constexpr size_t kHeaderFields = 25;      // 32-bit big-endian fields before the window name
constexpr size_t kColorSize = 12;         // pixel, red, green, blue (16 bits each), flags, pad
constexpr uint32_t kMaxSide = 32768;

enum Field : size_t {
  kHeaderSize, kVersion, kFormat, kDepth, kWidth, kHeight, kXOffset, kByteOrder, kBitmapUnit,
  kBitOrder, kBitmapPad, kBitsPerPixel, kBytesPerLine, kVisualClass, kRedMask, kGreenMask,
  kBlueMask, kBitsPerRgb, kColormapEntries, kColorCount
};

[[noreturn]] void Fail(const std::string& What) {
  throw vcl::EReadError(L"XWD picture: " + vcl::Utf8ToWide(What));
}

uint32_t BigEndian32(const uint8_t* P) {
  return (uint32_t{P[0]} << 24) | (uint32_t{P[1]} << 16) | (uint32_t{P[2]} << 8) | P[3];
}

}  // namespace

XwdImage XwdImage::Read(std::vector<uint8_t> Bytes) {
  if (Bytes.size() < kHeaderFields * 4) Fail("the file is shorter than its header");
  uint32_t h[kHeaderFields];
  for (size_t i = 0; i < kHeaderFields; ++i) h[i] = BigEndian32(&Bytes[i * 4]);

  if (h[kVersion] != 7) Fail("version " + std::to_string(h[kVersion]) + " is not 7");
  if (h[kHeaderSize] < kHeaderFields * 4 || h[kHeaderSize] > Bytes.size())
    Fail("header size " + std::to_string(h[kHeaderSize]) + " does not fit the file");
  if (h[kFormat] != 2) Fail("only Z-pixmaps are read (format " + std::to_string(h[kFormat]) + ")");
  if (h[kBitsPerPixel] != 24 && h[kBitsPerPixel] != 32)
    Fail(std::to_string(h[kBitsPerPixel]) + " bits per pixel (24 or 32 are read)");
  if (h[kVisualClass] != 4 && h[kVisualClass] != 5)
    Fail("visual class " + std::to_string(h[kVisualClass]) + " (TrueColor or DirectColor are read)");
  if (h[kByteOrder] > 1) Fail("byte order " + std::to_string(h[kByteOrder]));
  if (h[kWidth] == 0 || h[kHeight] == 0 || h[kWidth] > kMaxSide || h[kHeight] > kMaxSide)
    Fail("size " + std::to_string(h[kWidth]) + "x" + std::to_string(h[kHeight]));

  XwdImage image;
  image.width_ = static_cast<int>(h[kWidth]);
  image.height_ = static_cast<int>(h[kHeight]);
  image.bytesPerPixel_ = static_cast<int>(h[kBitsPerPixel] / 8);
  image.bytesPerLine_ = h[kBytesPerLine];
  image.msbFirst_ = h[kByteOrder] == 1;
  if (image.bytesPerLine_ < uint64_t{h[kWidth]} * image.bytesPerPixel_)
    Fail("rows of " + std::to_string(h[kBytesPerLine]) + " bytes cannot hold " +
         std::to_string(h[kWidth]) + " pixels");

  const Field masks[3] = {kRedMask, kGreenMask, kBlueMask};
  Channel* channels[3] = {&image.red_, &image.green_, &image.blue_};
  for (int c = 0; c < 3; ++c) {
    uint32_t mask = h[masks[c]];
    if (image.bytesPerPixel_ == 3) mask &= 0xFFFFFF;
    int shift = mask ? std::countr_zero(mask) : 0;
    uint32_t max = mask >> shift;
    if (mask == 0 || (max & (max + 1)) != 0 || max > 0xFFFF)
      Fail("colour mask " + std::to_string(h[masks[c]]) + " is not one run of at most 16 bits");
    *channels[c] = Channel{mask, shift, max};
  }

  const uint64_t colors = h[kColorCount];
  const uint64_t pixels = h[kHeaderSize] + colors * kColorSize;
  const uint64_t end = pixels + uint64_t{image.bytesPerLine_} * (h[kHeight] - 1) +
                       uint64_t{h[kWidth]} * image.bytesPerPixel_;
  if (pixels > Bytes.size() || end > Bytes.size())
    Fail("the file ends before its " + std::to_string(h[kHeight]) + " rows");
  image.pixels_ = static_cast<size_t>(pixels);

  if (h[kVisualClass] == 5) {
    // DirectColor: a channel value v is shown as the colour map's entry v of that channel.
    for (int c = 0; c < 3; ++c) {
      if (colors <= channels[c]->max) Fail("the colour map is shorter than the colour channels");
      image.map_[c].resize(channels[c]->max + 1);
      for (uint32_t v = 0; v <= channels[c]->max; ++v) {
        const uint8_t* entry = &Bytes[h[kHeaderSize] + v * kColorSize];
        image.map_[c][v] = static_cast<uint16_t>((entry[4 + 2 * c] << 8) | entry[5 + 2 * c]);
      }
    }
  }
  image.bytes_ = std::move(Bytes);
  return image;
}

uint8_t XwdImage::Component(uint32_t Value, const Channel& C, int Which) const {
  uint32_t v = (Value & C.mask) >> C.shift;
  if (!map_[Which].empty()) return static_cast<uint8_t>(map_[Which][v] >> 8);
  return static_cast<uint8_t>((v * 255 + C.max / 2) / C.max);
}

uint32_t XwdImage::Pixel(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= width_ || Y >= height_)
    throw std::out_of_range("XWD picture: (" + std::to_string(X) + ", " + std::to_string(Y) +
                            ") lies outside");
  const uint8_t* p = &bytes_[pixels_ + static_cast<size_t>(Y) * bytesPerLine_ +
                             static_cast<size_t>(X) * bytesPerPixel_];
  uint32_t value = 0;
  for (int i = 0; i < bytesPerPixel_; ++i) {
    int byte = msbFirst_ ? i : bytesPerPixel_ - 1 - i;
    value = (value << 8) | p[byte];
  }
  return (uint32_t{Component(value, red_, 0)} << 16) | (uint32_t{Component(value, green_, 1)} << 8) |
         Component(value, blue_, 2);
}

}  // namespace xdisplay
