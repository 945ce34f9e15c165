// Decoding FlashVars.
#include "renderers/flashctl/flash_vars.h"

namespace flashctl {
namespace {

int HexDigit(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  return -1;
}

std::string Decode(const std::string& Text) {
  std::string out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    const char c = Text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < Text.size() && HexDigit(Text[i + 1]) >= 0 && HexDigit(Text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(Text[i + 1]) * 16 + HexDigit(Text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> ParseFlashVars(const std::string& Text) {
  std::vector<std::pair<std::string, std::string>> out;
  size_t start = 0;
  while (start <= Text.size()) {
    size_t end = Text.find('&', start);
    if (end == std::string::npos) end = Text.size();
    const std::string pair = Text.substr(start, end - start);
    const size_t eq = pair.find('=');
    std::string name = Decode(pair.substr(0, eq));
    if (!name.empty()) out.emplace_back(std::move(name), eq == std::string::npos ? std::string() : Decode(pair.substr(eq + 1)));
    start = end + 1;
  }
  return out;
}

}  // namespace flashctl
