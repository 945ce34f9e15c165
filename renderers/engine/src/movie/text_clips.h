#pragma once
// Text field instances as scripts see them: clips whose typeof is "object",
// whose variables take TextField.prototype, found again on their level's
// display list on every use like the sprite clips.

#include <cstdint>
#include <string>
#include <vector>

#include "renderers/engine/movie.h"
#include "renderers/engine/script.h"
#include "renderers/engine/src/script/text_field_object.h"

namespace swf {
class MoviePlayer;
namespace detail {
struct Instance;
struct TimelineState;
}  // namespace detail

namespace movie {

class TextClip : public ScriptClip, public ScriptTextField {
 public:
  TextClip(MovieInstance::State& S, int Level, std::vector<uint16_t> Depths, uint64_t Serial);

  const int level;
  const std::vector<uint16_t> depths;  // from the level's root, the field's own last
  const uint64_t serial;

  detail::Instance* Instance();  // nullptr when gone
  bool Alive() { return Instance() != nullptr; }

  ScriptClip* Parent() override;
  ScriptClip* Child(const std::string&) override { return nullptr; }
  ScriptClip* Level(int N) override;
  int LevelNumber() override { return level; }
  std::string Name() override;
  Object* Variables() override { return vars_.get(); }
  void Play() override {}
  void Stop() override {}
  void NextFrame() override {}
  void PrevFrame() override {}
  void GotoFrame(int, After) override {}
  bool GotoLabel(const std::string&, After) override { return false; }
  int CurrentFrame() override { return 0; }
  int TotalFrames() override { return 0; }
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
  MoviePlayer* Player();
  detail::TimelineState* Holder();  // the timeline the field is placed on

  MovieInstance::State& state_;
  MoviePlayer* player_;  // of the level when the field was found: a new movie there is another field
  RootedObject vars_;
};

// The text field instance named Name on timeline T of the clip at Depths
// (a level's root: empty), or nullptr.
ScriptClip* TextFieldChild(MovieInstance::State& S, int Level, const std::vector<uint16_t>& Depths,
                           detail::TimelineState& T, const std::string& Name);
// Forgets the clips of text fields that have gone (at a safe point: no script runs).
void PruneTextClips(MovieInstance::State& S);

}  // namespace movie
}  // namespace swf
