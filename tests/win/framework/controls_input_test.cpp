// Input: mouse routing to windowless children with capture, wheel routing
// in screen coordinates, keys, exceptions from handlers and controls
// destroyed by their own handlers.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "controls_test_support.h"

using namespace vcl;
using vcl_test::TBlock;
using vcl_test::TPanel;

namespace {

std::string Where(const char* what, int X, int Y) {
  return std::string(what) + " " + std::to_string(X) + "," + std::to_string(Y);
}

LPARAM Pos(int X, int Y) { return MAKELPARAM(static_cast<WORD>(X), static_cast<WORD>(Y)); }

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(100, 100, 300, 250);
    block = new TBlock(form.get());
    block->SetBounds(30, 20, 40, 30);
    block->SetParent(form.get());
    Record(block, "block");
    Record(form.get(), "form");
  }
  void Record(TControl* c, std::string name) {
    c->OnMouseDown = [this, name](TObject*, TMouseButton, TShiftState s, int x, int y) {
      log.push_back(Where((name + " down").c_str(), x, y));
      shift = s;
    };
    c->OnMouseMove = [this, name](TObject*, TShiftState, int x, int y) {
      log.push_back(Where((name + " move").c_str(), x, y));
    };
    c->OnMouseUp = [this, name](TObject*, TMouseButton, TShiftState, int x, int y) {
      log.push_back(Where((name + " up").c_str(), x, y));
    };
    c->OnClick = [this, name](TObject*) { log.push_back(name + " click"); };
  }
  std::unique_ptr<TForm> form;
  TBlock* block = nullptr;
  std::vector<std::string> log;
  TShiftState shift;
};

TEST_F(InputTest, APressOnAWindowlessChildCapturesTheMouseUntilRelease) {
  HWND h = form->Handle();
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT | MK_CONTROL, Pos(35, 27));
  EXPECT_EQ(shift, (TShiftState{ssLeft, ssShift, ssCtrl}));
  SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, Pos(150, 100));
  SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, Pos(5, 5));
  SendMessageW(h, WM_LBUTTONUP, 0, Pos(150, 100));
  SendMessageW(h, WM_MOUSEMOVE, 0, Pos(150, 100));
  const std::vector<std::string> expected{"block down 5,7", "block move 120,80", "block move -25,-15",
                                          "block up 120,80", "form move 150,100"};
  EXPECT_EQ(log, expected);  // released outside: no click

  log.clear();
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, Pos(31, 21));
  SendMessageW(h, WM_LBUTTONUP, 0, Pos(32, 22));
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, Pos(10, 10));
  SendMessageW(h, WM_LBUTTONUP, 0, Pos(11, 11));
  const std::vector<std::string> clicks{"block down 1,1", "block click", "block up 2,2",
                                        "form down 10,10", "form click", "form up 11,11"};
  EXPECT_EQ(log, clicks);
}

TEST_F(InputTest, TheTopmostVisibleEnabledChildGetsTheMouse) {
  auto* above = new TBlock(form.get());
  above->SetBounds(50, 40, 40, 30);
  above->SetParent(form.get());
  Record(above, "above");
  HWND h = form->Handle();
  SendMessageW(h, WM_MOUSEMOVE, 0, Pos(55, 45));
  above->SetVisible(false);
  SendMessageW(h, WM_MOUSEMOVE, 0, Pos(55, 45));
  block->SetEnabled(false);
  SendMessageW(h, WM_MOUSEMOVE, 0, Pos(55, 45));
  const std::vector<std::string> expected{"above move 5,5", "block move 25,25", "form move 55,45"};
  EXPECT_EQ(log, expected);
}

TEST_F(InputTest, DoubleClicksCarryTheDoubleFlag) {
  int doubles = 0;
  block->OnDblClick = [&](TObject*) { ++doubles; };
  SendMessageW(form->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, Pos(35, 27));
  EXPECT_EQ(doubles, 1);
  EXPECT_TRUE(shift.Contains(ssDouble));
  SendMessageW(form->Handle(), WM_LBUTTONUP, 0, Pos(35, 27));
  EXPECT_EQ(std::count(log.begin(), log.end(), "block click"), 0);
}

