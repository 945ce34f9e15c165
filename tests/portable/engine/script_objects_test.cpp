// The built-in classes scripts find in every movie: Object, Function,
// Boolean, Number, String, Math, the global functions and AsBroadcaster.
// Each case is an assembled expression whose value is traced.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/portable/engine/script_fakes.h"

using script_test::World;

namespace {

struct Case {
  std::string code;  // leaves one value on the stack
  std::string want;  // what trace prints of it
};

// Runs each case in a fresh world of the version and compares its trace.
void Check(int Version, const std::vector<Case>& Cases, const std::string& Setup = "") {
  for (const Case& c : Cases) {
    World w(Version);
    EXPECT_EQ(w.Traces(Setup + "\n" + c.code + "\ntrace"), c.want) << c.code;
  }
}

// Assembly of Of.Name(Args...). Of and Args are push values, or code
// when they hold more than one line; the arguments go last first.
std::string Method(const std::string& Of, const std::string& Name, const std::string& Args = "", int Count = 0) {
  auto code = [](const std::string& V) { return V.find('\n') == std::string::npos ? "push " + V : V; };
  return (Args.empty() ? "" : code(Args) + "\n") + "push " + std::to_string(Count) + "\n" + code(Of) + "\npush \"" +
         Name + "\"\ncallmethod";
}

// A global variable, as the object of Method.
std::string Global(const std::string& Name) { return "push \"" + Name + "\"\ngetvariable"; }

}  // namespace

TEST(ScriptObjects, StringsCountUtf16UnitsAndClampIndexes) {
  Check(8, {
      {"push \"\xF0\x9F\x98\x8B\"\npush \"length\"\ngetmember", "2"},
      {Method("\"f\xF0\x9F\x98\x8B\"", "charCodeAt", "2", 1), "56843"},
      {Method("\"foo\"", "charAt", "4294967297", 1), "o"},
      {Method("\"foo\"", "charCodeAt", "-1", 1), "NaN"},
      {Method("\"aaatestFOOtest\"", "indexOf", "4294967300 \"test\"", 2), "10"},
      {Method("\"aaatest\"", "indexOf", "100 \"\"", 2), "-1"},
      {Method("\"aaatestFOOtest\"", "lastIndexOf", "null \"test\"", 2), "-1"},
      {Method("\"Hello1234\"", "slice", "-1 -3", 2), "23"},
      {Method("\"Hello1234\"", "slice", ""), "undefined"},
      {Method("\"HELLOhello\"", "substring", "3 6", 2), "LOh"},
      {Method("\"HELLOhello\"", "substr", "null 3", 2), ""},
      {Method("\"hello world\"", "substr", "-4 3", 2), "lo worl"},
      {Method("\"hello world\"", "substr", "-3 3", 2), ""},
      {Method("\"abcd\"", "substr", "-2 -3", 2), "bc"},
      {Method("\"teST\xC3\x84\xC4\xB1\"", "toLowerCase"), "test\xC3\xA4\xC4\xB1"},
      {Method("\"\xCF\x82\xC3\xBF\"", "toUpperCase"), "\xCE\xA2\xC5\xB8"},
      {Method(Global("String"), "fromCharCode", "82 0 80 65616", 4), "PP"},
      {Method(Global("String"), "fromCharCode", "55297", 1), "\xEF\xBF\xBD"},
      {Method("\"a\"", "concat", "true null", 2), "anulltrue"},
  });
}

TEST(ScriptObjects, SplitTakesLimitsAndEmptySeparators) {
  auto split = [](const std::string& Args, int Count) {
    return Method("\"A,,b,c\"", "split", Args, Count) + "\npushduplicate\npush \"length\"\ngetmember\nstackswap\ntostring\nadd2";
  };
  std::string a = split("\",\"", 1), b = split("2 \",\"", 2), c = split("0 \",\"", 2), d = split("\"\"", 1),
              e = split("0 undefined", 2);
  Check(8, {
      {a, "4A,,b,c"},
      {b, "2A,"},
      {c, "0"},
      {d, "6A,,,,,b,,,c"},
      {e, "1A,,b,c"},
  });
}

