// Mistakes in a description end in a CompileError naming the line and what
// is wrong; limits keep hostile text from exhausting memory.
#include <gtest/gtest.h>

#include <string>

#include "tools/swfc/compile.h"

namespace {

struct Case {
  std::string text;
  int line;
  const char* message;  // a part of the message
};

const char* kShape = "shape s\n  fill f solid red\n  rect 0 0 10 10 fill f\nend\n";  // lines 1-4

}  // namespace

TEST(SwfcErrors, NameTheLineAndTheMistake) {
  const std::string s = kShape;
  const Case cases[] = {
      {"size 10\n", 1, "missing height"},
      {"\n\nrate fast\n", 3, "expected a number for frame rate, not 'fast'"},
      {"rate 300\n", 1, "outside"},
      {"background #12345\n", 1, "not a colour"},
      {"compress maybe\n", 1, "'on' or 'off'"},
      {"version 0\n", 1, "version 0 is outside 1..255"},
      {"frobnicate 1\n", 1, "unknown statement 'frobnicate'"},
      {"end\n", 1, "'end' without a block"},
      {"size 10 10 extra\n", 1, "unexpected 'extra'"},
      {"shape s\n  fill f solid red\n", 1, "'shape' block has no 'end'"},
      {"shape s\n  fill f plaid\nend\n", 2, "fill type is solid, linear, radial, focal or bitmap"},
      {"shape s\n  fill f solid red\n  fill f solid blue\nend\n", 3, "style 'f' is already defined"},
      {"shape s\n  rect 0 0 10 10 fill nope\nend\n", 2, "fill 'nope' is not defined in this shape"},
      {"shape s\n  line l 1 red\n  rect 0 0 1 1 line m\nend\n", 3, "line 'm' is not defined"},
      {"shape s\n  fill g linear 0 0 0 0 stops 0 red\nend\n", 2, "two different points"},
      {"shape s\n  fill g radial 0 0 10 red\nend\n", 2, "unexpected 'red' in a gradient"},
      {"shape s\n  fill g radial 0 0 10 stops 9 red 3 blue\nend\n", 2, "ascending"},
      {"shape s\n  fill g radial 0 0 10 focus 0.5 stops 0 red\nend\n", 2, "'focus' belongs to focal gradients"},
      {"shape s\n  fill g radial 0 0 10 stops\nend\n", 2, "at least one stop"},
      {"shape s\n  fill b bitmap nothing\nend\n", 2, "'nothing' is not defined"},
      {"shape s\nend\nshape t\n  fill b bitmap s\nend\n", 4, "'s' is not a bitmap"},
      {"shape s\n  path\n    lineto 1 1\n  end\nend\n", 3, "'lineto' before the first 'moveto'"},
      {"shape s\n  path\n    moveto 1 1\n    arc 2 2\n  end\nend\n", 4, "not 'arc'"},
      {"shape s\n  rect 0 0 1e9 1 \nend\n", 2, "width 1e9 is outside"},
      {"shape s\n  version 5\nend\n", 2, "shape version 5 is outside 1..4"},
      {"shape s\n  shape t\nend\n", 2, "'shape' inside a shape"},
      {"bitmap b 2 2\n  ff0000 ff0000\nend\n", 1, "has 1 rows, not 2"},
      {"bitmap b 2 1\n  ff0000\nend\n", 2, "has 1 pixels, not 2"},
      {"bitmap b 1 1\n  ff00zz\nend\n", 2, "'ff00zz' is not a pixel"},
      {"bitmap b checker 0 4 1 red blue\n", 1, "width 0 is outside"},
      {"bitmap b checker 4000 4000 1 red blue\n", 1, "at most"},
      {s + "shape s\nend\n", 5, "'s' is already defined"},
      {"place ghost 1\n", 1, "'ghost' is not defined (define it before using it)"},
      {"bitmap b solid 1 1 red\nplace b 1\n", 2, "fill a shape with it"},
      {s + "place s 0\n", 5, "depth 0 is outside 1..65535"},
      {s + "place s 1 at 1\n", 5, "missing y"},
      {s + "place s 1 matrix 1 0 0 1 0 0 at 1 1\n", 5, "cannot be combined"},
      {s + "place s 1 scale 2 scale 3\n", 5, "'scale' given twice"},
      {s + "place s 1 char s\n", 5, "'char' belongs to 'move'"},
      {s + "place s 1 name x version 1\n", 5, "version 1 placements"},
      {s + "place s 1 add 99999 0 0\n", 5, "red term 99999 is outside"},
      {s + "remove 1 nothing\n", 5, "'nothing' is not defined"},
      {"bitmap b solid 1 1 red\nshape s\n  fill f bitmap b scale 900\nend\n", 3, "scale must stay below 800"},
      {"label a\nlabel b\n", 2, "already has the label 'a'"},
      {"action 9\n", 1, "not whole bytes"},
      {"action\n", 1, "needs its bytes"},
      {"sprite x\n  shape y\n  end\nend\n", 2, "define it at the top level"},
      {"sprite x\n  place x 1\nend\n", 2, "'x' is not defined"},  // a sprite cannot place itself
      {"label \"unterminated\n", 1, "no closing quote"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      swfc::Parse(c.text);
      ADD_FAILURE() << "no error";
    } catch (const swfc::CompileError& e) {
      EXPECT_EQ(e.line(), c.line) << e.what();
      EXPECT_NE(e.message().find(c.message), std::string::npos) << e.message();
      EXPECT_EQ(std::string(e.what()), "line " + std::to_string(c.line) + ": " + e.message());
    }
  }
}

TEST(SwfcErrors, CommentsAndBlankLinesKeepLineNumbers) {
  try {
    swfc::Parse("# header\n\n   \t\nsize 10 10 # trailing comment\n#ff0000 a comment too\nrate x\n");
    FAIL() << "no error";
  } catch (const swfc::CompileError& e) {
    EXPECT_EQ(e.line(), 6);
  }
  // CR LF line ends work like LF.
  EXPECT_EQ(swfc::Parse("size 20 10\r\nrate 24\r\n").frameRate, 24 << 8);
}

TEST(SwfcLimits, HostileCountsEndInErrorsNotExhaustion) {
  // Bitmaps together beyond the limit.
  std::string many;
  for (int i = 0; i < 5; ++i) many += "bitmap b" + std::to_string(i) + " solid 2048 2048 red\n";
  EXPECT_THROW(swfc::Parse(many), swfc::CompileError);
  // Frames per timeline.
  std::string frames;
  for (int i = 0; i < 16001; ++i) frames += "show\n";
  try {
    swfc::Parse(frames);
    FAIL() << "no error";
  } catch (const swfc::CompileError& e) {
    EXPECT_EQ(e.line(), 16001);
  }
  // Coordinates and scales beyond the format's range.
  EXPECT_THROW(swfc::Parse("shape s\n  path\n    moveto 1e12 0\n  end\nend\n"), swfc::CompileError);
  EXPECT_THROW(swfc::Parse(std::string(kShape) + "place s 1 scale 1e6\n"), swfc::CompileError);
  EXPECT_THROW(swfc::Parse("size nan 10\n"), swfc::CompileError);
  EXPECT_THROW(swfc::Parse("size inf 10\n"), swfc::CompileError);
}
