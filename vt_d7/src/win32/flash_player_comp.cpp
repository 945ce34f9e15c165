#include "framework/SysUtils.h"
#include "vt_d7/Vt_flashplayer.h"

namespace vt {

TvtFlashPlayerComp::TvtFlashPlayerComp(vcl::TComponent* AOwner) : vcl::TComponent(AOwner) {
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
      [this](vcl::TObject* s, const vcl::TRect& r) { DoEraseBackground(s, r); }, OnFSCommand, OnFlashCall);
}

// ---- movie operations ----

void TvtFlashPlayerComp::LoadMovie(const std::wstring& Movie) {
  FMovie = Movie;
  if (!IsLoading()) FDriver->LoadMovie(FMovie);
  if (IsDesigning()) FDriver->SetPause(true);
}

void TvtFlashPlayerComp::LoadMovieFromStream(vcl::TStream* Stream) {
  FMovie.clear();
  if (!IsLoading()) FDriver->LoadMovieFromStream(Stream);
  if (IsDesigning()) FDriver->SetPause(true);
}

std::wstring TvtFlashPlayerComp::GetVariable(const std::wstring& Name) { return FDriver->GetVariable(Name); }
void TvtFlashPlayerComp::SetVariable(const std::wstring& Name, const std::wstring& Value) {
  FDriver->SetVariable(Name, Value);
}
std::wstring TvtFlashPlayerComp::CallFunction(const std::wstring& Request) { return FDriver->CallFunction(Request); }
void TvtFlashPlayerComp::SetReturnValue(const std::wstring& Value) { FDriver->SetReturnValue(Value); }
void TvtFlashPlayerComp::Play() { FDriver->Play(); }
void TvtFlashPlayerComp::StopPlay() { FDriver->StopPlay(); }
void TvtFlashPlayerComp::Rewind() { FDriver->Rewind(); }
void TvtFlashPlayerComp::Forward() { FDriver->Forward(); }
void TvtFlashPlayerComp::Back() { FDriver->Back(); }
bool TvtFlashPlayerComp::GetLoop() { return FDriver->GetLoop(); }
bool TvtFlashPlayerComp::GetIsPlaying() { return FDriver->GetIsPlaying(); }
int32_t TvtFlashPlayerComp::GetCurrentFrame() { return FDriver->GetCurrentFrame(); }
int32_t TvtFlashPlayerComp::GetTotalFrames() { return FDriver->GetTotalFrames(); }
void TvtFlashPlayerComp::SetLoop(bool Value) { FDriver->SetLoop(Value); }
void TvtFlashPlayerComp::SetCurrentFrame(int32_t Value) { FDriver->SetCurrentFrame(Value); }

// ---- properties ----

void TvtFlashPlayerComp::SetPlugin(TvtPlugin Value) {
  if (Value == FPlugin) return;
  FPlugin = Value;
  RecreateDriver();
}

std::string TvtFlashPlayerComp::GetSkin() const {
  return FDriver ? vcl::WideToAnsi(FDriver->FSkin) : std::string();
}
void TvtFlashPlayerComp::SetSkin(const std::string& Value) {
  if (FDriver) FDriver->FSkin = vcl::AnsiToWide(Value);
}
bool TvtFlashPlayerComp::GetPause() const { return FDriver ? FDriver->FPause : false; }
void TvtFlashPlayerComp::SetPause(bool Value) {
  if (FDriver) FDriver->SetPause(Value);
}
int32_t TvtFlashPlayerComp::GetVolume() const { return FDriver ? FDriver->FVolume : 0; }
void TvtFlashPlayerComp::SetVolume(int32_t Value) {
  if (FDriver) FDriver->SetVolume(Value);
}

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
  if (FDriver) {
    FDriver->FOnFSCommand = OnFSCommand;
    FDriver->FOnFlashCall = OnFlashCall;
  }
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
