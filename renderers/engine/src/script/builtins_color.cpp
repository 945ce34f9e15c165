// The Color class: a clip's colour transform as setRGB and setTransform see
// it (percentages and offsets), and the link to a clip it shares with
// flash.geom.Transform.

#include <cmath>
#include <cstdint>
#include <memory>

#include "renderers/engine/src/script/internal.h"
#include "renderers/engine/src/script/placement.h"

namespace swf {

ScriptClip* ClipNamed(NativeCall& C, const Value& V) {
  if (V.IsClip() || V.IsString()) return C.runtime.ResolveTarget(C.clip, V.string());
  return nullptr;
}

ScriptClip* LinkedClip(NativeCall& C, const Value& Of) {
  const auto* link = Of.IsObject() ? dynamic_cast<const ClipLink*>(Of.object()->data.get()) : nullptr;
  return link ? C.runtime.ResolveTarget(C.clip, link->path) : nullptr;
}

void LinkClip(Object& O, ScriptClip& Clip) { O.data = std::make_unique<ClipLink>(Clip.TargetPath()); }

namespace {

// setTransform's members: per channel a percentage and an offset.
constexpr const char* kPercent[4] = {"ra", "ga", "ba", "aa"};
constexpr const char* kOffset[4] = {"rb", "gb", "bb", "ab"};

int64_t Whole(double N) { return std::isfinite(N) && std::fabs(N) < 9e18 ? static_cast<int64_t>(N) : 0; }

}  // namespace

void InstallColor(ScriptRuntime& R) {
  Object* proto = R.NewObject();
  InstallClass(R, "Color", proto, [](NativeCall& C) {
    Object* self = C.ThisObject();
    if (ScriptClip* clip = ClipNamed(C, C.Arg(0)); self && clip) LinkClip(*self, *clip);
    return Value();
  });
  R.Method(proto, "setRGB", [](NativeCall& C) {
    ScriptClip* clip = LinkedClip(C, C.thisValue);
    if (!clip) return Value();
    const int64_t rgb = Whole(C.ToNumber(C.Arg(0)));
    ScriptClip::PlacementColor c = clip->GetColorTransform();
    for (int k = 0; k < 3; ++k) {
      c.mult[k] = 0;
      c.add[k] = static_cast<double>((rgb >> (16 - 8 * k)) & 0xFF);
    }
    clip->SetColorTransform(c);
    return Value();
  });
  R.Method(proto, "getRGB", [](NativeCall& C) {
    ScriptClip* clip = LinkedClip(C, C.thisValue);
    if (!clip) return Value();
    const ScriptClip::PlacementColor c = clip->GetColorTransform();
    int64_t rgb = 0;
    for (int k = 0; k < 3; ++k) rgb = rgb << 8 | (Whole(c.add[k]) & 0xFF);
    return Value::Number(static_cast<double>(rgb));
  });
  R.Method(proto, "setTransform", [](NativeCall& C) {
    ScriptClip* clip = LinkedClip(C, C.thisValue);
    const Value t = C.Arg(0);
    if (!clip || !t.IsObject()) return Value();
    ScriptClip::PlacementColor c = clip->GetColorTransform();
    for (int k = 0; k < 4; ++k) {
      const Value percent = C.Get(t, kPercent[k]), offset = C.Get(t, kOffset[k]);
      if (!percent.IsUndefined()) c.mult[k] = C.ToNumber(percent) / 100;
      if (!offset.IsUndefined()) c.add[k] = C.ToNumber(offset);
    }
    clip->SetColorTransform(c);
    return Value();
  });
  R.Method(proto, "getTransform", [](NativeCall& C) {
    ScriptClip* clip = LinkedClip(C, C.thisValue);
    if (!clip) return Value();
    const ScriptClip::PlacementColor c = clip->GetColorTransform();
    Object* out = C.runtime.NewObject();
    for (int k = 0; k < 4; ++k) {
      out->Set(kPercent[k], Value::Number(c.mult[k] * 100));
      out->Set(kOffset[k], Value::Number(c.add[k]));
    }
    return Value::Obj(out);
  });
}

}  // namespace swf
