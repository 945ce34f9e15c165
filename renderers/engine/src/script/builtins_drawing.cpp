// The drawing methods of MovieClip: moveTo, lineTo, curveTo, the fill and
// line styles, endFill and clear. Scripts give pixels; the drawing keeps
// twips.

#include <algorithm>
#include <cmath>
#include <optional>

#include "renderers/engine/src/player/drawing.h"
#include "renderers/engine/src/script/bitmap_pixels.h"
#include "renderers/engine/src/script/drawing_target.h"
#include "renderers/engine/src/script/internal.h"

namespace swf {
namespace {

using detail::ShapeDrawing;

// The drawing of the clip a method was called on, or nullptr.
ShapeDrawing* DrawingOf(NativeCall& C) {
  ScriptClip* clip = nullptr;
  if (C.thisValue.IsUndefined()) clip = &C.clip;
  else if (C.thisValue.IsClip()) clip = C.runtime.ResolveTarget(C.clip, C.thisValue.string());
  auto* target = dynamic_cast<DrawingTarget*>(clip);
  return target ? target->Drawing() : nullptr;
}

// A coordinate in pixels as twips; nullopt for what is not a finite number.
std::optional<double> Twips(NativeCall& C, size_t I) {
  const double n = C.ToNumber(C.Arg(I));
  if (!std::isfinite(n)) return std::nullopt;
  return std::clamp(n, -1e7, 1e7) * 20;
}

std::optional<Point> PointArgs(NativeCall& C, size_t I) {
  const std::optional<double> x = Twips(C, I), y = Twips(C, I + 1);
  if (!x || !y) return std::nullopt;
  return Point{*x, *y};
}

// A colour and an alpha percentage (100 when missing).
RGBA ColorArgs(NativeCall& C, size_t ColorIndex, size_t AlphaIndex) {
  const auto rgb = static_cast<uint32_t>(WrapInt32(C.ToNumber(C.Arg(ColorIndex))));
  double alpha = AlphaIndex < C.args.size() && !C.Arg(AlphaIndex).IsUndefined() ? C.ToNumber(C.Arg(AlphaIndex)) : 100;
  if (std::isnan(alpha)) alpha = 0;
  const auto a = static_cast<uint8_t>(std::clamp(alpha, 0.0, 100.0) * 255 / 100);
  return {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb), a};
}

double Number(NativeCall& C, const Value& Of, const char* Name) { return C.ToNumber(C.Get(Of, Name)); }

// A gradient's matrix from either form scripts give: the box form
// ({matrixType: "box", x, y, w, h, r}) or a, b, c, d, tx, ty in pixels.
Matrix GradientMatrix(NativeCall& C, const Value& M) {
  Matrix m;
  if (!M.IsObject()) return m;
  if (C.ToString(C.Get(M, "matrixType")) == "box") {
    const double x = Number(C, M, "x"), y = Number(C, M, "y"), w = Number(C, M, "w"), h = Number(C, M, "h");
    const double r = Number(C, M, "r");
    const double sx = w / 1638.4, sy = h / 1638.4;
    m.a = sx * std::cos(r);
    m.b = sx * std::sin(r);
    m.c = -sy * std::sin(r);
    m.d = sy * std::cos(r);
    m.tx = (x + w / 2) * 20;
    m.ty = (y + h / 2) * 20;
  } else {
    m.a = Number(C, M, "a");
    m.b = Number(C, M, "b");
    m.c = Number(C, M, "c");
    m.d = Number(C, M, "d");
    m.tx = Number(C, M, "tx") * 20;
    m.ty = Number(C, M, "ty") * 20;
  }
  for (double* v : {&m.a, &m.b, &m.c, &m.d, &m.tx, &m.ty})
    if (!std::isfinite(*v)) *v = 0;
  return m;
}

// beginGradientFill(type, colors, alphas, ratios, matrix, spread): nullopt
// when the arrays do not match or the type is unknown.
std::optional<FillStyle> GradientFill(NativeCall& C) {
  const std::string type = C.ToString(C.Arg(0));
  FillStyle f;
  if (type == "linear") f.type = FillType::LinearGradient;
  else if (type == "radial") f.type = FillType::RadialGradient;
  else return std::nullopt;
  const Value colors = C.Arg(1), alphas = C.Arg(2), ratios = C.Arg(3);
  if (!colors.IsObject() || !alphas.IsObject() || !ratios.IsObject()) return std::nullopt;
  const double n = ArrayLength(*colors.object());
  if (n < 1 || n != ArrayLength(*alphas.object()) || n != ArrayLength(*ratios.object())) return std::nullopt;
  for (int i = 0; i < std::min(n, 15.0); ++i) {
    const std::string k = std::to_string(i);
    const auto rgb = static_cast<uint32_t>(WrapInt32(C.ToNumber(C.Get(colors, k))));
    double alpha = C.ToNumber(C.Get(alphas, k)), ratio = C.ToNumber(C.Get(ratios, k));
    if (std::isnan(alpha)) alpha = 0;
    if (std::isnan(ratio)) ratio = 0;
    GradientRecord g;
    g.ratio = static_cast<uint8_t>(std::clamp(ratio, 0.0, 255.0));
    g.color = {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb),
               static_cast<uint8_t>(std::clamp(alpha, 0.0, 100.0) * 255 / 100)};
    f.gradient.push_back(g);
  }
  f.matrix = GradientMatrix(C, C.Arg(4));
  const std::string spread = C.ToString(C.Arg(5));
  f.spread = spread == "reflect" ? SpreadMode::Reflect : spread == "repeat" ? SpreadMode::Repeat : SpreadMode::Pad;
  return f;
}

}  // namespace

