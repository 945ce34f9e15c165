// DefineVideoStream and its VideoFrame tags. The frames follow the
// definition at once, in frame order: the reader keeps every packet with its
// stream wherever it stands, so they need not wait for their frame.
#include "renderers/engine/src/writer/video_writer.h"

#include <string>

#include "renderers/engine/src/tag_codes.h"
#include "renderers/engine/src/writer/writer_parts.h"

namespace swf::writer {

void WriteVideoStream(BitWriter& Out, uint16_t Id, const VideoStream& V) {
  if (V.deblocking > 7) throw FormatError("video " + std::to_string(Id) + ": deblocking must be 0..7");
  BitWriter d;
  d.U16(Id);
  d.U16(V.frameCount);
  d.U16(V.width);
  d.U16(V.height);
  d.U8(static_cast<uint8_t>((V.deblocking << 1) | (V.smoothing ? 1 : 0)));
  d.U8(V.codec);
  WriteTag(Out, kDefineVideoStream, d.bytes());
  for (const auto& [number, packet] : V.frames) {
    BitWriter f;
    f.U16(Id);
    f.U16(number);
    f.Bytes(packet);
    WriteTag(Out, kVideoFrame, f.bytes());
  }
}

}  // namespace swf::writer
