// Reading fonts and static text from hand-written tags: every version of the
// font tags with narrow and wide offsets and codes, layout and kerning, the
// font info tags, text records; and every cut-off of each.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "renderers/engine/reader.h"
#include "reader_bytes.h"

namespace {

using swftest::Bits;
using swftest::Bytes;
using swftest::Cat;
using swftest::Tag;

// A glyph outline: a closed polygon of straight edges, filled on its right
// with style 1, in em units.
Bytes Glyph(const std::vector<std::pair<int, int>>& Pts) {
  Bits b;
  b.U8(0x10);  // one fill bit, no line bits
  b.UB(0, 1).UB(0x05, 5).UB(14, 5).SB(Pts[0].first, 14).SB(Pts[0].second, 14).UB(1, 1);
  for (size_t i = 1; i <= Pts.size(); ++i) {
    const auto& from = Pts[i - 1];
    const auto& to = Pts[i % Pts.size()];
    b.UB(1, 1).UB(1, 1).UB(12, 4).UB(1, 1).SB(to.first - from.first, 14).SB(to.second - from.second, 14);
  }
  b.UB(0, 6);
  return b.Align();
}
const Bytes kSquare = Glyph({{0, -1024}, {1024, -1024}, {1024, 0}, {0, 0}});
const Bytes kTriangle = Glyph({{0, 0}, {512, -1024}, {1024, 0}});

Bytes Offsets(const std::vector<Bytes>& Glyphs, bool Wide, bool WithCodeTable) {
  const size_t each = Wide ? 4 : 2;
  size_t at = each * (Glyphs.size() + (WithCodeTable ? 1 : 0));
  Bits b;
  for (const Bytes& g : Glyphs) {
    Wide ? b.U32(static_cast<uint32_t>(at)) : b.U16(static_cast<uint32_t>(at));
    at += g.size();
  }
  if (WithCodeTable) Wide ? b.U32(static_cast<uint32_t>(at)) : b.U16(static_cast<uint32_t>(at));
  for (const Bytes& g : Glyphs) b.Raw(g);
  return b;
}

struct FontLayout {
  bool wideCodes;
  std::vector<int> kerning;  // left, right, adjustment, ...
};

// DefineFont2/3 of the square and the triangle with codes 'A' and 'B'.
Bytes Font2(uint16_t Id, uint8_t Flags, const std::string& Name, bool WithLayout) {
  const bool wideOffsets = Flags & 0x08, wideCodes = Flags & 0x04;
  Bits b;
  b.U16(Id).U8(Flags | (WithLayout ? 0x80 : 0)).U8(1).U8(static_cast<uint32_t>(Name.size()));
  for (char c : Name) b.U8(static_cast<uint8_t>(c));
  b.U16(2).Raw(Offsets({kSquare, kTriangle}, wideOffsets, true));
  for (char c : std::string("AB")) wideCodes ? b.U16(static_cast<uint8_t>(c)) : b.U8(static_cast<uint8_t>(c));
  if (WithLayout) {
    b.U16(900).U16(200).U16(30).U16(1100).U16(1000);
    b.Rect(0, 1024, -1024, 0, 13).Rect(0, 1024, -1024, 0, 13);
    b.U16(1);
    wideCodes ? b.U16('A').U16('B') : b.U8('A').U8('B');
    b.U16(static_cast<uint16_t>(-70));
  }
  return b;
}

struct FontCase {
  const char* what;
  std::vector<Bytes> tags;  // bodies are cut in the last tag
  std::string name;
  std::vector<char16_t> codes;
  double emSize;
  bool layout;
  uint8_t tagVersion;
};

std::vector<FontCase> FontCases() {
  const Bytes font1 = Tag(10, Cat({Bits().U16(1), Offsets({kSquare, kTriangle}, false, false)}));
  return {
      {"DefineFont alone", {font1}, "", {0, 0}, 1024, false, 1},
      {"DefineFont with 8-bit font info",
       {font1, Tag(13, Bits().U16(1).U8(4).Str("Han").U8(0x06).U8('A').U8('B'))},
       "Han", {'A', 'B'}, 1024, false, 1},
      {"DefineFont with 16-bit font info",
       {font1, Tag(13, Bits().U16(1).U8(3).U8('H').U8('a').U8('n').U8(0x01).U16(0x4E00).U16('B'))},
       "Han", {0x4E00, 'B'}, 1024, false, 1},
      {"DefineFont with font info 2",
       {font1, Tag(62, Bits().U16(1).U8(3).U8('H').U8('a').U8('n').U8(0x01).U8(2).U16('A').U16('B'))},
       "Han", {'A', 'B'}, 1024, false, 1},
      {"DefineFont2 narrow offsets, 8-bit codes", {Tag(48, Font2(1, 0x00, "Sq", false))}, "Sq", {'A', 'B'}, 1024,
       false, 2},
      {"DefineFont2 wide offsets, 16-bit codes", {Tag(48, Font2(1, 0x0C, "Sq", false))}, "Sq", {'A', 'B'}, 1024,
       false, 2},
      {"DefineFont2 layout, 8-bit kerning", {Tag(48, Font2(1, 0x00, "Sq", true))}, "Sq", {'A', 'B'}, 1024, true, 2},
      {"DefineFont2 layout, 16-bit kerning, wide offsets", {Tag(48, Font2(1, 0x0C, "Sq", true))}, "Sq", {'A', 'B'},
       1024, true, 2},
      {"DefineFont3 layout", {Tag(75, Font2(1, 0x04, "Sq", true))}, "Sq", {'A', 'B'}, 20480, true, 3},
  };
}

std::shared_ptr<const swf::Movie> Load(const std::vector<Bytes>& Tags) {
  Bytes all;
  for (const Bytes& t : Tags) all = Cat({all, t});
  const Bytes movie = swftest::Movie(all);
  return swf::LoadMovie(movie.data(), movie.size());
}

TEST(ReaderFonts, EveryVersionReadsGlyphsCodesAndLayout) {
  for (const FontCase& c : FontCases()) {
    SCOPED_TRACE(c.what);
    const auto m = Load(c.tags);
    const auto& f = std::get<swf::Font>(m->dictionary.at(1));
    EXPECT_EQ(f.name, c.name);
    EXPECT_EQ(f.emSize, c.emSize);
    EXPECT_EQ(f.tagVersion, c.tagVersion);
    ASSERT_EQ(f.glyphs.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
      EXPECT_EQ(f.glyphs[i].code, c.codes[i]);
      const swf::Shape& s = f.glyphs[i].shape;
      ASSERT_EQ(s.fills.size(), 1u);
      EXPECT_EQ(s.fills[0].color, (swf::RGBA{255, 255, 255, 255}));
      ASSERT_EQ(s.paths.size(), 1u);
      EXPECT_EQ(s.paths[0].fill1, 1u);
      EXPECT_EQ(s.paths[0].edges.size(), i == 0 ? 4u : 3u);
    }
    EXPECT_EQ(f.glyphs[0].shape.bounds, (swf::Rect{0, -1024, 1024, 0}));
    EXPECT_EQ(f.glyphs[1].shape.paths[0].edges[0].anchor, (swf::Point{512, -1024}));
    EXPECT_EQ(f.hasLayout, c.layout);
    if (c.layout) {
      EXPECT_EQ(f.ascent, 900);
      EXPECT_EQ(f.descent, 200);
      EXPECT_EQ(f.leading, 30);
      EXPECT_EQ(f.glyphs[0].advance, 1100);
      EXPECT_EQ(f.glyphs[1].advance, 1000);
      EXPECT_EQ(f.glyphs[1].bounds, (swf::Rect{0, -1024, 1024, 0}));
      EXPECT_EQ(f.kerning, (std::vector<swf::KerningPair>{{'A', 'B', -70}}));
    }
    EXPECT_TRUE(m->loadNotes.empty());
  }
}

TEST(ReaderFonts, DeviceFontAndIgnoredTags) {
  const auto m = Load({Tag(48, Bits().U16(3).U8(0x03).U8(0).U8(5).U8('_').U8('s').U8('a').U8('n').U8('s').U16(0)),
                       Tag(73, Bits().U16(3).U8(0)), Tag(74, Bytes(12, 0)), Tag(88, Bits().U16(3).Str("S").Str(""))});
  const auto& f = std::get<swf::Font>(m->dictionary.at(3));
  EXPECT_EQ(f.name, "_sans");
  EXPECT_TRUE(f.bold && f.italic);
  EXPECT_TRUE(f.glyphs.empty());
  EXPECT_TRUE(m->loadNotes.empty());
  // A device font with a code table offset of 0 and a layout.
  const auto d = Load({Tag(48, Bits().U16(4).U8(0x80).U8(0).U8(1).U8('x').U16(0).U16(0).U16(800).U16(100).U16(0).U16(0))});
  EXPECT_EQ(std::get<swf::Font>(d->dictionary.at(4)).ascent, 800);
  EXPECT_TRUE(d->loadNotes.empty());
  // Font info and alignment zones for a font that is not there are noted.
  const auto n = Load({Tag(13, Bits().U16(7).U8(1).U8('x').U8(0)), Tag(73, Bits().U16(7).U8(0))});
  EXPECT_EQ(n->loadNotes.size(), 2u);
}

// Each cut-off of the last tag either refuses the movie with an error that
// names the font, or loads it with a note or with less than the whole font.
TEST(ReaderFonts, EveryCutOffIsRefusedOrNoted) {
  for (const FontCase& c : FontCases()) {
    SCOPED_TRACE(c.what);
    const Bytes& whole = c.tags.back();
    const size_t headerSize = (whole[0] & 0x3F) == 0x3F ? 6 : 2;
    const Bytes body(whole.begin() + static_cast<std::ptrdiff_t>(headerSize), whole.end());
    const uint16_t code = static_cast<uint16_t>((whole[0] | whole[1] << 8) >> 6);
    for (size_t n = 2; n < body.size(); ++n) {
      SCOPED_TRACE(n);
      std::vector<Bytes> tags(c.tags.begin(), c.tags.end() - 1);
      tags.push_back(Tag(code, Bytes(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(n))));
      try {
        const auto m = Load(tags);
        const auto& f = std::get<swf::Font>(m->dictionary.at(1));
        const bool less = f.glyphs.size() < 2 || (c.layout && !f.hasLayout) || f.name != c.name;
        EXPECT_TRUE(!m->loadNotes.empty() || less);
      } catch (const swf::FormatError& e) {
        EXPECT_NE(std::string(e.what()).find("font 1"), std::string::npos) << e.what();
      }
    }
  }
}

// A font whose offset table claims more glyphs than the tag holds.
TEST(ReaderFonts, OffsetTablesThatDoNotFitAreRefused) {
  const std::vector<Bytes> bodies = {
      Bits().U16(1).U16(200).U16(4),                                     // DefineFont: 100 glyphs in 4 bytes
      Bits().U16(1).U8(0).U8(0).U8(0).U16(500).U16(4).U16(4),            // DefineFont2: 500 glyphs
      Cat({Bits().U16(1).U8(0).U8(0).U8(0).U16(1).U16(4).U16(90), kSquare}),  // code table past the end
  };
  for (size_t i = 0; i < bodies.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_THROW(Load({Tag(i == 0 ? 10 : 48, bodies[i])}), swf::FormatError);
  }
}

// DefineText records: each changes some styles; the others carry over, and
// a record without an x offset goes on where the one before ended.
TEST(ReaderStaticText, RecordsResolveIntoRuns) {
  struct Case {
    const char* what;
    Bytes records;
    std::vector<swf::TextRun> runs;
  };
  const swf::RGBA red{255, 0, 0, 255}, halfBlue{0, 0, 255, 128}, black{0, 0, 0, 255};
  const std::vector<Case> cases{
      {"font, colour, offsets",
       Cat({Bits().U8(0x8F).U16(1).Rgb(255, 0, 0).U16(100).U16(400).U16(240).U8(2), Bits().UB(0, 4).SB(300, 12).UB(1, 4).SB(-5, 12).Align()}),
       {{1, red, 100, 400, 240, {{0, 300}, {1, -5}}}}},
      {"a second record goes on at the pen",
       Cat({Bits().U8(0x8F).U16(1).Rgb(255, 0, 0).U16(100).U16(400).U16(240).U8(1), Bits().UB(1, 4).SB(300, 12).Align(),
            Bits().U8(0x82).U16(800).U8(1), Bits().UB(0, 4).SB(50, 12).Align()}),
       {{1, red, 100, 400, 240, {{1, 300}}}, {1, red, 400, 800, 240, {{0, 50}}}}},
      {"no font: black, height 0", Cat({Bits().U8(0x80).U8(1), Bits().UB(0, 4).SB(1, 12).Align()}),
       {{0, black, 0, 0, 0, {{0, 1}}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Bytes body = Cat({Bits().U16(5).Rect(0, 2000, -400, 100, 13).Identity().U8(4).U8(12), c.records, Bits().U8(0)});
    const auto m = Load({Tag(11, body)});
    EXPECT_EQ(std::get<swf::StaticText>(m->dictionary.at(5)).runs, c.runs);
    for (size_t n = 2; n < body.size(); ++n) {  // cut-offs: fewer runs or an error
      const Bytes cut(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(n));
      try {
        const auto k = Load({Tag(11, cut)});
        EXPECT_LE(std::get<swf::StaticText>(k->dictionary.at(5)).runs.size(), c.runs.size());
      } catch (const swf::FormatError&) {
      }
    }
  }
  // DefineText2 colours carry alpha.
  const Bytes body2 = Cat({Bits().U16(5).Rect(0, 20, 0, 20, 6).Identity().U8(1).U8(8),
                           Bits().U8(0x8C).U16(2).Rgba(0, 0, 255, 128).U16(100).U8(1), Bits().UB(1, 1).SB(7, 8).Align(),
                           Bits().U8(0)});
  const auto m = Load({Tag(33, body2)});
  EXPECT_EQ(std::get<swf::StaticText>(m->dictionary.at(5)).runs,
            (std::vector<swf::TextRun>{{2, halfBlue, 0, 0, 100, {{1, 7}}}}));
}

}  // namespace
