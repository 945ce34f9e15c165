// Operators and the conversions they make of objects, as each SWF version
// runs them. Scripts in, traces out.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/portable/engine/script_fakes.h"

namespace {

using script_test::World;

struct Case {
  int version;
  std::string script;
  const char* traces;
};

void RunCases(const std::vector<Case>& Cases) {
  for (const Case& c : Cases) {
    World w(c.version);
    EXPECT_EQ(w.Traces(c.script), c.traces) << "SWF " << c.version << ":\n" << c.script;
  }
}

// o = {}; then o.NAME = a function tracing TEXT and returning what RETURNS pushes.
std::string Method(const std::string& Name, const std::string& Text, const std::string& Returns) {
  return "push \"o\"\ngetvariable\npush \"" + Name + "\"\nfunction \"\"\npush \"" + Text + "\"\ntrace\n" + Returns +
         "\nreturn\nend\nsetmember\n";
}
const std::string kObject = "push \"o\" 0\ninitobject\nsetvariable\n";
const std::string kO = "push \"o\"\ngetvariable\n";

TEST(ScriptOperators, ObjectsConvertThroughValueOfAndToString) {
  RunCases({
      // A plain object's valueOf gives the object: it adds as NaN and joins strings as its text.
      {8, kObject + kO + "push 1\nadd2\ntrace\npush \"x\"\n" + kO + "add2\ntrace", "NaN\nx[object Object]"},
      // Without a callable toString, or when it returns an object or nothing, an object reads "[type Object]".
      {8, kObject + kO + "push \"toString\" undefined\nsetmember\n" + kO + "trace", "[type Object]"},
      {8, kObject + Method("toString", "t", "push 0\ninitobject") + kO + "trace", "t\n[type Object]"},
      {8, kObject + Method("toString", "t", "push undefined") + kO + "trace", "t\n[type Object]"},
      // Without a callable valueOf the primitive is undefined.
      {8, kObject + kO + "push \"valueOf\" 5\nsetmember\npush \"\"\n" + kO + "add2\ntrace", "undefined"},
      // valueOf giving an object: strings take toString's text.
      {8, kObject + Method("valueOf", "v", "push 0\ninitobject") + Method("toString", "t", "push \"T\"") +
              "push \"\"\n" + kO + "add2\ntrace",
       "v\nt\nT"},
      // A Date adds by its toString from SWF 6, by valueOf before.
      {6, "push \"o\" 0 \"Date\"\nnewobject\nsetvariable\n" + Method("toString", "t", "push \"T\"") +
              Method("valueOf", "v", "push \"V\"") + "push \"\"\n" + kO + "add2\ntrace",
       "t\nT"},
      {5, "push \"o\" 0 \"Date\"\nnewobject\nsetvariable\n" + Method("toString", "t", "push \"T\"") +
              Method("valueOf", "v", "push \"V\"") + "push \"\"\n" + kO + "add2\ntrace",
       "v\nV"},
      // SWF 4 reads an object valueOf leaves unconverted as 0.
      {4, kObject + kO + "push 5\nadd\ntrace", "5"},
      {4, kObject + Method("valueOf", "v", "push 2") + kO + "push 5\nadd\ntrace", "v\n7"},
      // Conversions do not ask __resolve.
      {8, kObject + "push \"o\"\ngetvariable\npush \"__proto__\" null\nsetmember\n" +
              Method("__resolve", "resolve", "push \"x\"") + "push 1\n" + kO + "add2\ntrace",
       "NaN"},
  });
}

TEST(ScriptOperators, AddConvertsItsRightOperandFirst) {
  std::string objects = "push \"l\" 0\ninitobject\nsetvariable\npush \"r\" 0\ninitobject\nsetvariable\n"
                        "push \"l\"\ngetvariable\npush \"valueOf\"\nfunction \"\"\npush \"L\"\ntrace\npush 1\nreturn\nend\nsetmember\n"
                        "push \"r\"\ngetvariable\npush \"valueOf\"\nfunction \"\"\npush \"R\"\ntrace\npush 2\nreturn\nend\nsetmember\n";
  RunCases({
      {8, objects + "push \"l\"\ngetvariable\npush \"r\"\ngetvariable\nadd2\ntrace", "R\nL\n3"},
      // Less converts its left operand first and is false at once when it stays an object.
      {8, objects + "push \"l\"\ngetvariable\npush \"r\"\ngetvariable\nless2\ntrace", "L\nR\ntrue"},
      {8, objects + "push 0\ninitobject\npush \"r\"\ngetvariable\nless2\ntrace", "false"},
      {5, "push 0\ninitobject\npush 0\nless2\ntrace", "false"},
  });
}

TEST(ScriptOperators, Swf4OperatorsConvertInTheirOwnOrder) {
  std::string objects = "push \"l\" 0\ninitobject\nsetvariable\npush \"r\" 0\ninitobject\nsetvariable\n"
                        "push \"l\"\ngetvariable\npush \"valueOf\"\nfunction \"\"\npush \"L\"\ntrace\npush \"1\"\nreturn\nend\nsetmember\n"
                        "push \"r\"\ngetvariable\npush \"valueOf\"\nfunction \"\"\npush \"R\"\ntrace\npush \"2\"\nreturn\nend\nsetmember\n"
                        "push \"l\"\ngetvariable\npush \"toString\"\nfunction \"\"\npush \"l\"\ntrace\npush \"a\"\nreturn\nend\nsetmember\n"
                        "push \"r\"\ngetvariable\npush \"toString\"\nfunction \"\"\npush \"r\"\ntrace\npush \"b\"\nreturn\nend\nsetmember\n"
                        "push \"l\"\ngetvariable\npush \"r\"\ngetvariable\n";
  RunCases({
      // Add and Multiply convert left first; Subtract, Divide and the string operators right first.
      {8, objects + "add\ntrace", "L\nR\n3"},
      {8, objects + "multiply\ntrace", "L\nR\n2"},
      {8, objects + "subtract\ntrace", "R\nL\n-1"},
      {8, objects + "divide\ntrace", "R\nL\n0.5"},
      {8, objects + "stringadd\ntrace", "r\nl\nab"},
      {8, objects + "stringequals\ntrace", "r\nl\nfalse"},
      // A valueOf returning a numeric string counts as that number.
      {8, objects + "less\ntrace", "L\nR\ntrue"},
  });
}

TEST(ScriptOperators, ToStringGivingANonStringReadsAsTypeObject) {
  RunCases({
      {8, kObject + Method("toString", "t", "push 2") + kO + "trace", "t\n[type Object]"},
      {8, kObject + Method("toString", "t", "push true") + "push \"x\"\n" + kO + "stringadd\ntrace",
       "t\nx[type Object]"},
  });
}

TEST(ScriptOperators, AFunctionsLocalsInheritNothing) {
  // The inner function finds the outer one's local "toString", not Object.prototype.toString.
  RunCases({
      {8, "function \"outer\"\npush \"toString\" \"x\"\ndefinelocal\npush \"f\"\nfunction \"\"\n"
          "push \"toString\"\ngetvariable\nreturn\nend\ndefinelocal\npush 0 \"f\"\ncallfunction\nreturn\nend\n"
          "push 0 \"outer\"\ncallfunction\ntrace",
       "x"},
  });
}

TEST(ScriptOperators, Equality) {
  RunCases({
      // Loose equality finds NaN equal to NaN; the SWF 4 equals does not.
      {8, "push \"NaN\"\ngetvariable\npush \"NaN\"\ngetvariable\nequals2\ntrace", "true"},
      {8, "push \"NaN\"\ngetvariable\npush \"NaN\"\ngetvariable\nequals\ntrace", "false"},
      // Number text: blanks lead but do not follow; leading blanks turn octal off; octal and
      // hexadecimal keep their low 32 bits.
      {6, "push \"\t 12\"\ntonumber\ntrace\npush \"5 \"\ntonumber\ntrace\npush \" 010\"\ntonumber\ntrace", "12\nNaN\n10"},
      {6, "push \"-037777777777\"\ntonumber\ntrace\npush \"0x1999999981ffffff\"\ntonumber\ntrace", "1\n-2113929217"},
      // "Infinity" is no number text.
      {8, "push \"Infinity\"\ntonumber\ntrace\npush \"-Infinity\"\ntonumber\ntrace", "NaN\nNaN"},
      // An object whose __proto__ is removed has no primitive: it equals undefined.
      {8, kObject + "push \"o\"\ngetvariable\npush \"__proto__\" undefined\nsetmember\n" + kO +
              "push undefined\nequals2\ntrace",
       "true"},
  });
}

TEST(ScriptOperators, AGetterThrowingDuringAConversionThrowsWhenTheActionEnds) {
  // o.toString is an accessor whose getter throws: trace still prints, then the catch runs.
  std::string script = kObject +
                       "push null\nfunction \"\"\npush \"boom\"\nthrow\nend\n"
                       "push \"toString\" 3 \"o\"\ngetvariable\npush \"addProperty\"\ncallmethod\npop\n"
                       "try \"e\"\n" + kO + "trace\ncatch\npush \"caught \" \"e\"\ngetvariable\nadd2\ntrace\nend";
  RunCases({{8, script, "[type Object]\ncaught boom"}});
}

TEST(ScriptOperators, InitArrayAndInitObjectRefuseCountsBeyond32Bits) {
  RunCases({
      {8, "push \"a\" \"b\" 4294967297.0\ninitarray\ntrace\ntrace\ntrace", "undefined\nb\na"},
      {8, "push \"a\" \"b\" -1\ninitobject\ntrace\ntrace\ntrace", "undefined\nb\na"},
      {8, "push \"b\" \"a\" 2\ninitarray\ntrace", "a,b"},
  });
}

TEST(ScriptOperators, FinallyRunsOnTheWayOutOfAFunction) {
  RunCases({
      // A return inside try runs the finally body first.
      {8, "function \"f\"\ntry\npush 5\nreturn\nfinally\npush \"fin\"\ntrace\nend\nend\n"
          "push 0 \"f\"\ncallfunction\ntrace",
       "fin\n5"},
      // A throw from a catch body ending the function passes its finally body, then the caller's catch.
      {8, "function \"f\"\ntry \"e\"\npush 1\nthrow\ncatch\npush \"again\"\nthrow\nfinally\npush \"fin\"\ntrace\nend\nend\n"
          "try \"x\"\npush 0 \"f\"\ncallfunction\ncatch\npush \"x\"\ngetvariable\ntrace\nend",
       "fin\nagain"},
  });
}

TEST(ScriptOperators, PreloadedRegistersThatAreAlsoSuppressed) {
  // this and super suppressed as well as preloaded stay undefined; arguments load all the same.
  std::string f = "function2 \"f\" registers 4 preload this arguments super suppress this arguments super\n"
                  "push r1\ntrace\npush r2\ntrace\npush r3\ntrace\nend\n"
                  "push 7 1 \"f\"\ncallfunction\npop";
  RunCases({{8, f, "undefined\n7\nundefined"}});
}

}  // namespace
