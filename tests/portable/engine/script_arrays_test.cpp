// Arrays, dates, timers and the system objects, run as small assembled
// scripts: each case builds values, calls one method and traces what came
// back and what the array holds afterwards.
#include <gtest/gtest.h>

#include "tests/portable/engine/script_fakes.h"

using script_test::World;

namespace {

// Assembly for `var Name = [Values...]` (swfc push values).
std::string MakeArray(const std::string& Name, const std::vector<std::string>& Values) {
  std::string s = "push \"" + Name + "\"";
  for (auto it = Values.rbegin(); it != Values.rend(); ++it) s += " " + *it;
  return s + " " + std::to_string(Values.size()) + "\ninitarray\nsetvariable\n";
}

// Assembly that leaves Object.Method(Args...) on the stack.
std::string Call(const std::string& Object, const std::string& Method, const std::vector<std::string>& Args = {}) {
  std::string s = "push";
  for (auto it = Args.rbegin(); it != Args.rend(); ++it) s += " " + *it;
  s += " " + std::to_string(Args.size()) + " \"" + Object + "\"\ngetvariable\n";
  return s + "push \"" + Method + "\"\ncallmethod\n";
}

std::string TraceVar(const std::string& Name) { return "push \"" + Name + "\"\ngetvariable\ntrace\n"; }

struct MethodCase {
  std::vector<std::string> array;
  std::string method;
  std::vector<std::string> args;
  std::string traced;  // the result, then the array joined
};

}  // namespace

TEST(ScriptArrays, MethodsReturnAndLeaveWhatThePlayerDoes) {
  const MethodCase cases[] = {
      {{"1", "2"}, "push", {"3", "4"}, "4\n1,2,3,4"},
      {{"1", "2"}, "pop", {}, "2\n1"},
      {{}, "pop", {}, "undefined\n"},
      {{"1", "2", "3"}, "shift", {}, "1\n2,3"},
      {{"1", "2"}, "unshift", {"8", "9"}, "4\n8,9,1,2"},
      {{"1", "2", "3"}, "reverse", {}, "3,2,1\n3,2,1"},
      {{"1", "2", "3"}, "join", {"\" / \""}, "1 / 2 / 3\n1,2,3"},
      {{"1", "undefined", "null"}, "join", {}, "1,undefined,null\n1,undefined,null"},
      {{"\"a\"", "\"b\"", "\"c\"", "\"d\"", "\"e\""}, "splice", {"1", "3", "\"x\""}, "b,c,d\na,x,e"},
      {{"\"a\"", "\"b\"", "\"c\""}, "splice", {"-1"}, "c\na,b"},
      {{"\"a\"", "\"b\"", "\"c\""}, "splice", {"1", "0", "\"x\"", "\"y\""}, "a,x,y,b,c"},  // an empty first line is dropped
      {{"\"a\"", "\"b\""}, "splice", {"undefined"}, "undefined\na,b"},
      {{"\"a\"", "\"b\""}, "splice", {"null"}, "a,b\n"},
      {{"1", "2", "3", "4"}, "slice", {"1", "-1"}, "2,3\n1,2,3,4"},
      {{"1", "2"}, "concat", {"3", "\"x\""}, "1,2,3,x\n1,2"},
      {{"\"d\"", "\"c\"", "\"a\"", "\"b\""}, "sort", {}, "a,b,c,d\na,b,c,d"},
      {{"4", "1", "22", "3"}, "sort", {}, "1,22,3,4\n1,22,3,4"},
      {{"4", "1", "22", "3"}, "sort", {"16"}, "1,3,4,22\n1,3,4,22"},       // NUMERIC
      {{"4", "1", "22", "3"}, "sort", {"18"}, "22,4,3,1\n22,4,3,1"},       // NUMERIC | DESCENDING
      {{"\"b\"", "\"A\"", "\"a\""}, "sort", {"1"}, "A,a,b\nA,a,b"},        // CASEINSENSITIVE
      {{"3", "1", "3"}, "sort", {"4"}, "0\n3,1,3"},                        // UNIQUESORT finds 3 twice
      {{"\"d\"", "\"c\"", "\"a\""}, "sort", {"8"}, "2,1,0\nd,c,a"},        // RETURNINDEXEDARRAY
      {{"2", "3", "1"}, "sort", {"2", "16"}, "1,2,3\n1,2,3"},              // a second number is the options
      {{"1", "2"}, "sort", {"true"}, "undefined\n1,2"},
  };
  for (const MethodCase& c : cases) {
    World w;
    std::string script = MakeArray("a", c.array) + Call("a", c.method, c.args) + "trace\n" + TraceVar("a");
    EXPECT_EQ(w.Traces(script), c.traced) << c.method;
  }
}

TEST(ScriptArrays, SortTakesAComparatorAndSortOnTakesFields) {
  World w;
  EXPECT_EQ(w.Traces(R"(
    function "desc" "x" "y"
      push "y"
      getvariable
      push "x"
      getvariable
      subtract
      return
    end
    push 1 5 3 3
    initarray
    storeregister 0
    pop
    push "desc"
    getvariable
    push 1 r0 "sort"
    callmethod
    trace
    push "n" 2 1
    initobject
    push "n" 10 1
    initobject
    push "n" 1 1
    initobject
    push 3
    initarray
    storeregister 1
    pop
    push 16 "n" 2 r1 "sortOn"
    callmethod
    pop
    push r1 0
    getmember
    push "n"
    getmember
    trace
    push r1 2
    getmember
    push "n"
    getmember
    trace
  )"),
            "5,3,1\n1\n10");
}

