#include "renderers/engine/src/movie/net_stream_playback.h"

#include <algorithm>
#include <utility>

#include "renderers/engine/model.h"

namespace swf::movie {
namespace {

// Damaged frames logged per stream; a stream of nothing but damage says so
// a few times, not once a frame.
constexpr int kMaxDamageLogs = 8;
// How far back currentFps looks, in frames: more than any real rate.
constexpr int kMaxFpsCount = 1000;

constexpr uint8_t kInfoFrame = 5;

bool IsKeyframe(uint8_t FrameType) { return FrameType == 1 || FrameType == 4; }

std::string Milliseconds(double Ms) { return std::to_string(static_cast<long long>(Ms)); }

}  // namespace

StreamPlayback::StreamPlayback() : feed_(std::make_shared<video::VideoFeed>()) {}

void StreamPlayback::Start(uint64_t MaxBytes) {
  reader_ = std::make_unique<video::FlvReader>();
  tags_.clear();
  next_ = 0;
  clock_ = 0;
  lastTimestamp_ = 0;
  anyTag_ = false;
  shown_.reset();
  decoder_.reset();
  codec_ = 0;
  waitForKeyframe_ = false;
  codecsLogged_.clear();
  damageLogs_ = 0;
  phase_ = Phase::Playing;
  paused_ = false;
  buffering_ = true;
  receiving_ = true;
  headerSeen_ = false;
  bytesLoaded_ = bytesTotal_ = 0;
  maxBytes_ = MaxBytes;
  nextHeader_ = 0;
  headerChecked_ = false;
}

void StreamPlayback::Receive(const uint8_t* Data, size_t Size) {
  if (!receiving_ || !Data || Size == 0) return;
  if (Size > maxBytes_ || bytesLoaded_ > maxBytes_ - Size) {
    Damaged("more data than a stream may hold");
    return;
  }
  std::vector<video::FlvTag> tags;
  try {
    tags = reader_->Append(Data, Size);
  } catch (const FormatError& e) {
    Damaged(e.what());
    return;
  }
  if (!headerSeen_ && reader_->HeaderRead()) {
    headerSeen_ = true;
    Status("NetStream.Play.Start");
  }
  if (!tags.empty()) {
    const video::FlvTag& last = tags.back();
    nextHeader_ = last.offset + kTagHeader + last.data.size() + 4;
    headerChecked_ = false;
  }
  const bool framed = CheckNextHeader(Data, Size);
  bytesLoaded_ += Size;
  ReadTags(std::move(tags));
  if (receiving_ && !framed) Damaged("FLV: no tag header at offset " + std::to_string(nextHeader_));
  CheckBuffer();
}

bool StreamPlayback::CheckNextHeader(const uint8_t* Data, size_t Size) {
  // Data holds the stream's bytes from offset bytesLoaded_ on.
  const uint64_t begin = bytesLoaded_, end = bytesLoaded_ + Size;
  auto copy = [&](uint8_t* To, uint64_t From, size_t N) {
    const uint64_t lo = std::max(begin, From), hi = std::min(end, From + N);
    for (uint64_t o = lo; o < hi; ++o) To[o - From] = Data[o - begin];
  };
  if (nextHeader_ == 0) {
    copy(fileHeader_, 0, kFileHeader);
    if (end < kFileHeader) return true;
    uint32_t offset = 0;
    for (size_t i = 5; i < kFileHeader; ++i) offset = offset << 8 | fileHeader_[i];
    nextHeader_ = uint64_t{offset} + 4;
  }
  if (headerChecked_) return true;
  copy(tagHeader_, nextHeader_, kTagHeader);
  if (end < nextHeader_ + kTagHeader) return true;
  headerChecked_ = true;
  const uint8_t type = tagHeader_[0] & 0x1F;
  const bool known = type == 8 || type == 9 || type == 18;
  // The stream id that follows the timestamp is always 0.
  return known && tagHeader_[8] == 0 && tagHeader_[9] == 0 && tagHeader_[10] == 0;
}

void StreamPlayback::ReadTags(std::vector<video::FlvTag> Tags) {
  using Kind = video::FlvTag::Kind;
  for (video::FlvTag& t : Tags) {
    if (!t.Is(Kind::Audio) && !t.Is(Kind::Video) && !t.Is(Kind::Script)) {
      // Nothing else follows an FLV header: this is not a stream any more.
      Damaged("FLV: a tag of type " + std::to_string(t.type) + " at offset " + std::to_string(t.offset));
      return;
    }
    anyTag_ = true;
    lastTimestamp_ = std::max(lastTimestamp_, t.timestamp);
    if (t.Is(Kind::Video)) {
      if (t.data.empty() || t.frameType == kInfoFrame) continue;
      VideoTag v;
      v.timestamp = t.timestamp;
      v.frameType = t.frameType;
      v.codec = t.codec;
      v.data.assign(t.data.begin() + 1, t.data.end());
      tags_.push_back(std::move(v));
    } else if (t.Is(Kind::Script)) {
      try {
        if (std::optional<video::FlvMetaData> m = video::ReadMetaData(t)) {
          StreamEvent e;
          e.kind = StreamEvent::Kind::MetaData;
          e.data = std::move(m->all);
          events_.push_back(std::move(e));
        }
      } catch (const FormatError& e) {
        Log(std::string("video stream: script data skipped: ") + e.what());
      }
    }
    // Audio is read and skipped: the engine plays no sound.
  }
}

void StreamPlayback::Damaged(const std::string& What) {
  receiving_ = false;
  reader_.reset();
  if (!anyTag_) {
    Log("video stream: " + What);
    phase_ = Phase::Idle;
    buffering_ = false;
    Status("NetStream.Play.StreamNotFound", "error");
    return;
  }
  Log("video stream: " + What + "; playing what came before");
  CheckBuffer();
}

void StreamPlayback::EndOfData(bool Ok) {
  if (!receiving_) return;
  receiving_ = false;
  reader_.reset();
  if (!Ok && !anyTag_) {
    phase_ = Phase::Idle;
    buffering_ = false;
    Status("NetStream.Play.StreamNotFound", "error");
    return;
  }
  if (!headerSeen_) {
    Log("video stream: too short for FLV");
    phase_ = Phase::Idle;
    buffering_ = false;
    Status("NetStream.Play.StreamNotFound", "error");
    return;
  }
  if (!Ok) Log("video stream: the download failed; playing what came");
  CheckBuffer();
}

void StreamPlayback::SetTotalBytes(uint64_t Total) {
  if (receiving_) bytesTotal_ = Total;
}

void StreamPlayback::Status(const std::string& Code, const std::string& Level, std::optional<double> Details) {
  StreamEvent e;
  e.code = Code;
  e.level = Level;
  e.details = Details;
  events_.push_back(std::move(e));
}

void StreamPlayback::Log(const std::string& Text) {
  StreamEvent e;
  e.kind = StreamEvent::Kind::Log;
  e.text = Text;
  events_.push_back(std::move(e));
}

// ---- the clock ----

void StreamPlayback::CheckBuffer() {
  if (phase_ != Phase::Playing || !buffering_) return;
  const bool enough = !receiving_ || (anyTag_ && BufferLength() >= bufferTime_);
  if (!enough) return;
  buffering_ = false;
  Status("NetStream.Buffer.Full");
  DecodeUpToClock();
}

void StreamPlayback::Tick(double Ms) {
  if (phase_ != Phase::Playing || paused_) return;
  if (buffering_) {
    CheckBuffer();  // bufferTime may have changed
    return;
  }
  clock_ += Ms;
  DecodeUpToClock();
  CheckEnd();
}

void StreamPlayback::CheckEnd() {
  if (next_ < tags_.size() || clock_ < lastTimestamp_) return;
  clock_ = std::min(clock_, static_cast<double>(lastTimestamp_));
  if (receiving_) {
    buffering_ = true;
    Status("NetStream.Buffer.Empty");
  } else {
    phase_ = Phase::Stopped;
    Status("NetStream.Buffer.Flush");
    Status("NetStream.Play.Stop");
  }
}

void StreamPlayback::DecodeUpToClock() {
  bool changed = false;
  while (next_ < tags_.size() && tags_[next_].timestamp <= clock_) changed = DecodeTag(tags_[next_++]) || changed;
  if (changed) Publish();
}

bool StreamPlayback::DecodeTag(const VideoTag& T) {
  shown_ = T.timestamp;
  if (waitForKeyframe_ && !IsKeyframe(T.frameType)) return false;
  if (!decoder_ || codec_ != T.codec) {
    decoder_ = video::MakeVideoDecoder(T.codec);
    codec_ = T.codec;
  }
  if (!decoder_) {
    if (codecsLogged_.insert(T.codec).second)
      Log("video: codec " + std::to_string(T.codec) + " is not decoded; the picture stays as it was");
    return false;
  }
  try {
    decoder_->Decode(T.data.data(), T.data.size());
    waitForKeyframe_ = false;
    return true;
  } catch (const FormatError& e) {
    waitForKeyframe_ = true;
    if (damageLogs_ < kMaxDamageLogs) {
      ++damageLogs_;
      Log("video: damaged frame at " + Milliseconds(T.timestamp) + " ms (" + e.what() +
          "); skipped up to the next keyframe");
    }
    return false;
  }
}

void StreamPlayback::Publish() {
  if (!decoder_ || decoder_->Picture().pixels.empty()) return;
  feed_->picture = decoder_->Picture();
  ++feed_->serial;
}

// ---- what scripts do ----

void StreamPlayback::Pause(std::optional<bool> Paused) {
  if (phase_ == Phase::Idle) return;
  const bool paused = Paused.value_or(!paused_);
  if (paused == paused_) return;
  paused_ = paused;
  Status(paused ? "NetStream.Pause.Notify" : "NetStream.Unpause.Notify");
}

void StreamPlayback::Seek(double Seconds) {
  if (phase_ == Phase::Idle) return;
  double target = Seconds * 1000;
  if (!(target >= 0)) target = 0;  // negative or NaN: the start
  if (receiving_ && target > lastTimestamp_) {
    Status("NetStream.Seek.InvalidTime", "error", lastTimestamp_ / 1000.0);
    return;
  }
  // The latest keyframe at or before the time.
  std::optional<size_t> key;
  for (size_t i = 0; i < tags_.size(); ++i)
    if (IsKeyframe(tags_[i].frameType) && tags_[i].timestamp <= target &&
        (!key || tags_[i].timestamp >= tags_[*key].timestamp))
      key = i;
  decoder_.reset();
  waitForKeyframe_ = false;
  if (key) {
    clock_ = tags_[*key].timestamp;
    next_ = *key;
    if (DecodeTag(tags_[next_++])) Publish();
  } else {
    // No keyframe to start from: the clock goes there and frames wait for one.
    clock_ = std::min(target, static_cast<double>(lastTimestamp_));
    next_ = 0;
    while (next_ < tags_.size() && tags_[next_].timestamp <= clock_) ++next_;
    waitForKeyframe_ = true;
  }
  Status("NetStream.Seek.Notify");
  phase_ = Phase::Playing;
  buffering_ = true;  // playing goes on once the buffer is full again
  CheckBuffer();
}

void StreamPlayback::Close() {
  receiving_ = false;
  reader_.reset();
  tags_.clear();
  tags_.shrink_to_fit();
  next_ = 0;
  clock_ = 0;
  shown_.reset();
  decoder_.reset();
  phase_ = Phase::Idle;
  paused_ = buffering_ = false;
}

void StreamPlayback::SetBufferTime(double Seconds) {
  bufferTime_ = Seconds >= 0 ? std::min(Seconds, 86400.0) : 0;
}

// ---- what scripts read ----

double StreamPlayback::Time() const { return (shown_ ? *shown_ : clock_) / 1000.0; }

uint64_t StreamPlayback::BytesTotal() const { return std::max(bytesTotal_, bytesLoaded_); }

double StreamPlayback::BufferLength() const {
  if (phase_ != Phase::Playing) return 0;
  return std::max(0.0, lastTimestamp_ - clock_) / 1000.0;
}

double StreamPlayback::CurrentFps() const {
  if (!Running()) return 0;
  int count = 0;
  for (size_t i = next_; i > 0 && count < kMaxFpsCount && tags_[i - 1].timestamp + 1000.0 > clock_; --i) ++count;
  return count;
}

std::optional<StreamEvent> StreamPlayback::NextEvent() {
  if (events_.empty()) return std::nullopt;
  StreamEvent e = std::move(events_.front());
  events_.pop_front();
  return e;
}

bool StreamPlayback::Busy() const { return receiving_ || phase_ == Phase::Playing || !events_.empty(); }

}  // namespace swf::movie
