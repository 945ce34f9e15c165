#pragma once
// Drawing one glyph (of an embedded font or a device font) as a scene node:
// the glyph's outline is a shape whose only fill is solid white, scaled from
// its em square to the text's height and coloured by a colour transform.

#include "renderers/engine/model.h"
#include "renderers/engine/render.h"

namespace swf::detail {

// Maps a glyph's em square (EmSize units, y down, baseline at 0) to a glyph
// Height twips high whose origin sits at (X, Y) in the space that Outer maps
// to its parent's.
Matrix GlyphMatrix(const Matrix& Outer, double X, double Y, double Height, double EmSize);

// A node that draws Glyph through M in Color. Glyph must outlive the node.
SceneNode GlyphNode(const Shape& Glyph, const Matrix& M, RGBA Color);

}  // namespace swf::detail
