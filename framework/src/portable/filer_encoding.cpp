#include "filer_encoding.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace vcl::filer_encoding {

std::wstring Utf16ToWide(const std::u16string& Units) {
  std::wstring result;
  result.reserve(Units.size());
  if constexpr (sizeof(wchar_t) == 2) {
    for (char16_t u : Units) result.push_back(static_cast<wchar_t>(u));
  } else {
    for (size_t i = 0; i < Units.size(); ++i) {
      const char32_t u = Units[i];
      if (u >= 0xD800 && u <= 0xDBFF && i + 1 < Units.size() && Units[i + 1] >= 0xDC00 && Units[i + 1] <= 0xDFFF) {
        result.push_back(static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (Units[i + 1] - 0xDC00)));
        ++i;
      } else if (u >= 0xD800 && u <= 0xDFFF) {
        result.push_back(static_cast<wchar_t>(0xFFFD));
      } else {
        result.push_back(static_cast<wchar_t>(u));
      }
    }
  }
  return result;
}

std::u16string WideToUtf16(const std::wstring& Text) {
  std::u16string result;
  result.reserve(Text.size());
  for (wchar_t c : Text) {
    const auto u = static_cast<uint32_t>(c);
    if (sizeof(wchar_t) == 2 || u < 0x10000) {
      result.push_back(static_cast<char16_t>(u));
    } else if (u <= 0x10FFFF) {
      result.push_back(static_cast<char16_t>(0xD800 + ((u - 0x10000) >> 10)));
      result.push_back(static_cast<char16_t>(0xDC00 + ((u - 0x10000) & 0x3FF)));
    } else {
      result.push_back(u'\xFFFD');
    }
  }
  return result;
}

double ExtendedToDouble(const std::array<uint8_t, 10>& Bytes) {
  uint64_t mantissa = 0;
  for (int i = 7; i >= 0; --i) mantissa = (mantissa << 8) | Bytes[static_cast<size_t>(i)];
  const unsigned signExp = static_cast<unsigned>(Bytes[8]) | (static_cast<unsigned>(Bytes[9]) << 8);
  const bool negative = (signExp & 0x8000) != 0;
  const int exponent = static_cast<int>(signExp & 0x7FFF);
  double value;
  if (exponent == 0x7FFF) {
    value = (mantissa << 1) == 0 ? HUGE_VAL : std::nan("");
  } else {
    // value = mantissa * 2^(exponent - 16383 - 63); denormals use exponent 1.
    value = std::ldexp(static_cast<double>(mantissa), (exponent == 0 ? 1 : exponent) - 16383 - 63);
  }
  return negative ? -value : value;
}

std::array<uint8_t, 10> DoubleToExtended(double Value) {
  const uint64_t bits = std::bit_cast<uint64_t>(Value);
  const bool negative = (bits >> 63) != 0;
  const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
  uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
  uint64_t mantissa = 0;
  unsigned outExp = 0;
  if (exponent == 0x7FF) {
    outExp = 0x7FFF;
    mantissa = (uint64_t{1} << 63) | (fraction << 11);
  } else if (exponent == 0) {
    if (fraction != 0) {
      // A double denormal is a normal extended: normalise the fraction.
      int shift = std::countl_zero(fraction);
      mantissa = fraction << shift;
      outExp = static_cast<unsigned>(16383 - 1022 - (shift - 11));
    }
  } else {
    mantissa = (uint64_t{1} << 63) | (fraction << 11);
    outExp = static_cast<unsigned>(exponent - 1023 + 16383);
  }
  std::array<uint8_t, 10> out{};
  for (size_t i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(mantissa >> (8 * i));
  const unsigned signExp = outExp | (negative ? 0x8000u : 0u);
  out[8] = static_cast<uint8_t>(signExp);
  out[9] = static_cast<uint8_t>(signExp >> 8);
  return out;
}

}  // namespace vcl::filer_encoding
