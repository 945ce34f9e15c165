#pragma once
// What the end-to-end tests with the real stand-in renderers share: a movie
// compiled into a file, the stand-in module loaded, and the message loop run
// until something happened.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/Forms.h"
#include "tools/swfc/compile.h"
#include "vt_d7/Vt_driver_netscape.h"

namespace vt_test {

// The movie Description compiled into the temporary folder under Stem and a
// name of this process's own (the tests of a suite run side by side),
// removed afterwards.
class TMovieFile {
 public:
  TMovieFile(const char* Description, const std::wstring& Stem) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    path_ = std::wstring(folder) + Stem + L"_" + std::to_wstring(GetCurrentProcessId()) + L".swf";
    const std::vector<uint8_t> bytes = swfc::Compile(Description);
    HANDLE h = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
  }
  ~TMovieFile() { DeleteFileW(path_.c_str()); }
  TMovieFile(const TMovieFile&) = delete;
  TMovieFile& operator=(const TMovieFile&) = delete;
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
};

// The plug-in unit loaded with the stand-in module from its test folder
// (nothing looked up in the registry); true when the module loaded.
inline bool LoadStandInModule() {
  vt::TvtPluginLocation location;
  const std::string folder = NPSWF_STANDIN_DIR;
  location.AppFolder = std::wstring(folder.begin(), folder.end());
  location.RegistryRoot = HKEY_CURRENT_USER;
  location.KeyPath = L"Software\\vt_d7_tests\\no such key";
  vt::InitializeNetscapeDriverUnit(location);
  return vt::TvtFlashDriverNS::PluginExists();
}

// Runs the message loop (the renderers' frame timers live there) until Done
// holds or Limit has passed.
inline bool PumpUntil(const std::function<bool()>& Done,
                      std::chrono::milliseconds Limit = std::chrono::seconds(3)) {
  const auto end = std::chrono::steady_clock::now() + Limit;
  while (!Done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    vcl::Application()->ProcessMessages();
    Sleep(5);
  }
  return true;
}

}  // namespace vt_test
