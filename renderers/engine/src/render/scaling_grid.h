#pragma once
// Nine-slice scaling: the shapes of a sprite (or button) with a scaling grid
// are reshaped for the scale it is placed with, so that drawn under that
// scale the parts left and right of the grid keep their width, those above
// and below their height (the corners both), and the grid's inside
// stretches to fill the rest. Strokes keep their width. Nested sprites are
// drawn as they are. Private to the renderer.

#include <deque>
#include <vector>

#include "renderers/engine/render.h"

namespace swf::render {

struct GridChildren {
  std::deque<Shape> shapes;       // the reshaped shapes the nodes point to
  std::vector<SceneNode> nodes;   // N's children, shapes reshaped and unmoved
};

// N's children reshaped for its grid and the scale of its own matrix; false
// (Out untouched) when there is nothing to reshape.
bool ReshapeForGrid(const SceneNode& N, GridChildren& Out);

}  // namespace swf::render
