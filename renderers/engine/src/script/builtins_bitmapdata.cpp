// flash.display.BitmapData: a bitmap a movie makes and paints on. Its
// methods check their arguments as the player does and answer a failed
// check with a number: -1 for a disposed bitmap or too few arguments, and
// -2, -3, -4 for the first, second and third malformed argument of the
// kinds the method takes (a bitmap, a disposed bitmap, a rectangle, a
// point), so movies that print those results see the same numbers.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>

#include "renderers/engine/src/script/bitmap_pixels.h"
#include "renderers/engine/src/script/internal.h"

namespace swf {
namespace {

// A BitmapData's pixels; none once disposed.
struct BitmapState : NativeData {
  std::optional<BitmapPixels> bitmap;
};

Value Num(double N) { return Value::Number(N); }
const Value kFailed = Value::Number(-1);

// A number as a pixel coordinate or size: the integer part, 0 for NaN,
// kept within int.
int ToInt(double N) {
  if (std::isnan(N)) return 0;
  return static_cast<int>(std::clamp(std::trunc(N), -2147483648.0, 2147483647.0));
}
uint32_t ToColor(double N) { return static_cast<uint32_t>(WrapInt32(N)); }

int IntArg(NativeCall& C, size_t I) { return ToInt(C.ToNumber(C.Arg(I))); }
uint32_t ColorArg(NativeCall& C, size_t I) { return ToColor(C.ToNumber(C.Arg(I))); }

BitmapState* StateOf(const Value& V) {
  return V.IsObject() ? dynamic_cast<BitmapState*>(V.object()->data.get()) : nullptr;
}
// The pixels of V when it is a live BitmapData.
BitmapPixels* Pixels(const Value& V) {
  BitmapState* s = StateOf(V);
  return s && s->bitmap ? &*s->bitmap : nullptr;
}
BitmapPixels* This(NativeCall& C) { return Pixels(C.thisValue); }

bool Defined(NativeCall& C, const Value& Of, const char* Name) { return !C.Get(Of, Name).IsUndefined(); }

// A rectangle argument: an object with x, y, width and height.
std::optional<PixelRect> RectArg(NativeCall& C, const Value& V) {
  if (!V.IsObject()) return std::nullopt;
  for (const char* f : {"x", "y", "width", "height"})
    if (!Defined(C, V, f)) return std::nullopt;
  auto field = [&](const char* f) { return ToInt(C.ToNumber(C.Get(V, f))); };
  return PixelRect{field("x"), field("y"), field("width"), field("height")};
}
// A point argument: an object with x and y.
std::optional<std::pair<int, int>> PointArg(NativeCall& C, const Value& V) {
  if (!V.IsObject() || !Defined(C, V, "x") || !Defined(C, V, "y")) return std::nullopt;
  return std::pair{ToInt(C.ToNumber(C.Get(V, "x"))), ToInt(C.ToNumber(C.Get(V, "y")))};
}
// A destination point: what it has of x and y, 0 for the rest.
std::pair<int, int> LoosePoint(NativeCall& C, const Value& V) {
  if (!V.IsObject()) return {0, 0};
  return {ToInt(C.ToNumber(C.Get(V, "x"))), ToInt(C.ToNumber(C.Get(V, "y")))};
}

// The new BitmapData for Pixels, of the class the runtime installed.
Value MakeBitmapData(NativeCall& C, BitmapPixels Pixels) {
  Object* o = C.runtime.NewObject();
  if (Object* proto = C.runtime.BuiltinPrototype("flash.display.BitmapData")) o->prototype = proto;
  auto state = std::make_unique<BitmapState>();
  state->bitmap = std::move(Pixels);
  o->data = std::move(state);
  return Value::Obj(o);
}

Value MakeRectangle(NativeCall& C, PixelRect R) {
  Object* o = C.runtime.NewObject();
  if (Object* proto = C.runtime.BuiltinPrototype("flash.geom.Rectangle")) o->prototype = proto;
  o->Set("x", Num(R.x));
  o->Set("y", Num(R.y));
  o->Set("width", Num(R.width));
  o->Set("height", Num(R.height));
  return Value::Obj(o);
}

// The largest bitmap a movie of this version may make.
bool SizeAllowed(int SwfVersion, double Width, double Height) {
  if (!(Width >= 1 && Height >= 1)) return false;
  if (SwfVersion <= 9) return Width <= 2880 && Height <= 2880;
  return Width <= 8191 && Height <= 8191 && Width * Height <= 16777215;
}

// The source, rectangle and point that copyPixels, copyChannel, merge and
// threshold start with, checked: the copy, or the failure's number.
struct SourceCopy {
  BitmapPixels* source = nullptr;
  PixelCopy copy;
  int failure = 0;
};
SourceCopy CheckSourceCopy(NativeCall& C, BitmapPixels& Dest) {
  const Value src = C.Arg(0);
  BitmapState* state = StateOf(src);
  if (!state) return {nullptr, {}, -2};
  if (!state->bitmap) return {nullptr, {}, -3};
  std::optional<PixelRect> rect = RectArg(C, C.Arg(1));
  if (!rect) return {nullptr, {}, -4};
  auto [x, y] = LoosePoint(C, C.Arg(2));
  return {&*state->bitmap, ClipCopy(*state->bitmap, *rect, x, y, Dest), 0};
}

// An operation threshold knows; any other compares with "<".
ThresholdOp OperationNamed(const std::string& S) {
  if (S == "<") return ThresholdOp::Less;
  if (S == "<=") return ThresholdOp::LessEqual;
  if (S == ">") return ThresholdOp::Greater;
  if (S == ">=") return ThresholdOp::GreaterEqual;
  if (S == "==") return ThresholdOp::Equal;
  if (S == "!=") return ThresholdOp::NotEqual;
  return ThresholdOp::Less;
}

bool IsColorTransform(NativeCall& C, const Value& V) {
  const Object* proto = C.runtime.BuiltinPrototype("flash.geom.ColorTransform");
  if (!proto || !V.IsObject()) return false;
  for (const Object* o = V.object()->prototype; o; o = o->prototype)
    if (o == proto) return true;
  return false;
}

// ---- hitTest ----

// Whether a pixel's alpha reaches a hit test's threshold; a clear pixel
// never does.
bool Opaque(uint32_t Argb, int Threshold) {
  const int alpha = static_cast<int>(Argb >> 24);
  return alpha > 0 && alpha >= Threshold;
}

// Whether any pixel of B in R (B's coordinates) has at least Alpha.
bool AnyOpaque(const BitmapPixels& B, PixelRect R, int Alpha) {
  const int x0 = std::max(0, R.x), y0 = std::max(0, R.y);
  const int x1 = std::min(B.Width(), R.x + R.width), y1 = std::min(B.Height(), R.y + R.height);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (Opaque(B.Get(x, y), Alpha)) return true;
  return false;
}

Value HitTest(NativeCall& C, BitmapPixels& B) {
  if (C.args.size() < 3) return kFailed;
  std::optional<std::pair<int, int>> first = PointArg(C, C.Arg(0));
  if (!first) return Num(-2);
  const int alpha = IntArg(C, 1);
  const Value other = C.Arg(2);
  if (BitmapState* state = StateOf(other)) {
    if (!state->bitmap) return Num(-3);
    std::pair<int, int> second{0, 0};
    if (C.args.size() > 3) {
      std::optional<std::pair<int, int>> p = PointArg(C, C.Arg(3));
      if (!p) return Num(-4);
      second = *p;
    }
    const int otherAlpha = C.args.size() > 4 ? IntArg(C, 4) : 1;
    const BitmapPixels& o = *state->bitmap;
    // The overlap, in this bitmap's coordinates.
    const int dx = second.first - first->first, dy = second.second - first->second;
    const int x0 = std::max(0, dx), y0 = std::max(0, dy);
    const int x1 = std::min(B.Width(), dx + o.Width()), y1 = std::min(B.Height(), dy + o.Height());
    ChargeWork(static_cast<uint64_t>(std::max(0, x1 - x0)) * static_cast<uint64_t>(std::max(0, y1 - y0)) / 16);
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (Opaque(B.Get(x, y), alpha) && Opaque(o.Get(x - dx, y - dy), otherAlpha))
          return Value::Bool(true);
    return Value::Bool(false);
  }
  if (std::optional<PixelRect> r = RectArg(C, other)) {
    r->x -= first->first;
    r->y -= first->second;
    ChargeWork(static_cast<uint64_t>(B.Width()) * static_cast<uint64_t>(B.Height()) / 16);
    return Value::Bool(AnyOpaque(B, *r, alpha));
  }
  if (std::optional<std::pair<int, int>> p = PointArg(C, other)) {
    const int x = p->first - first->first, y = p->second - first->second;
    return Value::Bool(B.Contains(x, y) && Opaque(B.Get(x, y), alpha));
  }
  return Num(-3);
}

// ---- the class ----

void Accessor(ScriptRuntime& R, Object* Proto, const char* Name, NativeFunction Get) {
  Proto->DefineAccessor(Name, R.NewNative(std::move(Get)), R.NewNative([](NativeCall&) { return Value(); }));
}

void InstallProperties(ScriptRuntime& R, Object* Proto) {
  Accessor(R, Proto, "width", [](NativeCall& C) {
    BitmapPixels* b = This(C);
    return b ? Num(b->Width()) : kFailed;
  });
  Accessor(R, Proto, "height", [](NativeCall& C) {
    BitmapPixels* b = This(C);
    return b ? Num(b->Height()) : kFailed;
  });
  Accessor(R, Proto, "transparent", [](NativeCall& C) {
    BitmapPixels* b = This(C);
    return b ? Value::Bool(b->Transparent()) : kFailed;
  });
  Accessor(R, Proto, "rectangle", [](NativeCall& C) {
    BitmapPixels* b = This(C);
    return b ? MakeRectangle(C, b->Bounds()) : kFailed;
  });
}

void InstallPixelMethods(ScriptRuntime& R, Object* Proto) {
  R.Method(Proto, "getPixel", [](NativeCall& C) {
    BitmapPixels* b = This(C);
    if (!b || C.args.size() < 2) return kFailed;
    return Num(b->Get(IntArg(C, 0), IntArg(C, 1)) & 0xFFFFFF);
  });
  R.Method(Proto, "getPixel32", [](NativeCall& C) {
    BitmapPixels* b = This(C);
    if (!b || C.args.size() < 2) return kFailed;
    return Num(static_cast<int32_t>(b->Get(IntArg(C, 0), IntArg(C, 1))));
  });
  R.Method(Proto, "setPixel", [](NativeCall& C) {
    BitmapPixels* b = This(C);
    if (!b || C.args.size() < 3) return kFailed;
    const int x = IntArg(C, 0), y = IntArg(C, 1);
    const uint32_t rgb = ColorArg(C, 2) & 0xFFFFFF;
    if (b->Contains(x, y)) b->Set(x, y, (b->Get(x, y) & 0xFF000000u) | rgb);
    return Num(0);
  });
  R.Method(Proto, "setPixel32", [](NativeCall& C) {
    BitmapPixels* b = This(C);
    if (!b || C.args.size() < 3) return kFailed;
    b->Set(IntArg(C, 0), IntArg(C, 1), ColorArg(C, 2));
    return Num(0);
  });
  R.Method(Proto, "fillRect", [](NativeCall& C) {
    BitmapPixels* b = This(C);
    if (!b || C.args.size() < 2) return Value();
    if (std::optional<PixelRect> r = RectArg(C, C.Arg(0))) b->Fill(*r, ColorArg(C, 1));
    return Value();
  });
  R.Method(Proto, "floodFill", [](NativeCall& C) {
    BitmapPixels* b = This(C);
    if (!b || C.args.size() < 3) return kFailed;
    return Num(b->FloodFill(IntArg(C, 0), IntArg(C, 1), ColorArg(C, 2)) ? 1 : 0);
  });
  R.Method(Proto, "getColorBoundsRect", [](NativeCall& C) {
    BitmapPixels* b = This(C);
    if (!b || C.args.size() < 2) return kFailed;
    const bool find = C.args.size() < 3 || C.Arg(2).ToBoolean();
    return MakeRectangle(C, b->ColorBounds(ColorArg(C, 0), ColorArg(C, 1), find));
  });
  R.Method(Proto, "colorTransform", [](NativeCall& C) {
    BitmapPixels* b = This(C);
    if (!b || C.args.size() < 2) return kFailed;
    std::optional<PixelRect> r = RectArg(C, C.Arg(0));
    if (!r) return Num(-2);
    // Only a flash.geom.ColorTransform will do.
    const Value t = C.Arg(1);
    if (!IsColorTransform(C, t)) return Num(-3);
    static constexpr const char* kMultiply[4] = {"redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier"};
    static constexpr const char* kAdd[4] = {"redOffset", "greenOffset", "blueOffset", "alphaOffset"};
    double multiply[4], add[4];
    for (int k = 0; k < 4; ++k) {
      multiply[k] = C.ToNumber(C.Get(t, kMultiply[k]));
      add[k] = C.ToNumber(C.Get(t, kAdd[k]));
    }
    TransformColors(*b, *r, multiply, add);
    return Value();
  });
  R.Method(Proto, "noise", [](NativeCall& C) {
    BitmapPixels* b = This(C);
    if (!b || C.args.empty()) return kFailed;
    const double seed = C.ToNumber(C.Arg(0));
    Noise(*b, std::isfinite(seed) ? static_cast<int64_t>(std::clamp(seed, -9e15, 9e15)) : 0,
          C.args.size() > 1 ? IntArg(C, 1) : 0, C.args.size() > 2 ? IntArg(C, 2) : 255,
          C.args.size() > 3 ? IntArg(C, 3) : 7, C.Arg(4).ToBoolean());
    return Num(0);
  });
  R.Method(Proto, "hitTest", [](NativeCall& C) {
    BitmapPixels* b = This(C);
    return b ? HitTest(C, *b) : kFailed;
  });
}

void InstallCopyMethods(ScriptRuntime& R, Object* Proto) {
  R.Method(Proto, "copyPixels", [](NativeCall& C) {
    BitmapPixels* b = This(C);
    if (!b || C.args.size() < 3) return kFailed;
    SourceCopy s = CheckSourceCopy(C, *b);
    if (s.failure) return Num(s.failure);
    // An alpha bitmap counts with the point that goes with it.
    AlphaMask mask;
    if (C.args.size() > 4)
      if (BitmapPixels* m = Pixels(C.Arg(3))) {
        const auto [mx, my] = LoosePoint(C, C.Arg(4));
        const PixelRect rect = *RectArg(C, C.Arg(1));
        mask = {m, mx - rect.x, my - rect.y};
      }
    CopyPixels(*s.source, s.copy, *b, C.Arg(5).ToBoolean(), mask);
    return Num(0);
  });
  R.Method(Proto, "copyChannel", [](NativeCall& C) {
    BitmapPixels* b = This(C);
    if (!b || C.args.size() < 5) return kFailed;
    SourceCopy s = CheckSourceCopy(C, *b);
    if (s.failure) return Num(s.failure);
    CopyChannel(*s.source, s.copy, *b, IntArg(C, 3), IntArg(C, 4));
    return kFailed;
  });
  R.Method(Proto, "merge", [](NativeCall& C) {
    BitmapPixels* b = This(C);
    if (!b || C.args.size() < 6) return kFailed;
    SourceCopy s = CheckSourceCopy(C, *b);
    if (s.failure) return Num(s.failure);
    // Without an alpha multiplier the source's alpha is taken whole.
    const int multipliers[4] = {IntArg(C, 3), IntArg(C, 4), IntArg(C, 5), C.args.size() > 6 ? IntArg(C, 6) : 256};
    Merge(*s.source, s.copy, *b, multipliers);
    return kFailed;
  });
  R.Method(Proto, "threshold", [](NativeCall& C) {
    BitmapPixels* b = This(C);
    if (!b || C.args.size() < 5) return kFailed;
    SourceCopy s = CheckSourceCopy(C, *b);
    if (s.failure) return Num(s.failure);
    const ThresholdOp op = OperationNamed(C.ToString(C.Arg(3)));
    const uint32_t color = C.args.size() > 5 ? ColorArg(C, 5) : 0;
    const uint32_t mask = C.args.size() > 6 ? ColorArg(C, 6) : 0xFFFFFFFFu;
    return Num(Threshold(*s.source, s.copy, *b, op, ColorArg(C, 4), color, mask, C.Arg(7).ToBoolean()));
  });
  R.Method(Proto, "compare", [](NativeCall& C) {
    BitmapPixels* b = This(C);
    if (!b || C.args.empty()) return kFailed;
    BitmapPixels* other = Pixels(C.Arg(0));
    if (!other) return Num(-2);
    if (other->Width() != b->Width()) return Num(-3);
    if (other->Height() != b->Height()) return Num(-4);
    std::optional<BitmapPixels> diff = Compare(*b, *other);
    return diff ? MakeBitmapData(C, std::move(*diff)) : Num(0);
  });
  R.Method(Proto, "clone", [](NativeCall& C) {
    BitmapPixels* b = This(C);
    return b ? MakeBitmapData(C, *b) : kFailed;
  });
  R.Method(Proto, "dispose", [](NativeCall& C) {
    BitmapState* s = StateOf(C.thisValue);
    if (!s || !s->bitmap) return kFailed;
    s->bitmap.reset();
    return Value();
  });
}

// Methods the engine does not paint with yet: they check that the bitmap
// is live and leave it as it is.
void InstallUnpaintedMethods(ScriptRuntime& R, Object* Proto) {
  for (const char* name : {"applyFilter", "draw", "generateFilterRect", "paletteMap", "perlinNoise",
                           "pixelDissolve", "scroll"}) {
    R.Method(Proto, name, [](NativeCall& C) { return This(C) ? Value() : kFailed; });
  }
}

}  // namespace

const BitmapPixels* BitmapDataPixels(const Value& V) { return Pixels(V); }

void InstallBitmapData(ScriptRuntime& R) {
  Object* package = Package(R, "flash.display");
  Object* proto = R.NewObject();
  Object* ctor = R.NewNative([](NativeCall& C) {
    Object* self = C.ThisObject();
    const double width = C.ToNumber(C.Arg(0)), height = C.ToNumber(C.Arg(1));
    if (!self || !SizeAllowed(C.runtime.SwfVersion(), width, height)) {
      RefuseInstance();
      return Value();
    }
    const bool transparent = C.args.size() < 3 || C.Arg(2).ToBoolean();
    const uint32_t fill = C.args.size() < 4 ? 0xFFFFFFFFu : ColorArg(C, 3);
    auto state = std::make_unique<BitmapState>();
    state->bitmap.emplace(ToInt(width), ToInt(height), transparent, fill);
    self->data = std::move(state);
    return Value();
  });
  ctor->Define("prototype", Value::Obj(proto), kDontEnum | kDontDelete);
  proto->Define("constructor", Value::Obj(ctor), kDontEnum);
  R.SetBuiltinPrototype("flash.display.BitmapData", proto);
  package->Set("BitmapData", Value::Obj(ctor));
  R.Method(ctor, "loadBitmap", [](NativeCall&) { return Value(); });
  InstallProperties(R, proto);
  InstallPixelMethods(R, proto);
  InstallCopyMethods(R, proto);
  InstallUnpaintedMethods(R, proto);
}

}  // namespace swf
