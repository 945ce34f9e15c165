#pragma once
// Button instances as scripts see them: objects (typeof "object") whose
// variables take Button.prototype, with the placement properties (_x,
// _alpha, ...) and the button's own (enabled, useHandCursor, tabIndex),
// found again on their level's display list on every use.

#include <cstdint>
#include <string>
#include <vector>

#include "renderers/engine/movie.h"
#include "renderers/engine/script.h"

namespace swf {
class MoviePlayer;
namespace detail {
struct Instance;
struct TimelineState;
}  // namespace detail

namespace movie {

class ButtonClip : public ScriptClip {
 public:
  ButtonClip(MovieInstance::State& S, int Level, std::vector<uint16_t> Depths, uint64_t Serial);

  const int level;
  const std::vector<uint16_t> depths;  // from the level's root, the button's own last
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
  std::optional<int> Depth() override;
  std::optional<Value> DisplayProperty(const std::string& Name) override;
  bool SetDisplayProperty(const std::string& Name, const Value& V) override;
  bool IsButton() override { return true; }

 private:
  MoviePlayer* Player();
  detail::TimelineState* Holder();  // the timeline the button is placed on

  MovieInstance::State& state_;
  MoviePlayer* player_;  // of the level when the button was found
  RootedObject vars_;
  RootedObject props_;  // values scripts gave enabled, useHandCursor and tabIndex
};

// The button instance named Name on timeline T of the clip at Depths (a
// level's root: empty), or nullptr.
ScriptClip* ButtonChild(MovieInstance::State& S, int Level, const std::vector<uint16_t>& Depths,
                        detail::TimelineState& T, const std::string& Name);
// Forgets the clips of buttons that have gone (at a safe point: no script runs).
void PruneButtonClips(MovieInstance::State& S);

}  // namespace movie
}  // namespace swf
