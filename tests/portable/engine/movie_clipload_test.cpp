// MovieInstance: clip sizes, movies loaded into clips, input for loaded levels.
#include <gtest/gtest.h>

#include "tests/portable/engine/movie_fakes.h"

namespace {

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

}  // namespace
