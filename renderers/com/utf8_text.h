#pragma once
// UTF-16 text of COM (BSTRs, OLE strings) to and from UTF-8. Unpaired
// surrogates and invalid UTF-8 become U+FFFD.
#include <windows.h>
#include <oleauto.h>

#include <climits>
#include <string>
#include <string_view>

namespace vt {

inline std::string Utf8FromWide(std::wstring_view Text) {
  if (Text.empty() || Text.size() > INT_MAX / 4) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0,
                                    nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

inline std::wstring WideFromUtf8(std::string_view Text) {
  if (Text.empty() || Text.size() > INT_MAX) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), out.data(), n);
  return out;
}

// A BSTR's text as UTF-8; nil reads as "".
inline std::string Utf8FromBstr(BSTR S) {
  return S ? Utf8FromWide(std::wstring_view(S, SysStringLen(S))) : std::string();
}

}  // namespace vt
