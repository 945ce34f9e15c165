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

// A button's tabIndex keeps a signed 32-bit whole number; what is no number
// or lies beyond that range is -2^31.
double TabIndex(const Value& V) {
  const double n = std::trunc(V.ToNumber());
  if (!(n >= -2147483648.0 && n <= 2147483647.0)) return -2147483648.0;
  return n + 0.0;
}

}  // namespace

ButtonClip::ButtonClip(MovieInstance::State& S, int Level, std::vector<uint16_t> Depths, uint64_t Serial)
    : PlacedClip(S, Level, std::move(Depths), Serial, "Button"), props_(S.runtime, S.runtime.NewObject()) {
  // A button starts with a tabIndex of its own, undefined until set.
  vars_->Set("tabIndex", Value());
}

bool ButtonClip::Holds(const detail::Instance& I) const { return I.button != nullptr; }

std::optional<int> ButtonClip::Depth() { return DrawnDepth(); }

Value ButtonClip::GetProperty(int Index) {
  if (Index == kFocusRect) return Alive() ? Value::Null() : Value();
  return DrawnProperty(Index);
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
  return PlacedChild<ButtonClip>(S, S.buttonClips, Level, Depths, T, Name,
                             [](const detail::Instance& I) { return I.button != nullptr; });
}

void PruneButtonClips(MovieInstance::State& S) { PruneGone(S.buttonClips); }

}  // namespace swf::movie
