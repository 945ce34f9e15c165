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

// Whether WaitForFrame2 finds its frame loaded. Every frame of a movie is
// loaded before its scripts run, and the player counts as loaded any frame
// up to its limit of 16000 past the first; a whole frame number beyond it
// (counted as a 32-bit integer, so very large ones wrap round to negative
// and are loaded) is not. Labels and anything else are loaded.
bool WaitedFrameLoaded(const Value& Frame) {
  if (!Frame.IsNumber()) return true;
  const double n = Frame.number();
  if (!std::isfinite(n) || n != std::floor(n)) return true;
  const auto index = static_cast<int32_t>(static_cast<uint32_t>(WrapInt32(n)) - 1u);
  return index <= 16000;
}

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

Interpreter::Frame Interpreter::TopFrame(ScriptClip& Clip) {
  // Calls from outside (getters, callbacks, host lookups) are frequent: they
  // share one empty block rather than allocating their own.
  static const std::shared_ptr<const ActionBlock> kNoActions = std::make_shared<const ActionBlock>();
  Frame f;
  f.block = kNoActions;
  f.registers.resize(4);
  f.target = f.original = &Clip;
  f.thisValue = ClipValue(&Clip);
  f.stackBase = stack_.size();
  return f;
}

namespace {

// Whether a frame running [.., End) has run out at Pc. Records decoded from
// the middle of others (past the block's `length`) belong to whichever frame
// jumps there, and lead back by a jump of their own.
bool RanOut(size_t Pc, size_t End, const ActionBlock& B) {
  if (Pc >= B.actions.size() || Pc == End) return true;
  return End <= B.length && Pc >= End && Pc <= B.length;
}

}  // namespace

