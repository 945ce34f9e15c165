// The objects every movie finds: what installs the built-in library, and
// flash.external.ExternalInterface.

#include <cmath>

#include "renderers/engine/src/script/internal.h"

namespace swf {
namespace {

void InstallExternalInterface(ScriptRuntime& R) {
  Object* ei = R.NewObject();
  ei->Set("available", Value::Bool(true));
  ei->Set("call", Value::Obj(R.NewNative([](NativeCall& C) {
    if (C.args.empty()) return Value();
    std::vector<Value> rest(C.args.begin() + 1, C.args.end());
    return C.host.CallExternal(C.args[0].ToString(), rest);
  })));
  ei->Set("addCallback", Value::Obj(R.NewNative([](NativeCall& C) {
    std::string name = C.Arg(0).ToString();
    Value self = C.Arg(1), fn = C.Arg(2);
    if (name.empty() || !fn.IsFunction()) return Value::Bool(false);
    C.runtime.RegisterCallback(name, self, fn);
    C.host.AddCallback(name, self, fn);
    return Value::Bool(true);
  })));
  Object* external = R.NewObject();
  external->Set("ExternalInterface", Value::Obj(ei));
  Object* flash = R.NewObject();
  flash->Set("external", Value::Obj(external));
  R.Global()->Set("flash", Value::Obj(flash));
}

}  // namespace

// A constructor function installed in _global as Name, with Prototype as
// its prototype member and the prototype's constructor.
Object* InstallClass(ScriptRuntime& R, const std::string& Name, Object* Prototype, NativeFunction Constructor) {
  Object* ctor = R.NewNative(std::move(Constructor));
  ctor->Define("prototype", Value::Obj(Prototype), kDontEnum | kDontDelete);
  Prototype->Define("constructor", Value::Obj(ctor), kDontEnum);
  if (!R.BuiltinPrototype(Name)) R.SetBuiltinPrototype(Name, Prototype);
  R.Global()->Define(Name, Value::Obj(ctor), kDontEnum);
  return ctor;
}

void InstallBuiltins(ScriptRuntime& R) {
  InstallObject(R);
  InstallFunction(R);
  InstallArray(R);
  InstallMovieClip(R);
  InstallPrimitiveClasses(R);
  InstallString(R);
  InstallMath(R);
  InstallGlobalFunctions(R);
  InstallBroadcaster(R);
  InstallDate(R);
  InstallTimers(R);
  InstallSystemObjects(R);
  InstallXml(R);
  InstallLoadVars(R);
  InstallGeometry(R);
  InstallTextClasses(R);
  InstallMediaStubs(R);
  InstallExternalInterface(R);
}

}  // namespace swf
