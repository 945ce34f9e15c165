#pragma once
// The glyphs a static text shows, as scene nodes.

#include <vector>

#include "renderers/engine/model.h"
#include "renderers/engine/render.h"

namespace swf::detail {

// Appends a node for every glyph of Text that its font (from M's dictionary)
// holds, in the text's character space. A missing font, or a glyph index
// past its font's glyphs, draws nothing; a font without glyphs (a device
// font) is not drawn in static text.
void AppendStaticTextNodes(const StaticText& Text, const Movie& M, std::vector<SceneNode>& Out);

}  // namespace swf::detail
