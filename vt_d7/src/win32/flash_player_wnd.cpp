// The windowed player: its window, painting, background and input.
#include "vt_d7/Vt_flashplayer.h"

namespace vt {

TvtCustomFlashPlayerWnd::TvtCustomFlashPlayerWnd(vcl::TComponent* AOwner) : TvtPlayerBase(AOwner) {
  CheckFlashPlugins();
  FBackgroundMask = 0xFFFFFFFF;
  SetBounds(Left(), Top(), 100, 100);
  SetTabStop(true);
  RecreateDriver();
}

TvtCustomFlashPlayerWnd::~TvtCustomFlashPlayerWnd() {
  // The reference is cleared before the driver is destroyed, so callbacks
  // during its teardown find no driver.
  FDriver.reset();
}

uint32_t TvtCustomFlashPlayerWnd::BackgroundPixel() const {
  return ColorToPixel(vcl::ColorToRGB(Color())) & FBackgroundMask;
}

// The callbacks go through the virtual operations, so a descendant's
// replacements are called.
void TvtCustomFlashPlayerWnd::RecreateDriver() {
  ChangePlugin(
      FDriver, FPlugin, FMovie, Width(), Height(), BackgroundPixel(), this,
      [this](vcl::TObject* s, const vcl::TRect& r) { DoPaint(s, r); },
      [this](vcl::TObject* s, const vcl::TRect& r) { DoEraseBackground(s, r); },
      FSCommandForwarder(), FlashCallForwarder());
}

void TvtCustomFlashPlayerWnd::Loaded() {
  vcl::TCustomControl::Loaded();
  LoadMovie(FMovie);
  CopyEventsToDriver();
}

void TvtCustomFlashPlayerWnd::CreateHandle() {
  vcl::TCustomControl::CreateHandle();
  if (!HandleAllocated()) return;
  HWND window = Handle();
  // Reading the procedure through the 8-bit query and writing it back
  // through the wide one makes the window a wide-character window.
  SetWindowLongPtrW(window, GWLP_WNDPROC, GetWindowLongPtrA(window, GWLP_WNDPROC));
}

void TvtCustomFlashPlayerWnd::CMColorChanged() {
  vcl::TCustomControl::CMColorChanged();
  if (!FDriver) return;
  FDriver->SetBackground(BackgroundPixel());
  FDriver->ForceUpdate();
}

void TvtCustomFlashPlayerWnd::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  vcl::TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FDriver) FDriver->Resize(Width(), Height());
}

// ---- painting ----

void TvtCustomFlashPlayerWnd::Paint() {
  if (!FDriver) return;  // only during destruction
  // Without a renderer nothing is painted, not even the colour.
  if (!FDriver->ClassType().PluginExists()) return;
  if (IsDesigning()) {
    FDriver->FOnPaint = [this](vcl::TObject* s, const vcl::TRect& r) { DoPaint(s, r); };
    FDriver->FOnEraseBackground = [this](vcl::TObject* s, const vcl::TRect& r) { DoEraseBackground(s, r); };
  }
  if (!FDriver->FDC) return;
  Canvas().BitBlt(0, 0, FDriver->FWidth, FDriver->FHeight, FDriver->FDC, 0, 0, SRCCOPY);
}

// A report only marks the window; the next paint message copies the buffer
// once, whatever the number of rectangles reported meanwhile.
void TvtCustomFlashPlayerWnd::DoPaint(vcl::TObject*, const vcl::TRect&) {
  if (IsDesigning()) return;
  if (!HandleAllocated()) {
    // Frames reported before the player has a parent show with its first
    // paint. A parent chain that cannot make its windows yet (no host
    // window at the top) is not an error of the movie's drawing.
    if (!Parent()) return;
    try {
      HandleNeeded();
    } catch (const vcl::Exception&) {
      return;
    }
    if (!HandleAllocated()) return;
  }
  InvalidateRect(Handle(), nullptr, FALSE);
}

void TvtCustomFlashPlayerWnd::DoEraseBackground(vcl::TObject*, const vcl::TRect& ARect) {
  TvtFlashDriver* d = FDriver.get();
  if (!d || !d->FBits) return;
  FillLongwordRect(d->FBits, d->FWidth, d->FHeight, ARect.Left, ARect.Top, ARect.Right, ARect.Bottom,
                   BackgroundPixel());
}

// ---- input ----

void TvtCustomFlashPlayerWnd::WndProc(vcl::TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      // Arrows, Tab and characters go to the movie instead of moving the
      // focus.
      DefaultHandler(Message);
      Message.Result = DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
      return;
    case WM_ERASEBKGND:
      // The buffer covers the whole window.
      Message.Result = 1;
      return;
    case WM_KEYDOWN:
    case WM_KEYUP: {
      uint16_t key = static_cast<uint16_t>(Message.WParam);
      const vcl::TShiftState shift = vcl::KeyDataToShiftState(Message.LParam);
      const std::weak_ptr<void> alive = AliveToken();
      if (FDriver) {
        if (Message.Msg == WM_KEYDOWN)
          FDriver->KeyDown(key, shift);
        else
          FDriver->KeyUp(key, shift);
      }
      if (alive.expired()) return;
      // The application's key events see the key as the driver left it.
      Message.WParam = key;
      break;
    }
    case WM_CHAR: {
      wchar_t key = static_cast<wchar_t>(Message.WParam);
      const std::weak_ptr<void> alive = AliveToken();
      // Control characters are not passed; their key-down was.
      if (key >= 32 && FDriver) FDriver->KeyPress(key, vcl::KeyDataToShiftState(Message.LParam));
      if (alive.expired()) return;
      break;
    }
    default:
      break;
  }
  vcl::TCustomControl::WndProc(Message);
}

void TvtCustomFlashPlayerWnd::MouseDown(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y) {
  const std::weak_ptr<void> alive = AliveToken();
  vcl::TCustomControl::MouseDown(Button, Shift, X, Y);
  if (alive.expired()) return;
  // The movie sees the press with the player already focused.
  if (!IsDesigning() && CanFocus() && !Focused()) SetFocus();
  if (alive.expired()) return;
  if (FDriver) FDriver->MouseDown(Button, Shift, X, Y);
}

void TvtCustomFlashPlayerWnd::MouseMove(vcl::TShiftState Shift, int X, int Y) {
  const std::weak_ptr<void> alive = AliveToken();
  vcl::TCustomControl::MouseMove(Shift, X, Y);
  if (alive.expired()) return;
  if (FDriver) FDriver->MouseMove(Shift, X, Y);
}

void TvtCustomFlashPlayerWnd::MouseUp(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y) {
  const std::weak_ptr<void> alive = AliveToken();
  vcl::TCustomControl::MouseUp(Button, Shift, X, Y);
  if (alive.expired()) return;
  if (FDriver) FDriver->MouseUp(Button, Shift, X, Y);
}

bool TvtCustomFlashPlayerWnd::DoMouseWheel(vcl::TShiftState Shift, int WheelDelta, vcl::TPoint MousePos) {
  const std::weak_ptr<void> alive = AliveToken();
  bool handled = vcl::TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos);
  if (alive.expired()) return handled;
  if (FDriver) FDriver->MouseWheel(Shift, MousePos.X, MousePos.Y, WheelDelta, handled);
  return handled;
}

}  // namespace vt
