// Static text: each run's glyphs laid along its baseline by their advances.
#include "renderers/engine/src/text/static_text_nodes.h"

#include <variant>

#include "renderers/engine/src/text/glyph_nodes.h"

namespace swf::detail {

void AppendStaticTextNodes(const StaticText& Text, const Movie& M, std::vector<SceneNode>& Out) {
  for (const TextRun& run : Text.runs) {
    const auto it = M.dictionary.find(run.fontId);
    const Font* font = it == M.dictionary.end() ? nullptr : std::get_if<Font>(&it->second);
    if (!font) continue;
    double x = run.x;
    for (const TextGlyph& g : run.glyphs) {
      if (g.index < font->glyphs.size())
        Out.push_back(GlyphNode(font->glyphs[g.index].shape,
                                GlyphMatrix(Text.matrix, x, run.y, run.height, font->emSize), run.color));
      x += g.advance;
    }
  }
}

}  // namespace swf::detail
