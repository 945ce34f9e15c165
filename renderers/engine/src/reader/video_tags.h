#pragma once
// DefineVideoStream and VideoFrame: a video character and the packets of
// its frames, kept by frame number for the player to decode.

#include <cstddef>
#include <cstdint>

#include "renderers/engine/src/reader/loader.h"

namespace swf::detail {

// DefineVideoStream, after the character id.
VideoStream ReadVideoStream(Stream& S, LoadState& L, size_t At);

// VideoFrame (tag at offset At): the packet joins the stream it names. A
// frame of a stream not defined before it, or numbered past the stream's
// frame count, is dropped with a note (once per stream).
void ReadVideoFrame(Stream& S, LoadState& L, size_t At);

}  // namespace swf::detail
