#include "screen_capture.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "framework/SysUtils.h"

namespace xdisplay {

void PumpMessages(DWORD Ms) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < Ms);
}

std::optional<ScreenCapture> ScreenCapture::FromEnvironment() {
  wchar_t folder[MAX_PATH];
  DWORD length = GetEnvironmentVariableW(L"VT_XDISPLAY_EXCHANGE", folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  return ScreenCapture(folder);
}

XwdImage ScreenCapture::Take(DWORD TimeoutMs) {
  const std::wstring base = folder_ + L"\\shot-" + std::to_wstring(++taken_);
  const std::wstring answer = base + L".xwd";
  HANDLE request = CreateFileW((base + L".request").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (request == INVALID_HANDLE_VALUE)
    throw std::runtime_error("cannot leave a screenshot request in " + vcl::WideToUtf8(folder_));
  CloseHandle(request);

  const DWORD start = GetTickCount();
  while (GetFileAttributesW(answer.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (GetTickCount() - start > TimeoutMs)
      throw std::runtime_error("no screenshot arrived within " + std::to_string(TimeoutMs) + " ms");
    PumpMessages(20);
  }
  std::ifstream file(answer.c_str(), std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!file.good() && !file.eof()) throw std::runtime_error("cannot read " + vcl::WideToUtf8(answer));
  return XwdImage::Read(std::move(bytes));
}

}  // namespace xdisplay
