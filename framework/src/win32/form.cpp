#include "framework/Forms.h"

namespace vcl {

TForm::TForm(TComponent* AOwner) : TCustomControl(AOwner) {
  SetVisible(false);
  SetColor(clBtnFace);
  SetBounds(0, 0, 320, 240);
}

void TForm::SetCaption(const std::wstring& Value) {
  caption_ = Value;
  if (HandleAllocated()) SetWindowTextW(Handle(), caption_.c_str());
}

void TForm::SetVisible(bool Value) {
  TCustomControl::SetVisible(Value);
  // A top-level form makes its window when it is first shown.
  if (Value && Visible() && !HandleAllocated() && !Parent()) HandleNeeded();
}

void TForm::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Caption = caption_;
  if (!Parent() && !ParentWindow()) {
    Params.Style = (borderStyle_ == bsNone ? WS_POPUP : WS_OVERLAPPEDWINDOW) | WS_CLIPCHILDREN;
    if (Visible()) Params.Style |= WS_VISIBLE;
    if (!Enabled()) Params.Style |= WS_DISABLED;
    Params.WndParent = nullptr;
  }
}

void TForm::SetBorderStyle(TFormBorderStyle Value) {
  if (Value == borderStyle_) return;
  borderStyle_ = Value;
  if (!HandleAllocated() || Parent() || ParentWindow()) return;
  // The window keeps living with its new frame.
  HWND h = Handle();
  LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
  style &= ~static_cast<LONG_PTR>(WS_OVERLAPPEDWINDOW | WS_POPUP);
  style |= Value == bsNone ? WS_POPUP : WS_OVERLAPPEDWINDOW;
  SetWindowLongPtrW(h, GWL_STYLE, style);
  SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TForm::Paint() {
  if (OnPaint) OnPaint(this);
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TForm::Close() {
  const std::weak_ptr<void> alive = AliveToken();
  if (!CloseQuery() || alive.expired()) return;
  TCloseAction action = caHide;
  if (OnClose) {
    OnClose(this, action);
    if (alive.expired()) return;
  }
  if (action == caNone) return;
  if (Application()->MainForm() == this) {
    Application()->Terminate();
    return;
  }
  switch (action) {
    case caHide:
      Hide();
      break;
    case caMinimize:
      if (HandleAllocated()) ShowWindow(Handle(), SW_MINIMIZE);
      break;
    case caFree:
      Release();
      break;
    default:
      break;
  }
}

void TForm::Release() { PostMessageW(Handle(), CM_RELEASE, 0, 0); }

void TForm::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CLOSE:
      Close();
      Message.Result = 0;
      return;
    case CM_RELEASE:
      delete this;
      return;
    default:
      TCustomControl::WndProc(Message);
  }
}

}  // namespace vcl
