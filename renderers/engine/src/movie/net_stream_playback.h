#pragma once
// One FLV stream played while it downloads: the bytes go through an FLV
// reader as they arrive, video tags are kept (a seek goes back to any
// keyframe received), and a clock the movie's ticks move decodes them in
// timestamp order into a shared feed. What scripts hear (onStatus codes,
// onMetaData, log lines) is queued as events for the caller to hand out
// once no script runs, so nothing here calls out while it works.
//
// The clock stops when it reaches the end of the data received while more
// is on its way (Buffer.Empty) and goes on once bufferTime seconds are
// ahead of it, or the download ended (Buffer.Full). Everything is bounded:
// the bytes kept, the log lines, the frames decoded per tick (by the data).

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "renderers/engine/src/video/decoder.h"
#include "renderers/engine/src/video/flv.h"
#include "renderers/engine/src/video/video_feed.h"

namespace swf::movie {

struct StreamEvent {
  enum class Kind { Status, MetaData, Log };
  Kind kind = Kind::Status;
  std::string code;               // Status: "NetStream.Play.Start", ...
  std::string level;              // Status: "status" or "error"
  std::optional<double> details;  // Status: Seek.InvalidTime's latest time
  video::AmfValue data;           // MetaData: what onMetaData carried
  std::string text;               // Log
};

class StreamPlayback {
 public:
  StreamPlayback();

  // ---- the download ----
  // Starts over for a new download of at most MaxBytes: what was received
  // goes, the feed keeps its picture until the first new frame.
  void Start(uint64_t MaxBytes);
  void Receive(const uint8_t* Data, size_t Size);  // ignored unless a download is in progress
  void EndOfData(bool Ok);                          // the download finished or failed
  void SetTotalBytes(uint64_t Total);               // the size the host knows, when it knows it
  bool Receiving() const { return receiving_; }

  // ---- what scripts do ----
  // Advances the clock by Ms when playing (not paused, not buffering).
  void Tick(double Ms);
  // Nothing: toggles. Changes report Pause.Notify or Unpause.Notify.
  void Pause(std::optional<bool> Paused);
  void Seek(double Seconds);
  // Stops and forgets the download; the feed keeps its picture.
  void Close();
  void SetBufferTime(double Seconds);

  // ---- what scripts read ----
  double Time() const;  // seconds of the frame shown
  uint64_t BytesLoaded() const { return bytesLoaded_; }
  uint64_t BytesTotal() const;
  double BufferTime() const { return bufferTime_; }
  double BufferLength() const;  // seconds received ahead of the clock
  double CurrentFps() const;    // frames shown in the last second of playing
  std::shared_ptr<video::VideoFeed> Feed() const { return feed_; }

  // Events in the order they happened, one at a time.
  std::optional<StreamEvent> NextEvent();
  // Still worth ticking or keeping alive: a download in progress, playing, or events to hand out.
  bool Busy() const;

 private:
  enum class Phase { Idle, Playing, Stopped };
  struct VideoTag {
    uint32_t timestamp = 0;
    uint8_t frameType = 0;
    uint8_t codec = 0;
    std::vector<uint8_t> data;  // the payload after its first byte
  };

  void ReadTags(std::vector<video::FlvTag> Tags);
  // Looks at the next tag's header as soon as its bytes are in: a stream
  // that goes on with garbage is refused then, not after waiting for the
  // megabytes its size field may claim. False when it is no tag header.
  bool CheckNextHeader(const uint8_t* Data, size_t Size);
  void Damaged(const std::string& What);  // the rest of the data is unreadable
  void Status(const std::string& Code, const std::string& Level = "status", std::optional<double> Details = {});
  void Log(const std::string& Text);
  void CheckBuffer();
  void CheckEnd();
  // Decodes every video tag up to the clock, in order; the feed shows the last.
  void DecodeUpToClock();
  bool DecodeTag(const VideoTag& T);  // true when the decoder's picture changed
  void Publish();
  bool Running() const { return phase_ == Phase::Playing && !paused_ && !buffering_; }

  std::shared_ptr<video::VideoFeed> feed_;
  std::unique_ptr<video::FlvReader> reader_;
  std::vector<VideoTag> tags_;
  size_t next_ = 0;        // the next tag to decode
  double clock_ = 0;       // milliseconds
  uint32_t lastTimestamp_ = 0;  // the latest of any tag received
  bool anyTag_ = false;
  std::optional<uint32_t> shown_;  // timestamp of the last video tag played
  std::unique_ptr<video::VideoDecoder> decoder_;
  uint8_t codec_ = 0;
  bool waitForKeyframe_ = false;
  std::set<uint8_t> codecsLogged_;
  int damageLogs_ = 0;

  Phase phase_ = Phase::Idle;
  bool paused_ = false, buffering_ = false;
  bool receiving_ = false, headerSeen_ = false;
  uint64_t bytesLoaded_ = 0, bytesTotal_ = 0, maxBytes_ = 0;
  double bufferTime_ = 0.1;
  std::deque<StreamEvent> events_;

  // The stream's framing, followed beside the reader (CheckNextHeader).
  static constexpr size_t kFileHeader = 9, kTagHeader = 11;
  uint8_t fileHeader_[kFileHeader] = {};
  uint8_t tagHeader_[kTagHeader] = {};
  uint64_t nextHeader_ = 0;  // stream offset of the next tag's header; 0 until the file header is in
  bool headerChecked_ = false;  // the next tag's header has been looked at
};

}  // namespace swf::movie
