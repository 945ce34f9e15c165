#include "vt_d7/Vt_flashplayer.h"

namespace vt {

TvtFlashPlayerComp::TvtFlashPlayerComp(vcl::TComponent* AOwner) : TvtPlayerBase(AOwner) {
  CheckFlashPlugins();
  FWidth = 100;
  FHeight = 100;
  RecreateDriver();
}

TvtFlashPlayerComp::~TvtFlashPlayerComp() { FDriver.reset(); }

void TvtFlashPlayerComp::RecreateDriver() {
  // Background 0: transparent, so the driver keeps its second buffer and
  // recovers per-pixel alpha.
  ChangePlugin(
      FDriver, FPlugin, FMovie, FWidth, FHeight, 0, nullptr,
      [this](vcl::TObject* s, const vcl::TRect& r) { DoPaint(s, r); },
      [this](vcl::TObject* s, const vcl::TRect& r) { DoEraseBackground(s, r); },
      FSCommandForwarder(), FlashCallForwarder());
}

// ---- properties ----

void TvtFlashPlayerComp::SetWidth(int32_t Value) {
  if (Value == FWidth) return;
  FWidth = Value;
  if (FDriver) FDriver->Resize(FWidth, FHeight);
}

void TvtFlashPlayerComp::SetHeight(int32_t Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  if (FDriver) FDriver->Resize(FWidth, FHeight);
}

// ---- pixels and input ----

uint32_t* TvtFlashPlayerComp::GetBuffer() const { return FDriver ? FDriver->FBits : nullptr; }

uint32_t* TvtFlashPlayerComp::GetScanline(int32_t Row) const {
  // A row outside the buffer has no address: handing out one past the end
  // would let the caller write over foreign memory.
  if (!FDriver || !FDriver->FBits || Row < 0 || Row >= FDriver->FHeight) return nullptr;
  return FDriver->FBits + static_cast<size_t>(Row) * static_cast<size_t>(FDriver->FWidth);
}

void TvtFlashPlayerComp::CallMouseDown(vcl::TMouseButton Button, vcl::TShiftState Shift, int32_t X, int32_t Y) {
  FDriver->MouseDown(Button, Shift, X, Y);
}
void TvtFlashPlayerComp::CallMouseMove(vcl::TShiftState Shift, int32_t X, int32_t Y) {
  FDriver->MouseMove(Shift, X, Y);
}
void TvtFlashPlayerComp::CallMouseUp(vcl::TMouseButton Button, vcl::TShiftState Shift, int32_t X, int32_t Y) {
  FDriver->MouseUp(Button, Shift, X, Y);
}
void TvtFlashPlayerComp::CallMouseWheel(vcl::TShiftState Shift, int32_t X, int32_t Y, int32_t WheelDelta,
                                        bool& Handled) {
  FDriver->MouseWheel(Shift, X, Y, WheelDelta, Handled);
}
void TvtFlashPlayerComp::CallKeyDown(uint16_t& Key, vcl::TShiftState Shift) { FDriver->KeyDown(Key, Shift); }
void TvtFlashPlayerComp::CallKeyPress(wchar_t& Key, vcl::TShiftState Shift) { FDriver->KeyPress(Key, Shift); }
void TvtFlashPlayerComp::CallKeyUp(uint16_t& Key, vcl::TShiftState Shift) { FDriver->KeyUp(Key, Shift); }

void TvtFlashPlayerComp::Loaded() {
  vcl::TComponent::Loaded();
  LoadMovie(FMovie);
  CopyEventsToDriver();
}

// ---- driver callbacks ----

void TvtFlashPlayerComp::DoPaint(vcl::TObject* ASender, const vcl::TRect& ARect) {
  if (IsDesigning()) return;
  if (OnPaint) OnPaint(ASender, ARect);
}

void TvtFlashPlayerComp::DoEraseBackground(vcl::TObject*, const vcl::TRect& ARect) {
  TvtFlashDriver* d = FDriver.get();
  if (!d || !d->FBits) return;
  FillLongwordRect(d->FBits, d->FWidth, d->FHeight, ARect.Left, ARect.Top, ARect.Right, ARect.Bottom, 0);
}

}  // namespace vt
