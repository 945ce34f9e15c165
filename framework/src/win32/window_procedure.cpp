// Binds windows to their controls and dispatches the controls' messages.
#include <windowsx.h>

#include "framework/Controls.h"
#include "framework/Forms.h"

namespace vcl {

LRESULT CALLBACK ControlWindowProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam);

namespace {

// The control whose window CreateWindowExW is making on this thread; its
// first message binds the new window to it.
thread_local TWinControl* creatingControl = nullptr;

HINSTANCE CodeModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&CodeModule), &module);
  return module;
}

void RegisterWindowClass(const TCreateParams& Params, HINSTANCE Instance) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(Instance, Params.WinClassName.c_str(), &existing)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = Params.ClassStyle;
  wc.lpfnWndProc = ControlWindowProc;
  wc.hInstance = Instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = Params.WinClassName.c_str();
  if (!RegisterClassExW(&wc)) RaiseLastOSError(GetLastError());
}

}  // namespace

// No C++ exception leaves here: whatever a handler raises goes to the
// application's exception handler.
LRESULT CALLBACK ControlWindowProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* control = reinterpret_cast<TWinControl*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
  if (!control) {
    control = creatingControl;
    if (!control) return DefWindowProcW(Window, Msg, WParam, LParam);
    creatingControl = nullptr;
    SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
    control->handle_ = Window;
  }
  TMessage message{Msg, WParam, LParam, 0};
  // A handler may destroy the control; nothing touches it afterwards then.
  const std::weak_ptr<void> alive = control->AliveToken();
  try {
    control->WndProc(message);
  } catch (...) {
    try {
      Application()->HandleException(alive.expired() ? nullptr : control);
    } catch (...) {
    }
  }
  return message.Result;
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && !params.WndParent)
    throw EInvalidOperation(L"Control '" + Name() + L"' has no parent window");
  const HINSTANCE instance = CodeModule();
  RegisterWindowClass(params, instance);
  creatingControl = this;
  HWND window = CreateWindowExW(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style,
                                params.X, params.Y, params.Width, params.Height, params.WndParent, nullptr,
                                instance, nullptr);
  const DWORD error = GetLastError();
  creatingControl = nullptr;
  if (!window) {
    handle_ = nullptr;
    RaiseLastOSError(error);
  }
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (handle_) Message.Result = DefWindowProcW(handle_, Message.Msg, Message.WParam, Message.LParam);
}

void TWinControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT:
      WMPaint(Message);
      return;
    case WM_ERASEBKGND:
      WMEraseBkgnd(Message);
      return;
    case WM_WINDOWPOSCHANGED:
      WMWindowPosChanged(Message);
      return;
    case WM_SIZE: {
      const std::weak_ptr<void> alive = AliveToken();
      DefaultHandler(Message);
      AlignControls();
      if (alive.expired()) return;
      Resize();
      return;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE:
      WMMouse(Message);
      return;
    case WM_MOUSEWHEEL:
      WMMouseWheel(Message);
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
      WMKey(Message);
      return;
    case WM_CHAR:
      WMChar(Message);
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      const std::weak_ptr<void> alive = AliveToken();
      DefaultHandler(Message);
      if (alive.expired() || IsDestroying()) return;
      const TNotifyEvent& event = Message.Msg == WM_SETFOCUS ? OnEnter : OnExit;
      if (event) event(this);
      return;
    }
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(Message.LParam) != handle_) captureControl_ = nullptr;
      DefaultHandler(Message);
      return;
    case WM_SHOWWINDOW:
      // Shown or hidden by a ShowWindow call from outside the control.
      if (Message.LParam == 0) visible_ = Message.WParam != 0;
      DefaultHandler(Message);
      return;
    case WM_DESTROY:
      TControlCanvas::FreeWindowDeviceContexts(handle_);
      DefaultHandler(Message);
      return;
    case WM_NCDESTROY:
      WMNCDestroy(Message);
      return;
    default:
      DefaultHandler(Message);
  }
}

void TWinControl::WMWindowPosChanged(TMessage& Message) {
  const std::weak_ptr<void> alive = AliveToken();
  UpdateBoundsFromWindow();
  if (alive.expired()) return;
  DefaultHandler(Message);  // sends WM_SIZE and WM_MOVE
}

