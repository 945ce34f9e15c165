#pragma once
// The parts of a frame layer that no longer show the movie: disjoint
// rectangles in viewport pixels. Portable: no <windows.h>.
//
// A paint takes only the dirty parts its clip needs; the rest stays dirty
// for a later paint. Past a few dozen rectangles the set becomes their
// bounding box: re-rendering a clean pixel is only work, never wrong.

#include <cstddef>
#include <vector>

#include "renderers/engine/model.h"

namespace swfwin {

class DirtyRects {
 public:
  static constexpr size_t kMaxRects = 32;

  void Add(const swf::IntRect& R);  // an empty rectangle adds nothing
  void Clear() { rects_.clear(); }
  bool Empty() const { return rects_.empty(); }
  // The dirty parts inside Area, disjoint; they are clean from now on.
  std::vector<swf::IntRect> Take(const swf::IntRect& Area);
  const std::vector<swf::IntRect>& rects() const { return rects_; }

 private:
  std::vector<swf::IntRect> rects_;
};

// The parts of R outside Hole: up to four disjoint rectangles appended to Out.
void SubtractRect(const swf::IntRect& R, const swf::IntRect& Hole, std::vector<swf::IntRect>& Out);

}  // namespace swfwin
