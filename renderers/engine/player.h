#pragma once
// Playing a loaded movie: the root timeline and every sprite instance's own
// timeline, the display list they build, the changed rectangles of each frame
// step, and rendering the current frame at a given output size. Portable.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "renderers/engine/fonts.h"
#include "renderers/engine/model.h"
#include "renderers/engine/render.h"

namespace swf {

namespace detail {
struct TimelineState;  // src/player/display_list.h
struct Instance;       // src/player/display_list.h
struct InstanceBudget;
}

// ---- input ----
// The actions of a button that input triggered, for the script engine to run
// in the clip that placed the button.
struct PendingActions {
  std::vector<uint8_t> bytes;  // the action records as the button holds them
  // The timeline that placed the button: the root, or a sprite instance.
  // clip is that instance's serial (0 for the root); clipDepths the depths
  // from the root down to it (empty for the root); clipPath its target path,
  // "_level0" or "_level0.a.b" (an unnamed instance is "instanceN", N its serial).
  uint64_t clip = 0;
  std::vector<uint16_t> clipDepths;
  std::string clipPath;
  // The button instance itself: its serial, depth in that timeline and name.
  uint64_t button = 0;
  uint16_t buttonDepth = 0;
  std::string buttonName;
  uint16_t condition = 0;  // the ButtonCondition that fired; 0 for a key press
  uint8_t keyCode = 0;     // the key that fired, for a key press
};

// A character found by its linkage name.
struct LinkedCharacter {
  uint16_t id = 0;                       // the id the movie places it by
  const Character* character = nullptr;
  const Movie* movie = nullptr;          // whose dictionary holds it (a library's, for an imported one)
};

class MoviePlayer {
 public:
  explicit MoviePlayer(std::shared_ptr<const Movie> M);
  ~MoviePlayer();
  MoviePlayer(const MoviePlayer&) = delete;
  MoviePlayer& operator=(const MoviePlayer&) = delete;

  const Movie& movie() const;

  // Output size in pixels; the stage is fitted keeping its aspect ratio and
  // centred (the format's default scale mode). Everything changes.
  void SetViewport(int32_t Width, int32_t Height);
  Matrix StageToPixels() const;
  // Where text fields find device fonts (nullptr: text in device fonts is not
  // drawn). It must outlive the player; takes effect with the next rebuild.
  void SetFontService(FontService* Fonts);

  // Frames are numbered from 0. The movie starts on frame 0.
  int32_t CurrentFrame() const;
  int32_t TotalFrames() const;
  // The root timeline loops by default; without looping it stays on its
  // last frame (sprites always loop).
  void SetLoop(bool Loop);
  bool Loop() const;

  // Steps the root and every sprite instance one frame. Returns the pixel
  // rectangles that changed: old and new bounds of what moved, changed,
  // appeared or vanished (no duplicates; may be merged).
  std::vector<IntRect> NextFrame();
  // Goes to Frame (clamped to the timeline); an earlier frame rebuilds the
  // display list as it stood in that frame. Returns the changed rectangles.
  std::vector<IntRect> GotoFrame(int32_t Frame);
  // The frame with this label, or -1.
  int32_t FindLabel(const std::string& Label) const;

  const std::vector<SceneNode>& Scene() const;
  // What playing ran into since the last call, each only the first time (a
  // video codec the engine does not decode, a damaged video packet): lines
  // for the host's log.
  std::vector<std::string> TakeNotes();
  // Renders Clip of the current frame into Target (see RenderScene).
  void Render(const RenderTarget& Target, IntRect Clip, bool Transparent) const;

  // ---- input ----
  // The mouse at (X, Y), in pixels of the viewport. Buttons under it show
  // their over state, the one pressed its down state; the topmost button
  // whose hit area holds the point takes the mouse. Each returns the changed
  // rectangles and queues the actions the transitions trigger.
  std::vector<IntRect> MouseMove(double X, double Y);
  std::vector<IntRect> MouseDown(double X, double Y);
  std::vector<IntRect> MouseUp(double X, double Y);
  // A key (the format's key codes: ASCII, and 1 left, 2 right, 3 home, 4 end,
  // 5 insert, 6 delete, 8 backspace, 13 enter, 14 up, 15 down, 16 page up,
  // 17 page down, 18 tab, 19 escape) queues the actions of every button on
  // the stage that waits for it.
  std::vector<IntRect> KeyPress(int Code);
  // Whether a button takes the mouse at (X, Y), viewport pixels.
  bool ButtonAt(double X, double Y) const;
  // The queued actions in the order they were triggered; the queue empties.
  std::vector<PendingActions> TakePendingActions();

  // ---- for the script engine (MovieInstance) ----
  // The root timeline's state, to walk the clips and change their play state.
  detail::TimelineState& RootTimeline();
  // Moves a timeline of this player to Frame (clamped).
  void SeekTimeline(detail::TimelineState& Timeline, int32_t Frame);
  // Plays M in the sprite instance at Depths (from the root) whose serial is
  // Serial, in place of what it showed; false when it is not there.
  bool LoadIntoSprite(const std::vector<uint16_t>& Depths, uint64_t Serial, std::shared_ptr<const Movie> M);
  // What bounds the instances of this player, for those scripts place.
  detail::InstanceBudget& Instances();
  // Rebuilds the scene after scripts changed timelines or properties;
  // returns the changed rectangles.
  std::vector<IntRect> Refresh();

  // ---- shared libraries (MovieInstance) ----
  // The URL the movie came from: the libraries it imports are named relative
  // to it. Unknown (the default, ""): as the movie names them.
  void SetMovieUrl(const std::string& Url);
  // The library from Url (resolved) arrived: the characters imported from it
  // are found from now on, and instances placed before it show them (the
  // scene changes at the next Refresh). False when refused: a second library
  // for one URL, or more than ImportTable::kMaxLibraries.
  bool AddLibrary(const std::string& Url, std::shared_ptr<const Movie> Library);
  // The character the movie exports under the linkage name Name, or imports
  // under it from a library that has arrived; nothing otherwise.
  std::optional<LinkedCharacter> FindLinkage(const std::string& Name) const;
  // The same in the library of In: the level's movie or one loaded into one
  // of its clips (whose clips attach from their own movie's library).
  std::optional<LinkedCharacter> FindLinkage(const Movie& In, const std::string& Name) const;

  // ---- text fields scripts make (createTextField; text_field_placement.cpp) ----
  // Places a new text field Field at Depth of Timeline (replacing what is
  // there), with its top left corner at (X, Y) twips and the instance name
  // Name; nullptr when the player's instance budget is spent.
  detail::Instance* PlaceTextField(detail::TimelineState& Timeline, uint16_t Depth, const std::string& Name,
                                   const EditText& Field, double X, double Y);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace swf
