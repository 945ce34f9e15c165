// A video instance's picture: decoded from the embedded packets as the
// placement's ratio moves, or copied from an attached feed when its serial
// moves. Each new picture goes into a movie of its own (character 1), so a
// scene that still draws the previous one keeps it, and the scene's diff
// sees a new node and repaints it.
#include "renderers/engine/src/player/video_instance.h"

#include <algorithm>
#include <exception>
#include <string>
#include <variant>

#include "renderers/engine/src/player/drawing.h"
#include "renderers/engine/src/video/decoder.h"
#include "renderers/engine/src/video/video_feed.h"

namespace swf::detail {

VideoInstance::VideoInstance(const VideoStream& Stream, uint16_t Id)
    : stream_(Stream), id_(Id), smoothing_(Stream.smoothing), deblocking_(Stream.deblocking) {}

VideoInstance::~VideoInstance() = default;

void VideoInstance::Update(uint16_t Frame, std::vector<std::string>& Notes) {
  if (!attached_) {
    DecodeTo(Frame, Notes);
    return;
  }
  if (!feed_ || feed_->serial == feedSerial_) return;
  feedSerial_ = feed_->serial;
  Show(feed_->picture);
}

void VideoInstance::DecodeTo(uint16_t Frame, std::vector<std::string>& Notes) {
  // A ratio past the last frame shows the last one (and is no jump back from it).
  if (!stream_.frames.empty()) Frame = std::min(Frame, stream_.frames.rbegin()->first);
  if (Frame == decoded_ || unsupportedNoted_) return;
  const std::string what = "video character " + std::to_string(id_) + ": ";
  if (!decoder_ || Frame < decoded_) {
    // Inter frames build on the ones before: going back starts over.
    decoder_ = video::MakeVideoDecoder(stream_.codec);
    decoded_ = -1;
    if (!decoder_) {
      unsupportedNoted_ = true;
      Notes.push_back(what + "codec " + std::to_string(stream_.codec) + " is not decoded; it shows no picture");
      return;
    }
  }
  bool fed = false;
  const uint16_t from = static_cast<uint16_t>(decoded_ + 1);  // decoded_ < Frame <= 65535
  for (auto it = stream_.frames.lower_bound(from); it != stream_.frames.end() && it->first <= Frame; ++it) {
    fed = true;
    try {
      decoder_->Decode(it->second.data(), it->second.size());
    } catch (const std::exception& e) {
      if (!damagedNoted_)
        Notes.push_back(what + "frame " + std::to_string(it->first) + " is damaged (" + e.what() +
                        "); the picture keeps what was decoded");
      damagedNoted_ = true;
    }
  }
  decoded_ = Frame;
  if (fed) Show(decoder_->Picture());
}

void VideoInstance::Attach(std::shared_ptr<video::VideoFeed> Feed) {
  attached_ = true;
  feed_ = std::move(Feed);
  // The embedded frames are done with; a picture the feed already holds shows at once.
  decoder_.reset();
  decoded_ = -1;
  picture_.reset();
  shape_.reset();
  if (!feed_) return;
  feedSerial_ = feed_->serial;
  Show(feed_->picture);
}

void VideoInstance::Clear() {
  picture_.reset();
  shape_.reset();
}

void VideoInstance::SetSmoothing(bool On) {
  if (On == smoothing_) return;
  smoothing_ = On;
  Reshape();
}

void VideoInstance::Show(const Bitmap& Picture) {
  if (Picture.width <= 0 || Picture.height <= 0 ||
      Picture.pixels.size() < static_cast<size_t>(Picture.width) * static_cast<size_t>(Picture.height)) {
    Clear();
    return;
  }
  auto movie = std::make_shared<Movie>();
  movie->dictionary.emplace(1, Character{Picture});
  picture_ = std::move(movie);
  Reshape();
}

int32_t VideoInstance::PictureWidth() const {
  return picture_ ? std::get<Bitmap>(picture_->dictionary.at(1)).width : 0;
}

int32_t VideoInstance::PictureHeight() const {
  return picture_ ? std::get<Bitmap>(picture_->dictionary.at(1)).height : 0;
}

Rect VideoInstance::Bounds() const {
  if (stream_.width == 0 || stream_.height == 0) return {};
  return {0, 0, stream_.width * 20.0, stream_.height * 20.0};
}

void VideoInstance::Reshape() {
  if (!picture_) {
    shape_.reset();
    return;
  }
  const double pw = PictureWidth(), ph = PictureHeight();
  // A character of no size shows the picture at its own size.
  const bool sized = stream_.width > 0 && stream_.height > 0;
  const double w = sized ? stream_.width * 20.0 : pw * 20, h = sized ? stream_.height * 20.0 : ph * 20;
  Matrix scale;
  scale.a = w / pw;
  scale.d = h / ph;
  shape_ = BitmapRectangle(w, h, smoothing_ ? FillType::ClippedBitmap : FillType::NonSmoothedClippedBitmap, scale);
}

}  // namespace swf::detail
