#pragma once
// Small scenes for the renderer's tests, built with the model directly.
// Coordinates passed to these helpers are pixels; they are stored as twips
// and drawn with a stage matrix of 1/20 so one twip is 1/20 pixel.

#include <cstdint>
#include <vector>

#include "renderers/engine/model.h"
#include "renderers/engine/render.h"

namespace render_test {

inline constexpr double kTw = 20.0;
inline const swf::Matrix kStage{1 / kTw, 0, 0, 1 / kTw, 0, 0};

// A target of W x H pixels, each row Pad pixels longer than needed, all
// pixels (padding included) holding Fill.
struct Canvas {
  int32_t w, h, stride;
  std::vector<uint32_t> px;
  Canvas(int32_t W, int32_t H, uint32_t Fill = 0, int32_t Pad = 0)
      : w(W), h(H), stride(W + Pad), px(static_cast<size_t>((W + Pad) * H), Fill) {}
  swf::RenderTarget target() { return {px.data(), w, h, stride * 4}; }
  uint32_t& at(int32_t X, int32_t Y) { return px[static_cast<size_t>(Y * stride + X)]; }
  uint32_t alpha(int32_t X, int32_t Y) { return at(X, Y) >> 24; }
  uint32_t red(int32_t X, int32_t Y) { return at(X, Y) >> 16 & 0xFF; }
  uint32_t green(int32_t X, int32_t Y) { return at(X, Y) >> 8 & 0xFF; }
  uint32_t blue(int32_t X, int32_t Y) { return at(X, Y) & 0xFF; }
  double AlphaSum() {
    double s = 0;
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) s += alpha(x, y) / 255.0;
    return s;
  }
};

inline swf::Point P(double X, double Y) { return {X * kTw, Y * kTw}; }

inline swf::Edge Line(double X, double Y) { return {false, {}, P(X, Y)}; }
inline swf::Edge Curve(double Cx, double Cy, double X, double Y) { return {true, P(Cx, Cy), P(X, Y)}; }

// A closed polygon through Pts; Fill0 on its left, Fill1 on its right.
inline swf::Path Polygon(std::vector<swf::Point> Pts, uint32_t Fill0, uint32_t Fill1, uint32_t LineStyle = 0) {
  swf::Path p{Fill0, Fill1, LineStyle, P(Pts[0].x, Pts[0].y), {}};
  for (size_t i = 1; i <= Pts.size(); ++i) p.edges.push_back(Line(Pts[i % Pts.size()].x, Pts[i % Pts.size()].y));
  return p;
}

// An axis-aligned rectangle traced clockwise on screen (its inside on the right).
inline swf::Path Box(double X0, double Y0, double X1, double Y1, uint32_t Fill0, uint32_t Fill1) {
  return Polygon({{X0, Y0}, {X1, Y0}, {X1, Y1}, {X0, Y1}}, Fill0, Fill1);
}

inline swf::FillStyle Solid(swf::RGBA C) {
  swf::FillStyle f;
  f.color = C;
  return f;
}

inline swf::Shape ShapeOf(std::vector<swf::FillStyle> Fills, std::vector<swf::Path> Paths,
                          std::vector<swf::LineStyle> Lines = {}) {
  swf::Shape s;
  s.fills = std::move(Fills);
  s.lines = std::move(Lines);
  s.paths = std::move(Paths);
  for (const auto& p : s.paths) {
    s.bounds.Include(p.start);
    for (const auto& e : p.edges) s.bounds.Include(e.anchor);
  }
  return s;
}

inline swf::SceneNode Node(const swf::Shape& S, uint16_t Depth = 1) {
  swf::SceneNode n;
  n.shape = &S;
  n.depth = Depth;
  return n;
}

inline void Draw(Canvas& C, const std::vector<swf::SceneNode>& Scene, const swf::Movie& M = {},
                 bool Transparent = true, swf::IntRect Clip = {0, 0, 1 << 20, 1 << 20},
                 swf::RGBA Background = {255, 255, 255, 255}) {
  swf::RenderScene(Scene, M, kStage, C.target(), Clip, Transparent, Background);
}

inline constexpr swf::RGBA kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255}, kGreen{0, 255, 0, 255},
    kWhite{255, 255, 255, 255}, kBlack{0, 0, 0, 255};

}  // namespace render_test
