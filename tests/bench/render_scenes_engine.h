#pragma once
// The benchmark scenes (render_scenes.h) as the engine draws them: each
// ellipse a shape of eight quadratic arcs in twips, placed in depth order.

#include <cmath>
#include <numbers>
#include <vector>

#include "renderers/engine/model.h"
#include "renderers/engine/render.h"
#include "renderers/engine/render_bands.h"
#include "tests/bench/render_scenes.h"

namespace bench {

inline constexpr double kTw = 20;

// An ellipse of eight quadratic arcs, in twips.
inline swf::Path EllipsePath(const Item& It, uint32_t FillStyle, uint32_t LineStyle) {
  const double cx = It.cx * kTw, cy = It.cy * kTw, rx = It.rx * kTw, ry = It.ry * kTw;
  swf::Path p;
  p.fill1 = FillStyle;
  p.line = LineStyle;
  p.start = {cx + rx, cy};
  const double k = 1 / std::cos(std::numbers::pi / 8);
  for (int i = 1; i <= 8; ++i) {
    const double a1 = i * std::numbers::pi / 4, am = a1 - std::numbers::pi / 8;
    p.edges.push_back({true, {cx + rx * k * std::cos(am), cy + ry * k * std::sin(am)},
                       {cx + rx * std::cos(a1), cy + ry * std::sin(a1)}});
  }
  return p;
}

inline swf::RGBA ToEngine(Colour C) { return {C.r, C.g, C.b, C.a}; }

inline swf::FillStyle ToEngine(const Fill& F) {
  swf::FillStyle f;
  f.color = ToEngine(F.colour);
  if (F.kind == Fill::Solid) return f;
  f.type = F.kind == Fill::Linear   ? swf::FillType::LinearGradient
           : F.kind == Fill::Radial ? swf::FillType::RadialGradient
                                    : swf::FillType::FocalRadialGradient;
  f.matrix = {F.a * kTw, F.b * kTw, F.c * kTw, F.d * kTw, F.tx * kTw, F.ty * kTw};
  f.focalPoint = F.focal;
  f.spread = static_cast<swf::SpreadMode>(F.spread);
  for (const Stop& s : F.stops) f.gradient.push_back({s.ratio, ToEngine(s.colour)});
  return f;
}

struct EngineScene {
  std::vector<swf::Shape> shapes;
  std::vector<swf::SceneNode> nodes;
  swf::Movie movie;
  int width, height;

  explicit EngineScene(const Scene& S) : width(S.width), height(S.height) {
    shapes.reserve(S.items.size());
    for (const Item& it : S.items) {
      swf::Shape s;
      s.fills.push_back(ToEngine(it.fill));
      if (it.strokeWidth > 0)
        s.lines.push_back({static_cast<uint16_t>(it.strokeWidth * kTw + 0.5), ToEngine(it.stroke)});
      s.paths.push_back(EllipsePath(it, 1, it.strokeWidth > 0 ? 1 : 0));
      const double m = it.strokeWidth + 2;
      s.bounds = {(it.cx - it.rx - m) * kTw, (it.cy - it.ry - m) * kTw, (it.cx + it.rx + m) * kTw,
                  (it.cy + it.ry + m) * kTw};
      shapes.push_back(std::move(s));
    }
    for (size_t i = 0; i < shapes.size(); ++i) {
      swf::SceneNode n;
      n.shape = &shapes[i];
      n.depth = static_cast<uint16_t>(i + 1);
      nodes.push_back(n);
    }
  }
  // On the calling thread alone, or in bands on every core.
  void Render(uint32_t* Pixels, bool AllCores = false) const {
    const swf::RenderTarget target{Pixels, width, height, width * 4};
    const swf::Matrix stage{1 / kTw, 0, 0, 1 / kTw, 0, 0};
    if (AllCores)
      swf::RenderSceneInBands(nodes, movie, stage, target, {0, 0, width, height}, false, {255, 255, 255, 255});
    else
      swf::RenderScene(nodes, movie, stage, target, {0, 0, width, height}, false, {255, 255, 255, 255});
  }
};

}  // namespace bench
