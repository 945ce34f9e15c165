#pragma once
// The pixels of a BitmapData: 32-bit ARGB kept with the colour multiplied
// by alpha, as the player keeps them, so a colour read back from a
// translucent pixel comes out rounded the way movies see it. Operations on
// rectangles clip them to the bitmaps they touch.

#include <cstdint>
#include <optional>
#include <vector>

namespace swf {

// A rectangle in whole pixels.
struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool Empty() const { return width <= 0 || height <= 0; }
};

// ARGB with the colour multiplied by alpha, and back.
uint32_t Premultiply(uint32_t Argb);
uint32_t Unpremultiply(uint32_t Premultiplied);

class BitmapPixels {
 public:
  BitmapPixels(int Width, int Height, bool Transparent, uint32_t Fill);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Transparent() const { return transparent_; }
  bool Contains(int X, int Y) const { return X >= 0 && Y >= 0 && X < width_ && Y < height_; }
  PixelRect Bounds() const { return {0, 0, width_, height_}; }

  // A pixel as ARGB, 0 outside the bitmap.
  uint32_t Get(int X, int Y) const;
  // Sets a pixel from ARGB (alpha forced opaque in an opaque bitmap);
  // nothing outside.
  void Set(int X, int Y, uint32_t Argb);
  // The premultiplied value, and setting it unchanged. An opaque bitmap
  // holds opaque pixels, except those threshold copies in unchanged from a
  // translucent source: they read back with their alpha and colour as
  // stored, yet show opaque.
  uint32_t Raw(int X, int Y) const { return pixels_[Index(X, Y)]; }
  void SetRaw(int X, int Y, uint32_t V) { pixels_[Index(X, Y)] = V; }

  // Every pixel premultiplied, rows top first (opaque ones with alpha 255).
  std::vector<uint32_t> Premultiplied() const;

  void Fill(PixelRect R, uint32_t Argb);
  // Fills the area of one colour around (X, Y) with Argb; false when the
  // point is outside.
  bool FloodFill(int X, int Y, uint32_t Argb);
  // The bounds of the pixels whose masked value equals Color (or, with
  // Find false, differs from it).
  PixelRect ColorBounds(uint32_t Mask, uint32_t Color, bool Find) const;

 private:
  size_t Index(int X, int Y) const { return static_cast<size_t>(Y) * static_cast<size_t>(width_) + static_cast<size_t>(X); }
  int width_, height_;
  bool transparent_;
  std::vector<uint32_t> pixels_;
};

class Value;
// The pixels of V when it is a live flash.display.BitmapData, or nullptr
// (builtins_bitmapdata.cpp).
const BitmapPixels* BitmapDataPixels(const Value& V);

// The part of Source's Rect that lands inside Dest at Point: the clipped
// source rectangle and where it lands. Empty when nothing does.
struct PixelCopy {
  PixelRect source;
  int destX = 0, destY = 0;
};
PixelCopy ClipCopy(const BitmapPixels& Source, PixelRect Rect, int DestX, int DestY, const BitmapPixels& Dest);

// An alpha mask for copyPixels: its alpha scales the source's, pixel
// (x + dx, y + dy) of the mask for pixel (x, y) of the source.
struct AlphaMask {
  const BitmapPixels* mask = nullptr;
  int dx = 0, dy = 0;
};
void CopyPixels(const BitmapPixels& Source, const PixelCopy& Copy, BitmapPixels& Dest, bool MergeAlpha,
                AlphaMask Mask = {});
// Channels are ARGB bits: 1 red, 2 green, 4 blue, 8 alpha.
void CopyChannel(const BitmapPixels& Source, const PixelCopy& Copy, BitmapPixels& Dest, int SourceChannel, int DestChannel);
// Per channel (red, green, blue, alpha) the source's share in 256ths.
void Merge(const BitmapPixels& Source, const PixelCopy& Copy, BitmapPixels& Dest, const int Multipliers[4]);
// Pixels of Source passing `pixel & Mask <op> Threshold & Mask` become
// Color in Dest; others are copied when CopySource. The count that passed.
enum class ThresholdOp { Less, LessEqual, Greater, GreaterEqual, Equal, NotEqual };
int Threshold(const BitmapPixels& Source, const PixelCopy& Copy, BitmapPixels& Dest, ThresholdOp Op, uint32_t Threshold,
              uint32_t Color, uint32_t Mask, bool CopySource);
// The differences of two bitmaps of one size, nullopt when they are equal.
std::optional<BitmapPixels> Compare(const BitmapPixels& A, const BitmapPixels& B);
// Fills B with random values between Low and High in the channels named
// (bits as CopyChannel's), from the generator the player seeds with Seed;
// with Gray one value for red, green and blue. Alpha not named is opaque.
void Noise(BitmapPixels& B, int64_t Seed, int Low, int High, int Channels, bool Gray);
// A colour transform over a rectangle: per channel (red, green, blue,
// alpha) a multiplier and an offset.
void TransformColors(BitmapPixels& B, PixelRect R, const double Multiply[4], const double Add[4]);

}  // namespace swf
