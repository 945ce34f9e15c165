#pragma once
// XWD files written for the tests, in the layouts Xvfb and xwd use.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace xdisplay::test {

struct XwdLayout {
  int bitsPerPixel = 32;
  bool msbFirst = false;
  uint32_t visualClass = 4;  // TrueColor
  std::string name;          // the window name after the header
  uint32_t colours = 0;      // colour map entries before the pixels
  std::function<uint16_t(int)> colourMap;  // level of entry I (all channels); identity when empty
  int rowPadding = 0;        // bytes after each row
};

inline void SetField(std::vector<uint8_t>& Bytes, int Field, uint32_t Value) {
  for (int i = 0; i < 4; ++i) Bytes[Field * 4 + i] = static_cast<uint8_t>(Value >> (24 - 8 * i));
}

// A Width x Height picture whose pixel (X, Y) is Colour(X, Y) as 0xRRGGBB.
inline std::vector<uint8_t> MakeXwd(int Width, int Height, const XwdLayout& L,
                                    const std::function<uint32_t(int, int)>& Colour) {
  const int bytesPerPixel = L.bitsPerPixel / 8;
  const uint32_t bytesPerLine = static_cast<uint32_t>(Width * bytesPerPixel + L.rowPadding);
  const uint32_t headerSize = static_cast<uint32_t>(100 + L.name.size() + 1);
  std::vector<uint8_t> bytes(headerSize + L.colours * 12 + bytesPerLine * Height);
  const uint32_t order = L.msbFirst ? 1 : 0;
  const uint32_t fields[25] = {headerSize, 7, 2, 24, uint32_t(Width), uint32_t(Height), 0, order, 32, order,
                               32, uint32_t(L.bitsPerPixel), bytesPerLine, L.visualClass, 0xFF0000,
                               0x00FF00, 0x0000FF, 8, 256, L.colours, uint32_t(Width), uint32_t(Height),
                               0, 0, 0};
  for (int i = 0; i < 25; ++i) SetField(bytes, i, fields[i]);
  for (size_t i = 0; i < L.name.size(); ++i) bytes[100 + i] = static_cast<uint8_t>(L.name[i]);
  for (uint32_t c = 0; c < L.colours; ++c) {
    uint8_t* entry = &bytes[headerSize + c * 12];
    const uint16_t level = L.colourMap ? L.colourMap(static_cast<int>(c)) : static_cast<uint16_t>(c * 0x101);
    for (int channel = 0; channel < 3; ++channel) {
      entry[4 + 2 * channel] = static_cast<uint8_t>(level >> 8);
      entry[5 + 2 * channel] = static_cast<uint8_t>(level);
    }
  }
  uint8_t* pixels = &bytes[headerSize + L.colours * 12];
  for (int y = 0; y < Height; ++y) {
    for (int x = 0; x < Width; ++x) {
      uint32_t value = Colour(x, y);
      uint8_t* p = pixels + y * bytesPerLine + x * bytesPerPixel;
      for (int i = 0; i < bytesPerPixel; ++i) {
        int shift = L.msbFirst ? 8 * (bytesPerPixel - 1 - i) : 8 * i;
        p[i] = static_cast<uint8_t>(value >> shift);
      }
    }
  }
  return bytes;
}

}  // namespace xdisplay::test
