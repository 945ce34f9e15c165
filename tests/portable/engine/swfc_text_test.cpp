// Fonts and static text in movie descriptions: hand-made glyphs, device
// fonts and runs of text survive writing and reading; mistakes name their line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "renderers/engine/reader.h"
#include "renderers/engine/writer.h"
#include "tools/swfc/compile.h"

namespace {

// Font 1: "a" a square (advance 1100), "b" a triangle (advance 600), both
// in a 1024 em; kerning none.
const std::string kFont =
    "font sq bold\n"
    "  ascent 900\n"
    "  descent 200\n"
    "  glyph a advance 1100\n"
    "    moveto 0 -1024\n    lineto 1024 -1024\n    lineto 1024 0\n    lineto 0 0\n    close\n"
    "  end\n"
    "  glyph b advance 600\n"
    "    moveto 0 0\n    curveto 256 -1024 512 -1024\n    lineto 600 0\n    close\n"
    "  end\n"
    "end\n";  // lines 1-17

std::shared_ptr<const swf::Movie> Build(const std::string& Text) {
  const auto bytes = swfc::Compile(Text);
  return swf::LoadMovie(bytes.data(), bytes.size());
}

TEST(SwfcText, HandMadeFontsAndRunsSurviveWritingAndReading) {
  struct Case {
    const char* what;
    std::string text;  // the text block after the font
    std::vector<swf::TextRun> runs;
    swf::Matrix matrix;
  };
  const swf::RGBA red{255, 0, 0, 255}, blue{0, 0, 255, 128};
  const std::vector<Case> cases{
      {"advances scale with the size", "text t\n  run sq 20 red \"aab\"\nend\n",
       {{1, red, 0, 400, 400, {{0, 430}, {0, 429}, {1, 235}}}}, {}},
      {"runs go on at the pen; at moves them", "text t at 5 6\n  run sq 10 red \"a\"\n  run sq 10 #0000FF80 \"b\"\n  run sq 10 red \"b\" at 1 50\nend\n",
       {{1, red, 0, 200, 200, {{0, 215}}}, {1, blue, 215, 200, 200, {{1, 117}}}, {1, red, 20, 1000, 200, {{1, 117}}}},
       {1, 0, 0, 1, 100, 120}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto m = Build(kFont + c.text + "place t 1\n");
    const auto& f = std::get<swf::Font>(m->dictionary.at(1));
    EXPECT_EQ(f.name, "sq");
    EXPECT_TRUE(f.bold);
    EXPECT_EQ(f.emSize, 20480);
    EXPECT_EQ(f.ascent, 18000);
    ASSERT_EQ(f.glyphs.size(), 2u);
    EXPECT_EQ(f.glyphs[0].code, u'a');
    EXPECT_EQ(f.glyphs[0].advance, 22000);
    EXPECT_EQ(f.glyphs[1].shape.paths[0].edges[0].control, (swf::Point{5120, -20480}));
    const auto& t = std::get<swf::StaticText>(m->dictionary.at(2));
    EXPECT_EQ(t.runs, c.runs);
    EXPECT_EQ(t.matrix, c.matrix);
    EXPECT_FALSE(t.bounds.Empty());
    // Written again from the model, the movie reads back the same.
    const auto again = swf::WriteMovie(*m, false);
    const auto m2 = swf::LoadMovie(again.data(), again.size());
    EXPECT_EQ(std::get<swf::StaticText>(m2->dictionary.at(2)).runs, c.runs);
    EXPECT_EQ(std::get<swf::Font>(m2->dictionary.at(1)).glyphs[1].shape.paths,
              std::get<swf::Font>(m->dictionary.at(1)).glyphs[1].shape.paths);
  }
}

TEST(SwfcText, DeviceFontsAndTrueTypeFiles) {
  const auto m = Build("font d device _serif italic\n");
  const auto& d = std::get<swf::Font>(m->dictionary.at(1));
  EXPECT_EQ(d.name, "_serif");
  EXPECT_TRUE(d.italic);
  EXPECT_TRUE(d.glyphs.empty());
  const std::string ttf = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  if (!std::filesystem::exists(ttf)) GTEST_SKIP() << "no " << ttf;
  const auto t = Build("font v file " + ttf + " chars \"AVé\"\ntext t\n  run v 20 black \"AVé\"\nend\n");
  const auto& v = std::get<swf::Font>(t->dictionary.at(1));
  ASSERT_EQ(v.glyphs.size(), 3u);
  EXPECT_EQ(v.glyphs[2].code, u'é');
  EXPECT_GT(v.ascent, 0);
  EXPECT_FALSE(v.kerning.empty());  // A and V are kerned
  const auto& run = std::get<swf::StaticText>(t->dictionary.at(2)).runs.at(0);
  EXPECT_LT(run.glyphs[0].advance, v.glyphs[0].advance * 400 / 20480);  // the kerned pair sits closer
}

TEST(SwfcText, MistakesNameTheirLine) {
  const struct {
    std::string text;
    int line;
    const char* message;
  } cases[] = {
      {kFont + "text t\n  run sq 10 red \"c\"\nend\n", 19, "no glyph for 'c'"},
      {kFont + "text t\n  run nope 10 red \"a\"\nend\n", 19, "'nope' is not defined"},
      {kFont + "place sq 1\n", 18, "cannot be placed"},
      {"font d device _sans\ntext t\n  run d 10 red \"a\"\nend\n", 3, "no glyphs"},
      {"font f file /nonexistent.ttf\n", 1, "not a TrueType font file"},
      {"font f\n  glyph ab advance 1\n  end\nend\n", 2, "one character"},
      {"font f\n  glyph a\n  end\nend\n", 2, "needs its advance"},
      {"font f\n  curve\nend\n", 2, "a font holds glyph"},
      {"text t\n  line\nend\n", 2, "run lines"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      swfc::Compile(c.text);
      ADD_FAILURE() << "compiled";
    } catch (const swfc::CompileError& e) {
      EXPECT_EQ(e.line(), c.line);
      EXPECT_NE(e.message().find(c.message), std::string::npos) << e.message();
    }
  }
}

}  // namespace
