#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/SysUtils.h"

using namespace vcl;

TEST(AnsiText, RoundTripsInShiftJis) {
  // "日本語テキスト" plus ASCII and a half-width katakana.
  const std::wstring text = L"abc \u65E5\u672C\u8A9E\u30C6\u30AD\u30B9\u30C8 \uFF71";
  const std::string sjis = WideToAnsi(text, 932);
  EXPECT_EQ(sjis, "abc \x93\xfa\x96\x7b\x8c\xea\x83\x65\x83\x4c\x83\x58\x83\x67 \xb1");
  EXPECT_EQ(AnsiToWide(sjis, 932), text);
  // A trail byte that is also '\\' (0x5C) in ASCII: U+8868 is 0x95 0x5C.
  EXPECT_EQ(AnsiToWide("\x95\x5C", 932), L"\u8868");
  EXPECT_EQ(WideToAnsi(L"\u8868", 932), "\x95\x5C");
  // Embedded NULs are kept.
  const std::wstring withNul(L"x\0y", 3);
  EXPECT_EQ(AnsiToWide(WideToAnsi(withNul, 932), 932), withNul);
  EXPECT_EQ(WideToAnsi(L"", 932), "");
  EXPECT_EQ(AnsiToWide("", 932), L"");
}

TEST(AnsiText, UnmappableCharactersAndCodePages) {
  // Cyrillic is not in Windows-1252: the default character stands in.
  EXPECT_EQ(WideToAnsi(L"a\u0416b", 1252), "a?b");
  EXPECT_EQ(AnsiToWide("\xE9", 1252), L"\u00E9");
  EXPECT_EQ(WideToAnsi(L"\u00E9", 65001), "\xC3\xA9");
  // The default code page is the system's ANSI one.
  EXPECT_EQ(AnsiToWide(WideToAnsi(L"plain")), L"plain");
  EXPECT_EQ(WideToAnsi(L"abc"), WideToAnsi(L"abc", GetACP()));
  // A code page that does not exist is an error, not empty text.
  EXPECT_THROW(WideToAnsi(L"abc", 12345), EConvertError);
  EXPECT_THROW(AnsiToWide("abc", 12345), EConvertError);
}

TEST(OSError, RaiseLastOSErrorCarriesCodeAndSystemText) {
  try {
    RaiseLastOSError(ERROR_FILE_NOT_FOUND);
    FAIL() << "no exception";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
    const std::wstring system = SysErrorMessage(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(system.empty());
    EXPECT_NE(system.back(), L'\n');  // no trailing line break
    EXPECT_EQ(e.Message(), L"System Error. Code: 2. " + system);
  }
  SetLastError(ERROR_ACCESS_DENIED);
  try {
    RaiseLastOSError();
    FAIL() << "no exception";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), static_cast<unsigned long>(ERROR_ACCESS_DENIED));
  }
  EXPECT_EQ(SysErrorMessage(0xDEADBEEF), L"Unknown error " + std::to_wstring(0xDEADBEEFul));
}
