#include <algorithm>

#include "framework/Controls.h"

namespace vcl {

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) { windowed_ = true; }

TWinControl::~TWinControl() {
  Destroying();
  DestroyHandle();
  // Children belong to their owner; they only lose their parent.
  for (TControl* c : controls_) {
    c->parent_ = nullptr;
    c->anchorOrigin_.valid = false;
  }
  controls_.clear();
  captureControl_ = nullptr;
  if (Parent()) Parent()->RemoveControl(this);
}

HWND TWinControl::Handle() {
  if (!handle_) {
    if (Parent()) Parent()->Handle();  // creates this window along with its own
    if (!handle_) CreateHandle();
  }
  return handle_;
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  const std::weak_ptr<void> alive = AliveToken();
  CreateWnd();
  if (alive.expired() || !handle_) return;
  // The system may have adjusted the size (minimum sizes of framed windows).
  UpdateBoundsFromWindow();
  const std::vector<TControl*> children = controls_;
  for (TControl* c : children) {
    if (c->windowed_ && HasControl(c)) static_cast<TWinControl*>(c)->CreateHandle();
    if (alive.expired()) return;
  }
}

void TWinControl::DestroyHandle() {
  if (handle_) DestroyWnd();
}

void TWinControl::DestroyWnd() {
  HWND h = handle_;
  // Child windows go with this one; DCs on any of them are given back first.
  TControlCanvas::FreeWindowDeviceContexts(h);
  // A window that cannot be destroyed (another thread's) must at least no
  // longer reach this object.
  if (!DestroyWindow(h)) SetWindowLongPtrW(h, GWLP_USERDATA, 0);
  handle_ = nullptr;
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params.Caption.clear();
  Params.Style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (Visible()) Params.Style |= WS_VISIBLE;
  if (!Enabled()) Params.Style |= WS_DISABLED;
  if (tabStop_) Params.Style |= WS_TABSTOP;
  Params.ExStyle = 0;
  Params.X = Left();
  Params.Y = Top();
  Params.Width = Width();
  Params.Height = Height();
  Params.WndParent = Parent() ? Parent()->handle_ : parentWindow_;
  Params.ClassStyle = CS_DBLCLKS;
  Params.WinClassName = ClassName();
}

void TWinControl::SetParentWindow(HWND Value) {
  if (parentWindow_ == Value) return;
  parentWindow_ = Value;
  // A window in the old host is recreated in the new one when needed.
  if (!Parent()) DestroyHandle();
}

TRect TWinControl::ClientRect() const {
  if (handle_) {
    RECT r{};
    GetClientRect(handle_, &r);
    return Rect(0, 0, r.right, r.bottom);
  }
  // No window yet: the frame the window will get is known from its styles.
  TCreateParams params;
  const_cast<TWinControl*>(this)->CreateParams(params);
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, params.Style, FALSE, params.ExStyle);
  const int frameWidth = frame.right - frame.left;
  const int frameHeight = frame.bottom - frame.top;
  return Rect(0, 0, std::max(0, Width() - frameWidth), std::max(0, Height() - frameHeight));
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (ALeft == Left() && ATop == Top() && AWidth == Width() && AHeight == Height()) return;
  const std::weak_ptr<void> alive = AliveToken();
  if (handle_) {
    // The window reports its new bounds (WM_WINDOWPOSCHANGED) and its new
    // client size (WM_SIZE: layout and OnResize) while this call runs.
    SetWindowPos(handle_, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!alive.expired() && handle_) UpdateBoundsFromWindow();
    return;
  }
  const bool sized = AWidth != Width() || AHeight != Height();
  StoreBounds(ALeft, ATop, AWidth, AHeight);
  if (sized) {
    AlignControls();
    if (alive.expired()) return;
    Resize();
    if (alive.expired()) return;
  }
  RequestParentAlign();
}

void TWinControl::UpdateBoundsFromWindow() {
  RECT r{};
  if (!GetWindowRect(handle_, &r)) return;
  if (GetWindowLongPtrW(handle_, GWL_STYLE) & WS_CHILD)
    MapWindowPoints(HWND_DESKTOP, GetAncestor(handle_, GA_PARENT), reinterpret_cast<POINT*>(&r), 2);
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  if (r.left == Left() && r.top == Top() && w == Width() && h == Height()) return;
  StoreBounds(r.left, r.top, w, h);
  RequestParentAlign();
}

void TWinControl::SetParent(TWinControl* AParent) {
  if (AParent == Parent()) return;
  CheckNewParent(AParent);
  // The window is made again under the new parent (its style may differ).
  DestroyHandle();
  TControl::SetParent(AParent);
  if (AParent && AParent->HandleAllocated()) CreateHandle();
}

void TWinControl::SetVisible(bool Value) {
  if (Visible() == Value) return;
  TControl::SetVisible(Value);
  if (handle_)
    ShowWindow(handle_, Value ? SW_SHOW : SW_HIDE);
  else if (Value && Parent() && Parent()->HandleAllocated())
    CreateHandle();
}

void TWinControl::SetEnabled(bool Value) {
  if (Enabled() == Value) return;
  TControl::SetEnabled(Value);
  if (handle_) EnableWindow(handle_, Value);
}

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

TControl* TWinControl::Controls(int Index) const {
  if (Index < 0 || Index >= ControlCount())
    throw EListError(L"List index out of bounds (" + std::to_wstring(Index) + L")");
  return controls_[static_cast<size_t>(Index)];
}

TControl* TWinControl::ControlAtPos(TPoint Pos) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!c->windowed_ && c->Visible() && c->Enabled() && c->BoundsRect().Contains(Pos)) return c;
  }
  return nullptr;
}

bool TWinControl::HasControl(const TControl* AControl) const {
  return std::find(controls_.begin(), controls_.end(), AControl) != controls_.end();
}

void TWinControl::InsertControl(TControl* AControl) {
  controls_.push_back(AControl);
  AControl->parent_ = this;
  AControl->UpdateAnchorOrigin();
  const std::weak_ptr<void> alive = AControl->AliveToken();
  if (AControl->parentColor_) AControl->ChangeColor(Color());
  if (alive.expired()) return;
  if (AControl->Visible()) AControl->InvalidateInParent(AControl->BoundsRect());
  if (AControl->Align() != alNone) AlignControls();
}

void TWinControl::RemoveControl(TControl* AControl) {
  auto it = std::find(controls_.begin(), controls_.end(), AControl);
  if (it == controls_.end()) return;
  if (AControl->Visible()) AControl->InvalidateInParent(AControl->BoundsRect());
  controls_.erase(it);
  if (captureControl_ == AControl) ReleaseMouseCapture();
  AControl->parent_ = nullptr;
  AControl->anchorOrigin_.valid = false;
  if (AControl->Align() != alNone && !IsDestroying()) AlignControls();
}

LRESULT TWinControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  WndProc(m);
  return m.Result;
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

bool TWinControl::CanFocus() const {
  for (const TWinControl* c = this; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation(L"Cannot focus a disabled or invisible window");
  ::SetFocus(Handle());
}

void TWinControl::SetTabStop(bool Value) {
  if (tabStop_ == Value) return;
  tabStop_ = Value;
  if (!handle_) return;
  LONG_PTR style = GetWindowLongPtrW(handle_, GWL_STYLE);
  style = Value ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
  SetWindowLongPtrW(handle_, GWL_STYLE, style);
}

void TWinControl::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(wchar_t& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::KeyUp(uint16_t& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::ReleaseMouseCapture() {
  captureControl_ = nullptr;
  if (handle_ && GetCapture() == handle_) ReleaseCapture();
}

}  // namespace vcl
