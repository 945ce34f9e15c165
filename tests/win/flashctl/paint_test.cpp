// IViewObject::Draw into a 32-bit DIB section: the frame at the bounds' top
// left, inside the bounds and the clip region, over what is there in
// transparent mode; changes come back through the site's InvalidateRect.
#include <gtest/gtest.h>

#include "tests/win/flashctl/test_container.h"
#include "tests/win/flashctl/test_movies.h"

namespace flashctl_test {
namespace {

constexpr uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kGreen = 0xFF00FF00, kWhite = 0xFFFFFFFF;

class FlashctlPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    control_ = NewControl();
    control_->put_Movie(Bstr(MovieFile(kSquareMovie, L"square.swf")).Get());
    view_ = As<IViewObject2>(control_.Get(), IID_IViewObject2);
  }
  HRESULT Draw(Surface& S, RECTL Bounds, DWORD Aspect = DVASPECT_CONTENT) {
    return view_->Draw(Aspect, -1, nullptr, nullptr, nullptr, S.dc(), &Bounds, nullptr, nullptr, 0);
  }
  TComPtr<IvtFlashPlayer> control_;
  TComPtr<IViewObject2> view_;
};

TEST_F(FlashctlPaint, ModesAndBackgrounds) {
  const struct {
    const wchar_t* wmode;
    const wchar_t* bgcolor;
    DWORD aspect;
    uint32_t square, background;
  } cases[] = {
      {L"Window", L"", DVASPECT_CONTENT, kRed, kBlue},            // the movie's own background
      {L"Opaque", L"#ffffff", 16, kRed, kWhite},                  // BGColor fills
      {L"Window", L"not a colour", DVASPECT_CONTENT, kRed, kBlue},
      {L"Transparent", L"#ffffff", 32, kRed, kGreen},             // composited over what is there
      {L"TRANSPARENT", L"", DVASPECT_CONTENT, kRed, kGreen},
  };
  for (const auto& c : cases) {
    control_->put_WMode(Bstr(c.wmode).Get());
    control_->put_BGColor(Bstr(c.bgcolor).Get());
    Surface s(100, 80);
    s.Fill(kGreen);
    ASSERT_EQ(Draw(s, {0, 0, 100, 80}, c.aspect), S_OK);
    EXPECT_EQ(s.Pixel(20, 20), c.square) << c.wmode;
    EXPECT_EQ(s.Pixel(60, 50), c.background) << c.wmode << " " << c.bgcolor;
  }
  Surface s(10, 10);
  EXPECT_EQ(Draw(s, {0, 0, 10, 10}, DVASPECT_ICON), DV_E_DVASPECT);
}

TEST_F(FlashctlPaint, AtTheBoundsInsideBoundsAndClip) {
  Surface s(200, 160);
  SaveDC(s.dc());
  IntersectClipRect(s.dc(), 0, 0, 130, 160);  // cuts the frame at x = 130
  ASSERT_EQ(Draw(s, {50, 40, 150, 120}), S_OK);
  RestoreDC(s.dc(), -1);
  EXPECT_EQ(s.Pixel(70, 60), kRed);      // the square at (10,10) from the bounds' top left
  EXPECT_EQ(s.Pixel(55, 45), kBlue);
  EXPECT_EQ(s.Pixel(129, 100), kBlue);
  EXPECT_EQ(s.Pixel(135, 100), 0u);      // outside the clip
  EXPECT_EQ(s.Pixel(45, 45), 0u);        // outside the bounds
  EXPECT_EQ(s.Pixel(100, 125), 0u);
  Surface small(100, 80);
  ASSERT_EQ(Draw(small, {0, 0, 50, 40}), S_OK);  // bounds smaller than the viewport: cut there
  EXPECT_EQ(small.Pixel(49, 39), kBlue);
  EXPECT_EQ(small.Pixel(60, 50), 0u);
}

TEST_F(FlashctlPaint, ChangesReachInvalidateRectAndRepaintThere) {
  Site site;
  Surface s(150, 120);
  site.pos = {20, 10, 120, 90};
  site.surface = &s;
  ASSERT_EQ(site.Embed(control_.Get()), S_OK);
  ASSERT_FALSE(site.invalidated.empty());
  const RECT all = site.invalidated.back();  // in the container's coordinates
  EXPECT_EQ(all.left, 20);
  EXPECT_EQ(all.top, 10);
  EXPECT_EQ(all.right, 120);
  EXPECT_EQ(all.bottom, 90);
  EXPECT_EQ(s.Pixel(40, 30), kRed);  // drawn from inside InvalidateRect
  site.invalidated.clear();
  RECT moved{0, 0, 50, 40};
  As<IOleInPlaceObject>(control_.Get(), IID_IOleInPlaceObject)->SetObjectRects(&moved, &moved);
  ASSERT_FALSE(site.invalidated.empty());  // a new size repaints it all
  EXPECT_EQ(site.invalidated.back().right, 50);
  As<IOleObject>(control_.Get(), IID_IOleObject)->Close(OLECLOSE_NOSAVE);
  site.invalidated.clear();
  RECT again{0, 0, 60, 40};
  As<IOleInPlaceObject>(control_.Get(), IID_IOleInPlaceObject)->SetObjectRects(&again, &again);
  EXPECT_TRUE(site.invalidated.empty());  // inactive: nothing
  As<IOleObject>(control_.Get(), IID_IOleObject)->SetClientSite(nullptr);
}

}  // namespace
}  // namespace flashctl_test
