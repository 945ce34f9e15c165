// The off-screen player: buffer access, input forwarding, paint events.
#include <gtest/gtest.h>

#include "recording_driver.h"
#include "vt_d7/Vt_flashplayer.h"

namespace {

using vt::TvtFlashPlayerComp;
using vt_test::Log;
using vt_test::RecordingScope;
using vt_test::TRecordingDriver;

TEST(FlashPlayerComp, NewPlayerHasATransparentErased100x100BufferWithAlphaRecovery) {
  RecordingScope scope;
  TvtFlashPlayerComp p(nullptr);
  ASSERT_NE(p.GetBuffer(), nullptr);
  EXPECT_EQ(p.Width(), 100);
  EXPECT_EQ(p.Height(), 100);
  EXPECT_EQ(p.Driver()->FBackground, 0u);
  EXPECT_NE(p.Driver()->FAlphaBits, nullptr) << "transparent background keeps the second buffer";
  EXPECT_EQ(p.Driver()->FControl, nullptr);
  EXPECT_EQ(p.Driver()->GetParentHandle(), nullptr);

  // The erase callback fills with transparent black.
  vt::FillLongword(p.GetBuffer(), 100 * 100, 0xDEADBEEF);
  p.DoEraseBackground(p.Driver(), vcl::Rect(0, 0, 100, 100));
  for (int i = 0; i < 100 * 100; ++i) ASSERT_EQ(p.GetBuffer()[i], 0u) << i;
}

TEST(FlashPlayerComp, ScanlinesAreRowsOfWidthPixelsAndStayInsideTheBuffer) {
  vt::InitializeFlashPlayerUnit();
  TvtFlashPlayerComp p(nullptr);
  p.SetWidth(37);
  EXPECT_EQ(p.GetScanline(0), p.GetBuffer());
  EXPECT_EQ(p.GetScanline(1), p.GetBuffer() + 37);
  EXPECT_EQ(p.GetScanline(99), p.GetBuffer() + 99 * 37);
  EXPECT_EQ(p.GetScanline(100), nullptr);
  EXPECT_EQ(p.GetScanline(-1), nullptr);
}

TEST(FlashPlayerComp, SizeChangesRebuildOnlyWhenTheValueChanges) {
  RecordingScope scope;
  TvtFlashPlayerComp p(nullptr);
  scope.log.clear();
  p.SetWidth(100);
  p.SetHeight(100);
  EXPECT_TRUE(scope.log.empty());
  p.SetWidth(0);
  EXPECT_EQ(p.Width(), 0) << "stored as given";
  EXPECT_EQ(p.Driver()->FWidth, 1) << "while the buffer keeps one pixel";
  p.SetHeight(40);
  EXPECT_EQ(p.Driver()->FHeight, 40);
  EXPECT_EQ(scope.log, (Log{"CreateBuffer 1x100", "ResizeBuffer", "CreateBuffer 1x40", "ResizeBuffer"}));
}

TEST(FlashPlayerComp, PaintEventsCarryTheDriverAndNeverFireInTheDesigner) {
  RecordingScope scope;
  TvtFlashPlayerComp p(nullptr);
  std::vector<std::string> seen;
  p.OnPaint = [&](vcl::TObject* s, const vcl::TRect& r) {
    EXPECT_EQ(s, p.Driver());
    seen.push_back(vt_test::RectText(r));
  };
  p.Driver()->FOnPaint(p.Driver(), vcl::Rect(1, 2, 3, 4));  // as a driver reports a change
  p.SetDesigning(true);
  p.Driver()->FOnPaint(p.Driver(), vcl::Rect(5, 6, 7, 8));
  EXPECT_EQ(seen, (std::vector<std::string>{"1,2,3,4"}));
}

TEST(FlashPlayerComp, EventHandlersReachTheDriverAtLoadedAndAtPluginChanges) {
  RecordingScope scope;
  TvtFlashPlayerComp p(nullptr);
  std::vector<vcl::TObject*> senders;
  p.Loading();
  p.SetMovie(L"stored.swf");
  p.OnFSCommand = [&](vcl::TObject* s, const std::wstring&, const std::wstring&) { senders.push_back(s); };
  p.OnFlashCall = [&](vcl::TObject* s, const std::wstring&) { senders.push_back(s); };
  scope.log.clear();
  p.Loaded();
  EXPECT_EQ(scope.log, (Log{"LoadMovie 'stored.swf'"}));
  p.Driver()->DoFSCommand(L"a", L"b");
  p.Driver()->DoFlashCall(L"<invoke/>");
  EXPECT_EQ(senders, (std::vector<vcl::TObject*>{p.Driver(), p.Driver()}));
}

TEST(FlashPlayerComp, InputIsForwardedUnchangedControlCharactersIncluded) {
  RecordingScope scope;
  TvtFlashPlayerComp p(nullptr);
  scope.log.clear();
  p.CallMouseDown(vcl::mbRight, {vcl::ssRight}, 3, 4);
  p.CallMouseMove({}, -2, 500);
  p.CallMouseUp(vcl::mbMiddle, {vcl::ssShift}, 7, 8);
  bool handled = false;
  p.CallMouseWheel({}, 10, 20, 240, handled);
  uint16_t key = VK_RETURN;
  p.CallKeyDown(key, {vcl::ssCtrl});
  wchar_t ch = L'\t';
  p.CallKeyPress(ch, {});
  wchar_t bell = 7;
  p.CallKeyPress(bell, {});
  p.CallKeyUp(key, {});
  EXPECT_TRUE(handled) << "the driver's answer comes back";
  EXPECT_EQ(scope.log, (Log{"MouseDown right right 3,4", "MouseMove - -2,500", "MouseUp middle shift 7,8",
                            "MouseWheel - 10,20 240 unhandled", "KeyDown 13 ctrl", "KeyPress 9 -", "KeyPress 7 -",
                            "KeyUp 13 -"}));
}

TEST(FlashPlayerComp, APluginChangeReplacesTheBufferAndResetsSettings) {
  RecordingScope scope;
  TvtFlashPlayerComp p(nullptr);
  p.SetSkin("SteelExternalAll");
  p.SetPause(true);
  p.SetPlugin(vt::vtNetscape);
  EXPECT_EQ(p.GetSkin(), "ClearOverAll");
  EXPECT_FALSE(p.GetPause());
  EXPECT_NE(p.GetBuffer(), nullptr);
  EXPECT_EQ(p.Driver()->FWidth, 100);
}

}  // namespace