TEST(ScriptObjects, WrappersKeepTheirPrimitive) {
  Check(8, {
      {"push 5 1 \"Number\"\nnewobject\ntypeof", "object"},
      {"push 5 1 \"Number\"\nnewobject\npush 1\nadd2", "6"},
      {"push \"abc\" 1 \"String\"\nnewobject\npush \"length\"\ngetmember", "3"},
      {"push 0 \"Boolean\"\nnewobject", "false"},
      {"push 0 \"Boolean\"\ncallfunction\ntypeof", "undefined"},
      {"push \"12\" 1 \"Number\"\ncallfunction\ntypeof", "number"},
      {"push 7 1 \"Object\"\ncallfunction\ntypeof", "object"},
      {Method("255", "toString", "16", 1), "ff"},
      {Method("-123.1", "toString", "2", 1), "-1111011"},
      {Method("-2147483647.9", "toString", "36", 1), "-zik0zj"},
      {Method(Global("nan"), "toString", "16", 1), "-(0000000"},
      {Method("4123", "toString", "37", 1), "4123"},
      {Method("true", "toString"), "true"},
  }, "push \"nan\" 0 0\ndivide\nsetvariable");
}

TEST(ScriptObjects, MathConvertsTwoArgumentsAndComparesTwo) {
  Check(8, {
      {Method(Global("Math"), "min"), "Infinity"},
      {Method(Global("Math"), "max"), "-Infinity"},
      {Method(Global("Math"), "min", "1", 1), "NaN"},
      {Method(Global("Math"), "max", "\"10\" \"2\"", 2), "10"},
      {Method(Global("Math"), "min", "1 \"a\"", 2), "NaN"},
      {Method(Global("Math"), "round", "-12.5", 1), "-12"},
      {Method(Global("Math"), "round", "23.5", 1), "24"},
      {Method(Global("Math"), "abs", "true", 1), "1"},
      {Method(Global("Math"), "pow", "10 2", 2), "1024"},
      {"push \"Math\"\ngetvariable\npush \"PI\"\ngetmember", "3.14159265358979"},
      {"push 1 10 2 50 200 2 \"ASnative\"\ncallfunction\npush undefined\ncallmethod", "NaN"},
      {"push -2 1 0 200 2 \"ASnative\"\ncallfunction\npush undefined\ncallmethod", "2"},
  });
  World w;
  EXPECT_EQ(w.Traces(R"(
    function "" "x"
      push "valueOf called"
      trace
      push 3
      return
    end
    storeregister 1
    pop
    push 0 "Object"
    newobject
    storeregister 2
    push "valueOf" r1
    setmember
    push r2 r2 r2 3 "Math"
    getvariable
    push "sqrt"
    callmethod
    trace
  )"),
            "valueOf called\nvalueOf called\n1.73205080756888");
}

TEST(ScriptObjects, GlobalFunctions) {
  Check(8, {
      {"push \" -0x1F\" 1 \"parseInt\"\ncallfunction", "-31"},
      {"push \"010\" 1 \"parseInt\"\ncallfunction", "8"},
      {"push 36 \"zz\" 2 \"parseInt\"\ncallfunction", "1295"},
      {"push 1 \"1\" 2 \"parseInt\"\ncallfunction", "NaN"},
      {"push \"x1\" 1 \"parseInt\"\ncallfunction", "NaN"},
      {"push \" 1.5e2xyz\" 1 \"parseFloat\"\ncallfunction", "150"},
      {"push \".e1\" 1 \"parseFloat\"\ncallfunction", "NaN"},
      {"push 0 \"isNaN\"\ncallfunction", "true"},
      {"push \"12\" 1 \"isFinite\"\ncallfunction", "true"},
      {"push \"@*_+-./ \xC4\x80\" 1 \"escape\"\ncallfunction", "%40%2A%5F%2B%2D%2E%2F%20%C4%80"},
      {"push \"%E3%81%82%4a+%zz%\" 1 \"unescape\"\ncallfunction", "\xE3\x81\x82J+%zz%"},
      {"push \"%E9t%E9\" 1 \"unescape\"\ncallfunction", "\xC3\xA9t\xC3\xA9"},
      {"push 0 \"escape\"\ncallfunction", "undefined"},
  });
}

