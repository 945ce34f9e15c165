// The driver base: buffer rules, callbacks, settings and the null driver.
#include <gtest/gtest.h>

#include "recording_driver.h"
#include "vt_d7/Vt_flashplayer.h"

namespace {

using vt::NewDriver;
using vt::TvtFlashDriver;
using vt_test::Log;
using vt_test::RecordingScope;
using vt_test::TRecordingDriver;

TEST(FlashDriver, ZeroSizeCreatesNoBufferUntilTheFirstRealResize) {
  auto d = NewDriver<TvtFlashDriver>(0, 0, 0xFF000000);
  EXPECT_EQ(d->FBits, nullptr);
  EXPECT_EQ(d->FDC, nullptr);
  EXPECT_EQ(d->FWidth, 0);

  std::vector<std::string> erased;
  d->FOnEraseBackground = [&](vcl::TObject* s, const vcl::TRect& r) {
    EXPECT_EQ(s, d.get());
    erased.push_back(vt_test::RectText(r));
  };
  d->Resize(10, 10);
  ASSERT_NE(d->FBits, nullptr);
  ASSERT_NE(d->FDC, nullptr);
  EXPECT_EQ(erased, (std::vector<std::string>{"0,0,10,10"}));
}

TEST(FlashDriver, ResizeComparesTheRequestBeforeClamping) {
  RecordingScope scope;
  auto d = NewDriver<TRecordingDriver>(4, 4, 0xFF000000);
  scope.log.clear();
  d->Resize(0, -5);
  EXPECT_EQ(d->FWidth, 1);
  EXPECT_EQ(d->FHeight, 1);
  EXPECT_EQ(scope.log, (Log{"CreateBuffer 1x1", "ResizeBuffer"}));
  d->Resize(0, -5);  // differs from the stored 1 x 1: rebuilt again
  EXPECT_EQ(scope.log.size(), 4u);
  d->Resize(1, 1);  // equals the stored size: nothing
  EXPECT_EQ(scope.log.size(), 4u);
}

TEST(FlashDriver, BufferIsATopDown32BitSectionSharedWithItsDC) {
  auto d = NewDriver<TvtFlashDriver>(7, 5, 0xFF000000);
  const BITMAPINFOHEADER& h = d->FBitmapInfo.bmiHeader;
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biWidth, 7);
  EXPECT_EQ(h.biHeight, -5);
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_EQ(h.biBitCount, 32);
  EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_EQ(h.biSizeImage, 0u);

  // Element y * FWidth + x is pixel (x, y), top row first, bytes B, G, R, A.
  d->FBits[0] = 0xFF010203;
  d->FBits[4 * 7 + 6] = 0xFF0A0B0C;
  GdiFlush();
  EXPECT_EQ(GetPixel(d->FDC, 0, 0), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(d->FDC, 6, 4), RGB(0x0A, 0x0B, 0x0C));
  // And what GDI draws lands in the pixel array.
  SetPixel(d->FDC, 3, 2, RGB(0x40, 0x50, 0x60));
  GdiFlush();
  EXPECT_EQ(d->FBits[2 * 7 + 3] & 0xFFFFFF, 0x405060u);
}

