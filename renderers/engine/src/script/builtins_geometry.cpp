// flash.geom: Point, Rectangle, Matrix and ColorTransform. Their fields are
// plain members a script may change or fill with anything; methods read
// them back as numbers and build new objects of the same classes.

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "renderers/engine/src/script/internal.h"

namespace swf {
namespace {

using Members = std::initializer_list<std::pair<const char*, Value>>;

Value Num(double N) { return Value::Number(N); }

// The integer part of N, 0 for what has none.
int64_t Whole(double N) { return std::isfinite(N) && std::fabs(N) < 9e18 ? static_cast<int64_t>(N) : 0; }

double Field(NativeCall& C, const Value& Of, const char* Name) { return C.ToNumber(C.Get(Of, Name)); }
double Field(NativeCall& C, const char* Name) { return Field(C, C.thisValue, Name); }

// A new instance of the flash.geom class Class with these members.
Value Make(NativeCall& C, const char* Class, Members M) {
  Object* o = C.runtime.NewObject();
  if (Object* proto = C.runtime.BuiltinPrototype(std::string("flash.geom.") + Class)) o->prototype = proto;
  for (const auto& [name, value] : M) o->Set(name, value);
  return Value::Obj(o);
}

void SetFields(NativeCall& C, Members M) {
  for (const auto& [name, value] : M) C.Set(C.thisValue, name, value);
}

// "(x=1, y=2)" from the members as they convert to strings.
Value Describe(NativeCall& C, std::initializer_list<std::pair<const char*, const char*>> Fields) {
  std::string out = "(";
  for (const auto& [label, member] : Fields) {
    if (out.size() > 1) out += ", ";
    out += std::string(label) + "=" + C.ToString(C.Get(C.thisValue, member));
  }
  return Value::String(out + ")");
}

bool IsInstance(NativeCall& C, const Value& V, const char* Class) {
  Object* proto = C.runtime.BuiltinPrototype(std::string("flash.geom.") + Class);
  if (!V.IsObject() || !proto) return false;
  // A chain may loop (a.__proto__ = b, b.__proto__ = a): as far as member lookups go.
  int depth = 0;
  for (const Object* o = V.object()->prototype; o && depth < 256; o = o->prototype, ++depth)
    if (o == proto) return true;
  return false;
}

// A class in Package: its constructor and prototype, the prototype also
// kept as the runtime's "flash.geom.<Name>".
Object* GeomClass(ScriptRuntime& R, Object* Package, const std::string& Name, NativeFunction Constructor) {
  Object* proto = R.NewObject();
  Object* ctor = R.NewNative(std::move(Constructor));
  ctor->Define("prototype", Value::Obj(proto), kDontEnum | kDontDelete);
  proto->Define("constructor", Value::Obj(ctor), kDontEnum);
  R.SetBuiltinPrototype("flash.geom." + Name, proto);
  Package->Set(Name, Value::Obj(ctor));
  return proto;
}

void Property(ScriptRuntime& R, Object* Proto, const std::string& Name, NativeFunction Get, NativeFunction Set) {
  Proto->DefineAccessor(Name, R.NewNative(std::move(Get)), R.NewNative(std::move(Set)), kDontEnum);
}

// ---- Point ----

Value MakePoint(NativeCall& C, double X, double Y) { return Make(C, "Point", {{"x", Num(X)}, {"y", Num(Y)}}); }

void InstallPoint(ScriptRuntime& R, Object* Package) {
  Object* proto = GeomClass(R, Package, "Point", [](NativeCall& C) {
    if (C.args.empty()) SetFields(C, {{"x", Num(0)}, {"y", Num(0)}});
    else SetFields(C, {{"x", C.Arg(0)}, {"y", C.Arg(1)}});
    return Value();
  });
  Object* ctor = proto->Get("constructor").object();
  R.Method(proto, "toString", [](NativeCall& C) { return Describe(C, {{"x", "x"}, {"y", "y"}}); });
  R.Method(proto, "add", [](NativeCall& C) {
    return MakePoint(C, Field(C, "x") + Field(C, C.Arg(0), "x"), Field(C, "y") + Field(C, C.Arg(0), "y"));
  });
  R.Method(proto, "subtract", [](NativeCall& C) {
    return MakePoint(C, Field(C, "x") - Field(C, C.Arg(0), "x"), Field(C, "y") - Field(C, C.Arg(0), "y"));
  });
  R.Method(proto, "equals", [](NativeCall& C) {
    Value o = C.Arg(0);
    return Value::Bool(IsInstance(C, o, "Point") && Field(C, "x") == Field(C, o, "x") &&
                       Field(C, "y") == Field(C, o, "y"));
  });
  R.Method(proto, "clone", [](NativeCall& C) {
    return Make(C, "Point", {{"x", C.Get(C.thisValue, "x")}, {"y", C.Get(C.thisValue, "y")}});
  });
  R.Method(proto, "offset", [](NativeCall& C) {
    SetFields(C, {{"x", Num(Field(C, "x") + C.ToNumber(C.Arg(0)))}, {"y", Num(Field(C, "y") + C.ToNumber(C.Arg(1)))}});
    return Value();
  });
  R.Method(proto, "normalize", [](NativeCall& C) {
    const double x = Field(C, "x"), y = Field(C, "y"), length = std::sqrt(x * x + y * y);
    if (length > 0) {
      const double f = C.ToNumber(C.Arg(0)) / length;
      SetFields(C, {{"x", Num(x * f)}, {"y", Num(y * f)}});
    }
    return Value();
  });
  Property(
      R, proto, "length",
      [](NativeCall& C) {
        const double x = Field(C, "x"), y = Field(C, "y");
        return Num(std::sqrt(x * x + y * y));
      },
      [](NativeCall&) { return Value(); });
  R.Method(ctor, "distance", [](NativeCall& C) {
    if (!IsInstance(C, C.Arg(0), "Point")) return Value();
    const double dx = Field(C, C.Arg(0), "x") - Field(C, C.Arg(1), "x");
    const double dy = Field(C, C.Arg(0), "y") - Field(C, C.Arg(1), "y");
    return Num(std::sqrt(dx * dx + dy * dy));
  });
  R.Method(ctor, "interpolate", [](NativeCall& C) {
    const Value a = C.Arg(0), b = C.Arg(1);
    const double f = C.ToNumber(C.Arg(2));
    const double bx = Field(C, b, "x"), by = Field(C, b, "y");
    return MakePoint(C, bx + f * (Field(C, a, "x") - bx), by + f * (Field(C, a, "y") - by));
  });
  R.Method(ctor, "polar", [](NativeCall& C) {
    const double length = C.ToNumber(C.Arg(0)), angle = C.ToNumber(C.Arg(1));
    return MakePoint(C, length * std::cos(angle), length * std::sin(angle));
  });
}

// ---- Rectangle ----

struct Box {
  double x, y, w, h;
};
Box BoxOf(NativeCall& C, const Value& V) {
  return {Field(C, V, "x"), Field(C, V, "y"), Field(C, V, "width"), Field(C, V, "height")};
}
Value MakeRect(NativeCall& C, Box B) {
  return Make(C, "Rectangle", {{"x", Num(B.x)}, {"y", Num(B.y)}, {"width", Num(B.w)}, {"height", Num(B.h)}});
}
void SetBox(NativeCall& C, Box B) {
  SetFields(C, {{"x", Num(B.x)}, {"y", Num(B.y)}, {"width", Num(B.w)}, {"height", Num(B.h)}});
}
bool Empty(Box B) { return !(B.w > 0 && B.h > 0); }

void InstallRectangle(ScriptRuntime& R, Object* Package) {
  Object* proto = GeomClass(R, Package, "Rectangle", [](NativeCall& C) {
    if (C.args.empty()) SetFields(C, {{"x", Num(0)}, {"y", Num(0)}, {"width", Num(0)}, {"height", Num(0)}});
    else SetFields(C, {{"x", C.Arg(0)}, {"y", C.Arg(1)}, {"width", C.Arg(2)}, {"height", C.Arg(3)}});
    return Value();
  });
  R.Method(proto, "toString", [](NativeCall& C) {
    return Describe(C, {{"x", "x"}, {"y", "y"}, {"w", "width"}, {"h", "height"}});
  });
  R.Method(proto, "clone", [](NativeCall& C) {
    return Make(C, "Rectangle",
                {{"x", C.Get(C.thisValue, "x")}, {"y", C.Get(C.thisValue, "y")},
                 {"width", C.Get(C.thisValue, "width")}, {"height", C.Get(C.thisValue, "height")}});
  });
  R.Method(proto, "isEmpty", [](NativeCall& C) { return Value::Bool(Empty(BoxOf(C, C.thisValue))); });
  R.Method(proto, "setEmpty", [](NativeCall& C) {
    SetBox(C, {0, 0, 0, 0});
    return Value();
  });
  R.Method(proto, "contains", [](NativeCall& C) {
    Box b = BoxOf(C, C.thisValue);
    const double x = C.ToNumber(C.Arg(0)), y = C.ToNumber(C.Arg(1));
    return Value::Bool(x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h);
  });
  R.Method(proto, "containsPoint", [](NativeCall& C) {
    Box b = BoxOf(C, C.thisValue);
    const double x = Field(C, C.Arg(0), "x"), y = Field(C, C.Arg(0), "y");
    return Value::Bool(x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h);
  });
  R.Method(proto, "containsRectangle", [](NativeCall& C) {
    Box a = BoxOf(C, C.thisValue), b = BoxOf(C, C.Arg(0));
    return Value::Bool(b.x >= a.x && b.y >= a.y && b.x + b.w <= a.x + a.w && b.y + b.h <= a.y + a.h);
  });
  R.Method(proto, "equals", [](NativeCall& C) {
    if (!IsInstance(C, C.Arg(0), "Rectangle")) return Value::Bool(false);
    Box a = BoxOf(C, C.thisValue), b = BoxOf(C, C.Arg(0));
    return Value::Bool(a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h);
  });
  R.Method(proto, "offset", [](NativeCall& C) {
    Box b = BoxOf(C, C.thisValue);
    SetFields(C, {{"x", Num(b.x + C.ToNumber(C.Arg(0)))}, {"y", Num(b.y + C.ToNumber(C.Arg(1)))}});
    return Value();
  });
  R.Method(proto, "offsetPoint", [](NativeCall& C) {
    Box b = BoxOf(C, C.thisValue);
    SetFields(C, {{"x", Num(b.x + Field(C, C.Arg(0), "x"))}, {"y", Num(b.y + Field(C, C.Arg(0), "y"))}});
    return Value();
  });
  R.Method(proto, "inflate", [](NativeCall& C) {
    Box b = BoxOf(C, C.thisValue);
    const double dx = C.ToNumber(C.Arg(0)), dy = C.ToNumber(C.Arg(1));
    SetBox(C, {b.x - dx, b.y - dy, b.w + 2 * dx, b.h + 2 * dy});
    return Value();
  });
  R.Method(proto, "inflatePoint", [](NativeCall& C) {
    Box b = BoxOf(C, C.thisValue);
    const double dx = Field(C, C.Arg(0), "x"), dy = Field(C, C.Arg(0), "y");
    SetBox(C, {b.x - dx, b.y - dy, b.w + 2 * dx, b.h + 2 * dy});
    return Value();
  });
  R.Method(proto, "intersects", [](NativeCall& C) {
    Box a = BoxOf(C, C.thisValue), b = BoxOf(C, C.Arg(0));
    return Value::Bool(std::fmax(a.x, b.x) < std::fmin(a.x + a.w, b.x + b.w) &&
                       std::fmax(a.y, b.y) < std::fmin(a.y + a.h, b.y + b.h));
  });
  R.Method(proto, "intersection", [](NativeCall& C) {
    Box a = BoxOf(C, C.thisValue), b = BoxOf(C, C.Arg(0));
    const double l = std::fmax(a.x, b.x), t = std::fmax(a.y, b.y);
    const double r = std::fmin(a.x + a.w, b.x + b.w), btm = std::fmin(a.y + a.h, b.y + b.h);
    if (!(l < r && t < btm)) return MakeRect(C, {0, 0, 0, 0});
    return MakeRect(C, {l, t, r - l, btm - t});
  });
  R.Method(proto, "union", [](NativeCall& C) {
    Box a = BoxOf(C, C.thisValue), b = BoxOf(C, C.Arg(0));
    if (Empty(a)) return MakeRect(C, b);
    if (Empty(b)) return MakeRect(C, a);
    const double l = std::fmin(a.x, b.x), t = std::fmin(a.y, b.y);
    return MakeRect(C, {l, t, std::fmax(a.x + a.w, b.x + b.w) - l, std::fmax(a.y + a.h, b.y + b.h) - t});
  });
  // Edges and corners, each moving what a drag of it would move.
  Property(
      R, proto, "left", [](NativeCall& C) { return C.Get(C.thisValue, "x"); },
      [](NativeCall& C) {
        const double v = C.ToNumber(C.Arg(0));
        SetFields(C, {{"width", Num(Field(C, "width") + Field(C, "x") - v)}, {"x", Num(v)}});
        return Value();
      });
  Property(
      R, proto, "top", [](NativeCall& C) { return C.Get(C.thisValue, "y"); },
      [](NativeCall& C) {
        const double v = C.ToNumber(C.Arg(0));
        SetFields(C, {{"height", Num(Field(C, "height") + Field(C, "y") - v)}, {"y", Num(v)}});
        return Value();
      });
  Property(
      R, proto, "right", [](NativeCall& C) { return Num(Field(C, "x") + Field(C, "width")); },
      [](NativeCall& C) {
        SetFields(C, {{"width", Num(C.ToNumber(C.Arg(0)) - Field(C, "x"))}});
        return Value();
      });
  Property(
      R, proto, "bottom", [](NativeCall& C) { return Num(Field(C, "y") + Field(C, "height")); },
      [](NativeCall& C) {
        SetFields(C, {{"height", Num(C.ToNumber(C.Arg(0)) - Field(C, "y"))}});
        return Value();
      });
  Property(
      R, proto, "topLeft", [](NativeCall& C) { return MakePoint(C, Field(C, "x"), Field(C, "y")); },
      [](NativeCall& C) {
        const double x = Field(C, C.Arg(0), "x"), y = Field(C, C.Arg(0), "y");
        SetFields(C, {{"width", Num(Field(C, "width") + Field(C, "x") - x)},
                      {"height", Num(Field(C, "height") + Field(C, "y") - y)},
                      {"x", Num(x)},
                      {"y", Num(y)}});
        return Value();
      });
  Property(
      R, proto, "bottomRight",
      [](NativeCall& C) { return MakePoint(C, Field(C, "x") + Field(C, "width"), Field(C, "y") + Field(C, "height")); },
      [](NativeCall& C) {
        SetFields(C, {{"width", Num(Field(C, C.Arg(0), "x") - Field(C, "x"))},
                      {"height", Num(Field(C, C.Arg(0), "y") - Field(C, "y"))}});
        return Value();
      });
  Property(
      R, proto, "size", [](NativeCall& C) { return MakePoint(C, Field(C, "width"), Field(C, "height")); },
      [](NativeCall& C) {
        SetFields(C, {{"width", Num(Field(C, C.Arg(0), "x"))}, {"height", Num(Field(C, C.Arg(0), "y"))}});
        return Value();
      });
}

// ---- Matrix ----

struct Affine {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
};
Affine AffineOf(NativeCall& C, const Value& V) {
  return {Field(C, V, "a"), Field(C, V, "b"), Field(C, V, "c"), Field(C, V, "d"), Field(C, V, "tx"), Field(C, V, "ty")};
}
// First M, then N.
Affine Then(const Affine& M, const Affine& N) {
  return {M.a * N.a + M.b * N.c,         M.a * N.b + M.b * N.d,         M.c * N.a + M.d * N.c,
          M.c * N.b + M.d * N.d,         M.tx * N.a + M.ty * N.c + N.tx, M.tx * N.b + M.ty * N.d + N.ty};
}
void SetAffine(NativeCall& C, const Affine& M) {
  SetFields(C, {{"a", Num(M.a)}, {"b", Num(M.b)}, {"c", Num(M.c)}, {"d", Num(M.d)}, {"tx", Num(M.tx)}, {"ty", Num(M.ty)}});
}
Affine Box(double Sx, double Sy, double Rotation, double Tx, double Ty) {
  const double cs = std::cos(Rotation), sn = std::sin(Rotation);
  return {cs * Sx, sn * Sy, -sn * Sx, cs * Sy, Tx, Ty};
}
double ArgOr(NativeCall& C, size_t I, double Default) { return C.Arg(I).IsUndefined() ? Default : C.ToNumber(C.Arg(I)); }

void InstallMatrix(ScriptRuntime& R, Object* Package) {
  Object* proto = GeomClass(R, Package, "Matrix", [](NativeCall& C) {
    if (C.args.empty()) SetAffine(C, Affine{});
    else
      SetFields(C, {{"a", C.Arg(0)}, {"b", C.Arg(1)}, {"c", C.Arg(2)}, {"d", C.Arg(3)}, {"tx", C.Arg(4)}, {"ty", C.Arg(5)}});
    return Value();
  });
  R.Method(proto, "toString", [](NativeCall& C) {
    return Describe(C, {{"a", "a"}, {"b", "b"}, {"c", "c"}, {"d", "d"}, {"tx", "tx"}, {"ty", "ty"}});
  });
  R.Method(proto, "clone", [](NativeCall& C) {
    Value t = C.thisValue;
    return Make(C, "Matrix",
                {{"a", C.Get(t, "a")}, {"b", C.Get(t, "b")}, {"c", C.Get(t, "c")}, {"d", C.Get(t, "d")},
                 {"tx", C.Get(t, "tx")}, {"ty", C.Get(t, "ty")}});
  });
  R.Method(proto, "identity", [](NativeCall& C) {
    SetAffine(C, Affine{});
    return Value();
  });
  R.Method(proto, "concat", [](NativeCall& C) {
    SetAffine(C, Then(AffineOf(C, C.thisValue), AffineOf(C, C.Arg(0))));
    return Value();
  });
  R.Method(proto, "invert", [](NativeCall& C) {
    Affine m = AffineOf(C, C.thisValue);
    const double det = m.a * m.d - m.b * m.c;
    if (det == 0) {
      SetAffine(C, {0, 0, 0, 0, -m.tx, -m.ty});
      return Value();
    }
    Affine i{m.d / det, -m.b / det, -m.c / det, m.a / det, 0, 0};
    i.tx = -(i.a * m.tx + i.c * m.ty);
    i.ty = -(i.b * m.tx + i.d * m.ty);
    SetAffine(C, i);
    return Value();
  });
  R.Method(proto, "rotate", [](NativeCall& C) {
    const double q = C.ToNumber(C.Arg(0));
    SetAffine(C, Then(AffineOf(C, C.thisValue), {std::cos(q), std::sin(q), -std::sin(q), std::cos(q), 0, 0}));
    return Value();
  });
  R.Method(proto, "scale", [](NativeCall& C) {
    SetAffine(C, Then(AffineOf(C, C.thisValue), {C.ToNumber(C.Arg(0)), 0, 0, C.ToNumber(C.Arg(1)), 0, 0}));
    return Value();
  });
  R.Method(proto, "translate", [](NativeCall& C) {
    SetFields(C, {{"tx", Num(Field(C, "tx") + C.ToNumber(C.Arg(0)))}, {"ty", Num(Field(C, "ty") + C.ToNumber(C.Arg(1)))}});
    return Value();
  });
  R.Method(proto, "createBox", [](NativeCall& C) {
    SetAffine(C, Box(C.ToNumber(C.Arg(0)), C.ToNumber(C.Arg(1)), ArgOr(C, 2, 0), ArgOr(C, 3, 0), ArgOr(C, 4, 0)));
    return Value();
  });
  R.Method(proto, "createGradientBox", [](NativeCall& C) {
    const double w = C.ToNumber(C.Arg(0)), h = C.ToNumber(C.Arg(1));
    SetAffine(C, Box(w / 1638.4, h / 1638.4, ArgOr(C, 2, 0), ArgOr(C, 3, 0) + w / 2, ArgOr(C, 4, 0) + h / 2));
    return Value();
  });
  R.Method(proto, "transformPoint", [](NativeCall& C) {
    Affine m = AffineOf(C, C.thisValue);
    const double x = Field(C, C.Arg(0), "x"), y = Field(C, C.Arg(0), "y");
    return MakePoint(C, m.a * x + m.c * y + m.tx, m.b * x + m.d * y + m.ty);
  });
  R.Method(proto, "deltaTransformPoint", [](NativeCall& C) {
    Affine m = AffineOf(C, C.thisValue);
    const double x = Field(C, C.Arg(0), "x"), y = Field(C, C.Arg(0), "y");
    return MakePoint(C, m.a * x + m.c * y, m.b * x + m.d * y);
  });
}

// ---- ColorTransform ----

constexpr const char* kColorFields[8] = {"redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier",
                                         "redOffset",     "greenOffset",     "blueOffset",     "alphaOffset"};

void InstallColorTransform(ScriptRuntime& R, Object* Package) {
  Object* proto = GeomClass(R, Package, "ColorTransform", [](NativeCall& C) {
    for (size_t i = 0; i < 8; ++i) C.Set(C.thisValue, kColorFields[i], C.args.empty() ? Num(i < 4 ? 1 : 0) : C.Arg(i));
    return Value();
  });
  R.Method(proto, "toString", [](NativeCall& C) {
    std::string out = "(";
    for (const char* f : kColorFields)
      out += std::string(out.size() > 1 ? ", " : "") + f + "=" + C.ToString(C.Get(C.thisValue, f));
    return Value::String(out + ")");
  });
  R.Method(proto, "concat", [](NativeCall& C) {
    // The other transform first, then this one.
    double m[8], o[8];
    for (size_t i = 0; i < 8; ++i) {
      m[i] = Field(C, kColorFields[i]);
      o[i] = Field(C, C.Arg(0), kColorFields[i]);
    }
    for (size_t i = 0; i < 4; ++i) {
      C.Set(C.thisValue, kColorFields[i + 4], Num(m[i + 4] + m[i] * o[i + 4]));
      C.Set(C.thisValue, kColorFields[i], Num(m[i] * o[i]));
    }
    return Value();
  });
  Property(
      R, proto, "rgb",
      [](NativeCall& C) {
        auto byte = [&](const char* f) { return static_cast<uint32_t>(Whole(Field(C, f)) & 0xFF); };
        return Num(static_cast<double>(byte("redOffset") << 16 | byte("greenOffset") << 8 | byte("blueOffset")));
      },
      [](NativeCall& C) {
        const double n = C.ToNumber(C.Arg(0));
        const auto rgb = static_cast<uint32_t>(Whole(n) & 0xFFFFFF);
        SetFields(C, {{"redMultiplier", Num(0)},
                      {"greenMultiplier", Num(0)},
                      {"blueMultiplier", Num(0)},
                      {"redOffset", Num((rgb >> 16) & 0xFF)},
                      {"greenOffset", Num((rgb >> 8) & 0xFF)},
                      {"blueOffset", Num(rgb & 0xFF)}});
        return Value();
      });
}

}  // namespace

void InstallGeometry(ScriptRuntime& R) {
  Object* geom = Package(R, "flash.geom");
  InstallPoint(R, geom);
  InstallRectangle(R, geom);
  InstallMatrix(R, geom);
  InstallColorTransform(R, geom);
  InstallTransform(R);
  InstallColor(R);
}

}  // namespace swf
