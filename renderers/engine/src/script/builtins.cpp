// The objects every movie finds: flash.external.ExternalInterface, the
// Object and Array constructors with the array methods, and the methods of
// movie clips.

#include <cmath>

#include "renderers/engine/src/script/internal.h"

namespace swf {
namespace {

Value Arg(const NativeCall& C, size_t I) { return I < C.args.size() ? C.args[I] : Value(); }

ScriptClip* ThisClip(NativeCall& C) {
  if (!C.thisValue.IsClip()) return nullptr;
  return C.runtime.ResolveTarget(C.clip, C.thisValue.string());
}

void Goto(NativeCall& C, ScriptClip::After Then) {
  ScriptClip* clip = ThisClip(C);
  if (!clip) return;
  Value f = Arg(C, 0);
  double n = f.ToNumber();
  if (f.IsString() && std::isnan(n)) clip->GotoLabel(f.string(), Then);
  else if (!std::isnan(n)) clip->GotoFrame(static_cast<int>(std::clamp(n, 1.0, 1e9)) - 1, Then);
}

void InstallExternalInterface(ScriptRuntime& R) {
  Object* ei = R.NewObject();
  ei->Set("available", Value::Bool(true));
  ei->Set("call", Value::Obj(R.NewNative([](NativeCall& C) {
    if (C.args.empty()) return Value();
    std::vector<Value> rest(C.args.begin() + 1, C.args.end());
    return C.host.CallExternal(C.args[0].ToString(), rest);
  })));
  ei->Set("addCallback", Value::Obj(R.NewNative([](NativeCall& C) {
    std::string name = Arg(C, 0).ToString();
    Value self = Arg(C, 1), fn = Arg(C, 2);
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

void InstallArray(ScriptRuntime& R, Object* Methods) {
  Object* ctor = R.NewNative([](NativeCall& C) {
    std::vector<Value> elements;
    Object* a = C.runtime.NewArray(elements);
    if (C.args.size() == 1 && C.args[0].IsNumber()) {
      a->Set("length", C.args[0]);
    } else {
      for (size_t i = 0; i < C.args.size(); ++i) a->Set(NumberToString(static_cast<double>(i)), C.args[i]);
    }
    return Value::Obj(a);
  });
  ctor->Set("prototype", Value::Obj(Methods));
  R.Global()->Set("Array", Value::Obj(ctor));
  Methods->Set("push", Value::Obj(R.NewNative([](NativeCall& C) {
    if (!C.thisValue.IsObject()) return Value();
    Object* a = C.thisValue.object();
    double n = ArrayLength(*a);
    for (const Value& v : C.args) a->Set(NumberToString(n++), v);
    a->Set("length", Value::Number(n));
    return Value::Number(n);
  })));
  Methods->Set("pop", Value::Obj(R.NewNative([](NativeCall& C) {
    if (!C.thisValue.IsObject()) return Value();
    Object* a = C.thisValue.object();
    double n = ArrayLength(*a);
    if (n == 0) return Value();
    Value last = a->Get(NumberToString(n - 1));
    a->Set("length", Value::Number(n - 1));
    return last;
  })));
  Methods->Set("join", Value::Obj(R.NewNative([](NativeCall& C) {
    if (!C.thisValue.IsObject()) return Value();
    Value sep = Arg(C, 0);
    return Value::String(JoinArray(*C.thisValue.object(), sep.IsUndefined() ? "," : sep.ToString()));
  })));
}

void InstallClipMethods(ScriptRuntime& R, Object* Methods) {
  auto simple = [&](const char* name, void (ScriptClip::*method)()) {
    Methods->Set(name, Value::Obj(R.NewNative([method](NativeCall& C) {
      if (ScriptClip* c = ThisClip(C)) (c->*method)();
      return Value();
    })));
  };
  simple("play", &ScriptClip::Play);
  simple("stop", &ScriptClip::Stop);
  simple("nextFrame", &ScriptClip::NextFrame);
  simple("prevFrame", &ScriptClip::PrevFrame);
  Methods->Set("gotoAndPlay", Value::Obj(R.NewNative([](NativeCall& C) {
    Goto(C, ScriptClip::After::Play);
    return Value();
  })));
  Methods->Set("gotoAndStop", Value::Obj(R.NewNative([](NativeCall& C) {
    Goto(C, ScriptClip::After::Stop);
    return Value();
  })));
}

}  // namespace

void InstallBuiltins(ScriptRuntime& R) {
  InstallExternalInterface(R);
  InstallArray(R, R.arrayMethods_);
  InstallClipMethods(R, R.clipMethods_);
  R.Global()->Set("Object", Value::Obj(R.NewNative([](NativeCall& C) {
    if (C.thisValue.IsObject()) return C.thisValue;
    return Value::Obj(C.runtime.NewObject());
  })));
}

}  // namespace swf
