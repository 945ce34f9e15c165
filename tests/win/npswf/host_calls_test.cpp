// The movie's calls reach the browser: FSCommand through NPN_Invoke,
// ExternalInterface through NPN_Evaluate, repaints through NPN_InvalidateRect;
// input reaches its buttons and the frame timer runs on the message loop.
#include <gtest/gtest.h>

#include "tests/win/npswf/fake_browser.h"
#include "tests/win/npswf/test_movies.h"

namespace npswf_test {
namespace {

std::string HostMovie() {
  return R"(
size 100 80
rate 50
shape face
  fill f solid #2060c0
  rect 20 20 40 30 fill f
end
button go
  up+over+down+hit face
  on release action )" +
         FSCommandActionHex("clicked", "button") + R"(
  on key enter action )" +
         FSCommandActionHex("key", "enter") + R"(
  on key a action )" +
         FSCommandActionHex("key", "a") + R"(
end
place go 1 name go
actions
  fscommand "hello" "world"
  push "answer"
  externalcall "page.ask" "question" 42
  setvariable
  stop
end
show
)";
}

class NpswfHost : public ::testing::Test {
 protected:
  void SetUp() override {
    browser_.files["host.swf"] = MovieBytes(HostMovie());
    browser_.files["square.swf"] = MovieBytes(kSquareMovie);
  }
  // Loads host.swf and lets the first tick run frame 0's script.
  void Start(Plugin& P) {
    P.LoadMovie("host.swf");
    ASSERT_TRUE(PumpUntil([&] { return !browser_.fscommands.empty(); }));
  }
  Browser browser_;
};

TEST_F(NpswfHost, FSCommandAndExternalInterfaceReachTheBrowser) {
  browser_.answer = "<string>yes</string>";
  Plugin p(browser_, {});
  p.LoadMovie("host.swf");
  EXPECT_TRUE(browser_.fscommands.empty());  // frame 0's script waits for the first tick
  ASSERT_TRUE(PumpUntil([&] { return !browser_.scripts.empty(); }));
  ASSERT_EQ(browser_.fscommands.size(), 1u);
  EXPECT_EQ(browser_.fscommands[0], (std::pair<std::string, std::string>("hello", "world")));
  ASSERT_EQ(browser_.scripts.size(), 1u);
  EXPECT_EQ(browser_.scripts[0],
            "try { __flash__toXML(page.ask(\"question\",42)) ; } catch (e) { \"<undefined/>\"; }");
  EXPECT_EQ(p.Text("GetVariable", {TextArg("answer")}), "yes");  // the answer reached the movie
  EXPECT_EQ(browser_.windowHandedOut, 2);
  EXPECT_EQ(browser_.windowReleased, 2);  // the window object is given back each time
}

TEST_F(NpswfHost, ClicksAndKeysReachTheButton) {
  Plugin p(browser_, {});
  Start(p);
  browser_.fscommands.clear();
  const uintptr_t inside = (30u << 16) | 30u, outside = (70u << 16) | 90u;
  EXPECT_EQ(p.Event(WM_MOUSEMOVE, 0, inside), 1);
  EXPECT_EQ(p.Event(WM_LBUTTONDOWN, MK_LBUTTON, inside), 1);
  EXPECT_EQ(p.Event(WM_LBUTTONUP, 0, inside), 1);
  p.Event(WM_LBUTTONDOWN, MK_LBUTTON, outside);
  p.Event(WM_LBUTTONUP, 0, outside);
  EXPECT_EQ(p.Event(WM_RBUTTONDOWN, MK_RBUTTON, inside), 1);  // taken, nothing happens
  EXPECT_EQ(p.Event(WM_KEYDOWN, VK_RETURN), 1);
  EXPECT_EQ(p.Event(WM_CHAR, '\r'), 1);  // enter came as WM_KEYDOWN: not pressed twice
  EXPECT_EQ(p.Event(WM_CHAR, 'a'), 1);
  EXPECT_EQ(p.Event(WM_KEYDOWN, 'A'), 0);  // a character key: its WM_CHAR carries it
  using Call = std::pair<std::string, std::string>;
  EXPECT_EQ(browser_.fscommands, (std::vector<Call>{{"clicked", "button"}, {"key", "enter"}, {"key", "a"}}));
}

TEST_F(NpswfHost, NegativePositionsStayNegative) {
  Plugin p(browser_, {});
  Start(p);
  browser_.fscommands.clear();
  // x = -2 wraps to 0xFFFE in the low word; read unsigned it would land far right.
  const uintptr_t offLeft = (30u << 16) | 0xFFFEu;
  p.Event(WM_LBUTTONDOWN, MK_LBUTTON, offLeft);
  p.Event(WM_LBUTTONUP, 0, offLeft);
  EXPECT_TRUE(browser_.fscommands.empty());
}

TEST_F(NpswfHost, TheFrameTimerAdvancesThroughTheMessageLoop) {
  Plugin p(browser_, {});
  char loop[] = "Loop";
  NPVariant off = BoolArg(false);
  p.script()->_class->setProperty(p.script(), loop, &off);
  p.LoadMovie("square.swf");
  EXPECT_EQ(p.Int("CurrentFrame"), 0);
  // 50 frames a second: the last frame soon, and there it stays.
  EXPECT_TRUE(PumpUntil([&] { return p.Int("CurrentFrame") == 2; }));
  PumpMessages(60);
  EXPECT_EQ(p.Int("CurrentFrame"), 2);
  EXPECT_TRUE(p.Bool("IsPlaying"));
}

TEST_F(NpswfHost, ChangesAreRepaintedThroughInvalidateRect) {
  Surface s(100, 80);
  browser_.surface = &s;
  Plugin p(browser_, {{"width", "100"}, {"height", "80"}, {"wmode", "transparent"}});
  p.SetWindow(s);
  p.LoadMovie("square.swf");
  ASSERT_FALSE(browser_.invalidated.empty());
  const NPRect all = browser_.invalidated.front();
  EXPECT_EQ(all.left, 0);
  EXPECT_EQ(all.top, 0);
  EXPECT_EQ(all.right, 100);
  EXPECT_EQ(all.bottom, 80);
  EXPECT_EQ(s.Pixel(20, 20), 0xFFFF0000u);  // painted inside the browser's repaint
  browser_.invalidated.clear();
  p.Invoke("GotoFrame", {IntArg(1)});  // nothing changes between these frames
  EXPECT_TRUE(browser_.invalidated.empty());
  // The same window again is no change of size: no repaint of everything.
  p.SetWindow(s);
  p.Invoke("Play", {});
  EXPECT_TRUE(browser_.invalidated.empty());
  p.SetWindow(s, 50, 40);  // a new size repaints it all
  ASSERT_FALSE(browser_.invalidated.empty());
  EXPECT_EQ(browser_.invalidated.back().right, 50);
}

}  // namespace
}  // namespace npswf_test
