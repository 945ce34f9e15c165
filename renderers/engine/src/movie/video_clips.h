#pragma once
// Video instances as scripts see them: objects (typeof "object") whose
// variables take Video.prototype, with the placement properties (_x,
// _alpha, ...) and the video's own (smoothing, deblocking, and the size of
// the picture shown as width and height), found again on their level's
// display list on every use.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "renderers/engine/src/movie/placed_clips.h"
#include "renderers/engine/src/script/video_object.h"

namespace swf::movie {

class VideoClip : public PlacedClip, public ScriptVideo {
 public:
  VideoClip(MovieInstance::State& S, int Level, std::vector<uint16_t> Depths, uint64_t Serial);

  Value GetProperty(int Index) override;
  void SetProperty(int Index, const Value& V) override;
  std::optional<int> Depth() override;
  std::optional<Value> DisplayProperty(const std::string& Name) override;
  bool SetDisplayProperty(const std::string& Name, const Value& V) override;
  bool IsVideo() override { return true; }

  void AttachFeed(std::shared_ptr<video::VideoFeed> Feed) override;
  void ClearPicture() override;

 private:
  bool Holds(const detail::Instance& I) const override;
};

// The video instance named Name on timeline T of the clip at Depths (a
// level's root: empty), or nullptr.
ScriptClip* VideoChild(MovieInstance::State& S, int Level, const std::vector<uint16_t>& Depths,
                       detail::TimelineState& T, const std::string& Name);
// Forgets the clips of videos that have gone (at a safe point: no script runs).
void PruneVideoClips(MovieInstance::State& S);

}  // namespace swf::movie
