#pragma once
// Filters on a layer of premultiplied pixels: blur, drop shadow, glow,
// bevel, gradient glow and bevel, colour matrix and convolution. Sizes in
// the filters are pixels of the stage; ScaleX and ScaleY (the stage's scale
// to target pixels) turn them into target pixels, so a filter keeps its look
// when the stage is zoomed. The node's own scale does not change them.
// Private to the renderer.

#include <cstdint>
#include <vector>

#include "renderers/engine/model.h"

namespace swf::render {

// Premultiplied pixels 0xAARRGGBB, rows top first, no gaps.
struct Image {
  int32_t width = 0, height = 0;
  std::vector<uint32_t> pixels;
  Image(int32_t W, int32_t H) : width(W), height(H), pixels(static_cast<size_t>(W) * static_cast<size_t>(H), 0) {}
};

// How far the filters, applied in turn, may spread the picture beyond its
// edges, in target pixels on each side (bounded).
struct Reach {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};
Reach FilterReach(const std::vector<Filter>& Filters, double ScaleX, double ScaleY);

// A rough count of the steps ApplyFilter takes on Img, for budgeting.
int64_t FilterCost(const Filter& F, const Image& Img);

// Applies F to Img in place.
void ApplyFilter(const Filter& F, Image& Img, double ScaleX, double ScaleY);

// Box blur of every channel: Passes times a box RadiusX wide either side,
// then RadiusY up and down.
void BoxBlur(Image& Img, int32_t RadiusX, int32_t RadiusY, int Passes);

// Colour transform of premultiplied pixels.
void TransformColors(Image& Img, const ColorTransform& Cx);

}  // namespace swf::render