void TWinControl::WMNCDestroy(TMessage& Message) {
  HWND window = handle_;
  DefaultHandler(Message);
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  handle_ = nullptr;
  captureControl_ = nullptr;
}

void TWinControl::WMMouse(TMessage& Message) {
  TPoint pos{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  TShiftState shift = KeysToShiftState(Message.WParam);
  enum class Kind { Down, Double, Up, Move } kind = Kind::Move;
  TMouseButton button = mbLeft;
  switch (Message.Msg) {
    case WM_LBUTTONDOWN: kind = Kind::Down; button = mbLeft; break;
    case WM_RBUTTONDOWN: kind = Kind::Down; button = mbRight; break;
    case WM_MBUTTONDOWN: kind = Kind::Down; button = mbMiddle; break;
    case WM_LBUTTONDBLCLK: kind = Kind::Double; button = mbLeft; break;
    case WM_RBUTTONDBLCLK: kind = Kind::Double; button = mbRight; break;
    case WM_MBUTTONDBLCLK: kind = Kind::Double; button = mbMiddle; break;
    case WM_LBUTTONUP: kind = Kind::Up; button = mbLeft; break;
    case WM_RBUTTONUP: kind = Kind::Up; button = mbRight; break;
    case WM_MBUTTONUP: kind = Kind::Up; button = mbMiddle; break;
    default: break;
  }
  if (kind == Kind::Double) shift.Include(ssDouble);

  // A windowless child that took a press gets everything until the release;
  // otherwise the topmost one under the cursor, else this control.
  TControl* target = captureControl_;
  if (!target) target = ControlAtPos(pos);
  if (!target) target = this;
  if (target != this) pos = {pos.X - target->Left(), pos.Y - target->Top()};

  const std::weak_ptr<void> self = AliveToken();
  const std::weak_ptr<void> targetAlive = target->AliveToken();
  switch (kind) {
    case Kind::Down:
    case Kind::Double:
      captureControl_ = target != this ? target : nullptr;
      if (handle_ && GetCapture() != handle_) SetCapture(handle_);
      if (kind == Kind::Double) {
        target->DblClick();
        if (targetAlive.expired()) break;
      }
      target->MouseDown(button, shift, pos.X, pos.Y);
      break;
    case Kind::Up:
      if (!(Message.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) ReleaseMouseCapture();
      target->MouseUp(button, shift, pos.X, pos.Y);
      break;
    case Kind::Move:
      target->MouseMove(shift, pos.X, pos.Y);
      break;
  }
  if (self.expired()) return;
  DefaultHandler(Message);
}

void TWinControl::WMMouseWheel(TMessage& Message) {
  const TShiftState shift = KeysToShiftState(GET_KEYSTATE_WPARAM(Message.WParam));
  const int delta = GET_WHEEL_DELTA_WPARAM(Message.WParam);
  const TPoint screen{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  POINT client{screen.X, screen.Y};
  if (handle_) ::ScreenToClient(handle_, &client);

  const std::weak_ptr<void> self = AliveToken();
  bool handled = false;
  if (TControl* child = ControlAtPos({static_cast<int32_t>(client.x), static_cast<int32_t>(client.y)})) {
    handled = child->DoMouseWheel(shift, delta, screen);
    if (self.expired()) return;
  }
  if (!handled) {
    handled = DoMouseWheel(shift, delta, screen);
    if (self.expired()) return;
  }
  if (handled)
    Message.Result = 0;
  else
    DefaultHandler(Message);  // passes the wheel on to the parent window
}

void TWinControl::WMKey(TMessage& Message) {
  uint16_t key = static_cast<uint16_t>(Message.WParam);
  const TShiftState shift = KeyDataToShiftState(Message.LParam);
  const std::weak_ptr<void> self = AliveToken();
  if (Message.Msg == WM_KEYDOWN || Message.Msg == WM_SYSKEYDOWN)
    KeyDown(key, shift);
  else
    KeyUp(key, shift);
  if (self.expired()) return;
  if (key == 0) {
    Message.Result = 0;
    return;
  }
  Message.WParam = key;
  DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message) {
  wchar_t key = static_cast<wchar_t>(Message.WParam);
  const std::weak_ptr<void> self = AliveToken();
  KeyPress(key);
  if (self.expired()) return;
  if (key == 0) {
    Message.Result = 0;
    return;
  }
  Message.WParam = key;
  DefaultHandler(Message);
}

}  // namespace vcl
