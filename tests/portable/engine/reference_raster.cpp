#include "tests/portable/engine/reference_raster.h"

#include <algorithm>
#include <cmath>

namespace render_test {

void SampledRasterizer::Clear() {
  lines_.clear();
  active_.clear();
  next_ = 0;
  sorted_ = false;
}

void SampledRasterizer::AddLine(Point A, Point B) {
  if (A.y == B.y) return;
  int dir = 1;
  if (A.y > B.y) {
    std::swap(A, B);
    dir = -1;
  }
  const double dxdy = (B.x - A.x) / (B.y - A.y);
  // An edge of next to no height whose slope overflows counts as vertical.
  lines_.push_back({A.x, A.y, B.y, std::isfinite(dxdy) ? dxdy : 0.0, dir});
  sorted_ = false;
}

void SampledRasterizer::Begin(int32_t Left, int32_t Right, int32_t Top) {
  if (!sorted_) {
    std::sort(lines_.begin(), lines_.end(), [](const Line& a, const Line& b) { return a.y0 < b.y0; });
    sorted_ = true;
  }
  left_ = Left;
  width_ = std::max(0, Right - Left);
  acc_.assign(static_cast<size_t>(width_) + 2, 0);
  cov_.resize(static_cast<size_t>(width_) + 2);
  active_.clear();
  next_ = 0;
  // Lines that end above the first row never become active.
  const double top = Top;
  while (next_ < lines_.size() && lines_[next_].y0 < top) {
    if (lines_[next_].y1 > top) active_.push_back(static_cast<uint32_t>(next_));
    ++next_;
  }
}

void SampledRasterizer::AddSpan(double Xa, double Xb) {
  // Clamp to the swept columns: what lies left of them covers the first
  // column fully; what lies right of them is never seen. Positions are
  // fixed point (1/256 pixel) so that sums are exact: the same pixels come
  // out whichever part of the frame is drawn.
  const double w = width_;
  auto column = [&](double X) {  // NaN ends at the left
    X -= left_;
    return static_cast<int64_t>((X > 0 ? (X < w ? X : w) : 0.0) * kSteps + 0.5);
  };
  const int64_t a = column(Xa), b = column(Xb);
  if (a >= b) return;
  const int32_t ia = static_cast<int32_t>(a / kSteps), fa = static_cast<int32_t>(a % kSteps);
  const int32_t ib = static_cast<int32_t>(b / kSteps), fb = static_cast<int32_t>(b % kSteps);
  acc_[ia] += kSteps - fa;
  acc_[ia + 1] += fa;
  acc_[ib] -= kSteps - fb;
  acc_[ib + 1] -= fb;
  lo_ = std::min(lo_, ia);
  hi_ = std::max(hi_, ib + 2);
}

bool SampledRasterizer::Row(int32_t Y, int32_t& Lo, int32_t& Hi) {
  const double top = Y, bottom = Y + 1.0;
  // Retire lines that ended above this row, activate those that start in it.
  size_t keep = 0;
  for (uint32_t i : active_)
    if (lines_[i].y1 > top) active_[keep++] = i;
  active_.resize(keep);
  while (next_ < lines_.size() && lines_[next_].y0 < bottom) {
    if (lines_[next_].y1 > top) active_.push_back(static_cast<uint32_t>(next_));
    ++next_;
  }
  if (active_.empty() || width_ == 0) return false;

  lo_ = width_ + 2;
  hi_ = 0;
  const double columnsLeft = left_, columnsRight = static_cast<double>(left_) + width_;
  for (int s = 0; s < subRows_; ++s) {
    const double ys = Y + (s + 0.5) / subRows_;
    // Crossings left of the swept columns only add to the winding there, and
    // those right of them are never seen: only the ones in between are
    // sorted, which keeps huge shapes around a small clip cheap.
    int winding = 0;
    xs_.clear();
    for (uint32_t i : active_) {
      const Line& l = lines_[i];
      if (!(l.y0 <= ys && ys < l.y1)) continue;
      const double x = l.x0 + (ys - l.y0) * l.dxdy;
      if (x < columnsLeft)
        winding += l.dir;
      else if (x < columnsRight)
        xs_.push_back({x, l.dir});
    }
    if (xs_.empty() && winding == 0) continue;
    if (xs_.size() <= 16) {
      for (size_t i = 1; i < xs_.size(); ++i) {
        Crossing c = xs_[i];
        size_t j = i;
        for (; j > 0 && xs_[j - 1].x > c.x; --j) xs_[j] = xs_[j - 1];
        xs_[j] = c;
      }
    } else {
      std::sort(xs_.begin(), xs_.end(), [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
    }
    double start = columnsLeft;
    for (const Crossing& c : xs_) {
      const int before = winding;
      winding += c.dir;
      if (before == 0 && winding != 0)
        start = c.x;
      else if (before != 0 && winding == 0)
        AddSpan(start, c.x);
    }
    if (winding != 0) AddSpan(start, columnsRight);  // closed by crossings right of the columns
  }
  if (lo_ >= hi_) return false;
  hi_ = std::min(hi_, width_);
  int32_t sum = 0;
  for (int32_t i = lo_; i < hi_; ++i) {
    sum += acc_[i];
    acc_[i] = 0;
    cov_[i] = std::clamp(sum, 0, fullCover());
  }
  acc_[hi_] = 0;
  acc_[hi_ + 1] = 0;
  Lo = lo_;
  Hi = hi_;
  return true;
}

}  // namespace render_test
