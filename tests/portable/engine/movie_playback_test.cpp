// MovieInstance playback: the control surface, frame scripts on the root and
// on sprite instances, variables by path, properties and the budget.
#include <gtest/gtest.h>

#include "tests/portable/engine/movie_fakes.h"

namespace {

using movie_test::Rig;

const char* kCounter = R"(
size 100 100
shape box
  fill f solid #ff0000
  rect 0 0 10 10 fill f
end
actions
  push "n" 1
  setvariable
end
place box 1
show
actions
  push "n" "n"
  getvariable
  push 1
  add2
  setvariable
end
move 1 at 20 0
show
label last
actions
  push "n" "n"
  getvariable
  push 10
  multiply
  setvariable
  stop
end
show
)";

TEST(MoviePlayback, FrameScriptsRunOnEnteringAndStopHolds) {
  Rig r(kCounter);
  EXPECT_EQ(r.instance.TotalFrames(), 3);
  EXPECT_EQ(r.instance.GetVariable("n"), "");  // nothing runs before the first step
  r.instance.Step();
  EXPECT_EQ(r.instance.CurrentFrame(), 0);
  EXPECT_EQ(r.instance.GetVariable("n"), "1");
  r.instance.Step();
  EXPECT_EQ(r.instance.GetVariable("n"), "2");
  EXPECT_FALSE(r.host.rects.empty());  // the box moved
  r.instance.Step();
  EXPECT_EQ(r.instance.CurrentFrame(), 2);
  EXPECT_EQ(r.instance.GetVariable("_root.n"), "20");
  EXPECT_FALSE(r.instance.IsPlaying());
  r.instance.Step();
  r.instance.Step();
  EXPECT_EQ(r.instance.CurrentFrame(), 2);  // the stop holds
  EXPECT_EQ(r.instance.GetVariable("n"), "20");
}

TEST(MoviePlayback, ControlSurface) {
  Rig r(kCounter);
  r.instance.Step();
  r.instance.Forward();
  EXPECT_EQ(r.instance.CurrentFrame(), 1);
  EXPECT_FALSE(r.instance.IsPlaying());
  EXPECT_EQ(r.instance.GetVariable("n"), "2");  // entering by Forward runs the frame
  r.instance.Step();
  EXPECT_EQ(r.instance.CurrentFrame(), 1);
  r.instance.Back();
  EXPECT_EQ(r.instance.CurrentFrame(), 0);
  r.instance.Back();
  EXPECT_EQ(r.instance.CurrentFrame(), 0);
  r.instance.Play();
  EXPECT_TRUE(r.instance.IsPlaying());
  r.instance.Step();
  EXPECT_EQ(r.instance.CurrentFrame(), 1);
  r.instance.GotoFrame(99);  // clamped to the last frame, whose script stops
  EXPECT_EQ(r.instance.CurrentFrame(), 2);
  EXPECT_FALSE(r.instance.IsPlaying());
  r.instance.Rewind();
  EXPECT_EQ(r.instance.CurrentFrame(), 0);
  EXPECT_FALSE(r.instance.IsPlaying());
  EXPECT_TRUE(r.instance.Loop());
  r.instance.SetLoop(false);
  EXPECT_FALSE(r.instance.Loop());
}

TEST(MoviePlayback, GotoLabelAndSpriteClips) {
  Rig r(R"(
size 100 100
shape dot
  fill f solid #0000ff
  rect 0 0 5 5 fill f
end
sprite ticker
  place dot 1
  actions
    push "_parent.seen" "_parent.seen"
    getvariable
    push "a"
    add2
    setvariable
  end
  show
  actions
    stop
  end
  show
  show
end
actions
  push "seen" ""
  setvariable
  gotolabel "far"
  play
end
show
show
label far
place ticker 2 at 30 40 name t
actions
  push "arrived" 1
  setvariable
end
show
actions
  stop
end
show
)");
  r.instance.Step();
  EXPECT_EQ(r.instance.CurrentFrame(), 2);  // frame 0's script went to the label
  EXPECT_EQ(r.instance.GetVariable("arrived"), "1");
  EXPECT_EQ(r.instance.GetVariable("seen"), "a");  // the sprite's first frame ran, after its parent's
  EXPECT_EQ(r.instance.GetVariable("t._x"), "30");
  EXPECT_EQ(r.instance.GetVariable("t._y"), "40");
  EXPECT_EQ(r.instance.GetVariable("t._currentframe"), "1");
  EXPECT_EQ(r.instance.GetVariable("t._totalframes"), "3");
  EXPECT_EQ(r.instance.GetVariable("t._name"), "t");
  EXPECT_EQ(r.instance.GetVariable("t._target"), "/t");
  r.instance.Step();
  EXPECT_EQ(r.instance.GetVariable("t._currentframe"), "2");
  r.instance.Step();
  r.instance.Step();
  EXPECT_EQ(r.instance.GetVariable("t._currentframe"), "2");  // the sprite stopped itself
  EXPECT_EQ(r.instance.CurrentFrame(), 3);

  // Properties set from outside stay when the timeline moves on.
  r.host.rects.clear();
  r.instance.SetVariable("t._x", "50");
  EXPECT_EQ(r.instance.GetVariable("t._x"), "50");
  EXPECT_FALSE(r.host.rects.empty());
  r.instance.SetVariable("t._visible", "0");
  EXPECT_EQ(r.instance.GetVariable("t._visible"), "false");
  r.instance.SetVariable("t.v", "kept");
  EXPECT_EQ(r.instance.GetVariable("/t:v"), "kept");
}

TEST(MoviePlayback, PathVariablesRoundTrip) {
  Rig r(R"(
size 100 100
shape dot
  fill f solid #0000ff
  rect 0 0 5 5 fill f
end
sprite inner
  place dot 1
  show
end
sprite outer
  place inner 1 name skin
  show
end
place outer 1 name flv
show
)");
  r.instance.Step();
  for (const std::string path :
       {"a", "_root.b", "/:c", "flv.d", "/flv:e", "flv.skin.f", "_level0.flv.skin.g"}) {
    r.instance.SetVariable(path, "value of " + path);
    EXPECT_EQ(r.instance.GetVariable(path), "value of " + path) << path;
  }
  EXPECT_EQ(r.instance.GetVariable("/flv/skin:g"), "value of _level0.flv.skin.g");
  EXPECT_EQ(r.instance.GetVariable("_root.a"), "value of a");
  EXPECT_EQ(r.instance.GetVariable("flv.skin._target"), "/flv/skin");
  r.instance.SetVariable("nosuch.x", "1");  // no clip: nothing happens
  EXPECT_EQ(r.instance.GetVariable("nosuch.x"), "");
}

TEST(MoviePlayback, EndlessFrameScriptIsAbortedAndTheMovieGoesOn) {
  Rig r(R"(
size 100 100
actions
  top:
  jump top
end
show
actions
  push "ok" 1
  setvariable
end
show
)");
  r.instance.budget.maxActions = 10000;
  r.instance.Step();
  EXPECT_TRUE(r.LogHas("script aborted"));
  r.instance.Step();
  EXPECT_EQ(r.instance.GetVariable("ok"), "1");
  r.instance.SetVariable("x", "5");
  EXPECT_EQ(r.instance.GetVariable("x"), "5");
}

}  // namespace
