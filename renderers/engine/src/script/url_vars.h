#pragma once
// URL-encoded variables ("a=1&b=two%20words") as LoadVars reads and writes
// them. Portable.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace swf {

// Name and value pairs in the order written; + is a space, %XX a byte, a
// pair without = has an empty value, line ends closing a value are dropped.
std::vector<std::pair<std::string, std::string>> DecodeUrlVars(std::string_view Text);
// Every byte but ASCII letters and digits as %XX, as escape() does.
std::string UrlEscape(std::string_view Text);

}  // namespace swf
