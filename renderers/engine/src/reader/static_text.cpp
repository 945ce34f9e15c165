// DefineText and DefineText2: text records, each changing some of the font,
// colour, position and height, resolved into runs that carry all of them.
#include "renderers/engine/src/reader/loader.h"

namespace swf::detail {

StaticText ReadStaticText(Stream& S, int Version, LoadState& L) {
  StaticText text;
  text.tagVersion = static_cast<uint8_t>(Version);
  text.bounds = S.ReadRect();
  text.matrix = S.ReadMatrix();
  const unsigned glyphBits = S.U8(), advanceBits = S.U8();
  if (glyphBits > 32 || advanceBits > 32) Fail("glyph or advance field wider than 32 bits", S.Offset());
  TextRun style;  // the styles in force
  style.color = RGBA{0, 0, 0, 255};
  for (;;) {
    const size_t at = S.Offset();
    // A text cut off before its end record keeps the records it holds.
    if (S.AtEnd()) break;
    const uint8_t flags = S.U8();
    if (flags == 0) break;
    if (flags & 0x08) style.fontId = S.U16();
    if (flags & 0x04) style.color = Version >= 2 ? S.ReadRGBA() : S.ReadRGB();
    if (flags & 0x01) style.x = static_cast<int16_t>(S.U16());
    if (flags & 0x02) style.y = static_cast<int16_t>(S.U16());
    if (flags & 0x08) style.height = S.U16();
    const size_t count = S.U8();
    L.Charge(sizeof(TextRun) + count * sizeof(TextGlyph), at);
    TextRun run = style;
    run.glyphs.resize(count);
    for (TextGlyph& g : run.glyphs) {
      g.index = S.UB(glyphBits);
      g.advance = S.SB(advanceBits);
    }
    S.Align();
    // The next record without an x offset goes on where this one ended.
    for (const TextGlyph& g : run.glyphs) style.x += g.advance;
    if (!run.glyphs.empty()) text.runs.push_back(std::move(run));
  }
  return text;
}

}  // namespace swf::detail
