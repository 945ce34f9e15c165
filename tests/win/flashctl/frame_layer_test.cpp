// A transparent control draws from a frame layer of its own: composited over
// a colour it matches the opaque frame rendered straight over that colour to
// the rounding, and it renders again only after the movie reported a
// change, even one reported while the control is not active.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "tests/win/flashctl/test_container.h"

namespace flashctl_test {
namespace {

// A translucent gradient and a translucent fill with anti-aliased edges.
constexpr const char* kShapes = R"(
size 100 80
background #0000ff
rate 50
shape ball
  fill shade radial 25 25 25 stops 0 white 128 #ff8000c0 255 #0000ff40
  circle 25 25 25 fill shade
end
shape veil
  fill f solid #00ff8060
  line edge 1.5 #000000a0
  circle 18 18 18 fill f line edge
end
)";

// Overlapping; in frame 1 the veil moves.
const std::string kLayered = std::string(kShapes) + R"(
place ball 1 at 5 5
place ball 2 at 35 20
place veil 3 at 20 10
actions
  stop
end
show
move 3 at 55 35
show
)";

// Side by side: every pixel has one translucent fill at most over the
// background (and the veil's edge over its fill).
const std::string kSideBySide = std::string(kShapes) + R"(
place ball 1 at 5 5
place veil 2 at 60 40
show
)";

uint64_t Renders() {
  const auto count = Export<uint64_t(__stdcall*)()>("StandInRenderCount");
  return count ? count() : 0;
}

class FlashctlFrameLayer : public ::testing::Test {
 protected:
  void SetUp() override { Open(kLayered); }
  void Open(const std::string& Movie) {
    control_ = NewControl();
    control_->put_Movie(Bstr(MovieFile(Movie, L"layered.swf")).Get());
    view_ = As<IViewObject2>(control_.Get(), IID_IViewObject2);
  }
  HRESULT Draw(Surface& S) {
    RECTL bounds{0, 0, 100, 80};
    return view_->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, S.dc(), &bounds, nullptr, nullptr, 0);
  }
  TComPtr<IvtFlashPlayer> control_;
  TComPtr<IViewObject2> view_;
};

// The largest difference in any channel of any pixel.
int WorstDifference(const Surface& A, const Surface& B) {
  int worst = 0;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 100; ++x)
      for (int shift = 0; shift < 32; shift += 8)
        worst = std::max(worst, std::abs(int((A.Pixel(x, y) >> shift) & 0xFF) - int((B.Pixel(x, y) >> shift) & 0xFF)));
  return worst;
}

TEST_F(FlashctlFrameLayer, CompositedOverAColourItMatchesTheFrameRenderedStraightOverIt) {
  // One translucent fill over the background: one rounding either way. Fills
  // stacked over each other: the layer rounds each in premultiplied form, the
  // straight render over the colour, so the two part by up to one unit more.
  const struct {
    const std::string& movie;
    int bound;
  } movies[] = {{kSideBySide, 1}, {kLayered, 2}};
  const struct {
    uint32_t pixel;
    const wchar_t* colour;
  } backgrounds[] = {{0xFF000000, L"#000000"}, {0xFFFFFFFF, L"#ffffff"}, {0xFF80C040, L"#80c040"}};
  for (const auto& m : movies) {
    Open(m.movie);
    for (const auto& b : backgrounds) {
      Surface straight(100, 80), layered(100, 80);
      control_->put_WMode(Bstr(L"Opaque").Get());
      control_->put_BGColor(Bstr(b.colour).Get());
      ASSERT_EQ(Draw(straight), S_OK);
      control_->put_WMode(Bstr(L"Transparent").Get());
      layered.Fill(b.pixel);
      ASSERT_EQ(Draw(layered), S_OK);
      EXPECT_LE(WorstDifference(straight, layered), m.bound) << b.colour << " bound " << m.bound;
      EXPECT_NE(straight.Pixel(30, 30), b.pixel) << "the movie was drawn";
    }
  }
}

TEST_F(FlashctlFrameLayer, RendersAgainOnlyAfterAChangeTheMovieReported) {
  control_->put_WMode(Bstr(L"Transparent").Get());
  Surface first(100, 80), again(100, 80), moved(100, 80);
  const uint64_t before = Renders();
  ASSERT_EQ(Draw(first), S_OK);
  ASSERT_EQ(Draw(again), S_OK);
  EXPECT_EQ(Renders() - before, 1u);
  EXPECT_EQ(again.Pixel(38, 28), first.Pixel(38, 28));
  // Not in place: the control has no site to report to, but its layer hears.
  ASSERT_EQ(control_->GotoFrame(1), S_OK);
  ASSERT_EQ(Draw(moved), S_OK);
  const uint64_t afterMove = Renders();
  EXPECT_GT(afterMove - before, 1u);  // the parts that changed, one render each
  EXPECT_NE(moved.Pixel(38, 28), first.Pixel(38, 28)) << "the veil left";
  EXPECT_NE(moved.Pixel(73, 53), first.Pixel(73, 53)) << "the veil arrived";
  Surface movedAgain(100, 80);
  ASSERT_EQ(Draw(movedAgain), S_OK);
  EXPECT_EQ(Renders(), afterMove);
  EXPECT_EQ(movedAgain.Pixel(73, 53), moved.Pixel(73, 53));
}

}  // namespace
}  // namespace flashctl_test
