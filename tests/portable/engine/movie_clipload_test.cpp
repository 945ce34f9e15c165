// MovieInstance: clip sizes, movies loaded into clips, input for loaded levels.
#include <gtest/gtest.h>

#include "tests/portable/engine/movie_fakes.h"

namespace {

using movie_test::ActionHex;
using movie_test::Bytes;
using movie_test::Rig;

TEST(MovieClipSize, WidthAndHeightReadAndScale) {
  Rig r(R"(
size 200 200
shape dot
  fill f solid #0000ff
  rect 0 0 10 5 fill f
end
sprite box
  place dot 1
  place dot 2 at 10 15
end
place box 1 at 30 30 scale 2 name b
)");
  r.instance.Step();
  EXPECT_EQ(r.instance.GetVariable("b._width"), "40");
  EXPECT_EQ(r.instance.GetVariable("b._height"), "40");
  r.instance.SetVariable("b._width", "10");
  EXPECT_EQ(r.instance.GetVariable("b._width"), "10");
  EXPECT_EQ(r.instance.GetVariable("b._xscale"), "50");
  EXPECT_EQ(r.instance.GetVariable("b._height"), "40");  // only the width changes
  r.instance.SetVariable("b._height", "80");
  EXPECT_EQ(r.instance.GetVariable("b._yscale"), "400");
  r.instance.SetVariable("b._height", "junk");  // not a number: unchanged
  EXPECT_EQ(r.instance.GetVariable("b._height"), "80");
  EXPECT_EQ(r.instance.GetVariable("_root._width"), "10");  // the root: its content
}

const char* kHost = R"(
size 100 100
shape dot
  fill f solid #0000ff
  rect 0 0 5 5 fill f
end
sprite box
  place dot 1
end
place box 1 at 30 30 name b
actions
  push "child.swf" "b"
  geturl2 loadtarget
end
show
)";

const char* kChild = R"(
size 400 400
shape big
  fill f solid #ff0000
  rect 0 0 20 10 fill f
end
place big 1
actions
  push "v" "inside"
  setvariable
  push "this"
  getvariable
  trace
  push "_parent"
  getvariable
  trace
end
show
show
)";

uint32_t PixelAt(const swf::MovieInstance& I, int X, int Y) {
  std::vector<uint32_t> px(100 * 100);
  I.Render({px.data(), 100, 100, 400}, {0, 0, 100, 100}, false);
  return px[static_cast<size_t>(Y * 100 + X)];
}

TEST(MovieClipLoad, LoadedMovieReplacesTheClipContent) {
  Rig r(kHost);
  r.instance.Step();
  ASSERT_EQ(r.host.calls, std::vector<std::string>{"request 1 child.swf"});
  r.instance.SetVariable("b.old", "1");
  const std::vector<uint8_t> bytes = Bytes(kChild);
  r.instance.DeliverData(1, bytes.data(), bytes.size() / 2);
  r.instance.Step();
  EXPECT_EQ(r.instance.GetVariable("b._width"), "5");  // not yet complete
  r.instance.DeliverData(1, bytes.data() + bytes.size() / 2, bytes.size() - bytes.size() / 2);
  r.instance.FinishRequest(1, true);
  EXPECT_EQ(r.instance.GetVariable("b.v"), "inside");
  EXPECT_EQ(r.instance.GetVariable("b.old"), "");  // variables start afresh
  EXPECT_EQ(r.instance.GetVariable("b._name"), "b");
  EXPECT_EQ(r.instance.GetVariable("b._x"), "30");
  EXPECT_EQ(r.instance.GetVariable("b._width"), "20");
  EXPECT_EQ(r.instance.GetVariable("b._totalframes"), "2");
  // this, then _parent, as the loaded movie's first frame sees them.
  const std::vector<std::string> traces(r.host.logs.end() - 2, r.host.logs.end());
  EXPECT_EQ(traces, (std::vector<std::string>{"trace: _level0.b", "trace: _level0"}));
  EXPECT_EQ(PixelAt(r.instance, 45, 35), 0xffff0000u);  // the loaded shape, at the clip's place
  r.instance.Step();
  EXPECT_EQ(r.instance.GetVariable("b._currentframe"), "2");
}

TEST(MovieClipLoad, BitmapFillsComeFromTheLoadedMoviesDictionary) {
  // Both movies hold a bitmap as character 1, in different colours.
  Rig r(R"(
size 100 100
bitmap pic solid 4 4 #00ff00
shape dot
  fill f bitmap pic repeat
  rect 0 0 5 5 fill f
end
sprite box
  place dot 1
end
place box 1 at 30 30 name b
actions
  push "child.swf" "b"
  geturl2 loadtarget
end
show
)");
  r.instance.Step();
  EXPECT_EQ(PixelAt(r.instance, 32, 32), 0xff00ff00u);
  const std::vector<uint8_t> bytes = Bytes(R"(
size 100 100
bitmap pic solid 4 4 #ff00ff
shape big
  fill f bitmap pic repeat
  rect 0 0 20 10 fill f
end
place big 1
)");
  r.instance.DeliverData(1, bytes.data(), bytes.size());
  r.instance.FinishRequest(1, true);
  EXPECT_EQ(PixelAt(r.instance, 45, 35), 0xffff00ffu);
}

