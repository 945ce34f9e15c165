// MovieInstance and its host: fscommand, ExternalInterface both ways with the
// exact texts, buttons under mouse and key input, and host calls that come
// back into the instance.
#include <gtest/gtest.h>

#include "renderers/engine/reader.h"
#include "tests/portable/engine/movie_fakes.h"

namespace {

using movie_test::ActionHex;
using movie_test::Rig;

TEST(MovieHost, FSCommandAndWindowUrls) {
  Rig r(R"(
size 100 100
actions
  fscommand "fullscreen" "true"
  fscommand "quit"
  geturl "http://example.com/" "_blank"
end
show
)");
  r.instance.Step();
  EXPECT_EQ(r.host.calls, (std::vector<std::string>{"fscommand fullscreen true", "fscommand quit "}));
  EXPECT_TRUE(r.LogHas("getURL http://example.com/ _blank"));
}

TEST(MovieHost, ExternalInterfaceCallGetsTheAnswer) {
  Rig r(R"(
size 100 100
actions
  push "got"
  externalcall "page.info" "a<b" 5 -0.5
  setvariable
  push "plain"
  externalcall "ask"
  setvariable
end
show
)");
  r.host.onExternal = [](const std::string& Name) {
    return Name == "ask" ? std::string("just text")
                         : std::string("<array><property id=\"0\"><number>7</number></property></array>");
  };
  r.instance.Step();
  ASSERT_EQ(r.host.calls.size(), 2u);
  EXPECT_EQ(r.host.calls[0],
            "external page.info <string>a&lt;b</string> <number>5</number> <number>-0.5</number>");
  EXPECT_EQ(r.host.calls[1], "external ask");
  EXPECT_EQ(r.instance.GetVariable("got"), "7");
  EXPECT_EQ(r.instance.GetVariable("got.length"), "1");
  EXPECT_EQ(r.instance.GetVariable("plain"), "just text");
}

TEST(MovieHost, ObjectsThatReferToThemselvesReachTheHostCutOff) {
  Rig r(R"(
size 100 100
actions
  push 0
  initobject
  storeregister 1
  pop
  push r1 "a" r1
  setmember
  push r1 "b" r1
  setmember
  push "done"
  externalcall "f" r1
  setvariable
end
show
)");
  r.instance.Step();
  ASSERT_EQ(r.host.calls.size(), 1u);
  EXPECT_EQ(r.host.calls[0].rfind("external f <object><property id=\"a\"><object>", 0), 0u);
  EXPECT_LT(r.host.calls[0].size(), 10u << 20);
  EXPECT_EQ(r.instance.GetVariable("done"), "");  // the host answered nothing: undefined
}

TEST(MovieHost, CallFunctionRunsRegisteredCallbacks) {
  Rig r(R"(
size 100 100
actions
  function "greet" "who" "n"
    push "last" "who"
    getvariable
    setvariable
    push "hello " "who"
    getvariable
    add2
    push "n"
    getvariable
    push 2
    multiply
    add2
    return
  end
  addcallback "greet" "this" "greet"
  pop
end
show
)");
  r.instance.Step();
  EXPECT_EQ(r.instance.CallFunction(
                "<invoke name=\"greet\" returntype=\"xml\"><arguments><string>you &amp; me</string>"
                "<number>21</number></arguments></invoke>"),
            "<string>hello you &amp; me42</string>");
  EXPECT_EQ(r.instance.GetVariable("last"), "you & me");
  EXPECT_EQ(r.instance.CallFunction("<invoke name=\"nosuch\" returntype=\"xml\"><arguments/></invoke>"),
            "<undefined/>");
  EXPECT_EQ(r.instance.CallFunction("<invoke name=\"greet\""), "<undefined/>");
  EXPECT_EQ(r.instance.CallFunction(""), "<undefined/>");
}

TEST(MovieHost, ButtonsRunTheirActionsUnderMouseAndKeys) {
  const std::string press = ActionHex("push \"pressed\" \"pressed\"\ngetvariable\npush 1\nadd2\nsetvariable");
  const std::string release = ActionHex("fscommand \"clicked\" \"yes\"\nnextframe");
  const std::string key = ActionHex("push \"_parent.key\" \"k\"\nsetvariable");
  Rig r(R"(
size 100 100
shape face
  fill f solid #00ff00
  rect 0 0 40 40 fill f
end
button go
  up+over+down+hit face
  on press action )" +
        press + R"(
  on release action )" +
        release + R"(
  on key k action )" +
        key + R"(
