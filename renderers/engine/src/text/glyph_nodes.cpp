// Glyph scene nodes: the white ink of a glyph becomes the text's colour
// through a colour transform that replaces every channel.
#include "renderers/engine/src/text/glyph_nodes.h"

namespace swf::detail {

Matrix GlyphMatrix(const Matrix& Outer, double X, double Y, double Height, double EmSize) {
  const double s = EmSize > 0 ? Height / EmSize : 0;
  return Outer * Matrix{s, 0, 0, s, X, Y};
}

SceneNode GlyphNode(const Shape& Glyph, const Matrix& M, RGBA Color) {
  SceneNode node;
  node.shape = &Glyph;
  node.matrix = M;
  // Multipliers of 0 drop the white fill's channels; the additions are the colour.
  node.cxform = ColorTransform{0, 0, 0, 0, Color.r, Color.g, Color.b, Color.a};
  return node;
}

}  // namespace swf::detail
