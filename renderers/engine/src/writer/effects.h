#pragma once
// Writing what PlaceObject3 adds to a placement (filters, blend mode, bitmap
// caching) and DefineScalingGrid. Private to the writer.

#include <cstdint>
#include <vector>

#include "renderers/engine/model.h"
#include "renderers/engine/src/writer/bit_writer.h"

namespace swf::writer {

// The PlaceObject3 flag bits for P's effects (HasFilterList, HasBlendMode,
// HasCacheAsBitmap).
uint8_t EffectFlags(const PlaceObject& P);
// P's filter list, blend mode and cache byte, as the flags say.
void WriteEffects(BitWriter& W, const PlaceObject& P);
// The body of a DefineScalingGrid tag.
std::vector<uint8_t> ScalingGridBody(uint16_t Id, const Rect& Grid);

}  // namespace swf::writer
