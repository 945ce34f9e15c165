#pragma once
// The clips scripts see: the root of a level or a sprite instance in it,
// found again on the level's display list on every use, so a clip whose
// instance has gone answers harmlessly.

#include <cstdint>
#include <string>
#include <vector>

#include "renderers/engine/movie.h"
#include "renderers/engine/script.h"

namespace swf {
class MoviePlayer;
namespace detail {
struct TimelineState;
struct Instance;
}  // namespace detail

namespace movie {

class Clip : public ScriptClip {
 public:
  Clip(MovieInstance::State& S, int Level, std::vector<uint16_t> Depths, uint64_t Serial);

  // The player of the clip's level, its timeline and (for a sprite) its
  // instance; nullptr when gone.
  MoviePlayer* Player();
  detail::TimelineState* Timeline();
  detail::Instance* Instance();
  bool Alive() { return Timeline() != nullptr; }

  const int level;
  const std::vector<uint16_t> depths;  // from the level's root; empty for the root
  const uint64_t serial;               // the sprite instance's; 0 for the root

  ScriptClip* Parent() override;
  ScriptClip* Child(const std::string& Name) override;
  ScriptClip* Level(int N) override;
  int LevelNumber() override { return level; }
  std::string Name() override;
  Object* Variables() override { return vars_.get(); }
  void Play() override;
  void Stop() override;
  void NextFrame() override;
  void PrevFrame() override;
  void GotoFrame(int Index, After Then) override;
  bool GotoLabel(const std::string& Label, After Then) override;
  int CurrentFrame() override;
  int TotalFrames() override;
  Value GetProperty(int Index) override;
  void SetProperty(int Index, const Value& V) override;
  std::vector<std::vector<uint8_t>> FrameActions(const Value& Frame) override;

  // ---- text fields (text_clips.cpp) ----
  ScriptClip* CreateTextField(const std::string& Name, int Depth, double X, double Y, double W, double H) override;
  std::string StaticText() override;

 private:
  MovieInstance::State& state_;
  RootedObject vars_;
};

}  // namespace movie
}  // namespace swf
