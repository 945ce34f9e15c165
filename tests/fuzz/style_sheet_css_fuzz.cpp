// CSS text as TextField.StyleSheet.parseCSS reads it: any text is either
// rejected or read into rules whose selectors are non-empty and blank-free.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "renderers/engine/src/text/style_sheet_css.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string text(reinterpret_cast<const char*>(Data), Size);
  const auto rules = swf::detail::ParseCss(text);
  if (!rules) return 0;
  for (const auto& rule : *rules) {
    if (rule.selectors.empty()) std::abort();
    for (const auto& s : rule.selectors) {
      if (s.empty() || s.find_first_of(" \t\r\n") != std::string::npos) std::abort();
    }
  }
  return 0;
}
