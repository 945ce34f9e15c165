#pragma once
// What a fill paints at each pixel: solid colours, gradients and bitmaps,
// with the colour transform applied before premultiplication. Private to the
// renderer.

#include <array>
#include <cstdint>

#include "renderers/engine/model.h"

namespace swf::render {

// Premultiplied 0xAARRGGBB from a straight colour.
uint32_t Premultiply(RGBA C);

class Paint {
 public:
  // Prepares Fill as drawn through ShapeToPixels with colour transform Cx;
  // bitmaps come from Movie. False when the fill paints nothing (an unknown
  // bitmap, an empty gradient, a singular matrix).
  bool Set(const FillStyle& Fill, const Matrix& ShapeToPixels, const ColorTransform& Cx, const Movie& Movie);
  void SetSolid(RGBA Color, const ColorTransform& Cx);

  bool solid() const { return kind_ == Kind::Solid; }
  uint32_t solidColor() const { return solid_; }
  // Premultiplied colours of pixels X .. X+N-1 of row Y (sampled at pixel centres).
  void Shade(int32_t X, int32_t Y, int32_t N, uint32_t* Out) const;

 private:
  enum class Kind { Solid, Linear, Radial, Focal, Bitmap };
  uint32_t Texel(int32_t X, int32_t Y) const;
  uint32_t SampleBitmap(double U, double V) const;

  Kind kind_ = Kind::Solid;
  uint32_t solid_ = 0;
  std::array<uint32_t, 256> lut_{};
  SpreadMode spread_ = SpreadMode::Pad;
  Matrix inverse_;  // pixels -> gradient or bitmap space
  double focal_ = 0;
  const Bitmap* bitmap_ = nullptr;
  bool repeat_ = false, smooth_ = false;
  ColorTransform cx_;
  bool cxIdentity_ = true;
};

}  // namespace swf::render
