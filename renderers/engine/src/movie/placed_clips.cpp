// Finding text fields and buttons again on their level's display list, and
// what they answer alike: their parent, level and name.
#include "renderers/engine/src/movie/placed_clips.h"

#include <algorithm>
#include <cctype>

#include "renderers/engine/src/movie/clips.h"
#include "renderers/engine/src/movie/movie_state.h"
#include "renderers/engine/src/player/display_list.h"

namespace swf::movie {

detail::TimelineState* TimelineAt(MoviePlayer& P, const std::vector<uint16_t>& Depths, size_t Count) {
  detail::TimelineState* t = &P.RootTimeline();
  for (size_t i = 0; i < Count; ++i) {
    const auto it = t->list.find(Depths[i]);
    if (it == t->list.end() || !it->second->sprite) return nullptr;
    t = it->second->sprite.get();
  }
  return t;
}

Placed FindPlaced(MovieInstance::State& S, detail::TimelineState& T, const std::string& Name,
                  bool (*Kind)(const detail::Instance&)) {
  const bool caseless = S.runtime.SwfVersion() < 7;
  auto same = [caseless](const std::string& A, const std::string& B) {
    if (!caseless) return A == B;
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
             return std::tolower(static_cast<unsigned char>(X)) == std::tolower(static_cast<unsigned char>(Y));
           });
  };
  for (const auto& [depth, inst] : T.list)
    if (Kind(*inst) && same(inst->ScriptName(), Name)) return {true, depth, inst->serial};
  return {};
}

PlacedClip::PlacedClip(MovieInstance::State& S, int Level, std::vector<uint16_t> Depths, uint64_t Serial,
                       const char* Prototype)
    : level(Level),
      depths(std::move(Depths)),
      serial(Serial),
      state_(S),
      player_(Player()),
      vars_(S.runtime.NewClipObject()) {
  if (Object* proto = S.runtime.BuiltinPrototype(Prototype)) vars_->prototype = proto;
}

MoviePlayer* PlacedClip::Player() {
  const auto it = state_.levels.find(level);
  return it == state_.levels.end() ? nullptr : it->second.get();
}

detail::TimelineState* PlacedClip::Holder() {
  MoviePlayer* p = Player();
  if (!p || p != player_ || depths.empty()) return nullptr;
  return TimelineAt(*p, depths, depths.size() - 1);
}

detail::Instance* PlacedClip::Instance() {
  detail::TimelineState* t = Holder();
  if (!t) return nullptr;
  const auto it = t->list.find(depths.back());
  if (it == t->list.end() || !Holds(*it->second) || it->second->serial != serial) return nullptr;
  return it->second.get();
}

ScriptClip* PlacedClip::Parent() {
  if (!Holder()) return nullptr;
  if (depths.size() == 1) return state_.RootClip(level);
  const std::vector<uint16_t> up(depths.begin(), depths.end() - 1);
  detail::TimelineState* above = TimelineAt(*Player(), depths, depths.size() - 2);
  const auto it = above->list.find(up.back());
  return state_.ClipAt(level, up, it->second->serial);
}

ScriptClip* PlacedClip::Level(int N) { return state_.RootClip(N); }

std::string PlacedClip::Name() {
  detail::Instance* i = Instance();
  return i ? i->ScriptName() : "";
}

std::optional<int> PlacedClip::DrawnDepth() {
  if (!Alive()) return std::nullopt;
  return static_cast<int>(depths.back()) - detail::kScriptDepthBase;
}

Value PlacedClip::DrawnProperty(int Index) {
  enum { kX = 0, kY, kXScale, kYScale, kAlpha = 6, kVisible, kWidth, kHeight, kRotation };
  detail::Instance* i = Instance();
  if (!i) return Value();
  const Matrix& m = i->placement.matrix;
  switch (Index) {
    case kX: return Value::Number(m.tx / 20);
    case kY: return Value::Number(m.ty / 20);
    case kXScale: return Value::Number(ScaleRotationOf(*i).xscale);
    case kYScale: return Value::Number(ScaleRotationOf(*i).yscale);
    case kAlpha: return Value::Number(i->placement.cxform.multA * 100.0 / 256);
    case kVisible: return Value::Bool(i->visible);
    case kWidth:
    case kHeight: {
      const Rect r = detail::PlacedBounds(*i);
      if (r.xmin > r.xmax) return Value::Number(0);
      return Value::Number((Index == kWidth ? r.Width() : r.Height()) / 20);
    }
    case kRotation: return Value::Number(ScaleRotationOf(*i).rotation);
    default: return Value();
  }
}

}  // namespace swf::movie
