// flash.display.BitmapData as movies see it (premultiplied pixels, the
// numbers failed checks answer, the pixel operations), and the drawing
// methods of MovieClip in a played movie (bounds, duplicates).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/portable/engine/movie_fakes.h"
#include "tests/portable/engine/script_fakes.h"

using script_test::World;

namespace {

struct Case {
  std::string code;  // leaves one value on the stack
  std::string want;  // what trace prints of it
};

// Sets the variable Name to new flash.display.BitmapData(Args), Count of them.
std::string NewBitmap(const std::string& Name, const std::string& Args, int Count) {
  return "push \"" + Name + "\" " + Args + " " + std::to_string(Count) +
         " \"flash\"\ngetvariable\npush \"display\"\ngetmember\npush \"BitmapData\"\nnewmethod\nsetvariable";
}

// Name.Method(Args), the arguments last first; leaves the result.
std::string Call(const std::string& Name, const std::string& Method, const std::string& Args = "", int Count = 0) {
  return (Args.empty() ? "" : "push " + Args + "\n") + "push " + std::to_string(Count) + " \"" + Name +
         "\"\ngetvariable\npush \"" + Method + "\"\ncallmethod";
}
std::string Then(const std::string& A, const std::string& B) { return A + "\npop\n" + B; }

// new flash.geom.<Class>(Args) left on the stack.
std::string Geom(const std::string& Class, const std::string& Args, int Count) {
  return "push " + Args + " " + std::to_string(Count) + " \"flash\"\ngetvariable\npush \"geom\"\ngetmember\npush \"" +
         Class + "\"\nnewmethod";
}

// t: 3x3 transparent, 0xAABBCCDD; o: 3x3 opaque, 0x12345678; r: the
// rectangle (0, 0, 2, 2); p: the point (1, 1).
const std::string kSetup = NewBitmap("t", "2864434397 true 3 3", 4) + "\n" +
                           NewBitmap("o", "305419896 false 3 3", 4) + "\npush \"r\"\n" + Geom("Rectangle", "2 2 0 0", 4) +
                           "\nsetvariable\npush \"p\"\n" + Geom("Point", "1 1", 2) + "\nsetvariable";

void Check(int Version, const std::vector<Case>& Cases) {
  for (const Case& c : Cases) {
    World w(Version);
    EXPECT_EQ(w.Traces(kSetup + "\n" + c.code + "\ntrace"), c.want) << c.code;
  }
}

// A copy method's arguments (source, r, p) after Extra, last first.
std::string CopyArgs(const std::string& Source, const std::string& Extra = "") {
  return (Extra.empty() ? "" : Extra + " ") + "\"p\"\ngetvariable\npush \"r\"\ngetvariable\npush \"" + Source +
         "\"\ngetvariable";
}

TEST(ScriptBitmap, PixelsKeepPremultipliedRounding) {
  Check(8, {
      {Call("t", "getPixel32", "1 1", 2), "-1430532900"},                                  // 0xAABBCCDC
      {Then(Call("t", "setPixel", "305419896 1 1", 3), Call("t", "getPixel32", "1 1", 2)), "-1439410824"},
      {Then(Call("t", "setPixel32", "305419896 1 1", 3), Call("t", "getPixel32", "1 1", 2)), "305747313"},
      {Call("o", "getPixel32", "0 0", 2), "-13347208"},                                     // 0xFF345678
      {Call("t", "getPixel", "5 5", 2), "0"},
      {Call("t", "setPixel", "1 1", 2), "-1"},
      {Call("t", "setPixel", "0 1 1", 3), "0"},
      {Then(Call("t", "dispose"), "push \"t\"\ngetvariable\npush \"width\"\ngetmember"), "-1"},
      {Then(Call("t", "dispose"), Call("t", "getPixel", "0 0", 2)), "-1"},
  });
}

TEST(ScriptBitmap, SizesAreCappedByVersion) {
  const std::string big = "push 1 2881 2 \"flash\"\ngetvariable\npush \"display\"\ngetmember\npush \"BitmapData\"\nnewmethod";
  World v9(9), v10(10);
  EXPECT_EQ(v9.Traces(big + "\ntrace"), "undefined");
  EXPECT_EQ(v10.Traces(big + "\npush \"width\"\ngetmember\ntrace"), "2881");
  World none(8);
  EXPECT_EQ(none.Traces("push 0 \"flash\"\ngetvariable\npush \"display\"\ngetmember\npush \"BitmapData\"\nnewmethod\ntrace"),
            "undefined");
}

TEST(ScriptBitmap, CopiesCheckTheirArguments) {
  Check(8, {
      {Call("t", "copyPixels", CopyArgs("o"), 3), "0"},
      {Then(Call("t", "copyPixels", CopyArgs("o"), 3), Call("t", "getPixel32", "1 1", 2)), "-13347208"},
      // An opaque destination takes a translucent source over what it has.
      {Then(Call("o", "copyPixels", CopyArgs("t"), 3), Call("o", "getPixel32", "1 1", 2)), "-7428933"},  // 0xFF8EA4BB
      {Call("t", "copyPixels", "\"p\"\ngetvariable\npush \"r\"\ngetvariable\npush null", 3), "-2"},
      {Then(Call("o", "dispose"), Call("t", "copyPixels", CopyArgs("o"), 3)), "-3"},
      {Call("t", "copyPixels", "\"p\"\ngetvariable\npush null \"o\"\ngetvariable", 3), "-4"},
      {Call("t", "copyChannel", CopyArgs("o", "4 1"), 5), "-1"},
      {Call("t", "merge", CopyArgs("o", "256 128 64 32"), 7), "-1"},
      {Call("t", "threshold", CopyArgs("o", "16711680 0 858993459 \"!=\""), 7), "4"},
      // threshold writes premultiplied pixels as they are, even into an
      // opaque bitmap, which then reads them back translucent.
      {Then(Call("o", "threshold", CopyArgs("t", "16711680 2863311530 0 \"!=\""), 7), Call("o", "getPixel32", "1 1", 2)),
       "-1435405967"},  // 0xAA717171
      {Then(Call("o", "threshold", CopyArgs("t", "true 16711680 2863311530 0 \"==\""), 8),
            Call("o", "getPixel32", "1 1", 2)),
       "-1434613613"},  // 0xAA7D8893
      {Then(Call("o", "setPixel32", "305419896 1 1", 3), Call("o", "getPixel32", "1 1", 2)), "-13347208"},
  });
}

TEST(ScriptBitmap, SearchesAndTests) {
  Check(8, {
      {Call("t", "floodFill", "2864434397 1 1", 3), "0"},  // already that colour
      {Call("t", "floodFill", "4278190335 1 1", 3), "1"},
      {Call("t", "floodFill", "4278190335 9 1", 3), "0"},
      {Call("t", "getColorBoundsRect", "true 2852126720 4278190080", 3), "(x=0, y=0, w=3, h=3)"},
      {Call("t", "getColorBoundsRect", "false 2852126720 4278190080", 3), "(x=0, y=0, w=0, h=0)"},
      {Call("t", "hitTest", "\"p\"\ngetvariable\npush 100 \"p\"\ngetvariable", 3), "true"},
      {Call("t", "hitTest", "\"p\"\ngetvariable\npush 171 \"p\"\ngetvariable", 3), "false"},
      {Call("t", "hitTest", "\"p\"\ngetvariable\npush 100 null", 3), "-2"},
      {Call("t", "compare", "\"t\"\ngetvariable", 1), "0"},
      {"push \"d\"\n" + Call("t", "compare", "\"o\"\ngetvariable", 1) + "\nsetvariable\n" + Call("d", "getPixel32", "0 0", 2),
       "-7899548"},  // 0xFF877664: the colours' differences
      {Then(Call("t", "noise", "128", 1), Call("t", "getPixel", "0 0", 2)), "8425696"},
      {Then(Call("t", "noise", "true 1 255 0 -1", 5), Call("t", "getPixel", "0 0", 2)), "5131854"},
      // An opaque bitmap takes no number for alpha: the second pixel has the second.
      {Then(Call("o", "noise", "true -1 255 0 128", 5), Call("o", "getPixel", "0 1", 2)), "9474192"},  // 0x909090
  });
}

// ---- drawing ----

using movie_test::Rig;

using movie_test::Traces;

// mc.Method(Args) for the clip in variable "mc", result dropped.
std::string Draw(const std::string& Method, const std::string& Args = "", int Count = 0) {
  return Call("mc", Method, Args, Count) + "\npop\n";
}
std::string TraceMember(const std::string& Clip, const std::string& Member) {
  return "push \"" + Clip + "\"\ngetvariable\npush \"" + Member + "\"\ngetmember\ntrace\n";
}

TEST(ScriptBitmap, DrawnShapesCountInBoundsAndDuplicates) {
  const std::string script =
      "push \"mc\" 1 \"mc\" 2 \"this\"\ngetvariable\npush \"createEmptyMovieClip\"\ncallmethod\nsetvariable\n" +
      Draw("beginFill", "16711680", 1) + Draw("lineTo", "100 0", 2) + Draw("lineTo", "100 50", 2) +
      Draw("lineTo", "0 50", 2) + Draw("endFill") + TraceMember("mc", "_width") + TraceMember("mc", "_height") +
      // The copy keeps the drawing; more drawn into it widens it alone.
      "push \"copy\" 2 \"copy\" 2 \"mc\"\ngetvariable\npush \"duplicateMovieClip\"\ncallmethod\nsetvariable\n" +
      Call("copy", "moveTo", "0 300", 2) + "\npop\n" + Call("copy", "lineTo", "0 400", 2) + "\npop\n" +
      TraceMember("copy", "_width") + TraceMember("mc", "_width") +
      // A line's thickness counts; clear forgets everything.
      Draw("lineStyle", "10", 1) + Draw("moveTo", "0 0", 2) + Draw("lineTo", "100 0", 2) + TraceMember("mc", "_width") +
      Draw("clear") + TraceMember("mc", "_width") + Draw("curveTo", "20 0 10 10", 4) + TraceMember("mc", "_height");
  Rig r("size 400 400\nactions\n" + script + "end\nshow\n");
  r.instance.Step();
  EXPECT_EQ(Traces(r.host), (std::vector<std::string>{"50", "100", "400", "50", "55", "0", "20"}));
}

TEST(ScriptBitmap, AttachedBitmapsCountInBounds) {
  const std::string script =
      "push \"mc\" 1 \"mc\" 2 \"this\"\ngetvariable\npush \"createEmptyMovieClip\"\ncallmethod\nsetvariable\n" +
      NewBitmap("b", "4294967295 false 20 30", 4) + "\n" + Draw("attachBitmap", "1 \"b\"\ngetvariable", 2) +
      TraceMember("mc", "_width") + TraceMember("mc", "_height") +
      // clear leaves attached bitmaps; a second at the same depth replaces the first.
      Draw("clear") + NewBitmap("c", "4294967295 false 5 5", 4) + "\n" +
      Draw("attachBitmap", "1 \"c\"\ngetvariable", 2) + TraceMember("mc", "_width");
  Rig r("size 400 400\nactions\n" + script + "end\nshow\n");
  r.instance.Step();
  EXPECT_EQ(Traces(r.host), (std::vector<std::string>{"30", "20", "5"}));
}

// An empty clip's bounds: the player's marker, which widens by a twip for
// good once a SWF 8 movie asks (getRect, of SWF 8, answers it widened).
TEST(ScriptBitmap, EmptyClipsAnswerTheNoBoundsMarker) {
  const std::string make = "push \"mc\" 1 \"mc\" 2 \"this\"\ngetvariable\npush \"createEmptyMovieClip\"\ncallmethod\nsetvariable\n";
  auto xMin = [](const char* Method) { return Call("mc", Method) + "\npush \"xMin\"\ngetmember\ntrace\n"; };
  struct Row {
    int version;
    std::string script;
    std::vector<std::string> want;
  };
  const Row rows[] = {
      {7, xMin("getBounds") + xMin("getBounds"), {"6710886.35", "6710886.35"}},
      {8, xMin("getBounds") + xMin("getBounds"), {"6710886.35", "6710886.4"}},
      {8, xMin("getRect") + xMin("getBounds"), {"6710886.4", "6710886.4"}},
  };
  for (const Row& row : rows) {
    Rig r("version " + std::to_string(row.version) + "\nactions\n" + make + row.script + "end\nshow\n");
    r.instance.Step();
    EXPECT_EQ(Traces(r.host), row.want) << row.script;
  }
}

}  // namespace