TEST(ScriptArrays, LyingComparatorsAndHugeLengthsStayBounded) {
  World w;
  // A comparator that always answers 1 still ends; one that throws passes its exception on.
  EXPECT_EQ(w.Traces(R"(
    function "liar" "x" "y"
      push 1
      return
    end
    push 9 8 7 6 5 4 3 2 1 9
    initarray
    storeregister 0
    pop
    push "liar"
    getvariable
    push 1 r0 "sort"
    callmethod
    push "length"
    getmember
    trace
  )"),
            "9");
  // Lengths are 32-bit: a huge one wraps instead of allocating, and elements past it are dropped.
  EXPECT_EQ(w.Traces(MakeArray("a", {"1", "2", "3"}) + R"(
    push "a"
    getvariable
    push "length" 4000000000
    setmember
    push "a"
    getvariable
    push "length"
    getmember
    trace
    push "a"
    getvariable
    push 0
    getmember
    trace
    push "a"
    getvariable
    push 4294967296 "x"
    setmember
    push "a"
    getvariable
    push "length"
    getmember
    trace
  )"),
            "-294967296\nundefined\n1");
  // Walking a billion holes is refused rather than done.
  World big;
  big.Run(R"(
    push 0 1000000000 1 "Array"
    newobject
    push "reverse"
    callmethod
  )");
  ASSERT_EQ(big.host.logs.size(), 1u);
  EXPECT_NE(big.host.logs[0].find("script aborted"), std::string::npos);
  // An array holding itself joins without end-less recursion.
  EXPECT_EQ(w.Traces(R"(
    push 1 1
    initarray
    storeregister 0
    push 1 r0
    setmember
    push r0
    trace
  )"),
            "1,");
}

TEST(ScriptArrays, TimersFireByTheMovieClock) {
  World w;
  ASSERT_TRUE(w.Run(R"(
    function "tick" "n"
      push "tick "
      push "n"
      getvariable
      add2
      trace
    end
    push "a" 250 "tick"
    getvariable
    push 3 "setInterval"
    callfunction
    trace
    push "b" 100 "tick"
    getvariable
    push 3 "setTimeout"
    callfunction
    trace
    push undefined "tick"
    getvariable
    push 2 "setInterval"
    callfunction
    trace
  )"));
  for (double t = 100; t <= 600; t += 100) w.runtime.RunTimers(t, w.root, w.host);
  ASSERT_TRUE(w.Run("push 1 1\npush \"clearInterval\"\ncallfunction\npush 0 \"getTimer\"\ncallfunction\ntrace"));
  w.runtime.RunTimers(800, w.root, w.host);
  // A timer whose function throws reports it and ends there.
  ASSERT_TRUE(w.Run("push 0\nfunction \"\"\npush \"boom\"\nthrow\nend\npush 2 \"setTimeout\"\ncallfunction\npop"));
  w.runtime.RunTimers(900, w.root, w.host);
  const std::vector<std::string> expected = {"1",      "2",      "undefined", "tick b", "tick a",
                                             "tick a", "600",    "Warning: Uncaught exception, boom"};
  EXPECT_EQ(w.host.traces, expected);
}

TEST(ScriptArrays, DatesReadAndWriteTheirFields) {
  World w;
  EXPECT_EQ(w.Traces(R"(
    push 0 1 "Date"
    newobject
    storeregister 0
    trace
    push 30 3 2000 3 "Date"
    newobject
    storeregister 1
    pop
    push 0 r1 "getDay"
    callmethod
    trace
    push 0 r1 "getTime"
    callmethod
    trace
    push 15 1 r1 "setMonth"
    callmethod
    pop
    push r1
    trace
    push 0 98 2 "Date"
    getvariable
    push "UTC"
    callmethod
    trace
    push "x" 1 "Date"
    newobject
    trace
  )"),
            "Thu Jan 1 00:00:00 GMT+0000 1970\n0\n957052800000\nMon Apr 30 00:00:00 GMT+0000 2001\n883612800000\n"
            "Invalid Date");
}

TEST(ScriptArrays, SystemObjectsKeepStateAndTellTheirListeners) {
  World w;
  EXPECT_EQ(w.Traces(R"(
    push "l" 0
    initobject
    setvariable
    push "l"
    getvariable
    push "onFullScreen"
    function "" "full"
      push "full "
      push "full"
      getvariable
      add2
      trace
    end
    setmember
    push "l"
    getvariable
    push 1 "Stage"
    getvariable
    push "addListener"
    callmethod
    pop
    push "Stage"
    getvariable
    push "displayState" "FULLSCREEN"
    setmember
    push "Stage"
    getvariable
    push "displayState"
    getmember
    trace
    push "a"
    getvariable
    push "focusEnabled" true
    setmember
    push "a" 1 "Selection"
    getvariable
    push "setFocus"
    callmethod
    trace
    push 0 "Selection"
    getvariable
    push "getFocus"
    callmethod
    trace
    push "System"
    getvariable
    push "security"
    getmember
    push "sandboxType"
    getmember
    trace
    push "s" 1 "SharedObject"
    getvariable
    push "getLocal"
    callmethod
    push "s" 1 "SharedObject"
    getvariable
    push "getLocal"
    callmethod
    strictequals
    trace
  )"),
            "full true\nfullScreen\ntrue\n_level0.a\nlocalWithFile\ntrue");
}

TEST(ScriptArrays, AnUncaughtArrayIsPrintedByItsJoin) {
  // The exception ends every frame of the block; printing it calls back into script.
  World w;
  EXPECT_EQ(w.Traces("push 2 1 2\ninitarray\nthrow"), "Warning: Uncaught exception, 1,2");
}
