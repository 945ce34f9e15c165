#include "framework/SysUtils.h"
#include "vt_d7/Vt_flashplayer.h"

namespace vt {

TvtFlashPlayer::TvtFlashPlayer(vcl::TComponent* AOwner) : vcl::TGraphicControl(AOwner) {
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
      [this](vcl::TObject* s, const vcl::TRect& r) { DoEraseBackground(s, r); }, OnFSCommand, OnFlashCall);
}

// ---- movie operations ----

void TvtFlashPlayer::LoadMovie(const std::wstring& Movie) {
  FMovie = Movie;
  if (!IsLoading()) FDriver->LoadMovie(FMovie);
  if (IsDesigning()) FDriver->SetPause(true);
}

void TvtFlashPlayer::LoadMovieFromStream(vcl::TStream* Stream) {
  FMovie.clear();
  if (!IsLoading()) FDriver->LoadMovieFromStream(Stream);
  if (IsDesigning()) FDriver->SetPause(true);
}

std::wstring TvtFlashPlayer::GetVariable(const std::wstring& Name) { return FDriver->GetVariable(Name); }
void TvtFlashPlayer::SetVariable(const std::wstring& Name, const std::wstring& Value) {
  FDriver->SetVariable(Name, Value);
}
std::wstring TvtFlashPlayer::CallFunction(const std::wstring& Request) { return FDriver->CallFunction(Request); }
void TvtFlashPlayer::SetReturnValue(const std::wstring& Value) { FDriver->SetReturnValue(Value); }
void TvtFlashPlayer::Play() { FDriver->Play(); }
void TvtFlashPlayer::StopPlay() { FDriver->StopPlay(); }
void TvtFlashPlayer::Rewind() { FDriver->Rewind(); }
void TvtFlashPlayer::Forward() { FDriver->Forward(); }
void TvtFlashPlayer::Back() { FDriver->Back(); }
bool TvtFlashPlayer::GetLoop() { return FDriver->GetLoop(); }
bool TvtFlashPlayer::GetIsPlaying() { return FDriver->GetIsPlaying(); }
int32_t TvtFlashPlayer::GetCurrentFrame() { return FDriver->GetCurrentFrame(); }
int32_t TvtFlashPlayer::GetTotalFrames() { return FDriver->GetTotalFrames(); }
void TvtFlashPlayer::SetLoop(bool Value) { FDriver->SetLoop(Value); }
void TvtFlashPlayer::SetCurrentFrame(int32_t Value) { FDriver->SetCurrentFrame(Value); }

// ---- properties ----

bool TvtFlashPlayer::GetDisableFlashCursor() const { return FDriver->FDisableFlashCursor; }
void TvtFlashPlayer::SetDisableFlashCursor(bool Value) { FDriver->FDisableFlashCursor = Value; }
bool TvtFlashPlayer::GetDisableFlashMenu() const { return FDriver->FDisableFlashMenu; }
void TvtFlashPlayer::SetDisableFlashMenu(bool Value) { FDriver->FDisableFlashMenu = Value; }
bool TvtFlashPlayer::GetShowUpdateRects() const { return FDriver->FShowUpdateRects; }
void TvtFlashPlayer::SetShowUpdateRects(bool Value) { FDriver->FShowUpdateRects = Value; }

void TvtFlashPlayer::SetPlugin(TvtPlugin Value) {
  if (Value == FPlugin) return;
  FPlugin = Value;
  RecreateDriver();
}

std::string TvtFlashPlayer::GetSkin() const { return FDriver ? vcl::WideToAnsi(FDriver->FSkin) : std::string(); }
void TvtFlashPlayer::SetSkin(const std::string& Value) {
  if (FDriver) FDriver->FSkin = vcl::AnsiToWide(Value);
}
bool TvtFlashPlayer::GetPause() const { return FDriver ? FDriver->FPause : false; }
void TvtFlashPlayer::SetPause(bool Value) {
  if (FDriver) FDriver->SetPause(Value);
}
int32_t TvtFlashPlayer::GetVolume() const { return FDriver ? FDriver->FVolume : 0; }
void TvtFlashPlayer::SetVolume(int32_t Value) {
  if (FDriver) FDriver->SetVolume(Value);
}

void TvtFlashPlayer::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  if (FDriver) {
    FDriver->SetBackground(BackgroundPixel());
    FDriver->ForceUpdate();
  }
}

void TvtFlashPlayer::CMColorChanged() {
  vcl::TGraphicControl::CMColorChanged();
  if (FDriver) {
    FDriver->SetBackground(BackgroundPixel());
    FDriver->ForceUpdate();
  }
}

// ---- framework operations ----

void TvtFlashPlayer::Loaded() {
  vcl::TGraphicControl::Loaded();
  DoEraseBackground(FDriver.get(), vcl::Rect(0, 0, Width(), Height()));
  LoadMovie(FMovie);
  FDriver->FOnFSCommand = OnFSCommand;
  FDriver->FOnFlashCall = OnFlashCall;
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
