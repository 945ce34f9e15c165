// DefineFont 1 to 3 and the tags that add to a font (DefineFontInfo 1 and 2,
// DefineFontAlignZones): glyph outlines, code tables and layout.
#include <algorithm>
#include <string>
#include <vector>

#include "renderers/engine/src/reader/loader.h"

namespace swf::detail {
namespace {

std::string FontName(uint16_t Id) { return "font " + std::to_string(Id); }

void AddNote(LoadState& L, std::string Text) {
  constexpr size_t kMaxNotes = 64;  // as many as the tag loop keeps
  if (L.movie->loadNotes.size() < kMaxNotes) L.movie->loadNotes.push_back(std::move(Text));
}

// Names are stored with a byte count; writers often count a NUL as well.
std::string ReadCountedName(Stream& S) {
  const size_t n = S.U8();
  if (n > S.Remaining()) Fail("font name runs past the tag", S.Offset());
  std::string name(reinterpret_cast<const char*>(S.Here()), n);
  S.Skip(n);
  while (!name.empty() && name.back() == '\0') name.pop_back();
  return name;
}

// Glyph I spans from Offsets[I] to the end of the glyph area (a glyph ends
// with its end record, so the next offset need not be trusted). Offsets are
// counted from Table, the start of the offset table.
void ReadGlyphs(const Stream& Table, const std::vector<uint32_t>& Offsets, size_t AreaEnd, uint16_t Id, Font& F,
                LoadState& L) {
  L.Charge(Offsets.size() * sizeof(FontGlyph), Table.Offset());
  F.glyphs.resize(Offsets.size());
  for (size_t i = 0; i < Offsets.size(); ++i) {
    if (Offsets[i] > AreaEnd)
      Fail(FontName(Id) + ": glyph " + std::to_string(i) + " lies past its tag", Table.Offset());
    Stream g(Table.Here() + Offsets[i], AreaEnd - Offsets[i], Table.Offset() + Offsets[i]);
    F.glyphs[i].shape = ReadGlyphShape(g, L);
  }
}

// Runs Read, turning its FormatError into one that names the font.
template <typename Fn>
void NamingFont(uint16_t Id, Fn&& Read) {
  try {
    Read();
  } catch (const FormatError& e) {
    const std::string what = e.what();
    if (what.rfind(FontName(Id) + ":", 0) == 0) throw;
    throw FormatError(FontName(Id) + ": " + what);
  }
}

Font* FindFont(LoadState& L, uint16_t Id) {
  const auto it = L.movie->dictionary.find(Id);
  return it == L.movie->dictionary.end() ? nullptr : std::get_if<Font>(&it->second);
}

void ReadLayout(Stream& S, bool WideCodes, Font& F, LoadState& L) {
  const auto ascent = S.U16(), descent = S.U16();
  F.ascent = static_cast<int16_t>(std::min<uint16_t>(ascent, 0x7FFF));
  F.descent = static_cast<int16_t>(std::min<uint16_t>(descent, 0x7FFF));
  F.leading = static_cast<int16_t>(S.U16());
  for (FontGlyph& g : F.glyphs) g.advance = static_cast<int16_t>(S.U16());
  for (FontGlyph& g : F.glyphs) g.bounds = S.ReadRect();
  const size_t kerning = S.U16();
  const size_t each = WideCodes ? 6 : 4;
  if (kerning * each > S.Remaining()) Fail("kerning table runs past the tag", S.Offset());
  L.Charge(kerning * sizeof(KerningPair), S.Offset());
  F.kerning.reserve(kerning);
  for (size_t i = 0; i < kerning; ++i) {
    KerningPair k;
    k.left = WideCodes ? S.U16() : S.U8();
    k.right = WideCodes ? S.U16() : S.U8();
    k.adjustment = static_cast<int16_t>(S.U16());
    F.kerning.push_back(k);
  }
  F.hasLayout = true;
}

// A cut-off layout leaves the glyphs usable: the font is kept without it.
void ReadLayoutOrNote(Stream& S, uint16_t Id, Font& F, LoadState& L) {
  try {
    Font laid = F;
    ReadLayout(S, F.wideCodes, laid, L);
    F = std::move(laid);
  } catch (const FormatError& e) {
    AddNote(L, FontName(Id) + ": layout dropped: " + e.what());
  }
}

}  // namespace

Font ReadDefineFont(Stream& S, uint16_t Id, LoadState& L) {
  Font f;
  NamingFont(Id, [&] {
    const Stream table = S;
    if (S.AtEnd()) return;  // no glyphs at all
    const uint32_t first = S.U16();
    if (first % 2 != 0 || first == 0) Fail("offset table of " + std::to_string(first) + " bytes", table.Offset());
    const size_t count = first / 2;
    const size_t size = table.Remaining();
    if (first > size) Fail(std::to_string(count) + " glyphs do not fit the tag", table.Offset());
    std::vector<uint32_t> offsets{first};
    for (size_t i = 1; i < count; ++i) offsets.push_back(S.U16());
    ReadGlyphs(table, offsets, size, Id, f, L);
  });
  return f;
}

Font ReadDefineFont2(Stream& S, uint16_t Id, int Version, LoadState& L) {
  Font f;
  f.tagVersion = static_cast<uint8_t>(Version);
  f.emSize = Version >= 3 ? 20480 : 1024;
  NamingFont(Id, [&] {
    const uint8_t flags = S.U8();
    const bool hasLayout = flags & 0x80, wideOffsets = flags & 0x08;
    f.shiftJis = flags & 0x40;
    f.smallText = flags & 0x20;
    f.ansi = flags & 0x10;
    f.wideCodes = (flags & 0x04) || Version >= 3;
    f.italic = flags & 0x02;
    f.bold = flags & 0x01;
    f.languageCode = S.U8();
    f.name = ReadCountedName(S);
    const size_t count = S.U16();
    const Stream table = S;
    const size_t offsetSize = wideOffsets ? 4 : 2;
    // A font without glyphs (a device font) may leave out the code table offset.
    if (count == 0 && S.Remaining() < offsetSize) return;
    if ((count + 1) * offsetSize > S.Remaining())
      Fail(std::to_string(count) + " glyphs do not fit the tag", table.Offset());
    std::vector<uint32_t> offsets(count);
    for (uint32_t& o : offsets) o = wideOffsets ? S.U32() : S.U16();
    const uint32_t codeTable = wideOffsets ? S.U32() : S.U16();
    if (count == 0) {
      // Nothing to find at the code table offset, which writers set loosely here.
      if (hasLayout) ReadLayoutOrNote(S, Id, f, L);
      return;
    }
    if (codeTable > table.Remaining() || codeTable < (count + 1) * offsetSize)
      Fail("code table offset " + std::to_string(codeTable) + " lies outside the tag", table.Offset());
    ReadGlyphs(table, offsets, codeTable, Id, f, L);
    S = table;
    S.Skip(codeTable);
    for (FontGlyph& g : f.glyphs) g.code = f.wideCodes ? S.U16() : S.U8();
    if (hasLayout) ReadLayoutOrNote(S, Id, f, L);
  });
  return f;
}

void ReadFontInfo(Stream& S, int Version, LoadState& L, size_t At) {
  const uint16_t id = S.U16();
  Font* font = FindFont(L, id);
  if (!font) {
    AddNote(L, "font info for " + FontName(id) + ", which is not a font defined before it, at offset " +
                   std::to_string(At) + ": ignored");
    return;
  }
  Font f = *font;
  NamingFont(id, [&] {
    f.name = ReadCountedName(S);
    const uint8_t flags = S.U8();
    f.smallText = flags & 0x20;
    f.shiftJis = flags & 0x10;
    f.ansi = flags & 0x08;
    f.italic = flags & 0x04;
    f.bold = flags & 0x02;
    f.wideCodes = (flags & 0x01) || Version >= 2;
    if (Version >= 2) f.languageCode = S.U8();
  });
  // The code table: as many codes as the tag holds, up to one per glyph.
  const size_t each = f.wideCodes ? 2 : 1;
  const size_t codes = std::min(f.glyphs.size(), S.Remaining() / each);
  if (codes < f.glyphs.size())
    AddNote(L, FontName(id) + ": font info holds " + std::to_string(codes) + " codes for " +
                   std::to_string(f.glyphs.size()) + " glyphs");
  for (size_t i = 0; i < codes; ++i) f.glyphs[i].code = f.wideCodes ? S.U16() : S.U8();
  *font = std::move(f);
}

void ReadFontAlignZones(Stream& S, LoadState& L, size_t At) {
  const uint16_t id = S.U16();
  const Font* font = FindFont(L, id);
  std::string problem;
  if (!font) {
    problem = "is not a font defined before it";
  } else {
    try {
      S.U8();  // hint for the thickness of strokes
      for (size_t i = 0; i < font->glyphs.size(); ++i) {
        const size_t zones = S.U8();
        S.Skip(zones * 4 + 1);  // two half floats per zone, then the x and y mask
      }
    } catch (const FormatError&) {
      problem = "has alignment zones that run past the tag";
    }
  }
  // Alignment zones only help small text fit the pixel grid; they are not used.
  if (!problem.empty())
    AddNote(L, FontName(id) + " " + problem + " (alignment zones at offset " + std::to_string(At) + "): ignored");
}

}  // namespace swf::detail
