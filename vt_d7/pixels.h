#pragma once
// Pixel routines of the frame buffer: 32-bit pixels 0xAARRGGBB (bytes blue,
// green, red, alpha in memory), rows without gaps. Portable: no <windows.h>.

#include <cstdint>

namespace vt {

// Windows colour 0x00BBGGRR (system colours already resolved) to the opaque
// pixel 0xFFRRGGBB.
constexpr uint32_t ColorToPixel(uint32_t Color) {
  return 0xFF000000u | ((Color & 0xFFu) << 16) | (Color & 0xFF00u) | ((Color >> 16) & 0xFFu);
}

// Copies Count 32-bit values; the ranges may overlap. Nothing for Count <= 0.
void MoveLongword(const uint32_t* Source, uint32_t* Dest, int32_t Count);

// Stores Value into Count consecutive 32-bit values. Nothing for Count <= 0.
void FillLongword(uint32_t* Dest, int32_t Count, uint32_t Value);

// Fills the rectangle [Left, Right) x [Top, Bottom) of a buffer of Height
// rows of Width values, clipped to the buffer on every side.
void FillLongwordRect(uint32_t* Dest, int32_t Width, int32_t Height, int32_t Left, int32_t Top, int32_t Right,
                      int32_t Bottom, uint32_t Value);

// Recovers a premultiplied pixel from the same content drawn over opaque
// black and over opaque white. The render over black already holds colour
// times alpha, so its colour bytes are kept; alpha is 255 minus the
// difference of the two renders in red (none when white is below black), and
// colour bytes are clamped to it, so a pixel nothing was drawn on becomes 0.
uint32_t RecoverAlphaPixel(uint32_t OverBlack, uint32_t OverWhite);

// One premultiplied pixel to straight alpha (for image files), each colour
// rounded to the nearest value. Transparent pixels become 0; colour above
// alpha (which no valid premultiplied pixel has) saturates at 255.
uint32_t UnpremultiplyPixel(uint32_t Pixel);

// RecoverAlphaPixel over a row: OverBlack receives the result.
void RecoverAlpha(uint32_t* OverBlack, const uint32_t* OverWhite, int32_t Count);

}  // namespace vt
