// The ActiveX driver's drawing and input against the recording fake
// control: what a reported rectangle repaints and with which bounds and
// clip, alpha recovered from the two passes, reports that arrive while a
// pass runs, and the window messages each input operation sends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "activex_fake_control.h"
#include "framework/Forms.h"
#include "vt_d7/Vt_driver_activex.h"

namespace {

using Lines = std::vector<std::string>;
using vcl::TShiftStateFlag;

std::string Text(const vcl::TRect& R) {
  return std::to_string(R.Left) + "," + std::to_string(R.Top) + "," + std::to_string(R.Right) + "," +
         std::to_string(R.Bottom);
}

// The pixel at (X, Y) of the device context's bitmap, read and written
// directly, as a control that composites does.
uint32_t& PixelOf(HDC Dc, int X, int Y) {
  DIBSECTION section{};
  GetObjectW(GetCurrentObject(Dc, OBJ_BITMAP), sizeof section, &section);
  auto* bits = static_cast<uint32_t*>(section.dsBm.bmBits);
  return bits[Y * section.dsBm.bmWidth + X];
}

class ActiveXDrawing : public ::testing::Test {
 protected:
  void Make(uint32_t Background) {
    driver = vt::TvtFlashDriverActiveX::Create(64, 48, Background);
    driver->FOnEraseBackground = [this](vcl::TObject*, const vcl::TRect& R) { scope.log.push_back("erase " + Text(R)); };
    driver->FOnPaint = [this](vcl::TObject*, const vcl::TRect& R) { scope.log.push_back("paint " + Text(R)); };
    driver->SiteQueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(site.Receive()));
    scope.Take();
  }

  vt_test::TFakeControlScope scope;
  std::unique_ptr<vt::TvtFlashDriverActiveX> driver;
  vt::TComPtr<IOleInPlaceSiteWindowless> site;
};

TEST_F(ActiveXDrawing, AReportedRectangleIsClampedErasedDrawnWithTheWholeBoundsAndReported) {
  Make(0xFF102030);
  const struct {
    RECT rect;
    bool whole;
    std::string painted;
  } rows[] = {
      {{10, 10, 64 + 50, 48 + 50}, false, "10,10,64,48"},
      {{-5, -6, 20, 21}, false, "0,0,20,21"},
      {{}, true, "0,0,64,48"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.painted);
    RECT rect = row.rect;
    EXPECT_EQ(site->InvalidateRect(row.whole ? nullptr : &rect, TRUE), S_OK);
    EXPECT_EQ(scope.Take(),
              (Lines{"erase " + row.painted, "Draw 16 0,0,64,48 clip " + row.painted, "paint " + row.painted}));
    // The control's own rectangle is left as it was.
    EXPECT_EQ(rect.right, row.rect.right);
  }
  // Regions, scrolling and the DC answer without drawing anything.
  EXPECT_EQ(site->InvalidateRgn(nullptr, TRUE), S_OK);
  EXPECT_EQ(site->ScrollRect(1, 1, nullptr, nullptr), S_OK);
  HDC dc = nullptr;
  EXPECT_EQ(site->GetDC(nullptr, 0, &dc), S_OK);
  EXPECT_EQ(dc, driver->FDC);
  EXPECT_EQ(scope.Take(), Lines{});
}

TEST_F(ActiveXDrawing, ATransparentBackgroundIsDrawnTwiceAndAlphaComesFromTheDifference) {
  scope.options.onDraw = [](HDC Dc) {
    PixelOf(Dc, 0, 0) = 0x00FF0000;  // opaque red
    // Red at half coverage, composited over what is there.
    uint32_t& p = PixelOf(Dc, 1, 0);
    const uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    p = ((0x80u + r * 127 / 255) << 16) | ((g * 127 / 255) << 8) | (b * 127 / 255);
  };
  Make(0);
  ASSERT_EQ(site->InvalidateRect(nullptr, FALSE), S_OK);
  // No erase: the driver supplies black and white itself.
  EXPECT_EQ(scope.Take(), (Lines{"Draw 16 0,0,64,48 clip 0,0,64,48", "Draw 16 0,0,64,48 clip 0,0,64,48",
                                 "paint 0,0,64,48"}));
  EXPECT_EQ(driver->FBits[0], 0xFFFF0000u);
  EXPECT_EQ(driver->FBits[1], 0x80800000u);
  EXPECT_EQ(driver->FBits[2], 0u);
}

