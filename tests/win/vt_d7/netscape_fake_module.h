#pragma once
// The recording plug-in module (tests/fakes/npswf_recorder) as the tests use
// it: the test holds its own reference to the DLL, so the log stays readable
// after the unit has unloaded the module, and reaches the FakeNp_* exports.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "vt_d7/Vt_driver_netscape.h"

namespace vt_test {

std::wstring RecorderFolder();
std::wstring NoEntryFolder();
std::wstring RecorderPath();

class TFakeModule {
 public:
  using Hook = void (*)(const char* event, void* context);

  explicit TFakeModule(const std::wstring& Folder);
  ~TFakeModule();

  std::vector<std::string> Lines() const;
  // The lines that start with Prefix.
  std::vector<std::string> Lines(const std::string& Prefix) const;
  void Clear() const { clear_(); }
  void ClearLog() const { clearLog_(); }
  void Set(const char* Key, const char* Value) const { set_(Key, Value); }
  void SetHook(Hook H, void* Context) const { setHook_(H, Context); }
  void Invalidate(int L, int T, int R, int B) const { invalidate_(L, T, R, B); }
  bool Invoke(const char* Method, int Argc, const char* A1 = nullptr, const char* A2 = nullptr) const {
    return invoke_(Method, Argc, A1, A2);
  }
  std::string Evaluate(const char* Script) const { return evaluate_(Script); }
  int GetURLNotify(const char* Url, const char* Target) const { return getUrlNotify_(Url, Target); }
  const NPNetscapeFuncs* Browser() const { return browser_(); }
  HMODULE Handle() const { return module_; }

 private:
  HMODULE module_ = nullptr;
  const char* (*log_)() = nullptr;
  void (*clear_)() = nullptr;
  void (*clearLog_)() = nullptr;
  void (*set_)(const char*, const char*) = nullptr;
  void (*setHook_)(Hook, void*) = nullptr;
  void (*invalidate_)(int, int, int, int) = nullptr;
  bool (*invoke_)(const char*, int, const char*, const char*) = nullptr;
  const char* (*evaluate_)(const char*) = nullptr;
  int (*getUrlNotify_)(const char*, const char*) = nullptr;
  const NPNetscapeFuncs* (*browser_)() = nullptr;
};

// A location that finds the recorder through the application folder and
// nothing in the registry.
vt::TvtPluginLocation RecorderLocation();

// Loads the recorder into the unit for each test and finalises the unit
// afterwards; the log starts empty after SetUp.
class NetscapeTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::unique_ptr<vt::TvtFlashDriverNS> NewDriver(int32_t W = 100, int32_t H = 50,
                                                  uint32_t Background = 0xFF000000u);

  std::unique_ptr<TFakeModule> fake;
};

std::string Hex(const void* P);

}  // namespace vt_test
