// Packages under _global, and flash.external.ExternalInterface: calls out
// to the host, callbacks in, and the XML codec movies may call directly.

#include "renderers/engine/src/script/external_xml.h"
#include "renderers/engine/src/script/internal.h"

namespace swf {

Object* Package(ScriptRuntime& R, const std::string& Path) {
  Object* at = R.Global();
  size_t begin = 0;
  while (begin <= Path.size()) {
    size_t dot = Path.find('.', begin);
    if (dot == std::string::npos) dot = Path.size();
    const std::string name = Path.substr(begin, dot - begin);
    Value next = at->Get(name);
    if (!next.IsObject()) {
      next = Value::Obj(R.NewObject());
      at->Set(name, next);
    }
    at = next.object();
    begin = dot + 1;
  }
  return at;
}

void InstallExternalInterface(ScriptRuntime& R) {
  // A class whose methods are all static: a function with a prototype of its own.
  Object* ei = R.NewNative([](NativeCall& C) { return IsConstructing(C) ? C.thisValue : Value(); });
  ei->Define("prototype", Value::Obj(R.NewObject()), kDontEnum | kDontDelete);
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
  InstallExternalXml(R, ei);
  Package(R, "flash.external")->Set("ExternalInterface", Value::Obj(ei));
}

}  // namespace swf
