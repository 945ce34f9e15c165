// The MovieClip class: the methods every clip answers.

#include <algorithm>
#include <cmath>

#include "renderers/engine/src/script/internal.h"

namespace swf {
namespace {

ScriptClip* ThisClip(NativeCall& C) {
  if (!C.thisValue.IsClip()) return nullptr;
  return C.runtime.ResolveTarget(C.clip, C.thisValue.string());
}

void Goto(NativeCall& C, ScriptClip::After Then) {
  ScriptClip* clip = ThisClip(C);
  if (!clip) return;
  Value f = C.Arg(0);
  double n = f.ToNumber();
  if (f.IsString() && std::isnan(n)) clip->GotoLabel(f.string(), Then);
  else if (!std::isnan(n)) clip->GotoFrame(static_cast<int>(std::clamp(n, 1.0, 1e9)) - 1, Then);
}

}  // namespace

void InstallMovieClip(ScriptRuntime& R) {
  Object* Methods = R.BuiltinPrototype("MovieClip");
  auto simple = [&](const char* name, void (ScriptClip::*method)()) {
    R.Method(Methods, name, [method](NativeCall& C) {
      if (ScriptClip* c = ThisClip(C)) (c->*method)();
      return Value();
    });
  };
  simple("play", &ScriptClip::Play);
  simple("stop", &ScriptClip::Stop);
  simple("nextFrame", &ScriptClip::NextFrame);
  simple("prevFrame", &ScriptClip::PrevFrame);
  R.Method(Methods, "gotoAndPlay", [](NativeCall& C) {
    Goto(C, ScriptClip::After::Play);
    return Value();
  });
  R.Method(Methods, "gotoAndStop", [](NativeCall& C) {
    Goto(C, ScriptClip::After::Stop);
    return Value();
  });
}

}  // namespace swf