TEST(FlashDriver, SecondBufferFollowsTheBackgroundsAlphaByte) {
  RecordingScope scope;
  auto d = NewDriver<TRecordingDriver>(8, 8, 0xFF112233);
  EXPECT_EQ(d->FAlphaBits, nullptr);
  scope.log.clear();

  d->SetBackground(0xFF445566);  // same alpha: only stored
  EXPECT_EQ(d->FBackground, 0xFF445566u);
  EXPECT_EQ(scope.log, (Log{"SetBackground FF445566"}));

  d->SetBackground(0x00445566);  // alpha 0xFF -> 0: both rebuilt, no ResizeBuffer
  EXPECT_EQ(scope.log, (Log{"SetBackground FF445566", "SetBackground 00445566", "CreateBuffer 8x8"}));
  ASSERT_NE(d->FAlphaBits, nullptr);
  ASSERT_NE(d->FAlphaDC, nullptr);
  EXPECT_NE(d->FAlphaBits, d->FBits);
  d->FAlphaBits[63] = 1;  // the whole second buffer is addressable

  d->SetBackground(0xFF445566);  // back to opaque: rebuilt without the second buffer
  EXPECT_EQ(d->FAlphaBits, nullptr);
  EXPECT_EQ(d->FAlphaDC, nullptr);
  EXPECT_NE(d->FBits, nullptr);

  d->SetBackground(0xFF445566);  // equal: no rebuild
  EXPECT_EQ(scope.log.size(), 6u);
  EXPECT_EQ(scope.log.back(), "SetBackground FF445566");
}

TEST(FlashDriver, FreeBufferReleasesEveryGdiObjectAndIsSafeTwice) {
  auto d = NewDriver<TvtFlashDriver>(16, 16, 0);
  const HGDIOBJ handles[] = {d->FDC, d->FBitmap, d->FAlphaDC, d->FAlphaBitmap};
  for (HGDIOBJ h : handles) ASSERT_NE(GetObjectType(h), 0u);
  d->SetBackground(0xFF000000);  // a rebuild releases the old objects too
  for (HGDIOBJ h : handles) EXPECT_EQ(GetObjectType(h), 0u);
  const HGDIOBJ rebuilt[] = {d->FDC, d->FBitmap};
  d->FreeBuffer();
  d->FreeBuffer();
  for (HGDIOBJ h : rebuilt) EXPECT_EQ(GetObjectType(h), 0u);
  EXPECT_EQ(d->FBits, nullptr);
  EXPECT_EQ(d->FAlphaBits, nullptr);
  EXPECT_EQ(d->FDC, nullptr);
  EXPECT_EQ(d->FBitmap, nullptr);
}

TEST(FlashDriver, DrawUpdateRectOutlinesInRedOnlyWhenAsked) {
  auto d = NewDriver<TvtFlashDriver>(20, 20, 0xFF000000);
  vt::FillLongword(d->FBits, 400, 0xFF00FF00);
  d->DrawUpdateRect(vcl::Rect(2, 3, 10, 12));
  GdiFlush();
  for (int i = 0; i < 400; ++i) ASSERT_EQ(d->FBits[i], 0xFF00FF00u) << "outlining is off: untouched";

  d->FShowUpdateRects = true;
  d->DrawUpdateRect(vcl::Rect(2, 3, 10, 12));
  GdiFlush();
  auto px = [&](int x, int y) { return d->FBits[y * 20 + x] & 0xFFFFFF; };
  EXPECT_EQ(px(2, 3), 0xFF0000u);   // top-left corner of the outline
  EXPECT_EQ(px(9, 11), 0xFF0000u);  // bottom-right, inside the exclusive edges
  EXPECT_EQ(px(6, 3), 0xFF0000u);
  EXPECT_EQ(px(5, 7), 0x00FF00u) << "hollow brush: the inside keeps its pixels";
  EXPECT_EQ(px(10, 12), 0x00FF00u);
  EXPECT_EQ(px(1, 3), 0x00FF00u);
}

