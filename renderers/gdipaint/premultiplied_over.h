#pragma once
// Premultiplied source-over: the pixels of a frame layer laid over what a
// host's buffer holds. Pixels are 0xAARRGGBB with colour already multiplied
// by alpha. Portable: no <windows.h>.

#include <cstdint>

namespace swfwin {

// Source over Dest, every channel (alpha too): Source + Dest * (255 - Source
// alpha) / 255, the product rounded to the nearest value and the sum held at
// 255 (a renderer's rounding may leave colour one above alpha).
inline uint32_t OverPixel(uint32_t Source, uint32_t Dest) {
  const uint32_t keep = 255 - (Source >> 24);
  // Two channels in each 16-bit lane; x * keep / 255 rounded is
  // (t + (t >> 8)) >> 8 with t = x * keep + 128, exact for 8-bit x and keep.
  uint32_t rb = (Dest & 0x00FF00FFu) * keep + 0x00800080u;
  rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  uint32_t ag = ((Dest >> 8) & 0x00FF00FFu) * keep + 0x00800080u;
  ag = ((ag + ((ag >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  rb += Source & 0x00FF00FFu;
  ag += (Source >> 8) & 0x00FF00FFu;
  // A lane that reached 256 becomes 255.
  rb = (rb | (0x01000100u - ((rb >> 8) & 0x00010001u))) & 0x00FF00FFu;
  ag = (ag | (0x01000100u - ((ag >> 8) & 0x00010001u))) & 0x00FF00FFu;
  return rb | (ag << 8);
}

// OverPixel over a row: Dest[i] = Source[i] over Dest[i]. The rows must not
// overlap. Nothing for Count <= 0.
void CompositeOver(uint32_t* Dest, const uint32_t* Source, int32_t Count);

}  // namespace swfwin
