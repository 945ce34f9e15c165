#pragma once
// A video character as tags: its DefineVideoStream, then a VideoFrame for
// each packet it holds.

#include <cstdint>

#include "renderers/engine/model.h"
#include "renderers/engine/src/writer/bit_writer.h"

namespace swf::writer {

// Throws FormatError for a field the tag cannot hold (a deblocking value
// past 7).
void WriteVideoStream(BitWriter& Out, uint16_t Id, const VideoStream& V);

}  // namespace swf::writer
