// The objects every movie finds: what installs the built-in library.

#include <cmath>

#include "renderers/engine/src/script/internal.h"

namespace swf {

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
  InstallMovieClipLoader(R);
  InstallGeometry(R);
  InstallTextClasses(R);
  InstallMediaStubs(R);
  InstallPrintJob(R);
  InstallFileReferences(R);
  InstallExternalInterface(R);
  InstallBitmapData(R);
  InstallDrawing(R);
  InstallButton(R);
  InstallVideo(R);
  InstallClassStubs(R);
  InstallNativeTable(R);
}

}  // namespace swf
