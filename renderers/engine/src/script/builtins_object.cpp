// The Object and Function classes, ASSetPropFlags and the registry of
// classes for library symbols (Object.registerClass).

#include <algorithm>
#include <cmath>

#include "renderers/engine/src/script/internal.h"

namespace swf {
namespace {

// Arguments beyond this many are dropped by apply: the operand stack could not hold more.
constexpr double kMaxApplyArgs = 65535;

// The object whose own members `this` means: an object, or a clip's variables.
Object* ThisMembers(NativeCall& C) {
  if (Object* o = C.ThisObject()) return o;
  if (C.thisValue.IsClip())
    if (ScriptClip* clip = C.runtime.ResolveTarget(C.clip, C.thisValue.string())) return clip->Variables();
  return nullptr;
}

Object* MembersOf(NativeCall& C, const Value& V) {
  if (V.IsObject()) return V.object();
  if (V.IsClip())
    if (ScriptClip* clip = C.runtime.ResolveTarget(C.clip, V.string())) return clip->Variables();
  return nullptr;
}

// The member names ASSetPropFlags names: null for every own member, a
// comma-separated string, or an array of names.
std::vector<std::string> NamesToFlag(NativeCall& C, Object* Target, const Value& Names) {
  std::vector<std::string> out;
  if (Names.IsNull()) return Target->Keys(true);
  if (Names.IsObject()) {
    const Object& list = *Names.object();
    double n = std::min(ArrayLength(list), 1e6);
    for (double i = 0; i < n; ++i) {
      ChargeWork(1);
      out.push_back(C.ToString(list.Get(NumberToString(i))));
    }
    return out;
  }
  std::string s = C.ToString(Names);
  size_t pos = 0;
  while (pos <= s.size()) {
    ChargeWork(1);
    size_t comma = s.find(',', pos);
    if (comma == std::string::npos) comma = s.size();
    out.push_back(s.substr(pos, comma - pos));
    pos = comma + 1;
  }
  return out;
}

uint16_t FlagBits(NativeCall& C, const Value& V) {
  double n = C.ToNumber(V);
  if (!std::isfinite(n)) return 0;
  return static_cast<uint16_t>(static_cast<int64_t>(std::fmod(n, 65536.0)) & (kDontEnum | kDontDelete | kReadOnly | kVersionFlags));
}

Value AsSetPropFlags(NativeCall& C) {
  Object* target = MembersOf(C, C.Arg(0));
  if (!target || C.args.size() < 2) return Value();
  uint16_t set = FlagBits(C, C.Arg(2));
  uint16_t clear = C.args.size() > 3 ? FlagBits(C, C.Arg(3)) : 0;
  for (const std::string& name : NamesToFlag(C, target, C.Arg(1))) target->SetFlags(name, set, clear);
  return Value();
}

void InstallObjectMethods(ScriptRuntime& R, Object* P) {
  R.Method(P, "hasOwnProperty", [](NativeCall& C) {
    Object* o = ThisMembers(C);
    if (!o || C.args.empty()) return Value::Bool(false);
    std::string name = C.ToString(C.args[0]);
    return Value::Bool(!name.empty() && o->Has(name));
  });
  R.Method(P, "propertyIsEnumerable", [](NativeCall& C) {
    Object* o = ThisMembers(C);
    if (!o || C.args.empty()) return Value::Bool(false);
    const Property* p = o->OwnProperty(C.ToString(C.args[0]));
    return Value::Bool(p && !(p->flags & kDontEnum));
  });
  R.Method(P, "isPrototypeOf", [](NativeCall& C) {
    Object* self = ThisMembers(C);
    Object* o = MembersOf(C, C.Arg(0));
    if (!self || !o) return Value::Bool(false);
    int depth = 0;
    for (Object* p = o->prototype; p && depth < 256; p = p->prototype, ++depth)
      if (p == self) return Value::Bool(true);
    return Value::Bool(false);
  });
  R.Method(P, "toString", [](NativeCall& C) {
    Object* o = C.ThisObject();
    // Arrays answer with their elements until the Array class has a toString of its own.
    if (o && o->isArray) return Value::String(C.thisValue.ToString());
    return Value::String(o && o->IsFunction() ? "[type Function]" : "[object Object]");
  });
  R.Method(P, "toLocaleString", [](NativeCall& C) {
    return Value::String(C.ToString(C.Call(C.Get(C.thisValue, "toString"), C.thisValue, {})));
  });
  R.Method(P, "valueOf", [](NativeCall& C) { return C.thisValue; });
  R.Method(P, "addProperty", [](NativeCall& C) {
    Object* o = ThisMembers(C);
    if (!o || C.args.size() < 2) return Value::Bool(false);
    std::string name = C.ToString(C.args[0]);
    Value getter = C.Arg(1), setter = C.Arg(2);
    if (name.empty() || !getter.IsFunction()) return Value::Bool(false);
    // A null setter makes the member read-only; anything else but a function is refused.
    if (!setter.IsFunction() && !setter.IsNull()) return Value::Bool(false);
    Value old = o->OwnProperty(name) ? o->OwnProperty(name)->value : Value();
    o->DefineAccessor(name, getter.object(), setter.IsFunction() ? setter.object() : nullptr);
    // A watcher of the name hears of the new accessor; its answer is kept
    // as the accessor's own value (what the watcher sees as old next time).
    if (o->watchers) {
      auto w = o->watchers->find(name);
      if (w != o->watchers->end()) {
        auto [callback, data] = w->second;
        Value kept = C.Call(Value::Obj(callback), C.thisValue, {Value::String(name), old, Value(), data});
        if (Property* p = o->OwnProperty(name); p && (p->getter || p->setter)) p->value = kept;
      }
    }
    return Value::Bool(true);
  });
  R.Method(P, "watch", [](NativeCall& C) {
    Object* o = ThisMembers(C);
    if (!o || C.args.size() < 2 || !C.args[1].IsFunction()) return Value::Bool(false);
    if (!o->watchers) o->watchers = std::make_unique<std::map<std::string, std::pair<Object*, Value>>>();
    (*o->watchers)[C.ToString(C.args[0])] = {C.args[1].object(), C.Arg(2)};
    return Value::Bool(true);
  });
  R.Method(P, "unwatch", [](NativeCall& C) {
    Object* o = ThisMembers(C);
    if (!o || !o->watchers || C.args.empty()) return Value::Bool(false);
    std::string name = C.ToString(C.args[0]);
    // The watcher of an accessor stays: unwatch refuses it.
    if (const Property* p = o->OwnProperty(name); p && (p->getter || p->setter)) return Value::Bool(false);
    return Value::Bool(o->watchers->erase(name) > 0);
  });
}

}  // namespace

uint16_t HiddenFlags(int SwfVersion) {
  uint16_t hidden = 0;
  if (SwfVersion == 5) hidden |= 128;
  if (SwfVersion == 6) hidden |= 256;
  if (SwfVersion <= 6) hidden |= 1024;
  if (SwfVersion <= 7) hidden |= 4096;
  if (SwfVersion <= 8) hidden |= 8192;
  if (SwfVersion <= 9) hidden |= 16384;
  return hidden;
}

Object* RegisteredClasses(ScriptRuntime& R, int SwfVersion) {
  if (SwfVersion < 0) SwfVersion = R.SwfVersion();
  // Kept among the built-in prototypes, which pins it for the runtime's life.
  const std::string slot = " registered classes " + std::to_string(SwfVersion);
  Object* table = R.BuiltinPrototype(slot);
  if (!table) {
    table = R.NewObject();
    table->prototype = nullptr;
    table->caseless = SwfVersion < 7;
    R.SetBuiltinPrototype(slot, table);
  }
  return table;
}

Value RegisteredClass(ScriptRuntime& R, const std::string& Symbol, int SwfVersion) {
  Value v = RegisteredClasses(R, SwfVersion)->Get(Symbol);
  return v.IsFunction() ? v : Value();
}

void InstallObject(ScriptRuntime& R) {
  Object* proto = R.BuiltinPrototype("Object");
  Object* ctor = InstallClass(R, "Object", proto, [](NativeCall& C) {
    Value v = C.Arg(0);
    if (v.IsObject() || v.IsClip()) return v;
    if (v.IsNumber() || v.IsString() || v.type() == Value::Type::Boolean) return WrapPrimitive(C.runtime, v);
    if (IsConstructing(C)) return C.thisValue;
    return Value::Obj(C.runtime.NewObject());
  });
  InstallObjectMethods(R, proto);
  R.Method(ctor, "registerClass", [](NativeCall& C) {
    if (C.args.size() < 2) return Value::Bool(false);
    std::string name = C.ToString(C.args[0]);
    Object* table = RegisteredClasses(C.runtime, C.clip.SwfVersion());
    if (C.args[1].IsFunction()) table->Set(name, C.args[1]);
    else table->Delete(name);
    return Value::Bool(true);
  });
  R.Method(R.Global(), "ASSetPropFlags", AsSetPropFlags);
}

void InstallFunction(ScriptRuntime& R) {
  Object* proto = R.BuiltinPrototype("Function");
  InstallClass(R, "Function", proto, [](NativeCall& C) {
    // Function(x) answers x itself; new Function(x) keeps the new object unless x is one.
    if (!C.args.empty()) return C.args[0];
    return IsConstructing(C) ? C.thisValue : Value::Obj(C.runtime.NewObject());
  });
  R.Method(proto, "call", [](NativeCall& C) {
    std::vector<Value> args;
    if (C.args.size() > 1) args.assign(C.args.begin() + 1, C.args.end());
    return C.Call(C.thisValue, C.Arg(0), std::move(args));
  });
  R.Method(proto, "apply", [](NativeCall& C) {
    std::vector<Value> args;
    if (Object* list = C.Arg(1).IsObject() ? C.args[1].object() : nullptr) {
      double n = std::min(ArrayLength(*list), kMaxApplyArgs);
      ChargeWork(static_cast<uint64_t>(n));
      for (double i = 0; i < n; ++i) args.push_back(C.Get(C.args[1], NumberToString(i)));
    }
    return C.Call(C.thisValue, C.Arg(0), std::move(args));
  });
}

}  // namespace swf
