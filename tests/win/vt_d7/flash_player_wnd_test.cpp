// The windowed player on a real form: its messages, keys and characters in
// and out of the driver, focus, painting, background and form streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/Filer.h"
#include "framework/Forms.h"
#include "recording_driver.h"
#include "vt_d7/Vt_flashplayer.h"

namespace {

using vt::TvtFlashPlayerWnd;
using vt_test::RecordingScope;
using vt_test::TRecordingDriver;

// A recording driver that turns F1 into F2 and notes whether its player has
// the focus when the movie sees a press.
class TKeyDriver : public TRecordingDriver {
 public:
  using TRecordingDriver::TRecordingDriver;
  static const vt::TvtFlashDriverClass& ClassRef() {
    static const vt::TvtFlashDriverClassOf<TKeyDriver> ref(L"TKeyDriver");
    return ref;
  }
  const vt::TvtFlashDriverClass& ClassType() const override { return ClassRef(); }
  void KeyDown(uint16_t& Key, vcl::TShiftState Shift) override {
    TRecordingDriver::KeyDown(Key, Shift);
    if (Key == VK_F1) Key = VK_F2;
  }
  void KeyUp(uint16_t& Key, vcl::TShiftState Shift) override {
    TRecordingDriver::KeyUp(Key, Shift);
    if (Key == VK_F1) Key = VK_F2;
  }
  void MouseDown(vcl::TMouseButton B, vcl::TShiftState S, int32_t X, int32_t Y) override {
    auto* player = static_cast<vcl::TWinControl*>(FControl);
    Record(player->Focused() ? "focused" : "not focused");
    TRecordingDriver::MouseDown(B, S, X, Y);
  }
};

// Counts the player's own paints.
class TProbeWnd : public TvtFlashPlayerWnd {
 public:
  using TvtFlashPlayerWnd::TvtFlashPlayerWnd;
  void Paint() override {
    ++paints;
    TvtFlashPlayerWnd::Paint();
  }
  int paints = 0;
};

struct WndOnForm : ::testing::Test {
  RecordingScope scope;
  std::unique_ptr<vcl::TForm> form;
  TProbeWnd* player = nullptr;
  std::vector<std::string> keys;  // what the application's key events saw

