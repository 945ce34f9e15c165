#pragma once
// Encodings of the binary form's values that the C++ library has no word
// for: UTF-16 text (wchar_t is UTF-32 on the host) and the 10-byte x87
// extended float. Internal to the filer.

#include <array>
#include <cstdint>
#include <string>

namespace vcl::filer_encoding {

// UTF-16 code units to wide text and back. Lone surrogates become U+FFFD on
// the host; on Windows the units are taken as they are.
std::wstring Utf16ToWide(const std::u16string& Units);
std::u16string WideToUtf16(const std::wstring& Text);

// The 80-bit extended format (little-endian: 64-bit significand with an
// explicit integer bit, then sign and 15-bit exponent) to double and back.
// Values beyond double's range become infinities; NaNs stay NaNs.
double ExtendedToDouble(const std::array<uint8_t, 10>& Bytes);
std::array<uint8_t, 10> DoubleToExtended(double Value);

}  // namespace vcl::filer_encoding
