#pragma once
// A face for text tests: 1000 units per em, every printable character a
// square glyph of its own advancing 500 units ('i' 250, space 250), ascent
// 800, descent 200, and the pair "AV" kerned by -100.

#include <map>

#include "renderers/engine/src/text/text_layout.h"

namespace text_test {

class SquareFace : public swf::detail::TextFace {
 public:
  double EmSize() const override { return 1000; }
  Glyph Lookup(char32_t Code) override {
    if (Code == U' ') return {nullptr, 250};
    swf::Shape& s = shapes_[Code];
    if (s.paths.empty()) {
      s.fills.push_back(swf::FillStyle{});
      s.fills[0].color = {255, 255, 255, 255};
      swf::Path p;
      p.fill1 = 1;
      p.start = {50, -700};
      for (const swf::Point q : {swf::Point{450, -700}, swf::Point{450, 0}, swf::Point{50, 0}, swf::Point{50, -700}})
        p.edges.push_back({false, {}, q});
      s.paths.push_back(p);
      s.bounds = {50, -700, 450, 0};
    }
    return {&s, Code == U'i' ? 250.0 : 500.0};
  }
  swf::DeviceFontMetrics Metrics() override { return {800, 200, 0}; }
  double Kerning(char32_t L, char32_t R) override { return L == U'A' && R == U'V' ? -100 : 0; }
  const swf::Shape* ShapeOf(char32_t Code) { return Lookup(Code).shape; }

 private:
  std::map<char32_t, swf::Shape> shapes_;
};

}  // namespace text_test
