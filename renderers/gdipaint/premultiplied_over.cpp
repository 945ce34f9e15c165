// The row loop of the layer composite, on the frame path of every
// transparent paint: no branch per pixel, so the compiler keeps it tight.
#include "renderers/gdipaint/premultiplied_over.h"

namespace swfwin {

void CompositeOver(uint32_t* __restrict Dest, const uint32_t* __restrict Source, int32_t Count) {
  for (int32_t i = 0; i < Count; ++i) Dest[i] = OverPixel(Source[i], Dest[i]);
}

}  // namespace swfwin
