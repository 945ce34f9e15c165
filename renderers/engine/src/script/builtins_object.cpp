// The Object and Function classes and ASSetPropFlags.

#include "renderers/engine/src/script/internal.h"

namespace swf {

void InstallObject(ScriptRuntime& R) {
  InstallClass(R, "Object", R.BuiltinPrototype("Object"), [](NativeCall& C) {
    if (C.thisValue.IsObject()) return C.thisValue;
    return Value::Obj(C.runtime.NewObject());
  });
}

void InstallFunction(ScriptRuntime& /*R*/) {}

}  // namespace swf
