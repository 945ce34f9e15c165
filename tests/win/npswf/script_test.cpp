// The scriptable object: playback, frames, loop, variables, CallFunction and
// LoadMovie, before and after a movie exists.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/win/npswf/fake_browser.h"
#include "tests/win/npswf/test_movies.h"

namespace npswf_test {
namespace {

constexpr const char* kScriptedMovie = R"(
size 100 80
rate 50
actions
  function "add" "a" "b"
    push "a"
    getvariable
    push "b"
    getvariable
    add2
    return
  end
  addcallback "add" "this" "add"
  pop
  stop
end
show
show
show
show
)";

class NpswfScript : public ::testing::Test {
 protected:
  void SetUp() override {
    browser_.files["square.swf"] = MovieBytes(kSquareMovie);
    browser_.files["scripted.swf"] = MovieBytes(kScriptedMovie);
  }
  Browser browser_;
};

TEST_F(NpswfScript, BeforeAMovieEveryMethodAnswersEmpty) {
  Plugin p(browser_, {});
  ASSERT_NE(p.script(), nullptr);
  NPClass* c = p.script()->_class;
  for (const char* name :
       {"Play", "StopPlay", "Rewind", "Forward", "Back", "GetLoop", "IsPlaying", "CurrentFrame",
        "TotalFrames", "GotoFrame", "GetVariable", "SetVariable", "CallFunction", "LoadMovie"}) {
    std::string copy = name;  // names compare as strings, not as addresses
    EXPECT_TRUE(c->hasMethod(p.script(), copy.data())) << name;
  }
  char unknown[] = "Zoom";
  EXPECT_FALSE(c->hasMethod(p.script(), unknown));
  EXPECT_FALSE(p.Invoke("Zoom", {}));
  EXPECT_TRUE(p.Invoke("Play", {}));
  EXPECT_TRUE(p.Invoke("GotoFrame", {IntArg(3)}));
  EXPECT_FALSE(p.Bool("IsPlaying"));
  EXPECT_TRUE(p.Bool("GetLoop"));
  EXPECT_EQ(p.Int("CurrentFrame"), 0);
  EXPECT_EQ(p.Int("TotalFrames"), 0);
  EXPECT_EQ(p.Text("GetVariable", {TextArg("a")}), "");
  EXPECT_EQ(p.Text("CallFunction", {TextArg("<invoke name=\"add\"><arguments/></invoke>")}), "");
  EXPECT_TRUE(browser_.requests.empty());
}

TEST_F(NpswfScript, FramesPlaybackAndLoop) {
  Plugin p(browser_, {});
  p.LoadMovie("square.swf");
  ASSERT_EQ(browser_.requests.size(), 1u);
  EXPECT_EQ(browser_.requests[0].url, "square.swf");
  EXPECT_EQ(p.Int("TotalFrames"), 3);
  EXPECT_EQ(p.Int("CurrentFrame"), 0);
  EXPECT_TRUE(p.Bool("IsPlaying"));
  p.Invoke("GotoFrame", {IntArg(2)});
  EXPECT_EQ(p.Int("CurrentFrame"), 2);
  p.Invoke("GotoFrame", {DoubleArg(1.0)});
  EXPECT_EQ(p.Int("CurrentFrame"), 1);
  p.Invoke("GotoFrame", {TextArg("2")});
  EXPECT_EQ(p.Int("CurrentFrame"), 2);
  p.Invoke("Back", {});
  EXPECT_EQ(p.Int("CurrentFrame"), 1);
  EXPECT_FALSE(p.Bool("IsPlaying"));
  p.Invoke("Forward", {});
  EXPECT_EQ(p.Int("CurrentFrame"), 2);
  p.Invoke("Play", {});
  EXPECT_TRUE(p.Bool("IsPlaying"));
  p.Invoke("Rewind", {});
  EXPECT_EQ(p.Int("CurrentFrame"), 0);
  EXPECT_FALSE(p.Bool("IsPlaying"));
  p.Invoke("Play", {});
  p.Invoke("StopPlay", {});
  EXPECT_FALSE(p.Bool("IsPlaying"));

  NPClass* c = p.script()->_class;
  char loop[] = "Loop";
  NPVariant off = BoolArg(false), value{};
  EXPECT_TRUE(c->hasProperty(p.script(), loop));
  EXPECT_TRUE(c->setProperty(p.script(), loop, &off));
  EXPECT_FALSE(p.Bool("GetLoop"));
  EXPECT_TRUE(c->getProperty(p.script(), loop, &value));
  EXPECT_EQ(value.type, NPVariantType_Bool);
  EXPECT_FALSE(value.value.boolValue);
}

TEST_F(NpswfScript, LoopSetBeforeTheMovieHolds) {
  Plugin p(browser_, {});
  char loop[] = "Loop";
  NPVariant off = BoolArg(false);
  EXPECT_TRUE(p.script()->_class->setProperty(p.script(), loop, &off));
  p.LoadMovie("square.swf");
  EXPECT_FALSE(p.Bool("GetLoop"));
}

TEST_F(NpswfScript, VariablesAndFunctionCalls) {
  Plugin p(browser_, {});
  p.LoadMovie("scripted.swf");
  const int before = browser_.allocations;
  EXPECT_TRUE(p.Invoke("SetVariable", {TextArg("greeting"), TextArg("hello world")}));
  EXPECT_EQ(p.Text("GetVariable", {TextArg("greeting")}), "hello world");
  EXPECT_EQ(browser_.allocations, before + 1);  // the answer's text comes from NPN_MemAlloc
  p.Invoke("SetVariable", {TextArg("n"), IntArg(42)});
  EXPECT_EQ(p.Text("GetVariable", {TextArg("n")}), "42");
  EXPECT_EQ(p.Text("GetVariable", {TextArg("nothing")}), "");

  const char* request =
      "<invoke name=\"add\" "
      "returntype=\"xml\"><arguments><number>2</number><number>5</number></arguments></invoke>";
  EXPECT_EQ(p.Text("CallFunction", {TextArg(request)}), "<undefined/>");  // frame 0 not entered yet
  // The first tick enters frame 0, whose script registers the callback.
  EXPECT_TRUE(PumpUntil([&] { return p.Text("CallFunction", {TextArg(request)}) == "<number>7</number>"; }));
  EXPECT_EQ(p.Text("CallFunction", {TextArg("not a request")}), "<undefined/>");
}

TEST_F(NpswfScript, LaterLoadsGoThroughTheMovie) {
  Plugin p(browser_, {});
  p.LoadMovie("scripted.swf");
  p.LoadMovie("square.swf", 1);
  ASSERT_EQ(browser_.requests.size(), 2u);
  EXPECT_EQ(browser_.requests[1].url, "square.swf");
  EXPECT_NE(browser_.requests[1].notifyData, browser_.requests[0].notifyData);
  p.LoadMovie("square.swf", 0);  // replaces level 0 once delivered
  EXPECT_EQ(p.Int("TotalFrames"), 3);
}

}  // namespace
}  // namespace npswf_test
