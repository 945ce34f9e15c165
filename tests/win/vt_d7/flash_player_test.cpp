// The graphic player on a real form: erasing, painting, input, settings.
#include <gtest/gtest.h>

#include "framework/Forms.h"
#include "recording_driver.h"
#include "vt_d7/Vt_flashplayer.h"

namespace {

using vt::TvtFlashPlayer;
using vt_test::Log;
using vt_test::RecordingScope;
using vt_test::TRecordingDriver;

// The colour of the 10 x 10 cell that holds parent pixel (x, y).
COLORREF CellColor(int x, int y) { return RGB((x / 10) * 20 % 256, (y / 10) * 20 % 256, 0x80); }

// A form that paints a known pattern over its whole client area.
class TPatternForm : public vcl::TForm {
 public:
  TPatternForm() : vcl::TForm(nullptr) { SetBounds(0, 0, 240, 200); }
  void Paint() override {
    for (int y = 0; y < ClientHeight(); y += 10)
      for (int x = 0; x < ClientWidth(); x += 10) {
        Canvas().Brush().SetColor(static_cast<vcl::TColor>(CellColor(x, y)));
        Canvas().FillRect(vcl::Bounds(x, y, 10, 10));
      }
  }
};

// A graphic control that paints one solid colour.
class TSolid : public vcl::TGraphicControl {
 public:
  TSolid(vcl::TComponent* Owner, COLORREF C) : vcl::TGraphicControl(Owner), color(C) {}
  void Paint() override {
    Canvas().Brush().SetColor(static_cast<vcl::TColor>(color));
    Canvas().FillRect(ClientRect());
  }
  COLORREF color;
};

// Counts the paints a player does on its own.
class TProbePlayer : public TvtFlashPlayer {
 public:
  using TvtFlashPlayer::TvtFlashPlayer;
  void Paint() override {
    ++paints;
    TvtFlashPlayer::Paint();
  }
  int paints = 0;
};

uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

struct PlayerOnForm : ::testing::Test {
  RecordingScope scope;
  std::unique_ptr<TPatternForm> form = std::make_unique<TPatternForm>();
  TProbePlayer* player = nullptr;
  void SetUp() override {
    player = new TProbePlayer(form.get());
    player->SetParent(form.get());
    player->SetBounds(30, 20, 100, 80);
  }
  void TearDown() override { form.reset(); }
  TRecordingDriver* driver() const { return static_cast<TRecordingDriver*>(player->Driver()); }
  uint32_t px(int x, int y) const { return driver()->FBits[y * driver()->FWidth + x]; }
};

TEST_F(PlayerOnForm, TransparentEraseShowsWhatTheParentPaintsBehindThePlayer) {
  form->Handle();
  vt::FillLongword(driver()->FBits, 100 * 80, 0xFF123456);
  player->DoEraseBackground(driver(), vcl::Rect(0, 0, 100, 80));
  GdiFlush();
  for (int y = 0; y < 80; y += 7)
    for (int x = 0; x < 100; x += 7)
      ASSERT_EQ(px(x, y) & 0xFFFFFF, Rgb(CellColor(x + 30, y + 20))) << x << "," << y;
}

TEST_F(PlayerOnForm, TransparentEraseIsClippedToTheRectangleAndShowsSiblingControls) {
  auto* sibling = new TSolid(form.get(), RGB(0, 0xFF, 0));
  sibling->SetParent(form.get());
  sibling->SetBounds(0, 0, 45, 45);  // covers player pixels x < 15, y < 25
  form->Handle();
  vt::FillLongword(driver()->FBits, 100 * 80, 0xFF123456);
  player->DoEraseBackground(driver(), vcl::Rect(10, 10, 40, 30));
  GdiFlush();
  EXPECT_EQ(px(9, 10), 0xFF123456u) << "outside the rectangle: untouched";
  EXPECT_EQ(px(40, 29), 0xFF123456u);
  EXPECT_EQ(px(10, 30), 0xFF123456u);
  EXPECT_EQ(px(12, 12) & 0xFFFFFF, 0x00FF00u) << "the sibling control";
  EXPECT_EQ(px(20, 12) & 0xFFFFFF, Rgb(CellColor(50, 32))) << "the form's own painting";
  EXPECT_EQ(px(39, 29) & 0xFFFFFF, Rgb(CellColor(69, 49)));
}

TEST_F(PlayerOnForm, TransparentEraseWithoutAParentWindowLeavesTheBufferAlone) {
  vt::FillLongword(driver()->FBits, 100 * 80, 0xFF123456);
  player->DoEraseBackground(driver(), vcl::Rect(0, 0, 100, 80));  // form has no window yet
  EXPECT_FALSE(form->HandleAllocated());
  player->SetParent(nullptr);
  form->Handle();
  player->DoEraseBackground(driver(), vcl::Rect(0, 0, 100, 80));
  EXPECT_EQ(px(0, 0), 0xFF123456u);
  EXPECT_EQ(px(99, 79), 0xFF123456u);
}

TEST_F(PlayerOnForm, OpaqueEraseFillsWithTheColourUpToTheBufferEdge) {
  player->SetColor(vcl::clRed);
  player->SetTransparent(false);
  vt::FillLongword(driver()->FBits, 100 * 80, 0xFF123456);
  player->DoEraseBackground(driver(), vcl::Rect(90, 70, 150, 150));
  EXPECT_EQ(px(90, 70), 0xFFFF0000u);
  EXPECT_EQ(px(99, 79), 0xFFFF0000u);
  EXPECT_EQ(px(89, 79), 0xFF123456u);
  EXPECT_EQ(px(99, 69), 0xFF123456u);
}

TEST_F(PlayerOnForm, TransparentAndColourChangesRebackgroundAndForceARedraw) {
  scope.log.clear();
  player->SetTransparent(true);  // unchanged: nothing
  EXPECT_TRUE(scope.log.empty());
  player->SetTransparent(false);
  char expected[32];  // the colour comes from the form: opaque button face
  std::snprintf(expected, sizeof expected, "SetBackground %08X", vt::ColorToPixel(vcl::ColorToRGB(vcl::clBtnFace)));
  EXPECT_EQ(scope.log, (Log{expected, "ForceUpdate"}));
  scope.log.clear();
  player->SetColor(static_cast<vcl::TColor>(0x00332211));
  EXPECT_EQ(scope.log, (Log{"SetBackground FF112233", "ForceUpdate"}));
  EXPECT_EQ(driver()->FAlphaBits, nullptr) << "the graphic player never needs the second buffer";
}

TEST_F(PlayerOnForm, PaintCopiesTheWholeBufferOntoTheParentsSurface) {
  form->Handle();
  vt::FillLongword(driver()->FBits, 100 * 80, 0xFF0000FF);
  driver()->FBits[0] = 0xFFFF0000;
  // Render the form, player included, into a memory bitmap and look.
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 240, -200, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  form->PaintTo(dc, 0, 0);
  GdiFlush();
  auto at = [&](int x, int y) { return static_cast<uint32_t*>(bits)[y * 240 + x] & 0xFFFFFF; };
  EXPECT_EQ(at(30, 20), 0xFF0000u);
  EXPECT_EQ(at(31, 20), 0x0000FFu);
  EXPECT_EQ(at(129, 99), 0x0000FFu);
  EXPECT_EQ(at(130, 99), Rgb(CellColor(130, 99)));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bmp);
}