TEST_F(InputTest, TheWheelGoesToTheChildUnderTheCursorInScreenCoordinatesThenToTheParent) {
  HWND h = form->Handle();
  std::vector<std::string> wheel;
  bool blockTakes = true;
  TPoint seen{};
  block->OnMouseWheel = [&](TObject*, TShiftState s, int delta, TPoint pos, bool& handled) {
    wheel.push_back("block " + std::to_string(delta) + (s.Contains(ssCtrl) ? " ctrl" : ""));
    seen = pos;
    handled = blockTakes;
  };
  form->OnMouseWheel = [&](TObject*, TShiftState, int delta, TPoint, bool& handled) {
    wheel.push_back("form " + std::to_string(delta));
    handled = true;
  };
  const TPoint screen = block->ClientToScreen({5, 6});
  EXPECT_EQ(screen, form->ClientToScreen({35, 26}));
  const WPARAM down = MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-WHEEL_DELTA));
  SendMessageW(h, WM_MOUSEWHEEL, down, Pos(screen.X, screen.Y));
  EXPECT_EQ(seen, screen);
  blockTakes = false;
  SendMessageW(h, WM_MOUSEWHEEL, down, Pos(screen.X, screen.Y));
  const TPoint outside = form->ClientToScreen({150, 120});
  SendMessageW(h, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), Pos(outside.X, outside.Y));
  const std::vector<std::string> expected{"block -120 ctrl", "block -120 ctrl", "form -120", "form 120"};
  EXPECT_EQ(wheel, expected);
}

TEST_F(InputTest, KeyHandlersSeeTheKeyAndCanSwallowIt) {
  form->Show();
  Application()->ProcessMessages();
  HWND h = form->Handle();
  std::vector<uint16_t> keys;
  bool swallow = true;
  form->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState s) {
    keys.push_back(key);
    EXPECT_TRUE(s.Contains(ssAlt));
    if (swallow) key = 0;
  };
  // Alt+F4 closes the window unless the handler swallows it.
  const LPARAM altDown = 0x20000001;
  SendMessageW(h, WM_SYSKEYDOWN, VK_F4, altDown);
  Application()->ProcessMessages();
  EXPECT_TRUE(form->Visible());
  swallow = false;
  SendMessageW(h, WM_SYSKEYDOWN, VK_F4, altDown);
  Application()->ProcessMessages();
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(keys, (std::vector<uint16_t>{VK_F4, VK_F4}));

  wchar_t typed = 0;
  form->OnKeyPress = [&](TObject*, wchar_t& key) { typed = key; };
  SendMessageW(h, WM_CHAR, L'\u00e9', 1);
  EXPECT_EQ(typed, L'\u00e9');
}

// Restores the application's exception handler after a test.
struct ExceptionHandlerScope {
  explicit ExceptionHandlerScope(TExceptionEvent handler) { Application()->OnException = std::move(handler); }
  ~ExceptionHandlerScope() { Application()->OnException = nullptr; }
};

TEST_F(InputTest, ExceptionsFromHandlersReachTheApplicationAndNotWin32) {
  std::vector<std::wstring> messages;
  std::vector<TObject*> senders;
  ExceptionHandlerScope scope([&](TObject* sender, const Exception& e) {
    senders.push_back(sender);
    messages.push_back(e.Message());
  });
  block->OnMouseDown = [](TObject*, TMouseButton, TShiftState, int, int) {
    throw EInvalidOperation(L"framework failure");
  };
  block->OnMouseUp = [](TObject*, TMouseButton, TShiftState, int, int) { throw std::runtime_error("std failure"); };
  HWND h = form->Handle();
  EXPECT_EQ(SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, Pos(35, 27)), 0);
  SendMessageW(h, WM_LBUTTONUP, 0, Pos(35, 27));
  form->OnPaint = [](TObject*) { throw 42; };
  form->Show();
  UpdateWindow(h);
  ASSERT_GE(messages.size(), 3u);
  EXPECT_EQ(messages[0], L"framework failure");
  EXPECT_EQ(messages[1], L"std failure");
  EXPECT_EQ(messages[2], L"Unknown exception");
  EXPECT_EQ(senders[0], form.get());
  // The failed paint still ended: no paint message is left pending.
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, h, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

