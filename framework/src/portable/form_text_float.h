#pragma once
// Exact conversion between the 10-byte extended floats of the binary form
// and their decimal text. Internal to the form-text converters.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vcl::form_text {

// An x87 extended value as stored: the 64-bit significand with its explicit
// integer bit, then the sign bit and the 15-bit biased exponent.
struct TExtended {
  uint64_t Mantissa = 0;
  uint16_t SignExp = 0;
  bool operator==(const TExtended&) const = default;
};

TExtended DoubleToExtended(double Value);

// Scientific notation with 21 significant digits, correctly rounded from the
// exact value: " 1.50000000000000000000E+0000", "-2.5...E-0003" (a space
// stands in for the plus sign). Infinities and NaNs come right-aligned in
// the same width: "+Inf", "-Inf", "Nan" (also for the unnormal encodings
// the FPU refuses).
std::string FormatExtended(TExtended Value);

// The extended value nearest to a decimal number ("-12.5", "1e-3", "7."):
// digits with an optional fraction and exponent, rounded to nearest, ties to
// even. Empty when the text is not such a number or its magnitude is too
// large for an extended; magnitudes too small become zero or subnormal.
std::optional<TExtended> ParseExtended(std::string_view Text);

}  // namespace vcl::form_text
