// Text field layout on square glyphs: at 200 twips a character advances 100
// twips (a space or 'i' 50), lines are 160 + 40 twips high, and the text
// starts 40 twips inside the field on every side.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "renderers/engine/src/text/html_text.h"
#include "renderers/engine/src/text/text_layout.h"
#include "text_test_face.h"

using namespace swf::detail;

namespace {

struct Laid {
  std::vector<double> xs;       // glyph origins
  std::vector<double> lineXs, baselines;
  std::vector<size_t> counts;   // glyphs per line
};

Laid Lay(const std::string& Text, swf::TextAlign Align = swf::TextAlign::Left, double Width = 580, bool Wrap = true,
         bool Multiline = true, ParaFormat Para = {}) {
  static text_test::SquareFace face;
  Para.align = Align;
  TextSpan span{DecodeUtf8(Text), CharFormat{}, Para};
  span.format.size = 200;
  const TextBox box{{0, 0, Width, 2000}, Wrap, Multiline, false};
  const TextLayout l = LayOutText(box, {span}, [](const CharFormat&) { return &face; });
  Laid out;
  for (const PlacedGlyph& g : l.glyphs) out.xs.push_back(g.x);
  for (const TextLine& line : l.lines) {
    out.lineXs.push_back(line.x);
    out.baselines.push_back(line.baseline);
    out.counts.push_back(line.glyphCount);
  }
  return out;
}

using V = std::vector<double>;
using C = std::vector<size_t>;

}  // namespace

TEST(TextLayout, BreaksLinesAtSpacesNewlinesAndOverlongWords) {
  // 500 twips of room: five characters.
  struct Case {
    const char* text;
    bool wrap, multiline;
    C counts;
  };
  for (const Case& c : {
           Case{"AAA AAA AA", true, true, {3, 3, 2}},
           Case{"AAAAAAA", true, true, {5, 2}},
           Case{"AA AA", true, true, {4}},
           Case{"AAA AAA AA", false, true, {8}},
           Case{"A\nB\r\nC\rD", false, true, {1, 1, 1, 1}},
           Case{"A\nB", true, false, {1}},
           Case{"\n", false, true, {0, 0}},
           Case{"", false, true, {0}},
           Case{"AA     AA", true, true, {2, 2}},
       }) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Lay(c.text, swf::TextAlign::Left, 580, c.wrap, c.multiline).counts, c.counts);
  }
  const Laid l = Lay("AAA AAA AA");
  EXPECT_EQ(l.baselines, (V{200, 400, 600}));
  EXPECT_EQ(l.xs, (V{40, 140, 240, 40, 140, 240, 40, 140}));
}

TEST(TextLayout, AlignsLinesWithinTheRoomLeft) {
  struct Case {
    swf::TextAlign align;
    const char* text;
    V xs;
  };
  for (const Case& c : {
           Case{swf::TextAlign::Left, "AA", {40, 140}},
           Case{swf::TextAlign::Right, "AA", {340, 440}},
           Case{swf::TextAlign::Center, "AA", {190, 290}},
           Case{swf::TextAlign::Right, "AA  ", {340, 440}},  // trailing spaces take no room
           // The first line spreads its spaces to fill 500 twips; the last stays left.
           Case{swf::TextAlign::Justify, "A A A AAA", {40, 240, 440, 40, 140, 240}},
       }) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Lay(c.text, c.align).xs, c.xs);
  }
}

TEST(TextLayout, MarginsIndentLeadingAndKerning) {
  ParaFormat p;
  p.leftMargin = 20;
  p.rightMargin = 80;
  p.indent = 30;
  p.leading = 60;
  // 400 twips of room (370 on the first line): three, then four characters.
  const Laid l = Lay("AAA AAAA\nA", swf::TextAlign::Left, 580, true, true, p);
  EXPECT_EQ(l.counts, (C{3, 4, 1}));
  EXPECT_EQ(l.lineXs, (V{90, 60, 90}));
  EXPECT_EQ(l.baselines, (V{200, 460, 720}));
  EXPECT_EQ(Lay("AVA").xs, (V{40, 120, 220}));
  EXPECT_EQ(Lay("AiA").xs, (V{40, 140, 190}));
}

TEST(TextLayout, PasswordsShowAsterisksAndFacesComeFromEachSpan) {
  text_test::SquareFace face;
  TextSpan big{U"AB", {}, {}}, small{U"C", {}, {}};
  big.format.size = 400;
  small.format.size = 200;
  small.format.color = {1, 2, 3, 255};
  const TextBox box{{0, 0, 4000, 2000}, false, true, true};
  const TextLayout l = LayOutText(box, {big, small}, [&](const CharFormat&) { return &face; });
  ASSERT_EQ(l.glyphs.size(), 3u);
  for (const PlacedGlyph& g : l.glyphs) EXPECT_EQ(g.shape, face.ShapeOf(U'*'));
  EXPECT_EQ(l.glyphs[1].x, 240);
  EXPECT_EQ(l.glyphs[2].x, 440);
  EXPECT_EQ(l.glyphs[2].color, (swf::RGBA{1, 2, 3, 255}));
  EXPECT_EQ(l.glyphs[2].scale, 0.2);
  ASSERT_EQ(l.lines.size(), 1u);
  EXPECT_EQ(l.lines[0].ascent, 320);  // the larger span's
  // A span without a face takes room in height only.
  const TextLayout none = LayOutText(box, {big}, [](const CharFormat&) { return nullptr; });
  EXPECT_TRUE(none.glyphs.empty());
  EXPECT_EQ(none.lines.size(), 1u);
}

TEST(TextLayout, UnderlinesRunUnderTheirCharactersOnEachLine) {
  text_test::SquareFace face;
  CharFormat base;
  base.size = 200;
  const auto spans = ParseHtmlText("a<u>bc d<font color='#FF0000'>e</font> ff</u> g", base, ParaFormat{});
  const TextBox box{{0, 0, 680, 2000}, true, true, false};
  const TextLayout l = LayOutText(box, spans, [&](const CharFormat&) { return &face; });
  // "abc de " fits 600 twips; "ff g" goes on the next line.
  std::vector<std::vector<double>> got;
  for (const Underline& u : l.underlines) got.push_back({u.rect.xmin, u.rect.xmax, u.rect.ymin, u.rect.ymax});
  EXPECT_EQ(got, (std::vector<std::vector<double>>{
                     {140, 490, 212.5, 232.5}, {490, 590, 212.5, 232.5}, {40, 240, 412.5, 432.5}}));
  EXPECT_EQ(l.underlines[1].color, (swf::RGBA{255, 0, 0, 255}));
}

TEST(TextLayout, Utf8DecodingReplacesMalformedSequences) {
  struct Case {
    std::string in;
    std::u32string out;
  };
  for (const Case& c : {Case{"a\xC3\xA9", U"a\u00E9"}, Case{"\xE2\x82\xAC", U"\u20AC"},
                        Case{"\xF0\x9F\x98\x80", U"\U0001F600"}, Case{"\xC3", U"\uFFFD"},
                        Case{"\xC0\x80", U"\uFFFD\uFFFD"}, Case{"\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},
                        Case{"\xFF" "a", U"\uFFFDa"}})
    EXPECT_EQ(DecodeUtf8(c.in), c.out) << c.in;
}
