// The FLV container: a 9-byte header ("FLV", version, audio and video
// flags, the offset of the body), then tags, each followed by the size of
// the tag before it. Tags are cut from the bytes as they complete, so a
// stream can be played while it arrives; a tag's payload is at most 16 MiB
// (its size field has 24 bits), which bounds the bytes held.
#include "renderers/engine/src/video/flv.h"

#include <algorithm>
#include <string>

#include "renderers/engine/model.h"

namespace swf::video {
namespace {

constexpr size_t kHeaderSize = 9;
constexpr size_t kTagHeaderSize = 11;
constexpr size_t kPreviousSize = 4;  // the size of the previous tag, after every tag and after the header

uint32_t BigEndian(const uint8_t* P, int N) {
  uint32_t v = 0;
  for (int i = 0; i < N; ++i) v = v << 8 | P[i];
  return v;
}

}  // namespace

std::vector<FlvTag> FlvReader::Append(const uint8_t* Data, size_t Size) {
  std::vector<FlvTag> tags;
  if (Size == 0) return tags;
  received_ += Size;
  buffer_.insert(buffer_.end(), Data, Data + Size);
  if (!headerRead_ && !ReadHeader()) return tags;
  size_t used = 0;
  for (;;) {
    if (skip_) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(skip_, buffer_.size() - used));
      used += n;
      skip_ -= n;
      if (skip_) break;
    }
    const size_t left = buffer_.size() - used;
    if (left < kTagHeaderSize) break;
    const uint8_t* h = buffer_.data() + used;
    const size_t size = BigEndian(h + 1, 3);
    if (left < kTagHeaderSize + size) break;
    FlvTag tag;
    tag.type = h[0] & 0x1F;
    tag.timestamp = BigEndian(h + 4, 3) | static_cast<uint32_t>(h[7]) << 24;
    tag.offset = consumed_ + used;
    tag.data.assign(h + kTagHeaderSize, h + kTagHeaderSize + size);
    if (tag.Is(FlvTag::Kind::Video) && !tag.data.empty()) {
      tag.frameType = tag.data[0] >> 4;
      tag.codec = tag.data[0] & 0x0F;
    }
    used += kTagHeaderSize + size;
    skip_ = kPreviousSize;
    tags.push_back(std::move(tag));
  }
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(used));
  consumed_ += used;
  return tags;
}

bool FlvReader::ReadHeader() {
  const size_t have = std::min(buffer_.size(), size_t{3});
  if (!std::equal(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(have), "FLV"))
    throw FormatError("FLV: the stream does not begin with \"FLV\"");
  if (buffer_.size() < kHeaderSize) return false;
  if (buffer_[3] != 1) throw FormatError("FLV: version " + std::to_string(buffer_[3]) + " is not 1");
  const uint32_t offset = BigEndian(buffer_.data() + 5, 4);
  if (offset < kHeaderSize) throw FormatError("FLV: the body begins at " + std::to_string(offset) + ", inside the header");
  hasAudio_ = buffer_[4] & 0x04;
  hasVideo_ = buffer_[4] & 0x01;
  headerRead_ = true;
  // The body begins at the offset the header names; the first tag follows
  // the size of the (absent) tag before it.
  buffer_.erase(buffer_.begin(), buffer_.begin() + kHeaderSize);
  consumed_ = kHeaderSize;
  skip_ = uint64_t{offset} - kHeaderSize + kPreviousSize;
  return true;
}

std::optional<FlvMetaData> ReadMetaData(const FlvTag& Tag) {
  if (!Tag.Is(FlvTag::Kind::Script)) return std::nullopt;
  size_t pos = 0;
  const AmfValue name = ReadAmf0(Tag.data.data(), Tag.data.size(), pos);
  if (name.type != AmfValue::Type::String || name.string != "onMetaData") return std::nullopt;
  FlvMetaData m;
  m.all = ReadAmf0(Tag.data.data(), Tag.data.size(), pos);
  auto number = [&m](const char* Name) {
    const AmfValue* v = m.all.Member(Name);
    return v && v->type == AmfValue::Type::Number ? v->number : 0.0;
  };
  m.duration = number("duration");
  m.width = number("width");
  m.height = number("height");
  m.frameRate = number("framerate");
  return m;
}

}  // namespace swf::video
