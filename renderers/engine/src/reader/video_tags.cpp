// Video characters: the stream's size, codec and flags, then its frames'
// packets as VideoFrame tags deliver them.
#include "renderers/engine/src/reader/video_tags.h"

#include <string>
#include <variant>

namespace swf::detail {

VideoStream ReadVideoStream(Stream& S, LoadState& L, size_t At) {
  VideoStream v;
  v.frameCount = S.U16();
  v.width = S.U16();
  v.height = S.U16();
  const uint8_t flags = S.U8();
  v.deblocking = static_cast<uint8_t>((flags >> 1) & 0x07);
  v.smoothing = flags & 0x01;
  v.codec = S.U8();
  L.Charge(sizeof(VideoStream), At);
  return v;
}

void ReadVideoFrame(Stream& S, LoadState& L, size_t At) {
  if (S.Remaining() < 4) {
    L.Note("video frame at offset " + std::to_string(At) + " is too short to name its stream: dropped");
    return;
  }
  const uint16_t id = S.U16();
  const uint16_t number = S.U16();
  auto drop = [&](const std::string& Why) {
    if (L.droppedVideoFrames.insert(id).second)
      L.Note("video frame " + std::to_string(number) + " of character " + std::to_string(id) + " at offset " +
             std::to_string(At) + " is dropped: " + Why);
  };
  const auto found = L.movie->dictionary.find(id);
  auto* stream = found == L.movie->dictionary.end() ? nullptr : std::get_if<VideoStream>(&found->second);
  if (!stream) return drop("no video stream of that id is defined before it");
  if (number >= stream->frameCount)
    return drop("the stream has " + std::to_string(stream->frameCount) + " frames");
  const size_t size = S.Remaining();
  L.Charge(size + sizeof(std::vector<uint8_t>), At);
  // A frame given twice keeps the later packet.
  stream->frames[number].assign(S.Here(), S.Here() + size);
}

}  // namespace swf::detail
