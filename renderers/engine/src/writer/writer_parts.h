#pragma once
// Pieces of the movie writer (writer.cpp) that the writers of other
// definitions share.

#include <cstdint>
#include <vector>

#include "renderers/engine/model.h"
#include "renderers/engine/src/writer/bit_writer.h"

namespace swf::writer {

// A tag with a short or long header as its body needs.
void WriteTag(BitWriter& Out, uint16_t Code, const std::vector<uint8_t>& Body);

// S's paths as shape records up to the end record, with style numbers of
// FillBits and LineBits bits (after those two counts). Id names the shape in errors.
void WriteShapeRecords(BitWriter& W, const Shape& S, uint16_t Id, int FillBits, int LineBits);

}  // namespace swf::writer
