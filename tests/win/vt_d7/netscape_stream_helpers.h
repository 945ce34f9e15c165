#pragma once
// What the stream tests share: stored movies and files made for a test, a current folder set
// for a test, the lines of one delivery, and a message loop run until a
// condition holds.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "framework/SysUtils.h"
#include "vt_d7/Vt_flashplayer.h"

namespace vt_test {

inline std::wstring TempFolder() {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return folder;
}

// A stored movie registered in FlashList for the object's life.
class TStoredMovie {
 public:
  TStoredMovie(const std::wstring& Name, const std::string& Bytes) : list_(nullptr) {
    vt::TvtFlashStream* item = list_.Flashs()->Add();
    item->FStream->WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    item->SetFlashStore(Name);
    item_ = item;
  }
  vt::TvtFlashStream* Item() const { return item_; }

 private:
  vt::TvtFlashList list_;
  vt::TvtFlashStream* item_;
};

// A file with Content at Path, removed afterwards.
class TTestFile {
 public:
  TTestFile(std::wstring Path, const std::string& Content) : path_(std::move(Path)) {
    HANDLE h = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, Content.data(), static_cast<DWORD>(Content.size()), &written, nullptr);
    CloseHandle(h);
  }
  ~TTestFile() { DeleteFileW(path_.c_str()); }
  TTestFile(const TTestFile&) = delete;
  TTestFile& operator=(const TTestFile&) = delete;
  const std::wstring& Path() const { return path_; }
  std::string Ansi() const { return vcl::WideToAnsi(path_); }

 private:
  std::wstring path_;
};

// The current folder, set to Folder for the object's life.
class TCurrentFolder {
 public:
  explicit TCurrentFolder(const std::wstring& Folder) {
    wchar_t old[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, old);
    old_ = old;
    SetCurrentDirectoryW(Folder.c_str());
  }
  ~TCurrentFolder() { SetCurrentDirectoryW(old_.c_str()); }

 private:
  std::wstring old_;
};

// The four lines of a stream delivered in one piece, as the recorder logs
// them.
inline std::vector<std::string> Delivery(const std::string& Url, size_t Size, const std::string& Data,
                                         const std::string& Notify = "99") {
  const std::string n = std::to_string(Size);
  return {"NPP_NewStream application/x-shockwave-flash url=" + Url + " end=" + n +
              " seekable=1 stype=1 notify=" + Notify,
          "NPP_Write url=" + Url + " offset=0 len=" + n + " data=" + Data,
          "NPP_URLNotify url=" + Url + " reason=0 notify=" + Notify, "NPP_DestroyStream url=" + Url + " reason=0"};
}

// Runs the thread's message loop until Done holds or Seconds have passed.
inline bool PumpMessagesUntil(const std::function<bool()>& Done, int Seconds = 10) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(Seconds);
  while (!Done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  }
  return true;
}

}  // namespace vt_test
