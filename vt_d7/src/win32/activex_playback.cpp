// The driver's movie operations, each one call of the control's dual
// interface. Failure results raise EOleException; a driver without control
// does nothing and answers False, 0 or "".
#include "activex_unit.h"

namespace vt {

namespace {

constexpr long kMinimumMajorVersion = 8;

}  // namespace

bool TvtFlashDriverActiveX::VersionAtLeast8(IvtFlashPlayer* Control) {
  long version = 0;
  OleCheck(Control->FlashVersion(&version));
  return (static_cast<unsigned long>(version) >> 16) >= kMinimumMajorVersion;
}

void TvtFlashDriverActiveX::Play() {
  if (const auto c = GetControlInterface()) OleCheck(c->Play());
}

void TvtFlashDriverActiveX::StopPlay() {
  if (const auto c = GetControlInterface()) OleCheck(c->StopPlay());
}

void TvtFlashDriverActiveX::Rewind() {
  if (const auto c = GetControlInterface()) OleCheck(c->Rewind());
}

void TvtFlashDriverActiveX::Forward() {
  if (const auto c = GetControlInterface()) OleCheck(c->Forward());
}

void TvtFlashDriverActiveX::Back() {
  if (const auto c = GetControlInterface()) OleCheck(c->Back());
}

bool TvtFlashDriverActiveX::GetLoop() {
  VARIANT_BOOL loop = VARIANT_FALSE;
  if (const auto c = GetControlInterface()) OleCheck(c->get_Loop(&loop));
  return loop != VARIANT_FALSE;
}

void TvtFlashDriverActiveX::SetLoop(bool Value) {
  if (const auto c = GetControlInterface()) OleCheck(c->put_Loop(Value ? VARIANT_TRUE : VARIANT_FALSE));
}

bool TvtFlashDriverActiveX::GetIsPlaying() {
  VARIANT_BOOL playing = VARIANT_FALSE;
  if (const auto c = GetControlInterface()) OleCheck(c->IsPlaying(&playing));
  return playing != VARIANT_FALSE;
}

int32_t TvtFlashDriverActiveX::GetCurrentFrame() {
  long frame = 0;
  if (const auto c = GetControlInterface()) OleCheck(c->CurrentFrame(&frame));
  return frame;
}

int32_t TvtFlashDriverActiveX::GetTotalFrames() {
  long frames = 0;
  if (const auto c = GetControlInterface()) OleCheck(c->get_TotalFrames(&frames));
  return frames;
}

void TvtFlashDriverActiveX::SetCurrentFrame(int32_t Value) {
  if (const auto c = GetControlInterface()) OleCheck(c->put_FrameNum(Value));
}

std::wstring TvtFlashDriverActiveX::GetVariable(const std::wstring& Name) {
  const auto c = GetControlInterface();
  if (!c) return {};
  const TBstr name(Name);
  TBstr value;
  OleCheck(c->GetVariable(name.Get(), value.Receive()));
  return value.Text();
}

void TvtFlashDriverActiveX::SetVariable(const std::wstring& Name, const std::wstring& Value) {
  if (FFlashNotAvailable) return;
  const auto c = GetControlInterface();
  if (!c) return;
  const TBstr name(Name), value(Value);
  OleCheck(c->SetVariable(name.Get(), value.Get()));
}

std::wstring TvtFlashDriverActiveX::CallFunction(const std::wstring& Request) {
  if (FFlashNotAvailable) return {};
  const auto c = GetControlInterface();
  if (!c || !VersionAtLeast8(c.Get())) return {};
  const TBstr request(Request);
  TBstr answer;
  OleCheck(c->CallFunction(request.Get(), answer.Receive()));
  return answer.Text();
}

void TvtFlashDriverActiveX::SetReturnValue(const std::wstring& Value) {
  if (FFlashNotAvailable) return;
  const auto c = GetControlInterface();
  if (!c || !VersionAtLeast8(c.Get())) return;
  const TBstr value(Value);
  OleCheck(c->SetReturnValue(value.Get()));
}

}  // namespace vt
