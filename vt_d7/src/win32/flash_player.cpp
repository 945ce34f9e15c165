#include "vt_d7/Vt_flashplayer.h"

namespace vt {

TvtFlashPlayer::TvtFlashPlayer(vcl::TComponent* AOwner) : TvtPlayerBase(AOwner) {
  CheckFlashPlugins();
  FTransparent = true;
  SetBounds(Left(), Top(), 100, 100);
  RecreateDriver();
}

TvtFlashPlayer::~TvtFlashPlayer() {
  // The reference is cleared before the driver is destroyed, so callbacks
  // during its teardown find no driver.
  FDriver.reset();
}

uint32_t TvtFlashPlayer::BackgroundPixel() const { return ColorToPixel(vcl::ColorToRGB(Color())); }

void TvtFlashPlayer::RecreateDriver() {
  ChangePlugin(
      FDriver, FPlugin, FMovie, Width(), Height(), BackgroundPixel(), this,
      [this](vcl::TObject* s, const vcl::TRect& r) { DoPaint(s, r); },
      [this](vcl::TObject* s, const vcl::TRect& r) { DoEraseBackground(s, r); },
      FSCommandForwarder(), FlashCallForwarder());
}

// ---- properties ----

// The background handed to the driver is always opaque: the graphic player
// never needs the second buffer. The whole picture is erased and drawn again.
void TvtFlashPlayer::RedrawBackground() {
  if (!FDriver) return;
  FDriver->SetBackground(BackgroundPixel());
  FDriver->ForceUpdate();
}

void TvtFlashPlayer::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  RedrawBackground();
}

void TvtFlashPlayer::CMColorChanged() {
  vcl::TGraphicControl::CMColorChanged();
  RedrawBackground();
}

// ---- framework operations ----

void TvtFlashPlayer::Loaded() {
  vcl::TGraphicControl::Loaded();
  DoEraseBackground(FDriver.get(), vcl::Rect(0, 0, Width(), Height()));
  LoadMovie(FMovie);
  CopyEventsToDriver();
}

void TvtFlashPlayer::Paint() {
  if (!FDriver) return;  // only during destruction
  if (IsDesigning()) {
    FDriver->FOnPaint = [this](vcl::TObject* s, const vcl::TRect& r) { DoPaint(s, r); };
    FDriver->FOnEraseBackground = [this](vcl::TObject* s, const vcl::TRect& r) { DoEraseBackground(s, r); };
  }
  if (!FDriver->FDC) return;
  Canvas().BitBlt(0, 0, FDriver->FWidth, FDriver->FHeight, FDriver->FDC, 0, 0, SRCCOPY);
}

void TvtFlashPlayer::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  vcl::TGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FDriver) FDriver->Resize(Width(), Height());
}

void TvtFlashPlayer::MouseDown(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y) {
  vcl::TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (FDriver) FDriver->MouseDown(Button, Shift, X, Y);
}

void TvtFlashPlayer::MouseMove(vcl::TShiftState Shift, int X, int Y) {
  vcl::TGraphicControl::MouseMove(Shift, X, Y);
  if (FDriver) FDriver->MouseMove(Shift, X, Y);
}

void TvtFlashPlayer::MouseUp(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y) {
  vcl::TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (FDriver) FDriver->MouseUp(Button, Shift, X, Y);
}

bool TvtFlashPlayer::DoMouseWheel(vcl::TShiftState Shift, int WheelDelta, vcl::TPoint MousePos) {
  bool handled = vcl::TGraphicControl::DoMouseWheel(Shift, WheelDelta, MousePos);
  if (FDriver) FDriver->MouseWheel(Shift, MousePos.X, MousePos.Y, WheelDelta, handled);
  return handled;
}

// ---- driver callbacks ----

void TvtFlashPlayer::DoPaint(vcl::TObject*, const vcl::TRect&) {
  if (IsDesigning()) return;
  // Without a parent window there is nothing to draw on yet; the next paint
  // message shows the buffer.
  vcl::TWinControl* parent = Parent();
  if (!parent || !parent->HandleAllocated()) return;
  Paint();
}

void TvtFlashPlayer::DoEraseBackground(vcl::TObject*, const vcl::TRect& ARect) {
  TvtFlashDriver* d = FDriver.get();
  if (!d) return;
  if (FTransparent) {
    vcl::TWinControl* parent = Parent();
    if (!parent || !parent->HandleAllocated() || !d->FBits) return;
    HDC dc = d->FDC;
    const int saved = SaveDC(dc);
    HRGN clip = CreateRectRgn(ARect.Left, ARect.Top, ARect.Right, ARect.Bottom);
    SelectClipRgn(dc, clip);
    DeleteObject(clip);
    // The player's top-left corner lands on buffer pixel (0, 0). The player
    // paints itself too, copying the buffer onto the same place.
    parent->PaintTo(dc, -Left(), -Top());
    RestoreDC(dc, saved);
  } else if (d->FBits) {
    FillLongwordRect(d->FBits, d->FWidth, d->FHeight, ARect.Left, ARect.Top, ARect.Right, ARect.Bottom,
                     BackgroundPixel());
  }
}

}  // namespace vt