end
sprite holder
  place go 1
  actions
    push "pressed" 0
    setvariable
    stop
  end
  show
  show
end
place holder 1 at 10 10 name h
actions
  stop
end
show
show
)");
  r.instance.Step();
  r.instance.MouseMove(20, 20);
  r.instance.MouseDown(20, 20);
  EXPECT_EQ(r.instance.GetVariable("h.pressed"), "1");  // the actions ran on the clip that placed the button
  EXPECT_EQ(r.instance.GetVariable("pressed"), "");
  r.instance.MouseUp(20, 20);
  EXPECT_EQ(r.host.calls, std::vector<std::string>{"fscommand clicked yes"});
  EXPECT_EQ(r.instance.GetVariable("h._currentframe"), "2");
  EXPECT_EQ(r.instance.CurrentFrame(), 0);
  r.instance.MouseDown(90, 90);  // off the button
  r.instance.MouseUp(90, 90);
  EXPECT_EQ(r.instance.GetVariable("h.pressed"), "1");
  r.instance.KeyPress('k');
  EXPECT_EQ(r.instance.GetVariable("key"), "k");
}

TEST(MovieHost, HostCallsBackIntoTheInstance) {
  Rig r(R"(
size 100 100
actions
  function "twice" "x"
    push "x"
    getvariable
    push 2
    multiply
    return
  end
  addcallback "twice" "this" "twice"
  pop
  push "before" 1
  setvariable
  fscommand "poke"
  push "after" "fromHost"
  getvariable
  setvariable
  push "ext"
  externalcall "nested"
  setvariable
  push "movie.swf" "_level1"
  geturl2 loadvariables
end
show
)");
  std::string nestedAnswer;
  r.host.onFSCommand = [&](const std::string&, const std::string&) {
    r.instance.SetVariable("fromHost", r.instance.GetVariable("before") + "!");
  };
  r.host.onExternal = [&](const std::string&) {
    nestedAnswer = r.instance.CallFunction(
        "<invoke name=\"twice\" returntype=\"xml\"><arguments><number>4</number></arguments></invoke>");
    return nestedAnswer;
  };
  r.host.onRequest = [&](int Id, const std::string&) {
    const std::string data = "v=delivered";
    r.instance.DeliverData(Id, reinterpret_cast<const uint8_t*>(data.data()), data.size());
    r.instance.FinishRequest(Id, true);
  };
  r.instance.Step();
  EXPECT_EQ(r.instance.GetVariable("after"), "1!");
  EXPECT_EQ(nestedAnswer, "<number>8</number>");
  EXPECT_EQ(r.instance.GetVariable("ext"), "8");
  // No level 1: the variables had nowhere to go, and nothing broke.
  EXPECT_EQ(r.instance.GetVariable("v"), "");
  EXPECT_FALSE(r.LogHas("aborted"));
}

}  // namespace

TEST(MovieHost, WhatLoadingPassedOverIsLogged) {
  // An empty stage, one ShowFrame, and no End tag.
  const std::vector<uint8_t> bytes{'F', 'W', 'S', 8, 15, 0, 0, 0, 0x00, 0x00, 0x0C, 0x01, 0x00, 0x40, 0x00};
  movie_test::RecordingHost host;
  swf::MovieInstance instance(swf::LoadMovie(bytes.data(), bytes.size()), host);
  ASSERT_EQ(host.logs.size(), 1u);
  EXPECT_NE(host.logs[0].find("movie ends without an End tag"), std::string::npos) << host.logs[0];
}
