#pragma once
// A clip scripts may draw into with the drawing methods of MovieClip. The
// movie's clips are drawing targets; clips that are not ignore the methods.

namespace swf {
namespace detail {
class ShapeDrawing;  // src/player/drawing.h
}

class DrawingTarget {
 public:
  virtual ~DrawingTarget() = default;
  // The clip's drawing, made on first use; nullptr when the clip has gone.
  virtual detail::ShapeDrawing* Drawing() = 0;
};

}  // namespace swf