void Interpreter::RunBlock(std::shared_ptr<const ActionBlock> Block, ScriptClip& Target) {
  Frame f;
  f.end = Block->length;
  f.block = std::move(Block);
  f.registers.resize(4);
  f.target = f.original = &Target;
  f.beganOnLiveClip = !Target.Removed();
  f.thisValue = ClipValue(&Target);
  f.stackBase = stack_.size();
  f.mode = Mode::Discard;
  size_t depth = frames_.size();
  frames_.push_back(std::move(f));
  try {
    Loop(depth);
  } catch (const ScriptThrow& t) {
    // As the reference player's log shows it; the rest of the block is not run.
    // The frames the exception left are gone: its toString runs from a
    // frame of the block's clip.
    while (frames_.size() > depth) frames_.pop_back();
    frames_.push_back(TopFrame(Target));
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

Value Interpreter::CallValue(const Value& Function, const Value& This, std::vector<Value> Args, ScriptClip& Clip,
                             Object* Home) {
  // A frame to call from: the clip's top level.
  size_t depth = frames_.size();
  size_t stackSize = stack_.size();
  frames_.push_back(TopFrame(Clip));
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
  Invoke(Function, This, std::move(Args), Mode::Result, {}, Home);
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
    // Movies before SWF 7 also find their constructor as an own member.
    if (runtime_.SwfVersion() < 7) obj->Define("constructor", Ctor, kDontEnum);
  }
  Value r = CallNested(Ctor, Value::Obj(obj), std::move(Args));
  return r.IsObject() || r.IsClip() ? r : Value::Obj(obj);
}

// The method a conversion calls: looked up without __resolve. An exception
// its getter throws is held until the action doing the conversion ends, so
// that action still completes with the object unconverted.
Value Interpreter::ConversionMethod(const Value& V, const std::string& Name) {
  Object* o = V.object();
  const Object* holder = nullptr;
  const Property* p = o->FindProperty(Name, &holder);
  if (!p || (p->flags & HiddenFlags(runtime_.SwfVersion()))) return Value();
  if (!p->getter) return p->value;
  try {
    return CallValue(Value::Obj(p->getter), V, {}, CurrentClip(), const_cast<Object*>(holder));
  } catch (ScriptThrow& t) {
    if (!heldThrow_) heldThrow_ = std::move(t.value);
    return Value();
  }
}

// An object's primitive for the operators: what its valueOf returns (a
// Date's toString from SWF 6 on, except where a number is wanted). A method that is missing or no function
// gives undefined; one that returns an object leaves the object itself,
// which then reads as NaN and as its toString's text.
Value Interpreter::ToPrimitiveOf(const Value& V, bool NumberWanted) {
  if (!V.IsObject()) return V;
  const bool dateText = !NumberWanted && runtime_.SwfVersion() >= 6 && IsDateObject(*V.object());
  const char* method = dateText ? "toString" : "valueOf";
  Value fn = ConversionMethod(V, method);
  if (!fn.IsFunction()) return Value();
  Value r = CallNested(fn, V, {});
  return r.IsObject() ? V : r;
}

// Before SWF 7 undefined reads as "" and 0, and null as 0; strings are true
// when they read as a non-zero number. SWF 4 reads only the number a string
// starts with. An object reads as what its toString returns; without one,
// or when it returns anything but a string, as "[type Object]" ("[type Function]").
std::string Interpreter::ToStringOf(const Value& V) {
  if (V.IsUndefined() && runtime_.SwfVersion() < 7) return "";
  if (V.IsClip()) return ClipText(V);
  if (!V.IsObject()) return V.ToString();
  Value fn = ConversionMethod(V, "toString");
  Value r = fn.IsFunction() ? CallNested(fn, V, {}) : V;
  if (!r.IsString()) return V.object()->IsFunction() ? "[type Function]" : "[type Object]";
  return r.string();
}

double Interpreter::ToNumberOf(const Value& V) {
  int version = runtime_.SwfVersion();
  switch (V.type()) {
    case Value::Type::Undefined:
    case Value::Type::Null: return version < 7 ? 0 : NAN;
    case Value::Type::String: return version < 5 ? LeadingNumber(V.string()) : StringToNumber(V.string(), version);
    case Value::Type::Object: {
      // One valueOf leaves unconverted is NaN; 0 in SWF 4.
      Value p = ToPrimitiveOf(V, true);
      if (p.IsObject()) return version < 5 ? 0 : NAN;
      return ToNumberOf(p);
    }
    default: return V.ToNumber();
  }
}

bool Interpreter::ToBooleanOf(const Value& V) {
  if (V.IsString() && runtime_.SwfVersion() < 7) {
    double n = ToNumberOf(V);
    return n != 0 && !std::isnan(n);
  }
  return V.ToBoolean();
}

Value Interpreter::Truth(bool B) const {
  // Functions are SWF 5 code even in an SWF 4 movie.
  bool swf4 = runtime_.SwfVersion() < 5 && !frames_.empty() && !frames_.back().activation;
  return swf4 ? Value::Number(B ? 1 : 0) : Value::Bool(B);
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

template <typename Fn>
auto Interpreter::WithPathFrame(ScriptClip& From, Fn Use) {
  const size_t depth = frames_.size();
  frames_.push_back(TopFrame(From));
  struct Pop {
    std::deque<Frame>& frames;
    size_t depth;
    ~Pop() {
      while (frames.size() > depth) frames.pop_back();
    }
  } pop{frames_, depth};
  return Use(frames_.back());
}

// Path lookups for the host run in a frame of their own, so that getters
// and setters met on the way (XML nodes, Transform) are calls from it; what
// a script throws or an aborted run ends there, as a failed lookup.
Value Interpreter::GetPathFrom(ScriptClip& From, const std::string& Path) {
  try {
    return WithPathFrame(From, [&](Frame& F) { return GetVariable(F, Path); });
  } catch (const ScriptThrow&) {
  } catch (const ScriptAbort&) {
  }
  return Value();
}

bool Interpreter::SetPathFrom(ScriptClip& From, const std::string& Path, const Value& V) {
  try {
    return WithPathFrame(From, [&](Frame& F) { return SetVariable(F, Path, V); });
  } catch (const ScriptThrow&) {
  } catch (const ScriptAbort&) {
  }
  return false;
}

// ---- the loop ----

void Interpreter::Loop(size_t StopDepth) {
  // What happened outside runs is not this run's; a nested loop (a native
  // calling back into script: frames below it) keeps what the native charged so far.
  if (StopDepth <= 1)
    TakeWork();
  else
    actions_ += TakeWork();
  while (frames_.size() > StopDepth) {
    Frame& f = frames_.back();
    while (!f.withs.empty() && (f.pc < f.withs.back().first || f.pc >= f.withs.back().second)) {
      f.withs.pop_back();
      f.scope.pop_back();
      if (!f.withValues.empty()) f.withValues.pop_back();
    }
    // A finally body may end where the frame does: what it finishes comes first.
    if (!f.tries.empty() && LeaveTries(f, StopDepth)) continue;
    if (RanOut(f.pc, f.end, *f.block)) {
      Finish(Value());
      continue;
    }
    // Conversions and member updates count too: each element visited costs as much as an action.
    actions_ += 1 + TakeWork();
    if (actions_ > budget_.maxActions)
      throw ScriptAbort{"more than " + std::to_string(budget_.maxActions) + " actions"};
    if (f.haltIfRemoved) {
      // A call just returned: a block whose clip it removed ends here.
      f.haltIfRemoved = false;
      if (f.beganOnLiveClip && f.original->Removed()) {
        Finish(Value());
        continue;
      }
    }
    const Action& a = f.block->actions[f.pc];
    ++f.pc;
    try {
      Step(f, a);
      if (heldThrow_) {
        Value held = std::move(*heldThrow_);
        heldThrow_.reset();
        throw ScriptThrow{std::move(held)};
      }
    } catch (ScriptThrow& t) {
      heldThrow_.reset();
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
      if (t.returning && pc == a.target3) {
        Value v = std::move(t.thrown);
        F.tries.pop_back();
        if (!ReturnThroughFinally(F, v)) Finish(std::move(v));
        return true;
      }
    }
    F.tries.pop_back();  // a jump out of the statement, or its end
  }
  return false;
}

bool Interpreter::ReturnThroughFinally(Frame& F, Value& Result) {
  using State = Frame::TryRegion::State;
  while (!F.tries.empty()) {
    Frame::TryRegion& t = F.tries.back();
    if (t.state != State::Finally && (t.action->number & 2)) {
      if (stack_.size() > t.stack) stack_.resize(t.stack);
      t.state = State::Finally;
      t.rethrow = false;
      t.returning = true;
      t.thrown = std::move(Result);
      F.pc = t.action->target2;
      return true;
    }
    F.tries.pop_back();
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
        t.returning = false;
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

namespace {

// The depth of Home in the chain above This (1 for This's own __proto__);
// 1 when Home is not on it, 0 when there is no object to have a `super`.
int SuperDepthOf(const Object* This, const Object* Home) {
  if (!This) return 0;
  int depth = 1;
  for (const Object* p = This->prototype; p && Home && depth < 256; p = p->prototype, ++depth)
    if (p == Home) return depth;
  return 1;
}

}  // namespace

void Interpreter::Invoke(const Value& Function, const Value& This, std::vector<Value> Args, Mode M,
                         Value Constructed, Object* Home, int SuperDepth) {
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
    // A native called on nothing (watch("x", f) in a clip's script) runs on the caller's clip, as script functions do.
    Value self = This.IsUndefined() && M != Mode::Construct ? ClipValue(caller.target) : This;
    NativeCall call{runtime_, host_, *caller.target, std::move(self), std::move(Args), this};
    Value r = native(call);
    if (M == Mode::Push) Push(std::move(r));
    const bool refused = TakeRefusedInstance();
    // A native constructor may answer with another object or a clip (new Object(_root)).
    if (M == Mode::Construct) Push(refused ? Value() : r.IsObject() || r.IsClip() ? std::move(r) : std::move(Constructed));
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
  // A function's locals inherit nothing: "toString" inside it is a local
  // or an outer scope's, never Object.prototype's method.
  f.activation->prototype = nullptr;
  f.scope.push_back(f.activation);
  ScriptClip* home = runtime_.ResolveTarget(*caller.target, sf.clipPath);
  if (!home) home = StandInHome(caller, This);
  f.target = f.original = home;
  // An SWF 5 function called on a clip runs on that clip.
  if (runtime_.SwfVersion() < 6 && This.IsClip())
    if (ScriptClip* c = runtime_.ResolveTarget(*caller.target, This.string())) f.target = f.original = c;
  // An SWF 5 function called on nothing runs on the caller's clip.
  if (runtime_.SwfVersion() < 6 && This.IsUndefined() && !caller.target->Removed()) f.target = f.original = caller.target;
  f.beganOnLiveClip = !f.original->Removed();
  // A function called on nothing runs with its home clip as `this`.
  f.thisValue = This.IsUndefined() ? ClipValue(f.target) : This;
  f.superDepth = SuperDepth > 0 ? SuperDepth : SuperDepthOf(MembersOf(This), Home);
  f.superAllowed = !def.version2 || !(def.flags & (kSuppressSuper | kPreloadSuper));
  f.mode = M;
  f.constructed = std::move(Constructed);
  f.registers.resize(std::max<size_t>(def.registerCount, 4));
  Object* arguments = runtime_.NewArray(Args);
  if (def.version2) {
    size_t r = 1;
    auto preload = [&](uint16_t flag, Value v) {
      if ((def.flags & flag) && r < f.registers.size()) f.registers[r++] = std::move(v);
    };
    // Registers from 1 in this order. A preload that is also suppressed
    // takes its register but leaves it undefined (this, super; arguments
    // are loaded all the same); a clip without a parent takes none.
    preload(kPreloadThis, def.flags & kSuppressThis ? Value() : f.thisValue);
    preload(kPreloadArguments, Value::Obj(arguments));
    if ((def.flags & kPreloadSuper) && r < f.registers.size())
      f.registers[r++] = def.flags & kSuppressSuper ? Value() : MakeSuper(f);
    preload(kPreloadRoot, ClipValue(f.target->Root()));
    if (ScriptClip* parent = f.target->Parent()) preload(kPreloadParent, ClipValue(parent));
    preload(kPreloadGlobal, Value::Obj(runtime_.Global()));
    // What a register holds, or is suppressed, is no variable.
    if (!(def.flags & (kSuppressArguments | kPreloadArguments))) f.activation->Set("arguments", Value::Obj(arguments));
    f.thisHidden = (def.flags & (kSuppressThis | kPreloadThis)) != 0;
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
    // Movies before SWF 7 also find their constructor as an own member.
    if (runtime_.SwfVersion() < 7) obj->Define("constructor", Ctor, kDontEnum);
  }
  Invoke(Ctor, Value::Obj(obj), std::move(Args), Mode::Construct, Value::Obj(obj));
}

// Skips the next Count actions of the block; a function definition is one
// action with its body.
void Interpreter::SkipActions(Frame& F, size_t Count) {
  const auto& actions = F.block->actions;
  for (size_t k = 0; k < Count && !RanOut(F.pc, F.end, *F.block); ++k) {
    const Action& next = actions[F.pc];
    const bool function = next.code == ActionCode::DefineFunction || next.code == ActionCode::DefineFunction2;
    F.pc = function ? next.target : F.pc + 1;
  }
}

void Interpreter::DefineFunction(Frame& F, const Action& A, size_t Index) {
  Object* fn = runtime_.NewObject();
  auto sf = std::make_unique<ScriptFunction>();
  sf->block = F.block;
  sf->begin = Index + 1;
  sf->end = A.target2;
  sf->def = A.function;
  // SWF 5 functions close over nothing: they see their own locals, then their clip and _global.
  if (runtime_.SwfVersion() >= 6) sf->scope = F.scope;
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
    DefineOnTimeline(F, A.function->name, v);
  }
  F.pc = A.target;
}

// ---- classes ----

namespace {

// Whether Proto is Target or implements it, through interfaces that implement others.
bool ImplementsPrototype(const Object* Proto, const Object* Target, int Depth) {
  if (Depth > 32) return false;
  for (const Object* i : Proto->interfaces)
    if (i == Target || ImplementsPrototype(i, Target, Depth + 1)) return true;
  return false;
}

}  // namespace

bool Interpreter::InstanceOf(Frame& F, const Value& V, const Value& Ctor) {
  if (!Ctor.IsObject()) return false;
  Object* o = V.IsObject() ? V.object() : nullptr;
  if (ScriptClip* c = ClipOf(F, V)) o = c->Variables();
  if (!o) return false;
  Value proto = GetMember(F, Ctor, "prototype");
  if (!proto.IsObject()) return false;
  const Object* target = proto.object();
  const Object* p = o->prototype;
  for (int i = 0; p && i < 256; ++i, p = p->prototype)
    if (p == target || ImplementsPrototype(p, target, 0)) return true;
  return false;
}

// ---- super ----

namespace {

// What a `super` object stands for: the method's `this` and how far up its
// chain the method was found.
struct SuperData : NativeData {
  Value thisValue;
  int depth = 1;
  void References(std::vector<Object*>& Out) const override {
    if (thisValue.IsObject()) Out.push_back(thisValue.object());
  }
};

const SuperData* SuperOf(const Value& V) {
  return V.IsObject() && V.object()->data ? dynamic_cast<const SuperData*>(V.object()->data.get()) : nullptr;
}

// How many steps above Start the object holding Name is (0: Start's own).
int HolderDepth(const Object* Start, const Object* Holder) {
  int depth = 0;
  for (const Object* p = Start; p && p != Holder && depth < 256; p = p->prototype) ++depth;
  return depth;
}

}  // namespace

Object* Interpreter::MembersOf(const Value& V) {
  if (V.IsObject()) return V.object();
  if (V.IsClip())
    if (ScriptClip* c = runtime_.ResolveTarget(CurrentClip(), V.string())) return c->Variables();
  return nullptr;
}

Object* Interpreter::ChainAt(const Value& V, int Depth) {
  Object* o = MembersOf(V);
  for (int i = 0; o && i < Depth; ++i) o = o->prototype;
  return o;
}

Value Interpreter::MakeSuper(Frame& F) {
  if (F.superDepth <= 0) return Value();
  Object* o = runtime_.NewObject();
  o->prototype = ChainAt(F.thisValue, F.superDepth + 1);
  auto d = std::make_unique<SuperData>();
  d->thisValue = F.thisValue;
  d->depth = F.superDepth;
  o->data = std::move(d);
  return Value::Obj(o);
}

void Interpreter::CallMethod(Frame& F, const Value& Of, const Value& Name, std::vector<Value> Args) {
  std::string name = Name.IsUndefined() ? std::string() : ToStringOf(Name);
  if (const SuperData* s = SuperOf(Of)) {
    Value thisValue = s->thisValue;
    int depth = s->depth;
    if (name.empty()) {
      // super(...): the __constructor__ of the prototype the method came
      // from (its getter runs; __resolve does not), called on this object.
      Object* base = ChainAt(thisValue, depth);
      const Object* holder = nullptr;
      const Property* c = base ? base->FindProperty("__constructor__", &holder) : nullptr;
      Value ctor;
      if (c && c->getter)
        ctor = CallValue(Value::Obj(c->getter), thisValue, {}, CurrentClip());
      else if (c && !(c->flags & HiddenFlags(runtime_.SwfVersion())))
        ctor = c->value;
      Invoke(ctor, thisValue, std::move(Args), Mode::Push, {}, nullptr, depth + 1);
      return;
    }
    Object* above = ChainAt(thisValue, depth + 1);
    const Object* holder = nullptr;
    if (!above || !above->FindProperty(name, &holder)) holder = above;
    Value fn = above ? GetObjectMember(above, thisValue, name) : Value();
    Invoke(fn, thisValue, std::move(Args), Mode::Push, {}, nullptr, depth + 1 + HolderDepth(above, holder));
    return;
  }
  if (name.empty()) {
    Invoke(Of, Value(), std::move(Args), Mode::Push);
    return;
  }
  Object* home = nullptr;
  if (Object* self = MembersOf(Of)) {
    const Object* holder = nullptr;
    if (self->FindProperty(name, &holder) && holder != self) home = const_cast<Object*>(holder);
  }
  Invoke(GetMember(F, Of, name), Of, std::move(Args), Mode::Push, {}, home);
}

// ---- variables: paths.cpp ----

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
  if (O->NamesProto(Name)) return O->Get(Name);
  const Object* holder = nullptr;
  const Property* p = O->FindProperty(Name, &holder);
  // A member hidden from this version (ASSetPropFlags' version bits) reads
  // as if it were not there: the chain above it answers.
  for (int depth = 0; p && (p->flags & HiddenFlags(runtime_.SwfVersion())) && holder->prototype; ++depth) {
    if (depth > 256) throw ScriptAbort{"prototype chain deeper than 256"};
    p = holder->prototype->FindProperty(Name, &holder);
  }
  if (!p) {
    // A chain that does not end within 256 steps (one that loops) stops the
    // script, as the reference player does.
    int depth = 0;
    for (const Object* o = O; o; o = o->prototype)
      if (++depth > 256) throw ScriptAbort{"prototype chain deeper than 256"};
    // __resolve answers for members nothing else has.
    if (Name != "__resolve") {
      const Property* r = O->FindProperty("__resolve");
      if (r && r->value.IsFunction()) return CallNested(r->value, This, {Value::String(Name)});
    }
    return Value();
  }
  if (p->flags & HiddenFlags(runtime_.SwfVersion())) return Value();  // ASSetPropFlags' version bits
  if (p->getter) {
    if (!AccessorMayRun(O, p->name)) return p->value;
    return RunAccessor(p->getter, O, p->name, This, {}, const_cast<Object*>(holder));
  }
  return p->value;
}

bool Interpreter::AccessorMayRun(const Object* O, const std::string& Name) const {
  if (runtime_.SwfVersion() >= 7) return runningAccessors_.size() < kAccessorDepth;
  for (const auto& [object, name] : runningAccessors_)
    if (object == O && name == Name) return false;  // Name as the member first spelled it
  return true;
}

Value Interpreter::RunAccessor(Object* Fn, const Object* O, const std::string& Name, const Value& This,
                               std::vector<Value> Args, Object* Holder) {
  runningAccessors_.emplace_back(O, Name);
  struct Pop {
    std::vector<std::pair<const Object*, std::string>>& running;
    ~Pop() { running.pop_back(); }
  } pop{runningAccessors_};
  return CallValue(Value::Obj(Fn), This, std::move(Args), CurrentClip(), Holder);
}

bool Interpreter::SetObjectMember(Object* O, const Value& This, const std::string& Name, const Value& V) {
  const Object* holder = nullptr;
  const Property* p = O->NamesProto(Name) ? nullptr : O->FindProperty(Name, &holder);
  if (p && (p->flags & HiddenFlags(runtime_.SwfVersion()))) {
    // A member hidden from this version is written as if it were not there.
    if (holder == O) O->SetFlags(Name, 0, kVersionFlags | kReadOnly);
    holder = nullptr;
    p = nullptr;
  }
  if (p && (p->getter || p->setter)) {
    Value value = V;
    if (O->watchers) {
      auto w = O->watchers->find(Name);
      if (w != O->watchers->end()) {
        // A watched accessor keeps the watcher's last answer as its own
        // value: the watcher sees that as the old value (never the getter's),
        // and the setter gets the answer.
        Property* own = holder == O ? O->OwnProperty(Name) : nullptr;
        Value old = own ? own->value : Value();
        auto [callback, data] = w->second;  // a copy: the callback may unwatch
        value = CallNested(Value::Obj(callback), This, {Value::String(Name), old, V, data});
        own = O->OwnProperty(Name);
        if (own && (own->getter || own->setter)) own->value = value;
        p = O->FindProperty(Name, &holder);
        if (!p || !(p->getter || p->setter)) {
          O->Set(Name, std::move(value));
          return true;
        }
      }
    }
    // An accessor without a setter is read-only.
    if (!p->setter) return false;
    if (!AccessorMayRun(O, p->name)) return true;
    RunAccessor(p->setter, O, p->name, This, {value}, const_cast<Object*>(holder));
    // The member keeps what its setter was last given, read when its getter may not run.
    if (Property* own = O->OwnProperty(Name); own && (own->getter || own->setter)) own->value = value;
    return true;
  }
  if (p && holder == O && (p->flags & kReadOnly)) return false;
  Value value = V;
  if (O->watchers) {
    auto w = O->watchers->find(Name);
    if (w != O->watchers->end()) {
      Value old = O->NamesProto(Name) ? O->Get(Name) : p && holder == O ? p->value : Value();
      auto [callback, data] = w->second;  // a copy: the callback may unwatch
      value = CallNested(Value::Obj(callback), This, {Value::String(Name), old, V, data});
    }
  }
  O->Set(Name, std::move(value));
  return true;
}

Value Interpreter::GetMember(Frame& F, const Value& Of, const std::string& Name) {
  if (const SuperData* s = SuperOf(Of)) {
    Object* above = ChainAt(s->thisValue, s->depth + 1);
    return above ? GetObjectMember(above, s->thisValue, Name) : Value();
  }
  switch (Of.type()) {
    case Value::Type::Object: return GetObjectMember(Of.object(), Of, Name);
    case Value::Type::String:
      if (Name == "length") return Value::Number(StringLength(Of.string()));
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
      if (Name == "_global" && runtime_.SwfVersion() >= 6) return Value::Obj(runtime_.Global());
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
      // A clip property takes an object by its valueOf.
      c->SetProperty(index, V.IsObject() ? ToPrimitiveOf(V) : V);
      return true;
    }
    if (c->SetDisplayProperty(Name, V)) return true;
    return SetObjectMember(c->Variables(), Of, Name, V);
  }
  return false;
}

// ---- operators ----

// The right operand is converted first. An object whose valueOf gives an
// object stays one: it joins strings as its toString's text and adds as NaN.
Value Interpreter::Add2(const Value& A, const Value& B) {
  Value b = ToPrimitiveOf(B);
  Value a = ToPrimitiveOf(A);
  if (a.IsString() || b.IsString()) {
    std::string x = ToStringOf(a);
    return Value::String(x + ToStringOf(b));
  }
  double x = ToNumberOf(a);
  return Value::Number(x + ToNumberOf(b));
}

// Loose equality. Unlike the other comparisons it finds NaN equal to NaN.
bool Interpreter::Equals2(const Value& A, const Value& B, int Depth) {
  using T = Value::Type;
  if (A.IsNumber() && B.IsNumber() && std::isnan(A.number()) && std::isnan(B.number())) return true;
  if (A.IsObject() && B.IsObject() && !(A == B) && runtime_.SwfVersion() < 6 && Depth == 0) {
    // SWF 5 compares two objects by what their valueOf gives (boxed numbers
    // by their numbers); objects without a primitive value by identity.
    Value a = ToPrimitiveOf(A, true), b = ToPrimitiveOf(B, true);
    if (a.IsObject() && b.IsObject()) return a == b;
    return Equals2(a, b, Depth + 1);
  }
  if (A.type() == B.type()) return A == B;
  bool aNullish = A.IsUndefined() || A.IsNull(), bNullish = B.IsUndefined() || B.IsNull();
  if (Depth > 2) return false;
  // An object without a primitive (no valueOf or toString) equals undefined and null.
  if (aNullish && B.IsObject()) return Equals2(A, ToPrimitiveOf(B), Depth + 1);
  if (bNullish && A.IsObject()) return Equals2(ToPrimitiveOf(A), B, Depth + 1);
  if (aNullish || bNullish) return aNullish && bNullish;
  if (A.type() == T::Boolean) return Equals2(Value::Number(A.number()), B, Depth + 1);
  if (B.type() == T::Boolean) return Equals2(A, Value::Number(B.number()), Depth + 1);
  if (A.IsNumber() && B.IsString()) return A.number() == ToNumberOf(B);
  if (A.IsString() && B.IsNumber()) return ToNumberOf(A) == B.number();
  if ((A.IsObject() || A.IsClip()) && (B.IsNumber() || B.IsString())) return Equals2(ToPrimitiveOf(A), B, Depth + 1);
  if ((B.IsObject() || B.IsClip()) && (A.IsNumber() || A.IsString())) return Equals2(A, ToPrimitiveOf(B), Depth + 1);
  return false;
}

// The left operand is converted first; one that stays an object (valueOf
// gave an object) makes the comparison false at once.
Value Interpreter::Less2(const Value& A, const Value& B) {
  Value a = ToPrimitiveOf(A, true);
  if (a.IsObject()) return Truth(false);
  Value b = ToPrimitiveOf(B, true);
  if (b.IsObject()) return Truth(false);
  if (a.IsString() && b.IsString()) return Truth(a.string() < b.string());
  double x = ToNumberOf(a), y = ToNumberOf(b);
  if (std::isnan(x) || std::isnan(y)) return Value();
  return Truth(x < y);
}

// ---- frames of a timeline ----

void Interpreter::Goto(Frame& F, const Value& FrameValue, ScriptClip::After Then, int Bias) {
  ScriptClip* clip = F.target;
  // An object names its frame by its toString: a number or a label.
  Value frame = FrameValue.IsObject() ? Value::String(ToStringOf(FrameValue)) : FrameValue;
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
  // An object names its frame by its text (toString).
  Value frame = FrameValue.IsObject() ? Value::String(ToStringOf(FrameValue)) : FrameValue;
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
  // Frame numbers wrap as 32-bit integers do.
  if (frame.IsNumber()) frame = Value::Number(ToInt32(frame.number()));
  std::vector<std::vector<uint8_t>> blocks = clip->FrameActions(frame);
  for (auto it = blocks.rbegin(); it != blocks.rend(); ++it) {
    std::shared_ptr<const ActionBlock> block;
    block = std::make_shared<ActionBlock>(DecodeActions(*it));
    if (!block->damage.empty()) host_.Log("script damaged: " + block->damage);
    if (frames_.size() >= budget_.maxCallDepth)
      throw ScriptAbort{"calls nested deeper than " + std::to_string(budget_.maxCallDepth)};
    Frame f;
    f.end = block->length;
    f.block = std::move(block);
    f.registers.resize(4);
    f.target = f.original = clip;
    f.beganOnLiveClip = !clip->Removed();
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
  // Binary operators convert their left operand first.
  auto nums = [&] {
    Value b = Pop(), a = Pop();
    double x = ToNumberOf(a);
    return std::pair<double, double>(x, ToNumberOf(b));
  };
  // Subtract and Divide convert their right operand first.
  auto numsRightFirst = [&] {
    Value b = Pop(), a = Pop();
    double y = ToNumberOf(b);
    return std::pair<double, double>(ToNumberOf(a), y);
  };
  // The string operators convert their right operand first.
  auto strs = [&] {
    Value b = Pop(), a = Pop();
    std::string y = ToStringOf(b);
    return std::pair<std::string, std::string>(ToStringOf(a), std::move(y));
  };
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
      Retarget(F, c);
      break;
    }
    case C::SetTarget2: {
      Value t = Pop();
      // An object names its target by its toString.
      const std::string path = t.IsClip() || t.IsUndefined() ? std::string() : t.IsObject() ? ToStringOf(t) : t.ToString();
      ScriptClip* c = t.IsClip() ? ClipOf(F, t) : path.empty() ? F.original : runtime_.ResolveTarget(*F.original, path);
      Retarget(F, c);
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
      // Every frame is loaded before a script runs, so the skip never happens
      // but for a frame past the player's limit.
      if (A.code == C::WaitForFrame2) {
        Value frame = Pop();
        // An object frame is read by its toString.
        if (frame.IsObject()) frame = Value::String(ToStringOf(frame));
        if (!WaitedFrameLoaded(frame)) SkipActions(F, static_cast<size_t>(A.number));
      }
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
      auto [a, b] = nums();
      Push(Value::Number(a + b));
      break;
    }
    case C::Subtract: {
      auto [a, b] = numsRightFirst();
      Push(Value::Number(a - b));
      break;
    }
    case C::Multiply: {
      auto [a, b] = nums();
      Push(Value::Number(a * b));
      break;
    }
    case C::Divide: {
      auto [a, b] = numsRightFirst();
      if (b == 0 && runtime_.SwfVersion() < 5 && !F.activation) Push(Value::String("#ERROR#"));
      else Push(Value::Number(a / b));
      break;
    }
    case C::Modulo: {
      auto [a, b] = nums();
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
      double b = num(), a = num();  // right operand first
      Push(Truth(a == b));
      break;
    }
    case C::Less: {
      auto [a, b] = nums();
      Push(Truth(a < b));
      break;
    }
    case C::Equals2: {
      Value b = Pop(), a = Pop();
      Push(Truth(Equals2(a, b)));
      break;
    }
    case C::StrictEquals: {
      Value b = Pop(), a = Pop();
      Push(Truth(a == b));
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
      Value b = Pop(), a = Pop();
      bool x = ToBooleanOf(a), y = ToBooleanOf(b);
      Push(Truth(x && y));
      break;
    }
    case C::Or: {
      Value b = Pop(), a = Pop();
      bool x = ToBooleanOf(a), y = ToBooleanOf(b);
      Push(Truth(x || y));
      break;
    }
    case C::Not: Push(Truth(!ToBooleanOf(Pop()))); break;
    case C::BitAnd:
    case C::BitOr:
    case C::BitXor:
    case C::BitLShift:
    case C::BitRShift:
    case C::BitURShift: {
      auto [x, y] = nums();
      int32_t a = ToInt32(x), b = ToInt32(y);
      uint32_t ua = static_cast<uint32_t>(a), sh = static_cast<uint32_t>(b) & 31;
      double r = 0;
      switch (A.code) {
        case C::BitAnd: r = a & b; break;
        case C::BitOr: r = a | b; break;
        case C::BitXor: r = a ^ b; break;
        case C::BitLShift: r = static_cast<int32_t>(ua << sh); break;
        case C::BitRShift: r = a >> sh; break;
        default:  // read back as signed up to SWF 8, as unsigned after
          r = runtime_.SwfVersion() > 8 ? static_cast<double>(ua >> sh) : static_cast<int32_t>(ua >> sh);
          break;
      }
      Push(Value::Number(r));
      break;
    }
    case C::StringEquals: {
      auto [a, b] = strs();
      Push(Truth(a == b));
      break;
    }
    case C::StringLess: {
      auto [a, b] = strs();
      Push(Truth(a < b));
      break;
    }
    case C::StringGreater: {
      auto [a, b] = strs();
      Push(Truth(a > b));
      break;
    }
    case C::StringAdd: {
      auto [a, b] = strs();
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
      Push(Value::Number(ToInt32(v)));  // wraps to 32 bits: int(0xffffffff) is -1
      break;
    }
    case C::ToNumber: Push(Value::Number(num())); break;
    case C::ToString: Push(Value::String(str())); break;
    case C::TypeOf: {
      Value v = Pop();
      ScriptClip* c = v.IsClip() ? ClipOf(F, v) : nullptr;
      Push(Value::String(c && (c->IsTextField() || c->IsButton() || c->IsVideo()) ? "object" : v.TypeOf()));
      break;
    }
    case C::Jump: F.pc = A.target; break;
    case C::If:
      if (ToBooleanOf(Pop())) F.pc = A.target;
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
      DefineLocal(F, name, v);
      break;
    }
    case C::DefineLocal2: {
      DeclareLocal(F, str());
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
    case C::InitArray:
    case C::InitObject: {
      // A count that is no 32-bit number of entries makes nothing: undefined,
      // with the entries left on the stack.
      double n = num();
      if (std::isnan(n) || n < 0 || n > 2147483647.0) {
        Push(Value());
        break;
      }
      size_t count = static_cast<size_t>(n);
      if (A.code == C::InitArray) {
        std::vector<Value> elements;
        for (size_t i = 0; i < count && stack_.size() > F.stackBase; ++i) elements.push_back(Pop());
        Push(Value::Obj(runtime_.NewArray(elements)));
        break;
      }
      Object* o = runtime_.NewObject();
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
      F.haltIfRemoved = true;
      Construct(GetVariable(F, name), std::move(args));
      break;
    }
    case C::NewMethod: {
      Value name = Pop();
      Value of = Pop();
      std::vector<Value> args = PopArgs();
      F.haltIfRemoved = !of.IsUndefined() && !of.IsNull();
      Value ctor = name.IsUndefined() || name.ToString().empty() ? of : GetMember(F, of, name.ToString());
      Construct(ctor, std::move(args));
      break;
    }
    case C::CallFunction: {
      std::string name = str();
      std::vector<Value> args = PopArgs();
      F.haltIfRemoved = true;
      if (name == "super" && F.superAllowed) CallMethod(F, MakeSuper(F), Value(), std::move(args));
      else {
        Value thisValue;
        Value fn = CalleeOf(F, name, thisValue);
        Invoke(fn, thisValue, std::move(args), Mode::Push);
      }
      break;
    }
    case C::CallMethod: {
      Value name = Pop();
      Value of = Pop();
      std::vector<Value> args = PopArgs();
      F.haltIfRemoved = !of.IsUndefined() && !of.IsNull();
      CallMethod(F, of, name, std::move(args));
      break;
    }
    case C::Return: {
      Value v = Pop();
      if (!ReturnThroughFinally(F, v)) Finish(std::move(v));
      break;
    }
    case C::DefineFunction:
    case C::DefineFunction2: DefineFunction(F, A, static_cast<size_t>(&A - F.block->actions.data())); break;
    case C::With: {
      Value v = Pop();
      Object* o = v.IsObject() ? v.object() : nullptr;
      if (ScriptClip* c = ClipOf(F, v)) o = c->Variables();
      if (o) {
        F.scope.push_back(o);
        F.withs.emplace_back(F.pc, A.target2);
        F.withValues.push_back(v);
      }
      break;
    }
    case C::GetProperty: {
      int index = ClampInt(num());
      ScriptClip* c = PropertyTarget(F, Pop());
      Push(c ? GetClipProperty(*c, index) : Value());
      break;
    }
    case C::SetProperty: {
      Value v = Pop();
      int index = ClampInt(num());
      ScriptClip* c = PropertyTarget(F, Pop());
      if (index < 0 || index > kLastProperty) break;
      v = PropertyValue(index, v);
      if (c) c->SetProperty(index, v);
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
      // The target, whether to lock the centre and whether to constrain
      // (only a value of exactly 1 does), then the rectangle bottom up; each
      // object is read by its toString or valueOf, in that order.
      if (Value target = Pop(); target.IsObject()) ToStringOf(target);
      num();
      if (num() == 1)
        for (int i = 0; i < 4; ++i) num();
      break;
    }
    case C::Trace: {
      // undefined prints as itself in every version.
      Value v = Pop();
      host_.Trace(v.IsUndefined() ? "undefined" : ToStringOf(v));
      break;
    }
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
      ScriptClip* clip = ClipOf(F, v);
      if (clip) o = clip->Variables();
      Push(Value::Null());
      if (o) {
        // A clip's children (the loop takes them last), then own members in
        // the order they were made, then those of each prototype not yet
        // named; the loop takes them from the top.
        std::vector<std::string> names;
        std::set<std::string> seen;
        if (clip)
          for (std::string& child : clip->ChildNames()) {
            if (child.empty() || o->OwnProperty(child)) continue;
            if (seen.insert(o->caseless ? Lowercase(child) : child).second) names.push_back(std::move(child));
          }
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
      Push(Value::Bool(InstanceOf(F, v, ctor)));
      break;
    }
    case C::CastOp: {
      // The object when it is an instance of the class, null otherwise.
      Value v = Pop(), ctor = Pop();
      Push(InstanceOf(F, v, ctor) ? v : Value::Null());
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
      Value ctor = Pop();
      std::vector<Value> interfaces = PopArgs();
      Value proto = ctor.IsObject() ? GetMember(F, ctor, "prototype") : Value();
      if (!proto.IsObject()) break;
      for (const Value& i : interfaces) {
        Value ip = i.IsObject() ? GetMember(F, i, "prototype") : Value();
        if (ip.IsObject() && proto.object()->interfaces.size() < 256) proto.object()->interfaces.push_back(ip.object());
      }
      break;
    }
    case C::Throw: throw ScriptThrow{Pop()};
    case C::Try:
      F.tries.push_back({&A, F.pc, stack_.size(), Frame::TryRegion::State::Try, false, false, Value()});
      break;
    case C::EndDrag:
    case C::ToggleQuality:
    case C::StopSounds:
    case C::End:
    default: break;  // nothing to do, or not supported
  }
}

}  // namespace swf
