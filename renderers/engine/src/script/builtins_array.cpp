// The Array class: the constructor and the methods of arrays.

#include <cmath>

#include "renderers/engine/src/script/internal.h"

namespace swf {

void InstallArray(ScriptRuntime& R) {
  Object* Methods = R.BuiltinPrototype("Array");
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
  ctor->Define("prototype", Value::Obj(Methods), kDontEnum | kDontDelete);
  Methods->Define("constructor", Value::Obj(ctor), kDontEnum);
  R.Global()->Define("Array", Value::Obj(ctor), kDontEnum);
  R.Method(Methods, "push", [](NativeCall& C) {
    if (!C.thisValue.IsObject()) return Value();
    Object* a = C.thisValue.object();
    double n = ArrayLength(*a);
    for (const Value& v : C.args) a->Set(NumberToString(n++), v);
    a->Set("length", Value::Number(n));
    return Value::Number(n);
  });
  R.Method(Methods, "pop", [](NativeCall& C) {
    if (!C.thisValue.IsObject()) return Value();
    Object* a = C.thisValue.object();
    double n = ArrayLength(*a);
    if (n == 0) return Value();
    Value last = a->Get(NumberToString(n - 1));
    a->Set("length", Value::Number(n - 1));
    return last;
  });
  R.Method(Methods, "join", [](NativeCall& C) {
    if (!C.thisValue.IsObject()) return Value();
    Value sep = C.Arg(0);
    return Value::String(JoinArray(*C.thisValue.object(), sep.IsUndefined() ? "," : sep.ToString()));
  });
}

}  // namespace swf
