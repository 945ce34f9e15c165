// WM_PAINT: the frame in the last device context, inside its clip, composited
// over it in transparent mode, with the background filled otherwise.
#include <gtest/gtest.h>

#include "tests/win/npswf/fake_browser.h"
#include "tests/win/npswf/test_movies.h"

namespace npswf_test {
namespace {

constexpr uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kGreen = 0xFF00FF00;

class NpswfPaint : public ::testing::Test {
 protected:
  void SetUp() override { browser_.files["square.swf"] = MovieBytes(kSquareMovie); }
  Browser browser_;
};

TEST_F(NpswfPaint, OpaqueModeFillsTheMoviesBackground) {
  Surface s(100, 80);
  s.Fill(kGreen);
  Plugin p(browser_, {{"width", "100"}, {"height", "80"}});
  ASSERT_EQ(p.SetWindow(s), NPERR_NO_ERROR);
  p.LoadMovie("square.swf");
  ASSERT_FALSE(browser_.invalidated.empty());  // the new movie asks for a repaint
  s.Fill(kGreen);
  EXPECT_EQ(p.Paint(), 1);
  EXPECT_EQ(s.Pixel(20, 20), kRed);
  EXPECT_EQ(s.Pixel(50, 50), kBlue);
  EXPECT_EQ(s.Pixel(99, 79), kBlue);
}

TEST_F(NpswfPaint, TransparentModeCompositesOverThePixelsThere) {
  Surface s(100, 80);
  Plugin p(browser_, {{"height", "80"}, {"bgcolor", "#0"}, {"wmode", "transparent"}, {"width", "100"}});
  p.SetWindow(s);
  p.LoadMovie("square.swf");
  s.Fill(kGreen);
  EXPECT_EQ(p.Paint(), 1);
  EXPECT_EQ(s.Pixel(20, 20), kRed);
  EXPECT_EQ(s.Pixel(50, 50), kGreen);  // no background: what was there stays
  EXPECT_EQ(s.Pixel(5, 5), kGreen);
}

TEST_F(NpswfPaint, OnlyInsideTheClipRegionOfTheLastContext) {
  Surface first(100, 80), s(100, 80);
  Plugin p(browser_, {{"width", "100"}, {"height", "80"}, {"bgcolor", "#00ff00"}});
  p.SetWindow(first);
  p.LoadMovie("square.swf");
  p.SetWindow(s);  // the last context received is the one painted
  first.Fill(0);
  s.Fill(0);
  SaveDC(s.dc());
  IntersectClipRect(s.dc(), 0, 0, 20, 80);
  EXPECT_EQ(p.Paint(), 1);
  RestoreDC(s.dc(), -1);
  EXPECT_EQ(s.Pixel(15, 15), kRed);
  EXPECT_EQ(s.Pixel(5, 5), kGreen);  // bgcolor fills in opaque mode
  EXPECT_EQ(s.Pixel(25, 15), 0u);    // outside the clip: untouched
  EXPECT_EQ(s.Pixel(60, 60), 0u);
  EXPECT_EQ(first.Pixel(15, 15), 0u);  // the earlier context is not painted
}

TEST_F(NpswfPaint, BottomUpBitmapsAndTheViewportSize) {
  Surface s(200, 160, /*TopDown=*/false);
  Plugin p(browser_, {{"wmode", "transparent"}});
  p.SetWindow(s);  // 200 x 160: the 100 x 80 stage doubled
  p.LoadMovie("square.swf");
  s.Fill(kGreen);
  EXPECT_EQ(p.Paint(), 1);
  EXPECT_EQ(s.Pixel(22, 22), kRed);
  EXPECT_EQ(s.Pixel(58, 58), kRed);
  EXPECT_EQ(s.Pixel(15, 15), kGreen);
  EXPECT_EQ(s.Pixel(65, 65), kGreen);
  EXPECT_EQ(s.Pixel(22, 140), kGreen);  // rows are not flipped
}

TEST_F(NpswfPaint, NothingToPaintIntoOrNoMovieYet) {
  Surface s(100, 80);
  Plugin p(browser_, {{"wmode", "transparent"}, {"width", "100"}, {"height", "80"}});
  EXPECT_EQ(p.Paint(), 0);  // no context yet
  p.SetWindow(s);
  s.Fill(kGreen);
  p.Paint();
  EXPECT_EQ(s.Pixel(20, 20), kGreen);
  NPPluginFuncs& f = TheModule().funcs;
  EXPECT_EQ(f.setwindow(p.npp(), nullptr), NPERR_NO_ERROR);  // a null window is forgotten
  p.LoadMovie("square.swf");
  EXPECT_EQ(p.Paint(), 0);
  EXPECT_EQ(s.Pixel(20, 20), kGreen);
}

}  // namespace
}  // namespace npswf_test
