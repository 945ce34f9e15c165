#include "renderers/engine/src/player/drawing.h"

#include <utility>

namespace swf::detail {

void ShapeDrawing::MoveTo(Point P) {
  pen_ = P;
  pathOpen_ = false;
}

void ShapeDrawing::Include(Point P, uint32_t Line) {
  const double reach = Line ? shape_.lines[Line - 1].width / 2.0 : 0;
  Rect r{P.x - reach, P.y - reach, P.x + reach, P.y + reach};
  shape_.bounds.Include(r);
}

void ShapeDrawing::Edge(const swf::Edge& E) {
  if (edges_ >= kMaxEdges) return;
  ++edges_;
  current_.reset();
  if (!pathOpen_) {
    Path p;
    p.fill1 = fill_;
    p.line = line_;
    p.start = pen_;
    shape_.paths.push_back(std::move(p));
    Include(pen_, line_);
    pathOpen_ = true;
  }
  shape_.paths.back().edges.push_back(E);
  if (E.curve) Include(E.control, line_);
  Include(E.anchor, line_);
  pen_ = E.anchor;
}

void ShapeDrawing::LineTo(Point P) { Edge({false, {}, P}); }

void ShapeDrawing::CurveTo(Point Control, Point Anchor) { Edge({true, Control, Anchor}); }

void ShapeDrawing::BeginFill(std::optional<FillStyle> Fill) {
  EndFill();
  fill_ = 0;
  if (Fill) {
    shape_.fills.push_back(std::move(*Fill));
    fill_ = static_cast<uint32_t>(shape_.fills.size());
    fillStart_ = pen_;
  }
  pathOpen_ = false;
}

void ShapeDrawing::EndFill() {
  if (fillStart_ && fill_ && pathOpen_ && !(pen_ == *fillStart_)) LineTo(*fillStart_);
  fillStart_.reset();
  fill_ = 0;
  pathOpen_ = false;
}

void ShapeDrawing::SetLineStyle(std::optional<LineStyle> Line) {
  line_ = 0;
  if (Line) {
    shape_.lines.push_back(*Line);
    line_ = static_cast<uint32_t>(shape_.lines.size());
  }
  pathOpen_ = false;
}

void ShapeDrawing::Clear() { *this = ShapeDrawing(); }

std::shared_ptr<const Shape> ShapeDrawing::Current() const {
  if (shape_.paths.empty()) return nullptr;
  if (!current_) current_ = std::make_shared<const Shape>(shape_);
  return current_;
}

}  // namespace swf::detail
