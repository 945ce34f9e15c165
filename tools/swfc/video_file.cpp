// Reading an FLV file's video tags with the engine's own FLV reader (a tag
// cut off at the end of the file is not whole, so it is not read).
#include "tools/swfc/video_file.h"

#include <stdexcept>

#include "renderers/engine/model.h"
#include "renderers/engine/src/video/flv.h"

namespace swfc {

FlvFrames ReadFlvFrames(const std::vector<uint8_t>& File) {
  constexpr size_t kMaxFrames = 65535;  // frame numbers are 16-bit
  std::vector<swf::video::FlvTag> tags;
  swf::video::FlvReader reader;
  try {
    tags = reader.Append(File.data(), File.size());
  } catch (const swf::FormatError& e) {
    throw std::runtime_error(std::string("not a readable FLV file (") + e.what() + ")");
  }
  if (!reader.HeaderRead()) throw std::runtime_error("not an FLV file (too short)");
  FlvFrames out;
  bool first = true;
  for (swf::video::FlvTag& t : tags) {
    if (!t.Is(swf::video::FlvTag::Kind::Video) || t.data.empty() || t.frameType == 5) continue;
    if (first) out.codec = t.codec;
    first = false;
    if (t.codec != out.codec)
      throw std::runtime_error("video tags of codec " + std::to_string(out.codec) + " and " + std::to_string(t.codec));
    if (out.packets.size() >= kMaxFrames) throw std::runtime_error("more than 65535 video frames");
    t.data.erase(t.data.begin());
    out.packets.push_back(std::move(t.data));
  }
  if (first) throw std::runtime_error("no video frames");
  return out;
}

}  // namespace swfc
