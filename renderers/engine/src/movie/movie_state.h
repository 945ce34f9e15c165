#pragma once
// MovieInstance's state, shared by the files that implement it: the levels,
// the clips scripts see, the requests in flight and the bridge to the host.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "renderers/engine/movie.h"
#include "renderers/engine/player.h"
#include "renderers/engine/script.h"
#include "renderers/engine/src/movie/button_clips.h"
#include "renderers/engine/src/movie/clips.h"
#include "renderers/engine/src/movie/text_clips.h"
#include "renderers/engine/src/movie/video_clips.h"

namespace swf {
namespace movie {

class NetStreams;  // net_stream.h

// "_levelN" (any case) as a level number; -1 for anything else.
int LevelOf(const std::string& Target);

// What scripts ask of the world, passed on to the MovieHost.
class Bridge : public ScriptHost {
 public:
  explicit Bridge(MovieInstance::State& S) : state_(S) {}
  void GetURL(const UrlRequest& Request) override;
  Value CallExternal(const std::string& Name, const std::vector<Value>& Args) override;
  void AddCallback(const std::string& Name, const Value& ThisObject, const Value& Function) override;
  void Trace(const std::string& Text) override;
  void Log(const std::string& Text) override;
  void LoadData(const std::string& Url, const std::string& Method, const std::string& Body,
                Object* Receiver) override;  // loads.cpp
  bool LoadClip(const std::string& Url, const std::string& Target, Object* Loader) override;  // loads.cpp
  bool UnloadClip(const std::string& Target) override;                                    // loads.cpp

 private:
  MovieInstance::State& state_;
};

// Conversions between script values and ExternalInterface values. Objects
// that refer to themselves are cut off: at kMaxExternalDepth, and after
// kMaxExternalNodes values in all (undefined stands for the rest).
inline constexpr size_t kMaxExternalNodes = 100000;
ExternalValue ToExternal(const Value& V);
Value FromExternal(ScriptRuntime& R, const ExternalValue& V);

// "a=1&b=two%20words" into name and value pairs (+ is a space, %XX a byte).
std::vector<std::pair<std::string, std::string>> DecodeUrlVariables(const std::string& Text);
// A clip's variables with plain values as "a=1&b=two%20words".
std::string EncodeUrlVariables(const Object& Variables);

// An object's enumerable members by name, for encodings that list them sorted.
inline std::map<std::string, Value> SortedValues(const Object& O) {
  std::map<std::string, Value> out;
  for (auto& [name, value] : O.OwnValues()) out.emplace(std::move(name), std::move(value));
  return out;
}

// A load the host is fetching.
struct Request {
  enum class Kind { Movie, ClipMovie, Variables, Unload, Library, Data, ClipUnload };
  Kind kind = Kind::Movie;
  int level = 0;       // Movie, Unload: the level it replaces or removes; Library: the level that imports
  std::string target;  // ClipMovie, Variables, ClipUnload: the clip's target path; Library: the importer's ("" its level)
  std::string url;     // as requested
  std::vector<uint8_t> data;
  bool finished = false;
  bool ok = false;
  // Data (XML and LoadVars loads): the object whose onData gets the text.
  RootedObject receiver;
  // Movie, ClipMovie from a MovieClipLoader: the loader whose listeners hear
  // how it goes. Such loads apply at the next frame step.
  RootedObject loader;
  bool cancelled = false;  // unloadClip dropped it: the loader hears only that it started
};

// A MovieClipLoader load placed, waiting for its movie's first frame to run
// before the loader's onLoadInit.
struct LoadInit {
  RootedObject loader;
  std::string target;
};

}  // namespace movie

struct MovieInstance::State {
  // In instance.cpp, where the types of all members are complete.
  State(MovieInstance& I, MovieHost& H, int Version);
  ~State();

  MovieInstance& self;
  MovieHost& host;
  ScriptRuntime runtime;  // before the clips: their variables are rooted in it
  movie::Bridge bridge;
  std::map<int, std::unique_ptr<MoviePlayer>> levels;
  std::map<std::pair<int, uint64_t>, std::unique_ptr<movie::Clip>> clips;  // by level and serial (0: root)
  // Text field instances as scripts see them, by level and serial (text_clips.cpp).
  std::map<std::pair<int, uint64_t>, std::unique_ptr<movie::TextClip>> textClips;
  // Button instances as scripts see them, by level and serial (button_clips.cpp).
  std::map<std::pair<int, uint64_t>, std::unique_ptr<movie::ButtonClip>> buttonClips;
  // Video instances as scripts see them, by level and serial (video_clips.cpp).
  std::map<std::pair<int, uint64_t>, std::unique_ptr<movie::VideoClip>> videoClips;
  std::map<int, movie::Request> requests;
  int nextRequest = 1;
  int width = 0, height = 0;
  int depth = 0;  // public calls in progress (the host may call back in)
  bool settling = false;
  bool started = false;  // the first Step has entered frame 0
  // By level and clip serial (0: the level's root): the frames of the movie
  // playing there whose initialising actions have run.
  std::map<std::pair<int, uint64_t>, std::set<int32_t>> initActionsRun;
  std::vector<IntRect> dirty;

