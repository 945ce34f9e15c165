// The dirty set of a frame layer: rectangle arithmetic on disjoint pieces.
#include "renderers/gdipaint/dirty_rects.h"

#include <utility>

namespace swfwin {

void SubtractRect(const swf::IntRect& R, const swf::IntRect& Hole, std::vector<swf::IntRect>& Out) {
  const swf::IntRect cut = R.Intersect(Hole);
  if (cut.Empty()) {
    if (!R.Empty()) Out.push_back(R);
    return;
  }
  // Full-width bands above and below the cut, then the pieces beside it.
  if (R.top < cut.top) Out.push_back({R.left, R.top, R.right, cut.top});
  if (cut.bottom < R.bottom) Out.push_back({R.left, cut.bottom, R.right, R.bottom});
  if (R.left < cut.left) Out.push_back({R.left, cut.top, cut.left, cut.bottom});
  if (cut.right < R.right) Out.push_back({cut.right, cut.top, R.right, cut.bottom});
}

void DirtyRects::Add(const swf::IntRect& R) {
  if (R.Empty()) return;
  // Only what no rectangle holds yet is added, so the pieces stay disjoint.
  std::vector<swf::IntRect> pieces{R}, next;
  for (const swf::IntRect& have : rects_) {
    next.clear();
    for (const swf::IntRect& p : pieces) SubtractRect(p, have, next);
    pieces.swap(next);
    if (pieces.empty()) return;
  }
  rects_.insert(rects_.end(), pieces.begin(), pieces.end());
  if (rects_.size() <= kMaxRects) return;
  swf::IntRect box;
  for (const swf::IntRect& r : rects_) box = box.Union(r);
  rects_.assign(1, box);
}

std::vector<swf::IntRect> DirtyRects::Take(const swf::IntRect& Area) {
  std::vector<swf::IntRect> taken, rest;
  for (const swf::IntRect& r : rects_) {
    const swf::IntRect part = r.Intersect(Area);
    if (part.Empty()) {
      rest.push_back(r);
      continue;
    }
    taken.push_back(part);
    SubtractRect(r, Area, rest);
  }
  // The set may exceed its bound here; the next Add folds it. Folding now
  // would mark Area dirty again and render it twice.
  rects_ = std::move(rest);
  return taken;
}

}  // namespace swfwin
