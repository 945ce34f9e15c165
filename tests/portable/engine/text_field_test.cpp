// Placed text fields: background, border, glyphs clipped to the field, and
// the text of a bound variable.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "movie_fakes.h"
#include "render_helpers.h"
#include "renderers/engine/movie.h"
#include "renderers/engine/player.h"

namespace {

using render_test::Canvas;

// A stage of 200 x 100 pixels on blue holding, at (10, 10) pixels, a field of
// 100 x 30 pixels in a 20-pixel font of square glyphs: character 'A' is ink
// from 2 to 17.6 pixels right of its origin and 13.7 pixels up from the
// baseline, advancing 20 pixels; the first baseline is 28 pixels down.
std::shared_ptr<swf::Movie> FieldMovie(const std::string& Text, bool Border, const std::string& Variable = "") {
  auto m = std::make_shared<swf::Movie>();
  m->frameSize = {0, 0, 4000, 2000};
  m->background = {0, 0, 255, 255};
  swf::Font font;
  swf::FontGlyph g;
  g.code = u'A';
  g.shape.fills.push_back(swf::FillStyle{});
  g.shape.fills[0].color = {255, 255, 255, 255};
  swf::Path p;
  p.fill1 = 1;
  p.start = {100, -700};
  for (const swf::Point q : {swf::Point{900, -700}, swf::Point{900, 0}, swf::Point{100, 0}, swf::Point{100, -700}})
    p.edges.push_back({false, {}, q});
  g.shape.paths.push_back(p);
  g.shape.bounds = {100, -700, 900, 0};
  g.advance = 1024;
  font.glyphs.push_back(g);
  font.hasLayout = true;
  font.ascent = 819;
  font.descent = 205;
  m->dictionary.emplace(1, font);
  swf::EditText e;
  e.bounds = {0, 0, 2000, 600};
  e.fontId = 1;
  e.fontHeight = 400;
  e.color = {255, 0, 0, 255};
  e.useOutlines = true;
  e.border = Border;
  e.initialText = Text;
  e.variableName = Variable;
  m->dictionary.emplace(2, e);
  swf::PlaceObject place;
  place.depth = 1;
  place.characterId = 2;
  place.matrix = swf::Matrix{1, 0, 0, 1, 200, 200};
  swf::Frame f;
  f.tags.emplace_back(place);
  m->timeline.frames.push_back(f);
  return m;
}

enum Ink { kRed, kWhite, kBlue, kDark };

Ink InkAt(Canvas& C, int X, int Y) {
  const uint32_t r = C.red(X, Y), g = C.green(X, Y), b = C.blue(X, Y);
  if (r > 200 && g < 60 && b < 60) return kRed;
  if (r > 200 && g > 200 && b > 200) return kWhite;
  if (r < 60 && g < 60 && b > 200) return kBlue;
  return kDark;
}

}  // namespace

TEST(TextFieldDrawing, BackgroundBorderAndGlyphsClippedToTheField) {
  struct Case {
    bool border;
    int x, y;
    Ink ink;
  };
  const std::string text = "AAAAAAAAAAAA";  // runs past the field's right edge
  for (const Case& c : {
           Case{true, 20, 20, kRed},     // the first glyph
           Case{true, 100, 20, kRed},    // the fifth, inside the field
           Case{true, 115, 20, kBlue},   // the sixth lies past the edge: clipped
           Case{true, 20, 36, kWhite},   // background below the line
           Case{true, 60, 10, kDark},    // the top border
           Case{true, 110, 25, kDark},   // the right border
           Case{true, 5, 5, kBlue},      // outside
           Case{false, 20, 36, kBlue},   // no border, no background
           Case{false, 20, 20, kRed},
           Case{false, 115, 20, kBlue},
       }) {
    SCOPED_TRACE(std::to_string(c.border) + " at " + std::to_string(c.x) + "," + std::to_string(c.y));
    swf::MoviePlayer player(FieldMovie(text, c.border));
    Canvas canvas(200, 100);
    player.Render(canvas.target(), {0, 0, 200, 100}, false);
    EXPECT_EQ(InkAt(canvas, c.x, c.y), c.ink);
  }
}

TEST(TextFieldVariables, AFieldShowsItsVariableAndSetsItFromTheInitialText) {
  for (const std::string path : {"v", "_root.v", "/:v"}) {
    SCOPED_TRACE(path);
    movie_test::RecordingHost host;
    swf::MovieInstance inst(FieldMovie("A", false, path), host);
    inst.Step();
    EXPECT_EQ(inst.GetVariable("v"), "A");
    const auto secondGlyph = [&] {
      Canvas canvas(200, 100);
      inst.Render(canvas.target(), {0, 0, 200, 100}, false);
      return InkAt(canvas, 40, 20);
    };
    EXPECT_EQ(secondGlyph(), kBlue);
    inst.SetVariable("v", "AA");
    EXPECT_EQ(secondGlyph(), kRed);
    inst.SetVariable("v", "");
    EXPECT_EQ(secondGlyph(), kBlue);
  }
}

TEST(TextFieldDrawing, AFieldTakesTheMouseAnywhereInItsBounds) {
  auto m = FieldMovie("", false);
  swf::Button b;
  swf::ButtonRecord r;
  r.up = r.hit = true;
  r.characterId = 2;
  b.records.push_back(r);
  m->dictionary.emplace(3, b);
  swf::PlaceObject place;
  place.depth = 2;
  place.characterId = 3;
  place.matrix = swf::Matrix{2, 0, 0, 1, 0, 1000};  // 200 x 30 pixels at (0, 50)
  m->timeline.frames[0].tags.emplace_back(place);
  swf::MoviePlayer player(m);
  struct Case {
    double x, y;
    bool hit;
  };
  for (const Case& c : {Case{1, 51, true}, Case{199, 79, true}, Case{150, 60, true}, Case{201, 60, false},
                        Case{50, 49, false}, Case{50, 81, false}})
    EXPECT_EQ(player.ButtonAt(c.x, c.y), c.hit) << c.x << "," << c.y;
}

TEST(TextFieldVariables, AFieldInASpriteBindsInThatSpritesTimeline) {
  movie_test::RecordingHost host;
  swf::MovieInstance inst(movie_test::Compile("edittext f 100 30 var v text \"in clip\"\n"
                                              "edittext g 100 30 var /clip:w text \"by path\"\n"
                                              "sprite s\n  place f 1\nend\n"
                                              "place s 1 name clip\nplace g 2\n"),
                          host);
  inst.Step();
  EXPECT_EQ(inst.GetVariable("clip.v"), "in clip");
  EXPECT_EQ(inst.GetVariable("v"), "");
  EXPECT_EQ(inst.GetVariable("clip.w"), "by path");
}
