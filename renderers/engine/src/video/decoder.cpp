#include "renderers/engine/src/video/decoder.h"

#include "renderers/engine/src/video/h263_decoder.h"
#include "renderers/engine/src/video/screen_video.h"

namespace swf::video {

std::unique_ptr<VideoDecoder> MakeVideoDecoder(uint8_t Codec) {
  switch (static_cast<VideoCodec>(Codec)) {
    case VideoCodec::SorensonH263: return std::make_unique<H263Decoder>();
    case VideoCodec::ScreenVideo: return std::make_unique<ScreenVideoDecoder>();
    default: return nullptr;
  }
}

}  // namespace swf::video
