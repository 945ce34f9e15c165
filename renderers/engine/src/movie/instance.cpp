// MovieInstance: the control surface, the frame step, input and settling the
// instance once the outermost call into it ends.
#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>

#include "renderers/engine/movie.h"
#include "renderers/engine/src/movie/movie_state.h"
#include "renderers/engine/src/movie/net_stream.h"
#include "renderers/engine/src/player/display_list.h"
#include "renderers/engine/src/script/internal.h"

namespace swf {

using movie::Entry;

int32_t StagePixels(double Twips) { return static_cast<int32_t>(std::clamp(std::ceil(Twips / 20), 0.0, 65535.0)); }

uint32_t FramePeriodMs(uint16_t FrameRate) {
  const uint16_t rate = FrameRate ? FrameRate : 12 << 8;
  return std::max<uint32_t>(1, static_cast<uint32_t>(std::lround(1000.0 * 256 / rate)));
}

MovieInstance::MovieInstance(std::shared_ptr<const Movie> M, MovieHost& Host) {
  if (!M) throw std::invalid_argument("MovieInstance needs a movie");
  state_ = std::make_unique<State>(*this, Host, M->version);
  state_->SetLevel(0, std::move(M));
  state_->dirty.clear();
  state_->netStreams = std::make_unique<movie::NetStreams>(*state_);
}

MovieInstance::~MovieInstance() {
  // The clips' variables are rooted in the runtime: they go first.
  state_->clips.clear();
}

MovieInstance::State::State(MovieInstance& I, MovieHost& H, int Version)
    : self(I), host(H), runtime(Version), bridge(*this) {}

MovieInstance::State::~State() = default;

movie::Clip* MovieInstance::State::RootClip(int Level) {
  if (!levels.count(Level)) return nullptr;
  auto& slot = clips[{Level, 0}];
  if (!slot) slot = std::make_unique<movie::Clip>(*this, Level, std::vector<uint16_t>{}, 0);
  return slot.get();
}

movie::Clip* MovieInstance::State::ClipAt(int Level, const std::vector<uint16_t>& Depths, uint64_t Serial) {
  auto& slot = clips[{Level, Serial}];
  if (!slot) {
    slot = std::make_unique<movie::Clip>(*this, Level, Depths, Serial);
    if (detail::Instance* i = slot->Instance()) slot->clipActions = i->placement.clipActions;
  }
  if (!slot->Alive()) return nullptr;
  return slot.get();
}

void MovieInstance::State::SetLevel(int Level, std::shared_ptr<const Movie> M) {
  // Clips of the old movie go with it (only ever at a safe point: no script runs).
  for (auto it = clips.begin(); it != clips.end();)
    it = it->first.first == Level ? clips.erase(it) : std::next(it);
  auto& slot = levels[Level];
  if (slot) dirty.push_back({0, 0, width, height});
  libraryUrls.erase(Level);  // the new movie asks for its own
  for (const std::string& note : M->loadNotes) host.Log(note);
  ForgetInitActions(Level);
  // The recursion depth the level 0 movie asks for, within what the
  // interpreter is known to bear.
  if (Level == 0 && M->maxRecursionDepth)
    self.budget.maxCallDepth = std::min<uint32_t>(M->maxRecursionDepth, Budget{}.maxCallDepth);
  auto player = std::make_unique<MoviePlayer>(std::move(M));
  if (levels.size() == 1 && !slot) {
    // The first movie: the viewport starts at its stage size, as MoviePlayer's does.
    const Rect& stage = player->movie().frameSize;
    width = static_cast<int>(std::clamp(std::ceil(stage.Width() / 20), 0.0, 1e6));
    height = static_cast<int>(std::clamp(std::ceil(stage.Height() / 20), 0.0, 1e6));
  }
  player->SetViewport(width, height);
  player->SetFontService(host.Fonts());
  slot = std::move(player);
  dirty.push_back({0, 0, width, height});
}

void MovieInstance::State::RemoveLevel(int Level) {
  if (Level == 0 || !levels.count(Level)) return;
  for (auto it = clips.begin(); it != clips.end();)
    it = it->first.first == Level ? clips.erase(it) : std::next(it);
  levels.erase(Level);
  ForgetInitActions(Level);
  dirty.push_back({0, 0, width, height});
}

// ---- control surface ----

void MovieInstance::Play() {
  Entry e(*state_);
  state_->Root().RootTimeline().playing = true;
}

void MovieInstance::StopPlay() {
  Entry e(*state_);
  state_->Root().RootTimeline().playing = false;
}

void MovieInstance::Rewind() {
  Entry e(*state_);
  state_->Collect(state_->Root().GotoFrame(0));
  state_->Root().RootTimeline().playing = false;
}

void MovieInstance::Forward() {
  Entry e(*state_);
  state_->Collect(state_->Root().GotoFrame(state_->Root().CurrentFrame() + 1));
  state_->Root().RootTimeline().playing = false;
}

void MovieInstance::Back() {
  Entry e(*state_);
  state_->Collect(state_->Root().GotoFrame(std::max(state_->Root().CurrentFrame() - 1, 0)));
  state_->Root().RootTimeline().playing = false;
}

bool MovieInstance::IsPlaying() const { return state_->levels.at(0)->RootTimeline().playing; }
bool MovieInstance::Loop() const { return state_->levels.at(0)->Loop(); }
void MovieInstance::SetLoop(bool Loop) { state_->Root().SetLoop(Loop); }
int32_t MovieInstance::CurrentFrame() const { return state_->levels.at(0)->CurrentFrame(); }
int32_t MovieInstance::TotalFrames() const { return state_->levels.at(0)->TotalFrames(); }

void MovieInstance::GotoFrame(int32_t Frame) {
  Entry e(*state_);
  state_->Collect(state_->Root().GotoFrame(Frame));
}

std::string MovieInstance::GetVariable(const std::string& Path) {
  Entry e(*state_);
  const Value v = state_->runtime.GetVariablePath(state_->Clip0(), Path);
  return v.IsUndefined() ? std::string() : v.ToString();
}

NativeData* MovieInstance::NativeDataAt(const std::string& Path) {
  Entry e(*state_);
  const Value v = state_->runtime.GetVariablePath(state_->Clip0(), Path);
  return v.IsObject() ? v.object()->data.get() : nullptr;
}

void MovieInstance::SetVariable(const std::string& Path, const std::string& Text) {
  Entry e(*state_);
  state_->runtime.SetVariablePath(state_->Clip0(), Path, Value::String(Text));
}

// ---- step and input ----

void MovieInstance::Step() {
  Entry e(*state_);
  if (!state_->started) {
    state_->started = true;  // frame 0 is entered: Settle runs its scripts
    state_->StartLibraries(0, "");
    return;
  }
  state_->StepLoaderLoads();
  // Intervals and timeouts run by the movie's own clock, which moves one
  // frame period a step (level 0's rate), so that they fire at the same
  // frames however fast the movie is played.
  const uint32_t period = FramePeriodMs(state_->levels.at(0)->movie().frameRate);
  state_->runtime.RunTimers(state_->runtime.ClockMs() + period, state_->Clip0(), state_->bridge, budget);
  // Video streams move by the same clock; what they report is told as the step settles.
  state_->netStreams->Step(period);
  // A loaded level may be replaced by scripts of another: take a snapshot.
  std::vector<MoviePlayer*> players;
  for (auto& [level, p] : state_->levels) players.push_back(p.get());
  for (MoviePlayer* p : players) state_->Collect(p->NextFrame());
  // The clips still there after the timelines moved, and loaded before this
  // tick, take enterFrame before the scripts of the frames entered.
  state_->EnterFrameEvents();
}

void MovieInstance::State::Mouse(double X, double Y,
                                 std::vector<IntRect> (MoviePlayer::*Event)(double, double)) {
  // Levels are drawn over level 0: the topmost one with a button under the
  // mouse takes it; for the others the mouse is off their buttons.
  int winner = -1;
  for (auto it = levels.rbegin(); it != levels.rend() && winner < 0; ++it)
    if (it->second->ButtonAt(X, Y)) winner = it->first;
  constexpr double kNowhere = -1e9;
  for (auto& [level, p] : levels) {
    const bool here = winner < 0 || level == winner;
    Collect(((*p).*Event)(here ? X : kNowhere, here ? Y : kNowhere));
  }
  RunButtonActions();
}

void MovieInstance::MouseMove(double X, double Y) {
  Entry e(*state_);
  state_->Mouse(X, Y, &MoviePlayer::MouseMove);
}

void MovieInstance::MouseDown(double X, double Y) {
  Entry e(*state_);
  state_->Mouse(X, Y, &MoviePlayer::MouseDown);
}

void MovieInstance::MouseUp(double X, double Y) {
  Entry e(*state_);
  state_->Mouse(X, Y, &MoviePlayer::MouseUp);
}

void MovieInstance::KeyPress(int Code) {
  Entry e(*state_);
  for (auto& [level, p] : state_->levels) state_->Collect(p->KeyPress(Code));
  state_->RunButtonActions();
}

void MovieInstance::State::RunButtonActions() {
  // Each level's actions run in that level's clips (scripts cannot replace a
  // level before the instance settles, so the players stay).
  std::vector<std::pair<int, std::vector<PendingActions>>> queued;
  for (auto& [level, p] : levels) queued.emplace_back(level, p->TakePendingActions());
  for (const auto& [level, actions] : queued)
    for (const PendingActions& a : actions) {
      movie::Clip* clip = a.clipDepths.empty() ? RootClip(level) : ClipAt(level, a.clipDepths, a.clip);
      if (!clip) continue;  // the clip went away with an earlier block
      runtime.RunActions(a.bytes.data(), a.bytes.size(), *clip, bridge, self.budget);
    }
}

// ---- settling ----

bool MovieInstance::State::RunFrameScripts() {
  bool ran = UnloadEvents();
  struct Visit {
    int level;
    std::vector<uint16_t> depths;
    uint64_t serial;
    bool entered;
  };
  std::vector<Visit> order;
  // Parents before children, lower levels first.
  std::function<void(int, detail::TimelineState&, std::vector<uint16_t>&, uint64_t)> walk =
      [&](int L, detail::TimelineState& T, std::vector<uint16_t>& Path, uint64_t Serial) {
        order.push_back({L, Path, Serial, T.entered});
        T.entered = false;
        for (auto& [depth, inst] : T.list) {
          if (!inst->sprite) continue;
          Path.push_back(depth);
          walk(L, *inst->sprite, Path, inst->serial);
          Path.pop_back();
        }
      };
  for (auto& [level, p] : levels) {
    std::vector<uint16_t> path;
    walk(level, p->RootTimeline(), path, 0);
  }
  for (const Visit& v : order) {
    movie::Clip* clip = v.depths.empty() ? RootClip(v.level) : ClipAt(v.level, v.depths, v.serial);
    if (!clip) continue;
    // A new sprite: its load event before its first frame's scripts.
    if (!v.depths.empty()) {
      if (clip->BeginConstruction()) {  // placed without its parent's pass (a load into it)
        ApplyRegisteredClass(runtime, *clip, [&](const Value& Ctor, const Value& This) {
          runtime.CallFunction(Ctor, This, {}, *clip, bridge, self.budget);
        });
      }
      ran = LoadEvent(*clip) || ran;
      if (!clip->Alive()) continue;
    }
    detail::TimelineState* t = clip->Timeline();
    if (!t) continue;
    // A movie's own timeline (a level's, or one loaded into a sprite) runs
    // its initialising actions, before the frame's new clips are built so
    // that the classes they register apply to them; a sprite's timeline has
    // none.
    if (v.entered && t->frame >= 0 && t->timeline == &t->movie->timeline) {
      ran = true;
      RunInitActions(v.level, v.serial, t->frame, t->timeline->frames[static_cast<size_t>(t->frame)], *clip);
      t = clip->Timeline();
      if (!t) continue;
    }
    InitializeChildren(v.level, *t, v.depths);
    if (!v.entered || t->frame < 0) continue;
    ran = true;
    const Frame& frame = t->timeline->frames[static_cast<size_t>(t->frame)];
    // A copy: the blocks may move this timeline while they run.
    const auto blocks = frame.actions;
    for (const auto& b : blocks) runtime.RunActions(b.data(), b.size(), *clip, bridge, self.budget);
    // _level0 has loaded once its first frame's scripts have run.
    if (v.depths.empty() && v.level == 0 && !rootLoaded) {
      rootLoaded = true;
      ClipEvent(*clip, kClipLoad, "onLoad");
    }
  }
  return ran;
}

void MovieInstance::State::RunInitActions(int Level, uint64_t Serial, int32_t FrameIndex, const Frame& F,
                                          movie::Clip& Clip) {
  if (F.initActions.empty() || !initActionsRun[{Level, Serial}].insert(FrameIndex).second) return;
  // A copy: the blocks may replace this level's movie while they run.
  const std::vector<InitAction> blocks = F.initActions;
  for (const InitAction& a : blocks) runtime.RunActions(a.actions.data(), a.actions.size(), Clip, bridge, self.budget);
}

void MovieInstance::State::ForgetInitActions(int Level) {
  for (auto it = initActionsRun.begin(); it != initActionsRun.end();)
    it = it->first.first == Level ? initActionsRun.erase(it) : std::next(it);
}

void MovieInstance::State::PruneClips() {
  for (auto it = clips.begin(); it != clips.end();)
    it = it->second->Alive() ? std::next(it) : clips.erase(it);
}

void MovieInstance::State::Settle() {
  if (settling) return;
  settling = true;
  ++depth;  // calls the host makes back into the instance do not settle again
  try {
    // Scripts can go to frames whose scripts go elsewhere again: a bounded
    // number of rounds; what is left runs at the next call.
    for (int round = 0; round < 16; ++round) {
      const bool loaded = ApplyLoads();
      BindTextFields();
      const bool ran = started && RunFrameScripts();  // nothing runs before the first Step
      const bool inited = started && LoadInitEvents();  // after the loaded movies' first frames
      const bool streamed = netStreams && netStreams->TellEvents();
      if (!loaded && !ran && !inited && !streamed) break;
    }
    BindTextFields();
    PruneClips();
    for (auto& [level, p] : levels) {
      Collect(p->Refresh());
      for (const std::string& note : p->TakeNotes()) host.Log(note);
    }
    std::vector<IntRect> rects;
    rects.swap(dirty);
    const IntRect view{0, 0, width, height};
    std::vector<IntRect> out;
    for (const IntRect& r : rects) {
      const IntRect c = r.Intersect(view);
      if (!c.Empty() && std::find(out.begin(), out.end(), c) == out.end()) out.push_back(c);
    }
    for (const IntRect& r : out) host.Invalidate(r);
  } catch (const std::exception& ex) {
    host.Log(std::string("movie: ") + ex.what());
  }
  --depth;
  settling = false;
}

// ---- drawing ----

void MovieInstance::SetViewport(int Width, int Height) {
  Entry e(*state_);
  state_->width = std::max(Width, 0);
  state_->height = std::max(Height, 0);
  for (auto& [level, p] : state_->levels) p->SetViewport(state_->width, state_->height);
  state_->dirty.push_back({0, 0, state_->width, state_->height});
}

void MovieInstance::Render(const RenderTarget& Target, IntRect Clip, bool Transparent) const {
  bool first = true;
  for (const auto& [level, p] : state_->levels) {
    p->Render(Target, Clip, first ? Transparent : true);
    first = false;
  }
}

}  // namespace swf
