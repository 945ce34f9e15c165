// The runtime: its heap and collector, target paths, and the entry points
// that run blocks and calls under a budget.

#include <algorithm>
#include <cmath>

#include "renderers/engine/src/script/interpreter.h"

namespace swf {

namespace {
constexpr int kMaxNestedRuns = 16;  // a host answering a call with another call, and so on
}

RootedObject::RootedObject(ScriptRuntime& R, Object* O) : runtime_(&R), object_(O) {
  if (object_) runtime_->Pin(object_);
}

RootedObject::RootedObject(RootedObject&& Other) noexcept : runtime_(Other.runtime_), object_(Other.object_) {
  Other.object_ = nullptr;
}

RootedObject& RootedObject::operator=(RootedObject&& Other) noexcept {
  if (this != &Other) {
    if (object_) runtime_->Unpin(object_);
    runtime_ = Other.runtime_;
    object_ = Other.object_;
    Other.object_ = nullptr;
  }
  return *this;
}

RootedObject::~RootedObject() {
  if (object_) runtime_->Unpin(object_);
}

ScriptRuntime::ScriptRuntime(int SwfVersion) : version_(SwfVersion) {
  // The prototypes every new object, function and array takes come first.
  SetBuiltinPrototype("Object", NewObject());
  objectProto_->prototype = nullptr;
  SetBuiltinPrototype("Function", NewObject());
  SetBuiltinPrototype("Array", NewObject());
  SetBuiltinPrototype("MovieClip", NewObject());
  global_ = NewObject();
  global_->prototype = nullptr;  // _global has neither valueOf nor toString
  Pin(global_);
  InstallBuiltins(*this);
}

Object* ScriptRuntime::BuiltinPrototype(const std::string& Class) const {
  auto it = prototypes_.find(Class);
  return it == prototypes_.end() ? nullptr : it->second;
}

void ScriptRuntime::SetBuiltinPrototype(const std::string& Class, Object* Prototype) {
  Object*& slot = prototypes_[Class];
  if (slot) Unpin(slot);
  slot = Prototype;
  if (slot) Pin(slot);
  if (Class == "Object") objectProto_ = Prototype;
  if (Class == "Function") functionProto_ = Prototype;
  if (Class == "Array") arrayProto_ = Prototype;
  if (Class == "MovieClip") clipProto_ = Prototype;
}

ScriptRuntime::~ScriptRuntime() = default;

void ScriptRuntime::Unpin(Object* O) {
  auto it = pins_.find(O);
  if (it != pins_.end() && --it->second <= 0) pins_.erase(it);
}

Object* ScriptRuntime::NewObject() {
  if (running_ && budget_ && heap_.size() >= budget_->maxObjects)
    throw ScriptAbort{"more than " + std::to_string(budget_->maxObjects) + " objects"};
  heap_.push_back(std::make_unique<Object>());
  Object* o = heap_.back().get();
  o->caseless = version_ < 7;
  o->prototype = objectProto_;
  return o;
}

Object* ScriptRuntime::NewArray(const std::vector<Value>& Elements) {
  Object* a = NewObject();
  a->isArray = true;
  a->prototype = arrayProto_;
  a->Set("length", Value::Number(0));
  for (size_t i = 0; i < Elements.size(); ++i) a->Set(NumberToString(static_cast<double>(i)), Elements[i]);
  return a;
}

Object* ScriptRuntime::NewNative(NativeFunction F) {
  Object* o = NewObject();
  o->prototype = functionProto_;
  o->native = std::move(F);
  return o;
}

Object* ScriptRuntime::Method(Object* Owner, const std::string& Name, NativeFunction F, uint8_t Flags) {
  Object* fn = NewNative(std::move(F));
  Owner->Define(Name, Value::Obj(fn), Flags);
  return fn;
}

RootedObject ScriptRuntime::NewClipObject() {
  Object* o = NewObject();
  o->prototype = clipProto_;
  return RootedObject(*this, o);
}

// ---- the collector ----

void ScriptRuntime::Mark(const Value& V, std::vector<Object*>& Work) {
  if (V.IsObject() && !V.object()->marked_) {
    V.object()->marked_ = true;
    Work.push_back(V.object());
  }
}

void ScriptRuntime::Collect() {
  if (running_) return;
  std::vector<Object*> work;
  for (auto& [o, n] : pins_) Mark(Value::Obj(o), work);
  for (auto& [name, pair] : callbacks_) {
    Mark(pair.first, work);
    Mark(pair.second, work);
  }
  while (!work.empty()) {
    Object* o = work.back();
    work.pop_back();
    for (auto& [name, p] : o->members_) {
      Mark(p.value, work);
      Mark(Value::Obj(p.getter), work);
      Mark(Value::Obj(p.setter), work);
    }
    if (o->prototype) Mark(Value::Obj(o->prototype), work);
    for (Object* i : o->interfaces) Mark(Value::Obj(i), work);
    if (o->function)
      for (Object* s : o->function->scope) Mark(Value::Obj(s), work);
    if (o->watchers)
      for (auto& [name, w] : *o->watchers) {
        Mark(Value::Obj(w.first), work);
        Mark(w.second, work);
      }
    if (o->data) {
      std::vector<Object*> refs;
      o->data->References(refs);
      for (Object* r : refs) Mark(Value::Obj(r), work);
    }
  }
  auto dead = std::partition(heap_.begin(), heap_.end(), [](const std::unique_ptr<Object>& o) { return o->marked_; });
  heap_.erase(dead, heap_.end());
  for (auto& o : heap_) o->marked_ = false;
  liveAfterCollect_ = heap_.size();
}

void ScriptRuntime::MaybeCollect() {
  if (!running_ && heap_.size() > 2 * liveAfterCollect_ + 4096) Collect();
}

// ---- runs ----

namespace {

// Counts a run as in progress for its lifetime.
class RunScope {
 public:
  RunScope(int& Running, const Budget*& Current, const Budget& Limits) : running_(Running), current_(Current), saved_(Current) {
    ++running_;
    if (!current_) current_ = &Limits;
  }
  ~RunScope() {
    --running_;
    current_ = saved_;
  }