TEST_F(ActiveXDrawing, ARectangleReportedWhileDrawingIsPaintedAfterThePass) {
  bool reentered = false;
  scope.options.onDraw = [&](HDC) {
    if (reentered) return;
    reentered = true;
    RECT inner{1, 2, 3, 4};
    site->InvalidateRect(&inner, FALSE);
  };
  Make(0);
  site->InvalidateRect(nullptr, FALSE);
  const Lines log = scope.Take();
  ASSERT_EQ(log.size(), 6u);
  EXPECT_EQ(log[2], "paint 0,0,64,48");
  EXPECT_EQ(log[5], "paint 1,2,3,4");
}

TEST_F(ActiveXDrawing, WithoutAViewNothingIsDrawnButThePlayerHearsOfIt) {
  scope.options.activate = false;
  Make(0xFF000000);
  RECT r{0, 0, 5, 5};
  site->InvalidateRect(&r, FALSE);
  EXPECT_EQ(scope.Take(), (Lines{"paint 0,0,5,5"}));
}

TEST_F(ActiveXDrawing, AReportWhileTheDriverIsDestroyedPaintsNothing) {
  scope.options.invalidateOnClose = true;
  Make(0xFF000000);
  driver.reset();
  for (const std::string& line : scope.Take())
    for (const char* drawing : {"erase", "Draw", "paint"}) EXPECT_NE(line.rfind(drawing, 0), 0u) << line;
}

TEST_F(ActiveXDrawing, APaintHandlerThatFailsReachesTheApplicationNotTheControl) {
  Make(0xFF000000);
  std::wstring heard;
  vcl::Application()->OnException = [&](vcl::TObject*, const vcl::Exception& E) { heard = E.Message(); };
  driver->FOnPaint = [](vcl::TObject*, const vcl::TRect&) { throw vcl::Exception(L"paint failed"); };
  EXPECT_EQ(site->InvalidateRect(nullptr, FALSE), E_FAIL);
  vcl::Application()->OnException = nullptr;
  EXPECT_EQ(heard, L"paint failed");
  // The driver paints again afterwards.
  driver->FOnPaint = nullptr;
  scope.Take();
  EXPECT_EQ(site->InvalidateRect(nullptr, FALSE), S_OK);
  EXPECT_EQ(scope.Take().size(), 2u);
}

TEST_F(ActiveXDrawing, ANewSizeMovesTheControlAndRepaintsTheNewBuffer) {
  Make(0xFF000000);
  driver->Resize(80, 60);
  EXPECT_EQ(scope.Take(), (Lines{"erase 0,0,80,60", "SetObjectRects 0,0,80,60 clip 0,0,80,60", "erase 0,0,80,60",
                                 "Draw 16 0,0,80,60 clip 0,0,80,60", "paint 0,0,80,60",
                                 "SetObjectRects 0,0,80,60 clip 0,0,80,60"}));
}

// ---- input ----

constexpr char kCursor[] = "OnWindowMessage 32 0 2000001";

