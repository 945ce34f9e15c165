// flash.geom.Transform and MovieClip's transform property: a clip's
// placement matrix and colour transform as Matrix and ColorTransform
// objects, each read a fresh copy, and the same concatenated up to the root.

#include "renderers/engine/src/script/internal.h"
#include "renderers/engine/src/script/placement.h"

namespace swf {
namespace {

constexpr const char* kMatrixFields[6] = {"a", "b", "c", "d", "tx", "ty"};
constexpr const char* kColorFields[8] = {"redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier",
                                         "redOffset",     "greenOffset",     "blueOffset",     "alphaOffset"};

using Placement = ScriptClip::PlacementMatrix;
using Color = ScriptClip::PlacementColor;

bool IsA(NativeCall& C, const Value& V, const std::string& Class) {
  Object* proto = C.runtime.BuiltinPrototype(Class);
  if (!V.IsObject() || !proto) return false;
  // A chain may loop (a.__proto__ = b, b.__proto__ = a): as far as member lookups go.
  int depth = 0;
  for (const Object* o = V.object()->prototype; o && depth < 256; o = o->prototype, ++depth)
    if (o == proto) return true;
  return false;
}

Value Make(NativeCall& C, const std::string& Class, const double* Values, const char* const* Fields, int Count) {
  Object* o = C.runtime.NewObject();
  if (Object* proto = C.runtime.BuiltinPrototype(Class)) o->prototype = proto;
  for (int k = 0; k < Count; ++k) o->Set(Fields[k], Value::Number(Values[k]));
  return Value::Obj(o);
}

Value MatrixValue(NativeCall& C, const Placement& M) {
  const double v[6] = {M.a, M.b, M.c, M.d, M.tx, M.ty};
  return Make(C, "flash.geom.Matrix", v, kMatrixFields, 6);
}

Value ColorValue(NativeCall& C, const Color& T) {
  const double v[8] = {T.mult[0], T.mult[1], T.mult[2], T.mult[3], T.add[0], T.add[1], T.add[2], T.add[3]};
  return Make(C, "flash.geom.ColorTransform", v, kColorFields, 8);
}

// Child first, then Parent.
Placement Then(const Placement& M, const Placement& N) {
  return {M.a * N.a + M.b * N.c,          M.a * N.b + M.b * N.d,          M.c * N.a + M.d * N.c,
          M.c * N.b + M.d * N.d,          M.tx * N.a + M.ty * N.c + N.tx, M.tx * N.b + M.ty * N.d + N.ty};
}
Color Then(const Color& M, const Color& N) {
  Color out;
  for (int k = 0; k < 4; ++k) {
    out.mult[k] = M.mult[k] * N.mult[k];
    out.add[k] = M.add[k] * N.mult[k] + N.add[k];
  }
  return out;
}

// Clips above a clip that concatenation goes through at most.
constexpr int kMaxAncestors = 1024;

void Accessor(ScriptRuntime& R, Object* Proto, const std::string& Name, NativeFunction Get,
              NativeFunction Set = [](NativeCall&) { return Value(); }) {
  Proto->DefineAccessor(Name, R.NewNative(std::move(Get)), R.NewNative(std::move(Set)), kDontEnum);
}

Value NewTransform(NativeCall& C, ScriptClip& Clip) {
  Object* t = C.runtime.NewObject();
  if (Object* proto = C.runtime.BuiltinPrototype("flash.geom.Transform")) t->prototype = proto;
  LinkClip(*t, Clip);
  return Value::Obj(t);
}

}  // namespace

void InstallTransform(ScriptRuntime& R) {
  Object* proto = R.NewObject();
  Object* ctor = R.NewNative([](NativeCall& C) {
    Object* self = C.ThisObject();
    if (ScriptClip* clip = ClipNamed(C, C.Arg(0)); self && clip) LinkClip(*self, *clip);
    return Value();
  });
  ctor->Define("prototype", Value::Obj(proto), kDontEnum | kDontDelete);
  proto->Define("constructor", Value::Obj(ctor), kDontEnum);
  R.SetBuiltinPrototype("flash.geom.Transform", proto);
  Package(R, "flash.geom")->Set("Transform", Value::Obj(ctor));

  Accessor(
      R, proto, "matrix",
      [](NativeCall& C) {
        ScriptClip* clip = LinkedClip(C, C.thisValue);
        return clip ? MatrixValue(C, clip->GetMatrix()) : Value();
      },
      [](NativeCall& C) {
        ScriptClip* clip = LinkedClip(C, C.thisValue);
        const Value m = C.Arg(0);
        if (!clip || !IsA(C, m, "flash.geom.Matrix")) return Value();
        double v[6];
        for (int k = 0; k < 6; ++k) v[k] = C.ToNumber(C.Get(m, kMatrixFields[k]));
        clip->SetMatrix({v[0], v[1], v[2], v[3], v[4], v[5]});
        return Value();
      });
  Accessor(
      R, proto, "colorTransform",
      [](NativeCall& C) {
        ScriptClip* clip = LinkedClip(C, C.thisValue);
        return clip ? ColorValue(C, clip->GetColorTransform()) : Value();
      },
      [](NativeCall& C) {
        ScriptClip* clip = LinkedClip(C, C.thisValue);
        const Value t = C.Arg(0);
        if (!clip || !IsA(C, t, "flash.geom.ColorTransform")) return Value();
        Color c;
        for (int k = 0; k < 4; ++k) {
          c.mult[k] = C.ToNumber(C.Get(t, kColorFields[k]));
          c.add[k] = C.ToNumber(C.Get(t, kColorFields[k + 4]));
        }
        clip->SetColorTransform(c);
        return Value();
      });
  Accessor(R, proto, "concatenatedMatrix", [](NativeCall& C) {
    ScriptClip* clip = LinkedClip(C, C.thisValue);
    if (!clip) return Value();
    Placement m = clip->GetMatrix();
    int steps = 0;
    for (ScriptClip* p = clip->Parent(); p && steps < kMaxAncestors; p = p->Parent(), ++steps) m = Then(m, p->GetMatrix());
    return MatrixValue(C, m);
  });
  Accessor(R, proto, "concatenatedColorTransform", [](NativeCall& C) {
    ScriptClip* clip = LinkedClip(C, C.thisValue);
    if (!clip) return Value();
    Color c = clip->GetColorTransform();
    int steps = 0;
    for (ScriptClip* p = clip->Parent(); p && steps < kMaxAncestors; p = p->Parent(), ++steps)
      c = Then(c, p->GetColorTransform());
    return ColorValue(C, c);
  });

  // MovieClip.transform: a new Transform of the clip; assigning one copies
  // its clip's matrix and colour transform.
  if (Object* clipProto = R.BuiltinPrototype("MovieClip")) {
    Accessor(
        R, clipProto, "transform",
        [](NativeCall& C) {
          ScriptClip* clip = ClipNamed(C, C.thisValue);
          return clip ? NewTransform(C, *clip) : Value();
        },
        [](NativeCall& C) {
          ScriptClip* clip = ClipNamed(C, C.thisValue);
          ScriptClip* from = LinkedClip(C, C.Arg(0));
          if (!clip || !from || !IsA(C, C.Arg(0), "flash.geom.Transform")) return Value();
          clip->SetMatrix(from->GetMatrix());
          clip->SetColorTransform(from->GetColorTransform());
          return Value();
        });
  }
}

}  // namespace swf
