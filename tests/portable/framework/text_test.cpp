#include <gtest/gtest.h>

#include "framework/SysUtils.h"

using namespace vcl;

namespace {

// A supplementary-plane character (U+1F600) as wide text on this build.
std::wstring Grin() {
  if constexpr (sizeof(wchar_t) == 2)
    return std::wstring{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
  else
    return std::wstring(1, static_cast<wchar_t>(0x1F600));
}

std::wstring Replacement(size_t n = 1) { return std::wstring(n, static_cast<wchar_t>(0xFFFD)); }

}  // namespace

TEST(Utf8, RoundTripsEveryEncodingLength) {
  const std::wstring text = L"A\u00E9\u20AC" + Grin() + L"z";
  const std::string utf8 = WideToUtf8(text);
  EXPECT_EQ(utf8, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z");
  EXPECT_EQ(Utf8ToWide(utf8), text);
  // Embedded NULs are text like any other.
  const std::wstring withNul(L"a\0b", 3);
  EXPECT_EQ(Utf8ToWide(WideToUtf8(withNul)), withNul);
}

TEST(Utf8, LoneSurrogatesAndOutOfRangeBecomeReplacement) {
  std::wstring bad;
  bad += static_cast<wchar_t>(0xD800);  // high surrogate followed by a letter
  bad += L'x';
  bad += static_cast<wchar_t>(0xDC00);  // low surrogate alone
  EXPECT_EQ(WideToUtf8(bad), "\xEF\xBF\xBDx\xEF\xBF\xBD");
  // A high surrogate at the very end.
  EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xDBFF))), "\xEF\xBF\xBD");
  if constexpr (sizeof(wchar_t) == 4) {
    EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xEF\xBF\xBD");
    EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(-1))), "\xEF\xBF\xBD");
  }
}

TEST(Utf8, InvalidInputBecomesOneReplacementPerMaximalPart) {
  struct Case {
    const char* input;
    std::wstring expected;
  };
  const Case cases[] = {
      {"\x80", Replacement()},                     // continuation without lead
      {"\xC0\xAF", Replacement(2)},                // overlong lead byte, then a stray continuation
      {"\xE0\x80\xAF", Replacement(3)},            // overlong three-byte form
      {"\xED\xA0\x80", Replacement(3)},            // encoded surrogate
      {"\xF4\x90\x80\x80", Replacement(4)},        // above U+10FFFF
      {"\xF5\x80", Replacement(2)},                // byte that never occurs
      {"\xE2\x82", Replacement()},                 // truncated at the end
      {"\xE2\x82" "A", Replacement() + L"A"},      // truncated before ASCII
      {"\xF0\x9F\x98", Replacement()},             // truncated four-byte
      {"a\xFF" "b", L"a" + Replacement() + L"b"},
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8ToWide(c.input), c.expected) << c.input;
  // Valid sequences at the edges of the ranges still decode.
  EXPECT_EQ(Utf8ToWide("\xED\x9F\xBF"), std::wstring(1, static_cast<wchar_t>(0xD7FF)));
  EXPECT_EQ(Utf8ToWide("\xEE\x80\x80"), std::wstring(1, static_cast<wchar_t>(0xE000)));
  EXPECT_EQ(WideToUtf8(Utf8ToWide("\xF4\x8F\xBF\xBF")), "\xF4\x8F\xBF\xBF");
}

TEST(Utf8, ExceptionWhatIsUtf8) {
  const Exception e(L"caf\u00E9 " + Grin());
  EXPECT_STREQ(e.what(), "caf\xC3\xA9 \xF0\x9F\x98\x80");
  const EOleException ole(L"failed", static_cast<int32_t>(0x80004005));
  EXPECT_EQ(ole.ErrorCode(), static_cast<int32_t>(0x80004005));
  const EOleSysError& base = ole;  // caught as its base classes too
  EXPECT_EQ(base.Message(), L"failed");
}

TEST(SameText, FoldsLatinGreekAndCyrillicCase) {
  EXPECT_TRUE(SameText(L"Hello World", L"hELLO wORLD"));
  EXPECT_TRUE(SameText(L"\u00C9T\u00C9", L"\u00E9t\u00E9"));                  // É, é
  EXPECT_TRUE(SameText(L"\u0178", L"\u00FF"));                                // Ÿ, ÿ
  EXPECT_TRUE(SameText(L"\u0141\u00F3d\u017A", L"\u0142\u00D3D\u0179"));      // Łódź
  EXPECT_TRUE(SameText(L"\u03A3\u039F\u03A6\u0399\u0391", L"\u03C3\u03BF\u03C6\u03B9\u03B1"));  // ΣΟΦΙΑ
  EXPECT_TRUE(SameText(L"\u03C2", L"\u03A3"));                                // final sigma
  EXPECT_TRUE(SameText(L"\u041C\u043E\u0441\u043A\u0432\u0430", L"\u043C\u041E\u0421\u041A\u0412\u0410"));
  EXPECT_TRUE(SameText(L"\u0401", L"\u0451"));                                // Ё, ё
  EXPECT_FALSE(SameText(L"abc", L"abd"));
  EXPECT_FALSE(SameText(L"abc", L"ab"));
  EXPECT_FALSE(SameText(L"\u00D7", L"\u00F7"));  // × and ÷ are not a case pair
  EXPECT_FALSE(SameText(L"a", L"\u00E0"));       // no accent folding
}

TEST(SameText, CompareTextOrdersByFoldedCodeUnits) {
  EXPECT_EQ(CompareText(L"apple", L"APPLE"), 0);
  EXPECT_EQ(CompareText(L"apple", L"Banana"), -1);
  EXPECT_EQ(CompareText(L"Banana", L"apple"), 1);
  EXPECT_EQ(CompareText(L"ab", L"AB c"), -1);  // prefix first
  EXPECT_EQ(CompareText(L"AB c", L"ab"), 1);
  // Folding is to upper case: '_' (0x5F) sorts after every letter.
  EXPECT_EQ(CompareText(L"a_", L"az"), 1);
  // Code units compare unsigned on every build.
  EXPECT_EQ(CompareText(std::wstring(1, static_cast<wchar_t>(0xFF21)), L"z"), 1);
}
