#pragma once
// A placed video character: what it shows now (its embedded frame at the
// placement's ratio, or the picture of a stream a script attached) as a
// rectangle filled with the picture, scaled into the character's size.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "renderers/engine/model.h"

namespace swf::video {
class VideoDecoder;
struct VideoFeed;
}  // namespace swf::video

namespace swf::detail {

class VideoInstance {
 public:
  // Id: the character's, for the notes.
  VideoInstance(const VideoStream& Stream, uint16_t Id);
  ~VideoInstance();
  VideoInstance(const VideoInstance&) = delete;
  VideoInstance& operator=(const VideoInstance&) = delete;

  // Brings the picture up to date: from the attached feed when its serial
  // moved, otherwise the embedded frame Frame (decoding forward from the
  // last frame decoded, or again from the first on a jump back). What went
  // wrong (a codec not decoded, a damaged packet) is appended to Notes.
  void Update(uint16_t Frame, std::vector<std::string>& Notes);

  // Shows the feed's pictures from now on instead of the embedded frames;
  // nullptr shows nothing (until another feed is attached).
  void Attach(std::shared_ptr<video::VideoFeed> Feed);
  // Shows nothing until the next picture.
  void Clear();

  bool Smoothing() const { return smoothing_; }
  void SetSmoothing(bool On);
  uint8_t Deblocking() const { return deblocking_; }
  void SetDeblocking(uint8_t Value) { deblocking_ = Value; }

  // The picture shown: its size in pixels (0 without one), the movie holding
  // it as character 1 and the rectangle filled with it (both nullptr
  // without one).
  int32_t PictureWidth() const;
  int32_t PictureHeight() const;
  const std::shared_ptr<const Movie>& PictureMovie() const { return picture_; }
  const std::shared_ptr<const Shape>& PictureShape() const { return shape_; }

  // The character's rectangle (0, 0, width, height) in twips.
  Rect Bounds() const;

 private:
  void DecodeTo(uint16_t Frame, std::vector<std::string>& Notes);
  void Show(const Bitmap& Picture);
  void Reshape();

  const VideoStream& stream_;
  const uint16_t id_;
  std::unique_ptr<video::VideoDecoder> decoder_;
  int32_t decoded_ = -1;  // the last frame number fed to the decoder; -1 none
  bool unsupportedNoted_ = false, damagedNoted_ = false;
  // Attached: the feed is the source, even a null one.
  bool attached_ = false;
  std::shared_ptr<video::VideoFeed> feed_;
  uint64_t feedSerial_ = 0;
  bool smoothing_;
  uint8_t deblocking_;
  std::shared_ptr<const Movie> picture_;
  std::shared_ptr<const Shape> shape_;
};

}  // namespace swf::detail
