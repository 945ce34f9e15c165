#pragma once
// Text field instances as scripts see them: clips whose typeof is "object",
// whose variables take TextField.prototype, found again on their level's
// display list on every use like the sprite clips.

#include <cstdint>
#include <string>
#include <vector>

#include "renderers/engine/src/movie/placed_clips.h"
#include "renderers/engine/src/script/text_field_object.h"

namespace swf::movie {

class TextClip : public PlacedClip, public ScriptTextField {
 public:
  TextClip(MovieInstance::State& S, int Level, std::vector<uint16_t> Depths, uint64_t Serial);

  Value GetProperty(int Index) override;
  void SetProperty(int Index, const Value& V) override;
  bool IsTextField() override { return true; }

  detail::TextField* Field() override;
  FontService* Fonts() override;
  int FieldDepth() override { return static_cast<int>(depths.back()) - 16384; }
  std::optional<int> Depth() override { return FieldDepth(); }
  void RemoveField() override;
  void Refit() override;

 private:
  bool Holds(const detail::Instance& I) const override;
};

// The text field instance named Name on timeline T of the clip at Depths
// (a level's root: empty), or nullptr.
ScriptClip* TextFieldChild(MovieInstance::State& S, int Level, const std::vector<uint16_t>& Depths,
                           detail::TimelineState& T, const std::string& Name);
// Forgets the clips of text fields that have gone (at a safe point: no script runs).
void PruneTextClips(MovieInstance::State& S);

}  // namespace swf::movie
