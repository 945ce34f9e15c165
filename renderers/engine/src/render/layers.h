#pragma once
// Nodes drawn through a layer of their own: those with filters, with a blend
// mode other than Normal, or whose children erase or cut out of them (Alpha,
// Erase). The node's content is drawn into an offscreen premultiplied layer
// sized to its pixel bounds grown by the filters' reach; the filters run on
// it, then its colour transform, and it is composited over what is below
// with its blend mode. Private to the renderer.

#include <cstdint>

#include "renderers/engine/render.h"
#include "renderers/engine/src/render/filters.h"

namespace swf::render {

inline constexpr int kMaxLayerNesting = 6;  // layers inside layers; deeper ones are drawn plainly
// A larger layer is not made: the node is drawn plainly.
inline constexpr int64_t kMaxLayerPixels = int64_t{1} << 23;
inline constexpr int32_t kMaxLayerSide = 1 << 14;
// Steps of layering and filtering one frame may take (see FilterCost and
// LayerCost): so many for each pixel drawn, and at least kMinFilterBudget.
// Filters past it are left out and nodes drawn plainly, so that a movie
// cannot stall the player with them.
inline constexpr int64_t kFilterStepsPerPixel = 64;
inline constexpr int64_t kMinFilterBudget = int64_t{1} << 22;

// Filter sizes are stage pixels; these are the target pixels of one.
struct FilterScale {
  double x = 1, y = 1;
};
FilterScale FilterScaleOf(const Matrix& StageToPixels);

bool DrawsThroughLayer(const SceneNode& N);
// Alpha and Erase act on their parent's layer: with none (at the root) they
// draw nothing.
bool ActsOnParent(BlendMode Mode);

// How far N's filters spread its picture.
Reach NodeReach(const SceneNode& N, FilterScale S);
IntRect Grow(const IntRect& R, const Reach& By);

// The layer for a node whose content covers Content, drawn for Clip: empty
// when nothing of it can show.
IntRect LayerRect(const IntRect& Content, const Reach& By, const IntRect& Clip);
// Whether a layer of R is too large to make.
bool TooLarge(const IntRect& R);
// What making and compositing a layer of R takes, against the filter budget.
int64_t LayerCost(const IntRect& R);

// Filters Layer (placed at At in target pixels), applies Cx and composites
// it onto Target inside Clip with N's blend mode, times Mask (Clip-sized, or
// nullptr). Budget: what is left of the frame's filter budget.
void FinishLayer(Image& Layer, const IntRect& At, const SceneNode& N, const ColorTransform& Cx, FilterScale S,
                 const RenderTarget& Target, const IntRect& Clip, const uint8_t* Mask, int64_t& Budget);

}  // namespace swf::render