TEST_F(InputTest, ControlsDestroyedByTheirOwnHandlers) {
  auto* panel = new TPanel(form.get());
  panel->SetBounds(100, 100, 50, 50);
  panel->SetParent(form.get());
  HWND panelWindow = panel->Handle();
  panel->OnMouseDown = [panel](TObject*, TMouseButton, TShiftState, int, int) { delete panel; };
  SendMessageW(panelWindow, WM_LBUTTONDOWN, MK_LBUTTON, Pos(5, 5));
  EXPECT_FALSE(IsWindow(panelWindow));
  EXPECT_EQ(form->ControlCount(), 1);

  block->OnClick = [this](TObject*) {
    delete block;
    block = nullptr;
  };
  HWND h = form->Handle();
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, Pos(35, 27));
  SendMessageW(h, WM_LBUTTONUP, 0, Pos(35, 27));
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(form->ControlCount(), 0);
  SendMessageW(h, WM_MOUSEMOVE, 0, Pos(35, 27));  // nothing captured any more
  EXPECT_EQ(log.back(), "form move 35,27");

  // The form itself, from a child's handler inside the form's own message.
  auto* victim = new TBlock(form.get());
  victim->SetBounds(0, 0, 10, 10);
  victim->SetParent(form.get());
  TForm* raw = form.release();
  victim->OnMouseDown = [raw](TObject*, TMouseButton, TShiftState, int, int) { delete raw; };
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, Pos(1, 1));
  EXPECT_FALSE(IsWindow(h));
}

TEST_F(InputTest, FocusGoesOnlyToVisibleEnabledControls) {
  auto* panel = new TPanel(form.get());
  panel->SetBounds(10, 10, 50, 50);
  panel->SetParent(form.get());
  int enters = 0;
  int exits = 0;
  panel->OnEnter = [&](TObject*) { ++enters; };
  panel->OnExit = [&](TObject*) { ++exits; };
  EXPECT_FALSE(panel->CanFocus());  // the form is hidden
  EXPECT_THROW(panel->SetFocus(), EInvalidOperation);
  form->Show();
  ASSERT_TRUE(panel->CanFocus());
  panel->SetFocus();
  EXPECT_TRUE(panel->Focused());
  EXPECT_EQ(enters, 1);
  form->SetFocus();
  EXPECT_FALSE(panel->Focused());
  EXPECT_EQ(exits, 1);
  panel->SetEnabled(false);
  EXPECT_FALSE(panel->CanFocus());
  EXPECT_FALSE(IsWindowEnabled(panel->Handle()));
}

TEST(ControlMouse, APressAndReleaseInsideClicksOnceAndOnlyWithTheLeftButton) {
  TBlock block(nullptr);
  block.SetBounds(0, 0, 20, 20);
  int clicks = 0;
  block.OnClick = [&](TObject*) { ++clicks; };
  block.MouseDown(mbLeft, {ssLeft}, 1, 1);
  block.MouseUp(mbLeft, {}, 2, 2);
  block.MouseUp(mbLeft, {}, 2, 2);
  EXPECT_EQ(clicks, 1);
  block.MouseDown(mbRight, {ssRight}, 1, 1);
  block.MouseUp(mbRight, {}, 1, 1);
  block.MouseDown(mbLeft, {ssLeft}, 1, 1);
  block.MouseUp(mbLeft, {}, 25, 1);
  EXPECT_EQ(clicks, 1);
}

}  // namespace
