#pragma once
// A movie's current frame drawn into a device context, only inside the
// context's clip region. A transparent instance composites the frame over
// what the context holds, from its frame layer when it has one (rendered
// only where the movie changed); otherwise the background is filled first
// (the bgcolor argument, else the movie's own) and the frame rendered
// straight over it.

#include <windows.h>

#include <cstdint>
#include <optional>

#include "renderers/engine/movie.h"
#include "renderers/gdipaint/frame_layer.h"

namespace swfwin {

struct PaintJob {
  HDC dc = nullptr;
  int32_t originX = 0, originY = 0;  // the movie's top left in the context (logical units)
  int32_t width = 0, height = 0;     // the viewport
  bool transparent = false;
  std::optional<uint32_t> background;         // opaque pixel
  const swf::MovieInstance* movie = nullptr;  // null: only the background, if any
  FrameLayer* layer = nullptr;                // the instance's, for transparent frames
};

// A context holding a 32-bit top-down DIB section gets the frame straight into
// its bits, clip rectangle by clip rectangle; any other context gets it
// through a DIB (the layer, or one of its own) and AlphaBlend. False when
// nothing can be drawn. Never throws.
bool PaintMovie(const PaintJob& Job);

}  // namespace swfwin
