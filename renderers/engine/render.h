#pragma once
// Rasterising a frame: anti-aliased shapes with solid, gradient and bitmap
// fills and round strokes, colour transforms and masks, composited into a
// 32-bit premultiplied BGRA buffer. Portable.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "renderers/engine/model.h"

namespace swf {

// What one frame shows: placed characters in depth order (lowest first).
struct SceneNode {
  const Shape* shape = nullptr;      // a shape; nullptr for a sprite instance
  std::vector<SceneNode> children;   // a sprite instance's own display list
  Matrix matrix;                     // to the parent's space
  ColorTransform cxform;             // applied after the children's own
  uint16_t depth = 0;
  // Non-zero: this node is a mask. It is not drawn itself; its siblings with
  // depth in (depth, clipDepth] show only where it covers.
  uint16_t clipDepth = 0;
  // The dictionary the bitmap fills of the children come from (a movie
  // loaded into a sprite instance); nullptr: the parent's.
  const Movie* movie = nullptr;
  // Keeps alive what the node and its children draw when the player made
  // it for this node alone (a morph shape at a ratio, a text field's glyphs
  // and border), for as long as any scene refers to it.
  std::shared_ptr<const void> owner;
  // Drawn into a layer of its own, filtered and composited with its blend
  // mode, when it has filters or a mode other than Normal and Layer.
  BlendMode blendMode = BlendMode::Normal;
  std::shared_ptr<const std::vector<Filter>> filters;  // nullptr: none
  bool cacheAsBitmap = false;  // drawn at a whole-pixel offset
  // A sprite's or button's scaling grid (in the movie): scaled, its shapes
  // keep the size of their parts outside the grid. nullptr: none.
  const Rect* scalingGrid = nullptr;
};

// A buffer of premultiplied pixels 0xAARRGGBB (bytes B, G, R, A), rows top
// first, StrideBytes apart (a multiple of 4, at least Width * 4).
struct RenderTarget {
  uint32_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int32_t strideBytes = 0;
};

// Draws the part of Scene inside Clip (target pixels, clipped to the target).
// StageToPixels maps the movie's twips to target pixels. Transparent: the
// frame is composited over what the target holds; otherwise Clip is first
// filled with the opaque Background. Bitmap fills look their bitmaps up in
// the movie's dictionary. Nothing outside Clip is written.
void RenderScene(const std::vector<SceneNode>& Scene, const Movie& Movie, const Matrix& StageToPixels,
                 const RenderTarget& Target, IntRect Clip, bool Transparent, RGBA Background);

// The pixel rectangle a node can touch under StageToPixels (strokes and
// anti-aliasing included); empty for a node that draws nothing.
IntRect NodePixelBounds(const SceneNode& Node, const Matrix& StageToPixels);

}  // namespace swf
