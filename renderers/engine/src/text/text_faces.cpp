#include "renderers/engine/src/text/text_faces.h"

#include <algorithm>

namespace swf::detail {

EmbeddedFace::EmbeddedFace(const Font& F) : font_(F) {
  for (size_t i = 0; i < F.glyphs.size(); ++i) index_.emplace(F.glyphs[i].code, i);  // the first of a code wins
  for (const KerningPair& k : F.kerning) kerning_[{k.left, k.right}] = k.adjustment;
}

TextFace::Glyph EmbeddedFace::Lookup(char32_t Code) {
  const auto it = index_.find(Code);
  if (it == index_.end()) return {};
  const FontGlyph& g = font_.glyphs[it->second];
  if (font_.hasLayout) return {&g.shape, static_cast<double>(g.advance)};
  // Without layout the outline's own width (and a little air) advances.
  const Rect& b = g.shape.bounds;
  return {&g.shape, b.Empty() ? font_.emSize / 4 : std::max(0.0, b.xmax) + font_.emSize / 20};
}

DeviceFontMetrics EmbeddedFace::Metrics() {
  if (font_.hasLayout && font_.ascent + font_.descent > 0)
    return {static_cast<double>(font_.ascent), static_cast<double>(font_.descent),
            static_cast<double>(font_.leading)};
  return {font_.emSize * 0.8, font_.emSize * 0.2, 0};
}

double EmbeddedFace::Kerning(char32_t Left, char32_t Right) {
  const auto it = kerning_.find({Left, Right});
  return it == kerning_.end() ? 0 : it->second;
}

TextFace::Glyph DeviceFace::Lookup(char32_t Code) {
  const DeviceGlyph* g = service_.Glyph(face_, bold_, italic_, Code);
  if (!g) return {};
  return {&g->shape, g->advance};
}

}  // namespace swf::detail
