#pragma once
// MoviePlayer's state, shared by the files that implement it.

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "renderers/engine/player.h"
#include "renderers/engine/src/player/buttons.h"
#include "renderers/engine/src/player/display_list.h"
#include "renderers/engine/src/player/imports.h"

namespace swf {

namespace detail {
// Joins changed rectangles where one rectangle paints no more pixels than two
// (overlap counted twice); beyond 128 rectangles, their bounding box.
void MergeRects(std::vector<IntRect>& Rects);
}  // namespace detail

struct MoviePlayer::State {
  std::shared_ptr<const Movie> movie;
  // Libraries the movies import from; before root: its instances show their characters.
  detail::ImportTable imports;
  detail::InstanceBudget budget;  // declared before root: instances refer to it while they die
  std::unique_ptr<detail::TimelineState> root;
  int32_t width = 0, height = 0;
  Matrix stageToPixels;
  bool loop = true;
  std::vector<SceneNode> scene;  // of the current frame
  detail::InputState input;
  FontService* fonts = nullptr;  // device fonts of text fields
  // Notes for the host's log not yet taken, and every one given so far
  // (each is given once).
  std::vector<std::string> notes;
  std::set<std::string> noted;

  // Builds the scene of the current frame and returns the pixel rectangles
  // that differ from the previous one.
  std::vector<IntRect> Rebuild();
};

}  // namespace swf