TEST_F(PlayerOnForm, DoPaintShowsAtOnceExceptInTheDesignerOrWithoutAWindow) {
  player->DoPaint(driver(), vcl::Rect(0, 0, 1, 1));
  EXPECT_EQ(player->paints, 0) << "no parent window yet";
  form->Handle();
  player->DoPaint(driver(), vcl::Rect(0, 0, 1, 1));
  EXPECT_EQ(player->paints, 1);
  player->SetDesigning(true);
  player->DoPaint(driver(), vcl::Rect(0, 0, 1, 1));
  EXPECT_EQ(player->paints, 1);
  vcl::FreeDeviceContexts();
}

TEST_F(PlayerOnForm, PaintInTheDesignerRebindsTheDriversCallbacks) {
  player->SetDesigning(true);
  driver()->FOnPaint = nullptr;
  driver()->FOnEraseBackground = nullptr;
  form->Handle();
  player->Paint();
  EXPECT_TRUE(driver()->FOnPaint);
  EXPECT_TRUE(driver()->FOnEraseBackground);
  vcl::FreeDeviceContexts();
}

TEST_F(PlayerOnForm, MouseMessagesReachTheDriverInPlayerCoordinatesAfterTheApplication) {
  HWND h = form->Handle();
  player->OnMouseDown = [&](vcl::TObject* s, vcl::TMouseButton, vcl::TShiftState, int X, int Y) {
    EXPECT_EQ(s, player);
    scope.log.push_back("app MouseDown " + std::to_string(X) + "," + std::to_string(Y));
  };
  scope.log.clear();
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(35, 27));
  SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, MAKELPARAM(200, 150));  // captured: still the player
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(40, 30));
  EXPECT_EQ(scope.log, (Log{"app MouseDown 5,7", "MouseDown left left 5,7", "MouseMove shift+left 170,130",
                            "MouseUp left - 10,10"}));
}

