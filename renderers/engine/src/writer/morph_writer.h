#pragma once
// The body of a DefineMorphShape or DefineMorphShape2 tag for a morph shape.

#include <cstdint>
#include <vector>

#include "renderers/engine/model.h"

namespace swf::writer {

// The tag's body (character id first), and in Version the tag version it
// needs (1 or 2). Every edge is written as one record on each side, so the
// sides keep pairing up. Throws FormatError for a morph shape that cannot be
// written (unpaired paths or edges, values out of range).
std::vector<uint8_t> MorphShapeBody(uint16_t Id, const MorphShape& M, uint8_t& Version);

}  // namespace swf::writer
