#include "recording_driver.h"

#include "vt_d7/Vt_driver_activex.h"

namespace vt_test {

Log* TRecordingDriver::log = nullptr;
bool TRecordingDriver::present = true;
bool TRecordingDriver::throwOnCreate = false;
int TRecordingDriver::instances = 0;

std::string RectText(const vcl::TRect& R) {
  return std::to_string(R.Left) + "," + std::to_string(R.Top) + "," + std::to_string(R.Right) + "," +
         std::to_string(R.Bottom);
}

std::string Narrow(const std::wstring& Text) { return vcl::WideToUtf8(Text); }

std::string ShiftText(vcl::TShiftState Shift) {
  std::string s;
  const std::pair<vcl::TShiftStateFlag, const char*> names[] = {
      {vcl::ssShift, "shift"}, {vcl::ssAlt, "alt"},       {vcl::ssCtrl, "ctrl"},    {vcl::ssLeft, "left"},
      {vcl::ssRight, "right"}, {vcl::ssMiddle, "middle"}, {vcl::ssDouble, "double"}};
  for (auto& [flag, name] : names)
    if (Shift.Contains(flag)) s += s.empty() ? name : std::string("+") + name;
  return s.empty() ? "-" : s;
}

static const char* ButtonText(vcl::TMouseButton B) {
  return B == vcl::mbLeft ? "left" : B == vcl::mbRight ? "right" : "middle";
}

const vt::TvtFlashDriverClass& TRecordingDriver::ClassRef() {
  static const vt::TvtFlashDriverClassOf<TRecordingDriver> ref(L"TRecordingDriver");
  return ref;
}

TRecordingDriver::TRecordingDriver(uint32_t ABackground) : vt::TvtFlashDriver(ABackground) {
  Record(std::string("create callbacks=") + (FOnEraseBackground || FOnPaint ? "set" : "unset"));
  if (throwOnCreate) throw vcl::EOleException(L"control failed", static_cast<int32_t>(E_FAIL));
  ++instances;
}

TRecordingDriver::~TRecordingDriver() {
  --instances;
  Record("destroy");
  if (onDestroy) onDestroy();
  TRecordingDriver::FreeBuffer();
}

void TRecordingDriver::CreateBuffer() {
  Record("CreateBuffer " + std::to_string(FWidth) + "x" + std::to_string(FHeight));
  vt::TvtFlashDriver::CreateBuffer();
}
void TRecordingDriver::ResizeBuffer() { Record("ResizeBuffer"); }
void TRecordingDriver::ForceUpdate() { Record("ForceUpdate"); }
void TRecordingDriver::SetBackground(uint32_t Value) {
  char text[32];
  std::snprintf(text, sizeof text, "SetBackground %08X", Value);
  Record(text);
  vt::TvtFlashDriver::SetBackground(Value);
}
void TRecordingDriver::MouseDown(vcl::TMouseButton B, vcl::TShiftState S, int32_t X, int32_t Y) {
  Record(std::string("MouseDown ") + ButtonText(B) + " " + ShiftText(S) + " " + std::to_string(X) + "," +
         std::to_string(Y));
}
void TRecordingDriver::MouseMove(vcl::TShiftState S, int32_t X, int32_t Y) {
  Record("MouseMove " + ShiftText(S) + " " + std::to_string(X) + "," + std::to_string(Y));
}
void TRecordingDriver::MouseUp(vcl::TMouseButton B, vcl::TShiftState S, int32_t X, int32_t Y) {
  Record(std::string("MouseUp ") + ButtonText(B) + " " + ShiftText(S) + " " + std::to_string(X) + "," +
         std::to_string(Y));
}
void TRecordingDriver::MouseWheel(vcl::TShiftState S, int32_t X, int32_t Y, int32_t Delta, bool& Handled) {
  Record("MouseWheel " + ShiftText(S) + " " + std::to_string(X) + "," + std::to_string(Y) + " " +
         std::to_string(Delta) + (Handled ? " handled" : " unhandled"));
  Handled = true;
}
void TRecordingDriver::KeyDown(uint16_t& Key, vcl::TShiftState S) {
  Record("KeyDown " + std::to_string(Key) + " " + ShiftText(S));
}
void TRecordingDriver::KeyPress(wchar_t& Key, vcl::TShiftState S) {
  Record("KeyPress " + std::to_string(static_cast<int>(Key)) + " " + ShiftText(S));
}
void TRecordingDriver::KeyUp(uint16_t& Key, vcl::TShiftState S) {
  Record("KeyUp " + std::to_string(Key) + " " + ShiftText(S));
}
void TRecordingDriver::LoadMovie(const std::wstring& Movie) { Record("LoadMovie '" + Narrow(Movie) + "'"); }
void TRecordingDriver::LoadMovieFromStream(vcl::TStream*) { Record("LoadMovieFromStream"); }
void TRecordingDriver::Play() { Record("Play"); }
void TRecordingDriver::StopPlay() { Record("StopPlay"); }
std::wstring TRecordingDriver::CallFunction(const std::wstring& Request) {
  Record("CallFunction " + Narrow(Request));
  return L"<string>answer</string>";
}
void TRecordingDriver::SetVariable(const std::wstring& Name, const std::wstring& Value) {
  Record("SetVariable " + Narrow(Name) + "=" + Narrow(Value));
}

RecordingScope::RecordingScope() {
  vt::InitializeFlashPlayerUnit();
  vt::InitializeActiveXDriverUnit();
  vt::CheckFlashPlugins();  // the probe runs now, so it cannot override the class below
  vt::DefaultFlashDriverClass = &TRecordingDriver::ClassRef();
  TRecordingDriver::log = &log;
  TRecordingDriver::present = true;
  TRecordingDriver::throwOnCreate = false;
}

RecordingScope::~RecordingScope() {
  TRecordingDriver::log = nullptr;
  TRecordingDriver::throwOnCreate = false;
  vt::InitializeFlashPlayerUnit();
  vt::InitializeActiveXDriverUnit();
}

}  // namespace vt_test
