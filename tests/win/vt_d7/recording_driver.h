#pragma once
// A driver that records the calls its player makes, and a class reference
// whose PluginExists the test decides, for driving selection and players.

#include <string>
#include <vector>

#include "vt_d7/Vt_flashplayer.h"

namespace vt_test {

using Log = std::vector<std::string>;

std::string RectText(const vcl::TRect& R);

class TRecordingDriver : public vt::TvtFlashDriver {
 public:
  static Log* log;                // where every instance records; may be null
  static bool present;            // what PluginExists answers
  static bool throwOnCreate;      // the constructor raises
  static int instances;           // live instances

  explicit TRecordingDriver(uint32_t ABackground);
  ~TRecordingDriver() override;
  static bool PluginExists() { return present; }
  static const vt::TvtFlashDriverClass& ClassRef();
  std::wstring ClassName() const override { return L"TRecordingDriver"; }
  const vt::TvtFlashDriverClass& ClassType() const override { return ClassRef(); }

  void CreateBuffer() override;
  void ResizeBuffer() override;
  void ForceUpdate() override;
  void SetBackground(uint32_t Value) override;
  void MouseDown(vcl::TMouseButton Button, vcl::TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(vcl::TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(vcl::TMouseButton Button, vcl::TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseWheel(vcl::TShiftState Shift, int32_t X, int32_t Y, int32_t WheelDelta, bool& Handled) override;
  void KeyDown(uint16_t& Key, vcl::TShiftState Shift) override;
  void KeyPress(wchar_t& Key, vcl::TShiftState Shift) override;
  void KeyUp(uint16_t& Key, vcl::TShiftState Shift) override;
  void LoadMovie(const std::wstring& Movie) override;
  void LoadMovieFromStream(vcl::TStream* Stream) override;
  void Play() override;
  void StopPlay() override;
  std::wstring CallFunction(const std::wstring& Request) override;
  void SetVariable(const std::wstring& Name, const std::wstring& Value) override;

  void Record(const std::string& Entry) const {
    if (log) log->push_back(Entry);
  }
  // Runs inside the destructor, after the player dropped its reference.
  std::function<void()> onDestroy;
};

// Makes TRecordingDriver the default class for the scope, with a fresh log,
// and restores the unit state afterwards.
class RecordingScope {
 public:
  RecordingScope();
  ~RecordingScope();
  Log log;
};

// A class reference with a fixed answer, for the selection table.
class TFixedClass final : public vt::TvtFlashDriverClass {
 public:
  TFixedClass(const wchar_t* Name, bool Exists) : name_(Name), exists_(Exists) {}
  std::wstring ClassName() const override { return name_; }
  bool PluginExists() const override { return exists_; }
  std::unique_ptr<vt::TvtFlashDriver> Create(int32_t W, int32_t H, uint32_t B) const override {
    return vt::NewDriver<vt::TvtFlashDriver>(W, H, B);
  }

 private:
  const wchar_t* name_;
  bool exists_;
};

std::string Narrow(const std::wstring& Text);
std::string ShiftText(vcl::TShiftState Shift);

}  // namespace vt_test
