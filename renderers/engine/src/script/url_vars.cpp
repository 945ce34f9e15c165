// Decoding and encoding URL-encoded variables.

#include "renderers/engine/src/script/url_vars.h"

namespace swf {
namespace {

int HexDigit(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  return -1;
}

std::string Unescape(std::string_view S) {
  std::string out;
  out.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == '+') {
      out += ' ';
    } else if (S[i] == '%' && i + 2 < S.size() && HexDigit(S[i + 1]) >= 0 &&
               HexDigit(S[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(S[i + 1]) * 16 + HexDigit(S[i + 2]));
      i += 2;
    } else {
      out += S[i];
    }
  }
  return out;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> DecodeUrlVars(std::string_view Text) {
  std::vector<std::pair<std::string, std::string>> out;
  size_t at = 0;
  while (at < Text.size()) {
    size_t end = Text.find('&', at);
    if (end == std::string_view::npos) end = Text.size();
    std::string_view pair = Text.substr(at, end - at);
    while (!pair.empty() && (pair.back() == '\n' || pair.back() == '\r')) pair.remove_suffix(1);
    const size_t eq = pair.find('=');
    std::string name = Unescape(pair.substr(0, eq));
    if (!name.empty())
      out.emplace_back(std::move(name), eq == std::string_view::npos ? "" : Unescape(pair.substr(eq + 1)));
    at = end + 1;
  }
  return out;
}

std::string UrlEscape(std::string_view Text) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out;
  out.reserve(Text.size());
  for (char ch : Text) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

}  // namespace swf
