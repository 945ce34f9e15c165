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

inline constexpr int kMaxLayerNesting = 8;  // layers inside layers; deeper ones are drawn plainly
inline constexpr int64_t kMaxLayerPixels = int64_t{1} << 24;

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
// when nothing of it can show, or when it would be too large to allocate.
IntRect LayerRect(const IntRect& Content, const Reach& By, const IntRect& Clip);

// Filters Layer (placed at At in target pixels), applies Cx and composites
// it onto Target inside Clip with N's blend mode, times Mask (Clip-sized, or
// nullptr).
void FinishLayer(Image& Layer, const IntRect& At, const SceneNode& N, const ColorTransform& Cx, FilterScale S,
                 const RenderTarget& Target, const IntRect& Clip, const uint8_t* Mask);

}  // namespace swf::render
