#include <windows.h>

#include <climits>

#include "framework/SysUtils.h"

namespace vcl {

namespace {

[[noreturn]] void ConversionError(unsigned CodePage, DWORD Error) {
  throw EConvertError(L"Cannot convert text in code page " + std::to_wstring(CodePage) + L": " + SysErrorMessage(Error));
}

int CheckedLength(size_t Length, unsigned CodePage) {
  if (Length > static_cast<size_t>(INT_MAX)) ConversionError(CodePage, ERROR_ARITHMETIC_OVERFLOW);
  return static_cast<int>(Length);
}

}  // namespace

std::string WideToAnsi(const std::wstring& Text, unsigned CodePage) {
  if (Text.empty()) return {};
  const int length = CheckedLength(Text.size(), CodePage);
  // Characters the code page lacks become its default character ('?').
  const int needed = WideCharToMultiByte(CodePage, 0, Text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) ConversionError(CodePage, GetLastError());
  std::string out(static_cast<size_t>(needed), '\0');
  if (WideCharToMultiByte(CodePage, 0, Text.data(), length, out.data(), needed, nullptr, nullptr) != needed)
    ConversionError(CodePage, GetLastError());
  return out;
}

std::wstring AnsiToWide(const std::string& Text, unsigned CodePage) {
  if (Text.empty()) return {};
  const int length = CheckedLength(Text.size(), CodePage);
  const int needed = MultiByteToWideChar(CodePage, 0, Text.data(), length, nullptr, 0);
  if (needed <= 0) ConversionError(CodePage, GetLastError());
  std::wstring out(static_cast<size_t>(needed), L'\0');
  if (MultiByteToWideChar(CodePage, 0, Text.data(), length, out.data(), needed) != needed)
    ConversionError(CodePage, GetLastError());
  return out;
}

}  // namespace vcl
