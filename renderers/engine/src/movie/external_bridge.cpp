// The bridge from scripts to the host: get-URL forms (fscommand, loads,
// windows), ExternalInterface both ways, trace and log.
#include <cctype>
#include <cmath>

#include "renderers/engine/movie.h"
#include "renderers/engine/src/movie/movie_state.h"

namespace swf {

using movie::Entry;

namespace movie {
namespace {

bool StartsWithNoCase(const std::string& S, const std::string& Prefix) {
  if (S.size() < Prefix.size()) return false;
  for (size_t i = 0; i < Prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(S[i])) != std::tolower(static_cast<unsigned char>(Prefix[i])))
      return false;
  return true;
}

}  // namespace

// "_levelN" as a level number; -1 for anything else.
int LevelOf(const std::string& Target) {
  if (!StartsWithNoCase(Target, "_level") || Target.size() == 6 || Target.size() > 11) return -1;
  int n = 0;
  for (size_t i = 6; i < Target.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(Target[i]))) return -1;
    n = n * 10 + (Target[i] - '0');
  }
  return n <= 65535 ? n : -1;
}

namespace {

ExternalValue Convert(const Value& V, size_t Depth, size_t& Nodes) {
  if (++Nodes > kMaxExternalNodes) return ExternalValue::Undefined();
  switch (V.type()) {
    case Value::Type::Undefined: return ExternalValue::Undefined();
    case Value::Type::Null: return ExternalValue::Null();
    case Value::Type::Boolean: return ExternalValue::Boolean(V.boolean());
    case Value::Type::Number: return ExternalValue::Number(V.number());
    case Value::Type::String:
    case Value::Type::Clip: return ExternalValue::String(V.ToString());
    case Value::Type::Object: break;
  }
  const Object* o = V.object();
  if (o->IsFunction() || Depth + 1 >= kMaxExternalDepth) return ExternalValue::Undefined();
  if (o->isArray) {
    std::vector<ExternalValue> items;
    const double n = o->Get("length").ToNumber();
    const size_t count = std::isfinite(n) && n > 0 ? static_cast<size_t>(std::min(n, 1e6)) : 0;
    for (size_t i = 0; i < count && Nodes <= kMaxExternalNodes; ++i)
      items.push_back(Convert(o->Get(std::to_string(i)), Depth + 1, Nodes));
    return ExternalValue::Array(std::move(items));
  }
  std::vector<ExternalProperty> props;
  for (const auto& [name, value] : SortedValues(*o)) {
    if (value.IsFunction()) continue;
    if (Nodes > kMaxExternalNodes) break;
    props.push_back({name, Convert(value, Depth + 1, Nodes)});
  }
  return ExternalValue::Object(std::move(props));
}

}  // namespace

ExternalValue ToExternal(const Value& V) {
  size_t nodes = 0;
  return Convert(V, 0, nodes);
}

Value FromExternal(ScriptRuntime& R, const ExternalValue& V) {
  switch (V.kind) {
    case ExternalValue::Kind::Undefined: return Value();
    case ExternalValue::Kind::Null: return Value::Null();
    case ExternalValue::Kind::Boolean: return Value::Bool(V.boolean);
    case ExternalValue::Kind::Number: return Value::Number(V.number);
    case ExternalValue::Kind::String: return Value::String(V.string);
    case ExternalValue::Kind::Array: {
      // The elements first: the array is created last so that nothing
      // unrooted waits in between (values hold the objects of elements).
      std::vector<Value> items;
      for (const ExternalValue& item : V.array) items.push_back(FromExternal(R, item));
      return Value::Obj(R.NewArray(items));
    }
    case ExternalValue::Kind::Object: {
      Object* o = R.NewObject();
      for (const ExternalProperty& p : V.object) o->Set(p.name, FromExternal(R, p.value));
      return Value::Obj(o);
    }
  }
  return Value();
}

