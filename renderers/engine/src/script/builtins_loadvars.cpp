// The LoadVars class: an object whose members travel as URL-encoded
// variables.

#include "renderers/engine/src/script/data_load.h"
#include "renderers/engine/src/script/internal.h"
#include "renderers/engine/src/script/url_vars.h"

namespace swf {
namespace {

// The object's enumerable members, newest first as for..in lists them,
// as "name=value&...": values go through their toString.
std::string EncodeMembers(NativeCall& C) {
  Object* self = C.ThisObject();
  if (!self) return "";
  const std::vector<std::string> names = self->Keys();
  ChargeWork(names.size());
  std::string out;
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    const std::string value = C.ToString(C.Get(C.thisValue, *it));
    if (!out.empty()) out += '&';
    out += UrlEscape(*it) + '=' + UrlEscape(value);
  }
  return out;
}

void Decode(NativeCall& C, const std::string& Text) {
  if (!C.ThisObject()) return;
  auto pairs = DecodeUrlVars(Text);
  ChargeWork(Text.size() / 16 + pairs.size());
  for (auto& [name, value] : pairs) C.Set(C.thisValue, name, Value::String(std::move(value)));
}

}  // namespace

void InstallLoadVars(ScriptRuntime& R) {
  Object* proto = R.NewObject();
  InstallClass(R, "LoadVars", proto, [](NativeCall&) { return Value(); });
  R.Method(proto, "toString", [](NativeCall& C) { return Value::String(EncodeMembers(C)); });
  R.Method(proto, "decode", [](NativeCall& C) {
    Decode(C, C.ToString(C.Arg(0)));
    return Value();
  });
  R.Method(proto, "onData", [](NativeCall& C) {
    Value text = C.Arg(0);
    const bool ok = !text.IsUndefined();
    if (ok) {
      Decode(C, C.ToString(text));
      C.Set(C.thisValue, "loaded", Value::Bool(true));
    }
    C.Call(C.Get(C.thisValue, "onLoad"), C.thisValue, {Value::Bool(ok)});
    return Value();
  });
  R.Method(proto, "onLoad", [](NativeCall&) { return Value(); });
  proto->Define("contentType", Value::String("application/x-www-form-urlencoded"), kDontEnum);
  InstallDataLoading(R, proto, EncodeMembers);
}

}  // namespace swf