void InstallDrawing(ScriptRuntime& R) {
  Object* proto = R.BuiltinPrototype("MovieClip");
  if (!proto) return;
  R.Method(proto, "moveTo", [](NativeCall& C) {
    ShapeDrawing* d = DrawingOf(C);
    if (const std::optional<Point> p = PointArgs(C, 0); d && p && C.args.size() >= 2) d->MoveTo(*p);
    return Value();
  });
  R.Method(proto, "lineTo", [](NativeCall& C) {
    ShapeDrawing* d = DrawingOf(C);
    if (const std::optional<Point> p = PointArgs(C, 0); d && p && C.args.size() >= 2) d->LineTo(*p);
    return Value();
  });
  R.Method(proto, "curveTo", [](NativeCall& C) {
    ShapeDrawing* d = DrawingOf(C);
    if (!d || C.args.size() < 4) return Value();
    const std::optional<Point> control = PointArgs(C, 0), anchor = PointArgs(C, 2);
    if (control && anchor) d->CurveTo(*control, *anchor);
    return Value();
  });
  R.Method(proto, "beginFill", [](NativeCall& C) {
    ShapeDrawing* d = DrawingOf(C);
    if (!d) return Value();
    if (C.args.empty() || C.Arg(0).IsUndefined()) {
      d->BeginFill(std::nullopt);
      return Value();
    }
    FillStyle f;
    f.color = ColorArgs(C, 0, 1);
    d->BeginFill(f);
    return Value();
  });
  R.Method(proto, "beginGradientFill", [](NativeCall& C) {
    if (ShapeDrawing* d = DrawingOf(C)) d->BeginFill(GradientFill(C));
    return Value();
  });
  R.Method(proto, "beginBitmapFill", [](NativeCall& C) {
    // The renderer does not paint a movie's own bitmaps yet: the fill
    // takes its area without colour.
    if (ShapeDrawing* d = DrawingOf(C)) {
      FillStyle f;
      f.color.a = 0;
      d->BeginFill(f);
    }
    return Value();
  });
  R.Method(proto, "endFill", [](NativeCall& C) {
    if (ShapeDrawing* d = DrawingOf(C)) d->EndFill();
    return Value();
  });
  R.Method(proto, "lineStyle", [](NativeCall& C) {
    ShapeDrawing* d = DrawingOf(C);
    if (!d) return Value();
    const double thickness = C.ToNumber(C.Arg(0));
    if (C.args.empty() || C.Arg(0).IsUndefined() || std::isnan(thickness)) {
      d->SetLineStyle(std::nullopt);
      return Value();
    }
    LineStyle l;
    l.width = static_cast<uint16_t>(std::clamp(thickness, 0.0, 255.0) * 20);
    l.color = ColorArgs(C, 1, 2);
    d->SetLineStyle(l);
    return Value();
  });
  R.Method(proto, "lineGradientStyle", [](NativeCall&) { return Value(); });
  R.Method(proto, "attachBitmap", [](NativeCall& C) {
    // The bitmap as it is now: later changes to it do not show.
    ShapeDrawing* d = DrawingOf(C);
    const BitmapPixels* pixels = BitmapDataPixels(C.Arg(0));
    if (!d || !pixels || C.args.size() < 2) return Value();
    Bitmap b;
    b.width = pixels->Width();
    b.height = pixels->Height();
    b.pixels = pixels->Premultiplied();
    d->AttachBitmap(WrapInt32(C.ToNumber(C.Arg(1))), std::move(b));
    return Value();
  });
  R.Method(proto, "clear", [](NativeCall& C) {
    if (ShapeDrawing* d = DrawingOf(C)) d->Clear();
    return Value();
  });
}

}  // namespace swf
