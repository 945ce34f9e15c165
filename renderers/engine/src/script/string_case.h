#pragma once
// Case mapping of UTF-16 units as String.toUpperCase and toLowerCase do it.

namespace swf {

char16_t LowerCaseOf(char16_t C);
char16_t UpperCaseOf(char16_t C);

}  // namespace swf
