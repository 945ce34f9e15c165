// Building fonts and laying out static text for swfc.
#include "tools/swfc/text_build.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "renderers/engine/truetype_fonts.h"

namespace swfc {
namespace {

int16_t EmUnits(double V) { return static_cast<int16_t>(std::clamp(std::lround(V), -32768L, 32767L)); }

const swf::FontGlyph* FindGlyph(const swf::Font& F, char32_t Code, size_t& Index) {
  for (size_t i = 0; i < F.glyphs.size(); ++i)
    if (F.glyphs[i].code == Code) {
      Index = i;
      return &F.glyphs[i];
    }
  return nullptr;
}

double KerningOf(const swf::Font& F, char32_t Left, char32_t Right) {
  for (const swf::KerningPair& k : F.kerning)
    if (k.left == Left && k.right == Right) return k.adjustment;
  return 0;
}

}  // namespace

std::u32string DecodeUtf8(const std::string& Text) {
  std::u32string out;
  for (size_t i = 0; i < Text.size();) {
    const auto b = static_cast<unsigned char>(Text[i]);
    const int extra = b < 0x80 ? 0 : (b >> 5) == 0x6 ? 1 : (b >> 4) == 0xE ? 2 : (b >> 3) == 0x1E ? 3 : -1;
    char32_t c = extra == 0 ? b : extra == 1 ? b & 0x1F : extra == 2 ? b & 0x0F : b & 0x07;
    bool ok = extra >= 0 && i + static_cast<size_t>(extra) < Text.size();
    for (int k = 1; ok && k <= extra; ++k) {
      const auto n = static_cast<unsigned char>(Text[i + static_cast<size_t>(k)]);
      if ((n & 0xC0) != 0x80) ok = false;
      else c = (c << 6) | (n & 0x3F);
    }
    out.push_back(ok ? c : U'\uFFFD');
    i += ok ? static_cast<size_t>(extra) + 1 : 1;
  }
  return out;
}

swf::Font FontFromFile(const std::string& Path, const std::string& Chars) {
  const auto face = swf::TrueTypeFace::Open(Path);
  if (!face) throw std::runtime_error("'" + Path + "' is not a TrueType font file");
  swf::Font f;
  f.tagVersion = 3;
  f.emSize = kFontEm;
  f.wideCodes = true;
  f.hasLayout = true;
  const swf::DeviceFontMetrics m = face->Metrics(kFontEm);
  f.ascent = EmUnits(m.ascent);
  f.descent = EmUnits(m.descent);
  f.leading = EmUnits(m.leading);
  std::u32string codes;
  for (char32_t c : DecodeUtf8(Chars))
    if (c <= 0xFFFF && face->HasGlyph(c) && codes.find(c) == std::u32string::npos) codes.push_back(c);
  for (char32_t c : codes) {
    auto g = face->Glyph(c, kFontEm);
    if (!g) continue;
    swf::FontGlyph glyph;
    glyph.shape = std::move(g->shape);
    // Outlines are stored in whole em units.
    for (swf::Path& p : glyph.shape.paths) {
      p.start = {std::round(p.start.x), std::round(p.start.y)};
      for (swf::Edge& e : p.edges) {
        e.anchor = {std::round(e.anchor.x), std::round(e.anchor.y)};
        e.control = {std::round(e.control.x), std::round(e.control.y)};
      }
    }
    glyph.code = static_cast<char16_t>(c);
    glyph.advance = EmUnits(g->advance);
    glyph.bounds = face->GlyphBounds(c, kFontEm);
    f.glyphs.push_back(std::move(glyph));
  }
  for (char32_t l : codes)
    for (char32_t r : codes)
      if (const double k = face->Kerning(l, r, kFontEm); std::lround(k) != 0)
        f.kerning.push_back({static_cast<char16_t>(l), static_cast<char16_t>(r), EmUnits(k)});
  return f;
}

void FinishHandFont(swf::Font& F) {
  F.tagVersion = 3;
  F.emSize = kFontEm;
  F.wideCodes = true;
  F.hasLayout = true;
  for (swf::FontGlyph& g : F.glyphs) {
    g.bounds = {};
    for (const swf::Path& p : g.shape.paths) {
      g.bounds.Include(p.start);
      for (const swf::Edge& e : p.edges) g.bounds.Include(e.anchor);
    }
    g.shape.bounds = g.bounds;
  }
}

swf::TextRun LayOutRun(const swf::Font& F, uint16_t FontId, double Height, swf::RGBA Color, const std::u32string& Text,
                       double X, double Y) {
  swf::TextRun run;
  run.fontId = FontId;
  run.color = Color;
  run.x = X;
  run.y = Y;
  run.height = static_cast<uint16_t>(std::lround(Height));
  const double scale = Height / F.emSize;
  // Advances are rounded as they accumulate so the glyphs do not drift.
  double exact = 0;
  long placed = 0;
  for (size_t i = 0; i < Text.size(); ++i) {
    size_t index = 0;
    const swf::FontGlyph* g = FindGlyph(F, Text[i], index);
    if (!g) {
      std::string name;
      if (Text[i] < 0x80) name = std::string(1, static_cast<char>(Text[i]));
      else name = "U+" + std::to_string(static_cast<uint32_t>(Text[i]));
      throw std::runtime_error("the font has no glyph for '" + name + "'");
    }
    exact += (g->advance + (i + 1 < Text.size() ? KerningOf(F, Text[i], Text[i + 1]) : 0)) * scale;
    const long advance = std::lround(exact) - placed;
    placed += advance;
    run.glyphs.push_back({static_cast<uint32_t>(index), static_cast<int32_t>(advance)});
  }
  return run;
}

swf::Rect RunBounds(const swf::Font& F, const swf::TextRun& Run) {
  swf::Rect r;
  const double scale = Run.height / F.emSize;
  double x = Run.x;
  for (const swf::TextGlyph& g : Run.glyphs) {
    if (g.index < F.glyphs.size()) {
      const swf::Rect& b = F.glyphs[g.index].bounds;
      if (!b.Empty()) r.Include(swf::Rect{x + b.xmin * scale, Run.y + b.ymin * scale, x + b.xmax * scale, Run.y + b.ymax * scale});
    }
    x += g.advance;
  }
  return r;
}

}  // namespace swfc
