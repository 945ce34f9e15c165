// setInterval, setTimeout, clearInterval, clearTimeout and getTimer.
//
// Timers run by the movie's own clock, which the integrator advances (a
// frame period a frame), not by the wall clock: a movie played faster than
// real time sees its timers fire at the same frames.

#include <algorithm>
#include <cmath>
#include <map>

#include "renderers/engine/src/script/internal.h"

namespace swf {
namespace {

constexpr size_t kMaxTimers = 10000;
constexpr size_t kMaxTimerArgs = 64;

struct Timer {
  Value function;     // a function, or for the method form the object
  std::string method;  // the method form: the method's name, looked up when it fires
  std::vector<Value> args;
  double interval = 0;
  double due = 0;
  bool repeat = true;
  std::string clipPath;  // the clip that set it
};

class TimerList : public NativeData {
 public:
  std::map<int, Timer> byId;
  int nextId = 1;

  void References(std::vector<Object*>& Out) const override {
    for (const auto& [id, t] : byId) {
      if (t.function.IsObject()) Out.push_back(t.function.object());
      for (const Value& v : t.args)
        if (v.IsObject()) Out.push_back(v.object());
    }
  }
};

TimerList& Timers(ScriptRuntime& R) {
  if (!R.timers.get()) {
    R.timers = RootedObject(R, R.NewObject());
    R.timers->data = std::make_unique<TimerList>();
  }
  return static_cast<TimerList&>(*R.timers->data);
}

// setInterval(function, ms, args...) or setInterval(object, "method", ms, args...).
Value SetTimer(NativeCall& C, bool Repeat) {
  Timer t;
  size_t next;
  const Value first = C.Arg(0);
  if (first.IsFunction()) {
    t.function = first;
    next = 1;
  } else if (first.IsObject() && C.args.size() >= 3) {
    t.function = first;
    t.method = C.ToString(C.Arg(1));
    next = 2;
  } else {
    return Value();
  }
  if (next >= C.args.size() || C.Arg(next).IsUndefined()) return Value();
  double ms = C.ToNumber(C.Arg(next));
  t.interval = std::isfinite(ms) && ms > 0 ? std::min(std::trunc(ms), 2147483647.0) : 0;
  for (size_t i = next + 1; i < C.args.size() && t.args.size() < kMaxTimerArgs; ++i) t.args.push_back(C.args[i]);
  t.repeat = Repeat;
  t.due = C.runtime.ClockMs() + t.interval;
  t.clipPath = C.clip.TargetPath();
  TimerList& list = Timers(C.runtime);
  if (list.byId.size() >= kMaxTimers) return Value();
  int id = list.nextId++;
  list.byId.emplace(id, std::move(t));
  return Value::Number(id);
}

Value ClearTimer(NativeCall& C) {
  double id = C.ToNumber(C.Arg(0));
  if (std::isfinite(id) && std::abs(id) < 2147483647.0) Timers(C.runtime).byId.erase(static_cast<int>(id));
  return Value();
}

}  // namespace

void ScriptRuntime::RunTimers(double NowMs, ScriptClip& Root, ScriptHost& Host, const Budget& Limits) {
  clockMs_ = std::max(clockMs_, NowMs);
  TimerList& list = Timers(*this);
  std::vector<std::pair<double, int>> due;
  for (const auto& [id, t] : list.byId)
    if (t.due <= clockMs_) due.emplace_back(t.due, id);
  std::sort(due.begin(), due.end());
  for (const auto& [when, id] : due) {
    auto it = list.byId.find(id);
    if (it == list.byId.end()) continue;  // cleared by an earlier one
    Timer t = it->second;                 // a copy: the call may clear or add timers
    if (t.repeat)
      it->second.due = std::max(t.due + std::max(t.interval, 1.0), clockMs_ + (t.interval > 0 ? 0 : 1));
    else
      list.byId.erase(it);
    ScriptClip* clip = ResolveTarget(Root, t.clipPath);
    if (!clip) clip = &Root;
    RootedValue keepFunction(*this, t.function);
    std::vector<RootedValue> keepArgs;
    for (const Value& v : t.args) keepArgs.emplace_back(*this, v);
    Value fn = t.function, self;
    if (!t.method.empty()) {
      self = t.function;
      const Object* holder = nullptr;
      const Property* p = t.function.object()->FindProperty(t.method, &holder);
      fn = p ? p->value : Value();
      if (!fn.IsFunction()) continue;
    }
    try {
      CallFunction(fn, self, t.args, *clip, Host, Limits);
    } catch (const ScriptThrow& e) {
      // Nothing caught it: reported as for a frame's script, and the other timers still run.
      Host.Trace("Warning: Uncaught exception, " + e.value.ToString());
    }
  }
}

void InstallTimers(ScriptRuntime& R) {
  Object* g = R.Global();
  R.Method(g, "setInterval", [](NativeCall& C) { return SetTimer(C, true); });
  R.Method(g, "clearInterval", ClearTimer);
  if (R.SwfVersion() >= 8) {
    R.Method(g, "setTimeout", [](NativeCall& C) { return SetTimer(C, false); });
    R.Method(g, "clearTimeout", ClearTimer);
  }
  R.Method(g, "getTimer", [](NativeCall& C) { return Value::Number(std::floor(C.runtime.ClockMs())); });
}

}  // namespace swf
