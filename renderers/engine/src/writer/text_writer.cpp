// Fonts as DefineFont2/DefineFont3 (offsets and codes as wide as they need
// to be) and static text as DefineText/DefineText2.
#include "renderers/engine/src/writer/text_writer.h"

#include <algorithm>
#include <string>
#include <vector>

#include "renderers/engine/src/tag_codes.h"
#include "renderers/engine/src/writer/writer_parts.h"

namespace swf::writer {
namespace {

std::vector<uint8_t> GlyphBytes(const Shape& Glyph, uint16_t Id) {
  for (const Path& p : Glyph.paths)
    if (p.line != 0 || p.fill0 > 1 || p.fill1 > 1)
      throw FormatError("font " + std::to_string(Id) + " has a glyph with styles other than its one fill");
  BitWriter w;
  w.UB(1, 4);  // fill bits
  w.UB(0, 4);  // line bits
  WriteShapeRecords(w, Glyph, Id, 1, 0);
  return std::move(w.bytes());
}

void WriteCode(BitWriter& W, char16_t Code, bool Wide) {
  if (Wide)
    W.U16(Code);
  else
    W.U8(static_cast<uint8_t>(Code));
}

}  // namespace

void WriteFont(BitWriter& Out, uint16_t Id, const Font& F) {
  const bool v3 = F.tagVersion >= 3;
  const std::string what = "font " + std::to_string(Id);
  if (F.glyphs.size() > 65535) throw FormatError(what + " has more than 65535 glyphs");
  if (F.name.size() > 255) throw FormatError(what + " has a name longer than 255 bytes");
  std::vector<std::vector<uint8_t>> glyphs;
  size_t glyphBytes = 0;
  for (const FontGlyph& g : F.glyphs) {
    glyphs.push_back(GlyphBytes(g.shape, Id));
    glyphBytes += glyphs.back().size();
  }
  const bool wideCodes = v3 || F.wideCodes ||
                         std::any_of(F.glyphs.begin(), F.glyphs.end(), [](const FontGlyph& g) { return g.code > 255; }) ||
                         std::any_of(F.kerning.begin(), F.kerning.end(),
                                     [](const KerningPair& k) { return k.left > 255 || k.right > 255; });
  const bool wideOffsets = (F.glyphs.size() + 1) * 2 + glyphBytes > 0xFFFF;
  BitWriter w;
  w.U16(Id);
  w.U8(static_cast<uint8_t>((F.hasLayout ? 0x80 : 0) | (F.shiftJis ? 0x40 : 0) | (F.smallText ? 0x20 : 0) |
                            (F.ansi ? 0x10 : 0) | (wideOffsets ? 0x08 : 0) | (wideCodes ? 0x04 : 0) |
                            (F.italic ? 0x02 : 0) | (F.bold ? 0x01 : 0)));
  w.U8(F.languageCode);
  w.U8(static_cast<uint8_t>(F.name.size()));
  w.Bytes(reinterpret_cast<const uint8_t*>(F.name.data()), F.name.size());
  w.U16(static_cast<uint16_t>(F.glyphs.size()));
  const size_t each = wideOffsets ? 4 : 2;
  size_t at = (F.glyphs.size() + 1) * each;
  for (size_t i = 0; i <= glyphs.size(); ++i) {  // one offset per glyph, then the code table's
    if (wideOffsets)
      w.U32(static_cast<uint32_t>(at));
    else
      w.U16(static_cast<uint16_t>(at));
    if (i < glyphs.size()) at += glyphs[i].size();
  }
  for (const auto& g : glyphs) w.Bytes(g);
  for (const FontGlyph& g : F.glyphs) WriteCode(w, g.code, wideCodes);
  if (F.hasLayout) {
    w.U16(static_cast<uint16_t>(F.ascent));
    w.U16(static_cast<uint16_t>(F.descent));
    w.U16(static_cast<uint16_t>(F.leading));
    for (const FontGlyph& g : F.glyphs) w.U16(static_cast<uint16_t>(g.advance));
    for (const FontGlyph& g : F.glyphs) WriteRect(w, g.bounds.Empty() ? Rect{0, 0, 0, 0} : g.bounds);
    if (F.kerning.size() > 65535) throw FormatError(what + " has more than 65535 kerning pairs");
    w.U16(static_cast<uint16_t>(F.kerning.size()));
    for (const KerningPair& k : F.kerning) {
      WriteCode(w, k.left, wideCodes);
      WriteCode(w, k.right, wideCodes);
      w.U16(static_cast<uint16_t>(k.adjustment));
    }
  }
  WriteTag(Out, v3 ? kDefineFont3 : kDefineFont2, w.bytes());
}

void WriteStaticText(BitWriter& Out, uint16_t Id, const StaticText& T) {
  const bool alpha = T.tagVersion >= 2 || std::any_of(T.runs.begin(), T.runs.end(),
                                                      [](const TextRun& r) { return r.color.a != 255; });
  int glyphBits = 0, advanceBits = 0;
  for (const TextRun& r : T.runs)
    for (const TextGlyph& g : r.glyphs) {
      glyphBits = std::max(glyphBits, UnsignedBits(g.index));
      advanceBits = std::max(advanceBits, SignedBits(g.advance));
    }
  if (glyphBits > 32 || advanceBits > 32) throw FormatError("text " + std::to_string(Id) + " has a glyph too large");
  BitWriter w;
  w.U16(Id);
  WriteRect(w, T.bounds.Empty() ? Rect{0, 0, 0, 0} : T.bounds);
  WriteMatrix(w, T.matrix);
  w.U8(static_cast<uint8_t>(glyphBits));
  w.U8(static_cast<uint8_t>(advanceBits));
  const char* pos = "text position";
  for (const TextRun& r : T.runs) {
    // A record holds at most 255 glyphs: longer runs go on in further records.
    double x = r.x;
    for (size_t first = 0; first < r.glyphs.size(); first += 255) {
      const size_t count = std::min<size_t>(255, r.glyphs.size() - first);
      w.U8(0x8F);  // font, colour, y and x each time
      w.U16(r.fontId);
      w.U8(r.color.r);
      w.U8(r.color.g);
      w.U8(r.color.b);
      if (alpha) w.U8(r.color.a);
      w.U16(static_cast<uint16_t>(ToInt(x, 32767, pos)));
      w.U16(static_cast<uint16_t>(ToInt(r.y, 32767, pos)));
      w.U16(r.height);
      w.U8(static_cast<uint8_t>(count));
      for (size_t i = first; i < first + count; ++i) {
        w.UB(r.glyphs[i].index, glyphBits);
        w.SB(r.glyphs[i].advance, advanceBits);
        x += r.glyphs[i].advance;
      }
      w.Align();
    }
  }
  w.U8(0);  // end of records
  WriteTag(Out, alpha ? kDefineText2 : kDefineText, w.bytes());
}

}  // namespace swf::writer