  MoviePlayer& Root() { return *levels.at(0); }
  movie::Clip* RootClip(int Level);
  // The clip of the sprite instance Serial at Depths under level Level, or
  // nullptr when it is no longer there.
  movie::Clip* ClipAt(int Level, const std::vector<uint16_t>& Depths, uint64_t Serial);
  movie::Clip& Clip0() { return *RootClip(0); }
  void Collect(std::vector<IntRect> Rects) { dirty.insert(dirty.end(), Rects.begin(), Rects.end()); }

  // Starts a load through the host; returns its id.
  int StartRequest(const std::string& Url, const std::string& PostData, movie::Request R);
  // Puts a loaded movie into a level (creating or replacing it).
  void SetLevel(int Level, std::shared_ptr<const Movie> M);
  void RemoveLevel(int Level);  // not level 0
  // A mouse event for every level's buttons.
  void Mouse(double X, double Y, std::vector<IntRect> (MoviePlayer::*Event)(double, double));
  // Runs the actions buttons queued on their clips.
  void RunButtonActions();
  // At the end of the outermost call: completed loads, the scripts of the
  // frames entered, clips gone, repaints.
  void Settle();
  bool ApplyLoads();
  // A finished XML or LoadVars load: the receiver's onData with the text.
  void ApplyDataLoad(movie::Request& R);
  // Plays a loaded movie in the sprite clip at Target (a level's root: the level).
  void LoadIntoClip(const std::string& Target, std::shared_ptr<const Movie> M);
  bool RunFrameScripts();
  // Text fields show the values of the variables they are bound to.
  void BindTextFields();
  // The initialising actions of a movie's frame, once per clip and frame, in
  // the clip the movie plays in (Serial 0: the level's root).
  void RunInitActions(int Level, uint64_t Serial, int32_t FrameIndex, const Frame& F, movie::Clip& Clip);
  void ForgetInitActions(int Level);  // of every clip of the level
  void PruneClips();

  // ---- clip events (clip_events.cpp) ----
  // The clip actions of C for Event, then its method Method when a function.
  void ClipEvent(movie::Clip& C, uint32_t Event, const char* Method);
  // Every clip's enterFrame actions and onEnterFrame, the newest first.
  void EnterFrameEvents();
  // The unload actions and onUnload of clips whose instances went, children
  // first; true when any ran.
  bool UnloadEvents();
  // New sprite instances under T (at Path from the level's root) take their
  // registered class and run their initialize, then construct, events.
  void InitializeChildren(int Level, detail::TimelineState& T, const std::vector<uint16_t>& Path);
  // A sprite instance's load event, once.
  bool LoadEvent(movie::Clip& C);
  bool rootLoaded = false;  // _level0's onLoad has run

  // ---- shared libraries (libraries.cpp) ----
  // The level's movie came from Url ("" unknown): requests the libraries it
  // imports from.
  void StartLibraries(int Level, const std::string& Url);
  // Requests each library M imports (named relative to Base) that the level
  // has not asked for yet. Importer: the target path of the clip M was
  // loaded into ("" for the level's root).
  void RequestLibraries(int Level, const Movie& M, const std::string& Base, const std::string& Importer = "");
  // A library request finished: loaded, its characters resolved in the level,
  // and its initialising actions run in the clip of the movie that imports.
  void ApplyLibrary(const movie::Request& R);
  void RunLibraryInitActions(const movie::Request& R, const Movie& Library);
  std::map<int, std::set<std::string>> libraryUrls;  // by level: the URLs requested

  // ---- MovieClipLoader loads (loads.cpp) ----
  // Set by StepLoaderLoads: ApplyLoads takes the finished loader loads too.
  bool loaderLoadsDue = false;
  std::vector<movie::LoadInit> loadInits;  // placed, onLoadInit still to come, oldest first
  // As a frame step begins: the MovieClipLoader loads finished since the
  // last one apply, their movies' first frames run, and the loaders hear.
  void StepLoaderLoads();
  // A finished MovieClipLoader load: placed, and its loader told.
  void ApplyLoaderLoad(movie::Request& R);
  // onLoadInit for the loads placed, newest first; true when any ran.
  bool LoadInitEvents();
  // Calls Loader.broadcastMessage(Event, Args...).
  void BroadcastLoad(Object* Loader, const std::string& Event, std::vector<Value> Args);
  // The variables of Url's query string on the root of a movie loaded from it.
  void SetQueryVariables(const std::string& Target, const std::string& Url);
  // A loaded movie into its level or clip, with its URL's query variables.
  void PlaceLoadedMovie(const movie::Request& R, std::shared_ptr<const Movie> M);
  // A movie of one empty frame: what an unloaded clip plays.
  std::shared_ptr<const Movie> EmptyMovie();

  // By level: the URL its movie came from, where known (StartLibraries).
  std::map<int, std::string> levelUrls;
  // NetStream downloads and playback (net_stream.cpp); after the runtime,
  // whose objects it keeps alive.
  std::unique_ptr<movie::NetStreams> netStreams;
};

namespace movie {
// Counts a public call; the outermost one settles the instance when it ends.
class Entry {
 public:
  explicit Entry(MovieInstance::State& S) : s_(S) { ++s_.depth; }
  ~Entry() {
    if (--s_.depth == 0) s_.Settle();
  }
  Entry(const Entry&) = delete;
  Entry& operator=(const Entry&) = delete;

 private:
  MovieInstance::State& s_;
};
}  // namespace movie

}  // namespace swf
