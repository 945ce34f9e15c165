// Loading and sending text for XML and LoadVars objects through the host.

#include "renderers/engine/src/script/data_load.h"

#include <algorithm>
#include <cctype>

#include "renderers/engine/src/script/internal.h"

namespace swf {
namespace {

// "GET" or "POST" from a method argument (any case), or Default.
std::string MethodOf(NativeCall& C, const Value& V, const std::string& Default) {
  if (V.IsUndefined()) return Default;
  std::string m = C.ToString(V);
  std::transform(m.begin(), m.end(), m.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return m == "GET" ? "GET" : "POST";
}

std::string WithQuery(const std::string& Url, const std::string& Query) {
  if (Query.empty()) return Url;
  return Url + (Url.find('?') == std::string::npos ? "?" : "&") + Query;
}

// Marks Receiver as waiting and asks the host.
bool StartLoad(NativeCall& C, Object* Receiver, const std::string& Url, const std::string& Method,
               const std::string& Body) {
  if (!Receiver) return false;
  if (Receiver->OwnProperty("loaded")) C.Set(Value::Obj(Receiver), "loaded", Value::Bool(false));
  else Receiver->Define("loaded", Value::Bool(false), kDontEnum);
  Receiver->Define("_bytesLoaded", Value::Number(0), kDontEnum);
  Receiver->Define("_bytesTotal", Value(), kDontEnum);
  if (Method == "GET") C.host.LoadData(WithQuery(Url, Body), "GET", "", Receiver);
  else C.host.LoadData(Url, "POST", Body, Receiver);
  return true;
}

}  // namespace

void InstallDataLoading(ScriptRuntime& R, Object* Proto, std::function<std::string(NativeCall&)> Body) {
  R.Method(Proto, "load", [](NativeCall& C) {
    if (C.args.empty()) return Value::Bool(false);
    return Value::Bool(StartLoad(C, C.ThisObject(), C.ToString(C.Arg(0)), "GET", ""));
  });
  R.Method(Proto, "sendAndLoad", [Body](NativeCall& C) {
    Value target = C.Arg(1);
    if (C.args.empty() || !target.IsObject()) return Value::Bool(false);
    const std::string body = Body(C);
    return Value::Bool(StartLoad(C, target.object(), C.ToString(C.Arg(0)), MethodOf(C, C.Arg(2), "POST"), body));
  });
  R.Method(Proto, "send", [Body](NativeCall& C) {
    if (C.args.empty()) return Value::Bool(false);
    UrlRequest request;
    const std::string method = MethodOf(C, C.Arg(2), "POST");
    request.url = C.ToString(C.Arg(0));
    if (method == "GET") request.url = WithQuery(request.url, Body(C));
    request.target = C.Arg(1).IsUndefined() ? "_self" : C.ToString(C.Arg(1));
    request.method = method == "GET" ? 1 : 2;
    request.from = &C.clip;
    C.host.GetURL(request);
    return Value::Bool(true);
  });
  R.Method(Proto, "getBytesLoaded", [](NativeCall& C) { return C.Get(C.thisValue, "_bytesLoaded"); });
  R.Method(Proto, "getBytesTotal", [](NativeCall& C) { return C.Get(C.thisValue, "_bytesTotal"); });
  R.Method(Proto, "addRequestHeader", [](NativeCall&) { return Value(); });
}

}  // namespace swf
