// The browser calls back into the module from inside the module's own calls,
// up to destroying the very instance whose call is on the stack.
#include <gtest/gtest.h>

#include "tests/win/npswf/fake_browser.h"
#include "tests/win/npswf/test_movies.h"

namespace npswf_test {
namespace {

constexpr const char* kTalkingMovie = R"(
size 100 80
rate 50
actions
  fscommand "first" ""
  push "answer"
  externalcall "page.ask"
  setvariable
  fscommand "second" ""
end
show
show
)";

class NpswfReentry : public ::testing::Test {
 protected:
  void SetUp() override {
    browser_.files["square.swf"] = MovieBytes(kSquareMovie);
    browser_.files["talking.swf"] = MovieBytes(kTalkingMovie);
  }
  Browser browser_;
};

TEST_F(NpswfReentry, TheBrowserScriptsAndResizesFromInsideARepaint) {
  Surface s(100, 80), wide(200, 160);
  browser_.surface = &s;
  Plugin p(browser_, {{"wmode", "transparent"}});
  int nested = 0;
  browser_.onInvalidate = [&](NPP) {
    if (nested++) return;
    EXPECT_EQ(p.Int("TotalFrames"), 3);
    p.Invoke("GotoFrame", {IntArg(2)});
    p.SetWindow(wide);  // a new context and size in the middle of a repaint
    EXPECT_EQ(p.Paint(), 1);
  };
  p.SetWindow(s);
  p.LoadMovie("square.swf");
  EXPECT_GE(nested, 2);  // the resize asked for another repaint
  EXPECT_EQ(p.Int("CurrentFrame"), 2);
  EXPECT_EQ(wide.Pixel(40, 40), 0xFFFF0000u);  // painted at the new size
  // The browser's refresh after the delivery gave the first context back.
  s.Fill(0);
  EXPECT_EQ(p.Paint(), 1);
  EXPECT_EQ(s.Pixel(20, 20), 0xFFFF0000u);
}

TEST_F(NpswfReentry, DestroyedFromInsideNPNInvoke) {
  Plugin p(browser_, {});
  browser_.onFSCommand = [&](NPP) { p.Destroy(); };
  p.LoadMovie("talking.swf");
  // The first tick runs the script; its first fscommand destroys the instance.
  ASSERT_TRUE(PumpUntil([&] { return p.destroyed(); }));
  using Call = std::pair<std::string, std::string>;
  EXPECT_EQ(browser_.fscommands, (std::vector<Call>{{"first", ""}}));
  EXPECT_TRUE(browser_.scripts.empty());  // the rest of the script reaches no browser
  EXPECT_EQ(p.npp()->pdata, nullptr);
  const size_t calls = browser_.calls.size();
  PumpMessages(80);                            // its timer is gone
  EXPECT_FALSE(p.Invoke("CurrentFrame", {}));  // the object outlives it, answering nothing
  EXPECT_EQ(p.Event(WM_PAINT), 0);
  EXPECT_EQ(browser_.calls.size(), calls);
}

TEST_F(NpswfReentry, DestroyedFromInsideNPNEvaluate) {
  Plugin p(browser_, {});
  browser_.onEvaluate = [&](NPP) { p.Destroy(); };
  p.LoadMovie("talking.swf");
  ASSERT_TRUE(PumpUntil([&] { return p.destroyed(); }));
  PumpMessages(40);
  EXPECT_EQ(browser_.scripts.size(), 1u);
  EXPECT_EQ(browser_.fscommands.size(), 1u);  // "second" never goes out
}

TEST_F(NpswfReentry, DestroyedWhileItsFirstMovieIsDelivered) {
  Surface s(100, 80);
  browser_.surface = &s;
  Plugin p(browser_, {});
  p.SetWindow(s);
  browser_.onInvalidate = [&](NPP) {
    if (!p.destroyed()) p.Destroy();
  };
  // Inside: invoke LoadMovie -> NPN_GetURLNotify -> the stream -> the movie
  // starts -> NPN_InvalidateRect -> NPP_Destroy; then the browser's own
  // SetWindow and paint after the delivery meet a destroyed instance.
  p.LoadMovie("square.swf");
  EXPECT_TRUE(p.destroyed());
  EXPECT_EQ(p.npp()->pdata, nullptr);
  PumpMessages(60);
}

TEST_F(NpswfReentry, DestroyedFromAButtonsFSCommand) {
  const std::string movie = R"(
size 100 80
shape face
  fill f solid #2060c0
  rect 0 0 100 80 fill f
end
button go
  up+over+down+hit face
  on release action )" + FSCommandActionHex("bye", "") +
                            R"(
end
place go 1
show
)";
  browser_.files["button.swf"] = MovieBytes(movie);
  Plugin p(browser_, {});
  p.LoadMovie("button.swf");
  browser_.onFSCommand = [&](NPP) { p.Destroy(); };
  p.Event(WM_LBUTTONDOWN, MK_LBUTTON, (10u << 16) | 10u);
  p.Event(WM_LBUTTONUP, 0, (10u << 16) | 10u);
  EXPECT_EQ(browser_.fscommands.size(), 1u);
  EXPECT_EQ(p.Event(WM_LBUTTONDOWN, MK_LBUTTON, (10u << 16) | 10u), 0);
}

}  // namespace
}  // namespace npswf_test
