#pragma once
// A video instance as the Video class reaches it. The clips that stand for
// video instances implement this beside ScriptClip.

#include <memory>

#include "renderers/engine/script.h"

namespace swf {
namespace video {
struct VideoFeed;
}

class ScriptVideo {
 public:
  virtual ~ScriptVideo() = default;
  // attachVideo: the instance shows the feed's pictures from now on instead
  // of its own frames; nullptr shows nothing. Nothing when the instance has gone.
  virtual void AttachFeed(std::shared_ptr<video::VideoFeed> Feed) = 0;
  // clear: nothing shows until the next picture.
  virtual void ClearPicture() = 0;
};

inline ScriptVideo* AsVideo(ScriptClip* C) { return dynamic_cast<ScriptVideo*>(C); }

}  // namespace swf
