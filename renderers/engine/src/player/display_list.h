#pragma once
// The display list of one timeline (the root's or a sprite instance's): what
// sits at each depth, and moving the timeline to a frame.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "renderers/engine/model.h"

namespace swf::detail {

class ImportTable;  // src/player/imports.h
class ShapeDrawing;  // src/player/drawing.h

// How one depth is placed, as the control tags describe it.
struct Placement {
  uint16_t characterId = 0;
  Matrix matrix;
  ColorTransform cxform;
  uint16_t ratio = 0;
  std::string name;
  uint16_t clipDepth = 0;
  BlendMode blendMode = BlendMode::Normal;
  // The placement's filters; nullptr for none. A placement by a control tag
  // refers to the tag's list without owning it (the movie outlives it).
  std::shared_ptr<const std::vector<Filter>> filters;
  bool cacheAsBitmap = false;
  // The frame whose tag put this character at this depth; with the character
  // id it tells whether an instance survives a seek.
  int32_t createdFrame = 0;
  // The clip event actions of the tag that placed a sprite; nullptr for none.
  std::shared_ptr<const std::vector<ClipAction>> clipActions;
  // Made by a script (attachMovie, duplicateMovieClip, createEmptyMovieClip)
  // or moved by swapDepths: the timeline no longer places or removes it.
  bool dynamic = false;
  // createEmptyMovieClip: an empty sprite of one frame, no character id.
  bool emptyClip = false;
};

// Bounds on what one player builds, so absurd (nested, repeated) timelines
// cannot run away with memory or time.
struct InstanceBudget {
  size_t live = 0;
  uint64_t nextSerial = 1;  // instances are numbered from 1 in order of creation
  uint64_t nextName = 1;    // the N of "instanceN": sprites, buttons and text fields count
  size_t max = 100000;      // instances in the whole tree
  uint32_t maxLevels = 64;  // sprite instances inside sprite instances
  // The player's shared libraries, where ids a movie imports are looked up;
  // nullptr: none.
  ImportTable* imports = nullptr;
  // Movies that were loaded into sprites and have left them (replaced or
  // removed with their instance): the last scene built may still draw their
  // characters, so they live until the next scene replaces it.
  std::vector<std::shared_ptr<const Movie>> retired;
};

struct TimelineState;
struct ButtonInstance;
class TextField;
class VideoInstance;
struct Instance;

// What sits at each depth of a timeline (or of a button's current state).
using DisplayList = std::map<uint16_t, std::unique_ptr<Instance>>;

struct Instance {
  Instance(const Movie& M, Placement P, uint32_t Level, InstanceBudget& Budget);
  ~Instance();
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  // Looks the placement's character up as M names it (its dictionary, or a
  // library it imports from) and builds what the character shows; nothing
  // when it is not there (yet). Level: the timeline's.
  void Resolve(const Movie& M, uint32_t Level);

