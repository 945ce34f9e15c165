// The Error class, and the classes and objects every movie finds in _global
// by name even where the engine has nothing behind them yet (PrintJob,
// XMLSocket, the filters, ...): a constructor with an empty prototype, so
// that scripts testing for them, subclassing them or extending their
// prototypes see what they expect. Installed last, and only where nothing
// else installed the name first.

#include "renderers/engine/src/script/internal.h"

namespace swf {
namespace {

// A constructor that gives new instances their prototype and nothing more.
Value StubConstructor(NativeCall& C) { return IsConstructing(C) ? C.thisValue : Value(); }

// The object a dotted path names under _global, or nullptr.
Object* Existing(ScriptRuntime& R, const std::string& Path) {
  Object* at = R.Global();
  size_t begin = 0;
  while (at && begin <= Path.size()) {
    size_t dot = Path.find('.', begin);
    if (dot == std::string::npos) dot = Path.size();
    Value next = at->Get(Path.substr(begin, dot - begin));
    at = next.IsObject() ? next.object() : nullptr;
    begin = dot + 1;
  }
  return at;
}

// Owner.Name as a hidden constructor with an empty prototype, unless Owner has one already.
void StubClass(ScriptRuntime& R, Object* Owner, const std::string& Name) {
  if (!Owner || Owner->Has(Name)) return;
  Object* proto = R.NewObject();
  Object* ctor = R.NewNative(StubConstructor);
  ctor->Define("prototype", Value::Obj(proto), kDontEnum | kDontDelete);
  proto->Define("constructor", Value::Obj(ctor), kDontEnum);
  Owner->Define(Name, Value::Obj(ctor), kDontEnum);
}

void StubObject(ScriptRuntime& R, Object* Owner, const std::string& Name) {
  if (!Owner || Owner->Has(Name)) return;
  Owner->Define(Name, Value::Obj(R.NewObject()), kDontEnum);
}

void InstallError(ScriptRuntime& R) {
  if (R.Global()->Has("Error")) return;
  Object* proto = R.NewObject();
  InstallClass(R, "Error", proto, [](NativeCall& C) {
    Object* self = IsConstructing(C) ? C.ThisObject() : nullptr;
    if (!self) {
      self = C.runtime.NewObject();
      Value p = C.runtime.Global()->Get("Error");
      if (p.IsObject())
        if (Value pp = p.object()->Get("prototype"); pp.IsObject()) self->prototype = pp.object();
    }
    if (!C.args.empty() && !C.args[0].IsUndefined()) self->Set("message", C.args[0]);
    return Value::Obj(self);
  });
  proto->Define("message", Value::String("Error"), 0);
  proto->Define("name", Value::String("Error"), 0);
  R.Method(proto, "toString", [](NativeCall& C) { return Value::String(C.ToString(C.Get(C.thisValue, "message"))); });
}

}  // namespace

void InstallClassStubs(ScriptRuntime& R) {
  InstallError(R);
  Object* global = R.Global();
  for (const char* name : {"Button", "MovieClip", "MovieClipLoader", "PrintJob", "XMLSocket"}) {
    if (global->Has(name)) continue;
    // A class the runtime keeps a prototype for (MovieClip's is every clip's) shows that one.
    Object* proto = R.BuiltinPrototype(name);
    InstallClass(R, name, proto ? proto : R.NewObject(), StubConstructor);
  }
  StubObject(R, global, "Accessibility");
  StubObject(R, Existing(R, "System"), "IME");
  if (R.SwfVersion() >= 7) StubClass(R, Existing(R, "TextField"), "StyleSheet");
  // The flash packages came with SWF 8; older movies do not see them.
  if (R.SwfVersion() < 8) {
    global->Delete("flash");
    return;
  }
  StubClass(R, Package(R, "flash.display"), "BitmapData");
  Object* filters = Package(R, "flash.filters");
  for (const char* name : {"BitmapFilter", "BevelFilter", "BlurFilter", "ColorMatrixFilter", "ConvolutionFilter",
                           "DisplacementMapFilter", "DropShadowFilter", "GlowFilter", "GradientBevelFilter",
                           "GradientGlowFilter"})
    StubClass(R, filters, name);
  Object* net = Package(R, "flash.net");
  StubClass(R, net, "FileReference");
  StubClass(R, net, "FileReferenceList");
  StubClass(R, Package(R, "flash.text"), "TextRenderer");
}

}  // namespace swf
