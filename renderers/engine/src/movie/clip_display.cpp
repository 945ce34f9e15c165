// Clips for scripts: what MovieClip methods do to the display list (attach,
// create, duplicate, remove and swap instances; depths) and the geometry
// scripts ask of a clip (its frame on the stage, bounds, hit tests).
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "renderers/engine/src/movie/clips.h"
#include "renderers/engine/src/movie/movie_state.h"
#include "renderers/engine/src/player/display_list.h"
#include "renderers/engine/src/player/hit_test.h"

namespace swf::movie {
namespace {

// Scripts count depths from -16384 at the timeline's depth 0.
constexpr int kDepthOffset = 16384;

std::optional<uint16_t> ListDepth(int ScriptDepth) {
  const int64_t d = int64_t{ScriptDepth} + kDepthOffset;
  if (d < 0 || d > 65535) return std::nullopt;
  return static_cast<uint16_t>(d);
}

}  // namespace

detail::TimelineState* Clip::ParentTimeline() {
  if (depths.empty() || !Instance()) return nullptr;
  MoviePlayer* p = Player();
  detail::TimelineState* t = &p->RootTimeline();
  for (size_t i = 0; i + 1 < depths.size(); ++i) t = t->list.at(depths[i])->sprite.get();
  return t;
}

ScriptClip* Clip::Placed(int Depth, detail::Instance* I) {
  if (!I || !I->sprite) return nullptr;
  std::vector<uint16_t> down = depths;
  down.push_back(*ListDepth(Depth));
  return state_.ClipAt(level, down, I->serial);
}

ScriptClip* Clip::AttachMovie(const std::string& Linkage, const std::string& Name, int Depth) {
  detail::TimelineState* t = Timeline();
  const auto d = ListDepth(Depth);
  if (!t || !d) return nullptr;
  const auto linked = Player()->FindLinkage(*t->movie, Linkage);
  if (!linked || !std::holds_alternative<Sprite>(*linked->character)) return nullptr;
  detail::Placement p;
  p.characterId = linked->id;
  p.name = Name;
  return Placed(Depth, detail::PlaceDynamic(*t, *d, std::move(p), Player()->Instances()));
}

ScriptClip* Clip::CreateEmptyClip(const std::string& Name, int Depth) {
  detail::TimelineState* t = Timeline();
  const auto d = ListDepth(Depth);
  if (!t || !d) return nullptr;
  detail::Placement p;
  p.emptyClip = true;
  p.name = Name;
  return Placed(Depth, detail::PlaceDynamic(*t, *d, std::move(p), Player()->Instances()));
}

ScriptClip* Clip::Duplicate(const std::string& Name, int Depth) {
  detail::TimelineState* parent = ParentTimeline();
  const auto d = ListDepth(Depth);
  if (!parent || !d) return nullptr;
  detail::Instance* copy = detail::DuplicateDynamic(*parent, depths.back(), *d, Name, Player()->Instances());
  if (!copy || !copy->sprite) return nullptr;
  std::vector<uint16_t> at(depths.begin(), depths.end() - 1);
  at.push_back(*d);
  ScriptClip* clip = state_.ClipAt(level, at, copy->serial);
  // The copy runs the same clip events as the original.
  return clip;
}

bool Clip::Remove() {
  detail::TimelineState* parent = ParentTimeline();
  if (!parent) return false;
  const uint16_t d = depths.back();
  if (d < kDepthOffset) return false;  // the timeline's own instances stay
  parent->list.erase(d);
  return true;
}

std::optional<int> Clip::Depth() {
  if (depths.empty()) return Player() ? std::optional<int>(-kDepthOffset) : std::nullopt;
  if (!Instance()) return std::nullopt;
  return int{depths.back()} - kDepthOffset;
}

void Clip::SwapDepths(int Depth) {
  detail::TimelineState* parent = ParentTimeline();
  const auto d = ListDepth(Depth);
  if (!parent || !d) return;
  detail::SwapDepths(*parent, depths.back(), *d);
  depths.back() = *d;
}

int Clip::NextHighestDepth() {
  detail::TimelineState* t = Timeline();
  if (!t || t->list.empty()) return 0;
  return std::max(0, int{t->list.rbegin()->first} + 1 - kDepthOffset);
}

ScriptClip* Clip::InstanceAtDepth(int Depth) {
  detail::TimelineState* t = Timeline();
  const auto d = ListDepth(Depth);
  if (!t || !d) return nullptr;
  const auto it = t->list.find(*d);
  if (it == t->list.end()) return nullptr;
  if (it->second->sprite) return Placed(Depth, it->second.get());
  // A text field answers as itself; what scripts cannot reach on its own (a
  // shape, static text) as this clip.
  if (it->second->textField)
    if (ScriptClip* field = TextFieldChild(state_, level, depths, *t, it->second->ScriptName())) return field;
  if (it->second->button)
    if (ScriptClip* button = ButtonChild(state_, level, depths, *t, it->second->ScriptName())) return button;
  if (it->second->video)
    if (ScriptClip* video = VideoChild(state_, level, depths, *t, it->second->ScriptName())) return video;
  return this;
}

std::optional<std::array<double, 6>> Clip::ToStage() {
  MoviePlayer* p = Player();
  if (!p || (!depths.empty() && !Instance())) return std::nullopt;
  Matrix m;
  detail::TimelineState* t = &p->RootTimeline();
  for (uint16_t d : depths) {
    const detail::Instance& inst = *t->list.at(d);
    m = m * inst.placement.matrix;
    t = inst.sprite.get();
  }
  return std::array<double, 6>{m.a, m.b, m.c, m.d, m.tx, m.ty};
}

std::optional<std::array<double, 4>> Clip::LocalBounds() {
  detail::TimelineState* t = Timeline();
  if (!t) return std::nullopt;
  const Rect r = detail::TimelineBounds(*t);
  if (r.Empty()) return std::nullopt;
  return std::array<double, 4>{r.xmin, r.ymin, r.xmax, r.ymax};
}

bool Clip::HitTest(double X, double Y, bool ShapeFlag) {
  const auto frame = ToStage();
  detail::TimelineState* t = Timeline();
  if (!frame || !t) return false;
  const Matrix m{(*frame)[0], (*frame)[1], (*frame)[2], (*frame)[3], (*frame)[4], (*frame)[5]};
  if (!ShapeFlag) {
    const auto b = LocalBounds();
    if (!b) return false;
    const Rect r = m.Apply(Rect{(*b)[0], (*b)[1], (*b)[2], (*b)[3]});
    return X >= r.xmin && X <= r.xmax && Y >= r.ymin && Y <= r.ymax;
  }
  for (const auto& [depth, inst] : t->list) {
    if (!inst->visible) continue;
    if (detail::HitInstance(*inst, m * inst->placement.matrix, Point{X, Y})) return true;
  }
  return false;
}

int Clip::SwfVersion() {
  detail::TimelineState* t = Timeline();
  return t ? t->movie->version : -1;
}

double Clip::BytesTotal() {
  detail::TimelineState* t = Timeline();
  return t ? static_cast<double>(t->movie->fileLength) : 0;
}

std::string Clip::LinkageName() {
  detail::Instance* i = Instance();
  detail::TimelineState* parent = ParentTimeline();
  if (!i || !parent || i->placement.emptyClip) return "";
  for (const auto& [name, id] : parent->movie->exports)
    if (id == i->placement.characterId) return name;
  return "";
}

bool Clip::BeginConstruction() {
  detail::Instance* i = Instance();
  if (!i || i->initialized) return false;
  i->initialized = true;
  return true;
}

void Clip::CloneSprite(const std::string& Target, const std::string& NewName, int Depth) {
  // The action's depth counts from the timeline's depth 0 (compilers add
  // 16384 to the depth a script names).
  const int64_t depth = int64_t{Depth} - kDepthOffset;
  if (depth < INT32_MIN) return;
  if (ScriptClip* c = state_.runtime.ResolveTarget(*this, Target)) c->Duplicate(NewName, static_cast<int>(depth));
}

void Clip::RemoveSprite(const std::string& Target) {
  if (ScriptClip* c = state_.runtime.ResolveTarget(*this, Target)) c->Remove();
}

}  // namespace swf::movie
