// Variables named by path, round trips through SetVariablePath and
// GetVariablePath, budgets that end runaway scripts, and malformed blocks.
#include <gtest/gtest.h>

#include "tests/portable/engine/script_fakes.h"

using script_test::World;

TEST(ScriptPaths, NamesResolveAsMoviesWriteThem) {
  World w;
  ASSERT_TRUE(w.Run(R"(
    push "flv.skin" "dark"
    setvariable
    push "_root.a.b.deep" 1
    setvariable
    push "/a:slash" 2
    setvariable
    push "/:top" 3
    setvariable
    push "_level1.other" 4
    setvariable
  )"));
  EXPECT_EQ(w.flv.Variables()->Get("skin").ToString(), "dark");
  EXPECT_EQ(w.b.Variables()->Get("deep").ToString(), "1");
  EXPECT_EQ(w.a.Variables()->Get("slash").ToString(), "2");
  EXPECT_EQ(w.root.Variables()->Get("top").ToString(), "3");
  EXPECT_EQ(w.level1.Variables()->Get("other").ToString(), "4");

  // Read from b: this, _parent, chains of _parent, slash paths relative and absolute.
  ASSERT_TRUE(w.Run(R"(
    push "r1" "_parent.slash"
    getvariable
    setvariable
    push "r2" "_parent._parent.top"
    getvariable
    setvariable
    push "r3" "../b:deep"
    getvariable
    setvariable
    push "r4" "/flv:skin"
    getvariable
    setvariable
    push "r5" "this"
    getvariable
    setvariable
    push "r6" "_level0.flv.skin"
    getvariable
    setvariable
    push "r7" "_root"
    getvariable
    setvariable
  )", &w.b));
  EXPECT_EQ(w.runtime.GetVariablePath(w.b, "r1").ToString(), "2");
  EXPECT_EQ(w.runtime.GetVariablePath(w.b, "r2").ToString(), "3");
  EXPECT_EQ(w.runtime.GetVariablePath(w.b, "r3").ToString(), "1");
  EXPECT_EQ(w.runtime.GetVariablePath(w.b, "r4").ToString(), "dark");
  EXPECT_EQ(w.runtime.GetVariablePath(w.b, "r5").ToString(), "_level0.a.b");
  EXPECT_EQ(w.runtime.GetVariablePath(w.b, "r5").TypeOf(), "movieclip");
  EXPECT_EQ(w.runtime.GetVariablePath(w.b, "r6").ToString(), "dark");
  EXPECT_EQ(w.runtime.GetVariablePath(w.b, "r7").ToString(), "_level0");

  EXPECT_EQ(w.runtime.ResolveTarget(w.b, "../../flv"), &w.flv);
  EXPECT_EQ(w.runtime.ResolveTarget(w.root, "/a/b"), &w.b);
  EXPECT_EQ(w.runtime.ResolveTarget(w.root, "a/b"), &w.b);
  EXPECT_EQ(w.runtime.ResolveTarget(w.b, "_root.flv"), &w.flv);
  EXPECT_EQ(w.runtime.ResolveTarget(w.b, "_level1"), &w.level1);
  EXPECT_EQ(w.runtime.ResolveTarget(w.b, ""), &w.b);
  EXPECT_EQ(w.runtime.ResolveTarget(w.root, "missing/b"), nullptr);
  EXPECT_EQ(w.runtime.ResolveTarget(w.root, "_parent"), nullptr);
}

TEST(ScriptPaths, SetAndGetRoundTripFromOutside) {
  World w;
  EXPECT_TRUE(w.runtime.SetVariablePath(w.root, "flv.skin", swf::Value::String("light")));
  EXPECT_TRUE(w.runtime.SetVariablePath(w.root, "/a/b:n", swf::Value::Number(5)));
  EXPECT_TRUE(w.runtime.SetVariablePath(w.root, "plain", swf::Value::String("p")));
  EXPECT_FALSE(w.runtime.SetVariablePath(w.root, "/nothing:x", swf::Value::Number(1)));
  EXPECT_FALSE(w.runtime.SetVariablePath(w.root, "nothing.x", swf::Value::Number(1)));
  EXPECT_EQ(w.Str("flv.skin"), "light");
  EXPECT_EQ(w.Str("_root.a.b.n"), "5");
  EXPECT_EQ(w.Str("/:plain"), "p");
  EXPECT_TRUE(w.Var("never").IsUndefined());
  // A clip value read before its clip goes away resolves to nothing afterwards.
  w.runtime.SetVariablePath(w.root, "saved", w.Var("a.b"));
  w.a.RemoveChild("b");
  EXPECT_TRUE(w.Var("saved.n").IsUndefined());
}

TEST(ScriptBudget, EndlessLoopsAndRunawayRecursionAreAborted) {
  World w;
  swf::Budget small;
  small.maxActions = 10000;
  EXPECT_FALSE(w.Run("top:\njump top", nullptr, small));
  ASSERT_EQ(w.host.logs.size(), 1u);
  EXPECT_EQ(w.host.logs[0], "script aborted: more than 10000 actions");

  w.host.logs.clear();
  EXPECT_FALSE(w.Run(R"(
    function "f"
      push 0 "f"
      callfunction
      return
    end
    push 0 "f"
    callfunction
  )"));
  ASSERT_EQ(w.host.logs.size(), 1u);
  EXPECT_EQ(w.host.logs[0], "script aborted: calls nested deeper than 256");

  w.host.logs.clear();
  EXPECT_FALSE(w.Run("more:\npush 1\njump more"));
  EXPECT_EQ(w.host.logs.at(0), "script aborted: more than 100000 values on the stack");

  w.host.logs.clear();
  EXPECT_FALSE(w.Run(R"(
    push "s" "xxxxxxxxxxxxxxxx"
    setvariable
  grow:
    push "s" "s"
    getvariable
    push "s"
    getvariable
    add2
    setvariable
    jump grow
  )"));
  EXPECT_EQ(w.host.logs.at(0), "script aborted: a string longer than 1048576 bytes");

  // The movie keeps running: a later script works.
  EXPECT_TRUE(w.Run("push \"after\" 1\nsetvariable"));
  EXPECT_EQ(w.Str("after"), "1");
}

TEST(ScriptBudget, ConversionsOfLargeArraysCountAgainstTheBudget) {
  // A sparse array holding itself, printed over and over: each conversion
  // visits thousands of elements, which the budget counts.
  World w;
  swf::Budget limits;
  limits.maxActions = 200000;
  EXPECT_FALSE(w.Run(R"(
    push "a" 0
    initarray
    setvariable
    push "a"
    getvariable
    push "0" "a"
    getvariable
    setmember
    push "a"
    getvariable
    push "1" "a"
    getvariable
    setmember
    push "a"
    getvariable
    push "length" 10000
    setmember
  again:
    push "a"
    getvariable
    tostring
    pop
    jump again
  )", nullptr, limits));
  EXPECT_EQ(w.host.logs.at(0), "script aborted: more than 200000 actions");
}

TEST(ScriptBudget, ObjectsAreBoundedAndCollectedBetweenRuns) {
  World w;
  w.runtime.Collect();
  const size_t library = w.runtime.ObjectCount();  // the built-in classes
  swf::Budget limits;
  limits.maxObjects = library + 5000;
  EXPECT_FALSE(w.Run("again:\npush \"o\" 0\ninitobject\nsetvariable\njump again", nullptr, limits));
  EXPECT_EQ(w.host.logs.at(0), "script aborted: more than " + std::to_string(library + 5000) + " objects");
  w.runtime.Collect();
  EXPECT_LT(w.runtime.ObjectCount(), library + 100);
}

// The player runs action bytes from wherever control goes: up to a damaged
// record, and from the middle of a record a jump leads into.
TEST(ScriptDecode, DamagedBlocksRunWhatCanBeRead) {
  const std::vector<uint8_t> traceA = {0x96, 0x03, 0x00, 0x00, 'a', 0x00, 0x26};  // push "a"; trace
  auto after = [&](std::vector<uint8_t> Tail) {
    std::vector<uint8_t> b = traceA;
    b.insert(b.end(), Tail.begin(), Tail.end());
    return b;
  };
  struct Case {
    std::vector<uint8_t> bytes;
    const char* damage;  // "" for none
    std::vector<std::string> traces;
  } cases[] = {
      {after({0x96, 0x05}), "Push is cut off before its length at offset 7", {"a"}},
      {after({0x07, 0x96, 0x09, 0x00, 0x00}), "Push's length 9 runs past the end at offset 8", {"a"}},
      {after({0x96, 0x02, 0x00, 0x00, 0x61, 0x00}), "string without its terminating NUL at offset 11", {"a"}},
      {after({0x96, 0x01, 0x00, 0x0a, 0x00}), "Push has an unknown value type 10 at offset 10", {"a"}},
      {after({0x96, 0x02, 0x00, 0x07, 0x01, 0x00}), "Push is shorter than its contents at offset 11", {"a"}},
      // Jumps outside the data end the block, forwards and backwards.
      {after({0x99, 0x02, 0x00, 0x10, 0x00, 0x96, 0x03, 0x00, 0x00, 'b', 0x00, 0x26, 0x00}), "", {"a"}},
      {after({0x99, 0x02, 0x00, 0xE0, 0xFF, 0x96, 0x03, 0x00, 0x00, 'b', 0x00, 0x26, 0x00}), "", {"a"}},
      // A jump into an integer's bytes runs them (dup, trace, dup, trace), then rejoins the records.
      {{0x96, 0x03, 0x00, 0x00, 'a', 0x00, 0x99, 0x02, 0x00, 0x04, 0x00, 0x96, 0x05, 0x00, 0x07, 0x4C, 0x26, 0x4C, 0x26,
        0x96, 0x03, 0x00, 0x00, 'e', 0x00, 0x26, 0x00},
       "",
       {"a", "a", "e"}},
      // A function whose body runs past the data ends with it; the block goes on after the definition.
      {after({0x9B, 0x06, 0x00, 'f', 0x00, 0x00, 0x00, 0x20, 0x00, 0x96, 0x03, 0x00, 0x00, 'g', 0x00, 0x26}), "", {"a"}},
  };
  for (const Case& c : cases) {
    swf::ActionBlock b;
    ASSERT_NO_THROW(b = swf::DecodeActions(c.bytes));
    EXPECT_EQ(b.damage.empty(), !*c.damage) << b.damage;
    World w;
    EXPECT_TRUE(w.Run(c.bytes));
    EXPECT_EQ(w.host.traces, c.traces);
    if (*c.damage) {
      ASSERT_EQ(w.host.logs.size(), 1u);
      EXPECT_EQ(w.host.logs[0].find("script damaged: actions: "), 0u) << w.host.logs[0];
      EXPECT_NE(w.host.logs[0].find(c.damage), std::string::npos) << w.host.logs[0];
    } else {
      EXPECT_TRUE(w.host.logs.empty());
    }
  }
}

TEST(ScriptDecode, ValuesJumpsAndBodiesAreResolved) {
  std::vector<uint8_t> bytes = World::Bytes(R"(
    push "s" 1.5 7 -3 true null undefined r3 c2 c300
    if skip
    function2 "f" registers 4 preload this root suppress super args a=1 b
      return
    end
  skip:
    stop
  )");
  swf::ActionBlock b = swf::DecodeActions(bytes);
  ASSERT_EQ(b.actions.size(), 5u);
  const auto& p = b.actions[0].push;
  ASSERT_EQ(p.size(), 10u);
  using T = swf::PushItem::Type;
  EXPECT_EQ(p[0].type, T::String);
  EXPECT_EQ(p[0].string, "s");
  EXPECT_EQ(p[1].type, T::Double);
  EXPECT_EQ(p[1].number, 1.5);
  EXPECT_EQ(p[2].type, T::Integer);
  EXPECT_EQ(p[3].number, -3);
  EXPECT_EQ(p[4].type, T::Boolean);
  EXPECT_EQ(p[5].type, T::Null);
  EXPECT_EQ(p[6].type, T::Undefined);
  EXPECT_EQ(p[7].type, T::Register);
  EXPECT_EQ(p[7].index, 3);
  EXPECT_EQ(p[8].type, T::Constant);
  EXPECT_EQ(p[9].index, 300);
  EXPECT_EQ(b.actions[1].code, swf::ActionCode::If);
  EXPECT_EQ(b.actions[1].target, 4u);
  const swf::Action& f = b.actions[2];
  ASSERT_TRUE(f.function);
  EXPECT_EQ(f.target, 4u);
  EXPECT_EQ(f.target2, 4u);
  EXPECT_EQ(f.function->params, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(f.function->paramRegisters, (std::vector<uint8_t>{1, 0}));
  EXPECT_EQ(f.function->flags, swf::kPreloadThis | swf::kPreloadRoot | swf::kSuppressSuper);
  EXPECT_EQ(b.byteLength, bytes.size());
}

TEST(ScriptAssemble, MistakesNameTheLine) {
  struct Case {
    const char* text;
    int line;
    const char* message;
  } cases[] = {
      {"actions\n  jump nowhere\nend\n", 2, "label 'nowhere' is not defined"},
      {"actions\n  push x\nend\n", 2, "'x' is not a value"},
      {"actions\n  frobnicate\nend\n", 2, "unknown instruction 'frobnicate'"},
      {"actions\n  stop 1\nend\n", 2, "unexpected '1'"},
      {"actions\n  here:\n  here:\nend\n", 3, "defined twice"},
      {"actions\n  function \"f\"\n  stop\n", 1, "'actions' block has no 'end'"},
      {"actions\n  push r999\nend\n", 2, "expected a register 0..255"},
      {"actions\n  gotoframe2 maybe\nend\n", 2, "'play' or 'stop'"},
      {"actions\n  function2 \"f\" registers 2 args a=5\n  end\nend\n", 2, "beyond the function's registers"},
      {"actions extra\nend\n", 1, "unexpected 'extra'"},
      {"label \"\"\n", 1, "an empty quoted word"},
  };
  for (const Case& c : cases) {
    try {
      swfc::Parse(c.text);
      ADD_FAILURE() << c.text;
    } catch (const swfc::CompileError& e) {
      EXPECT_EQ(e.line(), c.line) << c.text << e.what();
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

TEST(ScriptAssemble, CompilerPatternsForExternalInterfaceAndFscommand) {
  // The bytes a compiler emits for ExternalInterface.call("f", 1) and fscommand("a", "b").
  EXPECT_EQ(World::Bytes("externalcall \"f\" 1"),
            (std::vector<uint8_t>{0x96, 0x14, 0x00, 0x07, 0x01, 0x00, 0x00, 0x00, 0x00, 'f', 0x00, 0x07, 0x02, 0x00,
                                  0x00, 0x00, 0x00, 'f', 'l', 'a', 's', 'h', 0x00, 0x1C, 0x96, 0x0A, 0x00, 0x00,
                                  'e', 'x', 't', 'e', 'r', 'n', 'a', 'l', 0x00, 0x4E, 0x96, 0x13, 0x00, 0x00,
                                  'E', 'x', 't', 'e', 'r', 'n', 'a', 'l', 'I', 'n', 't', 'e', 'r', 'f', 'a', 'c',
                                  'e', 0x00, 0x4E, 0x96, 0x06, 0x00, 0x00, 'c', 'a', 'l', 'l', 0x00, 0x52, 0x00}));
  EXPECT_EQ(World::Bytes("fscommand \"a\" \"b\""),
            (std::vector<uint8_t>{0x83, 0x0E, 0x00, 'F', 'S', 'C', 'o', 'm', 'm', 'a', 'n', 'd', ':', 'a', 0x00, 'b',
                                  0x00, 0x00}));
}
