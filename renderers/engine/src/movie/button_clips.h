#pragma once
// Button instances as scripts see them: objects (typeof "object") whose
// variables take Button.prototype, with the placement properties (_x,
// _alpha, ...) and the button's own (enabled, useHandCursor, tabIndex),
// found again on their level's display list on every use.

#include <cstdint>
#include <string>
#include <vector>

#include "renderers/engine/src/movie/placed_clips.h"

namespace swf::movie {

class ButtonClip : public PlacedClip {
 public:
  ButtonClip(MovieInstance::State& S, int Level, std::vector<uint16_t> Depths, uint64_t Serial);

  Value GetProperty(int Index) override;
  void SetProperty(int Index, const Value& V) override;
  std::optional<int> Depth() override;
  std::optional<Value> DisplayProperty(const std::string& Name) override;
  bool SetDisplayProperty(const std::string& Name, const Value& V) override;
  bool IsButton() override { return true; }

 private:
  bool Holds(const detail::Instance& I) const override;

  RootedObject props_;  // values scripts gave enabled, useHandCursor and tabIndex
};

// The button instance named Name on timeline T of the clip at Depths (a
// level's root: empty), or nullptr.
ScriptClip* ButtonChild(MovieInstance::State& S, int Level, const std::vector<uint16_t>& Depths,
                        detail::TimelineState& T, const std::string& Name);
// Forgets the clips of buttons that have gone (at a safe point: no script runs).
void PruneButtonClips(MovieInstance::State& S);

}  // namespace swf::movie