TEST(ScriptObjects, ObjectMethods) {
  // base = {name: 1}; child.__proto__ = base
  const std::string setup = R"(
    push "base" "name" 1 1
    initobject
    setvariable
    push "child" 0
    initobject
    setvariable
    push "child"
    getvariable
    push "__proto__" "base"
    getvariable
    setmember
  )";
  Check(8, {
      {Method(Global("base"), "hasOwnProperty", "\"name\"", 1), "true"},
      {Method(Global("child"), "hasOwnProperty", "\"name\"", 1), "false"},
      {Method(Global("child"), "hasOwnProperty", "\"__proto__\"", 1), "true"},
      {Method(Global("base"), "hasOwnProperty"), "false"},
      {Method(Global("base"), "isPrototypeOf", Global("child"), 1), "true"},
      {Method(Global("child"), "isPrototypeOf", Global("base"), 1), "false"},
      {Method(Global("base"), "propertyIsEnumerable", "\"name\"", 1), "true"},
      {Method(Global("base"), "propertyIsEnumerable", "\"hasOwnProperty\"", 1), "false"},
      {Method(Global("base"), "toString"), "[object Object]"},
      {Method(Global("base"), "addProperty", "null \"x\"", 2), "false"},
      {Method(Global("base"), "watch", "1 \"x\"", 2), "false"},
      {Method(Global("base"), "unwatch", "\"x\"", 1), "false"},
      {Method(Global("Object"), "registerClass", "push \"base\"\ngetvariable\npush \"sym\"", 2), "true"},
  }, setup);
}

TEST(ScriptObjects, AsSetPropFlagsHidesAndProtects) {
  World w(8);
  EXPECT_EQ(w.Traces(R"(
    push "o" "a" 1 "b" 2 "c" 3 3
    initobject
    setvariable
    push 0 4 "a,b" "o"
    getvariable
    push 4 "ASSetPropFlags"
    callfunction
    pop
    push "o"
    getvariable
    push "a" 10
    setmember
    push "o"
    getvariable
    push "a"
    getmember
    trace
    push 0 16384 null "o"
    getvariable
    push 4 "ASSetPropFlags"
    callfunction
    pop
    push "o"
    getvariable
    push "c"
    getmember
    trace
    push "o"
    getvariable
    push "c" 5
    setmember
    push "o"
    getvariable
    push "c"
    getmember
    trace
  )"),
            "1\nundefined\n5");
  // The same bit leaves SWF 10 movies alone.
  World ten(10);
  EXPECT_EQ(ten.Traces(R"(
    push "o" "c" 3 1
    initobject
    setvariable
    push 0 16384 "c" "o"
    getvariable
    push 4 "ASSetPropFlags"
    callfunction
    pop
    push "o"
    getvariable
    push "c"
    getmember
    trace
  )"),
            "3");
}

TEST(ScriptObjects, CallAndApplyPassThisAndArguments) {
  const std::string setup = R"(
    function "f" "a" "b"
      push "this"
      getvariable
      push "k"
      getmember
      push "a"
      getvariable
      add2
      push "b"
      getvariable
      add2
      return
    end
    push "o" "k" "K" 1
    initobject
    setvariable
  )";
  Check(8, {
      {Method(Global("f"), "call", "push 2 1 \"o\"\ngetvariable", 3), "K12"},
      {Method(Global("f"), "apply", "push \"y\" \"x\" 2\ninitarray\npush \"o\"\ngetvariable", 2), "Kxy"},
      {Method(Global("f"), "apply", Global("o"), 1), "Kundefinedundefined"},
  }, setup);
}

TEST(ScriptObjects, BroadcasterCallsEachListenerOnce) {
  World w(8);
  EXPECT_EQ(w.Traces(R"(
    push "b" 0
    initobject
    setvariable
    push "b"
    getvariable
    push 1 "AsBroadcaster"
    getvariable
    push "initialize"
    callmethod
    pop
    push "l" 0
    initobject
    setvariable
    push "l"
    getvariable
    push "hi"
    function "" "x"
      push "got "
      push "x"
      getvariable
      add2
      trace
    end
    setmember
    push "l"
    getvariable
    push 1 "b"
    getvariable
    push "addListener"
    callmethod
    pop
    push "l"
    getvariable
    push 1 "b"
    getvariable
    push "addListener"
    callmethod
    pop
    push 5 "hi" 2 "b"
    getvariable
    push "broadcastMessage"
    callmethod
    trace
    push "b"
    getvariable
    push "_listeners"
    getmember
    push "length"
    getmember
    trace
    push "l"
    getvariable
    push 1 "b"
    getvariable
    push "removeListener"
    callmethod
    trace
    push "hi" 1 "b"
    getvariable
    push "broadcastMessage"
    callmethod
    trace
    push "b"
    getvariable
    push "addListener"
    getmember
    push "AsBroadcaster"
    getvariable
    push "addListener"
    getmember
    strictequals
    trace
  )"),
            "got 5\ntrue\n1\ntrue\nundefined\ntrue");
}

