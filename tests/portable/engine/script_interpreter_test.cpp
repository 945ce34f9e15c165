// Each instruction family assembled by swfc and run against the fake clip
// tree: results land in variables of _level0 and are read back by path.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/portable/engine/script_fakes.h"

using script_test::World;

TEST(ScriptInterpreter, ArithmeticAndConversions) {
  World w;
  ASSERT_TRUE(w.Run(R"(
    push "sum" 2 3
    add2
    setvariable
    push "cat" "a" 1
    add2
    setvariable
    push "half" 1 2
    divide
    setvariable
    push "mod" 7 3
    modulo
    setvariable
    push "inc" 4
    increment
    setvariable
    push "neg" 1 3
    subtract
    setvariable
    push "big" 1e21
    setvariable
    push "nan" "x" 1
    multiply
    setvariable
    push "num" " 0x10"
    tonumber
    setvariable
    push "int" -2.7
    tointeger
    setvariable
    push "bits" 6 3
    bitand
    setvariable
  )"));
  EXPECT_EQ(w.Str("sum"), "5");
  EXPECT_EQ(w.Str("cat"), "a1");
  EXPECT_EQ(w.Str("half"), "0.5");
  EXPECT_EQ(w.Str("mod"), "1");
  EXPECT_EQ(w.Str("inc"), "5");
  EXPECT_EQ(w.Str("neg"), "-2");
  EXPECT_EQ(w.Str("big"), "1e+21");
  EXPECT_EQ(w.Str("nan"), "NaN");
  EXPECT_EQ(w.Str("num"), "16");
  EXPECT_EQ(w.Str("int"), "-2");
  EXPECT_EQ(w.Str("bits"), "2");
  EXPECT_TRUE(w.host.logs.empty());
}

TEST(ScriptInterpreter, NumbersPrintAsActionScriptDoes) {
  EXPECT_EQ(swf::NumberToString(1), "1");
  EXPECT_EQ(swf::NumberToString(-0.25), "-0.25");
  EXPECT_EQ(swf::NumberToString(0.1 + 0.2), "0.3");
  EXPECT_EQ(swf::NumberToString(123456789012), "123456789012");
  EXPECT_EQ(swf::NumberToString(1e-7), "1e-7");
  EXPECT_EQ(swf::NumberToString(0.00001), "0.00001");
  EXPECT_EQ(swf::NumberToString(0.000001), "1e-6");
  EXPECT_EQ(swf::NumberToString(1e15), "1e+15");
  EXPECT_EQ(swf::NumberToString(-0.0), "0");
  EXPECT_EQ(swf::StringToNumber("010"), 8);
  EXPECT_EQ(swf::StringToNumber("010", 5), 10);
  EXPECT_EQ(swf::LeadingNumber("150a"), 150);
  EXPECT_EQ(swf::LeadingNumber("0x96"), 0);
  EXPECT_EQ(swf::NumberToString(1.0 / 0.0), "Infinity");
  EXPECT_TRUE(std::isnan(swf::StringToNumber("")));
  EXPECT_TRUE(std::isnan(swf::StringToNumber("nan")));
  EXPECT_TRUE(std::isnan(swf::StringToNumber("12px")));
  EXPECT_EQ(swf::StringToNumber(" 2.5e1"), 25);
  EXPECT_TRUE(std::isnan(swf::StringToNumber("2.5e1 ")));  // blanks may lead, not follow
}

TEST(ScriptInterpreter, ComparisonLogicAndStrings) {
  World w;
  ASSERT_TRUE(w.Run(R"(
    push "eq" 1 "1"
    equals2
    setvariable
    push "strict" 1 "1"
    strictequals
    setvariable
    push "nullish" null undefined
    equals2
    setvariable
    push "lt" "10" "9"
    less2
    setvariable
    push "gt" 10 9
    greater
    setvariable
    push "and" true 0
    and
    setvariable
    push "not" ""
    not
    setvariable
    push "len" "hello"
    stringlength
    setvariable
    push "sub" "hello" 2 3
    stringextract
    setvariable
    push "streq" "a" "a"
    stringequals
    setvariable
    push "joined" "con" "cat"
    stringadd
    setvariable
    push "type" 1
    typeof
    setvariable
    push "s" 2.5
    tostring
    setvariable
  )"));
  EXPECT_EQ(w.Str("eq"), "true");
  EXPECT_EQ(w.Str("strict"), "false");
  EXPECT_EQ(w.Str("nullish"), "true");
  EXPECT_EQ(w.Str("lt"), "true");  // both strings: compared as strings
  EXPECT_EQ(w.Str("gt"), "true");
  EXPECT_EQ(w.Str("and"), "false");
  EXPECT_EQ(w.Str("not"), "true");
  EXPECT_EQ(w.Str("len"), "5");
  EXPECT_EQ(w.Str("sub"), "ell");
  EXPECT_EQ(w.Str("streq"), "true");
  EXPECT_EQ(w.Str("joined"), "concat");
  EXPECT_EQ(w.Str("type"), "number");
  EXPECT_EQ(w.Var("s").TypeOf(), "string");
}

TEST(ScriptInterpreter, JumpsBranchesRegistersConstantsAndStack) {
  World w;
  // Sums 1..10 in a register with a loop.
  ASSERT_TRUE(w.Run(R"(
    constants "total" "i"
    push 0
    storeregister 1
    pop
    push 1
    storeregister 2
    pop
  loop:
    push r2 10
    greater
    if done
    push r1 r2
    add2
    storeregister 1
    pop
    push r2
    increment
    storeregister 2
    pop
    jump loop
  done:
    push c0 r1
    setvariable
    push "x" 1 2
    stackswap
    pop
    pushduplicate
    pop
    setvariable
  )"));
  EXPECT_EQ(w.Str("total"), "55");
  EXPECT_EQ(w.Str("x"), "2");
}

TEST(ScriptInterpreter, FunctionsClosuresRecursionAndReturnValues) {
  World w;
  ASSERT_TRUE(w.Run(R"(
    function "fact" "n"
      push "n"
      getvariable
      push 1
      greater
      not
      if base
      push "n"
      getvariable
      push "n"
      getvariable
      decrement
      push 1 "fact"
      callfunction
      multiply
      return
    base:
      push 1
      return
    end
    push "f5" 5 1 "fact"
    callfunction
    setvariable
    function2 "add" registers 3 preload this suppress arguments args x=1 y=2
      push r1 r2
      add2
      return
    end
    push "three" 2 1 2 "add"
    callfunction
    setvariable
    function2 "setsGlobal" registers 2 preload global args
      push r1 "g" 42
      setmember
    end
    push 0 "setsGlobal"
    callfunction
    pop
    push "argc" 1 2 3 3
    function ""
      push "arguments"
      getvariable
      push "length"
      getmember
      return
    end
    push undefined
    callmethod
    setvariable
  )"));
  EXPECT_EQ(w.Str("f5"), "120");
  EXPECT_EQ(w.Str("three"), "3");
  EXPECT_EQ(w.Str("_global.g"), "42");
  EXPECT_EQ(w.Str("argc"), "3");
  EXPECT_TRUE(w.host.logs.empty()) << w.host.logs[0];
}

TEST(ScriptInterpreter, ObjectsArraysMethodsAndConstructors) {
  World w;
  ASSERT_TRUE(w.Run(R"(
    push "o" "k" "v" "n" 2 2
    initobject
    setvariable
    push "arr" 30 20 10 3
    initarray
    setvariable
    push "arr"
    getvariable
    push "length"
    getmember
    push "len"
    stackswap
    setvariable
    push "arr"
    getvariable
    push 5
    storeregister 1
    pop
    push "4" "x"
    setmember
    push "joined" "-" 1 "arr"
    getvariable
    push "join"
    callmethod
    setvariable
    push "o"
    getvariable
    push "n"
    delete
    pop
    function "Point" "x"
      push "this"
      getvariable
      push "x" "x"
      getvariable
      setmember
    end
    push "p" 7 1 "Point"
    newobject
    setvariable
    push "made" 0 "Array"
    newobject
    push "length"
    getmember
    setvariable
    push "count" 0
    setvariable
    push "o"
    enumerate
  each:
    storeregister 0
    push null
    equals2
    if after
    push "count" "count"
    getvariable
    increment
    setvariable
    jump each
  after:
  )"));
  EXPECT_EQ(w.Str("o.k"), "v");
  EXPECT_EQ(w.Var("o.n").TypeOf(), "undefined");  // deleted
  EXPECT_EQ(w.Str("len"), "3");
  EXPECT_EQ(w.Str("arr.length"), "5");
  EXPECT_EQ(w.Str("joined"), "10-20-30-undefined-x");  // a hole reads "undefined" from SWF 7 on
  EXPECT_EQ(w.Str("arr"), "10,20,30,undefined,x");
  EXPECT_EQ(w.Str("p.x"), "7");
  EXPECT_EQ(w.Str("made"), "0");
  EXPECT_EQ(w.Str("count"), "1");
}

TEST(ScriptInterpreter, TimelineControlAndTargets) {
  World w;
  ASSERT_TRUE(w.Run(R"(
    stop
    play
    nextframe
    prevframe
    gotoframe 4
    gotolabel "intro"
    push 3
    gotoframe2 play
    push "a:end"
    gotoframe2 stop
    settarget "a/b"
    stop
    settarget ""
    push "_root.flv"
    settarget2
    play
    settarget ""
    push 2 1 "flv"
    getvariable
    push "gotoAndStop"
    callmethod
    pop
  )"));
  std::vector<std::string> root{"stop", "play", "next", "prev", "goto 4", "label intro", "goto 2 play"};
  EXPECT_EQ(w.root.calls, root);
  EXPECT_EQ(w.a.calls, std::vector<std::string>{"label end stop"});
  EXPECT_EQ(w.b.calls, std::vector<std::string>{"stop"});
  EXPECT_EQ(w.flv.calls, (std::vector<std::string>{"play", "goto 1 stop"}));
}

TEST(ScriptInterpreter, PropertiesOfClips) {
  World w;
  w.a.props[0] = swf::Value::Number(12);
  ASSERT_TRUE(w.Run(R"(
    push "x" "a" 0
    getproperty
    setvariable
    push "a/b" 13
    getproperty
    push "bname"
    stackswap
    setvariable
    push "a" 1 25
    setproperty
    push "frames" "" 5
    getproperty
    setvariable
    push "a"
    getvariable
    push "_visible" false
    setmember
    push "target" "a/b" 11
    getproperty
    setvariable
  )"));
  EXPECT_EQ(w.Str("x"), "12");
  EXPECT_EQ(w.Str("bname"), "b");
  EXPECT_EQ(w.a.props[1].ToString(), "25");
  EXPECT_EQ(w.a.props[7].ToString(), "false");
  EXPECT_EQ(w.Str("frames"), "10");
  EXPECT_EQ(w.Str("target"), "/a/b");
  EXPECT_EQ(w.Str("a._x"), "12");
}

TEST(ScriptInterpreter, ExternalInterfaceFscommandUrlsAndTrace) {
  World w;
  w.host.answer = swf::Value::String("ok");
  ASSERT_TRUE(w.Run(R"(
    push "answer"
    externalcall "showInfo" "a" 5
    setvariable
    function "cb" "s"
      push "got " "s"
      getvariable
      add2
      return
    end
    addcallback "echo" "this" "cb"
    pop
    fscommand "quit" "now"
    geturl "http://x/" "_blank"
    push "data.txt" "a"
    geturl2 get loadvariables loadtarget
    push "hi"
    trace
    push "flash"
    getvariable
    push "external"
    getmember
    push "ExternalInterface"
    getmember
    push "available"
    getmember
    push "avail"
    stackswap
    setvariable
  )"));
  EXPECT_EQ(w.host.externals, std::vector<std::string>{"showInfo(string:a,number:5)"});
  EXPECT_EQ(w.Str("answer"), "ok");
  EXPECT_EQ(w.host.callbacks, std::vector<std::string>{"echo:function"});
  EXPECT_EQ(w.host.urls, (std::vector<std::string>{"FSCommand:quit|now|0", "http://x/|_blank|0",
                                                   "data.txt|a|1|target|vars"}));
  EXPECT_EQ(w.host.traces, std::vector<std::string>{"hi"});
  EXPECT_EQ(w.Str("avail"), "true");
  // The host calls the registered function, even after a collection.
  w.runtime.Collect();
  auto r = w.runtime.CallCallback("echo", {swf::Value::String("x")}, w.root, w.host);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->ToString(), "got x");
  EXPECT_FALSE(w.runtime.CallCallback("nothing", {}, w.root, w.host));
}

TEST(ScriptInterpreter, CallRunsAnotherFramesActions) {
  World w;
  w.root.frameActions["5"] = World::Bytes("push \"called\" true\nsetvariable");
  ASSERT_TRUE(w.Run("push 5\ncall"));
  EXPECT_EQ(w.Str("called"), "true");
}

TEST(ScriptInterpreter, CollectionKeepsWhatIsReachableOnly) {
  World w;
  ASSERT_TRUE(w.Run(R"(
    push "keep" 0
    initarray
    setvariable
    push "keep"
    getvariable
    push "self" "keep"
    getvariable
    setmember
    push 0
    initobject
    pop
  )"));
  size_t before = w.runtime.ObjectCount();
  w.runtime.Collect();
  EXPECT_EQ(w.runtime.ObjectCount(), before - 1);  // the dropped object; the cycle stays
  EXPECT_EQ(w.Var("keep.self.self").TypeOf(), "object");
}
