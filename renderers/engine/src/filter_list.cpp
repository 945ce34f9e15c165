#include "renderers/engine/src/filter_list.h"

namespace swf::detail {

size_t FilterListSize(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  const unsigned count = Data[0];
  size_t pos = 1;
  for (unsigned i = 0; i < count; ++i) {
    if (pos >= Size) return 0;
    const uint8_t kind = Data[pos++];
    size_t body = 0;
    switch (kind) {
      case 0: body = 23; break;  // drop shadow
      case 1: body = 9; break;   // blur
      case 2: body = 15; break;  // glow
      case 3: body = 27; break;  // bevel
      case 4:                    // gradient glow
      case 7:                    // gradient bevel: colours and ratios, then the rest
        if (pos >= Size) return 0;
        body = 1 + 5 * size_t{Data[pos]} + 19;
        break;
      case 5:  // convolution: a MatrixX x MatrixY matrix of floats
        if (Size - pos < 2) return 0;
        body = 2 + 8 + 4 * size_t{Data[pos]} * Data[pos + 1] + 5;
        break;
      case 6: body = 80; break;  // colour matrix
      default: return 0;
    }
    if (body > Size - pos) return 0;
    pos += body;
  }
  return pos;
}

}  // namespace swf::detail
