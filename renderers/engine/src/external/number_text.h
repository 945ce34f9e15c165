#pragma once
// Reading the number text of a <number> element.

#include <string_view>

namespace swf::detail {

// Reads a decimal number ("5", "-0.5", "1e+21", ".5", "+3") or "NaN",
// "Infinity", "-Infinity", with optional surrounding whitespace. A magnitude
// beyond the double range reads as infinity, one below it as zero. False for
// anything else.
bool ParseNumberText(std::string_view Text, double& Value);

}  // namespace swf::detail
