// The Boolean and Number classes, and the wrapper objects of primitives that
// String shares: a wrapper keeps its primitive in its native data, and
// valueOf and toString give it back.

#include <cmath>
#include <cstdint>
#include <limits>

#include "renderers/engine/src/script/internal.h"

namespace swf {
namespace {

class PrimitiveData : public NativeData {
 public:
  explicit PrimitiveData(Value V) : value(std::move(V)) {}
  Value value;
};

// The primitive of Type that `this` is or wraps; nullopt for anything else.
std::optional<Value> ThisPrimitive(const NativeCall& C, Value::Type Type) {
  if (C.thisValue.type() == Type) return C.thisValue;
  auto wrapped = WrappedPrimitive(C.ThisObject());
  if (wrapped && wrapped->type() == Type) return wrapped;
  return std::nullopt;
}

// Digits of a number in a radix from 2 to 36, as (255).toString(16) gives
// "ff". The player works on the number as a 32-bit integer (NaN and the
// infinities become -2^31) and writes a negative remainder as the
// character that many places before '0', which shows for -2^31.
std::string IntegerInRadix(double N, int Radix) {
  static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  int64_t v = INT32_MIN;
  if (std::isfinite(N)) {
    double m = std::fmod(std::trunc(N), 4294967296.0);
    if (m < 0) m += 4294967296.0;
    v = static_cast<int32_t>(static_cast<uint32_t>(m));
  }
  bool negative = v < 0;
  if (negative && v != INT32_MIN) v = -v;  // -(-2^31) stays -2^31 in 32 bits
  std::string out;
  do {
    int64_t d = v % Radix;
    out.insert(out.begin(), d >= 0 ? digits[d] : static_cast<char>('0' + d));
    v /= Radix;
  } while (v != 0);
  return negative ? "-" + out : out;
}

void InstallBoolean(ScriptRuntime& R) {
  Object* proto = R.NewObject();
  InstallClass(R, "Boolean", proto, [](NativeCall& C) {
    // Before SWF 7 a string counts by the number it reads as ("0" and
    // "abc" are false), as conditions take it.
    bool b = C.Arg(0).ToBoolean();
    if (C.Arg(0).IsString() && C.runtime.SwfVersion() < 7) {
      double n = C.ToNumber(C.Arg(0));
      b = n != 0 && !std::isnan(n);
    }
    if (!IsConstructing(C)) return C.args.empty() ? Value() : Value::Bool(b);
    MakeWrapper(C.ThisObject(), Value::Bool(b));
    return C.thisValue;
  });
  R.Method(proto, "valueOf", [](NativeCall& C) {
    auto v = ThisPrimitive(C, Value::Type::Boolean);
    return v ? *v : Value();
  });
  R.Method(proto, "toString", [](NativeCall& C) {
    auto v = ThisPrimitive(C, Value::Type::Boolean);
    return v ? Value::String(v->ToString()) : Value();
  });
}

void InstallNumber(ScriptRuntime& R) {
  Object* proto = R.NewObject();
  Object* ctor = InstallClass(R, "Number", proto, [](NativeCall& C) {
    double n = C.args.empty() ? 0 : C.ToNumber(C.args[0]);
    if (!IsConstructing(C)) return Value::Number(n);
    MakeWrapper(C.ThisObject(), Value::Number(n));
    return C.thisValue;
  });
  constexpr uint8_t kConstant = kDontEnum | kDontDelete | kReadOnly;
  ctor->Define("MAX_VALUE", Value::Number(std::numeric_limits<double>::max()), kConstant);
  ctor->Define("MIN_VALUE", Value::Number(std::numeric_limits<double>::denorm_min()), kConstant);
  ctor->Define("NaN", Value::Number(std::numeric_limits<double>::quiet_NaN()), kConstant);
  ctor->Define("NEGATIVE_INFINITY", Value::Number(-std::numeric_limits<double>::infinity()), kConstant);
  ctor->Define("POSITIVE_INFINITY", Value::Number(std::numeric_limits<double>::infinity()), kConstant);
  R.Method(proto, "valueOf", [](NativeCall& C) {
    auto v = ThisPrimitive(C, Value::Type::Number);
    return v ? *v : Value();
  });
  R.Method(proto, "toString", [](NativeCall& C) {
    auto v = ThisPrimitive(C, Value::Type::Number);
    if (!v) return Value();
    double radix = C.args.empty() || C.args[0].IsUndefined() ? 10 : C.ToNumber(C.args[0]);
    double n = v->number();
    if (std::isnan(radix) || radix < 2 || radix >= 37 || static_cast<int>(radix) == 10)
      return Value::String(NumberToString(n));
    return Value::String(IntegerInRadix(n, static_cast<int>(radix)));
  });
}

}  // namespace

Value WrapPrimitive(ScriptRuntime& R, const Value& V) {
  const char* cls = V.IsNumber() ? "Number" : V.IsString() ? "String" : V.type() == Value::Type::Boolean ? "Boolean" : nullptr;
  if (!cls) return V;
  Object* o = R.NewObject();
  if (Object* proto = R.BuiltinPrototype(cls)) o->prototype = proto;
  if (Value ctor = R.Global()->Get(cls); ctor.IsObject()) o->Define("__constructor__", ctor, kDontEnum);
  MakeWrapper(o, V);
  return Value::Obj(o);
}

void MakeWrapper(Object* O, const Value& V) {
  O->data = std::make_unique<PrimitiveData>(V);
  if (V.IsString()) {
    O->Define("length", Value::Number(StringLength(V.string())), kDontEnum | kDontDelete);
  }
}

std::optional<Value> WrappedPrimitive(const Object* O) {
  if (!O) return std::nullopt;
  if (auto* d = dynamic_cast<const PrimitiveData*>(O->data.get())) return d->value;
  return std::nullopt;
}

bool IsConstructing(const NativeCall& C) {
  Object* o = C.ThisObject();
  return o && !o->data && !o->IsFunction() && o->OwnProperty("__constructor__");
}

void InstallPrimitiveClasses(ScriptRuntime& R) {
  InstallBoolean(R);
  InstallNumber(R);
}

}  // namespace swf
