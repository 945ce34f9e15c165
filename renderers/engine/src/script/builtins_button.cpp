// The Button class: the prototype of the objects that stand for button
// instances (the movie answers their properties), with getDepth.
#include "renderers/engine/src/script/internal.h"

namespace swf {

void InstallButton(ScriptRuntime& R) {
  Object* proto = R.NewObject();
  R.SetBuiltinPrototype("Button", proto);
  InstallClass(R, "Button", proto, [](NativeCall& C) { return IsConstructing(C) ? C.thisValue : Value(); });
  R.Method(proto, "getDepth", [](NativeCall& C) {
    ScriptClip* button = C.thisValue.IsClip() ? C.runtime.ResolveTarget(C.clip, C.thisValue.string()) : nullptr;
    const std::optional<int> depth = button && button->IsButton() ? button->Depth() : std::nullopt;
    return depth ? Value::Number(*depth) : Value();
  });
}

}  // namespace swf
