#include "framework/Graphics.h"

namespace vcl {

uint32_t ColorToRGB(TColor Color) {
  if (Color < 0) return static_cast<uint32_t>(GetSysColor(Color & 0xFF));
  return static_cast<uint32_t>(Color) & 0x00FFFFFFu;
}

}  // namespace vcl