 private:
  int& running_;
  const Budget*& current_;
  const Budget* saved_;
};

}  // namespace

bool ScriptRuntime::RunActions(const uint8_t* Data, size_t Size, ScriptClip& Target, ScriptHost& Host,
                               const Budget& Limits) {
  auto block = std::make_shared<const ActionBlock>(DecodeActions(Data, Size));
  // A damaged block runs up to its damage, as the player runs it.
  if (!block->damage.empty()) Host.Log("script damaged: " + block->damage);
  return RunActions(std::move(block), Target, Host, Limits);
}

bool ScriptRuntime::RunActions(std::shared_ptr<const ActionBlock> Block, ScriptClip& Target, ScriptHost& Host,
                               const Budget& Limits) {
  if (running_ >= kMaxNestedRuns) {
    Host.Log("script aborted: scripts nested more than " + std::to_string(kMaxNestedRuns) + " runs deep");
    return false;
  }
  bool ok = true;
  {
    RunScope scope(running_, budget_, Limits);
    Interpreter interpreter(*this, Host, Limits);
    try {
      interpreter.RunBlock(std::move(Block), Target);
    } catch (const ScriptAbort& a) {
      Host.Log("script aborted: " + a.reason);
      ok = false;
    }
  }
  MaybeCollect();
  return ok;
}

Value ScriptRuntime::CallFunction(const Value& Function, const Value& This, const std::vector<Value>& Args,
                                  ScriptClip& Clip, ScriptHost& Host, const Budget& Limits) {
  if (running_ >= kMaxNestedRuns) {
    Host.Log("script aborted: scripts nested more than " + std::to_string(kMaxNestedRuns) + " runs deep");
    return Value();
  }
  Value result;
  {
    RunScope scope(running_, budget_, Limits);
    Interpreter interpreter(*this, Host, Limits);
    try {
      result = interpreter.CallValue(Function, This, Args, Clip);
    } catch (const ScriptAbort& a) {
      Host.Log("script aborted: " + a.reason);
      result = Value();
    } catch (const ScriptThrow& t) {
      // No script is left to catch it: the call ends as an uncaught block does.
      Host.Trace("Warning: Uncaught exception, " + t.value.ToString());
      result = Value();
    }
  }
  // The result may be the only reference to a new object: keep it until the caller has it.
  RootedValue keep(*this, result);
  MaybeCollect();
  return result;
}

std::optional<Value> ScriptRuntime::CallCallback(const std::string& Name, const std::vector<Value>& Args,
                                                 ScriptClip& Clip, ScriptHost& Host, const Budget& Limits) {
  auto it = callbacks_.find(Name);
  if (it == callbacks_.end()) return std::nullopt;
  auto [self, fn] = it->second;  // a copy: the callback may re-register itself
  return CallFunction(fn, self, Args, Clip, Host, Limits);
}

// ---- paths ----

namespace {

class NullHost : public ScriptHost {
 public:
  void GetURL(const UrlRequest&) override {}
  Value CallExternal(const std::string&, const std::vector<Value>&) override { return {}; }
  void AddCallback(const std::string&, const Value&, const Value&) override {}
  void Trace(const std::string&) override {}
  void Log(const std::string&) override {}
};

}  // namespace

Value ScriptRuntime::GetVariablePath(ScriptClip& From, const std::string& Path) {
  NullHost host;
  Budget limits;
  Interpreter interpreter(*this, host, limits);
  return interpreter.GetPathFrom(From, Path);
}

bool ScriptRuntime::SetVariablePath(ScriptClip& From, const std::string& Path, const Value& V) {
  NullHost host;
  Budget limits;
  Interpreter interpreter(*this, host, limits);
  return interpreter.SetPathFrom(From, Path, V);
}

ScriptClip* ScriptRuntime::ResolveTarget(ScriptClip& From, const std::string& Target) {
  ScriptClip* c = &From;
  size_t pos = 0;
  if (!Target.empty() && Target[0] == '/') {
    c = From.Root();
    pos = 1;
  }
  while (c && pos <= Target.size()) {
    size_t next = Target.find_first_of("/.", pos);
    // ".." is a segment of its own in slash paths.
    if (next == pos && Target.compare(pos, 2, "..") == 0) next = pos + 2;
    std::string seg = Target.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
    if (seg.empty() && next != std::string::npos && Target[next] == '/' && next > 0 && Target[next - 1] == '/') {
      return nullptr;  // an empty step inside the path ("a//b", "//") leads nowhere
    } else if (seg.empty() || seg == "this") {
      // nothing: a trailing separator, "this"
    } else if (seg == ".." || seg == "_parent") {
      c = c->Parent();
    } else if (seg == "_root") {
      c = c->Root();
    } else if (seg.rfind("_level", 0) == 0 && seg.size() > 6 &&
               std::all_of(seg.begin() + 6, seg.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) {
      c = seg.size() > 12 ? nullptr : c->Level(std::stoi(seg.substr(6)));
    } else {
      c = c->Child(seg);
    }
    if (next == std::string::npos) break;
    pos = next + (Target[next] == '/' || Target[next] == '.' ? 1 : 0);
  }
  return c;
}

}  // namespace swf