TEST_F(ActiveXDrawing, EachInputIsOneWindowMessageAndMouseMessagesLetTheControlSetTheCursor) {
  Make(0xFF000000);
  const vcl::TShiftState shiftCtrl{TShiftStateFlag::ssShift, TShiftStateFlag::ssCtrl};
  const vcl::TShiftState altLeftRight{TShiftStateFlag::ssAlt, TShiftStateFlag::ssLeft, TShiftStateFlag::ssRight,
                                      TShiftStateFlag::ssMiddle, TShiftStateFlag::ssDouble};
  bool handled = false;
  const struct {
    const char* name;
    std::function<void()> input;
    Lines sent;
  } rows[] = {
      {"left down", [&] { driver->MouseDown(vcl::mbLeft, shiftCtrl, 5, 7); },
       {"OnWindowMessage 513 c 70005", kCursor}},
      {"move", [&] { driver->MouseMove(altLeftRight, -1, 2); }, {"OnWindowMessage 512 23 2ffff", kCursor}},
      {"right up", [&] { driver->MouseUp(vcl::mbRight, {}, 5, 7); }, {"OnWindowMessage 517 0 70005", kCursor}},
      {"left up", [&] { driver->MouseUp(vcl::mbLeft, {}, 1, 1); }, {"OnWindowMessage 514 0 10001", kCursor}},
      {"wheel", [&] { driver->MouseWheel(shiftCtrl, 300, 200, -120, handled); },
       {"OnWindowMessage 522 ff88000c c8012c", kCursor}},
      // With the menu withheld a right press is sent unmoved.
      {"right down", [&] { driver->MouseDown(vcl::mbRight, {}, 5, 7); }, {"OnWindowMessage 516 0 70005", kCursor}},
      {"middle", [&] { driver->MouseDown(vcl::mbMiddle, {}, 5, 7); }, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    row.input();
    EXPECT_EQ(scope.Take(), row.sent);
  }
  driver->FDisableFlashCursor = true;
  driver->MouseMove({}, 1, 1);
  EXPECT_EQ(scope.Take(), (Lines{"OnWindowMessage 512 0 10001"}));
}

TEST_F(ActiveXDrawing, AKeyTheControlTakesIsClearedAndCharactersGoAsCodePageBytes) {
  Make(0xFF000000);
  uint16_t key = 65;
  driver->KeyDown(key, {TShiftStateFlag::ssShift});
  EXPECT_EQ(key, 0);
  key = 66;
  driver->KeyUp(key, {});
  EXPECT_EQ(key, 0);
  vt::ActiveXCodePage = 932;
  wchar_t ch = L'\x3042';  // two bytes in Shift-JIS, lead byte first
  driver->KeyPress(ch, {});
  vt::ActiveXCodePage = CP_ACP;
  EXPECT_EQ(ch, 0);
  EXPECT_EQ(scope.Take(), (Lines{"OnWindowMessage 256 41 4", "OnWindowMessage 257 42 0", "OnWindowMessage 258 82 0",
                                 "OnWindowMessage 258 a0 0"}));
  // A refused message leaves the key and sets no cursor.
  scope.options.failAt = "OnWindowMessage";
  key = 67;
  driver->KeyDown(key, {});
  EXPECT_EQ(key, 67);
  driver->MouseMove({}, 0, 0);
  EXPECT_EQ(scope.Take(), (Lines{"OnWindowMessage 256 43 0", "OnWindowMessage 512 0 0"}));
}

TEST_F(ActiveXDrawing, ARightPressWithTheMenuAllowedLendsThePlayersWindowInItsCoordinates) {
  Make(0xFF000000);
  vcl::TForm form(nullptr);
  vcl::TGraphicControl player(nullptr);
  player.SetParent(&form);
  player.SetBounds(100, 40, 64, 48);
  const HWND window = form.Handle();
  driver->FControl = &player;
  driver->FDisableFlashMenu = false;
  HWND lent = nullptr;
  scope.options.onCall = [&](const std::string& Entry) {
    if (Entry.starts_with("OnWindowMessage 516")) site->GetWindow(&lent);
  };
  driver->MouseDown(vcl::mbRight, {}, 5, 7);
  driver->MouseUp(vcl::mbRight, {}, 5, 7);
  EXPECT_EQ(lent, window);
  EXPECT_FALSE(driver->FLendParentWindow);
  EXPECT_EQ(scope.Take(), (Lines{"OnWindowMessage 516 0 2f0069", kCursor, "OnWindowMessage 517 0 70005", kCursor}));
  driver->FControl = nullptr;
}

TEST_F(ActiveXDrawing, InputToAControlThatNeverActivatedIsIgnored) {
  scope.options.activate = false;
  Make(0xFF000000);
  uint16_t key = 65;
  wchar_t ch = L'a';
  bool handled = false;
  driver->MouseDown(vcl::mbLeft, {}, 1, 1);
  driver->MouseWheel({}, 1, 1, 120, handled);
  driver->KeyDown(key, {});
  driver->KeyPress(ch, {});
  EXPECT_EQ(key, 65);
  EXPECT_EQ(ch, L'a');
  EXPECT_EQ(scope.Take(), Lines{});
}

}  // namespace
