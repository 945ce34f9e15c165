// Clips for scripts: the properties beyond the indexed ones. Those the
// player acts on (blendMode, cacheAsBitmap, _lockroot) are kept with the
// instance; the others keep what a script stored, with the reference
// player's default until then.
#include <array>
#include <cmath>
#include <cstdint>

#include "renderers/engine/src/movie/clips.h"
#include "renderers/engine/src/movie/movie_state.h"
#include "renderers/engine/src/player/display_list.h"

namespace swf::movie {
namespace {

constexpr std::array<const char*, 14> kBlendNames = {"normal",     "layer", "multiply", "screen", "lighten",
                                                     "darken",     "difference", "add", "subtract", "invert",
                                                     "alpha",      "erase", "overlay", "hardlight"};

// Stored as given; undefined until set, but for these defaults.
std::optional<Value> Default(const std::string& Name, int Version) {
  if (Name == "enabled" || Name == "useHandCursor") return Value::Bool(true);
  if (Name == "_lockroot") return Value::Bool(false);
  // focusEnabled, tabEnabled and tabChildren are plain variables (Selection
  // reads focusEnabled; delete removes them).
  if (Name == "tabIndex" ||
      Name == "hitArea" || Name == "menu" || Name == "trackAsMenu")
    return Value();
  if (Version >= 8 && (Name == "opaqueBackground" || Name == "scale9Grid")) return Value();
  return std::nullopt;
}

// tabIndex keeps a signed 32-bit whole number; what is no number or lies
// beyond that range is -2^31.
double TabIndex(const Value& V) {
  const double n = std::trunc(V.ToNumber());
  if (!(n >= -2147483648.0 && n <= 2147483647.0)) return -2147483648.0;
  return n + 0.0;
}

}  // namespace

std::optional<Value> Clip::DisplayProperty(const std::string& Name) {
  detail::Instance* i = Instance();
  const int version = state_.runtime.SwfVersion();
  if (version >= 8) {
    if (Name == "blendMode") {
      const auto mode = i ? static_cast<size_t>(i->placement.blendMode) : 1;
      return Value::String(mode >= 1 && mode <= kBlendNames.size() ? kBlendNames[mode - 1] : "normal");
    }
    if (Name == "cacheAsBitmap") return Value::Bool(i && i->placement.cacheAsBitmap);
    if (Name == "filters") return Value::Obj(state_.runtime.NewArray({}));
  }
  const auto fallback = Default(Name, version);
  if (!fallback) return std::nullopt;
  if (props_->Has(Name)) return props_->Get(Name);
  return fallback;
}

bool Clip::SetDisplayProperty(const std::string& Name, const Value& V) {
  detail::Instance* i = Instance();
  const int version = state_.runtime.SwfVersion();
  if (version >= 8 && Name == "blendMode") {
    if (!i) return true;
    // A name, or a number whose low byte is 1..14; null and undefined are
    // normal; anything else leaves the mode as it is.
    if (V.IsNull() || V.IsUndefined()) {
      i->placement.blendMode = BlendMode::Normal;
    } else if (V.IsNumber()) {
      const double n = V.number();
      if (std::isfinite(n) && std::abs(n) < 1e15) {
        const auto low = static_cast<int64_t>(std::trunc(n)) & 0xFF;
        if (low >= 1 && low <= static_cast<int64_t>(kBlendNames.size()))
          i->placement.blendMode = static_cast<BlendMode>(low);
      }
    } else if (V.IsString()) {
      for (size_t k = 0; k < kBlendNames.size(); ++k)
        if (V.string() == kBlendNames[k]) i->placement.blendMode = static_cast<BlendMode>(k + 1);
    }
    return true;
  }
  if (version >= 8 && Name == "cacheAsBitmap") {
    if (i) i->placement.cacheAsBitmap = V.ToBoolean();
    return true;
  }
  if (version >= 8 && Name == "filters") return true;
  if (!Default(Name, version)) return false;
  if (Name == "tabIndex" && !V.IsUndefined()) {
    props_->Set(Name, Value::Number(TabIndex(V)));
    return true;
  }
  props_->Set(Name, Name == "_lockroot" ? Value::Bool(V.ToBoolean()) : V);
  return true;
}

}  // namespace swf::movie