  Placement placement;
  const Character* character = nullptr;   // nullptr: not in the dictionary
  // An imported character: the library whose dictionary holds it, and its id
  // there; nullptr for the placing movie's own.
  const Movie* library = nullptr;
  uint16_t libraryId = 0;
  // A movie loaded into this sprite instance: its root timeline plays as the
  // sprite's and its dictionary serves everything below (kept before sprite:
  // the timeline refers to it).
  std::shared_ptr<const Movie> loaded;
  std::unique_ptr<TimelineState> sprite;  // a sprite's own timeline
  std::unique_ptr<ButtonInstance> button; // a button's state and what it shows
  std::unique_ptr<TextField> textField;   // a text field's text and drawing
  std::unique_ptr<VideoInstance> video;   // a video's decoder and picture
  bool visible = true;                    // scripts may hide an instance (_visible)
  // A script set the matrix or colour transform: the timeline no longer moves it.
  bool scripted = false;
  // _xscale, _yscale (percent) and _rotation (degrees) as a script last set
  // them: kept as given (a negative scale, a rotation past 180 folded once)
  // rather than read back from the matrix; a new matrix clears them.
  struct ScaleRotation {
    double xscale = 100, yscale = 100, rotation = 0;
  };
  std::optional<ScaleRotation> scaleRotation;
  // A script gave it another name (_name): the timeline keeps it.
  bool renamed = false;
  // Its clip events so far: initialize and construct, then load.
  bool initialized = false;
  bool loadEventRun = false;
  uint64_t serial;                        // unique within the player, never reused
  // An unnamed sprite, button, text field or video is "instanceN" to scripts; 0
  // for the instances scripts do not see.
  uint64_t nameNumber = 0;
  std::string ScriptName() const {
    return placement.name.empty() ? "instance" + std::to_string(nameNumber) : placement.name;
  }
  // A morph shape's outline at morphRatio, rebuilt when the placement's ratio
  // changes; shared with the scene nodes that draw it.
  std::shared_ptr<const Shape> morphed;
  uint16_t morphRatio = 0;
  InstanceBudget& budget;
};

// The display list depth of a script's depth 0: the timeline's own lie below.
inline constexpr uint16_t kScriptDepthBase = 16384;

struct TimelineState {
  TimelineState(const Movie& M, const Timeline& T, uint32_t Level) : movie(&M), timeline(&T), level(Level) {}

  const Movie* movie;  // whose dictionary the timeline's characters come from
  const Timeline* timeline;
  uint32_t level;       // 0 for the root
  int32_t frame = -1;   // -1 before the first frame is entered
  DisplayList list;
  // Scripts may stop a timeline: a stopped one stays on its frame while its
  // sprite instances go on playing.
  bool playing = true;
  // Set whenever the timeline moves to another frame; the script engine
  // clears it when it has run that frame's scripts.
  bool entered = false;
  // What scripts drew into this timeline's clip (moveTo, lineTo, ...),
  // shown below its display list; nullptr until a script draws.
  std::shared_ptr<ShapeDrawing> drawing;

  int32_t FrameCount() const { return static_cast<int32_t>(timeline->frames.size()); }

  // Moves to Target (0..FrameCount-1). Later frames apply the tags between;
  // an earlier one rebuilds from frame 0. Instances that hold the same
  // placement before and after keep their identity (and a sprite its frame).
  void Seek(int32_t Target, InstanceBudget& Budget);

  // One frame step: sprite instances already present advance (always
  // looping), then this timeline, when playing, goes to its next frame,
  // looping if Loop.
  void Step(bool Loop, InstanceBudget& Budget);
};

// Plays M's root timeline in the sprite instance I from its first frame,
// in place of what it showed; I keeps its placement and serial.
void LoadIntoSprite(Instance& I, std::shared_ptr<const Movie> M, InstanceBudget& Budget);

// What scripts do to a timeline's display list. Depths are the list's
// (a script's depth + 16384). Placing replaces what is at the depth; the new
// instance is returned, or nullptr when the budget is spent.
Instance* PlaceDynamic(TimelineState& T, uint16_t Depth, Placement P, InstanceBudget& Budget);
// A copy of the instance at From (its placement, at Depth with Name).
Instance* DuplicateDynamic(TimelineState& T, uint16_t From, uint16_t Depth, const std::string& Name,
                           InstanceBudget& Budget);
// Moves the instance at A to B and what was at B (if anything) to A.
void SwapDepths(TimelineState& T, uint16_t A, uint16_t B);

// Twips bounds of what an instance shows: in its own space, and placed in
// its parent's; of a whole timeline's display list. Empty for nothing shown.
Rect ContentBounds(const Instance& I);
Rect PlacedBounds(const Instance& I);
Rect TimelineBounds(const TimelineState& T);
// What scripts drew into a timeline's clip; nullptr for nothing.
std::shared_ptr<const Shape> DrawnShape(const TimelineState& T);

}  // namespace swf::detail