TEST(ScriptObjects, SuperFollowsThisObjectsChainAsItIsWhenUsed) {
  // T.prototype.m moves its object under a class of Boolean's, then calls super(true):
  // the constructor it reaches is the new one, and it makes the object a Boolean.
  const std::string setup = R"(
    function "T"
    end
    push "T"
    getvariable
    push "prototype"
    getmember
    push "m"
    function2 "" registers 3 preload this super
      push r1 "__proto__" "__proto__" "Boolean"
      getvariable
      push "prototype"
      getmember
      push "__constructor__" "Boolean"
      getvariable
      push 2
      initobject
      setmember
      push true 1 r2 undefined
      callmethod
      return
    end
    setmember
    push "o" 0 "T"
    newobject
    setvariable
  )";
  Check(8, {
      {Method(Global("o"), "m"), "true"},
      {Method(Global("o"), "m") + "\npop\npush \"o\"\ngetvariable\npush \"\"\nadd2", "true"},
      // An own method's super() starts above the object: its own __constructor__ is not called.
      {"push 0 \"__constructor__\" \"Number\"\ngetvariable\npush \"f\"\nfunction2 \"\" registers 2 preload super\n"
       "push 0 r1 undefined\ncallmethod\nreturn\nend\npush 2\ninitobject\npush \"f\"\ncallmethod",
       "undefined"},
  }, setup);
}

TEST(ScriptObjects, ProtoHoldsAnyValueAndEndsTheChain) {
  const std::string setup = R"(
    push "o" 0
    initobject
    setvariable
  )";
  auto setProto = [](const std::string& V) {
    return "push \"o\"\ngetvariable\npush \"__proto__\" " + V + "\nsetmember\npush \"o\"\ngetvariable\n";
  };
  Check(8, {
      {setProto("123") + "push \"__proto__\"\ngetmember", "123"},
      {setProto("\"abc\"") + "push \"__proto__\"\ngetmember\ntypeof", "string"},
      {setProto("null") + "push \"__proto__\"\ngetmember", "null"},
      // A string there lends nothing: the chain ends at the object.
      {setProto("\"abc\"") + "push \"toString\"\ngetmember", "undefined"},
      {setProto("\"abc\"") + "pop\npush \"o\"\ngetvariable\npush \"__proto__\"\ndelete\npop\npush \"o\"\ngetvariable\n"
                             "push \"__proto__\"\ngetmember",
       "undefined"},
      // A chain that loops stops the script at the first lookup that runs it to the end.
      {"push \"o\"\ngetvariable\npush \"__proto__\" \"o\"\ngetvariable\nsetmember\n"
       "push \"seen\"\ntrace\npush \"o\"\ngetvariable\npush \"x\"\ngetmember",
       "seen"},
  }, setup);
  // Before SWF 7 __proto__ is matched in any case, as other names are.
  const std::string upper = "push \"o\"\ngetvariable\npush \"__PROTO__\"\ngetmember\npush \"\"\nadd2";
  Check(6, {{upper, "[object Object]"}}, setup);
  Check(7, {{upper, "undefined"}}, setup);
}

TEST(ScriptObjects, CalledFunctionsRunOnWhatHoldsThem) {
  // o.f returns this.v. A function called by name runs on the with object
  // that holds it, or on the object a path names; found elsewhere it runs
  // on no particular object.
  const std::string setup = R"(
    push "o" "v" "W" 1
    initobject
    setvariable
    push "o"
    getvariable
    push "f"
    function ""
      push "this"
      getvariable
      push "v"
      getmember
      return
    end
    setmember
    push "g" "o"
    getvariable
    push "f"
    getmember
    setvariable
  )";
  Check(7, {
      {"push \"o\"\ngetvariable\nwith\n  push 0 \"f\"\n  callfunction\n  trace\nend\npush \"done\"", "W\ndone"},
      {"push 0 \"o.f\"\ncallfunction", "W"},
      {"push 0 \"g\"\ncallfunction", "undefined"},
      {"push \"o\"\ngetvariable\nwith\n  push 0 \"g\"\n  callfunction\n  trace\nend\npush \"done\"",
       "undefined\ndone"},
  }, setup);
}

