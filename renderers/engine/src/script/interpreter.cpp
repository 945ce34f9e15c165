// The execution loop and the actions themselves.

#include "renderers/engine/src/script/interpreter.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <set>

#include "renderers/engine/src/utf8.h"

namespace swf {
namespace {

constexpr int kLastProperty = 21;  // _ymouse

int ClampInt(double V) {
  if (std::isnan(V)) return 0;
  return static_cast<int>(std::clamp(V, -1e9, 1e9));
}

int32_t ToInt32(double V) {
  if (!std::isfinite(V)) return 0;
  double m = std::fmod(std::trunc(V), 4294967296.0);
  if (m < 0) m += 4294967296.0;
  return static_cast<int32_t>(static_cast<uint32_t>(m));
}

size_t Utf8Length(const std::string& S) {
  size_t n = 0;
  for (unsigned char c : S)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

std::string Utf8Char(double Code) {
  std::string s;
  detail::AppendUtf8(s, std::isnan(Code) ? 0 : static_cast<uint32_t>(std::clamp(Code, 0.0, 1114111.0)));
  return s;
}

// Characters Index (from 1) .. Index + Count - 1 of S, clamped.
std::string Extract(const std::string& S, double Index, double Count) {
  double start = std::isnan(Index) ? 0 : std::max(0.0, Index - 1);
  if (start >= static_cast<double>(S.size())) return "";
  double count = std::isnan(Count) || Count < 0 ? static_cast<double>(S.size()) : Count;
  size_t b = static_cast<size_t>(start);
  size_t n = static_cast<size_t>(std::min(count, static_cast<double>(S.size() - b)));
  return S.substr(b, n);
}

bool IsNumeric(const std::string& S) { return !S.empty() && !std::isnan(StringToNumber(S)); }

std::string Lowercase(std::string S) {
  for (char& c : S)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return S;
}

}  // namespace

Value ToPrimitive(const Value& V) {
  if (V.IsObject() || V.IsClip()) return Value::String(V.ToString());
  return V;
}

// ---- the stack ----

void Interpreter::Push(Value V) {
  if (stack_.size() >= budget_.maxStack) throw ScriptAbort{"more than " + std::to_string(budget_.maxStack) + " values on the stack"};
  if (V.IsString() && V.string().size() > budget_.maxStringLength)
    throw ScriptAbort{"a string longer than " + std::to_string(budget_.maxStringLength) + " bytes"};
  stack_.push_back(std::move(V));
}

Value Interpreter::Pop() {
  size_t base = frames_.empty() ? 0 : frames_.back().stackBase;
  if (stack_.size() <= base) return Value();
  Value v = std::move(stack_.back());
  stack_.pop_back();
  return v;
}

std::vector<Value> Interpreter::PopArgs() {
  double n = Pop().ToNumber();
  size_t base = frames_.empty() ? 0 : frames_.back().stackBase;
  size_t available = stack_.size() - base;
  size_t count = std::isnan(n) || n < 0 ? 0 : static_cast<size_t>(std::min(n, static_cast<double>(available)));
  std::vector<Value> args;
  args.reserve(count);
  for (size_t i = 0; i < count; ++i) args.push_back(Pop());
  return args;
}

// ---- entry points ----

void Interpreter::RunBlock(std::shared_ptr<const ActionBlock> Block, ScriptClip& Target) {
  Frame f;
  f.end = Block->actions.size();
  f.block = std::move(Block);
  f.registers.resize(4);
  f.target = f.original = &Target;
  f.thisValue = ClipValue(&Target);
  f.stackBase = stack_.size();
  f.mode = Mode::Discard;
  size_t depth = frames_.size();
  frames_.push_back(std::move(f));
  try {
    Loop(depth);
  } catch (const ScriptThrow& t) {
    // As the reference player's log shows it; the rest of the block is not run.
    std::string text;
    try {
      text = ToStringOf(t.value);
    } catch (const ScriptThrow&) {
      text = t.value.ToString();
    }
    host_.Trace("Warning: Uncaught exception, " + text);
    while (frames_.size() > depth) frames_.pop_back();
    stack_.resize(std::min(stack_.size(), frames_.empty() ? 0 : frames_.back().stackBase));
  }
}

Value Interpreter::CallValue(const Value& Function, const Value& This, std::vector<Value> Args, ScriptClip& Clip) {
  // A frame to call from: the clip's top level.
  Frame outer;
  outer.block = std::make_shared<ActionBlock>();
  outer.registers.resize(4);
  outer.target = outer.original = &Clip;
  outer.thisValue = ClipValue(&Clip);
  outer.stackBase = stack_.size();
  size_t depth = frames_.size();
  size_t stackSize = stack_.size();
  frames_.push_back(std::move(outer));
  // Frames and values of an unfinished call go when an exception passes.
  struct Unwind {
    Interpreter& self;
    size_t depth, stack;
    ~Unwind() {
      while (self.frames_.size() > depth) self.frames_.pop_back();
      if (self.stack_.size() > stack) self.stack_.resize(stack);
    }
  } unwind{*this, depth, stackSize};
  Value saved = std::move(result_);
  result_ = Value();
  Invoke(Function, This, std::move(Args), Mode::Result);
  Loop(depth + 1);
  Value r = std::move(result_);
  result_ = std::move(saved);
  return r;
}

ScriptClip& Interpreter::CurrentClip() { return *frames_.back().target; }

Value Interpreter::CallNested(const Value& Function, const Value& This, std::vector<Value> Args) {
  return CallValue(Function, This, std::move(Args), CurrentClip());
}

Value Interpreter::ConstructNested(const Value& Ctor, std::vector<Value> Args) {
  Object* obj = runtime_.NewObject();
  RootedObject keep(runtime_, obj);
  if (Ctor.IsFunction()) {
    Value proto = Ctor.object()->Get("prototype");
    if (proto.IsObject()) obj->prototype = proto.object();
    obj->Define("__constructor__", Ctor, kDontEnum);
    if (runtime_.SwfVersion() < 6) obj->Define("constructor", Ctor, kDontEnum);
  }
  Value r = CallNested(Ctor, Value::Obj(obj), std::move(Args));
  return r.IsObject() ? r : Value::Obj(obj);
}

Value Interpreter::ToPrimitiveOf(const Value& V, bool PreferString) {
  if (!V.IsObject()) return V;
  Object* o = V.object();
  const char* order[2] = {"valueOf", "toString"};
  if (PreferString) std::swap(order[0], order[1]);
  for (const char* name : order) {
    Value fn = MemberOf(V, name);
    if (!fn.IsFunction()) continue;
    Value r = CallNested(fn, V, {});
    if (!r.IsObject()) return r;
  }
  if (o->IsFunction()) return Value::String("[type Function]");
  return Value::String(V.ToString());
}

std::string Interpreter::ToStringOf(const Value& V) {
  if (!V.IsObject()) return V.ToString();
  return ToPrimitiveOf(V, true).ToString();
}

double Interpreter::ToNumberOf(const Value& V) {
  if (!V.IsObject()) return V.ToNumber();
  return ToPrimitiveOf(V, false).ToNumber();
}

Value Interpreter::MemberOf(const Value& Of, const std::string& Name) { return GetMember(frames_.back(), Of, Name); }

void Interpreter::SetMemberOf(const Value& Of, const std::string& Name, const Value& V) {
  SetMember(frames_.back(), Of, Name, V);
}

// ---- what natives ask ----

Object* NativeCall::ThisObject() const { return thisValue.IsObject() ? thisValue.object() : nullptr; }
std::string NativeCall::ToString(const Value& V) { return interpreter ? interpreter->ToStringOf(V) : V.ToString(); }
double NativeCall::ToNumber(const Value& V) { return interpreter ? interpreter->ToNumberOf(V) : V.ToNumber(); }
Value NativeCall::ToPrimitive(const Value& V) { return interpreter ? interpreter->ToPrimitiveOf(V) : swf::ToPrimitive(V); }
Value NativeCall::Get(const Value& Of, const std::string& Name) {
  if (interpreter) return interpreter->MemberOf(Of, Name);
  if (auto v = Of.IsObject() ? Of.object()->Find(Name) : std::nullopt) return *v;
  return Value();
}
void NativeCall::Set(const Value& Of, const std::string& Name, const Value& V) {
  if (interpreter) interpreter->SetMemberOf(Of, Name, V);
  else if (Of.IsObject()) Of.object()->Set(Name, V);
}
Value NativeCall::Call(const Value& Function, const Value& This, std::vector<Value> Args) {
  return interpreter ? interpreter->CallNested(Function, This, std::move(Args)) : Value();
}
Value NativeCall::Construct(const Value& Constructor, std::vector<Value> Args) {
  return interpreter ? interpreter->ConstructNested(Constructor, std::move(Args)) : Value();
}
void NativeCall::Throw(const Value& V) { throw ScriptThrow{V}; }

Value Interpreter::GetPathFrom(ScriptClip& From, const std::string& Path) {
  Frame f;
  f.target = f.original = &From;
  f.thisValue = ClipValue(&From);
  return GetVariable(f, Path);
}

bool Interpreter::SetPathFrom(ScriptClip& From, const std::string& Path, const Value& V) {
  Frame f;
  f.target = f.original = &From;
  f.thisValue = ClipValue(&From);
  size_t colon = Path.rfind(':'), dot = Path.rfind('.');
  if (colon == std::string::npos && dot == std::string::npos) {
    SetVariable(f, Path, V);
    return true;
  }
  std::string container, name;
  if (colon != std::string::npos) {
    container = Path.substr(0, colon);
    name = Path.substr(colon + 1);
    ScriptClip* c = runtime_.ResolveTarget(From, container);
    if (!c) return false;
    return SetMember(f, ClipValue(c), name, V);
  }
  container = Path.substr(0, dot);
  name = Path.substr(dot + 1);
  Value of = GetVariable(f, container);
  return SetMember(f, of, name, V);
}

// ---- the loop ----

void Interpreter::Loop(size_t StopDepth) {
  TakeWork();  // what happened outside runs is not this run's
  while (frames_.size() > StopDepth) {
    Frame& f = frames_.back();
    while (!f.withs.empty() && (f.pc < f.withs.back().first || f.pc >= f.withs.back().second)) {
      f.withs.pop_back();
      f.scope.pop_back();
    }
    if (f.pc >= f.end || f.pc >= f.block->actions.size()) {
      Finish(Value());
      continue;
    }
    // Conversions and member updates count too: each element visited costs as much as an action.
    actions_ += 1 + TakeWork();
    if (actions_ > budget_.maxActions)
      throw ScriptAbort{"more than " + std::to_string(budget_.maxActions) + " actions"};
    if (!f.tries.empty() && LeaveTries(f, StopDepth)) continue;
    const Action& a = f.block->actions[f.pc];
    ++f.pc;
    try {
      Step(f, a);
    } catch (ScriptThrow& t) {
      Throw(std::move(t.value), StopDepth);
    }
  }
}

bool Interpreter::LeaveTries(Frame& F, size_t StopDepth) {
  using State = Frame::TryRegion::State;
  while (!F.tries.empty()) {
    Frame::TryRegion& t = F.tries.back();
    const Action& a = *t.action;
    const bool hasFinally = (a.number & 2) != 0;
    const size_t pc = F.pc;
    if (t.state == State::Try) {
      if (pc >= t.begin && pc < a.target) return false;
      if (pc == a.target) {
        // The try body ended normally: past the catch body, into the finally body.
        F.pc = a.target2;
        if (hasFinally) {
          t.state = State::Finally;
          continue;
        }
      }
    } else if (t.state == State::Catch) {
      if (pc >= a.target && pc < a.target2) return false;
      if (pc == a.target2 && hasFinally) {
        t.state = State::Finally;
        continue;
      }
    } else {
      if (pc >= a.target2 && pc < a.target3) return false;
      if (t.rethrow && pc == a.target3) {
        Value v = std::move(t.thrown);
        F.tries.pop_back();
        Throw(std::move(v), StopDepth);
        return true;
      }
    }
    F.tries.pop_back();  // a jump out of the statement, or its end
  }
  return false;
}

void Interpreter::Throw(Value V, size_t StopDepth) {
  using State = Frame::TryRegion::State;
  while (frames_.size() > StopDepth) {
    Frame& f = frames_.back();
    while (!f.tries.empty()) {
      Frame::TryRegion& t = f.tries.back();
      const Action& a = *t.action;
      if (stack_.size() > t.stack) stack_.resize(t.stack);
      if (t.state == State::Try && (a.number & 1)) {
        t.state = State::Catch;
        f.pc = a.target;
        if (a.number & 4) {
          if (static_cast<size_t>(a.number2) < f.registers.size()) f.registers[static_cast<size_t>(a.number2)] = V;
        } else if (!a.strings.empty()) {
          if (f.activation) f.activation->Set(a.strings[0], V);
          else SetVariable(f, a.strings[0], V);
        }
        return;
      }
      if (t.state != State::Finally && (a.number & 2)) {
        t.state = State::Finally;
        t.rethrow = true;
        t.thrown = std::move(V);
        f.pc = a.target2;
        return;
      }
      f.tries.pop_back();
    }
    // No handler in this frame: it ends without a result.
    stack_.resize(std::min(stack_.size(), f.stackBase));
    frames_.pop_back();
  }
  throw ScriptThrow{std::move(V)};
}

// Ends the innermost frame with Result.
void Interpreter::Finish(Value Result) {
  Frame& f = frames_.back();
  Mode mode = f.mode;
  Value constructed = std::move(f.constructed);
  stack_.resize(std::min(stack_.size(), f.stackBase));
  frames_.pop_back();
  switch (mode) {
    case Mode::Discard: break;
    case Mode::Push: Push(std::move(Result)); break;
    case Mode::Construct: Push(Result.IsObject() ? std::move(Result) : std::move(constructed)); break;
    case Mode::Result: result_ = std::move(Result); break;
  }
}

void Interpreter::Invoke(const Value& Function, const Value& This, std::vector<Value> Args, Mode M,
                         Value Constructed) {
  if (!Function.IsFunction()) {
    if (M == Mode::Push) Push(Value());
    if (M == Mode::Construct) Push(std::move(Constructed));
    if (M == Mode::Result) result_ = Value();
    return;
  }
  Object* fn = Function.object();
  Frame& caller = frames_.back();
  if (fn->native) {
    NativeFunction native = fn->native;  // the object may change while it runs
    NativeCall call{runtime_, host_, *caller.target, This, std::move(Args), this};
    Value r = native(call);
    if (M == Mode::Push) Push(std::move(r));
    if (M == Mode::Construct) Push(r.IsObject() ? std::move(r) : std::move(Constructed));
    if (M == Mode::Result) result_ = std::move(r);
    return;
  }
  if (frames_.size() >= budget_.maxCallDepth)
    throw ScriptAbort{"calls nested deeper than " + std::to_string(budget_.maxCallDepth)};
  const ScriptFunction& sf = *fn->function;
  const FunctionDef& def = *sf.def;
  Frame f;
  f.block = sf.block;
  f.pc = sf.begin;
  f.end = sf.end;
  f.constants = sf.constants;
  f.scope = sf.scope;
  f.activation = runtime_.NewObject();
  f.scope.push_back(f.activation);
  ScriptClip* home = runtime_.ResolveTarget(*caller.target, sf.clipPath);
  f.target = f.original = home ? home : caller.target;
  f.thisValue = This;
  f.mode = M;
  f.constructed = std::move(Constructed);
  f.registers.resize(std::max<size_t>(def.registerCount, 4));
  Object* arguments = runtime_.NewArray(Args);
  if (def.version2) {
    size_t r = 1;
    auto preload = [&](uint16_t flag, Value v) {
      if ((def.flags & flag) && r < f.registers.size()) f.registers[r++] = std::move(v);
    };
    preload(kPreloadThis, This);
    preload(kPreloadArguments, Value::Obj(arguments));
    preload(kPreloadSuper, Value());
    preload(kPreloadRoot, ClipValue(f.target->Root()));
    preload(kPreloadParent, ClipValue(f.target->Parent()));
    preload(kPreloadGlobal, Value::Obj(runtime_.Global()));
    if (!(def.flags & kSuppressArguments)) f.activation->Set("arguments", Value::Obj(arguments));
  } else {
    f.activation->Set("arguments", Value::Obj(arguments));
  }
  for (size_t i = 0; i < def.params.size(); ++i) {
    Value v = i < Args.size() ? Args[i] : Value();
    uint8_t reg = i < def.paramRegisters.size() ? def.paramRegisters[i] : 0;
    if (reg != 0) {
      if (reg < f.registers.size()) f.registers[reg] = std::move(v);
    } else {
      f.activation->Set(def.params[i], std::move(v));
    }
  }
  f.stackBase = stack_.size();
  frames_.push_back(std::move(f));
}

void Interpreter::Construct(const Value& Ctor, std::vector<Value> Args) {
  Object* obj = runtime_.NewObject();
  if (Ctor.IsFunction()) {
    Value proto = Ctor.object()->Get("prototype");
    if (proto.IsObject()) obj->prototype = proto.object();
    obj->Define("__constructor__", Ctor, kDontEnum);
    if (runtime_.SwfVersion() < 6) obj->Define("constructor", Ctor, kDontEnum);
  }
  Invoke(Ctor, Value::Obj(obj), std::move(Args), Mode::Construct, Value::Obj(obj));
}

void Interpreter::DefineFunction(Frame& F, const Action& A, size_t Index) {
  Object* fn = runtime_.NewObject();
  auto sf = std::make_unique<ScriptFunction>();
  sf->block = F.block;
  sf->begin = Index + 1;
  sf->end = A.target;
  sf->def = A.function;
  sf->scope = F.scope;
  sf->clipPath = F.original->TargetPath();
  sf->constants = F.constants;
  fn->function = std::move(sf);
  fn->prototype = runtime_.BuiltinPrototype("Function");
  Object* proto = runtime_.NewObject();
  proto->Define("constructor", Value::Obj(fn), kDontEnum);
  fn->Define("prototype", Value::Obj(proto), kDontEnum);
  Value v = Value::Obj(fn);
  if (A.function->name.empty()) {
    Push(v);
  } else if (F.activation) {
    F.activation->Set(A.function->name, v);
  } else {
    F.target->Variables()->Set(A.function->name, v);
  }
  F.pc = A.target;
}

// ---- variables ----

ScriptClip* Interpreter::ClipOf(Frame& F, const Value& V) {
  if (!V.IsClip()) return nullptr;
  return runtime_.ResolveTarget(*F.target, V.string());
}

ScriptClip* Interpreter::TargetOf(Frame& F, const Value& V) {
  if (V.IsClip()) return ClipOf(F, V);
  if (V.IsUndefined()) return F.target;
  return runtime_.ResolveTarget(*F.target, V.ToString());
}

Object* Interpreter::ScopeHolding(Frame& F, const std::string& Name) {
  for (auto it = F.scope.rbegin(); it != F.scope.rend(); ++it)
    if ((*it)->Has(Name)) return *it;
  return nullptr;
}

Value Interpreter::GetPlain(Frame& F, const std::string& Name) {
  if (Name == "this") return F.thisValue;
  if (Name == "_root") return ClipValue(F.target->Root());
  if (Name == "_parent") return ClipValue(F.target->Parent());
  if (Name == "_global") return Value::Obj(runtime_.Global());
  if (Name.rfind("_level", 0) == 0 && Name.size() > 6 && IsNumeric(Name.substr(6)))
    return ClipValue(F.target->Level(ClampInt(StringToNumber(Name.substr(6)))));
  for (auto it = F.scope.rbegin(); it != F.scope.rend(); ++it)
    if (auto v = (*it)->Find(Name)) return *v;
  if (auto v = F.target->Variables()->Find(Name)) return *v;
  if (ScriptClip* c = F.target->Child(Name)) return ClipValue(c);
  if (auto v = runtime_.Global()->Find(Name)) return *v;
  return Value();
}

bool Interpreter::SetPlain(Frame& F, const std::string& Name, const Value& V) {
  if (Object* o = ScopeHolding(F, Name)) {
    o->Set(Name, V);
    return true;
  }
  F.target->Variables()->Set(Name, V);
  return true;
}

Value Interpreter::GetVariable(Frame& F, const std::string& Name) {
  size_t colon = Name.rfind(':');
  if (colon != std::string::npos) {
    ScriptClip* c = runtime_.ResolveTarget(*F.target, Name.substr(0, colon));
    return c ? GetMember(F, ClipValue(c), Name.substr(colon + 1)) : Value();
  }
  if (Name.find('/') != std::string::npos) return ClipValue(runtime_.ResolveTarget(*F.target, Name));
  size_t dot = Name.find('.');
  if (dot == std::string::npos || IsNumeric(Name)) return GetPlain(F, Name);
  Value v = GetPlain(F, Name.substr(0, dot));
  size_t pos = dot + 1;
  while (true) {
    size_t next = Name.find('.', pos);
    std::string part = Name.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
    v = GetMember(F, v, part);
    if (next == std::string::npos) return v;
    pos = next + 1;
  }
}

void Interpreter::SetVariable(Frame& F, const std::string& Name, const Value& V) {
  size_t colon = Name.rfind(':');
  if (colon != std::string::npos) {
    if (ScriptClip* c = runtime_.ResolveTarget(*F.target, Name.substr(0, colon)))
      SetMember(F, ClipValue(c), Name.substr(colon + 1), V);
    return;
  }
  size_t dot = Name.rfind('.');
  if (dot == std::string::npos || IsNumeric(Name)) {
    SetPlain(F, Name, V);
    return;
  }
  SetMember(F, GetVariable(F, Name.substr(0, dot)), Name.substr(dot + 1), V);
}

Value Interpreter::GetClipProperty(ScriptClip& C, int Index) {
  if (Index < 0 || Index > kLastProperty) return Value();
  switch (Index) {
    case 4: return Value::Number(C.CurrentFrame());
    case 5:
    case 12: return Value::Number(C.TotalFrames());
    case 11: return Value::String(C.SlashPath());
    case 13: return Value::String(C.Name());
    default: return C.GetProperty(Index);
  }
}

Value Interpreter::GetObjectMember(Object* O, const Value& This, const std::string& Name) {
  if (Name == "__proto__") return Value::Obj(O->prototype);
  const Property* p = O->FindProperty(Name);
  if (!p) {
    // __resolve answers for members nothing else has.
    if (Name != "__resolve") {
      const Property* r = O->FindProperty("__resolve");
      if (r && r->value.IsFunction()) return CallNested(r->value, This, {Value::String(Name)});
    }
    return Value();
  }
  if (p->getter) return CallNested(Value::Obj(p->getter), This, {});
  return p->value;
}

bool Interpreter::SetObjectMember(Object* O, const Value& This, const std::string& Name, const Value& V) {
  if (Name == "__proto__") {
    O->Set(Name, V);
    return true;
  }
  const Object* holder = nullptr;
  const Property* p = O->FindProperty(Name, &holder);
  if (p && (p->getter || p->setter)) {
    // An accessor without a setter is read-only.
    if (p->setter) CallNested(Value::Obj(p->setter), This, {V});
    return p->setter != nullptr;
  }
  if (p && holder == O && (p->flags & kReadOnly)) return false;
  Value value = V;
  if (O->watchers) {
    auto w = O->watchers->find(Name);
    if (w != O->watchers->end()) {
      Value old = p && holder == O ? p->value : Value();
      auto [callback, data] = w->second;  // a copy: the callback may unwatch
      value = CallNested(Value::Obj(callback), This, {Value::String(Name), old, V, data});
    }
  }
  O->Set(Name, std::move(value));
  return true;
}

Value Interpreter::GetMember(Frame& F, const Value& Of, const std::string& Name) {
  switch (Of.type()) {
    case Value::Type::Object: return GetObjectMember(Of.object(), Of, Name);
    case Value::Type::String:
      if (Name == "length") return Value::Number(static_cast<double>(Utf8Length(Of.string())));
      if (Object* p = runtime_.BuiltinPrototype("String")) return GetObjectMember(p, Of, Name);
      return Value();
    case Value::Type::Number:
      if (Object* p = runtime_.BuiltinPrototype("Number")) return GetObjectMember(p, Of, Name);
      return Value();
    case Value::Type::Boolean:
      if (Object* p = runtime_.BuiltinPrototype("Boolean")) return GetObjectMember(p, Of, Name);
      return Value();
    case Value::Type::Clip: {
      ScriptClip* c = ClipOf(F, Of);
      if (!c) return Value();
      Object* vars = c->Variables();
      if (vars->OwnProperty(Name)) return GetObjectMember(vars, Of, Name);
      int index = PropertyIndex(Name);
      if (index >= 0) return GetClipProperty(*c, index);
      if (auto v = c->DisplayProperty(Name)) return *v;
      if (Name == "_parent") return ClipValue(c->Parent());
      if (Name == "_root") return ClipValue(c->Root());
      if (ScriptClip* child = c->Child(Name)) return ClipValue(child);
      return GetObjectMember(vars, Of, Name);
    }
    default: return Value();
  }
}

bool Interpreter::SetMember(Frame& F, const Value& Of, const std::string& Name, const Value& V) {
  if (Of.IsObject()) return SetObjectMember(Of.object(), Of, Name, V);
  if (Of.IsClip()) {
    ScriptClip* c = ClipOf(F, Of);
    if (!c) return false;
    int index = PropertyIndex(Name);
    if (index >= 0 && !c->Variables()->OwnProperty(Name)) {
      c->SetProperty(index, V);
      return true;
    }
    if (c->SetDisplayProperty(Name, V)) return true;
    return SetObjectMember(c->Variables(), Of, Name, V);
  }
  return false;
}

// ---- operators ----

Value Interpreter::Add2(const Value& A, const Value& B) {
  Value a = ToPrimitiveOf(A), b = ToPrimitiveOf(B);
  if (a.IsString() || b.IsString()) return Value::String(a.ToString() + b.ToString());
  return Value::Number(a.ToNumber() + b.ToNumber());
}

bool Interpreter::Equals2(const Value& A, const Value& B, int Depth) {
  using T = Value::Type;
  if (A.type() == B.type()) return A == B;
  bool aNullish = A.IsUndefined() || A.IsNull(), bNullish = B.IsUndefined() || B.IsNull();
  if (aNullish || bNullish) return aNullish && bNullish;
  if (Depth > 2) return false;
  if (A.type() == T::Boolean) return Equals2(Value::Number(A.number()), B, Depth + 1);
  if (B.type() == T::Boolean) return Equals2(A, Value::Number(B.number()), Depth + 1);
  if (A.IsNumber() && B.IsString()) return A.number() == B.ToNumber();
  if (A.IsString() && B.IsNumber()) return A.ToNumber() == B.number();
  if ((A.IsObject() || A.IsClip()) && (B.IsNumber() || B.IsString())) return Equals2(ToPrimitiveOf(A), B, Depth + 1);
  if ((B.IsObject() || B.IsClip()) && (A.IsNumber() || A.IsString())) return Equals2(A, ToPrimitiveOf(B), Depth + 1);
  return false;
}

Value Interpreter::Less2(const Value& A, const Value& B) {
  Value a = ToPrimitiveOf(A), b = ToPrimitiveOf(B);
  if (a.IsString() && b.IsString()) return Value::Bool(a.string() < b.string());
  double x = a.ToNumber(), y = b.ToNumber();
  if (std::isnan(x) || std::isnan(y)) return Value();
  return Value::Bool(x < y);
}

// ---- frames of a timeline ----

void Interpreter::Goto(Frame& F, const Value& FrameValue, ScriptClip::After Then, int Bias) {
  ScriptClip* clip = F.target;
  Value frame = FrameValue;
  if (frame.IsString()) {
    std::string s = frame.string();
    size_t colon = s.rfind(':');
    if (colon != std::string::npos) {
      clip = runtime_.ResolveTarget(*F.target, s.substr(0, colon));
      s = s.substr(colon + 1);
    }
    if (!clip) return;
    if (!IsNumeric(s)) {
      clip->GotoLabel(s, Then);
      return;
    }
    frame = Value::Number(StringToNumber(s));
  }
  double n = frame.ToNumber();
  if (std::isnan(n)) return;
  clip->GotoFrame(std::max(0, ClampInt(n) - 1 + Bias), Then);
}

void Interpreter::CallFrame(Frame& F, const Value& FrameValue) {
  ScriptClip* clip = F.target;
  Value frame = FrameValue;
  if (frame.IsString()) {
    const std::string& s = frame.string();
    size_t colon = s.rfind(':');
    if (colon != std::string::npos) {
      clip = runtime_.ResolveTarget(*F.target, s.substr(0, colon));
      std::string rest = s.substr(colon + 1);
      frame = IsNumeric(rest) ? Value::Number(StringToNumber(rest)) : Value::String(rest);
    }
  }
  if (!clip) return;
  std::vector<std::vector<uint8_t>> blocks = clip->FrameActions(frame);
  for (auto it = blocks.rbegin(); it != blocks.rend(); ++it) {
    std::shared_ptr<const ActionBlock> block;
    try {
      block = std::make_shared<ActionBlock>(DecodeActions(*it));
    } catch (const FormatError& e) {
      host_.Log(std::string("script skipped: ") + e.what());
      continue;
    }
    if (frames_.size() >= budget_.maxCallDepth)
      throw ScriptAbort{"calls nested deeper than " + std::to_string(budget_.maxCallDepth)};
    Frame f;
    f.end = block->actions.size();
    f.block = std::move(block);
    f.registers.resize(4);
    f.target = f.original = clip;
    f.thisValue = ClipValue(clip);
    f.stackBase = stack_.size();
    frames_.push_back(std::move(f));
  }
}

// ---- one action ----

void Interpreter::Step(Frame& F, const Action& A) {
  using C = ActionCode;
  auto num = [&] { return ToNumberOf(Pop()); };
  auto str = [&] { return ToStringOf(Pop()); };
  switch (A.code) {
    case C::NextFrame: F.target->NextFrame(); break;
    case C::PreviousFrame: F.target->PrevFrame(); break;
    case C::Play: F.target->Play(); break;
    case C::Stop: F.target->Stop(); break;
    case C::GotoFrame: F.target->GotoFrame(A.number, ScriptClip::After::Keep); break;
    case C::GotoLabel: F.target->GotoLabel(A.strings[0], ScriptClip::After::Keep); break;
    case C::GotoFrame2: {
      Value frame = Pop();
      Goto(F, frame, (A.number & 1) ? ScriptClip::After::Play : ScriptClip::After::Stop, A.number2);
      break;
    }
    case C::SetTarget: {
      ScriptClip* c = A.strings[0].empty() ? F.original : runtime_.ResolveTarget(*F.original, A.strings[0]);
      F.target = c ? c : F.original;
      break;
    }
    case C::SetTarget2: {
      Value t = Pop();
      ScriptClip* c = t.IsClip() ? ClipOf(F, t)
                      : t.ToString().empty() ? F.original
                                             : runtime_.ResolveTarget(*F.original, t.ToString());
      F.target = c ? c : F.original;
      break;
    }
    case C::GetURL: {
      // fscommand("cmd", "args") arrives as URL "FSCommand:cmd", target "args".
      UrlRequest r;
      r.url = A.strings[0];
      r.target = A.strings[1];
      r.from = F.target;
      host_.GetURL(r);
      break;
    }
    case C::GetURL2: {
      UrlRequest r;
      r.target = str();
      r.url = str();
      r.method = A.number & 3;
      r.loadTarget = (A.number & 0x40) != 0;
      r.loadVariables = (A.number & 0x80) != 0;
      r.from = F.target;
      host_.GetURL(r);
      break;
    }
    case C::WaitForFrame:
    case C::WaitForFrame2:
      // Every frame is loaded before a script runs, so the skip never happens.
      if (A.code == C::WaitForFrame2) Pop();
      break;
    case C::Push:
      for (const PushItem& item : A.push) {
        switch (item.type) {
          case PushItem::Type::String: Push(Value::String(item.string)); break;
          case PushItem::Type::Float:
          case PushItem::Type::Double:
          case PushItem::Type::Integer: Push(Value::Number(item.number)); break;
          case PushItem::Type::Null: Push(Value::Null()); break;
          case PushItem::Type::Undefined: Push(Value()); break;
          case PushItem::Type::Boolean: Push(Value::Bool(item.number != 0)); break;
          case PushItem::Type::Register:
            Push(item.index < F.registers.size() ? F.registers[item.index] : Value());
            break;
          case PushItem::Type::Constant:
            Push(F.constants && item.index < F.constants->size() ? Value::String((*F.constants)[item.index]) : Value());
            break;
        }
      }
      break;
    case C::Pop: Pop(); break;
    case C::PushDuplicate: {
      Value v = Pop();
      Push(v);
      Push(std::move(v));
      break;
    }
    case C::StackSwap: {
      Value a = Pop(), b = Pop();
      Push(std::move(a));
      Push(std::move(b));
      break;
    }
    case C::Add: {
      double b = num(), a = num();
      Push(Value::Number(a + b));
      break;
    }
    case C::Subtract: {
      double b = num(), a = num();
      Push(Value::Number(a - b));
      break;
    }
    case C::Multiply: {
      double b = num(), a = num();
      Push(Value::Number(a * b));
      break;
    }
    case C::Divide: {
      double b = num(), a = num();
      Push(Value::Number(a / b));
      break;
    }
    case C::Modulo: {
      double b = num(), a = num();
      Push(Value::Number(std::fmod(a, b)));
      break;
    }
    case C::Add2: {
      Value b = Pop(), a = Pop();
      Push(Add2(a, b));
      break;
    }
    case C::Increment: Push(Value::Number(num() + 1)); break;
    case C::Decrement: Push(Value::Number(num() - 1)); break;
    case C::Equals: {
      double b = num(), a = num();
      Push(Value::Bool(a == b));
      break;
    }
    case C::Less: {
      double b = num(), a = num();
      Push(Value::Bool(a < b));
      break;
    }
    case C::Equals2: {
      Value b = Pop(), a = Pop();
      Push(Value::Bool(Equals2(a, b)));
      break;
    }
    case C::StrictEquals: {
      Value b = Pop(), a = Pop();
      Push(Value::Bool(a == b));
      break;
    }
    case C::Less2: {
      Value b = Pop(), a = Pop();
      Push(Less2(a, b));
      break;
    }
    case C::Greater: {
      Value b = Pop(), a = Pop();
      Push(Less2(b, a));
      break;
    }
    case C::And: {
      bool b = Pop().ToBoolean(), a = Pop().ToBoolean();
      Push(Value::Bool(a && b));
      break;
    }
    case C::Or: {
      bool b = Pop().ToBoolean(), a = Pop().ToBoolean();
      Push(Value::Bool(a || b));
      break;
    }
    case C::Not: Push(Value::Bool(!Pop().ToBoolean())); break;
    case C::BitAnd:
    case C::BitOr:
    case C::BitXor:
    case C::BitLShift:
    case C::BitRShift:
    case C::BitURShift: {
      int32_t b = ToInt32(num()), a = ToInt32(num());
      uint32_t ua = static_cast<uint32_t>(a), sh = static_cast<uint32_t>(b) & 31;
      double r = 0;
      switch (A.code) {
        case C::BitAnd: r = a & b; break;
        case C::BitOr: r = a | b; break;
        case C::BitXor: r = a ^ b; break;
        case C::BitLShift: r = static_cast<int32_t>(ua << sh); break;
        case C::BitRShift: r = a >> sh; break;
        default: r = ua >> sh; break;
      }
      Push(Value::Number(r));
      break;
    }
    case C::StringEquals: {
      std::string b = str(), a = str();
      Push(Value::Bool(a == b));
      break;
    }
    case C::StringLess: {
      std::string b = str(), a = str();
      Push(Value::Bool(a < b));
      break;
    }
    case C::StringGreater: {
      std::string b = str(), a = str();
      Push(Value::Bool(a > b));
      break;
    }
    case C::StringAdd: {
      std::string b = str(), a = str();
      if (a.size() + b.size() > budget_.maxStringLength)
        throw ScriptAbort{"a string longer than " + std::to_string(budget_.maxStringLength) + " bytes"};
      Push(Value::String(a + b));
      break;
    }
    case C::StringLength: Push(Value::Number(static_cast<double>(str().size()))); break;
    case C::MBStringLength: Push(Value::Number(static_cast<double>(Utf8Length(str())))); break;
    case C::StringExtract:
    case C::MBStringExtract: {
      double count = num(), index = num();
      std::string s = str();
      Push(Value::String(Extract(s, index, count)));
      break;
    }
    case C::CharToAscii:
    case C::MBCharToAscii: {
      std::string s = str();
      Push(s.empty() ? Value::Number(NAN) : Value::Number(static_cast<unsigned char>(s[0])));
      break;
    }
    case C::AsciiToChar:
    case C::MBAsciiToChar: Push(Value::String(Utf8Char(num()))); break;
    case C::ToInteger: {
      double v = num();
      Push(Value::Number(std::isnan(v) ? 0 : std::trunc(v)));
      break;
    }
    case C::ToNumber: Push(Value::Number(num())); break;
    case C::ToString: Push(Value::String(str())); break;
    case C::TypeOf: {
      Value v = Pop();
      ScriptClip* c = v.IsClip() ? ClipOf(F, v) : nullptr;
      Push(Value::String(c && c->IsTextField() ? "object" : v.TypeOf()));
      break;
    }
    case C::Jump: F.pc = A.target; break;
    case C::If:
      if (Pop().ToBoolean()) F.pc = A.target;
      break;
    case C::Call: CallFrame(F, Pop()); break;
    case C::ConstantPool: F.constants = std::make_shared<const std::vector<std::string>>(A.strings); break;
    case C::StoreRegister: {
      size_t base = F.stackBase;
      Value v = stack_.size() > base ? stack_.back() : Value();
      if (static_cast<size_t>(A.number) < F.registers.size()) F.registers[static_cast<size_t>(A.number)] = std::move(v);
      break;
    }
    case C::GetVariable: Push(GetVariable(F, str())); break;
    case C::SetVariable: {
      Value v = Pop();
      SetVariable(F, str(), v);
      break;
    }
    case C::DefineLocal: {
      Value v = Pop();
      std::string name = str();
      if (F.activation) F.activation->Set(name, std::move(v));
      else SetVariable(F, name, v);
      break;
    }
    case C::DefineLocal2: {
      std::string name = str();
      Object* o = F.activation ? F.activation : F.target->Variables();
      if (!o->Has(name)) o->Set(name, Value());
      break;
    }
    case C::Delete: {
      std::string name = str();
      Value of = Pop();
      bool done = false;
      if (of.IsObject()) done = of.object()->Delete(name);
      else if (ScriptClip* c = ClipOf(F, of)) done = c->Variables()->Delete(name);
      Push(Value::Bool(done));
      break;
    }
    case C::Delete2: {
      std::string name = str();
      Object* o = ScopeHolding(F, name);
      if (!o && F.target->Variables()->Has(name)) o = F.target->Variables();
      Push(Value::Bool(o && o->Delete(name)));
      break;
    }
    case C::GetMember: {
      std::string name = str();
      Value of = Pop();
      Push(GetMember(F, of, name));
      break;
    }
    case C::SetMember: {
      Value v = Pop();
      std::string name = str();
      Value of = Pop();
      SetMember(F, of, name, v);
      break;
    }
    case C::InitArray: {
      std::vector<Value> elements = PopArgs();
      Push(Value::Obj(runtime_.NewArray(elements)));
      break;
    }
    case C::InitObject: {
      double n = num();
      Object* o = runtime_.NewObject();
      size_t count = std::isnan(n) || n < 0 ? 0 : static_cast<size_t>(std::min(n, 1e9));
      for (size_t i = 0; i < count && stack_.size() > F.stackBase; ++i) {
        Value v = Pop();
        o->Set(str(), std::move(v));
      }
      Push(Value::Obj(o));
      break;
    }
    case C::NewObject: {
      std::string name = str();
      std::vector<Value> args = PopArgs();
      Construct(GetVariable(F, name), std::move(args));
      break;
    }
    case C::NewMethod: {
      Value name = Pop();
      Value of = Pop();
      std::vector<Value> args = PopArgs();
      Value ctor = name.IsUndefined() || name.ToString().empty() ? of : GetMember(F, of, name.ToString());
      Construct(ctor, std::move(args));
      break;
    }
    case C::CallFunction: {
      std::string name = str();
      std::vector<Value> args = PopArgs();
      Invoke(GetVariable(F, name), Value(), std::move(args), Mode::Push);
      break;
    }
    case C::CallMethod: {
      Value name = Pop();
      Value of = Pop();
      std::vector<Value> args = PopArgs();
      if (name.IsUndefined() || name.ToString().empty()) Invoke(of, Value(), std::move(args), Mode::Push);
      else Invoke(GetMember(F, of, name.ToString()), of, std::move(args), Mode::Push);
      break;
    }
    case C::Return: Finish(Pop()); break;
    case C::DefineFunction:
    case C::DefineFunction2: DefineFunction(F, A, static_cast<size_t>(&A - F.block->actions.data())); break;
    case C::With: {
      Value v = Pop();
      Object* o = v.IsObject() ? v.object() : nullptr;
      if (ScriptClip* c = ClipOf(F, v)) o = c->Variables();
      if (o) {
        F.scope.push_back(o);
        F.withs.emplace_back(F.pc, A.target);
      }
      break;
    }
    case C::GetProperty: {
      int index = ClampInt(num());
      ScriptClip* c = TargetOf(F, Pop());
      Push(c ? GetClipProperty(*c, index) : Value());
      break;
    }
    case C::SetProperty: {
      Value v = Pop();
      int index = ClampInt(num());
      ScriptClip* c = TargetOf(F, Pop());
      if (c && index >= 0 && index <= kLastProperty) c->SetProperty(index, v);
      break;
    }
    case C::TargetPath: {
      ScriptClip* c = ClipOf(F, Pop());
      Push(c ? Value::String(c->TargetPath()) : Value());
      break;
    }
    case C::CloneSprite: {
      int depth = ClampInt(num());
      std::string name = str(), source = str();
      F.target->CloneSprite(source, name, depth);
      break;
    }
    case C::RemoveSprite: F.target->RemoveSprite(str()); break;
    case C::StartDrag: {
      Pop();
      Pop();
      if (Pop().ToBoolean())
        for (int i = 0; i < 4; ++i) Pop();
      break;
    }
    case C::Trace: host_.Trace(str()); break;
    case C::RandomNumber: {
      double max = num();
      runtime_.random_ = runtime_.random_ * 1664525u + 1013904223u;
      Push(Value::Number(max >= 1 ? std::floor((runtime_.random_ >> 8) / 16777216.0 * std::floor(max)) : 0));
      break;
    }
    case C::GetTime: {
      auto now = std::chrono::steady_clock::now().time_since_epoch();
      Push(Value::Number(static_cast<double>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count())));
      break;
    }
    case C::Enumerate:
    case C::Enumerate2: {
      Value v = Pop();
      if (A.code == C::Enumerate) v = GetVariable(F, v.ToString());
      Object* o = v.IsObject() ? v.object() : nullptr;
      if (ScriptClip* c = ClipOf(F, v)) o = c->Variables();
      Push(Value::Null());
      if (o) {
        // Own members in the order they were made, then those of each
        // prototype not yet named; the loop takes them from the top.
        std::vector<std::string> names;
        std::set<std::string> seen;
        int depth = 0;
        for (const Object* p = o; p && depth < 256; p = p->prototype, ++depth) {
          for (const std::string& k : p->Keys(true)) {
            std::string key = o->caseless ? Lowercase(k) : k;
            if (!seen.insert(key).second) continue;
            if (!(p->OwnProperty(k)->flags & kDontEnum)) names.push_back(k);
          }
        }
        ChargeWork(names.size());
        for (const std::string& n : names) Push(Value::String(n));
      }
      break;
    }
    case C::InstanceOf: {
      Value ctor = Pop(), v = Pop();
      bool is = false;
      if (v.IsObject() && ctor.IsObject()) {
        Value proto = ctor.object()->Get("prototype");
        Object* p = v.object()->prototype;
        for (int i = 0; p && i < 64 && !is; ++i, p = p->prototype) is = proto.IsObject() && p == proto.object();
      }
      Push(Value::Bool(is));
      break;
    }
    case C::CastOp: {
      Value v = Pop();
      Pop();
      Push(std::move(v));
      break;
    }
    case C::Extends: {
      Value super = Pop(), sub = Pop();
      if (!sub.IsObject() || !super.IsObject()) break;
      Object* proto = runtime_.NewObject();
      Value superProto = super.object()->Get("prototype");
      proto->prototype = superProto.IsObject() ? superProto.object() : nullptr;
      proto->Define("__constructor__", super, kDontEnum);
      SetObjectMember(sub.object(), sub, "prototype", Value::Obj(proto));
      break;
    }
    case C::ImplementsOp: {
      Pop();
      PopArgs();
      break;
    }
    case C::Throw: throw ScriptThrow{Pop()};
    case C::Try:
      F.tries.push_back({&A, F.pc, stack_.size(), Frame::TryRegion::State::Try, false, Value()});
      break;
    case C::EndDrag:
    case C::ToggleQuality:
    case C::StopSounds:
    case C::End:
    default: break;  // nothing to do, or not supported
  }
}

}  // namespace swf
