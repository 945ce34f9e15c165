// Forms and the application object.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "controls_test_support.h"

using namespace vcl;

namespace {

TEST(Form, ClientSizeSettersSizeTheWindowAroundTheClientArea) {
  TForm form(nullptr);
  form.SetClientWidth(210);
  form.SetClientHeight(130);
  EXPECT_GT(form.Width(), 210);  // the frame comes on top
  RECT r{};
  GetClientRect(form.Handle(), &r);
  EXPECT_EQ(r.right, 210);
  EXPECT_EQ(r.bottom, 130);
  form.SetClientWidth(250);
  GetClientRect(form.Handle(), &r);
  EXPECT_EQ(r.right, 250);
  EXPECT_EQ(form.ClientWidth(), 250);
}

TEST(Form, WithoutABorderTheWindowIsAllClientAreaBeforeOrAfterItExists) {
  TForm form(nullptr);
  form.SetBorderStyle(bsNone);
  form.SetBounds(10, 20, 200, 120);
  HWND h = form.Handle();
  EXPECT_TRUE(GetWindowLongPtrW(h, GWL_STYLE) & WS_POPUP);
  EXPECT_FALSE(GetWindowLongPtrW(h, GWL_STYLE) & WS_CAPTION);
  RECT r{};
  GetClientRect(h, &r);
  EXPECT_EQ(r.right, 200);
  EXPECT_EQ(r.bottom, 120);
  // Back to a frame in place: the same window, with a caption.
  form.SetBorderStyle(bsSizeable);
  EXPECT_EQ(form.Handle(), h);
  EXPECT_TRUE(GetWindowLongPtrW(h, GWL_STYLE) & WS_CAPTION);
  EXPECT_FALSE(GetWindowLongPtrW(h, GWL_STYLE) & WS_POPUP);
  form.SetBorderStyle(bsNone);
  EXPECT_FALSE(GetWindowLongPtrW(h, GWL_STYLE) & WS_CAPTION);
}

TEST(Form, IsATopLevelWindowThatShowsItsCaptionAndFollowsItsWindow) {
  TForm form(nullptr);
  form.SetCaption(L"Caption \u00e9");
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(form.Color(), clBtnFace);
  form.SetBounds(120, 90, 300, 200);
  form.Show();
  HWND h = form.Handle();
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_EQ(GetAncestor(h, GA_PARENT), GetDesktopWindow());
  EXPECT_TRUE(GetWindowLongW(h, GWL_STYLE) & WS_CAPTION);
  wchar_t text[64] = {};
  GetWindowTextW(h, text, 64);
  EXPECT_STREQ(text, L"Caption \u00e9");
  form.SetCaption(L"Other");
  GetWindowTextW(h, text, 64);
  EXPECT_STREQ(text, L"Other");

  // Moved and sized from outside (as the layered window update does).
  int resizes = 0;
  form.OnResize = [&](TObject*) { ++resizes; };
  MoveWindow(h, 140, 100, 320, 210, FALSE);
  EXPECT_EQ(form.BoundsRect(), Bounds(140, 100, 320, 210));
  EXPECT_EQ(resizes, 1);
  form.Hide();
  EXPECT_FALSE(IsWindowVisible(h));
}

TEST(Form, CloseAsksTheHandlersWhatToDo) {
  TForm form(nullptr);
  form.Show();
  bool canClose = false;
  TCloseAction action = caNone;
  form.OnCloseQuery = [&](TObject*, bool& can) { can = canClose; };
  form.OnClose = [&](TObject*, TCloseAction& a) {
    EXPECT_EQ(a, caHide);
    a = action;
  };
  form.Close();
  EXPECT_TRUE(form.Visible());
  canClose = true;
  form.Close();
  EXPECT_TRUE(form.Visible());
  action = caHide;
  SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(IsWindow(form.Handle()));  // hidden, not destroyed
}

TEST(Form, CaFreeFreesTheFormAfterTheMessage) {
  auto* form = new TForm(nullptr);
  const std::weak_ptr<void> alive = form->AliveToken();
  HWND h = form->Handle();
  form->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
  SendMessageW(h, WM_CLOSE, 0, 0);
  EXPECT_FALSE(alive.expired());
  Application()->ProcessMessages();
  EXPECT_TRUE(alive.expired());
  EXPECT_FALSE(IsWindow(h));
}

TEST(Application, ClosingTheMainFormEndsRun) {
  TForm form(nullptr);
  Application()->SetMainForm(&form);
  Application()->Initialize();
  Application()->Initialize();  // once is enough; twice is harmless
  PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
  Application()->Run();  // shows the main form, returns once it is closed
  EXPECT_TRUE(form.Visible());
  EXPECT_TRUE(Application()->Terminated());
  Application()->SetMainForm(nullptr);
}

TEST(Application, TheMainFormIsForgottenWhenItIsDestroyed) {
  auto form = std::make_unique<TForm>(nullptr);
  Application()->SetMainForm(form.get());
  form.reset();
  EXPECT_EQ(Application()->MainForm(), nullptr);
}

TEST(Application, HandleExceptionWithoutAHandlerWritesTheMessageToStderr) {
  testing::internal::CaptureStderr();
  try {
    throw std::runtime_error("nothing to read");
  } catch (...) {
    Application()->HandleException(nullptr);
  }
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("nothing to read"), std::string::npos);
  Application()->HandleException(nullptr);  // outside a catch: nothing happens
}

TEST(Application, AFailingExceptionHandlerIsReportedNotPropagated) {
  Application()->OnException = [](TObject*, const Exception&) { throw EInvalidOperation(L"handler failed"); };
  testing::internal::CaptureStderr();
  try {
    throw EReadError(L"first");
  } catch (...) {
    EXPECT_NO_THROW(Application()->HandleException(nullptr));
  }
  Application()->OnException = nullptr;
  EXPECT_NE(testing::internal::GetCapturedStderr().find("handler failed"), std::string::npos);
}

TEST(Application, TheHandlerGetsTheExceptionItself) {
  const Exception* seen = nullptr;
  bool isReadError = false;
  Application()->OnException = [&](TObject*, const Exception& e) {
    seen = &e;
    isReadError = dynamic_cast<const EReadError*>(&e) != nullptr;
  };
  try {
    throw EReadError(L"short");
  } catch (...) {
    Application()->HandleException(nullptr);
  }
  Application()->OnException = nullptr;
  EXPECT_NE(seen, nullptr);
  EXPECT_TRUE(isReadError);
}

}  // namespace
