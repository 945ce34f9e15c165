#pragma once
// The embedding arguments NPP_New receives: window mode, background colour
// and the initial size. Unknown names are ignored, the order is free.

#include <cstdint>
#include <optional>

namespace npswf {

struct EmbedArgs {
  bool transparent = false;            // wmode "transparent": drawn over what the context holds
  std::optional<uint32_t> background;  // bgcolor as an opaque pixel 0xFFRRGGBB
  int32_t width = 0, height = 0;       // 0: not given
};

// Argc pairs of names and values; null arrays, names or values are skipped.
EmbedArgs ParseEmbedArgs(int Argc, const char* const* Names, const char* const* Values);

// "#RRGGBB", "#0", "RRGGBB": up to six hexadecimal digits after an optional
// "#"; anything else is no colour.
std::optional<uint32_t> ParseColor(const char* Text);

}  // namespace npswf
