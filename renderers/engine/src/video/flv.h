#pragma once
// The FLV container read progressively: the header, then each tag as soon
// as its bytes have arrived (video with its frame type and codec, audio and
// script data as they are), and the stream's onMetaData.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "renderers/engine/src/video/amf0.h"

namespace swf::video {

struct FlvTag {
  enum class Kind : uint8_t { Audio = 8, Video = 9, Script = 18 };
  uint8_t type = 0;         // as stored (Kind for the known ones); other types are passed on for the caller to skip
  uint32_t timestamp = 0;   // milliseconds, with the extended high byte
  uint64_t offset = 0;      // of the tag's first byte in the stream
  std::vector<uint8_t> data;  // the tag's payload
  // Video tags: the first byte of the payload.
  uint8_t frameType = 0;    // 1 keyframe, 2 inter frame, 3 disposable, 4 generated keyframe, 5 info
  uint8_t codec = 0;        // 2 Sorenson H.263, 3 Screen Video, 4 VP6, 5 VP6 alpha, 6 Screen Video 2, 7 AVC

  bool Is(Kind K) const { return type == static_cast<uint8_t>(K); }
};

// What onMetaData tells; 0 where the stream names nothing.
struct FlvMetaData {
  double duration = 0;   // seconds
  double width = 0, height = 0;
  double frameRate = 0;  // frames per second
  AmfValue all;          // everything the stream sent
};

class FlvReader {
 public:
  // Adds the next bytes of the stream and returns the tags they complete,
  // in order. Throws FormatError for a stream that is not FLV (the first
  // bytes are not "FLV" version 1) or a header whose data offset is wrong;
  // bytes after such an error are not read.
  std::vector<FlvTag> Append(const uint8_t* Data, size_t Size);

  bool HeaderRead() const { return headerRead_; }
  bool HasAudio() const { return hasAudio_; }
  bool HasVideo() const { return hasVideo_; }
  uint64_t BytesReceived() const { return received_; }

 private:
  bool ReadHeader();
  std::optional<FlvTag> ReadTag();

  std::vector<uint8_t> buffer_;  // bytes received and not yet read
  uint64_t consumed_ = 0;        // stream offset of buffer_[0]
  uint64_t received_ = 0;
  uint64_t skip_ = 0;            // bytes still to drop before the next tag (padding after the header)
  bool headerRead_ = false, hasAudio_ = false, hasVideo_ = false;
};

// The onMetaData a script tag carries, or nothing for another script tag.
// Throws FormatError for damaged script data.
std::optional<FlvMetaData> ReadMetaData(const FlvTag& Tag);

}  // namespace swf::video
