#pragma once
// Playing a loaded movie: the root timeline and every sprite instance's own
// timeline, the display list they build, the changed rectangles of each frame
// step, and rendering the current frame at a given output size. Portable.

#include <cstdint>
#include <memory>
#include <vector>

#include "renderers/engine/model.h"
#include "renderers/engine/render.h"

namespace swf {

class MoviePlayer {
 public:
  explicit MoviePlayer(std::shared_ptr<const Movie> M);
  ~MoviePlayer();
  MoviePlayer(const MoviePlayer&) = delete;
  MoviePlayer& operator=(const MoviePlayer&) = delete;

  const Movie& movie() const;

  // Output size in pixels; the stage is fitted keeping its aspect ratio and
  // centred (the format's default scale mode). Everything changes.
  void SetViewport(int32_t Width, int32_t Height);
  Matrix StageToPixels() const;

  // Frames are numbered from 0. The movie starts on frame 0.
  int32_t CurrentFrame() const;
  int32_t TotalFrames() const;
  // The root timeline loops by default; without looping it stays on its
  // last frame (sprites always loop).
  void SetLoop(bool Loop);
  bool Loop() const;

  // Steps the root and every sprite instance one frame. Returns the pixel
  // rectangles that changed: old and new bounds of what moved, changed,
  // appeared or vanished (no duplicates; may be merged).
  std::vector<IntRect> NextFrame();
  // Goes to Frame (clamped to the timeline); an earlier frame rebuilds the
  // display list as it stood in that frame. Returns the changed rectangles.
  std::vector<IntRect> GotoFrame(int32_t Frame);
  // The frame with this label, or -1.
  int32_t FindLabel(const std::string& Label) const;

  const std::vector<SceneNode>& Scene() const;
  // Renders Clip of the current frame into Target (see RenderScene).
  void Render(const RenderTarget& Target, IntRect Clip, bool Transparent) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace swf