TEST(ScriptObjects, ConstructorsAnswerAndOwnTheirObjects) {
  Check(6, {
      // Before SWF 7 an object made by new owns its constructor.
      {"function \"F\"\nend\npush \"constructor\" 1 0 \"F\"\nnewobject\npush \"hasOwnProperty\"\ncallmethod", "true"},
      {"push \"_root\"\ngetvariable\npush 1 \"Object\"\nnewobject", "_level0"},
  });
  Check(8, {
      {"function \"F\"\nend\npush \"constructor\" 1 0 \"F\"\nnewobject\npush \"hasOwnProperty\"\ncallmethod", "false"},
      {"push \"x\" 1 \"Function\"\ncallfunction", "x"},
      // A method called by name alone runs on the script's clip.
      {"push \"v\" 1\nsetvariable\npush \"v\" 1 \"hasOwnProperty\"\ncallfunction", "true"},
  });
}

TEST(ScriptObjects, GlobalClassesByVersion) {
  const std::vector<Case> everywhere = {
      {"push \"Error\"\ngetvariable\ntypeof", "function"},
      {"push \"MovieClip\"\ngetvariable\npush \"prototype\"\ngetmember\npush \"_root\"\ngetvariable\n"
       "push \"__proto__\"\ngetmember\nstrictequals",
       "true"},
      {"push \"PrintJob\"\ngetvariable\ntypeof", "function"},
      {"push \"System\"\ngetvariable\npush \"IME\"\ngetmember\ntypeof", "object"},
      {"push \"oops\" 1 \"Error\"\nnewobject\npush \"\"\nadd2", "oops"},
      {"push 0 \"Error\"\nnewobject\npush \"\"\nadd2", "Error"},
  };
  Check(6, everywhere);
  Check(8, everywhere);
  // A SWF 6 print job stands outside Object's chain.
  const std::string job = "push 0 \"PrintJob\"\nnewobject";
  Check(6, {{"push \"flash\"\ngetvariable\ntypeof", "undefined"}, {job, "[type Object]"}});
  Check(7, {{job, "[object Object]"}});
  Check(8, {
      {"push \"flash.filters.BlurFilter\"\ngetvariable\ntypeof", "function"},
      {"push \"flash.external.ExternalInterface\"\ngetvariable\ntypeof", "function"},
  });
}

TEST(ScriptObjects, NativesByNumber) {
  const std::string setup = R"(
    push "d" 1234 1 "Date"
    newobject
    setvariable
  )";
  Check(8, {
      {"push \"d\"\ngetvariable\npush \"t\" 16 103 2 \"ASnative\"\ncallfunction\nsetmember\n" +
           Method(Global("d"), "t"),
       "1234"},
      // Each name takes the next number; an empty one uses a number up too.
      {"push 15 \",t\" 103\n" + Global("d") + "\npush 4 \"ASSetNative\"\ncallfunction\npop\n" + Method(Global("d"), "t"),
       "1234"},
      {"push 1 2 2 \"ASnative\"\ncallfunction\ntypeof", "undefined"},
      {Method(Global("ASnative"), "call", "2 200 null", 3) + "\npush \"\"\nadd2", "[type Function]"},
  }, setup);
  // A leading version ("8name") makes a new member hidden from older movies,
  // where the chain above answers for it; a member that exists keeps its
  // flags and takes the function. ASSetNativeAccessor makes getters.
  const std::string objects = R"(
    push "p" "a" "base" 1
    initobject
    setvariable
    push "o" 0
    initobject
    setvariable
    push "o"
    getvariable
    push "__proto__" "p"
    getvariable
    setmember
  )";
  auto set = [](const std::string& Fn, const std::string& On, const std::string& Names) {
    return "push \"" + Names + "\" 200\n" + Global(On) + "\npush 3 \"" + Fn + "\"\ncallfunction\npop\n";
  };
  auto read = [](const std::string& On, const std::string& Name) {
    return Global(On) + "\npush \"" + Name + "\"\ngetmember\n";
  };
  Check(7, {
      {set("ASSetNative", "o", "8b,6c,10d,11e") + read("o", "b") + "typeof\n" + read("o", "c") + "typeof\nadd2\n" +
           read("o", "d") + "typeof\nadd2\n" + read("o", "1e") + "typeof\nadd2",
       "undefinedfunctionundefinedfunction"},
      {set("ASSetNative", "o", "8a") + read("o", "a"), "base"},
      {set("ASSetNative", "p", "8a") + read("p", "a") + "typeof", "function"},
      {set("ASSetNativeAccessor", "p", "a") + read("p", "a"), "NaN"},
      {set("ASSetNativeAccessor", "p", "8a") + read("p", "a"), "undefined"},
  }, objects);
  Check(8, {{set("ASSetNative", "o", "8b") + read("o", "b") + "typeof", "function"}}, objects);
}

