// MovieInstance: clips as scripts change them (attach, create, duplicate,
// remove, depths, registered classes) and the clip events around frames.
#include <gtest/gtest.h>

#include <cctype>

#include "tests/portable/engine/movie_fakes.h"

namespace {

using movie_test::Compile;
using movie_test::Rig;

using movie_test::Traces;

// A library sprite "Box" (a 10x10 square).
const char* const kBoxLibrary = R"(
size 200 200
shape dot
  fill f solid #0000ff
  rect 0 0 10 10 fill f
end
sprite box
  place dot 1
end
export box as "Box"
)";

// The Box library and the root's first frame script.
std::string Movie(const std::string& Script) {
  return std::string(kBoxLibrary) + "actions\n" + Script + R"(
end
show
show
)";
}

TEST(MovieScriptClips, DisplayListMethods) {
  Rig r(Movie(R"(
  constants "attachMovie" "this" "a" "Box" "getDepth" "createEmptyMovieClip" "e" "getNextHighestDepth"
  push 5 "a" "Box" 3 "this"
  getvariable
  push "attachMovie"
  callmethod
  push "_x"
  getmember
  trace
  push 0 "a"
  getvariable
  push "getDepth"
  callmethod
  trace
  push 7 "e" 2 "this"
  getvariable
  push "createEmptyMovieClip"
  callmethod
  trace
  push 0 "this"
  getvariable
  push "getNextHighestDepth"
  callmethod
  trace
  push 7 1 "a"
  getvariable
  push "swapDepths"
  callmethod
  pop
  push 0 "a"
  getvariable
  push "getDepth"
  callmethod
  trace
  push 5 1 "this"
  getvariable
  push "getInstanceAtDepth"
  callmethod
  trace
  push 9 "c" 2 "a"
  getvariable
  push "duplicateMovieClip"
  callmethod
  push "_width"
  getmember
  trace
  push 0 "c"
  getvariable
  push "removeMovieClip"
  callmethod
  pop
  push "c"
  getvariable
  typeof
  trace
  push 0 "Nope" 2 "this"
  getvariable
  push "attachMovie"
  callmethod
  typeof
  trace
)"));
  r.instance.Step();
  EXPECT_EQ(Traces(r.host), (std::vector<std::string>{"0", "5", "_level0.e", "8", "7", "_level0.e", "10",
                                                      "undefined", "undefined"}));
}

TEST(MovieScriptClips, RegisteredClassAndInitObject) {
  // attachMovie gives the new clip the class's prototype, copies the init
  // object through the prototype's setters, then calls the constructor.
  Rig r(Movie(R"(
  push "Cls"
  function "" 
    push "this"
    getvariable
    push "v"
    getmember
    trace
  end
  definelocal
  push "Cls"
  getvariable
  push "prototype"
  getmember
  push "hello"
  function ""
    push "proto"
    trace
  end
  setmember
  function "" "x"
    push "set "
    push "x"
    getvariable
    add2
    trace
  end
  function ""
  end
  push "s" 3 "Cls"
  getvariable
  push "prototype"
  getmember
  push "addProperty"
  callmethod
  pop
  push "Cls"
  getvariable
  push "Box" 2 "Object"
  getvariable
  push "registerClass"
  callmethod
  pop
  push "v" "init" "s" "S" 2
  initobject
  push 1 "a" "Box" 4 "this"
  getvariable
  push "attachMovie"
  callmethod
  pop
  push 0 "a"
  getvariable
  push "hello"
  callmethod
  pop
)"));
  r.instance.Step();
  EXPECT_EQ(Traces(r.host), (std::vector<std::string>{"set S", "init", "proto"}));
}

TEST(MovieScriptClips, EventsAroundFrames) {
  // onLoad before the clip's first frame script; onEnterFrame from the next
  // tick on, before the frame scripts; onUnload when the timeline removes it.
  auto m = std::make_shared<swf::Movie>(*Compile(R"(
size 100 100
sprite kid
  actions
    push "kid frame"
    trace
  end
  show
end
place kid 1 name k
actions
  push "root 1"
  trace
end
show
actions
  push "root 2"
  trace
end
show
remove 1
actions
  push "root 3"
  trace
end
show
)"));
  // The placement's clip actions: load, enterFrame and unload.
  const auto events = [](uint32_t Flags, const std::string& Text) {
    swf::ClipAction a;
    a.events = Flags;
    const swf::Movie code = *Compile("actions\npush \"" + Text + "\"\ntrace\nend\n");
    a.actions = code.timeline.frames.at(0).actions.at(0);
    return a;
  };
  auto& place = std::get<swf::PlaceObject>(m->timeline.frames.at(0).tags.at(0));
  place.clipActions = std::make_shared<const std::vector<swf::ClipAction>>(std::vector<swf::ClipAction>{
      events(swf::kClipLoad, "load"), events(swf::kClipEnterFrame, "enterFrame"),
      events(swf::kClipUnload, "unload")});
  movie_test::RecordingHost host;
  swf::MovieInstance instance(m, host);
  instance.Step();
  instance.Step();
  instance.Step();
  EXPECT_EQ(Traces(host), (std::vector<std::string>{"root 1", "load", "kid frame", "enterFrame", "root 2",
                                                    "unload", "root 3"}));
}

// Setting a property of a placed clip, then reading it back under its name
// in capitals (property names match in any case).
struct PropertyCase {
  const char* property;
  std::vector<std::string> values;  // as `push` writes them
  std::vector<std::string> want;    // the property read after each
};

TEST(MovieScriptClips, PropertiesKeepWhatScriptsSet) {
  const PropertyCase cases[] = {
      // A negative scale stays negative; a value that is no number changes nothing.
      {"_xscale", {"-321", "undefined", "\"abc\""}, {"-321", "-321", "-321"}},
      {"_yscale", {"-50", "null"}, {"-50", "-50"}},
      // Rotation folds into -180..180 once.
      {"_rotation", {"181", "-181", "180", "-180", "540", "undefined"}, {"-179", "179", "180", "-180", "180", "180"}},
      {"_alpha", {"50", "undefined", "\"x\""}, {"50", "50", "50"}},
      // _visible takes a number: text that is none leaves it.
      {"_visible", {"false", "\"1\"", "\"false\"", "\"0000\"", "undefined", "true"},
       {"false", "true", "true", "false", "false", "true"}},
      // Positions and sizes in whole twips.
      {"_x", {"5.52", "-1.26", "undefined"}, {"5.5", "-1.25", "-1.25"}},
      {"_width", {"20.03", "undefined"}, {"20.05", "20.05"}},
  };
  for (const auto& c : cases) {
    std::string upper = c.property;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    std::string script;
    for (const auto& v : c.values)
      script += "push \"clip\"\ngetvariable\npush \"" + std::string(c.property) + "\" " + v +
                "\nsetmember\npush \"clip\"\ngetvariable\npush \"" + upper + "\"\ngetmember\ntrace\n";
    Rig r(R"(
shape dot
  fill f solid #0000ff
  rect 0 0 10 10 fill f
end
sprite box
  place dot 1
end
place box 1 name clip
actions
)" + script + R"(
end
show
)");
    r.instance.Step();
    EXPECT_EQ(Traces(r.host), c.want) << c.property;
  }
}

TEST(MovieScriptClips, TimelineDepthsNamesAndTabIndex) {
  // Frame 1 renames the timeline's clip (through _NAME: property names match
  // in any case), makes a clip among the timeline's
  // depths (-100) and one among the scripts' (5), and reads a text field by
  // its depth; frame 2 goes back to frame 1, which starts the timeline over.
  Rig r(R"(
edittext field 50 20 text "x"
sprite kid
end
place kid 1 name a
place field 2 name f
actions
  push "low"
  getvariable
  trace
  push "high"
  getvariable
  trace
  push "a"
  getvariable
  push "_NAME" "b"
  setmember
  push "b"
  getvariable
  trace
  push "a"
  getvariable
  trace
  push -16382 1 "this"
  getvariable
  push "getInstanceAtDepth"
  callmethod
  push "_name"
  getmember
  trace
  push -100 "low" 2 "this"
  getvariable
  push "createEmptyMovieClip"
  callmethod
  pop
  push 5 "high" 2 "this"
  getvariable
  push "createEmptyMovieClip"
  callmethod
  pop
  push "high"
  getvariable
  push "tabIndex" -4
  setmember
  push "high"
  getvariable
  push "tabIndex"
  getmember
  trace
  push "high"
  getvariable
  push "tabIndex" "x"
  setmember
  push "high"
  getvariable
  push "tabIndex"
  getmember
  trace
end
show
actions
  push "low"
  getvariable
  trace
  push "high"
  getvariable
  trace
  gotoframe 0
  stop
end
show
)");
  r.instance.Step();
  r.instance.Step();
  r.instance.Step();
  EXPECT_EQ(Traces(r.host), (std::vector<std::string>{
                                "undefined", "undefined", "_level0.b", "undefined", "f", "-4", "-2147483648",
                                "_level0.low", "_level0.high",  // frame 2
                                // frame 1 again: the clip at -100 went, the one at 5 stayed
                                "undefined", "_level0.high", "_level0.b", "undefined", "f", "-4", "-2147483648"}));
}

TEST(MovieScriptClips, CloneSpriteCountsFromTheTimelinesDepthZero) {
  // duplicateMovieClip(a, "b", 3) compiles to CloneSprite at 16387; a clone
  // at 16384 takes depth 0, replacing what a script put there.
  Rig r(Movie(R"(
  push 0 "z" "Box" 3 "this"
  getvariable
  push "attachMovie"
  callmethod
  pop
  push "z" "b" 16387
  clonesprite
  push 0 "b"
  getvariable
  push "getDepth"
  callmethod
  trace
  push "z" "c" 16384
  clonesprite
  push "z"
  getvariable
  trace
  push 0 "c"
  getvariable
  push "getDepth"
  callmethod
  trace
)"));
  r.instance.Step();
  EXPECT_EQ(Traces(r.host), (std::vector<std::string>{"3", "undefined", "0"}));
}

TEST(MovieScriptClips, DuplicateMovieClipConvertsTheNameBeforeTheDepth) {
  Rig r(Movie(R"(
  push 0 "z" "Box" 3 "this"
  getvariable
  push "attachMovie"
  callmethod
  pop
  push "valueOf"
  function ""
    push "depth"
    trace
    push 4
    return
  end
  push 1
  initobject
  push "toString"
  function ""
    push "name"
    trace
    push "d"
    return
  end
  push 1
  initobject
  push 2 "z"
  getvariable
  push "duplicateMovieClip"
  callmethod
  trace
)"));
  r.instance.Step();
  EXPECT_EQ(Traces(r.host), (std::vector<std::string>{"name", "depth", "_level0.d"}));
}

TEST(MovieScriptClips, TimelineClipsClassesAndEnumeration) {
  // The root's first frame: what it holds before its script (the library
  // sprite "box" is defined already), and the traces of one frame step.
  const struct {
    const char* frame;
    std::vector<std::string> traces;
  } cases[] = {
      // A class registered by the frame's init actions applies to the clip
      // the same frame places.
      {R"(initactions box
  push "Cls"
  function ""
    push "ctor"
    trace
  end
  definelocal
  push "Cls"
  getvariable
  push "Box" 2 "Object"
  getvariable
  push "registerClass"
  callmethod
  pop
end
place box 1 name b
actions
  push "b"
  getvariable
  push "Cls"
  getvariable
  instanceof
  trace
end
)",
       {"ctor", "true"}},
      // for..in over a clip: its variables, then its children from the top.
      {R"(place box 1 name low
place box 5 name high
actions
  push "v" 1
  setvariable
  push "this"
  getvariable
  enumerate2
next:
  storeregister 0
  push null
  equals2
  if done
  push r0
  trace
  jump next
done:
end
)",
       {"v", "high", "low"}},
      // _lockroot makes the clip _root for the clips under it.
      {R"(place box 1 name c
actions
  push "c"
  getvariable
  push "_lockroot" true
  setmember
  push 1 "d" 2 "c"
  getvariable
  push "createEmptyMovieClip"
  callmethod
  push "_root"
  getmember
  trace
  push "c"
  getvariable
  push "_root"
  getmember
  trace
end
)",
       {"_level0.c", "_level0.c"}},
  };
  for (const auto& c : cases) {
    Rig r(std::string(kBoxLibrary) + c.frame + "show\nshow\n");
    r.instance.Step();
    EXPECT_EQ(Traces(r.host), c.traces) << c.frame;
  }
}

}  // namespace

namespace {

// A button "btn" (a 10x10 square) at (20, 30) and the root's first frame script.
std::string ButtonMovie(const std::string& Script) {
  return R"(
size 200 200
shape dot
  fill f solid #0000ff
  rect 0 0 10 10 fill f
end
button go
  up+over+down+hit dot
end
place go 1 at 20 30 name btn
actions
)" + Script + R"(
end
show
)";
}

TEST(MovieScriptButtons, ButtonsAreObjectsWithTheirOwnProperties) {
  struct Case {
    std::string script;
    std::vector<std::string> want;
  };
  const std::string btn = "push \"btn\"\ngetvariable\n";
  auto trace = [&](const std::string& Member) { return btn + "push \"" + Member + "\"\ngetmember\ntrace\n"; };
  auto set = [&](const std::string& Member, const std::string& V) {
    return btn + "push \"" + Member + "\" " + V + "\nsetmember\n";
  };
  const Case cases[] = {
      {btn + "trace\n" + btn + "typeof\ntrace\n" + trace("_x") + trace("_y") + trace("_width") + trace("_name"),
       {"_level0.btn", "object", "20", "30", "10", "btn"}},
      {trace("useHandCursor") + set("useHandCursor", "false") + trace("useHandCursor") + trace("enabled") +
           trace("_focusrect"),
       {"true", "false", "true", "null"}},
      {"push 0\n" + btn + "push \"getDepth\"\ncallmethod\ntrace\n" + trace("_parent"), {"-16383", "_level0"}},
      // tabIndex: a signed 32-bit whole number; what is none is -2^31.
      {set("tabIndex", "-4") + trace("tabIndex") + set("tabIndex", "\"x\"") + trace("tabIndex") +
           set("tabIndex", "1.5") + trace("tabIndex"),
       {"-4", "-2147483648", "1"}},
      {set("_x", "50") + trace("_x") + set("_visible", "false") + trace("_visible"), {"50", "false"}},
      // A button takes the focus.
      {btn + "push 1 \"Selection\"\ngetvariable\npush \"setFocus\"\ncallmethod\ntrace\n"
             "push 0 \"Selection\"\ngetvariable\npush \"getFocus\"\ncallmethod\ntrace\n",
       {"true", "_level0.btn"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    Rig r(ButtonMovie(c.script));
    r.instance.Step();
    EXPECT_EQ(Traces(r.host), c.want);
  }
}

}  // namespace
