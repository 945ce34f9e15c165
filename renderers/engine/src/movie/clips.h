#pragma once
// The clips scripts see: the root of a level or a sprite instance in it,
// found again on the level's display list on every use, so a clip whose
// instance has gone answers harmlessly.

#include <cstdint>
#include <string>
#include <vector>

#include "renderers/engine/model.h"
#include "renderers/engine/movie.h"
#include "renderers/engine/script.h"
#include "renderers/engine/src/script/drawing_target.h"

#include "renderers/engine/src/player/display_list.h"

namespace swf {
class MoviePlayer;
namespace detail {
struct TimelineState;
struct Instance;
}  // namespace detail

namespace movie {

// Gives the matrix these scales (in units) and this rotation (radians).
void SetScaleRotation(Matrix& M, double X, double Y, double R);
// Sets a property a placed instance keeps in its matrix or colour transform
// (_x, _y, _xscale, _yscale, _rotation, _alpha) from a script value; false
// for any other property.
bool SetPlacementProperty(detail::Instance& I, int Index, const Value& V);
// _xscale, _yscale and _rotation as scripts read them: what a script last
// set, else what the placement's matrix says.
detail::Instance::ScaleRotation ScaleRotationOf(const detail::Instance& I);

class Clip : public ScriptClip, public DrawingTarget {
 public:
  Clip(MovieInstance::State& S, int Level, std::vector<uint16_t> Depths, uint64_t Serial);

  // The player of the clip's level, its timeline and (for a sprite) its
  // instance; nullptr when gone.
  MoviePlayer* Player();
  detail::TimelineState* Timeline();
  detail::Instance* Instance();
  bool Alive() { return Timeline() != nullptr; }

  const int level;
  // From the level's root; empty for the root. Followed again when swapDepths
  // moved the instance or one of its parents.
  std::vector<uint16_t> depths;
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
  // The placement for Color and flash.geom.Transform (end of clips.cpp).
  PlacementMatrix GetMatrix() override;
  void SetMatrix(const PlacementMatrix& M) override;
  PlacementColor GetColorTransform() override;
  void SetColorTransform(const PlacementColor& C) override;

  // ---- text fields (text_clips.cpp) ----
  ScriptClip* CreateTextField(const std::string& Name, int Depth, double X, double Y, double W, double H) override;
  void CloneSprite(const std::string& Target, const std::string& NewName, int Depth) override;
  void RemoveSprite(const std::string& Target) override;

  // ---- the display list (clip_display.cpp) ----
  ScriptClip* AttachMovie(const std::string& Linkage, const std::string& Name, int Depth) override;
  ScriptClip* CreateEmptyClip(const std::string& Name, int Depth) override;
  ScriptClip* Duplicate(const std::string& Name, int Depth) override;
  bool Remove() override;
  std::optional<int> Depth() override;
  void SwapDepths(int Depth) override;
  int NextHighestDepth() override;
  ScriptClip* InstanceAtDepth(int Depth) override;
  std::optional<std::array<double, 6>> ToStage() override;
  std::optional<std::array<double, 4>> LocalBounds() override;
  bool HitTest(double X, double Y, bool ShapeFlag) override;
  int SwfVersion() override;
  double BytesTotal() override;
  std::string LinkageName() override;
  bool BeginConstruction() override;

  // ---- further properties (clip_properties.cpp) ----
  std::optional<Value> DisplayProperty(const std::string& Name) override;
  bool SetDisplayProperty(const std::string& Name, const Value& V) override;

  // ---- clip events (clip_events.cpp) ----
  // The clip event actions of its placement, kept for its unload after the
  // instance has gone.
  std::shared_ptr<const std::vector<ClipAction>> clipActions;
  bool unloaded = false;
  // The timeline of this clip's parent (the root's for a child of the root).
  detail::TimelineState* ParentTimeline();
  std::string StaticText() override;
  bool Removed() override { return !Alive(); }
  std::vector<std::string> ChildNames() override;

  // ---- the drawing methods (end of clips.cpp) ----
  detail::ShapeDrawing* Drawing() override;

  std::optional<double> LibrarySoundLength(const std::string& Linkage) override;  // library_sounds.cpp

 private:
  // The clip placed on this clip's timeline at a script's Depth.
  ScriptClip* Placed(int Depth, detail::Instance* I);
  // Finds the instance by its serial when swapDepths moved it.
  detail::Instance* Refind();

  MovieInstance::State& state_;
  RootedObject vars_;
  RootedObject props_;  // values scripts gave the further properties
};

}  // namespace movie
}  // namespace swf