void Bridge::GetURL(const UrlRequest& R) {
  MovieInstance::State& s = state_;
  if (StartsWithNoCase(R.url, "FSCommand:")) {
    s.host.FSCommand(R.url.substr(10), R.target);
    return;
  }
  // The clip a load goes to: a clip path with loadTarget, else a level.
  ScriptClip* from = R.from ? R.from : &s.Clip0();
  ScriptClip* clip = nullptr;
  int level = LevelOf(R.target);
  if (R.loadTarget) {
    clip = s.runtime.ResolveTarget(*from, R.target);
    if (clip && !clip->Parent()) level = clip->LevelNumber();
  }
  if (!R.loadTarget && level < 0) {
    Log("getURL " + R.url + " " + R.target);  // a browser window: nothing to load here
    return;
  }
  std::string url = R.url, post;
  if (R.method != 0) {
    const std::string vars = EncodeUrlVariables(*from->Variables());
    if (R.method == 2)
      post = vars;
    else if (!vars.empty())
      url += (url.find('?') == std::string::npos ? "?" : "&") + vars;
  }
  if (R.url.empty() && !R.loadVariables && level < 0 && clip) {
    UnloadClip(clip->TargetPath());  // unloadMovie on a clip: it plays an empty movie
    return;
  }
  Request q;
  if (R.url.empty() && !R.loadVariables && level >= 0) {
    // loadMovieNum("", N): unloadMovieNum(N). Level 0 stays (the host's movie).
    if (level == 0) return;
    q.kind = Request::Kind::Unload;
    q.level = level;
    q.finished = q.ok = true;
    s.requests.emplace(s.nextRequest++, std::move(q));
    return;
  }
  if (R.loadVariables) {
    q.kind = Request::Kind::Variables;
    if (clip)
      q.target = clip->TargetPath();
    else if (!R.loadTarget)
      q.target = "_level" + std::to_string(level);
    else {
      Log("loadVariables: no clip " + R.target);
      return;
    }
  } else if (level >= 0) {
    q.level = level;
  } else if (clip && !R.url.empty()) {
    q.kind = Request::Kind::ClipMovie;
    q.target = clip->TargetPath();
  } else {
    Log("loadMovie: no clip " + R.target);
    return;
  }
  s.StartRequest(url, post, std::move(q));
}

Value Bridge::CallExternal(const std::string& Name, const std::vector<Value>& Args) {
  std::vector<ExternalValue> args;
  for (const Value& v : Args) args.push_back(ToExternal(v));
  const std::string answer = state_.host.CallExternal(Name, args);
  return FromExternal(state_.runtime, DecodeExternalAnswer(answer));
}

void Bridge::AddCallback(const std::string&, const Value&, const Value&) {
  // The runtime keeps the callback; the host finds it through CallFunction.
}

void Bridge::Trace(const std::string& Text) { state_.host.Log("trace: " + Text); }
void Bridge::Log(const std::string& Text) { state_.host.Log(Text); }

}  // namespace movie

std::string MovieInstance::CallFunction(const std::string& Request) {
  Entry e(*state_);
  static const std::string kUndefined = "<undefined/>";
  InvokeRequest req;
  try {
    req = ParseInvokeRequest(Request);
  } catch (const FormatError& ex) {
    state_->host.Log(std::string("CallFunction: ") + ex.what());
    return kUndefined;
  }
  ScriptRuntime& rt = state_->runtime;
  std::vector<Value> args;
  std::vector<RootedValue> keep;  // arguments stay alive while the others convert
  for (const ExternalValue& a : req.arguments) {
    args.push_back(movie::FromExternal(rt, a));
    keep.emplace_back(rt, args.back());
  }
  const std::optional<Value> result =
      rt.CallCallback(req.name, args, state_->Clip0(), state_->bridge, budget);
  if (!result) return kUndefined;
  try {
    return EncodeExternalValue(movie::ToExternal(*result));
  } catch (const FormatError&) {
    return kUndefined;
  }
}

}  // namespace swf
