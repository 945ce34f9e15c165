#pragma once
// A stand-in's own picture of its movie: the viewport rendered into a
// premultiplied 32-bit layer and kept until the movie changes there. Each
// transparent paint composites the layer over what the host's context holds,
// so a driver that paints a frame twice (over black and over white, to
// recover alpha) pays one render and two composites.
//
// The owner marks the layer dirty wherever the picture changes: every
// MovieHost::Invalidate and every new movie. A new viewport size makes the
// whole layer dirty by itself. A dirty part is always rendered before it is
// composited, so a change reported between two paints is never missed.

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "renderers/engine/movie.h"
#include "renderers/gdipaint/dirty_rects.h"

namespace swfwin {

class FrameLayer {
 public:
  // Larger viewports are painted directly instead.
  static constexpr size_t kMaxBytes = size_t(256) << 20;

  FrameLayer() = default;
  ~FrameLayer();
  FrameLayer(const FrameLayer&) = delete;
  FrameLayer& operator=(const FrameLayer&) = delete;

  // Viewport pixels; nothing to do while the layer has no buffer.
  void Invalidate(const swf::IntRect& R) noexcept;
  void InvalidateAll() noexcept { whole_ = true; }

  // A buffer of Width x Height (a new size starts all dirty); false when none
  // can be had.
  bool Resize(int32_t Width, int32_t Height);
  // Clears and renders the dirty parts inside Area (viewport pixels) from
  // Movie; after this Area shows the movie as it is now.
  void Update(const swf::MovieInstance& Movie, const swf::IntRect& Area);

  const uint32_t* Row(int32_t Y) const { return bits_ + size_t(Y) * size_t(width_); }
  HBITMAP bitmap() const { return bitmap_; }

 private:
  void Release();

  HBITMAP bitmap_ = nullptr;  // a top-down DIB section: GDI can blend from it
  uint32_t* bits_ = nullptr;
  int32_t width_ = 0, height_ = 0;
  DirtyRects dirty_;
  bool whole_ = true;  // all of it is dirty (also after a failed render)
};

// How many times this module's stand-in has rendered its movie (into a layer
// or straight into a context): tests count renders with it.
uint64_t RenderCount();
void CountRender();

}  // namespace swfwin
