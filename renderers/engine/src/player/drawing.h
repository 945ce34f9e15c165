#pragma once
// What scripts draw into a clip with moveTo, lineTo, curveTo and the fill
// and line styles: a shape built as they go, shown below the clip's
// children and counted in its bounds. Coordinates are twips.

#include <cstddef>
#include <map>
#include <memory>
#include <optional>

#include "renderers/engine/model.h"

namespace swf::detail {

// A Width x Height rectangle (twips, from the origin) filled with bitmap
// character 1, drawn through FillMatrix with a bitmap fill of Type.
std::shared_ptr<Shape> BitmapRectangle(double Width, double Height, FillType Type, const Matrix& FillMatrix);

class ShapeDrawing {
 public:
  void MoveTo(Point P);
  void LineTo(Point P);
  void CurveTo(Point Control, Point Anchor);
  // Starts a fill (closing the one open); nullopt: no fill from here on.
  void BeginFill(std::optional<FillStyle> Fill);
  // Closes the open fill back to where it began.
  void EndFill();
  // The line the next edges are drawn with; nullopt: none.
  void SetLineStyle(std::optional<LineStyle> Line);
  void Clear();  // the lines and fills; attached bitmaps stay

  // attachBitmap: a bitmap of these premultiplied pixels shown at Depth
  // (replacing one there), at the clip's origin, one pixel a pixel.
  void AttachBitmap(int Depth, Bitmap Pixels);
  struct Attached {
    std::shared_ptr<const Movie> pixels;  // the bitmap as character 1 of a movie of its own
    std::shared_ptr<const Shape> shape;   // a rectangle filled with it
  };
  const std::map<int, Attached>& AttachedBitmaps() const { return attached_; }

  // The shape so far (a new object after every change, so scenes holding
  // an earlier one keep it); nullptr when nothing is drawn.
  std::shared_ptr<const Shape> Current() const;
  Rect Bounds() const;

 private:
  void Edge(const swf::Edge& E);
  void Include(Point P, uint32_t Line);

  Shape shape_;
  Point pen_;
  uint32_t fill_ = 0, line_ = 0;  // the styles new edges take (1-based; 0 none)
  std::optional<Point> fillStart_;  // where the open fill began
  bool pathOpen_ = false;           // the last path continues from the pen
  // Edges this many at most, so a runaway script cannot take all memory.
  static constexpr size_t kMaxEdges = 1u << 20;
  static constexpr size_t kMaxAttachedPixels = 1u << 25;
  size_t edges_ = 0;
  mutable std::shared_ptr<const Shape> current_;
  std::map<int, Attached> attached_;
};

}  // namespace swf::detail
