#pragma once
// One interface over the video codecs, so FLV streams and SWF video
// characters pick a decoder by the codec id both formats share and keep it
// for the stream's life (inter frames build on the decoder's picture).

#include <cstddef>
#include <cstdint>
#include <memory>

#include "renderers/engine/model.h"

namespace swf::video {

// Codec ids as FLV video tags and DefineVideoStream store them.
enum class VideoCodec : uint8_t {
  SorensonH263 = 2, ScreenVideo = 3, Vp6 = 4, Vp6Alpha = 5, ScreenVideo2 = 6, Avc = 7,
};

class VideoDecoder {
 public:
  virtual ~VideoDecoder() = default;
  // Decodes one frame's packet (an FLV video tag's payload after its first
  // byte, or a VideoFrame tag's data) over the picture so far. Throws
  // FormatError for a damaged packet; the picture then keeps what was
  // decoded before the damage.
  virtual void Decode(const uint8_t* Data, size_t Size) = 0;
  // Opaque pixels, rows top first; empty before the first frame.
  virtual const Bitmap& Picture() const = 0;
};

// A decoder for the codec, or nullptr for one this engine does not decode.
std::unique_ptr<VideoDecoder> MakeVideoDecoder(uint8_t Codec);

}  // namespace swf::video