TEST_F(PlayerOnForm, WheelGoesToTheDriverInScreenCoordinatesAndItsAnswerIsReturned) {
  scope.log.clear();
  EXPECT_TRUE(player->DoMouseWheel({vcl::ssCtrl}, -120, vcl::TPoint{400, 300}));
  EXPECT_EQ(scope.log, (Log{"MouseWheel ctrl 400,300 -120 unhandled"}));
}

TEST_F(PlayerOnForm, BoundsResizeTheBuffer) {
  EXPECT_EQ(driver()->FWidth, 100);
  EXPECT_EQ(driver()->FHeight, 80);
  player->SetWidth(0);
  EXPECT_EQ(driver()->FWidth, 1);
}

TEST_F(PlayerOnForm, DriverReportsItsHostWindowOnlyOnceItExists) {
  EXPECT_EQ(driver()->GetParentHandle(), nullptr);
  EXPECT_FALSE(form->HandleAllocated()) << "asking creates no window";
  HWND h = form->Handle();
  EXPECT_EQ(driver()->GetParentHandle(), h);
  EXPECT_EQ(driver()->GetParentOffset(), (vcl::TPoint{30, 20}));
  driver()->FControl = form.get();  // a windowed control is its own host
  EXPECT_EQ(driver()->GetParentHandle(), h);
  EXPECT_EQ(driver()->GetParentOffset(), (vcl::TPoint{0, 0}));
  driver()->FControl = player;
}

TEST(FlashPlayer, StartsWith100x100BufferTransparentAndDefaultSettings) {
  vt::InitializeFlashPlayerUnit();
  TvtFlashPlayer p(nullptr);
  ASSERT_NE(p.Driver(), nullptr);
  EXPECT_EQ(p.Driver()->ClassName(), L"TvtFlashDriver") << "no renderer here";
  EXPECT_EQ(p.Driver()->FWidth, 100);
  EXPECT_EQ(p.Driver()->FHeight, 100);
  EXPECT_EQ(p.Driver()->FControl, &p);
  EXPECT_TRUE(p.Transparent());
  EXPECT_EQ(p.Plugin(), vt::vtDefault);
  EXPECT_TRUE(p.GetDisableFlashMenu());
  EXPECT_FALSE(p.GetDisableFlashCursor());
  EXPECT_EQ(p.GetSkin(), "ClearOverAll");
  EXPECT_EQ(p.GetVolume(), 50);
  EXPECT_FALSE(p.GetPause());
}

