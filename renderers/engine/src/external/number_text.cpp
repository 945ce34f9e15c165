#include "renderers/engine/src/external/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <system_error>

#include "renderers/engine/external.h"

namespace swf {

std::string FormatExternalNumber(double Value) {
  if (std::isnan(Value)) return "NaN";
  if (std::isinf(Value)) return Value < 0 ? "-Infinity" : "Infinity";
  if (Value == 0) return "0";  // -0 too
  // 15 significant digits, d.ddddddddddddddde[+-]x: the digits and the
  // decimal exponent after rounding.
  char buf[40];
  auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(Value), std::chars_format::scientific, 14);
  std::string_view sci(buf, static_cast<size_t>(r.ptr - buf));
  double back = 0;
  if (std::from_chars(sci.data(), sci.data() + sci.size(), back).ec == std::errc::result_out_of_range) {
    // Rounded up past the largest double (Number.MAX_VALUE): the digits are
    // cut instead, so the text still reads back as a finite number.
    r = std::to_chars(buf, buf + sizeof buf, std::fabs(Value), std::chars_format::scientific, 17);
    sci = std::string_view(buf, static_cast<size_t>(r.ptr - buf));
    const size_t at = sci.find('e');
    std::string cut(sci.substr(0, 16));
    cut.append(sci.substr(at));
    std::copy(cut.begin(), cut.end(), buf);
    sci = std::string_view(buf, cut.size());
  }
  const size_t e = sci.find('e');
  std::string digits;
  digits += sci[0];
  digits.append(sci.substr(2, e - 2));
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  const int exp = std::atoi(std::string(sci.substr(e + 1)).c_str());

  std::string out = Value < 0 ? "-" : "";
  if (exp >= 15 || exp < -5) {
    out += digits[0];
    if (digits.size() > 1) {
      out += '.';
      out.append(digits, 1);
    }
    out += exp < 0 ? "e-" : "e+";
    out += std::to_string(std::abs(exp));
  } else if (exp >= 0) {
    const size_t whole = static_cast<size_t>(exp) + 1;
    if (digits.size() <= whole) {
      out += digits;
      out.append(whole - digits.size(), '0');
    } else {
      out.append(digits, 0, whole);
      out += '.';
      out.append(digits, whole);
    }
  } else {
    out += "0.";
    out.append(static_cast<size_t>(-exp - 1), '0');
    out += digits;
  }
  return out;
}

namespace detail {
namespace {

bool IsSpace(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\n'; }
bool IsDigit(char C) { return C >= '0' && C <= '9'; }

// For a decimal text that does not fit a double: true when its magnitude is
// too large (rather than too small). Text is already known to be well formed.
bool Overflows(std::string_view Text) {
  long long scale = 0;  // decimal exponent of the first significant digit, roughly
  size_t i = 0;
  bool seenNonZero = false, afterPoint = false;
  for (; i < Text.size() && (IsDigit(Text[i]) || Text[i] == '.'); ++i) {
    if (Text[i] == '.') {
      afterPoint = true;
    } else if (!seenNonZero) {
      if (Text[i] != '0') {
        seenNonZero = true;
        if (afterPoint) --scale;
      } else if (afterPoint) {
        --scale;
      }
    } else if (!afterPoint) {
      ++scale;
    }
  }
  if (i < Text.size()) {  // exponent
    ++i;
    bool negative = false;
    if (Text[i] == '+' || Text[i] == '-') negative = Text[i++] == '-';
    long long exp = 0;
    for (; i < Text.size(); ++i) exp = std::min<long long>(exp * 10 + (Text[i] - '0'), 1'000'000'000);
    scale += negative ? -exp : exp;
  }
  return scale > 0;
}

}  // namespace

bool ParseNumberText(std::string_view Text, double& Value) {
  while (!Text.empty() && IsSpace(Text.front())) Text.remove_prefix(1);
  while (!Text.empty() && IsSpace(Text.back())) Text.remove_suffix(1);
  if (Text == "NaN") {
    Value = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  bool negative = false;
  if (!Text.empty() && (Text[0] == '+' || Text[0] == '-')) {
    negative = Text[0] == '-';
    Text.remove_prefix(1);
  }
  if (Text == "Infinity") {
    Value = negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    return true;
  }
  // from_chars also takes "inf" and "nan" and a leading sign; only plain
  // decimal text is a number here.
  if (Text.empty() || !(IsDigit(Text[0]) || (Text[0] == '.' && Text.size() > 1 && IsDigit(Text[1]))))
    return false;
  double v = 0;
  const auto r = std::from_chars(Text.data(), Text.data() + Text.size(), v, std::chars_format::general);
  if (r.ptr != Text.data() + Text.size()) return false;
  if (r.ec == std::errc::result_out_of_range) {
    v = Overflows(Text) ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (r.ec != std::errc()) {
    return false;
  }
  Value = negative ? -v : v;
  return true;
}

}  // namespace detail
}  // namespace swf