TEST(ScriptObjects, AccessorsInsideThemselves) {
  // o.k's getter returns this.k + "!" and its setter sets this.k to v + "?".
  // Before SWF 7 an accessor does not run again inside itself: the inner read
  // gives the member's kept value (what the setter was last given, undefined
  // at first) and the inner write goes unheard. From SWF 7 accessors nest 65
  // deep. A watcher of the member sees the kept value as old, and the setter
  // gets the watcher's answer; unwatch refuses an accessor's watcher.
  const std::string setup = R"(
    push "o" 0
    initobject
    setvariable
    push "s"
    function2 "" registers 2 args v=1
      push "this"
      getvariable
      push "k" r1 "?"
      add2
      setmember
    end
    setvariable
    push "g"
    function ""
      push "this"
      getvariable
      push "k"
      getmember
      push "!"
      add2
      return
    end
    setvariable
    push "w"
    function2 "" registers 5 args n=1 old=2 new=3
      push r2 "/" r3
      add2
      add2
      trace
      push r3 1
      add2
      return
    end
    setvariable
  )";
  const std::string add = R"(
    push "s"
    getvariable
    push "g"
    getvariable
    push "k" 3 "o"
    getvariable
    push "addProperty"
    callmethod
    pop
  )";
  const std::string watch = R"(
    push "w"
    getvariable
    push "k" 2 "o"
    getvariable
    push "watch"
    callmethod
    pop
  )";
  const std::string read = "push \"o\"\ngetvariable\npush \"k\"\ngetmember\ntrace\n";
  const std::string write = "push \"o\"\ngetvariable\npush \"k\" 3\nsetmember\n";
  const std::string unwatch = "push \"k\" 1 \"o\"\ngetvariable\npush \"unwatch\"\ncallmethod\ntrace";
  struct Row {
    int version;
    std::string code;
    std::string want;
  };
  const std::vector<Row> rows = {
      {6, add + read, "!"},  // undefined joins as "" before SWF 7
      {6, add + write + read, "3!"},
      {8, add + read, "undefined" + std::string(65, '!')},
      {8, add + write + read, "3" + std::string(65, '!')},
      {6, watch + add + write + read + unwatch, "/\n1/3\n4/4?\n4!\nfalse"},
  };
  for (const Row& r : rows) {
    World w(r.version);
    EXPECT_EQ(w.Traces(setup + r.code), r.want) << r.version << "\n" << r.code;
  }
}

TEST(ScriptObjects, LocalConnectionDeliversCopiesAFrameLater) {
  // r listens as "Chan"; s sends it a date, an XML document, an object and
  // a function, which arrive when the timers next run: the date and XML as
  // themselves, the function as a plain object. A send to no one is an error.
  World w(8);
  EXPECT_EQ(w.Traces(R"(
    push "r" 0 "LocalConnection"
    newobject
    setvariable
    push "r"
    getvariable
    push "got"
    function2 "" registers 6 args d=1 x=2 o=3 f=4
      push 0 r1 "getTime"
      callmethod
      trace
      push r2 "firstChild"
      getmember
      push "nodeName"
      getmember
      trace
      push r3 "a"
      getmember
      trace
      push r4
      typeof
      trace
    end
    setmember
    push "Chan" 1 "r"
    getvariable
    push "connect"
    callmethod
    trace
    push "other" 1 "r"
    getvariable
    push "connect"
    callmethod
    trace
    push "s" 0 "LocalConnection"
    newobject
    setvariable
    push "s"
    getvariable
    push "onStatus"
    function2 "" registers 2 args i=1
      push r1 "level"
      getmember
      trace
    end
    setmember
    function ""
    end
    push "a" 7 1
    initarray
    push 1
    initobject
    push "<doc/>" 1 "XML"
    newobject
    push 5 1 "Date"
    newobject
    push "got" "chan" 6 "s"
    getvariable
    push "send"
    callmethod
    trace
    push "got" "nobody" 2 "s"
    getvariable
    push "send"
    callmethod
    pop
    push "sent"
    trace
  )"), "true\nfalse\ntrue\nsent");
  w.host.traces.clear();
  w.runtime.RunTimers(w.runtime.ClockMs() + 100, w.root, w.host);
  std::string out;
  for (const std::string& t : w.host.traces) out += t + "\n";
  EXPECT_EQ(out, "5\ndoc\n7\nobject\nstatus\nerror\n");
}
