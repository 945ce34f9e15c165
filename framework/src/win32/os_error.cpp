#include <windows.h>

#include "framework/SysUtils.h"

namespace vcl {

std::wstring SysErrorMessage(unsigned long ErrorCode) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     ErrorCode, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text;
  if (length && buffer) text.assign(buffer, length);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  if (text.empty()) text = L"Unknown error " + std::to_wstring(ErrorCode);
  return text;
}

void RaiseLastOSError(unsigned long ErrorCode) {
  if (ErrorCode == 0) throw EOSError(L"A call to an OS function failed", 0);
  throw EOSError(L"System Error. Code: " + std::to_wstring(ErrorCode) + L". " + SysErrorMessage(ErrorCode), ErrorCode);
}

void RaiseLastOSError() { RaiseLastOSError(GetLastError()); }

}  // namespace vcl