  void SetUp() override {
    vt::DefaultFlashDriverClass = &TKeyDriver::ClassRef();
    form = std::make_unique<vcl::TForm>(nullptr);
    form->SetBounds(100, 100, 300, 200);
    player = new TProbeWnd(form.get());
    player->SetParent(form.get());
    player->SetBounds(10, 20, 120, 80);
    player->OnKeyDown = [this](vcl::TObject*, uint16_t& k, vcl::TShiftState) {
      keys.push_back("down " + std::to_string(k));
    };
    player->OnKeyUp = [this](vcl::TObject*, uint16_t& k, vcl::TShiftState) {
      keys.push_back("up " + std::to_string(k));
    };
    player->OnKeyPress = [this](vcl::TObject*, wchar_t& k) {
      keys.push_back("press " + std::to_string(static_cast<int>(k)));
    };
  }
  void TearDown() override { form.reset(); }
  TRecordingDriver* driver() const { return static_cast<TRecordingDriver*>(player->Driver()); }
  bool Logged(const std::string& Entry) const {
    return std::find(scope.log.begin(), scope.log.end(), Entry) != scope.log.end();
  }
};

TEST_F(WndOnForm, KeysAndCharactersGoToTheMovieAndTheApplicationSeesTheDriversKey) {
  HWND window = player->Handle();
  EXPECT_EQ(SendMessageW(window, WM_GETDLGCODE, VK_TAB, 0), 0x83);

  scope.log.clear();
  SendMessageW(window, WM_KEYDOWN, VK_F1, 1);
  SendMessageW(window, WM_KEYUP, VK_F1, 0xC0000001);
  SendMessageW(window, WM_KEYDOWN, VK_TAB, 1);
  // A character below 32 is not passed; its key-down was. A character
  // outside the 8-bit range arrives whole: the window is a wide one.
  SendMessageW(window, WM_CHAR, 8, 1);
  SendMessageW(window, WM_CHAR, 'a', 1);
  SendMessageW(window, WM_CHAR, 0x20AC, 1);
  EXPECT_EQ(scope.log, (vt_test::Log{"KeyDown 112 -", "KeyUp 112 -", "KeyDown 9 -", "KeyPress 97 -",
                                     "KeyPress 8364 -"}));
  EXPECT_EQ(keys,
            (std::vector<std::string>{"down 113", "up 113", "down 9", "press 8", "press 97", "press 8364"}));
}

TEST_F(WndOnForm, EveryWindowThePlayerGetsIsWideAndErasingDrawsNothing) {
  EXPECT_TRUE(IsWindowUnicode(player->Handle()));
  player->DestroyHandle();
  EXPECT_TRUE(IsWindowUnicode(player->Handle()));
  vcl::TForm other(nullptr);
  player->SetParent(&other);
  other.HandleNeeded();
  ASSERT_TRUE(player->HandleAllocated());
  EXPECT_TRUE(IsWindowUnicode(player->Handle()));
  player->SetParent(form.get());  // the form frees it

  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(GetDC(nullptr), 4, 4);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SetPixel(dc, 1, 1, RGB(1, 2, 3));
  EXPECT_EQ(player->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(1, 2, 3));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

TEST_F(WndOnForm, ClickingFocusesThePlayerBeforeTheMovieSeesThePress) {
  form->Show();
  auto* other = new TvtFlashPlayerWnd(form.get());
  other->SetParent(form.get());
  other->SetBounds(150, 20, 50, 50);
  other->SetFocus();
  ASSERT_FALSE(player->Focused());
  scope.log.clear();
  SendMessageW(player->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
  SendMessageW(player->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
  EXPECT_TRUE(player->Focused());
  EXPECT_EQ(scope.log, (vt_test::Log{"focused", "MouseDown left left 5,6", "MouseUp left - 5,6"}));
}

TEST_F(WndOnForm, ReportedRectanglesCoalesceIntoOnePaintOfTheBuffer) {
  form->Show();
  UpdateWindow(form->Handle());
  player->paints = 0;
  vt::FillLongword(driver()->FBits, 120 * 80, 0xFF102030);
  for (int i = 0; i < 3; ++i) player->DoPaint(driver(), vcl::Rect(i, i, i + 5, i + 5));
  EXPECT_EQ(player->paints, 0);
  UpdateWindow(player->Handle());
  EXPECT_EQ(player->paints, 1);

  // The paint is one copy of the buffer; with the null renderer nothing.
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 120, 80);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  PatBlt(dc, 0, 0, 120, 80, WHITENESS);
  TRecordingDriver::present = false;
  player->PaintTo(dc, 0, 0);
  EXPECT_EQ(GetPixel(dc, 60, 40), RGB(255, 255, 255));
  TRecordingDriver::present = true;
  player->PaintTo(dc, 0, 0);
  EXPECT_EQ(GetPixel(dc, 60, 40), RGB(0x10, 0x20, 0x30));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

TEST(WndPlayer, AReportMakesTheWindowOnlyWhenThePlayerHasAParent) {
  RecordingScope scope;
  TvtFlashPlayerWnd lone(nullptr);
  lone.DoPaint(lone.Driver(), vcl::Rect(0, 0, 1, 1));
  EXPECT_FALSE(lone.HandleAllocated());

  vcl::TForm form(nullptr);
  auto* player = new TvtFlashPlayerWnd(&form);
  player->SetParent(&form);
  ASSERT_FALSE(player->HandleAllocated());
  player->DoPaint(player->Driver(), vcl::Rect(0, 0, 1, 1));
  EXPECT_TRUE(player->HandleAllocated());
  EXPECT_TRUE(IsWindowUnicode(player->Handle()));

  // In the designer a report does nothing.
  player->DestroyHandle();
  player->SetDesigning(true);
  player->DoPaint(player->Driver(), vcl::Rect(0, 0, 1, 1));
  EXPECT_FALSE(player->HandleAllocated());
}

TEST_F(WndOnForm, TheBackgroundIsTheColourCombinedWithTheMask) {
  scope.log.clear();
  player->SetColor(vcl::clRed);
  EXPECT_EQ(scope.log, (vt_test::Log{"SetBackground FFFF0000", "ForceUpdate"}));
  player->DoEraseBackground(driver(), vcl::Rect(0, 0, 200, 200));
  EXPECT_EQ(driver()->FBits[120 * 80 - 1], 0xFFFF0000u);
  EXPECT_EQ(driver()->FAlphaBits, nullptr);

  // A mask of 0 hands the driver the transparent pixel: it keeps a second
  // buffer, and erasing clears to 0.
  player->FBackgroundMask = 0;
  scope.log.clear();
  player->SetColor(vcl::clBlue);
  EXPECT_EQ(scope.log.front(), "SetBackground 00000000");
  EXPECT_EQ(scope.log.back(), "ForceUpdate");
  EXPECT_NE(driver()->FAlphaBits, nullptr);
  vt::FillLongword(driver()->FBits, 120 * 80, 0xFFFFFFFF);
  player->DoEraseBackground(driver(), vcl::Rect(0, 0, 120, 80));
  EXPECT_EQ(driver()->FBits[0], 0u);
}

std::vector<std::wstring> PropertyNames(vcl::TPersistent& Instance) {
  vcl::TPropList list;
  Instance.GetPublishedProperties(list);
  std::vector<std::wstring> names;
  for (const vcl::TPropInfo& p : list) names.push_back(p.Name);
  return names;
}

TEST(WndPlayer, PublishedPropertiesRoundTripAndDefaultsAreNotStored) {
  RecordingScope scope;
  vt::TvtCustomFlashPlayerWnd custom(nullptr);
  const std::vector<std::wstring> own{L"Tag",    L"Left",   L"Top",   L"Width",       L"Height",
                                      L"DisableFlashCursor", L"DisableFlashMenu", L"Plugin", L"Movie",
                                      L"Skin",   L"Pause",  L"Volume", L"OnFSCommand", L"OnFlashCall",
                                      L"TabStop"};
  EXPECT_EQ(PropertyNames(custom), own);
  TvtFlashPlayerWnd player(nullptr);
  std::vector<std::wstring> all = own;
  for (const wchar_t* name : {L"Align", L"Anchors", L"DragCursor", L"DragMode", L"Color", L"ParentColor",
                              L"ParentShowHint", L"PopupMenu", L"ShowHint", L"Visible", L"OnDragDrop",
                              L"OnDragOver", L"OnEndDrag", L"OnStartDrag", L"OnClick"})
    all.push_back(name);
  EXPECT_EQ(PropertyNames(player), all);
  EXPECT_TRUE(player.TabStop());

  vcl::TMemoryStream binary;
  {
    vcl::TForm form(nullptr);
    form.SetName(L"WndForm");
    auto* defaults = new TvtFlashPlayerWnd(&form);
    defaults->SetName(L"Defaults");
    defaults->SetParent(&form);
    auto* changed = new TvtFlashPlayerWnd(&form);
    changed->SetName(L"Changed");
    changed->SetParent(&form);
    changed->SetTabStop(false);
    changed->SetDisableFlashCursor(true);
    changed->SetDisableFlashMenu(false);
    changed->SetMovie(L"intro.swf");
    changed->SetVolume(33);
    changed->SetAlign(vcl::alBottom);
    vcl::WriteComponentToStream(binary, &form);
  }
  binary.SetPosition(0);
  vcl::TMemoryStream text;
  vcl::ObjectBinaryToText(binary, text);
  const std::string form_text(static_cast<const char*>(text.Memory()), static_cast<size_t>(text.Size()));
  const size_t second = form_text.find("object Changed");
  ASSERT_NE(second, std::string::npos) << form_text;
  const std::string first_part = form_text.substr(0, second);
  for (const char* absent : {"TabStop", "DisableFlash", "Plugin", "Movie", "Align"})
    EXPECT_EQ(first_part.find(absent), std::string::npos) << absent << "\n" << form_text;
  EXPECT_NE(first_part.find("Volume = 50"), std::string::npos) << form_text;

  binary.SetPosition(0);
  vcl::TForm form(nullptr);
  vcl::ReadComponentFromStream(binary, &form);
  auto* changed = dynamic_cast<TvtFlashPlayerWnd*>(form.FindComponent(L"Changed"));
  ASSERT_NE(changed, nullptr);
  EXPECT_FALSE(changed->TabStop());
  EXPECT_TRUE(changed->GetDisableFlashCursor());
  EXPECT_FALSE(changed->GetDisableFlashMenu());
  EXPECT_EQ(changed->Movie(), L"intro.swf");
  EXPECT_EQ(changed->GetVolume(), 33);
  EXPECT_EQ(changed->Align(), vcl::alBottom);
  EXPECT_NE(std::find(scope.log.begin(), scope.log.end(), "LoadMovie 'intro.swf'"), scope.log.end());
}

}  // namespace
