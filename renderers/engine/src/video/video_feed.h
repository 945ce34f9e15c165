#pragma once
// What a video instance on the stage shows when a script has attached a
// stream to it (Video.attachVideo): the stream keeps the feed's picture up to
// date, the video instance draws it. The feed is shared, so either side may
// go first (a removed video instance or a closed stream just lets go).

#include <cstdint>
#include <memory>

#include "renderers/engine/model.h"
#include "renderers/engine/script.h"

namespace swf::video {

struct VideoFeed {
  Bitmap picture;       // opaque pixels, rows top first; empty: nothing to show
  uint64_t serial = 0;  // bumped on every change of picture, so drawers know to repaint
};

// The native data of a script object that can be attached to a video
// instance (a NetStream): Video.attachVideo finds the feed through it.
class VideoFeedSource : public NativeData {
 public:
  virtual std::shared_ptr<VideoFeed> Feed() = 0;
};

}  // namespace swf::video