TEST(FlashDriver, NullDriverPlaysNothingAndAnswersEmpty) {
  auto d = NewDriver<TvtFlashDriver>(10, 10, 0xFF000000);
  d->LoadMovie(L"movie.swf");
  d->Play();
  d->SetVariable(L"a", L"b");
  d->SetLoop(true);
  d->SetCurrentFrame(5);
  EXPECT_EQ(d->GetVariable(L"a"), L"");
  EXPECT_EQ(d->CallFunction(L"<invoke name=\"f\" returntype=\"xml\"><arguments></arguments></invoke>"), L"");
  EXPECT_FALSE(d->GetLoop());
  EXPECT_FALSE(d->GetIsPlaying());
  EXPECT_EQ(d->GetCurrentFrame(), 0);
  EXPECT_EQ(d->GetTotalFrames(), 0);
  EXPECT_FALSE(TvtFlashDriver::ClassRef().PluginExists());
  bool handled = false;
  d->MouseWheel({}, 1, 2, 120, handled);
  EXPECT_FALSE(handled);
  // Defaults of a new driver.
  EXPECT_TRUE(d->FDisableFlashMenu);
  EXPECT_FALSE(d->FDisableFlashCursor);
  EXPECT_FALSE(d->FShowUpdateRects);
  EXPECT_EQ(d->FSkin, L"ClearOverAll");
  EXPECT_EQ(d->FVolume, 50);
  EXPECT_FALSE(d->FPause);
  EXPECT_EQ(d->FControl, nullptr);
}

TEST(FlashDriver, PauseAndVolumeTalkToThePlayerMovieOnlyInFlvMode) {
  RecordingScope scope;
  auto d = NewDriver<TRecordingDriver>(4, 4, 0xFF000000);
  scope.log.clear();
  d->SetPause(true);
  d->SetVolume(80);
  EXPECT_EQ(scope.log, (Log{"StopPlay"}));
  EXPECT_TRUE(d->FPause);
  EXPECT_EQ(d->FVolume, 80);

  scope.log.clear();
  d->FFlvMode = true;
  d->SetPause(true);
  d->SetPause(false);
  d->SetVolume(35);
  EXPECT_EQ(scope.log, (Log{"StopPlay", "CallFunction <invoke name=\"stopflv\" returntype=\"xml\"></invoke>", "Play",
                            "CallFunction <invoke name=\"playflv\" returntype=\"xml\"></invoke>",
                            "SetVariable flv.volume=35"}));
  EXPECT_FALSE(d->FPause);
}

TEST(FlashDriver, MovieEventsReachTheirCallbacksWithTheDriverAsSender) {
  auto d = NewDriver<TvtFlashDriver>(4, 4, 0xFF000000);
  d->DoFSCommand(L"quit", L"");  // unassigned: nothing
  d->DoFlashCall(L"<invoke/>");
  std::vector<std::wstring> seen;
  d->FOnFSCommand = [&](vcl::TObject* s, const std::wstring& c, const std::wstring& a) {
    EXPECT_EQ(s, d.get());
    seen.push_back(c + L"|" + a);
  };
  d->FOnFlashCall = [&](vcl::TObject* s, const std::wstring& r) {
    EXPECT_EQ(s, d.get());
    seen.push_back(r);
  };
  d->DoFSCommand(L"fullscreen", L"true");
  d->DoFlashCall(L"<invoke name=\"f\"/>");
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"fullscreen|true", L"<invoke name=\"f\"/>"}));
}

TEST(FlashDriver, IvtFlashAnswersTheZeroIdentifierAndIsNotReferenceCounted) {
  auto d = NewDriver<TvtFlashDriver>(1, 1, 0xFF000000);
  IUnknown* unknown = static_cast<vt::IvtFlash*>(d.get());
  void* p = nullptr;
  ASSERT_EQ(unknown->QueryInterface(GUID_NULL, &p), S_OK);
  EXPECT_EQ(p, static_cast<vt::IvtFlash*>(d.get()));
  EXPECT_EQ(unknown->QueryInterface(IID_IDispatch, &p), E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
  for (int i = 0; i < 3; ++i) unknown->Release();  // frees nothing
  EXPECT_EQ(d->FWidth, 1);
  // The movie operations are reachable through the interface.
  static_cast<vt::IvtFlash*>(d.get())->SetCurrentFrame(3);
  EXPECT_EQ(static_cast<vt::IvtFlash*>(d.get())->GetCurrentFrame(), 0);
}

}  // namespace
