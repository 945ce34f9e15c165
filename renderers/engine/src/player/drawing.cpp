#include "renderers/engine/src/player/drawing.h"

#include <utility>

namespace swf::detail {

std::shared_ptr<Shape> BitmapRectangle(double Width, double Height, FillType Type, const Matrix& FillMatrix) {
  auto shape = std::make_shared<Shape>();
  FillStyle fill;
  fill.type = Type;
  fill.bitmapId = 1;
  fill.matrix = FillMatrix;
  shape->fills.push_back(fill);
  Path p;
  p.fill1 = 1;
  p.edges = {{false, {}, {Width, 0}}, {false, {}, {Width, Height}}, {false, {}, {0, Height}}, {false, {}, {0, 0}}};
  shape->paths.push_back(std::move(p));
  shape->bounds = {0, 0, Width, Height};
  return shape;
}

void ShapeDrawing::MoveTo(Point P) {
  // A fill's outline closes before the pen leaves it; the next one starts here.
  if (fillStart_ && fill_ && pathOpen_ && !(pen_ == *fillStart_)) LineTo(*fillStart_);
  if (fillStart_) fillStart_ = P;
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

void ShapeDrawing::Clear() {
  std::map<int, Attached> attached = std::move(attached_);
  *this = ShapeDrawing();
  attached_ = std::move(attached);
}

void ShapeDrawing::AttachBitmap(int Depth, Bitmap Pixels) {
  // At most so many pixels in all, so a runaway script cannot take all memory.
  size_t total = Pixels.pixels.size();
  for (const auto& [depth, a] : attached_)
    if (depth != Depth) total += static_cast<size_t>(a.shape->bounds.Width() / 20 * a.shape->bounds.Height() / 20);
  if (total > kMaxAttachedPixels) return;
  auto movie = std::make_shared<Movie>();
  const double w = Pixels.width * 20.0, h = Pixels.height * 20.0;
  movie->dictionary.emplace(1, Character{std::move(Pixels)});
  Matrix onePixelAPixel;
  onePixelAPixel.a = onePixelAPixel.d = 20;
  attached_[Depth] = {std::move(movie), BitmapRectangle(w, h, FillType::ClippedBitmap, onePixelAPixel)};
}

Rect ShapeDrawing::Bounds() const {
  Rect r = shape_.bounds;
  for (const auto& [depth, a] : attached_) r.Include(a.shape->bounds);
  return r;
}

std::shared_ptr<const Shape> ShapeDrawing::Current() const {
  if (shape_.paths.empty()) return nullptr;
  if (!current_) current_ = std::make_shared<const Shape>(shape_);
  return current_;
}

}  // namespace swf::detail
