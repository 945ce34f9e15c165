#pragma once
// The tests' reference for the renderer's coverage: the lines sampled one
// pixel row at a time under the non-zero winding rule. Slow and simple.
//
// Each pixel row is sampled on SubRows horizontal sample lines. On every
// sample line the lines' crossings are sorted and walked with their winding
// directions; where the winding is non-zero the span [xa, xb) is added with
// its horizontal coverage (a fractional first and last pixel, to 1/256). The sum
// over the sample lines, each weighted 1/SubRows, is the pixel's coverage.

#include <cstdint>
#include <vector>

#include "renderers/engine/model.h"

namespace render_test {

using swf::Point;

inline constexpr int32_t kSteps = 256;  // horizontal positions per pixel

class SampledRasterizer {
 public:
  explicit SampledRasterizer(int SubRows) : subRows_(SubRows) {}
  int32_t fullCover() const { return kSteps * subRows_; }  // a fully covered pixel
  void Clear();
  // A directed line from A to B; horizontal lines are dropped.
  void AddLine(Point A, Point B);
  bool Empty() const { return lines_.empty(); }

  // Starts a sweep over columns [Left, Right), rows from Top downwards
  // (rows must then be asked in increasing order).
  void Begin(int32_t Left, int32_t Right, int32_t Top);
  // Coverage of row Y (0..fullCover()) for columns Left + [Lo, Hi); false
  // when the row has nothing. The values stay valid until the next call.
  bool Row(int32_t Y, int32_t& Lo, int32_t& Hi);
  const int32_t* coverage() const { return cov_.data(); }

 private:
  struct Line {
    double x0, y0, y1, dxdy;
    int dir;
  };
  struct Crossing {
    double x;
    int dir;
  };
  void AddSpan(double Xa, double Xb);

  int subRows_;
  std::vector<Line> lines_;
  std::vector<uint32_t> active_;
  std::vector<Crossing> xs_;
  std::vector<int32_t> acc_;
  std::vector<int32_t> cov_;
  size_t next_ = 0;
  bool sorted_ = false;
  int32_t left_ = 0, width_ = 0;
  int32_t lo_ = 0, hi_ = 0;
};

}  // namespace render_test
