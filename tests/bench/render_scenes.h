#pragma once
// The scenes the rasteriser is measured on, described once in pixels so the
// engine and its peers (cairo, AGG) draw the same thing: ellipses filled with
// a solid colour or a gradient (linear, radial, focal; pad, reflect, repeat)
// and optionally stroked. A gradient is given as Flash stores it: a matrix
// from the gradient square (-16384..16384 on both axes) to pixels.

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace bench {

struct Colour {
  uint8_t r = 0, g = 0, b = 0, a = 255;
};

struct Stop {
  uint8_t ratio = 0;  // 0..255 along the gradient
  Colour colour;
};

struct Fill {
  enum Kind { Solid, Linear, Radial, Focal } kind = Solid;
  Colour colour;                      // Solid
  double a = 1, b = 0, c = 0, d = 1;  // gradient square -> pixels:
  double tx = 0, ty = 0;              //   x' = a x + c y + tx, y' = b x + d y + ty
  double focal = 0;                   // Focal, -1..1 along the x axis
  enum Spread { Pad, Reflect, Repeat } spread = Pad;
  std::vector<Stop> stops;
};

struct Item {
  double cx = 0, cy = 0, rx = 0, ry = 0;
  Fill fill;
  double strokeWidth = 0;  // 0: no stroke
  Colour stroke;
};

struct Scene {
  int width = 0, height = 0;
  std::vector<Item> items;
};

// A small deterministic generator, so every run draws the same scene.
struct Lcg {
  uint32_t state = 12345;
  double Next() {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) / double(1 << 24);
  }
  double In(double Lo, double Hi) { return Lo + (Hi - Lo) * Next(); }
  uint8_t Byte() { return static_cast<uint8_t>(Next() * 256); }
};

// 200 overlapping gradient ellipses, a quarter of them stroked, laid out on
// a 1920x1080 stage and scaled to Width x Height.
inline Scene GradientScene(int Width, int Height) {
  Scene s{Width, Height, {}};
  const double sx = Width / 1920.0, sy = Height / 1080.0;
  Lcg r;
  for (int i = 0; i < 200; ++i) {
    Item it;
    it.cx = r.In(0, 1920) * sx;
    it.cy = r.In(0, 1080) * sy;
    it.rx = r.In(60, 260) * sx;
    it.ry = r.In(60, 260) * sy;
    const int kind = static_cast<int>(r.Next() * 3);
    it.fill.kind = kind == 0 ? Fill::Linear : kind == 1 ? Fill::Radial : Fill::Focal;
    it.fill.focal = 0.4;
    it.fill.spread = static_cast<Fill::Spread>(static_cast<int>(r.Next() * 3));
    const double size = std::max(it.rx, it.ry) / 16384, angle = r.In(0, 2 * std::numbers::pi);
    it.fill.a = size * std::cos(angle);
    it.fill.b = size * std::sin(angle);
    it.fill.c = -size * std::sin(angle);
    it.fill.d = size * std::cos(angle);
    it.fill.tx = it.cx;
    it.fill.ty = it.cy;
    const int stops = 2 + static_cast<int>(r.Next() * 3);
    for (int k = 0; k < stops; ++k)
      it.fill.stops.push_back({static_cast<uint8_t>(255 * k / (stops - 1)),
                               {r.Byte(), r.Byte(), r.Byte(), static_cast<uint8_t>(r.In(128, 256))}});
    if (i % 4 == 0) {
      it.strokeWidth = r.In(1, 6) * std::min(sx, sy);
      it.stroke = {r.Byte(), r.Byte(), r.Byte(), 255};
    }
    s.items.push_back(it);
  }
  return s;
}

// 2000 small translucent solid ellipses on a 1920x1080 stage scaled to
// Width x Height.
inline Scene SmallShapesScene(int Width, int Height) {
  Scene s{Width, Height, {}};
  const double sx = Width / 1920.0, sy = Height / 1080.0;
  Lcg r;
  for (int i = 0; i < 2000; ++i) {
    Item it;
    it.cx = r.In(0, 1920) * sx;
    it.cy = r.In(0, 1080) * sy;
    it.rx = r.In(4, 24) * sx;
    it.ry = r.In(4, 24) * sy;
    it.fill.colour = {r.Byte(), r.Byte(), r.Byte(), static_cast<uint8_t>(r.In(64, 224))};
    s.items.push_back(it);
  }
  return s;
}

}  // namespace bench
