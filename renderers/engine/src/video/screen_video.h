#pragma once
// Screen Video (FLV codec 3, SWF video codec 3): frames cut into blocks of
// zlib-compressed BGR pixels; a block with no data keeps the previous
// frame's pixels, so the decoder keeps its picture from frame to frame.

#include <cstddef>
#include <cstdint>

#include "renderers/engine/src/video/decoder.h"

namespace swf::video {

class ScreenVideoDecoder final : public VideoDecoder {
 public:
  // Decodes one frame's packet (a video tag's payload after its first byte)
  // over the picture so far. Throws FormatError for a packet cut off, an
  // empty picture, or a block that does not inflate to its size; the blocks
  // before the damage are kept.
  void Decode(const uint8_t* Data, size_t Size) override;

  // Opaque pixels, rows top first; empty before the first frame.
  const Bitmap& Picture() const override { return picture_; }

 private:
  Bitmap picture_;
};

}  // namespace swf::video
