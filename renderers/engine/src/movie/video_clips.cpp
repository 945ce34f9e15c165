// Video instances for scripts: finding them by name, the properties they
// answer, and attaching a stream's feed or clearing the picture.
#include "renderers/engine/src/movie/video_clips.h"

#include <cmath>

#include "renderers/engine/src/movie/movie_state.h"
#include "renderers/engine/src/player/display_list.h"
#include "renderers/engine/src/player/video_instance.h"
#include "renderers/engine/src/video/video_feed.h"

namespace swf::movie {
namespace {

enum Property { kX = 0, kY, kXScale, kYScale, kAlpha = 6, kVisible, kWidth, kHeight, kRotation };

bool IsVideoInstance(const detail::Instance& I) { return I.video != nullptr; }

}  // namespace

VideoClip::VideoClip(MovieInstance::State& S, int Level, std::vector<uint16_t> Depths, uint64_t Serial)
    : PlacedClip(S, Level, std::move(Depths), Serial, "Video") {}

bool VideoClip::Holds(const detail::Instance& I) const { return IsVideoInstance(I); }

std::optional<int> VideoClip::Depth() { return DrawnDepth(); }

Value VideoClip::GetProperty(int Index) { return DrawnProperty(Index); }

void VideoClip::SetProperty(int Index, const Value& V) {
  detail::Instance* i = Instance();
  if (!i || SetPlacementProperty(*i, Index, V)) return;
  if (Index == kVisible) i->visible = V.ToBoolean();
}

std::optional<Value> VideoClip::DisplayProperty(const std::string& Name) {
  detail::Instance* i = Instance();
  if (!i) return std::nullopt;
  const detail::VideoInstance& v = *i->video;
  if (Name == "smoothing") return Value::Bool(v.Smoothing());
  if (Name == "deblocking") return Value::Number(v.Deblocking());
  if (Name == "width") return Value::Number(v.PictureWidth());
  if (Name == "height") return Value::Number(v.PictureHeight());
  return std::nullopt;
}

bool VideoClip::SetDisplayProperty(const std::string& Name, const Value& V) {
  detail::Instance* i = Instance();
  if (!i) return false;
  detail::VideoInstance& v = *i->video;
  if (Name == "smoothing") {
    v.SetSmoothing(V.ToBoolean());
    return true;
  }
  if (Name == "deblocking") {
    // Kept as the flags store it: 0 as the packets say, 1 off, up to 7.
    const double n = V.ToNumber();
    v.SetDeblocking(n >= 0 && n <= 7 ? static_cast<uint8_t>(n) : 0);
    return true;
  }
  return Name == "width" || Name == "height";  // read only: the picture's size
}

void VideoClip::AttachFeed(std::shared_ptr<video::VideoFeed> Feed) {
  if (detail::Instance* i = Instance()) i->video->Attach(std::move(Feed));
}

void VideoClip::ClearPicture() {
  if (detail::Instance* i = Instance()) i->video->Clear();
}

ScriptClip* VideoChild(MovieInstance::State& S, int Level, const std::vector<uint16_t>& Depths,
                       detail::TimelineState& T, const std::string& Name) {
  return PlacedChild<VideoClip>(S, S.videoClips, Level, Depths, T, Name, IsVideoInstance);
}

void PruneVideoClips(MovieInstance::State& S) { PruneGone(S.videoClips); }

}  // namespace swf::movie
