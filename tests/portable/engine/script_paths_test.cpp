// Target paths and scopes: slash, dot and colon paths, the timeline's
// variables (getters, setters, properties), removed clips, Call's frames.
// Scripts in, traces out, on _level0 with children a and a.b.

#include <gtest/gtest.h>

#include "tests/portable/engine/script_fakes.h"

namespace {

using script_test::World;

struct Case {
  std::string script;
  std::string traces;
};

void RunCases(const std::vector<Case>& Cases, int Version = 8) {
  for (const Case& c : Cases) {
    World w(Version);
    EXPECT_EQ(w.Traces(c.script), c.traces) << c.script;
  }
}

// Sets a.b's v to 5, then traces each path's value.
std::string Reads(std::initializer_list<const char*> Paths) {
  std::string s = "push \"a/b:v\" 5\nsetvariable";
  for (const char* p : Paths) s += std::string("\npush \"") + p + "\"\ngetvariable\ntrace";
  return s;
}

TEST(ScriptPaths, SlashDotAndColonPaths) {
  RunCases({
      {Reads({"/a/b:v", "a.b.v", "a:b:v", "a:b.v", "_level0.a.b.v", "_level0/a/b:v"}), "5\n5\n5\n5\n5\n5"},
      // ".." steps up; a trailing slash is nothing; an empty step inside leads nowhere.
      {Reads({"a/b/../b:v", "a/b/:v", "a/b//:v", "/a/../a/b:v"}), "5\n5\nundefined\n5"},
      // Dots separate steps until the first slash: after it they are part of a name.
      {Reads({"a.b/:v", "/a.b:v", "a/b.v"}), "5\nundefined\n5"},
      // A path without a variable is the clip; one that leads nowhere is undefined.
      {Reads({"/a/b", "a/nothing:v", "nothing.b.v"}), "_level0.a.b\nundefined\nundefined"},
      // Setting through a path that leads nowhere sets nothing.
      {"push \"a/nothing:v\" 1\nsetvariable\npush \"v\"\ngetvariable\ntrace", "undefined"},
      // A dotted path reaches members of objects and primitives too.
      {"push \"s\" \"abc\"\nsetvariable\npush \"s.length\"\ngetvariable\ntrace", "3"},
      // Clips answer _global from SWF 6.
      {"push \"a\"\ngetvariable\npush \"_global\"\ngetmember\npush \"_global\"\ngetvariable\nstrictequals\ntrace",
       "true"},
  });
}

TEST(ScriptPaths, TimelineVariablesRunAccessorsAndProperties) {
  RunCases({
      // A plain name on the timeline runs the clip's getter and setter.
      {"function \"\" \"x\"\npush \"set\"\ntrace\nend\n"
       "function \"\"\npush \"get\"\ntrace\npush 7\nreturn\nend\npush \"p\"\n"
       "push 3 \"this\"\ngetvariable\npush \"addProperty\"\ncallmethod\npop\n"
       "push \"p\" 1\nsetvariable\npush \"p\"\ngetvariable\ntrace",
       "set\nget\n7"},
      // The timeline's properties are its variables too.
      {"push \"_x\" 12\nsetvariable\npush \"_x\"\ngetvariable\ntrace", "12"},
  });
}

TEST(ScriptPaths, CallTakesAnObjectsTextAndWrapsFrameNumbers) {
  World w;
  w.root.frameActions["lbl"] = World::Bytes("push \"at lbl\"\ntrace");
  w.root.frameActions["3"] = World::Bytes("push \"at 3\"\ntrace");
  EXPECT_EQ(w.Traces("push \"toString\"\nfunction \"\"\npush \"lbl\"\nreturn\nend\npush 1\ninitobject\ncall\n"
                     "push 4294967299.0\ncall"),
            "at lbl\nat 3");
}

TEST(ScriptPaths, RemovedClips) {
  {
    // A reference to a removed clip reads as "".
    World w;
    EXPECT_EQ(w.Traces("push \"c\" \"a/b\"\ngetvariable\nsetvariable\n"
                       "push \"x\" \"c\"\ngetvariable\nadd2\ntrace\n"
                       "push 0 \"c\"\ngetvariable\npush \"removeMovieClip\"\ncallmethod\npop\n"
                       "push \"x\" \"c\"\ngetvariable\nadd2\ntrace"),
              "x_level0.a.b\nx");
  }
  {
    // A block ends after the call that removed its clip.
    World w;
    w.Run("push \"before\"\ntrace\npush 0 \"this\"\ngetvariable\npush \"removeMovieClip\"\ncallmethod\npop\n"
          "push \"after\"\ntrace",
          &w.b);
    EXPECT_EQ(w.host.traces, std::vector<std::string>({"before"}));
  }
  {
    // A block that begins on a removed clip (an unload handler) runs on
    // through calls; its variables are its level's root's.
    World w;
    w.Run("push \"v\" \"root\"\nsetvariable");
    w.b.Remove();
    w.Run("push 0 \"nothing\"\ncallfunction\npop\npush \"v\"\ngetvariable\ntrace\npush \"w\" 1\nsetvariable", &w.b);
    EXPECT_EQ(w.host.traces, std::vector<std::string>({"root"}));
    EXPECT_EQ(w.Str("w"), "1");
  }
  {
    // A function whose clip was removed runs on the clip it is called on,
    // else on its level's root.
    World w;
    w.Run("push \"_root\"\ngetvariable\npush \"f\"\nfunction \"\"\npush \"\" 11\ngetproperty\ntrace\nend\nsetmember",
          &w.b);
    EXPECT_EQ(w.Traces("push 0 \"a\"\ngetvariable\npush \"b\"\ngetmember\npush \"removeMovieClip\"\ncallmethod\npop\n"
                       "push 0 \"f\"\ncallfunction\npop\n"
                       "push \"a\"\ngetvariable\npush \"f\" \"f\"\ngetvariable\nsetmember\n"
                       "push 0 \"a\"\ngetvariable\npush \"f\"\ncallmethod\npop"),
              "/\n/a");
  }
}

TEST(ScriptPaths, TellTargetAndShadowedNames) {
  RunCases({
      // A timeline variable named _root, _parent or _global hides the built-in one.
      {"push \"_root\" \"fake\"\nsetvariable\npush \"_root\"\ngetvariable\ntrace\n"
       "push \"_global\" \"g\"\nsetvariable\npush \"_global\"\ngetvariable\ntrace",
       "fake\ng"},
      // tellTarget of an object goes where its toString names.
      {"push \"toString\"\nfunction \"\"\npush \"named\"\ntrace\npush \"a\"\nreturn\nend\npush 1\ninitobject\n"
       "settarget2\npush \"\" 13\ngetproperty\ntrace",
       "named\na"},
      // A target that names nothing: its properties read as nothing, variables are the root's.
      {"push \"v\" \"root\"\nsetvariable\nsettarget \"nothing\"\npush \"\" 13\ngetproperty\ntrace\n"
       "push \"v\"\ngetvariable\ntrace\nsettarget \"\"\npush \"\" 0\ngetproperty\ntrace",
       "undefined\nroot\n0"},
      // An empty step inside a path leads nowhere.
      {"push \"//a\" 13\ngetproperty\ntrace\npush \"/a\" 13\ngetproperty\ntrace", "undefined\na"},
  });
}

}  // namespace