TEST(FlashPlayer, MovieLoadsAtOnceAtRunTimeButOnlyAtLoadedWhileReading) {
  RecordingScope scope;
  TvtFlashPlayer p(nullptr);
  scope.log.clear();
  p.SetMovie(L"now.swf");
  EXPECT_EQ(scope.log, (Log{"LoadMovie 'now.swf'"}));

  scope.log.clear();
  p.Loading();
  p.SetMovie(L"later.swf");
  std::vector<vcl::TObject*> senders;
  p.OnFSCommand = [&](vcl::TObject* s, const std::wstring&, const std::wstring&) { senders.push_back(s); };
  EXPECT_TRUE(scope.log.empty());
  p.Loaded();
  EXPECT_EQ(scope.log, (Log{"LoadMovie 'later.swf'"}));
  EXPECT_EQ(p.Movie(), L"later.swf");
  p.Driver()->DoFSCommand(L"cmd", L"args");
  EXPECT_EQ(senders, (std::vector<vcl::TObject*>{p.Driver()})) << "the driver is the sender";
}

TEST(FlashPlayer, InTheDesignerEveryLoadPauses) {
  RecordingScope scope;
  TvtFlashPlayer p(nullptr);
  p.SetDesigning(true);
  scope.log.clear();
  p.SetMovie(L"a.swf");
  vcl::TMemoryStream s;
  p.LoadMovieFromStream(&s);
  EXPECT_EQ(scope.log, (Log{"LoadMovie 'a.swf'", "StopPlay", "LoadMovieFromStream", "StopPlay"}));
  EXPECT_TRUE(p.GetPause());
  EXPECT_EQ(p.Movie(), L"") << "a stream clears the movie name";
}

TEST(FlashPlayer, ChangingPluginMakesAFreshDriverWithDefaultsAndReloadsByName) {
  RecordingScope scope;
  TvtFlashPlayer p(nullptr);
  p.SetMovie(L"m.swf");
  p.SetVolume(80);
  p.SetDisableFlashMenu(false);
  p.SetShowUpdateRects(true);
  scope.log.clear();
  p.SetPlugin(vt::vtDefault);  // same value: nothing
  EXPECT_TRUE(scope.log.empty());
  p.SetPlugin(vt::vtActiveX);
  EXPECT_EQ(scope.log, (Log{"destroy"})) << "no renderer for vtActiveX here: the null driver";
  EXPECT_EQ(p.GetVolume(), 50);
  EXPECT_TRUE(p.GetDisableFlashMenu());
  EXPECT_FALSE(p.GetShowUpdateRects());
  scope.log.clear();
  TRecordingDriver::present = true;
  p.SetPlugin(vt::vtDefault);
  EXPECT_EQ(scope.log.back(), "LoadMovie 'm.swf'");
}

TEST(FlashPlayer, CallbacksDuringTheDriversTeardownFindNoDriver) {
  RecordingScope scope;
  auto owned = std::make_unique<TvtFlashPlayer>(nullptr);
  TvtFlashPlayer* p = owned.get();
  p->SetVolume(70);
  bool ran = false;
  static_cast<TRecordingDriver*>(p->Driver())->onDestroy = [&] {
    ran = true;
    EXPECT_EQ(p->Driver(), nullptr);
    EXPECT_EQ(p->GetVolume(), 0);
    EXPECT_FALSE(p->GetPause());
    EXPECT_EQ(p->GetSkin(), "");
    p->SetVolume(10);
    p->DoEraseBackground(nullptr, vcl::Rect(0, 0, 10, 10));
    p->DoPaint(nullptr, vcl::Rect(0, 0, 10, 10));
  };
  owned.reset();
  EXPECT_TRUE(ran);
}

}  // namespace
