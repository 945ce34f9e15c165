// UTF-8 conversion and case-insensitive comparison of wide text. Portable:
// wchar_t holds UTF-16 code units on Windows and UTF-32 code points on the host.

#include <cstddef>

#include "framework/SysUtils.h"

namespace vcl {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendWide(std::wstring& out, char32_t c) {
  if (kWideIsUtf16 && c >= 0x10000) {
    c -= 0x10000;
    out += static_cast<wchar_t>(0xD800 + (c >> 10));
    out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
  } else {
    out += static_cast<wchar_t>(c);
  }
}

// Simple upper-case mapping of one code unit; characters outside the
// covered blocks map to themselves.
char32_t FoldUpper(char32_t c) {
  if (c < 0x80) return (c >= U'a' && c <= U'z') ? c - 0x20 : c;
  if (c < 0x100) {
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c == 0xB5) return 0x39C;
    return c;
  }
  if (c <= 0x17F) {
    // Latin Extended-A: upper/lower pairs, even-odd or odd-even by range.
    // The dotted/dotless I (U+0130, U+0131) and the long s stay as they are.
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
      return c & ~char32_t{1};
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
    return c;
  }
  if (c >= 0x370 && c <= 0x3FF) {
    if ((c >= 0x3B1 && c <= 0x3C1) || (c >= 0x3C3 && c <= 0x3CB)) return c - 0x20;
    switch (c) {
      case 0x3C2: return 0x3A3;
      case 0x3AC: return 0x386;
      case 0x3AD: return 0x388;
      case 0x3AE: return 0x389;
      case 0x3AF: return 0x38A;
      case 0x3CC: return 0x38C;
      case 0x3CD: return 0x38E;
      case 0x3CE: return 0x38F;
      default: return c;
    }
  }
  if (c >= 0x400 && c <= 0x52F) {
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
      return c & ~char32_t{1};
    if (c >= 0x4C1 && c <= 0x4CE) return (c & 1) ? c : c - 1;
    if (c == 0x4CF) return 0x4C0;
    return c;
  }
  if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;
  return c;
}

}  // namespace

std::string WideToUtf8(const std::wstring& Text) {
  std::string out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    char32_t c = static_cast<char32_t>(Text[i]);
    if constexpr (kWideIsUtf16) {
      c &= 0xFFFF;
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < Text.size()) {
        const char32_t low = static_cast<char32_t>(Text[i + 1]) & 0xFFFF;
        if (low >= 0xDC00 && low <= 0xDFFF) {
          c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
          ++i;
        }
      }
    }
    if (IsSurrogate(c) || c > 0x10FFFF) c = kReplacement;
    AppendUtf8(out, c);
  }
  return out;
}

std::wstring Utf8ToWide(const std::string& Text) {
  std::wstring out;
  out.reserve(Text.size());
  const size_t n = Text.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char lead = static_cast<unsigned char>(Text[i]);
    if (lead < 0x80) {
      out += static_cast<wchar_t>(lead);
      ++i;
      continue;
    }
    // Length and the allowed range of the second byte, which rules out
    // overlong forms, surrogates and code points above U+10FFFF.
    size_t length = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    char32_t c = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      c = lead & 0x0F;
      if (lead == 0xE0) lo = 0xA0;
      if (lead == 0xED) hi = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      c = lead & 0x07;
      if (lead == 0xF0) lo = 0x90;
      if (lead == 0xF4) hi = 0x8F;
    } else {
      // A continuation byte without lead, or a byte that never occurs.
      AppendWide(out, kReplacement);
      ++i;
      continue;
    }
    // Take continuation bytes while they are valid; a broken sequence
    // (its maximal valid prefix) becomes one replacement character.
    size_t k = 1;
    while (k < length && i + k < n) {
      const unsigned char b = static_cast<unsigned char>(Text[i + k]);
      if (b < lo || b > hi) break;
      c = (c << 6) | (b & 0x3F);
      lo = 0x80;
      hi = 0xBF;
      ++k;
    }
    AppendWide(out, k == length ? c : kReplacement);
    i += k;
  }
  return out;
}

wchar_t UpperCaseChar(wchar_t C) {
  const char32_t c = static_cast<char32_t>(C);
  return c > 0xFFFF ? C : static_cast<wchar_t>(FoldUpper(c));
}

int CompareText(const std::wstring& A, const std::wstring& B) {
  const size_t n = A.size() < B.size() ? A.size() : B.size();
  for (size_t i = 0; i < n; ++i) {
    // Compare as unsigned code units so the order is the same on every build.
    const char32_t a = static_cast<char32_t>(UpperCaseChar(A[i]));
    const char32_t b = static_cast<char32_t>(UpperCaseChar(B[i]));
    if (a != b) return a < b ? -1 : 1;
  }
  if (A.size() == B.size()) return 0;
  return A.size() < B.size() ? -1 : 1;
}

bool SameText(const std::wstring& A, const std::wstring& B) {
  return A.size() == B.size() && CompareText(A, B) == 0;
}

}  // namespace vcl
