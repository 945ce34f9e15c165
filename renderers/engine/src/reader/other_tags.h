#pragma once
// Tags the engine reads without drawing them: DoInitAction, sounds, a
// button's colour transform, script limits, scene and frame label data, and
// tags about the file (product, metadata, debugger, protection, tab order).

#include <cstddef>
#include <cstdint>

#include "renderers/engine/src/reader/loader.h"

namespace swf::detail {

enum class OtherTag {
  Unknown,       // not one of these tags
  Read,          // read (or, malformed, passed over with a note)
  FrameContent,  // read, and it added to the pending frame
};

// Reads the tag Code (body B, at offset At) in the timeline of Sprite (0: the
// movie's); what it adds to the frame goes to Pending.
OtherTag ReadOtherTag(Stream& B, uint16_t Code, size_t At, uint16_t Sprite, Frame& Pending, LoadState& L);

// DefineSound, after the character id.
Sound ReadSound(Stream& S);

// Labels from DefineSceneAndFrameLabelData for the frames of T without one.
void ApplySceneLabels(Timeline& T, const LoadState& L);

}  // namespace swf::detail
