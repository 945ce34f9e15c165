// Reading the embedding arguments of a new instance.
#include "renderers/npswf/embed_args.h"

#include <cctype>
#include <cstring>

namespace npswf {
namespace {

bool SameName(const char* A, const char* B) {
  for (; *A && *B; ++A, ++B)
    if (std::tolower(static_cast<unsigned char>(*A)) != std::tolower(static_cast<unsigned char>(*B)))
      return false;
  return *A == *B;
}

// A decimal size from 0 to 65535; anything else is 0 (not given).
int32_t ParseSize(const char* Text) {
  int32_t v = 0;
  if (!*Text) return 0;
  for (; *Text; ++Text) {
    if (!std::isdigit(static_cast<unsigned char>(*Text))) return 0;
    v = v * 10 + (*Text - '0');
    if (v > 65535) return 0;
  }
  return v;
}

}  // namespace

std::optional<uint32_t> ParseColor(const char* Text) {
  if (!Text) return std::nullopt;
  if (*Text == '#') ++Text;
  const size_t n = std::strlen(Text);
  if (n == 0 || n > 6) return std::nullopt;
  uint32_t rgb = 0;
  for (size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(Text[i]);
    if (!std::isxdigit(c)) return std::nullopt;
    rgb = rgb * 16 + static_cast<uint32_t>(std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10);
  }
  return 0xFF000000u | rgb;
}

EmbedArgs ParseEmbedArgs(int Argc, const char* const* Names, const char* const* Values) {
  EmbedArgs out;
  if (!Names || !Values) return out;
  for (int i = 0; i < Argc; ++i) {
    const char* name = Names[i];
    const char* value = Values[i];
    if (!name || !value) continue;
    if (SameName(name, "wmode"))
      out.transparent = SameName(value, "transparent");
    else if (SameName(name, "bgcolor"))
      out.background = ParseColor(value);
    else if (SameName(name, "width"))
      out.width = ParseSize(value);
    else if (SameName(name, "height"))
      out.height = ParseSize(value);
  }
  return out;
}

}  // namespace npswf
