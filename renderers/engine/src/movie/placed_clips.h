#pragma once
// Display objects other than sprites (text fields, buttons, videos) as scripts see
// them: found again on their level's display list, by depths and serial, on
// every use, so an object that was removed or replaced reads as gone.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
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

class PlacedClip : public ScriptClip {
 public:
  const int level;
  const std::vector<uint16_t> depths;  // from the level's root, the object's own last
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

 protected:
  // Prototype: the built-in class whose prototype the object's variables take.
  PlacedClip(MovieInstance::State& S, int Level, std::vector<uint16_t> Depths, uint64_t Serial, const char* Prototype);
  // Whether I is of the kind this object stands for.
  virtual bool Holds(const detail::Instance& I) const = 0;
  MoviePlayer* Player();
  detail::TimelineState* Holder();  // the timeline the object is placed on
  // For objects scripts see by what they draw (buttons, videos): the depth
  // scripts count, and the placement properties with _width and _height
  // from the drawn bounds (undefined for other property numbers).
  std::optional<int> DrawnDepth();
  Value DrawnProperty(int Index);

  MovieInstance::State& state_;
  MoviePlayer* player_;  // of the level when the object was found: a new movie there holds other objects
  RootedObject vars_;
};

// The timeline at the first Count of Depths from the level's root, or nullptr.
detail::TimelineState* TimelineAt(MoviePlayer& P, const std::vector<uint16_t>& Depths, size_t Count);

// The first instance on T named Name (without case before SWF 7) for which
// Kind holds.
struct Placed {
  bool found = false;
  uint16_t depth = 0;
  uint64_t serial = 0;
};
Placed FindPlaced(MovieInstance::State& S, detail::TimelineState& T, const std::string& Name,
                  bool (*Kind)(const detail::Instance&));

// The object of kind C named Name on timeline T of the clip at Depths (a
// level's root: empty), kept in Clips while it lives; nullptr when none.
template <class C, class Map>
ScriptClip* PlacedChild(MovieInstance::State& S, Map& Clips, int Level, const std::vector<uint16_t>& Depths,
                        detail::TimelineState& T, const std::string& Name, bool (*Kind)(const detail::Instance&)) {
  const Placed p = FindPlaced(S, T, Name, Kind);
  if (!p.found) return nullptr;
  auto& slot = Clips[{Level, p.serial}];
  if (!slot || !slot->Alive()) {
    std::vector<uint16_t> down = Depths;
    down.push_back(p.depth);
    slot = std::make_unique<C>(S, Level, std::move(down), p.serial);
  }
  return slot->Alive() ? slot.get() : nullptr;
}

// Forgets the objects of Clips that have gone (at a safe point: no script runs).
template <class Map>
void PruneGone(Map& Clips) {
  for (auto it = Clips.begin(); it != Clips.end();) it = it->second->Alive() ? std::next(it) : Clips.erase(it);
}

}  // namespace movie
}  // namespace swf
