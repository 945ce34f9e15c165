// The plug-in driver's instance: creation, the window handed to the module,
// painting in both modes, clamping, input translation, and re-entry.
#include <gtest/gtest.h>

#include "framework/Forms.h"
#include "netscape_fake_module.h"

namespace {

using vt_test::Hex;
using vt_test::NetscapeTest;
using Lines = std::vector<std::string>;
using NetscapeDriver = NetscapeTest;
using vcl::TShiftStateFlag;

std::string R(const vcl::TRect& r) {
  return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
         std::to_string(r.Bottom);
}

// Records the player callbacks of a driver.
void Record(vt::TvtFlashDriverNS& d, Lines& calls) {
  d.FOnEraseBackground = [&calls](vcl::TObject*, const vcl::TRect& r) { calls.push_back("erase " + R(r)); };
  d.FOnPaint = [&calls](vcl::TObject*, const vcl::TRect& r) { calls.push_back("paint " + R(r)); };
}

TEST_F(NetscapeDriver, CreationMakesAnInstanceWithTheEmbeddingArgumentsAndNoWindow) {
  auto d = NewDriver(100, 50, 0xFF000000u);
  EXPECT_EQ(fake->Lines(), (Lines{"NPP_New application/x-shockwave-flash mode=1 argc=4 wmode=transparent "
                                  "bgcolor=#0 width=100 height=50",
                                  "NPP_GetValue 15"}));
  EXPECT_EQ(d->FInstance.ndata, d.get());
  EXPECT_NE(d->FInstance.pdata, nullptr);
  EXPECT_NE(d->FScriptObject, nullptr);
  EXPECT_EQ(vt::TvtFlashDriverNS::FromInstance(&d->FInstance), d.get());

  // Through the class reference too.
  auto viaClass = vt::TvtFlashDriverNSClass().Create(0, 0, 0);
  EXPECT_NE(dynamic_cast<vt::TvtFlashDriverNS*>(viaClass.get()), nullptr);
  EXPECT_EQ(fake->Lines().back(), "NPP_GetValue 15");
}

TEST_F(NetscapeDriver, ResizeHandsTheModuleTheBufferAndRepaintsEverything) {
  auto d = NewDriver(100, 50, 0xFF000000u);
  Lines calls;
  Record(*d, calls);
  fake->ClearLog();
  d->Resize(120, 60);
  const std::string dc = Hex(d->FDC);
  EXPECT_EQ(fake->Lines(), (Lines{"NPP_SetWindow dc=" + dc + " 120x60 type=2 x=0 y=0 clip=0,0,0,0",
                                  "WM_PAINT dc=" + dc + " rect=0,0,120,60 clip=0,0,120,60"}));
  EXPECT_EQ(calls, (Lines{"erase 0,0,120,60", "erase 0,0,120,60", "paint 0,0,120,60"}))
      << "the new buffer's erase, then the repaint";
}

TEST_F(NetscapeDriver, NormalModeErasesClipsPaintsAndReportsWithoutSettingTheWindow) {
  auto d = NewDriver(100, 50, 0xFF000000u);
  d->FShowUpdateRects = true;
  Lines calls;
  Record(*d, calls);
  fake->ClearLog();
  fake->Set("paint", "FF00FF00");
  fake->Invalidate(10, 5, 30, 20);
  EXPECT_EQ(fake->Lines(), (Lines{"WM_PAINT dc=" + Hex(d->FDC) + " rect=10,5,30,20 clip=10,5,30,20"}));
  EXPECT_EQ(calls, (Lines{"erase 10,5,30,20", "paint 10,5,30,20"}));
  GdiFlush();
  EXPECT_EQ(d->FBits[6 * 100 + 11], 0xFF00FF00u);
  EXPECT_EQ(d->FBits[5 * 100 + 10] & 0xFFFFFFu, 0xFF0000u) << "outlined in red after the paint callback";

  // Cut at the right and bottom edges; an empty rectangle still reaches the player.
  calls.clear();
  fake->ClearLog();
  fake->Invalidate(90, 40, 60000, 65535);
  EXPECT_EQ(calls, (Lines{"erase 90,40,100,50", "paint 90,40,100,50"}));
  calls.clear();
  fake->Invalidate(30, 30, 10, 10);
  EXPECT_EQ(calls, (Lines{"erase 30,30,10,10", "paint 30,30,10,10"}));

  // ForceUpdate: the whole buffer.
  calls.clear();
  d->ForceUpdate();
  EXPECT_EQ(calls, (Lines{"erase 0,0,100,50", "paint 0,0,100,50"}));
}

TEST_F(NetscapeDriver, AlphaModeRendersOverBlackAndWhiteAndRecoversPremultipliedPixels) {
  auto d = NewDriver(8, 8, 0x00000000u);
  ASSERT_NE(d->FAlphaBits, nullptr);
  Lines calls;
  Record(*d, calls);
  fake->ClearLog();
  // Red 64 at alpha 128: 64 over black, 191 over white.
  fake->Set("paint", "80400000");
  fake->Invalidate(2, 2, 6, 5);
  const std::string dc = Hex(d->FDC), alpha = Hex(d->FAlphaDC);
  EXPECT_EQ(fake->Lines(), (Lines{"NPP_SetWindow dc=" + dc + " 8x8 type=2 x=0 y=0 clip=0,0,0,0",
                                  "WM_PAINT dc=" + dc + " rect=2,2,6,5 clip=2,2,6,5",
                                  "NPP_SetWindow dc=" + alpha + " 8x8 type=2 x=0 y=0 clip=0,0,0,0",
                                  "WM_PAINT dc=" + alpha + " rect=2,2,6,5 clip=2,2,6,5"}));
  EXPECT_EQ(calls, (Lines{"paint 2,2,6,5"})) << "no erase in alpha mode";
  EXPECT_EQ(d->FWindow.window, d->FAlphaDC) << "the window stays the second buffer's";
  EXPECT_EQ(d->FAlphaBits[3 * 8 + 3] & 0x00FF0000u, 191u << 16);
  EXPECT_EQ(d->FBits[3 * 8 + 3], 0x80400000u);
  EXPECT_EQ(d->FBits[4 * 8 + 5], 0x80400000u);

  // Opaque content keeps its colour; untouched pixels become 0.
  fake->Set("paint", "FF102030");
  fake->Invalidate(0, 0, 1, 1);
  EXPECT_EQ(d->FBits[0], 0xFF102030u);
  fake->Set("paint", nullptr);
  fake->Invalidate(0, 0, 8, 1);
  EXPECT_EQ(d->FBits[1], 0u);
  EXPECT_EQ(d->FBits[3 * 8 + 3], 0x80400000u) << "outside the rectangle nothing changes";
}

TEST_F(NetscapeDriver, ChangingTheBackgroundsAlphaHandsTheModuleTheNewDeviceContext) {
  auto d = NewDriver(10, 10, 0xFF000000u);
  d->Resize(20, 20);
  fake->ClearLog();
  d->SetBackground(0x00000000u);
  ASSERT_NE(d->FAlphaBits, nullptr);
  const Lines windows = fake->Lines("NPP_SetWindow");
  ASSERT_FALSE(windows.empty());
  EXPECT_EQ(windows.front(), "NPP_SetWindow dc=" + Hex(d->FDC) + " 20x20 type=2 x=0 y=0 clip=0,0,0,0");
  fake->ClearLog();
  d->SetBackground(0x00123456u);  // same alpha byte: nothing re-created
  EXPECT_TRUE(fake->Lines().empty());
}

TEST_F(NetscapeDriver, InputBecomesWindowMessagesWithKeyFlags) {
  auto d = NewDriver();
  fake->ClearLog();
  d->MouseDown(vcl::TMouseButton::mbLeft,
               {TShiftStateFlag::ssShift, TShiftStateFlag::ssCtrl, TShiftStateFlag::ssLeft,
                TShiftStateFlag::ssAlt, TShiftStateFlag::ssDouble, TShiftStateFlag::ssMiddle},
               3, 4);
  d->MouseMove({TShiftStateFlag::ssRight}, 70, 80);
  d->MouseUp(vcl::TMouseButton::mbLeft, {}, 5, 6);
  d->MouseDown(vcl::TMouseButton::mbMiddle, {}, 1, 1);
  d->MouseUp(vcl::TMouseButton::mbMiddle, {}, 1, 1);
  d->MouseDown(vcl::TMouseButton::mbRight, {}, 7, 8);  // the menu is disabled
  d->MouseUp(vcl::TMouseButton::mbRight, {TShiftStateFlag::ssRight}, 7, 8);
  bool handled = false;
  d->MouseWheel({TShiftStateFlag::ssShift}, 300, 400, -120, handled);
  uint16_t key = 0x41;
  d->KeyDown(key, {TShiftStateFlag::ssCtrl});
  d->KeyUp(key, {});
  wchar_t ch = L'a';
  d->KeyPress(ch, {TShiftStateFlag::ssShift});
  EXPECT_EQ(key, 0x41);
  EXPECT_FALSE(handled);
  EXPECT_EQ(fake->Lines(),
            (Lines{"NPP_HandleEvent 0x201 w=0xd l=0x40003", "NPP_HandleEvent 0x200 w=0x2 l=0x500046",
                   "NPP_HandleEvent 0x202 w=0x0 l=0x60005", "NPP_HandleEvent 0x205 w=0x2 l=0x80007",
                   "NPP_HandleEvent 0x20a w=0xff880004 l=0x190012c", "NPP_HandleEvent 0x100 w=0x41 l=0x8",
                   "NPP_HandleEvent 0x101 w=0x41 l=0x0", "NPP_HandleEvent 0x102 w=0x61 l=0x4"}));

  // One WM_CHAR per byte of the character in the code page.
  fake->ClearLog();
  vt::NetscapeCodePage = 932;
  ch = L'\u3042';
  d->KeyPress(ch, {});
  EXPECT_EQ(ch, L'\u3042');
  EXPECT_EQ(fake->Lines(),
            (Lines{"NPP_HandleEvent 0x102 w=0x82 l=0x0", "NPP_HandleEvent 0x102 w=0xa0 l=0x0"}));
}

TEST_F(NetscapeDriver, RightButtonPressesGoInScreenCoordinatesOfTheHostWindow) {
  vcl::TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  auto* control = new vcl::TGraphicControl(&form);
  control->SetParent(&form);
  control->SetBounds(30, 20, 100, 50);
  auto d = NewDriver();
  d->FControl = control;
  d->FDisableFlashMenu = false;
  RECT window{};
  GetWindowRect(form.Handle(), &window);
  fake->ClearLog();
  d->MouseDown(vcl::TMouseButton::mbRight, {}, 5, 6);
  const int x = 5 + window.left + 30, y = 6 + window.top + 20;
  char expected[80];
  std::snprintf(expected, sizeof expected, "NPP_HandleEvent 0x204 w=0x0 l=0x%x", (y << 16) | x);
  EXPECT_EQ(fake->Lines(), (Lines{expected}));
  d->FControl = nullptr;
}

TEST_F(NetscapeDriver, InvalidationsFromInsideThePaintArePaintedAfterIt) {
  auto d = NewDriver(100, 50, 0xFF000000u);
  Lines calls;
  Record(*d, calls);
  fake->ClearLog();
  fake->Set("reenter", "1,1,3,3");
  fake->Invalidate(0, 0, 10, 10);
  const std::string dc = Hex(d->FDC);
  EXPECT_EQ(fake->Lines(), (Lines{"WM_PAINT dc=" + dc + " rect=0,0,10,10 clip=0,0,10,10", "reenter",
                                  "reenter done", "WM_PAINT dc=" + dc + " rect=1,1,3,3 clip=1,1,3,3"}));
  EXPECT_EQ(calls, (Lines{"erase 0,0,10,10", "paint 0,0,10,10", "erase 1,1,3,3", "paint 1,1,3,3"}));
}

// The hook's context: the driver to free when the named event arrives.
struct TKill {
  std::unique_ptr<vt::TvtFlashDriverNS>* driver;
  std::string event;
};
void KillOn(const char* event, void* context) {
  auto* k = static_cast<TKill*>(context);
  if (k->event == event) k->driver->reset();
}

TEST_F(NetscapeDriver, TheModuleOrThePlayerMayFreeTheDriverInsideThePaint) {
  for (const uint32_t background : {0xFF000000u, 0x00000000u}) {
    auto d = NewDriver(20, 20, background);
    TKill kill{&d, "WM_PAINT"};
    fake->SetHook(KillOn, &kill);
    fake->ClearLog();
    fake->Invalidate(0, 0, 5, 5);
    EXPECT_EQ(d, nullptr);
    EXPECT_EQ(fake->Lines().back(), "script deallocate");
    EXPECT_EQ(fake->Lines("WM_PAINT").size(), 1u);
    fake->SetHook(nullptr, nullptr);
  }
  // The player's callbacks.
  auto d = NewDriver(20, 20, 0xFF000000u);
  d->FOnEraseBackground = [&d](vcl::TObject*, const vcl::TRect&) { d.reset(); };
  fake->ClearLog();
  fake->Invalidate(0, 0, 5, 5);
  EXPECT_EQ(d, nullptr);
  EXPECT_TRUE(fake->Lines("WM_PAINT").empty());
  d = NewDriver(20, 20, 0x00000000u);
  d->FOnPaint = [&d](vcl::TObject*, const vcl::TRect&) { d.reset(); };
  d->FShowUpdateRects = true;
  fake->Invalidate(0, 0, 5, 5);
  EXPECT_EQ(d, nullptr);
  // Freed while a key's bytes are being sent.
  d = NewDriver();
  TKill kill{&d, "NPP_HandleEvent"};
  fake->SetHook(KillOn, &kill);
  vt::NetscapeCodePage = 932;
  wchar_t ch = L'\u3042';
  fake->ClearLog();
  d->KeyPress(ch, {});
  EXPECT_EQ(fake->Lines("NPP_HandleEvent").size(), 1u);
}

TEST_F(NetscapeDriver, ACallbackThatThrowsLeavesTheDriverAbleToPaint) {
  auto d = NewDriver(20, 20, 0xFF000000u);
  bool fail = true;
  d->FOnPaint = [&fail](vcl::TObject*, const vcl::TRect&) {
    if (fail) throw std::runtime_error("player failed");
  };
  fake->Invalidate(0, 0, 5, 5);  // the browser function swallows it
  fail = false;
  fake->ClearLog();
  fake->Invalidate(0, 0, 5, 5);
  EXPECT_EQ(fake->Lines("WM_PAINT").size(), 1u);
}

}  // namespace
