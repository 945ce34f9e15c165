#pragma once
// The video tags of an FLV file as the frames of a video character.

#include <cstdint>
#include <string>
#include <vector>

namespace swfc {

struct FlvFrames {
  uint8_t codec = 0;  // of every video tag
  // One packet a frame, in file order: each video tag's payload after its
  // first byte (the frame type and codec), as VideoFrame tags hold them.
  std::vector<std::vector<uint8_t>> packets;
};

// Throws std::runtime_error saying what is wrong: not an FLV file, damaged,
// no video tags, video tags of more than one codec, more than 65535 frames.
// Info packets (frame type 5) are no frames and are passed over.
FlvFrames ReadFlvFrames(const std::vector<uint8_t>& File);

}  // namespace swfc
