// TextField.StyleSheet: named styles (plain objects of CSS properties) kept
// in the sheet's _css member, each with the TextFormat its transform method
// makes of it in _styles. parseCSS reads them from CSS text; setStyle and
// getStyle take and give copies.

#include <cmath>
#include <cstdlib>
#include <optional>
#include <utility>
#include <string>

#include "renderers/engine/src/script/internal.h"
#include "renderers/engine/src/text/style_sheet_css.h"

namespace swf {
namespace {

constexpr uint8_t kFixed = kDontEnum | kDontDelete | kReadOnly;

// The sheet's _css and _styles tables, made when missing.
struct Tables {
  Object* css = nullptr;
  Object* styles = nullptr;
};

Tables TablesOf(NativeCall& C, Object* Sheet) {
  Tables t;
  for (auto [name, slot] : {std::pair{"_css", &t.css}, {"_styles", &t.styles}}) {
    Value v = Sheet->Get(name);
    if (!v.IsObject()) {
      v = Value::Obj(C.runtime.NewObject());
      Sheet->Set(name, v);
    }
    *slot = v.object();
  }
  return t;
}

Object* ShallowCopy(NativeCall& C, Object* From) {
  Object* copy = C.runtime.NewObject();
  for (auto& [name, value] : From->OwnValues()) {
    ChargeWork(1);
    copy->Set(name, value);
  }
  return copy;
}

// Keeps Style (an object or null) under Name and the sheet's transform of it.
void Keep(NativeCall& C, Object* Sheet, const std::string& Name, const Value& Style) {
  Tables t = TablesOf(C, Sheet);
  t.css->Set(Name, Style);
  const Value format = C.Call(C.Get(Value::Obj(Sheet), "transform"), Value::Obj(Sheet), {Style});
  t.styles->Set(Name, format);
}

// "#FF0000" as a colour number; -1 when it is not one.
double CssColor(const std::string& S) {
  if (S.size() < 2 || S[0] != '#') return -1;
  char* end = nullptr;
  const unsigned long v = std::strtoul(S.c_str() + 1, &end, 16);
  if (end == S.c_str() + 1) return -1;
  return static_cast<double>(v & 0xFFFFFF);
}

// A CSS length or size ("12px", "12"): its leading number, or NaN.
double CssNumber(const std::string& S) {
  const char* begin = S.c_str();
  char* end = nullptr;
  const double v = std::strtod(begin, &end);
  return end == begin ? NAN : v;
}

// The TextFormat of a style's CSS properties.
Value Transform(NativeCall& C) {
  const Value style = C.Arg(0);
  if (!style.IsObject()) return Value::Null();
  const Value ctor = C.runtime.Global()->Get("TextFormat");
  if (!ctor.IsFunction()) return Value::Null();
  const Value format = C.Construct(ctor, {});
  auto read = [&](const char* Name) -> std::optional<std::string> {
    const Value v = C.Get(style, Name);
    if (v.IsUndefined()) return std::nullopt;
    return C.ToString(v);
  };
  auto number = [&](const char* Css, const char* Member) {
    if (auto v = read(Css)) {
      const double n = CssNumber(*v);
      if (!std::isnan(n)) C.Set(format, Member, Value::Number(n));
    }
  };
  auto choice = [&](const char* Css, const char* Member, const char* Yes, const char* No) {
    if (auto v = read(Css)) {
      if (*v == Yes) C.Set(format, Member, Value::Bool(true));
      else if (*v == No) C.Set(format, Member, Value::Bool(false));
    }
  };
  if (auto v = read("color")) {
    const double c = CssColor(*v);
    if (c >= 0) C.Set(format, "color", Value::Number(c));
  }
  if (auto v = read("fontFamily")) C.Set(format, "font", Value::String(*v));
  number("fontSize", "size");
  choice("fontStyle", "italic", "italic", "normal");
  choice("fontWeight", "bold", "bold", "normal");
  choice("kerning", "kerning", "true", "false");
  number("leading", "leading");
  number("letterSpacing", "letterSpacing");
  number("marginLeft", "leftMargin");
  number("marginRight", "rightMargin");
  number("textIndent", "indent");
  choice("textDecoration", "underline", "underline", "none");
  if (auto v = read("textAlign"))
    if (*v == "left" || *v == "center" || *v == "right" || *v == "justify") C.Set(format, "align", Value::String(*v));
  return format;
}

Value ParseCss(NativeCall& C) {
  Object* sheet = C.ThisObject();
  if (!sheet) return Value::Bool(false);
  const std::string text = C.ToString(C.Arg(0));
  ChargeWork(text.size());
  const auto rules = detail::ParseCss(text);
  if (!rules) return Value::Bool(false);
  for (const detail::CssRule& rule : *rules) {
    for (const std::string& selector : rule.selectors) {
      Object* style = C.runtime.NewObject();
      for (const auto& [name, value] : rule.declarations) style->Set(name, Value::String(value));
      ChargeWork(rule.declarations.size());
      Keep(C, sheet, selector, Value::Obj(style));
    }
  }
  return Value::Bool(true);
}

}  // namespace

void InstallStyleSheet(ScriptRuntime& R, Object* TextFieldClass) {
  if (R.SwfVersion() < 7) return;
  Object* proto = R.NewObject();
  Object* ctor = R.NewNative([](NativeCall&) { return Value(); });
  ctor->Define("prototype", Value::Obj(proto), kDontEnum);
  proto->Define("constructor", Value::Obj(ctor), kDontEnum);
  TextFieldClass->Define("StyleSheet", Value::Obj(ctor), kDontEnum);

  R.Method(proto, "getStyle", [](NativeCall& C) {
    Object* sheet = C.ThisObject();
    const Value css = sheet ? sheet->Get("_css") : Value();
    if (!css.IsObject()) return Value::Null();
    const Value style = css.object()->Get(C.ToString(C.Arg(0)));
    return style.IsObject() ? Value::Obj(ShallowCopy(C, style.object())) : Value::Null();
  }, kFixed);
  R.Method(proto, "getStyleNames", [](NativeCall& C) {
    Object* sheet = C.ThisObject();
    const Value css = sheet ? sheet->Get("_css") : Value();
    std::vector<Value> names;
    if (css.IsObject())
      for (const std::string& name : css.object()->Keys()) {
        ChargeWork(1);
        names.push_back(Value::String(name));
      }
    return Value::Obj(C.runtime.NewArray(std::move(names)));
  }, kFixed);
  // setStyle(name, style): a copy of the style's members; anything but an
  // object keeps the name with no style.
  R.Method(proto, "setStyle", [](NativeCall& C) {
    Object* sheet = C.ThisObject();
    if (!sheet) return Value();
    const Value style = C.Arg(1);
    Keep(C, sheet, C.ToString(C.Arg(0)), style.IsObject() ? Value::Obj(ShallowCopy(C, style.object())) : Value::Null());
    return Value();
  }, kFixed);
  R.Method(proto, "clear", [](NativeCall& C) {
    if (Object* sheet = C.ThisObject()) {
      sheet->Set("_css", Value::Obj(C.runtime.NewObject()));
      sheet->Set("_styles", Value::Obj(C.runtime.NewObject()));
    }
    return Value();
  }, kFixed);
  R.Method(proto, "parseCSS", ParseCss, kFixed);
  R.Method(proto, "parse", ParseCss, kFixed);
  R.Method(proto, "transform", Transform, kFixed);
  // Loading a sheet from a URL is not offered: no request is made.
  R.Method(proto, "load", [](NativeCall&) { return Value::Bool(false); }, kFixed);
}

}  // namespace swf
