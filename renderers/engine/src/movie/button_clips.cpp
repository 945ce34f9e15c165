// Button instances for scripts: finding them by name, their place on the
// display list, and the properties they answer.
#include "renderers/engine/src/movie/button_clips.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

#include "renderers/engine/src/movie/movie_state.h"
#include "renderers/engine/src/player/display_list.h"
#include "renderers/engine/src/script/focus.h"

namespace swf::movie {
namespace {

enum Property { kX = 0, kY, kXScale, kYScale, kAlpha = 6, kVisible, kWidth, kHeight, kRotation, kFocusRect = 17 };

// The timeline at the first Count of Depths from the level's root.
detail::TimelineState* TimelineAt(MoviePlayer& P, const std::vector<uint16_t>& Depths, size_t Count) {
  detail::TimelineState* t = &P.RootTimeline();
  for (size_t i = 0; i < Count; ++i) {
    const auto it = t->list.find(Depths[i]);
    if (it == t->list.end() || !it->second->sprite) return nullptr;
    t = it->second->sprite.get();
  }
  return t;
}

// A button's tabIndex keeps a signed 32-bit whole number; what is no number
// or lies beyond that range is -2^31.
double TabIndex(const Value& V) {
  const double n = std::trunc(V.ToNumber());
  if (!(n >= -2147483648.0 && n <= 2147483647.0)) return -2147483648.0;
  return n + 0.0;
}

}  // namespace

ButtonClip::ButtonClip(MovieInstance::State& S, int Level, std::vector<uint16_t> Depths, uint64_t Serial)
    : level(Level),
      depths(std::move(Depths)),
      serial(Serial),
      state_(S),
      player_(Player()),
      vars_(S.runtime.NewClipObject()),
      props_(S.runtime, S.runtime.NewObject()) {
  if (Object* proto = S.runtime.BuiltinPrototype("Button")) vars_->prototype = proto;
  // A button starts with a tabIndex of its own, undefined until set.
  vars_->Set("tabIndex", Value());
}

MoviePlayer* ButtonClip::Player() {
  const auto it = state_.levels.find(level);
  return it == state_.levels.end() ? nullptr : it->second.get();
}

detail::TimelineState* ButtonClip::Holder() {
  MoviePlayer* p = Player();
  if (!p || p != player_ || depths.empty()) return nullptr;
  return TimelineAt(*p, depths, depths.size() - 1);
}

detail::Instance* ButtonClip::Instance() {
  detail::TimelineState* t = Holder();
  if (!t) return nullptr;
  const auto it = t->list.find(depths.back());
  if (it == t->list.end() || !it->second->button || it->second->serial != serial) return nullptr;
  return it->second.get();
}

ScriptClip* ButtonClip::Parent() {
  if (!Holder()) return nullptr;
  if (depths.size() == 1) return state_.RootClip(level);
  const std::vector<uint16_t> up(depths.begin(), depths.end() - 1);
  detail::TimelineState* above = TimelineAt(*Player(), depths, depths.size() - 2);
  const auto it = above->list.find(up.back());
  return state_.ClipAt(level, up, it->second->serial);
}

ScriptClip* ButtonClip::Level(int N) { return state_.RootClip(N); }

std::string ButtonClip::Name() {
  detail::Instance* i = Instance();
  return i ? i->ScriptName() : "";
}

std::optional<int> ButtonClip::Depth() {
  if (!Alive()) return std::nullopt;
  return static_cast<int>(depths.back()) - detail::kScriptDepthBase;
}

Value ButtonClip::GetProperty(int Index) {
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
    case kFocusRect: return Value::Null();
    default: return Value();
  }
}

void ButtonClip::SetProperty(int Index, const Value& V) {
  detail::Instance* i = Instance();
  if (!i || SetPlacementProperty(*i, Index, V)) return;
  if (Index == kVisible) {
    i->visible = V.ToBoolean();
    // A hidden button cannot keep the keyboard focus.
    if (!i->visible) DropFocusFromHidden(state_.runtime, state_.bridge, *this);
  }
}

std::optional<Value> ButtonClip::DisplayProperty(const std::string& Name) {
  if (Name != "enabled" && Name != "useHandCursor") return std::nullopt;
  if (props_->Has(Name)) return props_->Get(Name);
  return Value::Bool(true);
}

bool ButtonClip::SetDisplayProperty(const std::string& Name, const Value& V) {
  if (Name == "tabIndex" && !V.IsUndefined()) {
    // Kept as a variable of the button, held to a whole number.
    vars_->Set(Name, Value::Number(TabIndex(V)));
    return true;
  }
  if (Name != "enabled" && Name != "useHandCursor") return false;
  props_->Set(Name, V);
  return true;
}

ScriptClip* ButtonChild(MovieInstance::State& S, int Level, const std::vector<uint16_t>& Depths,
                        detail::TimelineState& T, const std::string& Name) {
  const bool caseless = S.runtime.SwfVersion() < 7;
  auto same = [caseless](const std::string& A, const std::string& B) {
    if (!caseless) return A == B;
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
             return std::tolower(static_cast<unsigned char>(X)) == std::tolower(static_cast<unsigned char>(Y));
           });
  };
  for (const auto& [depth, inst] : T.list) {
    if (!inst->button || !same(inst->ScriptName(), Name)) continue;
    auto& slot = S.buttonClips[{Level, inst->serial}];
    if (!slot || !slot->Alive()) {
      std::vector<uint16_t> down = Depths;
      down.push_back(depth);
      slot = std::make_unique<ButtonClip>(S, Level, std::move(down), inst->serial);
    }
    return slot->Alive() ? slot.get() : nullptr;
  }
  return nullptr;
}

void PruneButtonClips(MovieInstance::State& S) {
  for (auto it = S.buttonClips.begin(); it != S.buttonClips.end();)
    it = it->second->Alive() ? std::next(it) : S.buttonClips.erase(it);
}

}  // namespace swf::movie