TEST(MovieClipLoad, FailedBrokenOrUnansweredLoadsLeaveTheClip) {
  for (int outcome = 0; outcome < 3; ++outcome) {
    Rig r(kHost);
    r.instance.Step();
    r.instance.SetVariable("b.old", "1");
    if (outcome == 0) {
      const std::vector<uint8_t> bytes = Bytes(kChild);
      r.instance.DeliverData(1, bytes.data(), bytes.size());
      r.instance.FinishRequest(1, false);
    } else if (outcome == 1) {
      r.instance.DeliverData(1, reinterpret_cast<const uint8_t*>("junk"), 4);
      r.instance.FinishRequest(1, true);
      EXPECT_TRUE(r.LogHas("loadMovie:"));
    }
    for (int i = 0; i < 3; ++i) r.instance.Step();
    EXPECT_EQ(r.instance.GetVariable("b.old"), "1") << outcome;
    EXPECT_EQ(r.instance.GetVariable("b._width"), "5") << outcome;
    EXPECT_EQ(r.instance.GetVariable("b.v"), "") << outcome;
    EXPECT_EQ(PixelAt(r.instance, 32, 32), 0xff0000ffu) << outcome;
  }
}

// A clip loaded twice, then removed: each movie that leaves the clip is still
// drawn by the scene before, which the next frame is compared with (under the
// sanitizers a movie freed too early shows as a use after free).
TEST(MovieClipLoad, AMovieReplacedOrRemovedWithItsClipOutlivesTheSceneThatDrewIt) {
  Rig r(R"(
size 100 100
shape dot
  fill f solid #0000ff
  rect 0 0 5 5 fill f
end
sprite box
  place dot 1
end
place box 1 at 30 30 name b
actions
  push "first.swf" "b"
  geturl2 loadtarget
end
show
actions
  push "second.swf" "b"
  geturl2 loadtarget
end
show
remove 1
actions
  stop
end
show
)");
  const struct {
    const char* colour;
    uint32_t pixel;
  } loads[] = {{"#ff0000", 0xffff0000u}, {"#00ff00", 0xff00ff00u}};
  for (int i = 0; i < 2; ++i) {
    r.instance.Step();
    ASSERT_EQ(r.host.calls.size(), static_cast<size_t>(i + 1));
    const std::vector<uint8_t> bytes = Bytes(std::string("size 100 100\nshape big\n  fill f solid ") + loads[i].colour +
                                             "\n  rect 0 0 20 10 fill f\nend\nplace big 1\nshow\n");
    r.instance.DeliverData(i + 1, bytes.data(), bytes.size());
    r.instance.FinishRequest(i + 1, true);
    EXPECT_EQ(PixelAt(r.instance, 45, 35), loads[i].pixel) << i;
  }
  r.instance.Step();
  EXPECT_EQ(r.instance.GetVariable("b._name"), "");
  EXPECT_EQ(PixelAt(r.instance, 45, 35), 0xffffffffu);
}

// A movie with a 20x20 button at (X, Y) whose release sets hit to Mark
// (and whose key press k sets key).
std::string ButtonMovie(int X, int Y, const std::string& Mark) {
  return "size 100 100\nshape sq\n  fill f solid #00ff00\n  rect 0 0 20 20 fill f\nend\n"
         "button go\n  up+over+down+hit sq\n  on release action " +
         ActionHex("push \"hit\" \"" + Mark + "\"\nsetvariable") + "\n  on key k action " +
         ActionHex("push \"key\" \"" + Mark + "\"\nsetvariable") + "\nend\nplace go 1 at " +
         std::to_string(X) + " " + std::to_string(Y) + " name go\nshow\n";
}

TEST(MovieLevelInput, TopmostLevelsButtonTakesTheMouse) {
  Rig r(ButtonMovie(10, 10, "zero"));
  r.instance.LoadMovie(1, "one.swf");
  const std::vector<uint8_t> bytes = Bytes(ButtonMovie(20, 20, "one"));
  r.instance.DeliverData(1, bytes.data(), bytes.size());
  r.instance.FinishRequest(1, true);
  r.instance.Step();
  // (25, 25) is over both buttons: level 1 is drawn on top and takes the click.
  r.instance.MouseMove(25, 25);
  r.instance.MouseDown(25, 25);
  r.instance.MouseUp(25, 25);
  EXPECT_EQ(r.instance.GetVariable("_level1.hit"), "one");
  EXPECT_EQ(r.instance.GetVariable("_level0.hit"), "");
  // (12, 12) is over level 0's button only.
  r.instance.MouseMove(12, 12);
  r.instance.MouseDown(12, 12);
  r.instance.MouseUp(12, 12);
  EXPECT_EQ(r.instance.GetVariable("_level0.hit"), "zero");
  // Keys reach the buttons of every level.
  r.instance.KeyPress('k');
  EXPECT_EQ(r.instance.GetVariable("_level0.key"), "zero");
  EXPECT_EQ(r.instance.GetVariable("_level1.key"), "one");
}

}  // namespace
