// Conversions between ANSI text and the engine's UTF-8.
#include "renderers/ansitext/ansi_text.h"

#include <windows.h>

#include <climits>

namespace swfwin {
namespace {

std::wstring ToWide(std::string_view Text, unsigned CodePage) {
  if (Text.empty() || Text.size() > INT_MAX) return {};
  const int n = MultiByteToWideChar(CodePage, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CodePage, 0, Text.data(), static_cast<int>(Text.size()), out.data(), n);
  return out;
}

std::string FromWide(const std::wstring& Text, unsigned CodePage) {
  if (Text.empty() || Text.size() > INT_MAX) return {};
  const int n = WideCharToMultiByte(CodePage, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0,
                                    nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CodePage, 0, Text.data(), static_cast<int>(Text.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

bool IsAscii(std::string_view Text) {
  for (unsigned char c : Text)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

std::string AnsiToUtf8(std::string_view Text, unsigned CodePage) {
  if (IsAscii(Text)) return std::string(Text);  // the common case, and keeps embedded zeros
  return FromWide(ToWide(Text, CodePage), CP_UTF8);
}

std::string Utf8ToAnsi(std::string_view Text, unsigned CodePage) {
  if (IsAscii(Text)) return std::string(Text);
  return FromWide(ToWide(Text, CP_UTF8), CodePage);
}

int AnsiCharReader::Feed(unsigned char Byte) {
  char bytes[2];
  int count = 0;
  if (lead_ >= 0) {
    bytes[count++] = static_cast<char>(lead_);
    lead_ = -1;
  } else if (IsDBCSLeadByteEx(codePage_, Byte)) {
    lead_ = Byte;
    return -1;
  }
  bytes[count++] = static_cast<char>(Byte);
  wchar_t wide[2] = {};
  const int n = MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, bytes, count, wide, 2);
  return n == 1 ? static_cast<int>(wide[0]) : -1;
}

}  // namespace swfwin
