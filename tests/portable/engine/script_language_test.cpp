// The language as each SWF version runs it: conversions, SWF 4 results,
// try/catch/finally across calls, super and interfaces. Scripts in, traces out.

#include <gtest/gtest.h>

#include "tests/portable/engine/script_fakes.h"

namespace {

using script_test::World;

struct Case {
  int version;
  const char* script;
  const char* traces;
};

void RunCases(const std::vector<Case>& Cases) {
  for (const Case& c : Cases) {
    World w(c.version);
    EXPECT_EQ(w.Traces(c.script), c.traces) << "SWF " << c.version << ":\n" << c.script;
  }
}

TEST(ScriptLanguage, ConversionsFollowTheMovieVersion) {
  RunCases({
      // SWF 4 reads the number a string starts with and pushes 1 or 0.
      {4, "push \"300\" \"150a\"\nadd\ntrace", "450"},
      {4, "push \"ab\" \"0x96\"\nadd\ntrace", "0"},
      {4, "push 1 1\nequals\ntrace\npush \"blah\"\nnot\ntrace", "1\n1"},
      {4, "push 3 0\ndivide\ntrace", "#ERROR#"},
      // ... but a function is SWF 5 code.
      {4, "function \"f\"\npush 3 0\ndivide\ntrace\npush 1 1\nequals2\ntrace\nend\npush 0 \"f\"\ncallfunction\npop",
       "Infinity\ntrue"},
      {5, "push 1 1\nequals\ntrace", "true"},
      // undefined is 0 and "" before SWF 7, NaN and "undefined" from 7; trace always says undefined.
      {6, "push \"x\" undefined\nadd2\ntrace\npush 1 undefined\nadd2\ntrace\npush undefined\ntrace", "x\n1\nundefined"},
      {7, "push \"x\" undefined\nadd2\ntrace\npush 1 undefined\nadd2\ntrace\npush 1 null\nadd2\ntrace",
       "xundefined\nNaN\nNaN"},
      // Strings are true before SWF 7 when they read as a non-zero number.
      {6, "push \"abc\"\nnot\ntrace\npush \"2\"\nnot\ntrace", "true\nfalse"},
      {7, "push \"abc\"\nnot\ntrace", "false"},
      // Octal strings from SWF 6.
      {6, "push \"010\" 1\nadd\ntrace", "9"},
      {5, "push \"010\" 1\nadd\ntrace", "11"},
      // Shifts and masks read back as signed 32-bit numbers; the unsigned shift as unsigned after SWF 8.
      {8, "push 4294967295 0\nbiturshift\ntrace\npush 4294967295\ntointeger\ntrace", "-1\n-1"},
      {9, "push 4294967295 0\nbiturshift\ntrace\npush -3 1\nbiturshift\ntrace", "4294967295\n2147483646"},
  });
}

TEST(ScriptLanguage, Swf5FunctionsCloseOverNothing) {
  // outer() defines a local x and returns a function reading x; the timeline's x is "root".
  const char* script =
      "push \"x\" \"root\"\nsetvariable\n"
      "function \"outer\"\npush \"x\" \"local\"\ndefinelocal\nfunction \"\"\npush \"x\"\ngetvariable\nreturn\nend\n"
      "return\nend\n"
      "push 0 0 \"outer\"\ncallfunction\npush undefined\ncallmethod\ntrace";
  RunCases({{5, script, "root"}, {6, script, "local"}});
}

TEST(ScriptLanguage, OperandsConvertLeftFirst) {
  // valueOf of each operand traces its name: multiply converts its left operand first
  // (subtract its right one, see script_operators_test).
  const char* objects =
      "push \"l\"\nfunction \"\"\npush \"L\"\ntrace\npush 1\nreturn\nend\npush \"valueOf\"\nstackswap\npush 1\ninitobject\n"
      "setvariable\n"
      "push \"r\"\nfunction \"\"\npush \"R\"\ntrace\npush 2\nreturn\nend\npush \"valueOf\"\nstackswap\npush 1\ninitobject\n"
      "setvariable\n";
  RunCases({
      {8, (std::string(objects) + "push \"l\"\ngetvariable\npush \"r\"\ngetvariable\nmultiply\ntrace").c_str(), "L\nR\n2"},
  });
}

TEST(ScriptLanguage, TryCatchFinallyAcrossCalls) {
  RunCases({
      // A throw inside a called function reaches the caller's catch; finally runs after it.
      {8,
       "function \"f\"\npush \"boom\"\nthrow\nend\n"
       "try \"e\"\npush 0 \"f\"\ncallfunction\npop\npush \"not here\"\ntrace\n"
       "catch\npush \"caught \" \"e\"\ngetvariable\nadd2\ntrace\n"
       "finally\npush \"finally\"\ntrace\nend\npush \"after\"\ntrace",
       "caught boom\nfinally\nafter"},
      // The caught value may go to a register; a finally without catch passes the exception on.
      {8,
       "try r1\ntry\npush 7\nthrow\nfinally\npush \"inner finally\"\ntrace\nend\n"
       "catch\npush r1\ntrace\nend",
       "inner finally\n7"},
      // Uncaught: the rest of the block does not run.
      {8, "push \"x\"\nthrow\npush \"not here\"\ntrace", "Warning: Uncaught exception, x"},
      // An uncaught object prints through its toString, run after the frames are gone.
      {8, "function \"f\"\npush \"toString\"\nfunction \"\"\npush \"E!\"\nreturn\nend\npush 1\ninitobject\nthrow\nend\n"
          "push 0 \"f\"\ncallfunction",
       "Warning: Uncaught exception, E!"},
  });
}

TEST(ScriptLanguage, SuperAndInterfaces) {
  // Base(): traces "base"; Base.prototype.hi traces "base hi".
  // Sub extends Base; Sub(): super(); Sub.prototype.hi: "sub hi" then super.hi().
  const char* classes =
      "push \"Base\"\nfunction \"\"\npush \"base \"\npush \"this\"\ngetvariable\npush \"tag\"\ngetmember\nadd2\ntrace\nend\n"
      "setvariable\n"
      "push \"Base\"\ngetvariable\npush \"prototype\"\ngetmember\npush \"hi\"\n"
      "function \"\"\npush \"base hi\"\ntrace\nend\nsetmember\n"
      "push \"Sub\"\nfunction \"\"\npush 0 \"super\"\ncallfunction\npop\nend\nsetvariable\n"
      "push \"Sub\"\ngetvariable\npush \"Base\"\ngetvariable\nextends\n"
      "push \"Sub\"\ngetvariable\npush \"prototype\"\ngetmember\npush \"tag\" \"T\"\nsetmember\n"
      "push \"Sub\"\ngetvariable\npush \"prototype\"\ngetmember\npush \"hi\"\n"
      "function \"\"\npush \"sub hi\"\ntrace\npush 0 \"super\"\ngetvariable\npush \"hi\"\ncallmethod\npop\nend\nsetmember\n"
      "push \"o\" 0 \"Sub\"\nnewobject\nsetvariable\n"
      "push 0 \"o\"\ngetvariable\npush \"hi\"\ncallmethod\npop\n";
  const char* interfaces =
      "push \"I\"\nfunction \"\"\nend\nsetvariable\n"
      "push \"C\"\nfunction \"\"\nend\nsetvariable\n"
      "push \"I\"\ngetvariable\npush 1 \"C\"\ngetvariable\nimplementsop\n"
      "push \"o\" 0 \"C\"\nnewobject\nsetvariable\n"
      "push \"o\"\ngetvariable\npush \"I\"\ngetvariable\ninstanceof\ntrace\n"
      "push \"I\"\ngetvariable\npush \"o\"\ngetvariable\ncastop\ntypeof\ntrace\n"
      "push \"C\"\ngetvariable\npush 1\ncastop\ntrace\n";
  RunCases({
      {8, classes, "base T\nsub hi\nbase hi"},
      {8, interfaces, "true\nobject\nnull"},
  });
}

TEST(ScriptLanguage, NumbersAndStringsPrintAndCompareAsThePlayer) {
  const char* split =
      "push \",\" 1 \"a,b\"\npush \"split\"\ncallmethod\npush \"length\"\ngetmember\ntrace\n"
      "push 0 \"a,b\"\npush \"split\"\ncallmethod\npush \"length\"\ngetmember\ntrace\n"
      "push \"\" 1 \"a,b\"\npush \"split\"\ncallmethod\npush \"length\"\ngetmember\ntrace";
  RunCases({
      // Rounding to 15 digits would overflow: the largest number prints cut, not rounded up.
      {8, "push \"Number\"\ngetvariable\npush \"MAX_VALUE\"\ngetmember\ntrace", "1.79769313486231e+308"},
      {8, "push 0 \"Number\"\ngetvariable\npush \"MAX_VALUE\"\ngetmember\nsubtract\ntrace", "-1.79769313486231e+308"},
      {8, "push 2\npush 3\ndivide\ntrace\npush 1.7976931348623e308\ntrace", "0.666666666666667\n1.7976931348623e+308"},
      // Boolean() reads a string as conditions do: before SWF 7 by the number it reads as.
      {6, "push \"Hello\" 1 \"Boolean\"\ncallfunction\ntrace\npush \" 5\" 1 \"Boolean\"\ncallfunction\ntrace\n"
          "push \"5 \" 1 \"Boolean\"\ncallfunction\ntrace",
       "false\ntrue\nfalse"},
      {7, "push \"Hello\" 1 \"Boolean\"\ncallfunction\ntrace", "true"},
      // SWF 5 splits on a comma without a separator and keeps the string whole for an empty one.
      {5, split, "2\n2\n1"},
      {6, split, "2\n1\n3"},
      // A character outside the basic plane written as two UTF-16 halves is that character:
      // it sorts after the basic plane and counts two units.
      {8, "push \"\xEF\xBD\xA1\" \"\xED\xA0\x80\xED\xB0\x82\"\nless2\ntrace\n"
          "push \"\xED\xA0\x80\xED\xB0\x82\"\npush \"length\"\ngetmember\ntrace\n"
          "push \"\xED\xA0\x80\xED\xB0\x82\" \"\xF0\x90\x80\x82\"\nstrictequals\ntrace",
       "true\n2\ntrue"},
  });
}

TEST(ScriptLanguage, TimelineDeclarationsFollowPaths) {
  RunCases({
      // `var /:v;` declares v on the root, once; a function named by a path lands there too.
      {6, "push \"a\"\ngetvariable\npush \"w\" 1\nsetmember\n"
          "push \"/a/:v\"\ndefinelocal2\npush \"/a/:w\"\ndefinelocal2\n"
          "push \"v\" 1 \"a\"\ngetvariable\npush \"hasOwnProperty\"\ncallmethod\ntrace\n"
          "push \"/a:w\"\ngetvariable\ntrace\n"
          "function \"/a:f\"\npush \"in f\"\ntrace\nend\n"
          "push 0 \"a\"\ngetvariable\npush \"f\"\ncallmethod\npop",
       "true\n1\nin f"},
      // A function called by name runs on the with object it was found on, or on what its path leads to.
      {6, "push \"o\" \"tag\" \"O\" \"f\"\nfunction \"\"\npush \"this\"\ngetvariable\npush \"tag\"\ngetmember\ntrace\nend\n"
          "push 2\ninitobject\nsetvariable\n"
          "push \"o\"\ngetvariable\nwith\npush 0 \"f\"\ncallfunction\npop\nend\n"
          "push 0 \"o.f\"\ncallfunction\npop\n"
          "push \"g\" \"o\"\ngetvariable\npush \"f\"\ngetmember\nsetvariable\npush 0 \"g\"\ncallfunction\npop",
       "O\nO\nundefined"},
      // Inside a function `var` of a path defines that very name, unparsed, on the timeline.
      {6, "function \"f\"\npush \"/:x\" 5\ndefinelocal\npush \"/:y\"\ndefinelocal2\npush \"/:x\"\ngetvariable\ntrace\n"
          "push \"z\" 6\ndefinelocal\nend\n"
          "push 0 \"f\"\ncallfunction\npop\npush \"x\"\ngetvariable\ntrace\npush \"z\"\ngetvariable\ntrace\n"
          "push \"this\"\ngetvariable\npush \"/:x\"\ngetmember\ntrace\n"
          "push \"/:y\" 1 \"this\"\ngetvariable\npush \"hasOwnProperty\"\ncallmethod\ntrace",
       "undefined\nundefined\nundefined\n5\ntrue"},
  });
}

TEST(ScriptLanguage, ClipActionsReadObjectOperandsInThePlayersOrder) {
  // o(N) is an object whose valueOf traces "vN" and gives N, whose toString traces "sN" and gives "N".
  const std::string objects =
      "function \"o\" \"n\"\npush \"n\" \"n\"\ngetvariable\n"
      "push \"valueOf\"\nfunction \"\"\npush \"v\" \"this\"\ngetvariable\npush \"n\"\ngetmember\nadd2\ntrace\n"
      "push \"this\"\ngetvariable\npush \"n\"\ngetmember\nreturn\nend\n"
      "push \"toString\"\nfunction \"\"\npush \"s\" \"this\"\ngetvariable\npush \"n\"\ngetmember\nadd2\ntrace\n"
      "push \"\" \"this\"\ngetvariable\npush \"n\"\ngetmember\nadd2\nreturn\nend\npush 3\ninitobject\nreturn\nend\n";
  auto o = [](int N) { return "push " + std::to_string(N) + " 1 \"o\"\ncallfunction\n"; };
  const std::string getProperty = objects + o(0) + o(7) + "getproperty\ntrace";
  const std::string setProperty = objects + o(0) + o(7) + o(1) + "setproperty\n" + o(0) + "push 13\n" + o(4) +
                                  "setproperty\n" + o(0) + "push 15\n" + o(5) + "setproperty";
  const std::string startDrag = objects + o(4) + o(3) + o(2) + o(1) + o(1) + o(9) + o(0) + "startdrag\n" + o(2) + o(8) +
                                o(0) + "startdrag\npush \"after\"\ntrace";
  const std::string frames = objects + o(2) + "gotoframe2 stop\n" + o(3) + "bytes 8D 01 00 00\npush \"loaded\"\ntrace";
  RunCases({
      // The index by valueOf, then the target by toString, which names no clip.
      {8, getProperty.c_str(), "v7\ns0\nundefined"},
      // The value by valueOf; _name by toString; _url not at all.
      {8, setProperty.c_str(), "v7\ns0\nv1\ns0\ns4\ns0"},
      // The rectangle is read only when the constrain flag is exactly 1.
      {8, startDrag.c_str(), "s0\nv9\nv1\nv1\nv2\nv3\nv4\ns0\nv8\nv2\nafter"},
      {8, frames.c_str(), "s2\ns3\nloaded"},
      // Frames past the player's limit are not loaded: WaitForFrame2 skips its actions.
      {8, "push 16001\nbytes 8D 01 00 02\npush \"a\"\ntrace\npush 16002\nbytes 8D 01 00 02\npush \"b\"\ntrace\n"
          "push 2147483649\nbytes 8D 01 00 01\nfunction \"f\"\nend\npush \"c\"\ntrace\n"
          "push 16002\nbytes 8D 01 00 01\nfunction \"g\"\npush \"no\"\ntrace\nend\npush \"d\"\ntrace",
       "a\nc\nd"},
      // SWF 5 finds two boxed numbers equal by their values; later versions by identity.
      {5, (objects + o(1) + o(1) + "equals2\ntrace\npush 0\ninitobject\npush 0\ninitobject\nequals2\ntrace").c_str(),
       "v1\nv1\ntrue\nfalse"},
      {6, (objects + o(1) + o(1) + "equals2\ntrace").c_str(), "false"},
  });
}

// A function the host calls that throws ends the call, not the process.
TEST(ScriptLanguage, AnExceptionLeavingAHostCallEndsOnlyThatCall) {
  World w;
  ASSERT_TRUE(w.Run("function \"f\"\npush \"boom\"\nthrow\nend"));
  w.host.traces.clear();
  const swf::Value r = w.runtime.CallFunction(w.Var("f"), swf::Value(), {}, w.root, w.host);
  EXPECT_TRUE(r.IsUndefined());
  EXPECT_EQ(w.host.traces, std::vector<std::string>{"Warning: Uncaught exception, boom"});
  EXPECT_EQ(w.Traces("push \"after\"\ntrace"), "after");
}

}  // namespace
