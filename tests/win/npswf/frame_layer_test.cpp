// A transparent instance paints from a frame layer of its own: a second
// paint with nothing changed renders nothing, over black and over white it
// gives the same picture with its alpha, and a change the movie reports is
// rendered before it is shown, also where an earlier paint's clip left it.
#include <gtest/gtest.h>

#include "tests/win/npswf/fake_browser.h"

namespace npswf_test {
namespace {

// A half-transparent red square that moves from (10,10) to (60,40) in frame 1.
constexpr const char* kMovingSquare = R"(
size 100 80
background #0000ff
rate 50
shape box
  fill f solid #ff000080
  rect 0 0 20 20 fill f
end
place box 1 at 10 10
actions
  stop
end
show
move 1 at 60 40
show
)";

constexpr uint32_t kBlack = 0xFF000000, kWhite = 0xFFFFFFFF, kGreen = 0xFF00FF00;

uint64_t Renders() {
  using Count = uint64_t (*)();
  const auto count =
      reinterpret_cast<Count>(reinterpret_cast<void*>(GetProcAddress(TheModule().handle, "StandInRenderCount")));
  return count ? count() : 0;
}

class NpswfFrameLayer : public ::testing::Test {
 protected:
  void SetUp() override {
    browser_.files["moving.swf"] = MovieBytes(kMovingSquare);
    ASSERT_EQ(plugin_.SetWindow(surface_), NPERR_NO_ERROR);
    plugin_.LoadMovie("moving.swf");
  }
  int16_t PaintOver(uint32_t Pixel) {
    surface_.Fill(Pixel);
    return plugin_.Paint();
  }
  Browser browser_;
  Surface surface_{100, 80};
  Plugin plugin_{browser_, {{"wmode", "transparent"}, {"width", "100"}, {"height", "80"}}};
};

TEST_F(NpswfFrameLayer, PaintsOverBlackAndWhiteRenderOnce) {
  const uint64_t before = Renders();
  ASSERT_EQ(PaintOver(kBlack), 1);
  const uint32_t overBlack = surface_.Pixel(15, 15);
  ASSERT_EQ(PaintOver(kWhite), 1);
  const uint32_t overWhite = surface_.Pixel(15, 15);
  EXPECT_EQ(Renders() - before, 1u);
  EXPECT_EQ(overBlack, 0xFF800000u);  // half red, premultiplied, over black
  EXPECT_EQ(overWhite, 0xFFFF7F7Fu);  // over white: its alpha is 255 - 127
  EXPECT_EQ(surface_.Pixel(50, 50), kWhite);
}

TEST_F(NpswfFrameLayer, AChangeIsRenderedBeforeItIsShownEvenWhereAClipLeftIt) {
  ASSERT_EQ(PaintOver(kGreen), 1);
  EXPECT_NE(surface_.Pixel(15, 15), kGreen);
  // The square moves: the engine reports it between two paints.
  plugin_.Invoke("GotoFrame", {IntArg(1)});
  ASSERT_FALSE(browser_.invalidated.empty());
  // A paint clipped to the left half, then one of everything.
  surface_.Fill(kGreen);
  SaveDC(surface_.dc());
  IntersectClipRect(surface_.dc(), 0, 0, 50, 80);
  ASSERT_EQ(plugin_.Paint(), 1);
  RestoreDC(surface_.dc(), -1);
  EXPECT_EQ(surface_.Pixel(15, 15), kGreen) << "the square's old place is cleared";
  EXPECT_EQ(surface_.Pixel(65, 45), kGreen) << "outside the clip";
  ASSERT_EQ(PaintOver(kGreen), 1);
  EXPECT_EQ(surface_.Pixel(15, 15), kGreen);
  EXPECT_EQ(surface_.Pixel(65, 45), 0xFF807F00u) << "the square's new place";
}

TEST_F(NpswfFrameLayer, ANewViewportSizeRendersItAll) {
  ASSERT_EQ(PaintOver(kBlack), 1);
  Surface larger(200, 160);
  ASSERT_EQ(plugin_.SetWindow(larger), NPERR_NO_ERROR);
  larger.Fill(kBlack);
  const uint64_t before = Renders();
  ASSERT_EQ(plugin_.Paint(), 1);
  EXPECT_GE(Renders() - before, 1u);
  EXPECT_EQ(larger.Pixel(30, 30), 0xFF800000u);  // the stage doubled
  EXPECT_EQ(larger.Pixel(150, 150), kBlack);
}

}  // namespace
}  // namespace npswf_test
