// The MovieClipLoader class: loads movies and images into clips and levels
// and tells its listeners how each load goes (onLoadStart, onLoadProgress,
// onLoadComplete, onLoadInit, or onLoadError). The loads themselves are the
// host's (ScriptHost::LoadClip); this file checks what scripts pass.

#include <cmath>

#include "renderers/engine/src/script/internal.h"

namespace swf {
namespace {

// The target path a load goes to: a clip (by reference or by path), or a
// level by number. Empty when the target names no clip.
std::string LoadTarget(NativeCall& C, const Value& Target) {
  if (Target.IsNumber()) {
    const double level = std::floor(Target.number());
    if (!(level >= 0 && level < 1e9)) return "";
    return "_level" + NumberToString(level);
  }
  if (!Target.IsString() && !Target.IsClip()) return "";
  ScriptClip* clip = C.runtime.ResolveTarget(C.clip, Target.string());
  return clip ? clip->TargetPath() : "";
}

}  // namespace

void InstallMovieClipLoader(ScriptRuntime& R) {
  Object* proto = R.NewObject();
  Object* ctor = InstallClass(R, "MovieClipLoader", proto, [](NativeCall& C) {
    // Each loader starts as its own listener.
    if (Object* self = C.ThisObject()) self->Define("_listeners", Value::Obj(C.runtime.NewArray({C.thisValue})), kDontEnum);
    return Value();
  });
  (void)ctor;
  // addListener, removeListener and broadcastMessage are AsBroadcaster's own.
  Value broadcaster = R.Global()->Get("AsBroadcaster");
  for (const char* name : {"addListener", "removeListener", "broadcastMessage"})
    if (broadcaster.IsObject()) proto->Define(name, broadcaster.object()->Get(name), kDontEnum);
  R.Method(proto, "loadClip", [](NativeCall& C) {
    if (C.args.size() < 2) return Value();
    // The URL must be a string: nothing else is converted.
    if (!C.args[0].IsString()) return Value::Bool(false);
    const std::string target = LoadTarget(C, C.args[1]);
    if (target.empty()) return Value::Bool(false);
    return Value::Bool(C.host.LoadClip(C.args[0].string(), target, C.ThisObject()));
  });
  R.Method(proto, "unloadClip", [](NativeCall& C) {
    if (C.args.empty()) return Value();
    const std::string target = LoadTarget(C, C.args[0]);
    if (target.empty()) return Value::Bool(false);
    return Value::Bool(C.host.UnloadClip(target));
  });
  R.Method(proto, "getProgress", [](NativeCall& C) {
    Object* progress = C.runtime.NewObject();
    const std::string target = LoadTarget(C, C.Arg(0));
    ScriptClip* clip = target.empty() ? nullptr : C.runtime.ResolveTarget(C.clip, target);
    if (clip) {
      progress->Set("bytesLoaded", Value::Number(clip->BytesTotal()));
      progress->Set("bytesTotal", Value::Number(clip->BytesTotal()));
    }
    return Value::Obj(progress);
  });
}

}  // namespace swf
